#include "util/AdminOnly.h"

#include <aclapi.h>
#include <sddl.h>
#include <shlobj.h>

#include <memory>
#include <vector>

#include "util/Errors.h"
#include "util/Files.h"
#include "util/WindowsVersion.h"

namespace kip {

namespace {

// Owner and group the Administrators; SYSTEM and the Administrators alone
// may do anything, inherited by every file made inside; nothing inherited
// from the parent (ProgramData lets users create there).
constexpr wchar_t kFolderSddl[] = L"O:BAG:SYD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";
constexpr wchar_t kObjectSddl[] = L"O:BAD:P(A;;GA;;;SY)(A;;GA;;;BA)";
constexpr wchar_t kNamespaceName[] = L"kIpCnfg";

// Reading, listing and traversing: what anyone may be allowed.
constexpr ACCESS_MASK kReadOnlyRights = FILE_GENERIC_READ | FILE_GENERIC_EXECUTE | GENERIC_READ | GENERIC_EXECUTE;

struct LocalFreer {
  void operator()(void* memory) const { LocalFree(memory); }
};
using LocalDescriptor = std::unique_ptr<void, LocalFreer>;

LocalDescriptor DescriptorOf(const wchar_t* sddl) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &descriptor, nullptr)) {
    throw EOSError(GetLastError());
  }
  return LocalDescriptor(descriptor);
}

// Wine keeps no owner or access list of its own for a file: it reports the
// Unix owner (the prefix's user) and entries made from the Unix mode. That
// user is trusted there; on Windows nobody but SYSTEM and Administrators is.
std::vector<BYTE> WineUserSid() {
  if (!RunningOnWine()) return {};
  HANDLE raw = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) return {};
  UniqueKernelHandle token(raw);
  DWORD size = 0;
  GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
  std::vector<BYTE> buffer(size);
  if (size == 0 || !GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size)) return {};
  const PSID sid = reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid;
  return std::vector<BYTE>(static_cast<BYTE*>(sid), static_cast<BYTE*>(sid) + GetLengthSid(sid));
}

std::wstring WithoutTrailingBackslash(std::wstring path) {
  while (path.size() > 3 && path.back() == L'\\') path.pop_back();
  return path;
}

UniqueNamespace OpenAdminNamespace(SECURITY_ATTRIBUTES& attributes) {
  HANDLE boundary = CreateBoundaryDescriptorW(kNamespaceName, 0);
  if (!boundary) return {};  // Wine has no boundary descriptors
  UniqueNamespace space;
  BYTE sid[SECURITY_MAX_SID_SIZE];
  DWORD size = sizeof sid;
  if (CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, sid, &size) &&
      AddSIDToBoundaryDescriptor(&boundary, sid)) {
    space.reset(CreatePrivateNamespaceW(&attributes, boundary, kNamespaceName));
    if (!space && GetLastError() == ERROR_ALREADY_EXISTS) space.reset(OpenPrivateNamespaceW(boundary, kNamespaceName));
  }
  DeleteBoundaryDescriptor(boundary);
  return space;
}

}  // namespace

bool IsAdministratorsSid(PSID sid) {
  return sid && IsValidSid(sid) && (IsWellKnownSid(sid, WinLocalSystemSid) || IsWellKnownSid(sid, WinBuiltinAdministratorsSid));
}

FolderVerdict JudgeFolderSecurity(PSECURITY_DESCRIPTOR descriptor, PSID alsoTrusted) {
  const auto trusted = [&](PSID sid) { return IsAdministratorsSid(sid) || (alsoTrusted && EqualSid(sid, alsoTrusted)); };
  PSID owner = nullptr;
  BOOL defaulted = FALSE;
  if (!descriptor || !GetSecurityDescriptorOwner(descriptor, &owner, &defaulted) || !owner) return FolderVerdict::NoOwner;
  if (!trusted(owner)) return FolderVerdict::OwnerNotAdministrators;
  BOOL present = FALSE;
  PACL list = nullptr;
  if (!GetSecurityDescriptorDacl(descriptor, &present, &list, &defaulted) || !present || !list) {
    return FolderVerdict::NoAccessList;
  }
  for (DWORD i = 0; i < list->AceCount; ++i) {
    void* entry = nullptr;
    if (!GetAce(list, i, &entry)) return FolderVerdict::UnknownEntry;
    const BYTE type = static_cast<ACE_HEADER*>(entry)->AceType;
    if (type == ACCESS_DENIED_ACE_TYPE) continue;  // takes away, never gives
    if (type != ACCESS_ALLOWED_ACE_TYPE) return FolderVerdict::UnknownEntry;
    auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(entry);
    if ((allowed->Mask & ~kReadOnlyRights) != 0 && !trusted(&allowed->SidStart)) return FolderVerdict::OthersMayWrite;
  }
  return FolderVerdict::Safe;
}

