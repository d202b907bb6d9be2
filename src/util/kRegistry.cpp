#include "util/kRegistry.h"

#include <cstring>
#include <utility>

namespace kip {

namespace {

// Enough for any value whose size changes a few times between the size query
// and the read; a value that keeps changing is treated as unreadable.
constexpr int kReadAttempts = 8;
// Key names are at most 255 characters, value names at most 16383.
constexpr DWORD kMaxNameBuffer = 32768;

std::wstring Formatted(std::wstring_view pattern, std::wstring_view name) {
  return FormatMessageText(pattern, name);
}

bool ReadRawFrom(HKEY key, const std::wstring& name, TRegRawValue& value) {
  if (key == nullptr) return false;
  // Most values fit a small buffer: one call instead of asking the size
  // first (every call is a trip to the registry server).
  std::vector<BYTE> data(512);
  for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
    DWORD type = REG_NONE;
    DWORD got = static_cast<DWORD>(data.size());
    LONG rc = RegQueryValueExW(key, name.c_str(), nullptr, &type, data.data(), &got);
    if (rc == ERROR_MORE_DATA) {
      data.resize(got);  // the size it needs now; it may grow again meanwhile
      continue;
    }
    if (rc != ERROR_SUCCESS) return false;
    data.resize(got);
    value.Type = type;
    value.Data = std::move(data);
    return true;
  }
  return false;
}

// Text of REG_SZ data up to its first NUL; an odd trailing byte is ignored.
std::wstring TextOf(const std::vector<BYTE>& data) {
  std::wstring text(data.size() / sizeof(wchar_t), L'\0');
  if (!text.empty()) std::memcpy(text.data(), data.data(), text.size() * sizeof(wchar_t));
  size_t end = text.find(L'\0');
  if (end != std::wstring::npos) text.resize(end);
  return text;
}

template <typename Enum>
void EnumerateNames(HKEY key, StringList& list, Enum enumerate) {
  list.clear();
  if (key == nullptr) return;
  std::vector<wchar_t> buffer(256);
  for (DWORD index = 0;;) {
    DWORD length = static_cast<DWORD>(buffer.size());
    LONG rc = enumerate(key, index, buffer.data(), &length);
    if (rc == ERROR_MORE_DATA && buffer.size() < kMaxNameBuffer) {
      buffer.resize(buffer.size() * 2);
      continue;
    }
    if (rc != ERROR_SUCCESS) return;
    list.emplace_back(buffer.data(), length);
    ++index;
  }
}

// The Windows type of a value; nothing when there is no key or no value.
std::optional<DWORD> ValueType(HKEY key, std::wstring_view name) {
  DWORD type = REG_NONE;
  DWORD size = 0;
  if (!key || RegQueryValueExW(key, std::wstring(name).c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return type;
}

}  // namespace

std::wstring GetEnvironmentText(std::wstring_view name) {
  std::wstring key(name);
  DWORD size = GetEnvironmentVariableW(key.c_str(), nullptr, 0);
  for (int attempt = 0; size != 0 && attempt < kReadAttempts; ++attempt) {
    std::wstring value(size, L'\0');
    DWORD got = GetEnvironmentVariableW(key.c_str(), value.data(), size);
    if (got == 0) break;
    if (got >= size) {  // changed between the two calls
      size = got;
      continue;
    }
    value.resize(got);
    return Trim(value.substr(0, value.find(L'\0')));
  }
  return {};
}

std::wstring ExpandEnvironmentReferences(std::wstring_view text) {
  std::wstring result;
  std::wstring name;
  bool inside = false;
  for (wchar_t c : text) {
    if (c == L'%') {
      if (inside) result += GetEnvironmentText(name);
      name.clear();
      inside = !inside;
    } else if (inside) {
      name += c;
    } else {
      result += c;
    }
  }
  return result;
}

TkRegistry::Target TkRegistry::Resolve(std::wstring_view path) const {
  if (!path.empty() && path.front() == L'\\') return {root_, std::wstring(path.substr(1))};
  if (key_) return {key_.get(), std::wstring(path)};
  return {root_, std::wstring(path)};
}

bool TkRegistry::Open(std::wstring_view path, REGSAM access, bool create) {
  const Target target = Resolve(path);
  HKEY opened = nullptr;
  LONG rc;
  if (create && !target.subkey.empty()) {
    rc = RegCreateKeyExW(target.base, target.subkey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                         nullptr, &opened, nullptr);
  } else {
    rc = RegOpenKeyExW(target.base, target.subkey.c_str(), 0, access, &opened);
  }
  return Adopt(rc, opened);
}

bool TkRegistry::Adopt(LONG rc, HKEY opened) {
  CloseKey();
  if (rc != ERROR_SUCCESS) return false;
  key_.reset(opened);
  return true;
}

bool TkRegistry::OpenKey(std::wstring_view path, bool create) { return Open(path, KEY_ALL_ACCESS, create); }

bool TkRegistry::OpenKeyReadOnly(std::wstring_view path) {
  // Some keys of Windows grant only part of KEY_READ; their values can still
  // be read with query access. Asked only when KEY_READ is refused: each
  // open is a call into the registry.
  const Target target = Resolve(path);
  HKEY opened = nullptr;
  LONG rc = RegOpenKeyExW(target.base, target.subkey.c_str(), 0, KEY_READ, &opened);
  if (rc == ERROR_ACCESS_DENIED) rc = RegOpenKeyExW(target.base, target.subkey.c_str(), 0, KEY_QUERY_VALUE, &opened);
  return Adopt(rc, opened);
}

void TkRegistry::CloseKey() { key_.reset(); }

bool TkRegistry::KeyExists(std::wstring_view path) const {
  Target target = Resolve(path);
  UniqueHKey probe;
  LONG rc = RegOpenKeyExW(target.base, target.subkey.c_str(), 0, KEY_READ, probe.put());
  return rc == ERROR_SUCCESS || rc == ERROR_ACCESS_DENIED;
}

bool TkRegistry::DeleteKey(std::wstring_view path) {
  Target target = Resolve(path);
  // An empty path would name the base key itself (possibly the root): never
  // take that as a request to empty it.
  if (target.subkey.empty()) return false;
  return RegDeleteTreeW(target.base, target.subkey.c_str()) == ERROR_SUCCESS;
}

void TkRegistry::GetKeyNames(StringList& list) const {
  EnumerateNames(key_.get(), list, [](HKEY key, DWORD index, wchar_t* name, DWORD* length) {
    return RegEnumKeyExW(key, index, name, length, nullptr, nullptr, nullptr, nullptr);
  });
}

void TkRegistry::GetValueNames(StringList& list) const {
  EnumerateNames(key_.get(), list, [](HKEY key, DWORD index, wchar_t* name, DWORD* length) {
    return RegEnumValueW(key, index, name, length, nullptr, nullptr, nullptr, nullptr);
  });
}

bool TkRegistry::ValueExists(std::wstring_view name) const { return ValueType(key_.get(), name).has_value(); }

bool TkRegistry::DeleteValue(std::wstring_view name) {
  if (!key_) return false;
  return RegDeleteValueW(key_.get(), std::wstring(name).c_str()) == ERROR_SUCCESS;
}

TRegDataType TkRegistry::GetDataType(std::wstring_view name) const {
  switch (ValueType(key_.get(), name).value_or(REG_NONE)) {
    case REG_SZ: return rdString;
    case REG_EXPAND_SZ: return rdExpandString;
    case REG_DWORD: return rdInteger;
    case REG_BINARY: return rdBinary;
    case REG_MULTI_SZ: return rdMultiString;
    default: return rdUnknown;
  }
}

bool TkRegistry::ReadRaw(std::wstring_view name, TRegRawValue& value) const {
  return ReadRawFrom(key_.get(), std::wstring(name), value);
}

namespace {

bool IsStringType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ; }

std::optional<int> IntegerOf(const TRegRawValue& value) {
  if (value.Type != REG_DWORD || value.Data.size() != sizeof(DWORD)) return std::nullopt;
  DWORD number;
  std::memcpy(&number, value.Data.data(), sizeof number);
  return static_cast<int>(number);
}

}  // namespace

std::optional<std::wstring> TkRegistry::TryReadString(std::wstring_view name) const {
  TRegRawValue value;
  if (!ReadRaw(name, value)) return std::wstring();
  if (!IsStringType(value.Type)) return std::nullopt;
  return TextOf(value.Data);
}

std::wstring TkRegistry::ReadString(std::wstring_view name) const {
  std::optional<std::wstring> text = TryReadString(name);
  if (!text) throw ERegistryException(Formatted(kRegInvalidType, name));
  return std::move(*text);
}

std::optional<int> TkRegistry::TryReadInteger(std::wstring_view name) const {
  TRegRawValue value;
  return ReadRaw(name, value) ? IntegerOf(value) : std::nullopt;
}

int TkRegistry::ReadInteger(std::wstring_view name) const {
  TRegRawValue value;
  if (!ReadRaw(name, value)) throw ERegistryException(Formatted(kRegGetFailed, name));
  std::optional<int> number = IntegerOf(value);
  if (!number) throw ERegistryException(Formatted(kRegInvalidType, name));
  return *number;
}

void TkRegistry::Write(std::wstring_view name, DWORD type, const void* data, DWORD size) {
  if (!key_ || RegSetValueExW(key_.get(), std::wstring(name).c_str(), 0, type, static_cast<const BYTE*>(data),
                              size) != ERROR_SUCCESS)
    throw ERegistryException(Formatted(kRegSetFailed, name));
}

void TkRegistry::WriteRaw(std::wstring_view name, DWORD type, const void* data, DWORD size) {
  Write(name, type, data, size);
}

void TkRegistry::WriteString(std::wstring_view name, std::wstring_view text) {
  std::wstring data(text);
  Write(name, REG_SZ, data.c_str(), static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
}

void TkRegistry::WriteInteger(std::wstring_view name, int value) {
  DWORD number = static_cast<DWORD>(value);
  Write(name, REG_DWORD, &number, sizeof number);
}

void TkRegistry::WriteStringList(std::wstring_view name, const StringList& list) {
  std::vector<BYTE> data = EncodeMultiString(list);
  Write(name, REG_MULTI_SZ, data.data(), static_cast<DWORD>(data.size()));
}

std::optional<StringList> TkRegistry::TryReadStringList(std::wstring_view name) const {
  TRegRawValue value;
  if (!ReadRaw(name, value) || value.Data.empty()) return StringList();
  if (value.Type != REG_MULTI_SZ) return std::nullopt;
  return DecodeMultiString(value.Data.data(), value.Data.size());
}

void TkRegistry::ReadStringList(std::wstring_view name, StringList& list) const {
  list.clear();
  std::optional<StringList> read = TryReadStringList(name);
  if (!read) throw EkRegistryException(Formatted(kRegInvalidType, name));
  list = std::move(*read);
}

std::optional<std::wstring> TkRegistry::TryReadExpandedString(std::wstring_view name) const {
  std::optional<std::wstring> text = TryReadString(name);
  if (!text) return std::nullopt;
  return ExpandEnvironmentReferences(*text);
}

}  // namespace kip
