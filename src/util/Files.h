// File names, folders of the system and rewriting files.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "util/UniqueHandle.h"

namespace kip {

// The name with every character that Windows forbids (or that the program's
// own lists use as separators) replaced by its full-width look-alike, so a
// setting's name can become part of a file name. Works on whole characters.
std::wstring MakeSafeFileName(std::wstring_view name);

// The path of a shell special folder (CSIDL_*) with one trailing backslash;
// empty when the shell does not know the folder.
std::wstring GetSpecialFolder(int csidl, HWND owner = nullptr);
// The "temp" variable trimmed of surrounding blanks, with one trailing
// backslash ("\" when it is unset or 260 characters or longer).
std::wstring GetTempFolder();
// The Windows system folder with one trailing backslash.
std::wstring GetSystemFolder();
// The user's desktop folder with one trailing backslash.
std::wstring GetDesktopFolder();

// The full path of the running program and its folder (with a trailing
// backslash).
std::wstring ProgramPath();
std::wstring ProgramFolder();

// Path pieces. A folder part keeps its trailing backslash (or the drive's
// colon); an extension keeps its dot.
std::wstring ExtractFilePath(std::wstring_view path);
std::wstring ExtractFileName(std::wstring_view path);
std::wstring ExtractFileExt(std::wstring_view path);
// The path with its extension replaced by `ext` (given with its dot, or empty
// to remove it); a path without extension gets `ext` appended.
std::wstring ChangeFileExt(std::wstring_view path, std::wstring_view ext);
// The path with a trailing backslash added when missing; empty stays empty.
std::wstring IncludeTrailingBackslash(std::wstring_view path);

// True when the path names an existing file (not a folder).
bool FileExists(const std::wstring& path);

// Creates or truncates the file for writing. When that fails and retries
// remain, waits one minute (window messages are handled meanwhile) and tries
// again: at most retries + 1 attempts. The result converts to false when every
// attempt failed; otherwise it is the open file, ready for WriteAll.
UniqueFileHandle RewriteWithRetry(const std::wstring& path, int retries);

// Writes every byte to the open file; false when a write fails.
bool WriteAll(HANDLE file, std::string_view bytes);
// Creates or truncates the file and writes the bytes to it.
bool WriteWholeFile(const std::wstring& path, std::string_view bytes);
// Appends the bytes to the file, creating it when missing.
bool AppendBytesToFile(const std::wstring& path, std::string_view bytes);
// The whole content of a file; empty when it cannot be read.
std::string ReadWholeFile(const std::wstring& path);
// The same, telling a missing or unreadable file (false) from an empty one.
bool ReadWholeFile(const std::wstring& path, std::string& data);
// Appends the rest of an open file, from its current position; false when
// a read fails.
bool ReadAllFrom(HANDLE file, std::string& data);

// Replacing a file that must never be seen half written (a backup, a batch
// file the next commit runs): the new content goes to a sibling file first,
// is flushed, and only a complete file is moved over the old one in one
// step. After a failure the old file is untouched and no sibling is left.

// The sibling a new version of `path` is written to before it replaces it.
std::wstring ReplacementPath(const std::wstring& path);
// Moves the finished `replacement` over `path`, replacing it; false (both
// files left as they were) when the move fails.
bool ReplaceFileWith(const std::wstring& replacement, const std::wstring& path);
// Writes the bytes as a new file in place of `path`. False when the new file
// could not be written or moved; GetLastError() tells why.
bool ReplaceWholeFile(const std::wstring& path, std::string_view bytes);

}  // namespace kip
