#include "apply/StepLog.h"

#include <cstdio>

#include "util/Files.h"
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

}  // namespace

void StepLog::Write(const std::wstring& text, const std::wstring& result) const {
  if (!Enabled()) return;
  UniqueFileHandle file(CreateFileW(path_.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file) WriteAll(file.get(), ToUtf8(LocalTimeText() + L"\t" + text + L"\t" + result + L"\r\n"));
}

void StepLog::StepEnded(CommitStep step, bool succeeded) const {
  Write(CommitStepText(step), succeeded ? L"OK" : L"失敗");
}

}  // namespace kip
