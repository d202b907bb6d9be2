#include "store/Snapshot.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

#include "store/SettingNames.h"
#include "store/StoreKeys.h"
#include "util/Errors.h"
#include "util/Files.h"
#include "util/UniqueHandle.h"
#include "util/WindowsVersion.h"

namespace kip {

namespace {

// The first bytes of a registry hive file.
constexpr std::string_view kHiveSignature = "regf";

// Enables one privilege of the process for the scope's life and then puts
// it back as it was. Failing token calls raise EOSError. A privilege the
// user does not hold is not an error here: the save or restore that needs
// it fails instead.
class PrivilegeScope {
 public:
  explicit PrivilegeScope(const wchar_t* privilege) {
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &raw))
      throw EOSError(GetLastError());
    token_.reset(raw);
    TOKEN_PRIVILEGES wanted{};
    wanted.PrivilegeCount = 1;
    wanted.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (!LookupPrivilegeValueW(nullptr, privilege, &wanted.Privileges[0].Luid)) throw EOSError(GetLastError());
    DWORD size = sizeof previous_;
    if (!AdjustTokenPrivileges(token_.get(), FALSE, &wanted, sizeof previous_, &previous_, &size))
      throw EOSError(GetLastError());
  }
  ~PrivilegeScope() {
    // previous_ lists the privilege only when the adjustment changed it.
    if (previous_.PrivilegeCount != 0) AdjustTokenPrivileges(token_.get(), FALSE, &previous_, 0, nullptr, nullptr);
  }
  PrivilegeScope(const PrivilegeScope&) = delete;
  PrivilegeScope& operator=(const PrivilegeScope&) = delete;

 private:
  UniqueKernelHandle token_;
  TOKEN_PRIVILEGES previous_{};
};

// A store path (with its leading backslash) as the registry functions take
// it below HKEY_LOCAL_MACHINE.
std::wstring BelowMachineRoot(std::wstring_view path) {
  while (!path.empty() && path.front() == L'\\') path.remove_prefix(1);
  return std::wstring(path);
}

// --- reading a subtree ----------------------------------------------------------

bool ReadKeyInto(HKEY key, SnapshotKey& node, std::size_t depth);

bool ReadValues(HKEY key, DWORD maxNameLength, DWORD maxDataSize, std::vector<SnapshotValue>& values) {
  std::vector<wchar_t> name(maxNameLength + 1);
  std::vector<BYTE> data(maxDataSize + 1);
  for (DWORD index = 0;; ++index) {
    DWORD nameLength = static_cast<DWORD>(name.size());
    DWORD type = REG_NONE;
    DWORD size = static_cast<DWORD>(data.size());
    LONG rc = RegEnumValueW(key, index, name.data(), &nameLength, nullptr, &type, data.data(), &size);
    if (rc == ERROR_NO_MORE_ITEMS) return true;
    // A value that grew since the key was measured: the snapshot would
    // not be complete, so it is not taken.
    if (rc != ERROR_SUCCESS) return false;
    values.push_back({std::wstring(name.data(), nameLength), type,
                      std::vector<std::uint8_t>(data.begin(), data.begin() + size)});
  }
}

bool ReadSubkeys(HKEY key, DWORD maxNameLength, std::vector<SnapshotKey>& subkeys, std::size_t depth) {
  std::vector<wchar_t> name(maxNameLength + 1);
  for (DWORD index = 0;; ++index) {
    DWORD nameLength = static_cast<DWORD>(name.size());
    LONG rc = RegEnumKeyExW(key, index, name.data(), &nameLength, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_NO_MORE_ITEMS) return true;
    if (rc != ERROR_SUCCESS) return false;
    SnapshotKey child;
    child.name.assign(name.data(), nameLength);
    UniqueHKey opened;
    if (RegOpenKeyExW(key, child.name.c_str(), 0, KEY_READ, opened.put()) != ERROR_SUCCESS) return false;
    if (!ReadKeyInto(opened.get(), child, depth + 1)) return false;
    subkeys.push_back(std::move(child));
  }
}

bool ReadKeyInto(HKEY key, SnapshotKey& node, std::size_t depth) {
  if (depth > kSnapshotMaxDepth) return false;
  DWORD maxSubkeyName = 0, maxValueName = 0, maxData = 0;
  if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, &maxSubkeyName, nullptr, nullptr, &maxValueName,
                       &maxData, nullptr, nullptr) != ERROR_SUCCESS)
    return false;
  return ReadValues(key, maxValueName, maxData, node.values) && ReadSubkeys(key, maxSubkeyName, node.subkeys, depth);
}

