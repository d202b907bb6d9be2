// What the pages' buttons and menus ask of the machine or the program: the
// batch memos' right-click menu, the HOSTS file's browse button and its
// editing in Notepad, the printer list, the take-over of the machine's proxy
// settings, and the help menu.
#include "app/UkIpConfig.h"
#include "machine/InternetSettings.h"
#include "machine/QpPrinters.h"
#include "ui/BatchMemo.h"
#include "ui/ProxyRules.h"
#include "ui/UAbout.h"
#include "util/Process.h"

namespace kip {

void TFormIpconfig::mFileNameClick() {
  // The focus decides the memo: take it before the file dialog moves it.
  BatchMemo target = pages_.batch.Target();
  std::optional<std::wstring> line = BatchMemoLine(BatchMemoItem::FileName, Ask().ChooseFile());
  if (line) pages_.batch.Append(target, *line);
}

void TFormIpconfig::AppendBatchLine(int item) {
  if (std::optional<std::wstring> line = BatchMemoLine(static_cast<BatchMemoItem>(item))) {
    pages_.batch.Append(pages_.batch.Target(), *line);
  }
}

void TFormIpconfig::ButtonBrowsClick() {
  std::optional<std::wstring> file = Ask().ChooseFile();
  if (!file) return;
  pages_.other.ChooseHostsFile(*file);
}

void TFormIpconfig::mEditHOSTSClick() { OpenHostsInNotepad(pages_.other.Current().hostsFile, HostsDirectory); }

// Filled once at start-up.
void TFormIpconfig::ListPrinters() {
  TQpPrinter printers;
  pages_.other.ListPrinters(ReadPrinterList(printers).names);
}

void TFormIpconfig::ButtonGetProxyClick() {
  if (std::optional<InternetSettingsValues> machine = ReadInternetSettingsValues()) {
    pages_.internet.TakeOver(ProxyFieldsFromMachine(*machine));
  }
  if (TakeOverNeedsHint(pages_.internet.Current().server)) Ask().ShowMessage(kProxyTakeOverHint);
}

// One about box for the whole run.
void TFormIpconfig::About1Click() {
  if (!about_) about_ = std::make_unique<AboutBox>();
  about_->Show(Handle(), FormFont(), ProgramPath());
}

void TFormIpconfig::mHelpClick() { OpenDocument(HelpPagePath(ProgramPath()), L""); }

}  // namespace kip