std::wstring FolderVerdictText(FolderVerdict verdict) {
  switch (verdict) {
    case FolderVerdict::Safe: return {};
    case FolderVerdict::NoOwner: return L"所有者がありません";
    case FolderVerdict::OwnerNotAdministrators: return L"所有者が Administrators でも SYSTEM でもありません";
    case FolderVerdict::NoAccessList: return L"アクセス制御リストがありません";
    case FolderVerdict::OthersMayWrite: return L"管理者以外の利用者が書き込めます";
    case FolderVerdict::UnknownEntry: return L"判断できないアクセス制御エントリがあります";
  }
  return {};
}

NameVerdict JudgeNamedObject(bool existed, PSECURITY_DESCRIPTOR descriptor) {
  if (!existed) return NameVerdict::Created;
  PSID owner = nullptr;
  BOOL defaulted = FALSE;
  if (descriptor && GetSecurityDescriptorOwner(descriptor, &owner, &defaulted) && IsAdministratorsSid(owner)) {
    return NameVerdict::Administrators;
  }
  return NameVerdict::Untrusted;
}

std::wstring WorkFolderPath() {
  // The shell's answer, not the environment's: whoever starts the program
  // chooses its environment.
  std::wstring common = GetSpecialFolder(CSIDL_COMMON_APPDATA);
  if (common.empty()) return {};
  return common + L"kIpCnfg\\";
}

SafeFolder SafeFolder::Open(const std::wstring& path, std::wstring& whyNot) {
  const std::wstring folder = WithoutTrailingBackslash(path);
  const auto refuse = [&](const std::wstring& why) {
    whyNot = L"作業フォルダ " + folder + L" を使えません (" + why + L")";
    return SafeFolder();
  };
  if (folder.empty()) return refuse(SystemErrorText(ERROR_PATH_NOT_FOUND));
  const LocalDescriptor descriptor = DescriptorOf(kFolderSddl);
  SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor.get(), FALSE};
  if (!CreateDirectoryW(folder.c_str(), &attributes) && GetLastError() != ERROR_ALREADY_EXISTS) {
    return refuse(SystemErrorText(GetLastError()));
  }
  // No delete sharing: while held, nobody can rename it or put another in
  // its place. A junction is opened as itself, never followed.
  SafeFolder safe;
  safe.handle_.reset(CreateFileW(folder.c_str(), READ_CONTROL | FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!safe.handle_) return refuse(SystemErrorText(GetLastError()));
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(safe.handle_.get(), &info) || !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    return refuse(L"フォルダではありません");
  }
  // Asked of the open handle: what is judged is what is used.
  PSECURITY_DESCRIPTOR held = nullptr;
  const DWORD rc = GetSecurityInfo(safe.handle_.get(), SE_FILE_OBJECT,
                                   OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, nullptr, nullptr, nullptr,
                                   nullptr, &held);
  if (rc != ERROR_SUCCESS) return refuse(SystemErrorText(rc));
  const LocalDescriptor owned(held);
  std::vector<BYTE> wineUser = WineUserSid();
  const FolderVerdict verdict = JudgeFolderSecurity(held, wineUser.empty() ? nullptr : wineUser.data());
  if (verdict != FolderVerdict::Safe) return refuse(FolderVerdictText(verdict));
  safe.path_ = folder + L"\\";
  return safe;
}

AdminMutex AdminMutex::Open(const std::wstring& name) {
  AdminMutex result;
  const LocalDescriptor descriptor = DescriptorOf(kObjectSddl);
  SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor.get(), FALSE};
  result.namespace_ = OpenAdminNamespace(attributes);
  const std::wstring full = (result.namespace_ ? std::wstring(kNamespaceName) : std::wstring(L"Global")) + L"\\" + name;
  SetLastError(ERROR_SUCCESS);
  result.mutex_.reset(CreateMutexW(&attributes, FALSE, full.c_str()));
  // Made by someone who does not let us in: not ours to trust either.
  if (!result.mutex_) return result;
  const bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
  PSECURITY_DESCRIPTOR held = nullptr;
  if (existed && GetSecurityInfo(result.mutex_.get(), SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, nullptr, nullptr,
                                 nullptr, nullptr, &held) != ERROR_SUCCESS) {
    held = nullptr;
  }
  const LocalDescriptor owned(held);
  result.verdict_ = JudgeNamedObject(existed, held);
  return result;
}

}  // namespace kip