// --- writing a subtree ----------------------------------------------------------

bool SetValueExactly(HKEY key, const SnapshotValue& value) {
  // The registry adds a terminator to string data that lacks one when the
  // byte after the data is NUL; a non-NUL guard keeps the bytes as given.
  std::vector<BYTE> guarded(value.data.begin(), value.data.end());
  guarded.insert(guarded.end(), 4, 0xFF);
  return RegSetValueExW(key, value.name.c_str(), 0, value.type, guarded.data(),
                        static_cast<DWORD>(value.data.size())) == ERROR_SUCCESS;
}

// A key name the registry can hold as one key: an empty name would open
// the parent, a backslash would nest keys.
bool IsSingleKeyName(const std::wstring& name) {
  return !name.empty() && name.find(L'\\') == std::wstring::npos;
}

// `created` (when asked) tells whether the key was made new.
UniqueHKey OpenOrCreate(HKEY parent, const std::wstring& name, bool* created = nullptr) {
  UniqueHKey key;
  DWORD disposition = 0;
  if (RegCreateKeyExW(parent, name.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, key.put(),
                      &disposition) != ERROR_SUCCESS)
    key.reset();
  if (created) *created = key && disposition == REG_CREATED_NEW_KEY;
  return key;
}

bool WriteContent(HKEY key, const SnapshotKey& node) {
  for (const SnapshotValue& value : node.values) {
    if (!SetValueExactly(key, value)) return false;
  }
  for (const SnapshotKey& subkey : node.subkeys) {
    if (!IsSingleKeyName(subkey.name)) return false;
    bool made = false;
    UniqueHKey child = OpenOrCreate(key, subkey.name, &made);
    // Two names that the registry takes as one key would merge silently.
    if (!made || !WriteContent(child.get(), subkey)) return false;
  }
  return true;
}

// The names of the key's values, or of its subkeys; empty when the key
// cannot be asked.
StringList NamesIn(HKEY key, bool subkeys) {
  StringList names;
  DWORD maxSubkeyName = 0, maxValueName = 0;
  if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, &maxSubkeyName, nullptr, nullptr, &maxValueName,
                       nullptr, nullptr, nullptr) != ERROR_SUCCESS)
    return names;
  std::vector<wchar_t> name((subkeys ? maxSubkeyName : maxValueName) + 1);
  for (DWORD index = 0;; ++index) {
    DWORD length = static_cast<DWORD>(name.size());
    LONG rc = subkeys ? RegEnumKeyExW(key, index, name.data(), &length, nullptr, nullptr, nullptr, nullptr)
                      : RegEnumValueW(key, index, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
    if (rc != ERROR_SUCCESS) return names;
    names.emplace_back(name.data(), length);
  }
}

// True when one of the items (values or subkeys of a tree) has the name, in
// the registry's comparison that ignores letter case.
template <typename Item>
bool Holds(const std::vector<Item>& items, const std::wstring& name) {
  return std::any_of(items.begin(), items.end(), [&](const Item& item) { return SameSettingName(item.name, name); });
}

// Deletes every value and subkey of the key, keeping the key itself.
bool ClearKey(HKEY key) {
  RegDeleteTreeW(key, nullptr);
  DWORD subkeys = 1, values = 1;
  if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr,
                       nullptr, nullptr) != ERROR_SUCCESS)
    return false;
  return subkeys == 0 && values == 0;
}

// --- the two file formats -------------------------------------------------------

template <typename Key>
Key* Subkey(Key& key, std::wstring_view name) {
  for (Key& subkey : key.subkeys) {
    if (SameSettingName(subkey.name, std::wstring(name))) return &subkey;
  }
  return nullptr;
}

// The states commits with automatic return go back to describe this
// machine only.
void DropReturnStates(SnapshotKey& store) {
  if (SnapshotKey* options = Subkey(store, kOptionsKeyName)) {
    std::erase_if(options->subkeys, [](const SnapshotKey& key) { return SameSettingName(key.name, kReturnSnapshotsKeyName); });
  }
}

// What an export holds: the store without those states.
std::optional<SnapshotKey> ExportedTree() {
  std::optional<SnapshotKey> tree = ReadStoreTree();
  if (tree) DropReturnStates(*tree);
  return tree;
}

// Both formats are written beside the file and replace it only when
// complete: a failed export keeps the previous one.
bool SaveText(const std::wstring& file) {
  std::optional<SnapshotKey> tree = ExportedTree();
  return tree && ReplaceWholeFile(file, FormatSnapshotText(*tree));
}

