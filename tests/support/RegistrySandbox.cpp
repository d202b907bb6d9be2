#include "support/RegistrySandbox.h"

#include <cstring>
#include <stdexcept>

namespace kip {

namespace {

constexpr wchar_t kSandboxParent[] = L"Software\\kIpTestSandbox";

// A second sandbox would nest inside the first and, when it ended, undo the
// first one's redirection; refuse it.
bool g_active = false;
unsigned g_counter = 0;

std::wstring Relative(std::wstring_view path) {
  if (!path.empty() && path.front() == L'\\') path.remove_prefix(1);
  return std::wstring(path);
}

std::wstring Describe(HKEY root, std::wstring_view path, std::wstring_view name) {
  std::wstring rootName = root == HKEY_LOCAL_MACHINE ? L"HKLM" : root == HKEY_CURRENT_USER ? L"HKCU" : L"root";
  return rootName + L"\\" + Relative(path) + L" [" + std::wstring(name) + L"]";
}

UniqueHKey OpenForRead(HKEY root, std::wstring_view path) {
  UniqueHKey key;
  if (RegOpenKeyExW(root, Relative(path).c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) key.reset();
  return key;
}

UniqueHKey CreateOrFail(HKEY root, std::wstring_view path) {
  UniqueHKey key;
  LONG rc = RegCreateKeyExW(root, Relative(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                            nullptr, key.put(), nullptr);
  if (rc != ERROR_SUCCESS) {
    key.reset();
    ADD_FAILURE() << "cannot create " << ToUtf8(Describe(root, path, L"")) << ": error " << rc;
  }
  return key;
}

}  // namespace

RegistrySandbox::RegistrySandbox() {
  if (g_active) throw std::logic_error("a registry sandbox is already active in this process");
  path_ = std::wstring(kSandboxParent) + L"\\" + std::to_wstring(GetCurrentProcessId()) + L"-" +
          std::to_wstring(++g_counter);
  // Deleting first clears what a crashed earlier process with the same id
  // may have left.
  RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
  // Open both stand-in keys before redirecting: afterwards HKEY_CURRENT_USER
  // itself would already lead into the sandbox.
  auto create = [this](const wchar_t* leaf, UniqueHKey& key) {
    std::wstring path = path_ + L"\\" + leaf;
    LONG rc = RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_ALL_ACCESS, nullptr, key.put(), nullptr);
    if (rc != ERROR_SUCCESS) throw std::runtime_error("cannot create the registry sandbox: error " + std::to_string(rc));
  };
  create(L"HKLM", machine_);
  create(L"HKCU", user_);
  if (RegOverridePredefKey(HKEY_LOCAL_MACHINE, machine_.get()) != ERROR_SUCCESS ||
      RegOverridePredefKey(HKEY_CURRENT_USER, user_.get()) != ERROR_SUCCESS) {
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
    throw std::runtime_error("cannot redirect the registry roots");
  }
  g_active = true;
}

RegistrySandbox::~RegistrySandbox() {
  RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
  RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
  machine_.reset();
  user_.reset();
  RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
  g_active = false;
}

void RegistrySeed::CreateKey(HKEY root, std::wstring_view path) { CreateOrFail(root, path); }

bool RegistrySeed::KeyExists(HKEY root, std::wstring_view path) { return static_cast<bool>(OpenForRead(root, path)); }

void RegistrySeed::DeleteKey(HKEY root, std::wstring_view path) {
  std::wstring relative = Relative(path);
  if (relative.empty()) {
    ADD_FAILURE() << "refusing to delete a root key";
    return;
  }
  RegDeleteTreeW(root, relative.c_str());
}

void RegistrySeed::DeleteValue(HKEY root, std::wstring_view path, std::wstring_view name) {
  UniqueHKey key;
  if (RegOpenKeyExW(root, Relative(path).c_str(), 0, KEY_SET_VALUE, key.put()) == ERROR_SUCCESS)
    RegDeleteValueW(key.get(), std::wstring(name).c_str());
}

void RegistrySeed::SetRaw(HKEY root, std::wstring_view path, std::wstring_view name, DWORD type,
                          const std::vector<BYTE>& bytes) {
  UniqueHKey key = CreateOrFail(root, path);
  if (!key) return;
  // The registry adds a terminator to string data that lacks one when the
  // character after the data is NUL; a non-NUL guard after the copy keeps
  // the bytes exactly as given.
  std::vector<BYTE> guarded(bytes);
  guarded.insert(guarded.end(), 3, 0xFF);
  LONG rc = RegSetValueExW(key.get(), std::wstring(name).c_str(), 0, type, bytes.empty() ? nullptr : guarded.data(),
                           static_cast<DWORD>(bytes.size()));
  if (rc != ERROR_SUCCESS) ADD_FAILURE() << "cannot set " << ToUtf8(Describe(root, path, name)) << ": error " << rc;
}

std::vector<BYTE> RegistrySeed::WideBytes(std::wstring_view text) {
  std::vector<BYTE> bytes(text.size() * sizeof(wchar_t));
  if (!bytes.empty()) std::memcpy(bytes.data(), text.data(), bytes.size());
  return bytes;
}

void RegistrySeed::SetString(HKEY root, std::wstring_view path, std::wstring_view name, std::wstring_view value) {
  SetRaw(root, path, name, REG_SZ, WideBytes(std::wstring(value).append(1, L'\0')));
}

void RegistrySeed::SetExpandString(HKEY root, std::wstring_view path, std::wstring_view name,
                                   std::wstring_view value) {
  SetRaw(root, path, name, REG_EXPAND_SZ, WideBytes(std::wstring(value).append(1, L'\0')));
}

void RegistrySeed::SetDword(HKEY root, std::wstring_view path, std::wstring_view name, DWORD value) {
  std::vector<BYTE> bytes(sizeof value);
  std::memcpy(bytes.data(), &value, sizeof value);
  SetRaw(root, path, name, REG_DWORD, bytes);
}

void RegistrySeed::SetMultiString(HKEY root, std::wstring_view path, std::wstring_view name,
                                  const std::vector<std::wstring>& entries) {
  SetRaw(root, path, name, REG_MULTI_SZ, EncodeMultiString(entries));
}

std::optional<TRegRawValue> RegistrySeed::GetRaw(HKEY root, std::wstring_view path, std::wstring_view name) {
  UniqueHKey key = OpenForRead(root, path);
  if (!key) return std::nullopt;
  std::wstring valueName(name);
  DWORD type = REG_NONE;
  DWORD size = 0;
  if (RegQueryValueExW(key.get(), valueName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
    return std::nullopt;
  TRegRawValue value;
  value.Type = type;
  value.Data.resize(size);
  if (size != 0 &&
      RegQueryValueExW(key.get(), valueName.c_str(), nullptr, &type, value.Data.data(), &size) != ERROR_SUCCESS)
    return std::nullopt;
  value.Data.resize(size);
  return value;
}

bool RegistrySeed::ValueExists(HKEY root, std::wstring_view path, std::wstring_view name) {
  return GetRaw(root, path, name).has_value();
}

namespace {
std::wstring WideOf(const std::vector<BYTE>& data) {
  std::wstring text(data.size() / sizeof(wchar_t), L'\0');
  if (!text.empty()) std::memcpy(text.data(), data.data(), text.size() * sizeof(wchar_t));
  return text;
}
}  // namespace

std::optional<std::wstring> RegistrySeed::GetString(HKEY root, std::wstring_view path, std::wstring_view name) {
  auto raw = GetRaw(root, path, name);
  if (!raw || (raw->Type != REG_SZ && raw->Type != REG_EXPAND_SZ)) return std::nullopt;
  std::wstring text = WideOf(raw->Data);
  return text.substr(0, text.find(L'\0'));
}

std::optional<DWORD> RegistrySeed::GetDword(HKEY root, std::wstring_view path, std::wstring_view name) {
  auto raw = GetRaw(root, path, name);
  if (!raw || raw->Type != REG_DWORD || raw->Data.size() != sizeof(DWORD)) return std::nullopt;
  DWORD value;
  std::memcpy(&value, raw->Data.data(), sizeof value);
  return value;
}

std::optional<StringList> RegistrySeed::GetMultiString(HKEY root, std::wstring_view path, std::wstring_view name) {
  auto raw = GetRaw(root, path, name);
  if (!raw || raw->Type != REG_MULTI_SZ) return std::nullopt;
  std::wstring text = WideOf(raw->Data);
  // Drop the list terminator (the last NUL of a well-formed value), then
  // split at each remaining NUL.
  if (!text.empty() && text.back() == L'\0') text.pop_back();
  StringList entries;
  if (text.empty()) return entries;
  if (text.back() == L'\0') text.pop_back();
  size_t start = 0;
  for (;;) {
    size_t end = text.find(L'\0', start);
    entries.push_back(text.substr(start, end - start));
    if (end == std::wstring::npos) break;
    start = end + 1;
  }
  return entries;
}

StringList RegistrySeed::SubKeyNames(HKEY root, std::wstring_view path) {
  TkRegistry registry(root);
  StringList names;
  if (registry.OpenKeyReadOnly(L"\\" + Relative(path))) registry.GetKeyNames(names);
  return names;
}

StringList RegistrySeed::ValueNames(HKEY root, std::wstring_view path) {
  TkRegistry registry(root);
  StringList names;
  if (registry.OpenKeyReadOnly(L"\\" + Relative(path))) registry.GetValueNames(names);
  return names;
}

}  // namespace kip
