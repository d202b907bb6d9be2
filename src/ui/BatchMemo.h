// The editing aids of the batch memos and the HOSTS field: the lines the
// memos' right-click menu appends, which memo receives them, and the Notepad
// command line for the HOSTS file.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kip {

// The items of the memos' right-click menu, in menu order.
enum class BatchMemoItem {
  FileName,     // mFileName "参照..."
  NetAddDrive,  // mNetAddDrive "ネットワークドライブの割り当て"
  SetRoute,     // mSetRoute "ルート設定"
  IpConfig,     // mIpConfig "IPアドレスの表示"
  Pause,        // mPause "ポーズ"
};

// The line an item appends. "参照..." appends the chosen file's full path in
// double quotes, and nothing when no file was chosen; the others ignore
// `chosenFile`.
std::optional<std::wstring> BatchMemoLine(BatchMemoItem item, const std::optional<std::wstring>& chosenFile = {});

// The memo that receives a line: the before-memo while it has the focus,
// otherwise the after-memo.
enum class BatchMemo { Before, After };
BatchMemo TargetMemo(bool beforeHasFocus);

// "notepad " followed by the trimmed HOSTS field, or, when it is blank, by the
// machine's HOSTS folder and "\hosts". The path is passed as typed: Notepad
// takes the rest of its command line as the file name, spaces included.
std::wstring NotepadHostsCommandLine(std::wstring_view hostsField, std::wstring_view hostsDirectory);
// Starts Notepad on that file without waiting; false when it did not start
// (which is not reported to the user).
bool OpenHostsInNotepad(std::wstring_view hostsField, std::wstring_view hostsDirectory);

}  // namespace kip
