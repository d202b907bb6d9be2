#include "util/Files.h"

#include <objbase.h>
#include <shlobj.h>

#include <algorithm>
#include <array>
#include <utility>

#include "util/Process.h"
#include "util/Text.h"

namespace kip {

namespace {

// Paths and variables are read into buffers of this size.
constexpr DWORD kPathBuffer = MAX_PATH;

// In this order; each character gives way to its full-width look-alike.
constexpr std::array<std::pair<wchar_t, wchar_t>, 11> kSafeNameTable{{
    {L'\\', L'\xFFE5'},
    {L'/', L'\xFF0F'},
    {L':', L'\xFF1A'},
    {L',', L'\xFF0C'},
    {L';', L'\xFF1B'},
    {L'*', L'\xFF0A'},
    {L'?', L'\xFF1F'},
    {L'"', L'\x201D'},
    {L'<', L'\xFF1C'},
    {L'>', L'\xFF1E'},
    {L'|', L'\xFF5C'},
}};

bool IsPathDelimiter(wchar_t c) { return c == L'\\' || c == L':' || c == L'/'; }

// Index just past the folder part of a path (0 when there is none).
size_t FolderPartEnd(std::wstring_view path) {
  size_t i = path.size();
  while (i > 0 && !IsPathDelimiter(path[i - 1])) --i;
  return i;
}

// Index of the extension's dot, or npos.
size_t ExtensionDot(std::wstring_view path) {
  size_t nameStart = FolderPartEnd(path);
  size_t dot = path.rfind(L'.');
  return dot != std::wstring_view::npos && dot >= nameStart ? dot : std::wstring_view::npos;
}

}  // namespace

std::wstring MakeSafeFileName(std::wstring_view name) {
  std::wstring out(name);
  // The replacements never produce a character of the table, so applying
  // them one after another equals one pass over the text.
  for (wchar_t& c : out) {
    for (const auto& [from, to] : kSafeNameTable) {
      if (c == from) {
        c = to;
        break;
      }
    }
  }
  return out;
}

std::wstring GetSpecialFolder(int csidl, HWND owner) {
  PIDLIST_ABSOLUTE pidl = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(owner, csidl, &pidl)) || pidl == nullptr) return {};
  wchar_t buffer[kPathBuffer] = {};
  BOOL found = SHGetPathFromIDListW(pidl, buffer);
  CoTaskMemFree(pidl);
  if (!found) return {};
  return IncludeTrailingBackslash(Trim(buffer));
}

std::wstring GetTempFolder() {
  wchar_t buffer[kPathBuffer];
  const DWORD n = GetEnvironmentVariableW(L"temp", buffer, kPathBuffer);
  const std::wstring temp = n == 0 || n >= kPathBuffer ? std::wstring() : Trim(std::wstring_view(buffer, n));
  // An unset variable deliberately yields "\" alone: callers append a file
  // name and get a path in the root of the current drive.
  if (temp.empty()) return L"\\";
  return IncludeTrailingBackslash(temp);
}

std::wstring GetSystemFolder() {
  wchar_t buffer[kPathBuffer] = {};
  UINT n = GetSystemDirectoryW(buffer, kPathBuffer);
  if (n == 0 || n >= kPathBuffer) return {};
  return IncludeTrailingBackslash(Trim(std::wstring_view(buffer, n)));
}

std::wstring GetDesktopFolder() { return GetSpecialFolder(CSIDL_DESKTOPDIRECTORY); }

std::wstring ProgramPath() {
  std::wstring path(kPathBuffer, L'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

std::wstring ProgramFolder() { return ExtractFilePath(ProgramPath()); }

std::wstring ExtractFilePath(std::wstring_view path) {
  return std::wstring(path.substr(0, FolderPartEnd(path)));
}

std::wstring ExtractFileName(std::wstring_view path) {
  return std::wstring(path.substr(FolderPartEnd(path)));
}

std::wstring ExtractFileExt(std::wstring_view path) {
  size_t dot = ExtensionDot(path);
  return dot == std::wstring_view::npos ? std::wstring() : std::wstring(path.substr(dot));
}

std::wstring ChangeFileExt(std::wstring_view path, std::wstring_view ext) {
  size_t dot = ExtensionDot(path);
  std::wstring out(path.substr(0, dot == std::wstring_view::npos ? path.size() : dot));
  out += ext;
  return out;
}

std::wstring IncludeTrailingBackslash(std::wstring_view path) {
  std::wstring out(path);
  if (out.empty()) return out;
  if (out.back() != L'\\') out += L'\\';
  return out;
}

bool FileExists(const std::wstring& path) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

namespace {

UniqueFileHandle CreateForWriting(const std::wstring& path) {
  return UniqueFileHandle(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
}

}  // namespace

UniqueFileHandle RewriteWithRetry(const std::wstring& path, int retries) {
  for (int attempt = 0;; ++attempt) {
    UniqueFileHandle file = CreateForWriting(path);
    if (file || attempt >= retries) return file;
    WaitMinutes(1);
  }
}

bool WriteAll(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 20));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

bool WriteWholeFile(const std::wstring& path, std::string_view bytes) {
  UniqueFileHandle file = CreateForWriting(path);
  return file && WriteAll(file.get(), bytes);
}

bool AppendBytesToFile(const std::wstring& path, std::string_view bytes) {
  UniqueFileHandle file(CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  return file && WriteAll(file.get(), bytes);
}

std::string ReadWholeFile(const std::wstring& path) {
  std::string data;
  ReadWholeFile(path, data);
  return data;
}

bool ReadWholeFile(const std::wstring& path, std::string& data) {
  data.clear();
  UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  return file && ReadAllFrom(file.get(), data);
}

bool ReadAllFrom(HANDLE file, std::string& data) {
  char chunk[65536];
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file, chunk, sizeof chunk, &got, nullptr)) return false;
    if (got == 0) return true;
    data.append(chunk, got);
  }
}

std::wstring ReplacementPath(const std::wstring& path) { return path + L".new"; }

bool ReplaceFileWith(const std::wstring& replacement, const std::wstring& path) {
  return MoveFileExW(replacement.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

bool ReplaceWholeFile(const std::wstring& path, std::string_view bytes) {
  const std::wstring replacement = ReplacementPath(path);
  bool written = false;
  {
    UniqueFileHandle file = CreateForWriting(replacement);
    written = file && WriteAll(file.get(), bytes) && FlushFileBuffers(file.get());
  }
  if (written && ReplaceFileWith(replacement, path)) return true;
  const DWORD error = GetLastError();
  DeleteFileW(replacement.c_str());
  SetLastError(error);
  return false;
}

}  // namespace kip
