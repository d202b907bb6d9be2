// Menus, pop-up menus, keyboard shortcuts and actions shared by menu items
// and buttons.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/win/WindowImpl.h"
#include "util/UniqueHandle.h"

namespace kip::win {

class Button;
class Action;

// One entry of a menu. Its command id is unique in its menu tree; the menu
// entry holds a pointer to the item, so that WM_COMMAND from the menu bar of
// a window (or an accelerator of it) reaches OnClick through DispatchCommand.
class MenuItem {
 public:
  MenuItem(HMENU menu, UINT id, std::wstring caption);
  // The entry of a submenu in its parent menu, addressed by its position;
  // it has no command of its own.
  struct SubMenuEntry {};
  MenuItem(HMENU menu, UINT position, std::wstring caption, SubMenuEntry);
  ~MenuItem();
  MenuItem(const MenuItem&) = delete;
  MenuItem& operator=(const MenuItem&) = delete;

  UINT Id() const { return id_; }
  HMENU Menu() const { return menu_; }
  void SetCaption(std::wstring_view caption);
  const std::wstring& Caption() const { return caption_; }
  void SetEnabled(bool enabled);
  bool Enabled() const;
  void SetChecked(bool checked);
  bool Checked() const;
  // Shown after a tab in the caption, e.g. L"Ctrl+N".
  void SetShortcutText(std::wstring_view text);
  // Items bound to an action take caption, enabled and checked from it and
  // run it when clicked.
  void SetAction(Action& action);

  // Runs OnClick (or the action) when enabled.
  void Click();
  std::function<void()> OnClick;

  // Finds the item with this command id in `menu` or its submenus and
  // clicks it; false when there is none.
  static bool DispatchCommand(HMENU menu, UINT id);

 private:
  void Redraw();
  // MF_BYCOMMAND with the command id, or MF_BYPOSITION for a submenu entry.
  UINT Flag() const { return byPosition_ ? MF_BYPOSITION : MF_BYCOMMAND; }
  HMENU menu_;
  UINT id_;
  bool byPosition_ = false;
  std::wstring caption_;
  std::wstring shortcut_;
  Action* action_ = nullptr;
};

// A menu bar or pop-up menu; owns its submenus and items. A menu attached to
// a window with SetMenu is destroyed by the window, a submenu by its parent
// menu; Menu then only forgets it.
class Menu {
 public:
  static std::unique_ptr<Menu> CreateBar();
  static std::unique_ptr<Menu> CreatePopup();
  ~Menu();

  HMENU Handle() const { return handle_; }
  Menu& AddSubMenu(std::wstring_view caption);
  // This submenu's own entry in its parent (null for a bar or pop-up menu).
  MenuItem* Entry() const { return entry_.get(); }
  // With a command id new in this menu tree (kFirstMenuCommandId on).
  MenuItem& AddItem(std::wstring_view caption);
  // With a fixed command id (below kFirstMenuCommandId), so that other
  // programs can choose the item by its number.
  MenuItem& AddItem(std::wstring_view caption, UINT id);
  void AddSeparator();
  // Attaches a menu bar to a window (which then owns the HMENU).
  void AttachTo(HWND window);
  // Shows a pop-up menu at a screen position and runs the chosen item.
  void Popup(HWND owner, POINT screen);

 private:
  explicit Menu(UniqueHMenu handle) : handle_(handle.get()), owned_(std::move(handle)) {}
  UINT NewCommandId();
  Menu* root_ = this;  // the bar or pop-up menu at the top, which numbers the items
  UINT nextCommandId_ = kFirstMenuCommandId;
  HMENU handle_;
  UniqueHMenu owned_;  // empty once the window or the parent menu owns it
  std::vector<std::unique_ptr<Menu>> subMenus_;
  std::vector<std::unique_ptr<MenuItem>> items_;
  std::unique_ptr<MenuItem> entry_;
};

// Keyboard shortcuts of a window.
class Accelerators {
 public:
  // flags: FCONTROL, FSHIFT, FALT (FVIRTKEY is added).
  void Add(BYTE flags, WORD virtualKey, UINT commandId);
  HACCEL Handle();

 private:
  std::vector<ACCEL> entries_;
  UniqueHAccel table_;
};

// A command shared by menu items and buttons: caption, hint, enabled and
// checked state are kept in step on every client.
class Action {
 public:
  void SetCaption(std::wstring_view caption);
  const std::wstring& Caption() const { return caption_; }
  void SetHint(std::wstring_view hint) { hint_ = hint; }
  const std::wstring& Hint() const { return hint_; }
  void SetEnabled(bool enabled);
  bool Enabled() const { return enabled_; }
  void SetChecked(bool checked);
  bool Checked() const { return checked_; }

  void LinkMenuItem(MenuItem& item);
  void LinkButton(Button& button);
  // Called by a menu item that is destroyed before the action.
  void UnlinkMenuItem(MenuItem& item);

  // Runs OnExecute when enabled.
  void Execute();
  std::function<void()> OnExecute;

 private:
  void Update();
  std::wstring caption_;
  std::wstring hint_;
  bool enabled_ = true;
  bool checked_ = false;
  std::vector<MenuItem*> items_;
  std::vector<Button*> buttons_;
};

// The message loop of the program, until the main form is destroyed (see
// Form::SetMainWindow).
int RunMessageLoop();

// The loop's treatment of one message before dispatch: mouse messages to the
// form's tool-tip, preview key of the form, the form's accelerators, the
// form's own keys, dialog navigation (for every form). True when the
// message was consumed and must not be dispatched.
bool PreTranslateUiMessage(MSG& msg);
// Handles every message waiting in the queue the way the loop does (for
// waits that keep the windows responsive). False when WM_QUIT was seen; it
// is posted again for the outer loop.
bool PumpPendingMessages();
// Handles messages the way the loop does for as long as `busy` holds,
// sleeping only until the next message arrives (no polling interval). False
// when WM_QUIT was seen before `busy` turned false; it is posted again.
bool PumpWhile(const std::function<bool()>& busy);

}  // namespace kip::win
