#include "ui/BatchMemo.h"

#include "util/Process.h"
#include "util/Text.h"

namespace kip {

std::optional<std::wstring> BatchMemoLine(BatchMemoItem item, const std::optional<std::wstring>& chosenFile) {
  switch (item) {
    case BatchMemoItem::FileName:
      if (!chosenFile) return std::nullopt;
      return L"\"" + *chosenFile + L"\"";
    case BatchMemoItem::NetAddDrive:
      return L"net use /?";
    case BatchMemoItem::SetRoute:
      return L"route add";
    case BatchMemoItem::IpConfig:
      return L"ipconfig";
    case BatchMemoItem::Pause:
      return L"pause";
  }
  return std::nullopt;
}

BatchMemo TargetMemo(bool beforeHasFocus) { return beforeHasFocus ? BatchMemo::Before : BatchMemo::After; }

std::wstring NotepadHostsCommandLine(std::wstring_view hostsField, std::wstring_view hostsDirectory) {
  std::wstring path = Trim(hostsField);
  if (path.empty()) path = std::wstring(hostsDirectory) + L"\\hosts";
  return L"notepad " + path;
}

bool OpenHostsInNotepad(std::wstring_view hostsField, std::wstring_view hostsDirectory) {
  return RunCommand(NotepadHostsCommandLine(hostsField, hostsDirectory));
}

}  // namespace kip