// The registry saves a key with everything below it, so the hive is saved
// from a copy of what an export holds, made beside the store and removed
// afterwards (a copy left by a run that died is replaced).
constexpr wchar_t kExportCopyKey[] = L"SOFTWARE\\harlune\\Harlune Ip Config Export";

class ExportCopy {
 public:
  explicit ExportCopy(const SnapshotKey& tree) {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kExportCopyKey);
    key_ = OpenOrCreate(HKEY_LOCAL_MACHINE, kExportCopyKey);
    if (key_ && !WriteContent(key_.get(), tree)) key_.reset();
  }
  ~ExportCopy() {
    key_.reset();
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kExportCopyKey);
  }
  ExportCopy(const ExportCopy&) = delete;
  ExportCopy& operator=(const ExportCopy&) = delete;
  HKEY get() const { return key_.get(); }

 private:
  UniqueHKey key_;
};

bool SaveHive(const std::wstring& file, const SnapshotFormat& format) {
  std::optional<SnapshotKey> tree = ExportedTree();
  if (!tree || !format.saveHive) return false;
  const ExportCopy copy(*tree);
  if (!copy.get()) return false;
  const std::wstring replacement = ReplacementPath(file);
  DeleteFileW(replacement.c_str());  // the registry refuses to save over a file
  if (format.saveHive(copy.get(), replacement) && ReplaceFileWith(replacement, file)) return true;
  DeleteFileW(replacement.c_str());
  return false;
}

// --- what an import leaves as it was ----------------------------------------------

// The states pending way backs go back to, and the commit count, belong to
// this machine. An import keeps the first (a way back must find its state,
// and a state from another PC is none of this one's) and moves the count
// past both its own and the file's, so that a pending way back counts the
// import as a later change and never undoes it.
struct MachineState {
  std::optional<SnapshotKey> returns;  // the Return key under the options key
  DWORD serial = 0;
};

DWORD SerialOf(const SnapshotKey& root) {
  for (const SnapshotValue& value : root.values) {
    if (!SameSettingName(value.name, kCommitSerialValue)) continue;
    DWORD serial = 0;
    if (value.type == REG_DWORD && value.data.size() == sizeof serial) std::memcpy(&serial, value.data.data(), sizeof serial);
    return serial;
  }
  return 0;
}

MachineState MachineStateOf(const std::optional<SnapshotKey>& store) {
  MachineState state;
  if (!store) return state;
  state.serial = SerialOf(*store);
  if (const SnapshotKey* options = Subkey(*store, kOptionsKeyName)) {
    if (const SnapshotKey* returns = Subkey(*options, kReturnSnapshotsKeyName)) state.returns = *returns;
  }
  return state;
}

void KeepMachineState(SnapshotKey& imported, const MachineState& local) {
  const DWORD serial = std::max(local.serial, SerialOf(imported)) + 1;
  std::erase_if(imported.values, [](const SnapshotValue& value) { return SameSettingName(value.name, kCommitSerialValue); });
  SnapshotValue count{kCommitSerialValue, REG_DWORD, std::vector<std::uint8_t>(sizeof serial)};
  std::memcpy(count.data.data(), &serial, sizeof serial);
  imported.values.push_back(std::move(count));
  DropReturnStates(imported);
  if (!local.returns) return;
  SnapshotKey* options = Subkey(imported, kOptionsKeyName);
  if (!options) {
    imported.subkeys.push_back({kOptionsKeyName, {}, {}});
    options = &imported.subkeys.back();
  }
  options->subkeys.push_back(*local.returns);
}

bool RestoreText(HKEY root, std::string_view bytes, const MachineState& local) {
  SnapshotParseResult parsed = ParseSnapshotText(bytes);
  if (!parsed.ok()) return false;
  KeepMachineState(parsed.root, local);
  return ReplaceRegistryTree(root, parsed.root);
}

// A hive replaces the store whole: the machine's part is put back after it.
bool RestoreHive(HKEY root, const std::wstring& file, const SnapshotFormat& format, const MachineState& local) {
  if (!format.restoreHive(root, file)) return false;
  std::optional<SnapshotKey> restored = ReadRegistryTree(root);
  if (!restored) return false;
  KeepMachineState(*restored, local);
  return RestoreRegistryTree(root, *restored);
}

bool HasPrefix(std::string_view bytes, std::string_view prefix) { return bytes.substr(0, prefix.size()) == prefix; }

std::wstring MessageUnlessUndo(const std::wstring& file, bool succeeded, const wchar_t* success,
                               const wchar_t* failure) {
  if (file == kUndoFileName) return {};
  return succeeded ? success : failure;
}

}  // namespace

