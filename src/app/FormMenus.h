// The main window's menus and the actions that its menu items, buttons and
// keys share: built once by the frame's layout, then checked, enabled and
// carried out by the frame's handlers.
#pragma once

#include <memory>

#include "ui/win/Menus.h"

namespace kip {

// What a menu item, a button or a key of the main window carries out.
struct FormActions {
  win::Action commit, exit, delCard, exportSnapshot, importSnapshot, copyOtherLan, undoOtherLan, shortCut;
};

// The menu bar, the pop-ups of the tab strip and of the batch page, the
// accelerators, and the items whose state the handlers change.
struct FormMenus {
  std::unique_ptr<win::Menu> bar;
  std::unique_ptr<win::Menu> tabPopup;
  std::unique_ptr<win::Menu> batchPopup;
  win::Accelerators accelerators;

  win::MenuItem* mFile = nullptr;
  win::MenuItem* mNew = nullptr;
  win::MenuItem* mSave = nullptr;
  win::MenuItem* mSaveAs = nullptr;
  win::MenuItem* mRename = nullptr;
  win::MenuItem* mDelete = nullptr;
  win::MenuItem* mEditHOSTS = nullptr;
  win::MenuItem* mUndoOtherLAN = nullptr;
  win::MenuItem* mShowExitWin = nullptr;
  win::MenuItem* mOSCheck = nullptr;
  win::MenuItem* mShowTray = nullptr;
  win::MenuItem* mHelp = nullptr;
  win::MenuItem* About1 = nullptr;
  win::MenuItem* mSafeCommit = nullptr;
  win::MenuItem* mPreviewFirst = nullptr;
  win::MenuItem* mReturnSeconds = nullptr;
  win::MenuItem* popNew = nullptr;
  win::MenuItem* popSave = nullptr;
  win::MenuItem* popSaveAs = nullptr;
  win::MenuItem* popRename = nullptr;
  win::MenuItem* popDelete = nullptr;
};

}  // namespace kip
