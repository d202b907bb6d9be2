// The batch memos' right-click menu, the HOSTS file's browse button and its
// editing in Notepad.
#include "app/UkIpConfig.h"
#include "ui/BatchMemo.h"

namespace kip {

void TFormIpconfig::mFileNameClick() {
  // The focus decides the memo: take it before the file dialog moves it.
  BatchMemo target = batch_.Target();
  std::optional<std::wstring> line = BatchMemoLine(BatchMemoItem::FileName, Ask().ChooseFile());
  if (line) batch_.Append(target, *line);
}

void TFormIpconfig::AppendBatchLine(int item) {
  if (std::optional<std::wstring> line = BatchMemoLine(static_cast<BatchMemoItem>(item))) {
    batch_.Append(batch_.Target(), *line);
  }
}

void TFormIpconfig::ButtonBrowsClick() {
  std::optional<std::wstring> file = Ask().ChooseFile();
  if (!file) return;
  other_.ChooseHostsFile(*file);
}

void TFormIpconfig::mEditHOSTSClick() { OpenHostsInNotepad(other_.Current().hostsFile, HostsDirectory); }

}  // namespace kip
