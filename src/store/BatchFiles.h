// The before and after commands of a setting: two batch files beside the
// program, named after the setting, one memo line per line, CR LF line ends,
// in the ANSI code page that the command interpreter reads.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "util/Text.h"

namespace kip {

// The lines of the before and after commands.
struct BatchTexts {
  StringList before;
  StringList after;
  bool operator==(const BatchTexts&) const = default;
};

struct BatchFilePaths {
  std::wstring before;  // folder + safe name + "_b.bat"
  std::wstring after;   // folder + safe name + "_a.bat"
};

// `programFolder` ends with a backslash.
BatchFilePaths BatchFilesOf(std::wstring_view settingName, const std::wstring& programFolder);

// The lines of the file; empty when it does not exist. Raises EOSError when
// it exists but cannot be read.
StringList ReadBatchFile(const std::wstring& path);

// Writes the lines, replacing the file; no lines delete it (a missing file is
// no error). The file is either the old one or the complete new one, never a
// truncated one that a commit would run. Raises EOSError when the file cannot
// be written or deleted.
void WriteBatchFile(const std::wstring& path, const StringList& lines);

// Deletes the file; true when it is gone (a missing file is no error).
bool DeleteBatchFile(const std::wstring& path);

// Makes `to` a copy of `from`, or deletes `to` when `from` does not exist, so
// that `to` ends up exactly as `from` is; false when that failed (`to` is
// then as it was).
bool CopyBatchFile(const std::wstring& from, const std::wstring& to);

// The content of files before a change, to put them back when the change
// does not complete.
class BatchFileBackup {
 public:
  // Remembers the file's content, or that there is none. False when it
  // exists but cannot be read: it could not be put back.
  bool Remember(const std::wstring& path);
  // Puts every remembered file back as it was (rewritten, or deleted when it
  // did not exist), as far as the file system lets it.
  void Restore() const;

 private:
  std::vector<std::pair<std::wstring, std::optional<std::string>>> files_;
};

}  // namespace kip
