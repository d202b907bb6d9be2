// The batch memos' right-click menu, the HOSTS file's browse button and its
// editing in Notepad.
#include "app/UkIpConfig.h"
#include "ui/BatchMemo.h"

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

}  // namespace kip