std::optional<SnapshotKey> ReadRegistryTree(HKEY key) {
  SnapshotKey tree;
  if (!ReadKeyInto(key, tree, 0)) return std::nullopt;
  return tree;
}

bool ReplaceRegistryTree(HKEY key, const SnapshotKey& tree) {
  std::optional<SnapshotKey> previous = ReadRegistryTree(key);
  if (!previous) return false;  // without it there would be nothing to go back to
  if (ClearKey(key) && WriteContent(key, tree)) return true;
  RestoreRegistryTree(key, *previous);
  return false;
}

bool RestoreRegistryTree(HKEY key, const SnapshotKey& tree) {
  bool complete = true;
  for (const std::wstring& name : NamesIn(key, false)) {
    if (!Holds(tree.values, name)) complete = RegDeleteValueW(key, name.c_str()) == ERROR_SUCCESS && complete;
  }
  for (const SnapshotValue& value : tree.values) complete = SetValueExactly(key, value) && complete;
  for (const std::wstring& name : NamesIn(key, true)) {
    if (!Holds(tree.subkeys, name)) complete = RegDeleteTreeW(key, name.c_str()) == ERROR_SUCCESS && complete;
  }
  for (const SnapshotKey& subkey : tree.subkeys) {
    UniqueHKey child = IsSingleKeyName(subkey.name) ? OpenOrCreate(key, subkey.name) : UniqueHKey();
    complete = child && RestoreRegistryTree(child.get(), subkey) && complete;
  }
  return complete;
}

std::optional<SnapshotKey> ReadMachineKeyTree(std::wstring_view path) {
  UniqueHKey key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, BelowMachineRoot(path).c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS)
    return std::nullopt;
  return ReadRegistryTree(key.get());
}

bool RestoreMachineKeyTree(std::wstring_view path, const SnapshotKey& tree) {
  UniqueHKey key = OpenOrCreate(HKEY_LOCAL_MACHINE, BelowMachineRoot(path));
  return key && RestoreRegistryTree(key.get(), tree);
}

std::optional<SnapshotKey> ReadStoreTree() { return ReadMachineKeyTree(kStoreRootKey); }

SnapshotFormat MachineSnapshotFormat() {
  SnapshotFormat format;
  format.writeHive = !RunningOnWine();
  format.saveHive = [](HKEY key, const std::wstring& file) {
    return RegSaveKeyW(key, file.c_str(), nullptr) == ERROR_SUCCESS;
  };
  // Wine's RegRestoreKeyW reports success and restores nothing.
  if (format.writeHive) {
    format.restoreHive = [](HKEY key, const std::wstring& file) {
      // Forced: the store's key is open in this process, and a restore over
      // a key with open handles is refused otherwise.
      return RegRestoreKeyW(key, file.c_str(), REG_FORCE_RESTORE) == ERROR_SUCCESS;
    };
  }
  return format;
}

bool SaveStoreSnapshot(const std::wstring& file, const SnapshotFormat& format) {
  PrivilegeScope privilege(SE_BACKUP_NAME);
  return format.writeHive ? SaveHive(file, format) : SaveText(file);
}

bool RestoreStoreSnapshot(const std::wstring& file, const SnapshotFormat& format) {
  // RegRestoreKeyW documents both privileges for its caller.
  PrivilegeScope backup(SE_BACKUP_NAME);
  PrivilegeScope restore(SE_RESTORE_NAME);
  const std::string bytes = ReadWholeFile(file);
  const bool text = LooksLikeSnapshotText(bytes);
  const bool hive = !text && HasPrefix(bytes, kHiveSignature) && format.restoreHive;
  if (!text && !hive) return false;
  // Made when the program never ran here.
  bool created = false;
  UniqueHKey root = OpenOrCreate(HKEY_LOCAL_MACHINE, BelowMachineRoot(kStoreRootKey), &created);
  if (!root) return false;
  const MachineState local = MachineStateOf(ReadRegistryTree(root.get()));
  const bool restored = text ? RestoreText(root.get(), bytes, local) : RestoreHive(root.get(), file, format, local);
  if (!restored && created) {
    root.reset();
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, BelowMachineRoot(kStoreRootKey).c_str());
  }
  return restored;
}

std::wstring ExportMessage(const std::wstring& file, bool succeeded) {
  return MessageUnlessUndo(file, succeeded, kExportSucceeded, kExportFailed);
}

std::wstring ImportMessage(const std::wstring& file, bool succeeded) {
  return MessageUnlessUndo(file, succeeded, kImportSucceeded, kImportFailed);
}

}  // namespace kip
