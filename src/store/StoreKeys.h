// Registry locations of the program's own store.
#pragma once

namespace kip {

// Under HKEY_LOCAL_MACHINE.
inline constexpr wchar_t kStoreRootKey[] = L"\\SOFTWARE\\harlune\\Harlune Ip Config";
// Subkey of the store root that holds the window options; it is not a setting.
inline constexpr wchar_t kOptionsKeyName[] = L"TFormIpconfig";
inline constexpr wchar_t kOptionsKey[] = L"\\SOFTWARE\\harlune\\Harlune Ip Config\\TFormIpconfig";
// Subkey of the options key holding the states commits with automatic
// return go back to: they belong to this machine, never to an export.
inline constexpr wchar_t kReturnSnapshotsKeyName[] = L"Return";
// How many commits the store has seen (a value of the store root).
inline constexpr wchar_t kCommitSerialValue[] = L"Commit Serial";

}  // namespace kip
