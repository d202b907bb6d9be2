// Registry isolation for tests: while a RegistrySandbox lives, every access
// of this process to HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER goes to two
// scratch keys (HKCU\Software\kIpTestSandbox\<pid>-<n>\HKLM and ...\HKCU),
// which are deleted again when it ends. Nothing a test writes reaches the
// machine's real keys, on Wine or on Windows.
//
//   class MyTest : public kip::RegistryTest {};
//   TEST_F(MyTest, Reads) {
//     SetString(HKEY_LOCAL_MACHINE, L"SOFTWARE\\x", L"Name", L"value");
//     EXPECT_EQ(GetString(HKEY_LOCAL_MACHINE, L"SOFTWARE\\x", L"Name"), L"value");
//   }
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "util/kRegistry.h"
#include "util/Text.h"
#include "util/UniqueHandle.h"

namespace kip {

class RegistrySandbox {
 public:
  RegistrySandbox();
  ~RegistrySandbox();
  RegistrySandbox(const RegistrySandbox&) = delete;
  RegistrySandbox& operator=(const RegistrySandbox&) = delete;

  // The scratch key's path under the real HKEY_CURRENT_USER.
  const std::wstring& ScratchPath() const noexcept { return path_; }
  // Handles of the keys that stand in for the two roots.
  HKEY MachineKey() const noexcept { return machine_.get(); }
  HKEY UserKey() const noexcept { return user_.get(); }

 private:
  std::wstring path_;
  UniqueHKey machine_;
  UniqueHKey user_;
};

// Seeding and reading back keys and values. Paths may start with "\"; keys
// are created as needed by the setters. A failed setter reports a test
// failure naming the key and value.
struct RegistrySeed {
  static void CreateKey(HKEY root, std::wstring_view path);
  static bool KeyExists(HKEY root, std::wstring_view path);
  static void DeleteKey(HKEY root, std::wstring_view path);
  static void DeleteValue(HKEY root, std::wstring_view path, std::wstring_view name);

  static void SetString(HKEY root, std::wstring_view path, std::wstring_view name, std::wstring_view value);
  static void SetExpandString(HKEY root, std::wstring_view path, std::wstring_view name, std::wstring_view value);
  static void SetDword(HKEY root, std::wstring_view path, std::wstring_view name, DWORD value);
  static void SetMultiString(HKEY root, std::wstring_view path, std::wstring_view name,
                             const std::vector<std::wstring>& entries);
  // Stores exactly these bytes (no terminator is added to string types).
  static void SetRaw(HKEY root, std::wstring_view path, std::wstring_view name, DWORD type,
                     const std::vector<BYTE>& bytes);
  // UTF-16 bytes of a text exactly as given (no terminator added), for
  // building odd values: WideBytes(std::wstring_view(L"a\0b", 3)).
  static std::vector<BYTE> WideBytes(std::wstring_view text);

  static bool ValueExists(HKEY root, std::wstring_view path, std::wstring_view name);
  static std::optional<TRegRawValue> GetRaw(HKEY root, std::wstring_view path, std::wstring_view name);
  // REG_SZ / REG_EXPAND_SZ text up to the first NUL; nullopt when missing or
  // of another type.
  static std::optional<std::wstring> GetString(HKEY root, std::wstring_view path, std::wstring_view name);
  static std::optional<DWORD> GetDword(HKEY root, std::wstring_view path, std::wstring_view name);
  // Every entry as stored (empty ones included, the final empty terminator
  // not); nullopt when missing or not REG_MULTI_SZ.
  static std::optional<StringList> GetMultiString(HKEY root, std::wstring_view path, std::wstring_view name);
  static StringList SubKeyNames(HKEY root, std::wstring_view path);
  static StringList ValueNames(HKEY root, std::wstring_view path);
};

// Base fixture: a fresh sandbox per test.
class RegistryTest : public ::testing::Test, public RegistrySeed {
 protected:
  RegistrySandbox& Sandbox() noexcept { return sandbox_; }

 private:
  RegistrySandbox sandbox_;
};

}  // namespace kip
