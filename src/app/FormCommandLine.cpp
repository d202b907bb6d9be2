// The unattended run of a command line (a setting's name and what to do
// after its commit) and the desktop shortcut that makes such a run.
#include "app/CommandLineArgs.h"
#include "app/HeadlessRun.h"
#include "app/UkIpConfig.h"
#include "util/Guard.h"
#include "apply/SettingShortcut.h"
#include "ui/UNetChg2.h"
#include "util/Files.h"

namespace kip {

void TFormIpconfig::RunCommandLine() {
  commandLineExitCode_ = kExitFailed;  // unless the run gets further
  // Commands on settings stay off for the rest of an unattended run.
  const FormMenus& m = menus_;
  for (win::MenuItem* item : {m.mNew, m.mSave, m.mSaveAs, m.mRename, m.mDelete, m.popNew, m.popSave, m.popSaveAs,
                              m.popRename, m.popDelete}) {
    item->SetEnabled(false);
  }
  FormActions& a = actions_;
  for (win::Action* action : {&a.shortCut, &a.importSnapshot, &a.exportSnapshot, &a.copyOtherLan}) {
    action->SetEnabled(false);
  }
  RunWhileCommitting([this] {
    CommandLineRequest request = ParseCommandLine(env_.arguments);
    int tab = FindSettingTab(editor_.Names(), request.settingName);
    if (tab < 0) {
      ShowException(SettingNotFoundText(request.settingName));
      commandLineExitCode_ = kExitSettingNotFound;
      return;
    }
    editor_.SelectSetting(tab);
    if (RunCommandLinePreview()) return;
    if (!CommitShownSetting(CommitKind::Unattended)) return;
    commandLineExitCode_ = lastCommitResult_.notStarted.empty() ? kExitCommitted : kExitCommandNotStarted;
    CarryOutExitAction(ChooseExitAction(request, options_.exitChoice));
  });
}

void TFormIpconfig::CarryOutExitAction(ExitAction action) {
  if (action == ExitAction::None) return;
  if (action == ExitAction::CloseWindow) {
    tray_.EndProgram();
    return;
  }
  EndWindowsAsAsked(action, *ExitPlatformOfWindow());
}

void TFormIpconfig::ActionShortCutExecute() {
  if (editor_.ShownIndex() < 0) return;
  // The post-commit dialog's list has no selection until it was first shown.
  int exitItem = Dialogs().netChg ? Dialogs().netChg->Choice() : -1;
  SettingShortcut shortcut = MakeSettingShortcut(editor_.ShownName(), exitItem, ProgramPath(), GetDesktopFolder());
  // A shortcut the user believes in but that is not there would fail him
  // at the customer's site: say so.
  if (!WriteSettingShortcut(shortcut)) ShowException(ShortcutNotSavedText(shortcut.file));
}

}  // namespace kip
