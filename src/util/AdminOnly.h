// What only administrators can have made: the program's working folder and
// the machine-wide names its processes meet under.
//
// The program runs elevated, but whoever starts it may not be: anything a
// standard user can create first, rename or write to (a folder beside the
// program on a stick, a file planted where the script will be written, a
// mutex name taken before the program starts) must never decide what the
// program runs, restores or believes. Both rules here are pure checks of a
// security descriptor; the classes apply them to a handle they hold, so
// that the object checked is the object used.
#pragma once

#include <windows.h>

#include <string>

#include "util/UniqueHandle.h"

namespace kip {

// --- the rules -----------------------------------------------------------------

// SYSTEM or the Administrators group.
bool IsAdministratorsSid(PSID sid);

enum class FolderVerdict {
  Safe,
  NoOwner,
  OwnerNotAdministrators,  // the owner may change the access list at will
  NoAccessList,            // a missing (null) access list lets everyone in
  OthersMayWrite,          // an entry lets someone else create, change or delete
  UnknownEntry,            // an entry of a kind the rule cannot weigh
};

// The folder (and what it holds, which inherits its entries) is safe when
// its owner is SYSTEM or the Administrators group and no entry allows anyone
// else more than reading, listing and traversing. `alsoTrusted` (may be
// null) counts as an administrator too: under Wine, which reports a file's
// Unix owner, the prefix's own user.
FolderVerdict JudgeFolderSecurity(PSECURITY_DESCRIPTOR descriptor, PSID alsoTrusted = nullptr);
// Why a folder is not used, for the user.
std::wstring FolderVerdictText(FolderVerdict verdict);

// A kernel object's name the program meets its other instances under:
// the program made it (Created), found it made by an administrator
// (Administrators), or found it made by someone else (Untrusted), which
// must be ignored.
enum class NameVerdict { Created, Administrators, Untrusted };
NameVerdict JudgeNamedObject(bool existed, PSECURITY_DESCRIPTOR descriptor);

// --- the working folder --------------------------------------------------------

// "<common application data>\kIpCnfg\": the netsh script, the HOSTS copies
// a way back restores and the way back's log live there, never beside the
// program, which may sit in a folder users can write.
std::wstring WorkFolderPath();

// A folder made (when missing) with SYSTEM and the Administrators as its
// only owners and writers, checked, and held open for its life without
// delete sharing, so that it can be neither renamed nor replaced meanwhile.
class SafeFolder {
 public:
  SafeFolder() = default;
  // `path` with its trailing "\". Empty, with `whyNot` telling the user
  // why, when the folder cannot be made, opened, or is not safe.
  static SafeFolder Open(const std::wstring& path, std::wstring& whyNot);
  explicit operator bool() const { return static_cast<bool>(handle_); }
  const std::wstring& Path() const { return path_; }

 private:
  std::wstring path_;
  UniqueFileHandle handle_;
};

// --- machine-wide names --------------------------------------------------------

namespace detail {
inline void ClosePrivateNamespaceHandle(HANDLE h) noexcept { ::ClosePrivateNamespace(h, 0); }
}  // namespace detail
using UniqueNamespace = UniqueHandle<detail::NullIsInvalid<HANDLE, detail::ClosePrivateNamespaceHandle>>;

// A mutex every session shares that only administrators can create: in a
// private namespace whose boundary holds the Administrators group where the
// system has them, else under "Global\" with an administrators-only
// security descriptor, where a name someone else made first is Untrusted.
class AdminMutex {
 public:
  AdminMutex() = default;
  static AdminMutex Open(const std::wstring& name);
  HANDLE get() const { return mutex_.get(); }
  // Null when the mutex could not be created or opened at all.
  explicit operator bool() const { return static_cast<bool>(mutex_); }
  NameVerdict Verdict() const { return verdict_; }

 private:
  UniqueNamespace namespace_;
  UniqueKernelHandle mutex_;
  NameVerdict verdict_ = NameVerdict::Untrusted;
};

}  // namespace kip
