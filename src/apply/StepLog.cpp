#include "apply/StepLog.h"

#include <algorithm>
#include <cstdio>
#include <cwctype>

#include "util/Errors.h"
#include "util/Files.h"
#include "util/Text.h"
#include "util/UniqueHandle.h"

namespace kip {

namespace {

std::wstring LocalTimeText() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  wchar_t text[32];
  std::swprintf(text, 32, L"%04u-%02u-%02u %02u:%02u:%02u", now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute,
                now.wSecond);
  return text;
}

bool IsReservedDeviceName(std::wstring name) {
  // "NUL.log", "com1 .txt": Windows takes what stands before the first dot,
  // without trailing blanks.
  name = name.substr(0, name.find(L'.'));
  while (!name.empty() && name.back() == L' ') name.pop_back();
  for (wchar_t& c : name) c = static_cast<wchar_t>(std::towupper(c));
  if (name == L"CON" || name == L"PRN" || name == L"AUX" || name == L"NUL" || name == L"CONIN$" || name == L"CONOUT$") {
    return true;
  }
  if (name.size() != 4 || (!name.starts_with(L"COM") && !name.starts_with(L"LPT"))) return false;
  const wchar_t digit = name[3];
  // Superscript one to three count as digits here too.
  return (digit >= L'1' && digit <= L'9') || digit == L'\u00B9' || digit == L'\u00B2' || digit == L'\u00B3';
}

// A path in the device namespace ("\\.\PhysicalDrive0", "\\?\Volume{…}",
// "\??\C:\x", which reaches the object manager as it is) or a reserved
// device name in any folder ("C:\logs\NUL", "CON", "COM1.log"): opened for
// appending as administrator it would write into the device. "\\?\C:\…"
// and "\\?\UNC\…" are long file paths and stay allowed.
bool NamesADevice(std::wstring path) {
  std::replace(path.begin(), path.end(), L'/', L'\\');  // "//./x" is "\\.\x" to Windows
  if (StartsWith(path, L"\\\\.\\") || StartsWith(path, L"\\??\\")) return true;
  if (StartsWith(path, L"\\\\?\\")) {
    const std::wstring rest = path.substr(4);
    const bool drive = rest.size() >= 3 && rest[1] == L':' && rest[2] == L'\\';
    if (!drive && !StartsWith(rest, L"UNC\\")) return true;
  }
  const size_t slash = path.find_last_of(L"\\:");
  return IsReservedDeviceName(slash == std::wstring::npos ? path : path.substr(slash + 1));
}

// The log for appending, shared with readers only, so that another writer
// holding it is refused rather than interleaved. Only a file on a disk:
// "NUL", "CON" or "COM1.log" open as character devices.
UniqueFileHandle OpenForAppend(const std::wstring& path, std::wstring* failure) {
  if (NamesADevice(path)) {
    if (failure) *failure = L"ファイルではありません";
    return {};
  }
  UniqueFileHandle file(CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    if (failure) *failure = SystemErrorText(GetLastError());
    return {};
  }
  if (GetFileType(file.get()) != FILE_TYPE_DISK) {
    if (failure) *failure = L"ファイルではありません";
    return {};
  }
  return file;
}

}  // namespace

std::wstring StepLog::OpenFailure() const {
  if (!Enabled()) return {};
  std::wstring failure;
  if (OpenForAppend(path_, &failure)) return {};
  return L"ログファイルを開けません: " + path_ + L" (" + failure + L")";
}

void StepLog::Write(const std::wstring& text, const std::wstring& result) const {
  if (!Enabled()) return;
  UniqueFileHandle file = OpenForAppend(path_, nullptr);
  if (file) WriteAll(file.get(), ToUtf8(LocalTimeText() + L"\t" + text + L"\t" + result + L"\r\n"));
}

void StepLog::StepEnded(CommitStep step, bool succeeded) const {
  Write(CommitStepText(step), succeeded ? L"OK" : L"失敗");
}

}  // namespace kip
