#include "store/SettingNames.h"

#include <windows.h>

#include "store/StoreKeys.h"
#include "util/Files.h"

namespace kip {

std::wstring NormalizeSettingName(std::wstring_view name) {
  std::wstring result;
  result.reserve(name.size());
  for (wchar_t c : name) result += c == L'\\' ? L'\uFFE5' : c;
  return result;
}

bool SameSettingName(std::wstring_view a, std::wstring_view b) {
  return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
         CSTR_EQUAL;
}

int FindSettingName(const StringList& names, std::wstring_view name, int except) {
  for (size_t i = 0; i < names.size(); ++i) {
    if (static_cast<int>(i) != except && SameSettingName(names[i], name)) return static_cast<int>(i);
  }
  return -1;
}

bool ShareBatchFiles(std::wstring_view a, std::wstring_view b) {
  return SameSettingName(MakeSafeFileName(a), MakeSafeFileName(b));
}

bool SettingNameTaken(const StringList& names, std::wstring_view name, int except) {
  if (SameSettingName(name, kOptionsKeyName)) return true;
  // Names that share batch files include every name of the same key.
  for (size_t i = 0; i < names.size(); ++i) {
    if (static_cast<int>(i) != except && ShareBatchFiles(names[i], name)) return true;
  }
  return false;
}

std::wstring NewSettingName(const StringList& names) {
  for (int n = 0;; ++n) {
    std::wstring candidate = L"新しい設定" + std::to_wstring(n);
    if (FindSettingName(names, candidate) < 0) return candidate;
  }
}

std::wstring CopyProposal(const StringList& names, int index) {
  std::wstring proposal = index >= 0 && index < static_cast<int>(names.size()) ? names[index] : std::wstring();
  for (int pass = 0; FindSettingName(names, proposal, index) >= 0; ++pass) proposal += std::to_wstring(pass);
  return proposal + L" Copy";
}

}  // namespace kip
