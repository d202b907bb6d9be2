#include "store/BatchFiles.h"

#include "util/Errors.h"
#include "util/Files.h"
#include "util/UniqueHandle.h"

namespace kip {

BatchFilePaths BatchFilesOf(std::wstring_view settingName, const std::wstring& programFolder) {
  std::wstring base = programFolder + MakeSafeFileName(settingName);
  return {base + L"_b.bat", base + L"_a.bat"};
}

StringList ReadBatchFile(const std::wstring& path) {
  if (!FileExists(path)) return {};
  UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) throw EOSError(GetLastError());
  std::string bytes;
  char buffer[64 * 1024];
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr)) throw EOSError(GetLastError());
    if (got == 0) break;
    bytes.append(buffer, got);
  }
  return SplitLines(FromAnsi(bytes));
}

void WriteBatchFile(const std::wstring& path, const StringList& lines) {
  if (lines.empty()) {
    if (!DeleteFileW(path.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND) throw EOSError(GetLastError());
    return;
  }
  if (!WriteWholeFile(path, ToAnsi(JoinLines(lines)))) throw EOSError(GetLastError());
}

bool MoveBatchFile(const std::wstring& from, const std::wstring& to) {
  if (!FileExists(from)) return true;
  if (!CopyFileW(from.c_str(), to.c_str(), FALSE)) return false;
  DeleteFileW(from.c_str());
  return true;
}

}  // namespace kip
