// The before and after commands of a setting: two batch files beside the
// program, named after the setting, one memo line per line, CR LF line ends,
// in the ANSI code page that the command interpreter reads.
#pragma once

#include <string>
#include <string_view>

#include "util/Text.h"

namespace kip {

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
// no error). Raises EOSError when the file cannot be written or deleted.
void WriteBatchFile(const std::wstring& path, const StringList& lines);

// Moves the file over `to` (replacing it) when it exists; false when it
// exists and could not be copied.
bool MoveBatchFile(const std::wstring& from, const std::wstring& to);

}  // namespace kip
