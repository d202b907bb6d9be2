#include "util/FileInfo.h"

#include <windows.h>

#include <cwchar>
#include <string_view>
#include <vector>

#include "util/Files.h"
#include "util/Text.h"

namespace kip {

namespace {

constexpr size_t kMaxFieldLength = 256;

bool HasVersionedExtension(const std::wstring& path) {
  const std::wstring ext = ToLower(ExtractFileExt(path));
  for (const wchar_t* known : {L".exe", L".dll", L".scr", L".ocx", L".jpn"}) {
    if (ext == known) return true;
  }
  return false;
}

// "LLLLCCCC": language and code page of the first translation, or empty.
std::wstring FirstTranslation(const void* block) {
  void* value = nullptr;
  UINT size = 0;
  if (!VerQueryValueW(block, L"\\VarFileInfo\\Translation", &value, &size) || !value || size < 4) return {};
  const WORD* words = static_cast<const WORD*>(value);
  wchar_t text[9];
  std::swprintf(text, 9, L"%04X%04X", words[0], words[1]);
  return text;
}

std::wstring QueryString(const void* block, const std::wstring& prefix, const wchar_t* key) {
  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(block, (prefix + key).c_str(), &value, &length) || !value) return {};
  std::wstring_view text(static_cast<const wchar_t*>(value), length);
  text = text.substr(0, text.find(L'\0'));
  return std::wstring(text.substr(0, kMaxFieldLength));
}

}  // namespace

bool GetFileInfo(const std::wstring& path, FileInfo& info) {
  info = FileInfo{};
  if (!HasVersionedExtension(path)) return true;

  DWORD handle = 0;
  DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
  if (size == 0) return true;
  std::vector<BYTE> block(size);
  if (!GetFileVersionInfoW(path.c_str(), 0, size, block.data())) return true;
  const std::wstring translation = FirstTranslation(block.data());
  if (translation.empty()) return true;

  const std::wstring prefix = L"\\StringFileInfo\\" + translation + L"\\";
  const struct {
    std::wstring FileInfo::*field;
    const wchar_t* key;
  } fields[] = {
      {&FileInfo::fileVersion, L"FileVersion"},
      {&FileInfo::author, L"LegalCopyright"},
      {&FileInfo::productName, L"ProductName"},
  };
  for (const auto& [field, key] : fields) info.*field = QueryString(block.data(), prefix, key);
  return true;
}

}  // namespace kip
