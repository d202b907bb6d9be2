// TkRegistry: the one registry cursor of the program. It holds a root key and
// at most one open key, and reads and writes named values of that key.
//
// Error behaviour the callers build on: a missing string reads as empty, a
// missing integer raises; a multi-string value of the wrong type raises
// EkRegistryException, every other failure ERegistryException. A single
// value that may be missing is read with the TryRead* forms, which return
// std::optional instead of raising.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "util/Errors.h"
#include "util/MultiString.h"
#include "util/Text.h"
#include "util/UniqueHandle.h"

namespace kip {

// Failures of the general registry operations (open, read, write).
class ERegistryException : public KipError {
 public:
  using KipError::KipError;
};

// Multi-string values of the wrong type. Deliberately not derived from
// ERegistryException: callers may catch the two apart.
class EkRegistryException : public KipError {
 public:
  using KipError::KipError;
};

enum TRegDataType {
  rdUnknown = 0,
  rdString = 1,
  rdExpandString = 2,
  rdInteger = 3,
  rdBinary = 4,
  rdMultiString = 5,
};

// A value as the registry holds it: the Windows type code and the raw bytes.
struct TRegRawValue {
  DWORD Type = REG_NONE;
  std::vector<BYTE> Data;
};

// Message patterns; "%s" is replaced by the value name.
inline constexpr std::wstring_view kRegInvalidType = L"'%s' のデータ型が不正です";
inline constexpr std::wstring_view kRegGetFailed = L"'%s' の取得に失敗しました";
inline constexpr std::wstring_view kRegSetFailed = L"'%s' の設定に失敗しました";

// A stored number read as a flag the way Windows reads its own switches:
// only the low byte counts (256 is off).
inline bool LowByteFlag(int value) noexcept { return (value & 0xFF) != 0; }

// The value of an environment variable, trimmed; empty when it is not set.
std::wstring GetEnvironmentText(std::wstring_view name);
// Expands %NAME% references with GetEnvironmentText; a reference still open
// at the end of the text is dropped.
std::wstring ExpandEnvironmentReferences(std::wstring_view text);

class TkRegistry {
 public:
  // The root is HKEY_CURRENT_USER unless given.
  TkRegistry() = default;
  explicit TkRegistry(HKEY root) : root_(root) {}
  TkRegistry(const TkRegistry&) = delete;
  TkRegistry& operator=(const TkRegistry&) = delete;
  ~TkRegistry() = default;

  // A path beginning with "\" is taken from the root, any other path from the
  // current key (or from the root when no key is open). The current key is
  // closed whether or not the open succeeds, so that a failed open can never
  // leave later writes going to the previous key.
  bool OpenKey(std::wstring_view path, bool create);
  bool OpenKeyReadOnly(std::wstring_view path);
  void CloseKey();
  HKEY CurrentKey() const noexcept { return key_.get(); }

  bool KeyExists(std::wstring_view path) const;
  // Deletes the key with all its subkeys at any depth.
  bool DeleteKey(std::wstring_view path);
  void GetKeyNames(StringList& list) const;
  void GetValueNames(StringList& list) const;

  bool ValueExists(std::wstring_view name) const;
  bool DeleteValue(std::wstring_view name);
  TRegDataType GetDataType(std::wstring_view name) const;

  // Empty when missing; raises "データ型が不正です" for a non-string value.
  std::wstring ReadString(std::wstring_view name) const;
  // Raises "取得に失敗しました" when missing, "データ型が不正です" when the
  // value is not a four-byte DWORD.
  int ReadInteger(std::wstring_view name) const;
  void WriteString(std::wstring_view name, std::wstring_view text);
  void WriteInteger(std::wstring_view name, int value);

  // The whole value with its Windows type; false when it does not exist.
  bool ReadRaw(std::wstring_view name, TRegRawValue& value) const;
  void WriteRaw(std::wstring_view name, DWORD type, const void* data, DWORD size);

  void WriteStringList(std::wstring_view name, const StringList& list);
  // Clears the list; a missing or empty value gives an empty list; a value
  // that is not a multi-string raises EkRegistryException.
  void ReadStringList(std::wstring_view name, StringList& list) const;

  // The reads above without exceptions, for a value that may be missing or
  // damaged: each gives what its raising read gives, and nothing where that
  // read would raise. So a missing string or list still reads empty, and a
  // missing integer, like one of another type, gives nothing.
  std::optional<std::wstring> TryReadString(std::wstring_view name) const;
  std::optional<int> TryReadInteger(std::wstring_view name) const;
  std::optional<StringList> TryReadStringList(std::wstring_view name) const;
  std::optional<std::wstring> TryReadExpandedString(std::wstring_view name) const;

 private:
  struct Target {
    HKEY base;
    std::wstring subkey;
  };
  Target Resolve(std::wstring_view path) const;
  bool Open(std::wstring_view path, REGSAM access, bool create);
  // Makes `opened` (the result `rc` of an open) the current key.
  bool Adopt(LONG rc, HKEY opened);
  void Write(std::wstring_view name, DWORD type, const void* data, DWORD size);

  HKEY root_ = HKEY_CURRENT_USER;
  UniqueHKey key_;
};

}  // namespace kip
