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
  std::string bytes;
  if (!ReadWholeFile(path, bytes)) throw EOSError(GetLastError());
  return SplitLines(FromAnsi(bytes));
}

void WriteBatchFile(const std::wstring& path, const StringList& lines) {
  if (lines.empty()) {
    if (!DeleteBatchFile(path)) throw EOSError(GetLastError());
    return;
  }
  if (!ReplaceWholeFile(path, ToAnsi(JoinLines(lines)))) throw EOSError(GetLastError());
}

bool DeleteBatchFile(const std::wstring& path) {
  return DeleteFileW(path.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND;
}

bool CopyBatchFile(const std::wstring& from, const std::wstring& to) {
  if (!FileExists(from)) return DeleteBatchFile(to);
  std::string bytes;
  return ReadWholeFile(from, bytes) && ReplaceWholeFile(to, bytes);
}

bool BatchFileBackup::Remember(const std::wstring& path) {
  std::optional<std::string> content;
  if (FileExists(path)) {
    content.emplace();
    if (!ReadWholeFile(path, *content)) return false;
  }
  files_.emplace_back(path, std::move(content));
  return true;
}

void BatchFileBackup::Restore() const {
  for (const auto& [path, content] : files_) {
    if (content) {
      ReplaceWholeFile(path, *content);
    } else {
      DeleteBatchFile(path);
    }
  }
}

}  // namespace kip
