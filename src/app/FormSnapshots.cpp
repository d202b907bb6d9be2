// The whole store written to and read back from a file (export, import),
// the copy of one card's settings to another card and its undo.
#include "app/UkIpConfig.h"

#include <utility>

#include "apply/CommitLock.h"
#include "store/CardCopy.h"
#include "store/SettingStore.h"
#include "store/Snapshot.h"
#include "ui/UDNSEdit.h"
#include "ui/UGWEdit.h"
#include "ui/UIPEdit.h"
#include "ui/UNetChg2.h"
#include "ui/UOtherLAN.h"
#include "util/Files.h"

namespace kip {

void TFormIpconfig::AttachDialogs(std::function<FormDialogs()> create) {
  attachedDialogs_ = {};
  createDialogs_ = std::move(create);
}

// The attached dialogs (created now if they are made on first use).
const FormDialogs& TFormIpconfig::Dialogs() {
  // Made once: a creation that failed is not tried again.
  if (auto create = std::exchange(createDialogs_, nullptr)) AttachDialogs(create());
  return attachedDialogs_;
}

void TFormIpconfig::AttachDialogs(const FormDialogs& dialogs) {
  createDialogs_ = nullptr;
  attachedDialogs_ = dialogs;
  for (AddressDialog* dialog : {static_cast<AddressDialog*>(dialogs.ipEdit), static_cast<AddressDialog*>(dialogs.gwEdit),
                                static_cast<AddressDialog*>(dialogs.dnsEdit)}) {
    if (dialog) dialog->SetPrompts(&Ask());
  }
  if (TNetChg2* netChg = dialogs.netChg) {
    netChg->OnShowExitWinChange = [this](bool shown) {
      options_.showExitWindow = shown;
      menus_.mShowExitWin->SetChecked(shown);
    };
    netChg->OnChoice = [this](int choice) {
      options_.exitChoice = choice;
      StoreExitChoice(choice);
      ActOnExitChoice(choice);
    };
  }
  if (TFormOtherLAN* otherLan = dialogs.otherLan) {
    otherLan->OnFillLists = [this] { FillOtherLanLists(); };
    otherLan->OnCopy = [this](const std::wstring& from, const std::wstring& to, const std::wstring& label) {
      return CopyOtherLanCard(from, to, label);
    };
  }
}

void TFormIpconfig::ActionExportExecute() {
  bool saved = SaveStoreSnapshot(kBackupFileName);
  Ask().ShowMessage(ExportMessage(kBackupFileName, saved));
}

void TFormIpconfig::ActionImportExecute() {
  CommitLock lock;
  if (!LockForStoreChange(lock)) return;
  bool restored = RestoreStoreSnapshot(kBackupFileName);
  if (restored) CopyImportedBatchFiles(kBackupFileName, ProgramFolder());
  lock = {};  // the message holds up nobody
  Ask().ShowMessage(ImportMessage(kBackupFileName, restored));
  if (!restored) return;
  // The window's edits belong to the store that was just replaced: saving
  // them on the way out would write them over the imported settings.
  editor_.Discard();
  Close();
}

void TFormIpconfig::ActionUndoOtherLANExecute() {
  CommitLock lock;
  if (!LockForStoreChange(lock)) return;
  UndoOutcome undo = UndoCardCopy(kUndoFileName);
  lock = {};
  if (!undo.restored) {
    Ask().ShowMessage(UndoMessage(false));
    return;
  }
  actions_.undoOtherLan.SetEnabled(FileExists(kUndoFileName));
  Ask().ShowMessage(UndoMessage(true));
  editor_.Discard();  // as after an import: the store was replaced
  Close();
}

void TFormIpconfig::ActionCopyOtherLANExecute() {
  if (TFormOtherLAN* otherLan = Dialogs().otherLan) otherLan->Show();
}

void TFormIpconfig::FillOtherLanLists() {
  StringList labels;
  for (const auto& label : editor_.CardLabels()) labels.push_back(UnmarkedCardLabel(label));
  CardLists lists = FillCardLists(editor_.ShownName(), editor_.CardIds(), labels);
  TFormOtherLAN* otherLan = Dialogs().otherLan;
  if (!otherLan) return;
  otherLan->SetTargetCards(lists.targets, editor_.CardIds());
  if (lists.sources) otherLan->SetSourceCards(lists.sources->items, lists.sources->cardIds);
}

bool TFormIpconfig::CopyOtherLanCard(const std::wstring& fromCardId, const std::wstring& toCardId,
                                     const std::wstring& toLabel) {
  CardCopyOutcome outcome = CopyCardSettings(fromCardId, toCardId, toLabel, kUndoFileName);
  actions_.undoOtherLan.SetEnabled(outcome.undoAvailable);
  // Without both cards chosen the dialog stays open, without a message.
  if (outcome.result == CardCopyResult::NotChosen) return false;
  Ask().ShowMessage(CardCopyMessage(outcome));
  if (outcome.result == CardCopyResult::Copied) editor_.Load();
  return true;
}

}  // namespace kip
