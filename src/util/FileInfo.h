// Version strings of a program file.
#pragma once

#include <string>

namespace kip {

// The strings of a file's version resource the program shows; each field is
// empty when the resource does not hold it, and at most 256 characters long.
struct FileInfo {
  std::wstring fileVersion;  // "FileVersion"
  std::wstring author;       // "LegalCopyright"
  std::wstring productName;  // "ProductName"
};

// Empties `info`, then, for a file whose extension is .exe, .dll, .scr,
// .ocx or .jpn (any case), fills it from the first translation of the
// file's version resource. Always returns true: a file without version
// information leaves every field empty.
bool GetFileInfo(const std::wstring& path, FileInfo& info);

}  // namespace kip
