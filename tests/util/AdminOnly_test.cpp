// Which working folders and which machine-wide names the program trusts:
// the rules on security descriptors written as SDDL, and the folder made
// and held for real.
#include "util/AdminOnly.h"

#include <gtest/gtest.h>
#include <sddl.h>

#include <memory>

#include "support/ScratchFolder.h"
#include "util/Files.h"
#include "util/Text.h"

namespace kip {
namespace {

struct FreeLocal {
  void operator()(void* memory) const { LocalFree(memory); }
};
using Descriptor = std::unique_ptr<void, FreeLocal>;

Descriptor FromSddl(const wchar_t* sddl) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  EXPECT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &descriptor, nullptr))
      << ToUtf8(sddl);
  return Descriptor(descriptor);
}

TEST(AdminOnly, AFolderIsSafeOnlyWhenAdministratorsOwnItAndAloneMayWrite) {
  const struct {
    const wchar_t* sddl;
    FolderVerdict verdict;
  } cases[] = {
      // What the program makes.
      {L"O:BAG:SYD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)", FolderVerdict::Safe},
      {L"O:SYD:(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)", FolderVerdict::Safe},  // users may read
      {L"O:BAD:(A;;FA;;;BA)(D;;FA;;;WD)", FolderVerdict::Safe},  // a deny takes away only
      // A standard user made it first (ProgramData lets users create), or
      // owns it: the owner may rewrite the access list.
      {L"O:BUD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)", FolderVerdict::OwnerNotAdministrators},
      {L"O:S-1-5-21-1-2-3-1001D:P(A;OICI;FA;;;BA)", FolderVerdict::OwnerNotAdministrators},
      {L"O:COD:(A;;FA;;;BA)", FolderVerdict::OwnerNotAdministrators},
      {L"G:BAD:(A;;FA;;;BA)", FolderVerdict::NoOwner},
      // Others may create, change or delete.
      {L"O:BAD:P(A;OICI;FA;;;BA)(A;OICI;0x100116;;;BU)", FolderVerdict::OthersMayWrite},  // ProgramData's users
      {L"O:BAD:(A;OICI;FA;;;BA)(A;;0x2;;;WD)", FolderVerdict::OthersMayWrite},          // create files only
      {L"O:BAD:(A;OICI;FA;;;BA)(A;OICIIO;FA;;;CO)", FolderVerdict::OthersMayWrite},     // creator owner, inherited
      {L"O:BAD:(A;;WD;;;AU)", FolderVerdict::OthersMayWrite},                            // change the list itself
      {L"O:BAD:(A;;GA;;;IU)", FolderVerdict::OthersMayWrite},
      {L"O:BA", FolderVerdict::NoAccessList},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(ToUtf8(c.sddl));
    const Descriptor descriptor = FromSddl(c.sddl);
    EXPECT_EQ(JudgeFolderSecurity(descriptor.get()), c.verdict);
  }
  // Built by hand (Wine's SDDL reader cannot): a null list lets everyone in.
  SECURITY_DESCRIPTOR nullList{};
  ASSERT_TRUE(InitializeSecurityDescriptor(&nullList, SECURITY_DESCRIPTOR_REVISION));
  BYTE administrators[SECURITY_MAX_SID_SIZE];
  DWORD size = sizeof administrators;
  ASSERT_TRUE(CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &size));
  ASSERT_TRUE(SetSecurityDescriptorOwner(&nullList, administrators, FALSE));
  ASSERT_TRUE(SetSecurityDescriptorDacl(&nullList, TRUE, nullptr, FALSE));
  EXPECT_EQ(JudgeFolderSecurity(&nullList), FolderVerdict::NoAccessList);
  // Under Wine the prefix's own user stands beside the administrators.
  PSID user = nullptr;
  ASSERT_TRUE(ConvertStringSidToSidW(L"S-1-5-21-1-2-3-1001", &user));
  const Descriptor wine = FromSddl(L"O:S-1-5-21-1-2-3-1001D:(A;;FA;;;S-1-5-21-1-2-3-1001)(A;;0x1200a9;;;WD)");
  EXPECT_EQ(JudgeFolderSecurity(wine.get(), user), FolderVerdict::Safe);
  EXPECT_EQ(JudgeFolderSecurity(wine.get()), FolderVerdict::OwnerNotAdministrators);
  LocalFree(user);
}

TEST(AdminOnly, ANameIsTrustedWhenMadeHereOrByAnAdministrator) {
  const struct {
    bool existed;
    const wchar_t* sddl;  // null: nobody could read who made it
    NameVerdict verdict;
  } cases[] = {
      {false, nullptr, NameVerdict::Created},
      {true, L"O:BAD:P(A;;GA;;;SY)(A;;GA;;;BA)", NameVerdict::Administrators},
      {true, L"O:SYD:(A;;GA;;;SY)", NameVerdict::Administrators},
      {true, L"O:BUD:(A;;GA;;;WD)", NameVerdict::Untrusted},
      {true, L"O:S-1-5-21-1-2-3-1001D:(A;;GA;;;WD)", NameVerdict::Untrusted},
      {true, L"D:(A;;GA;;;WD)", NameVerdict::Untrusted},  // no owner at all
      {true, nullptr, NameVerdict::Untrusted},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.sddl ? ToUtf8(c.sddl) : "no descriptor");
    const Descriptor descriptor = c.sddl ? FromSddl(c.sddl) : Descriptor();
    EXPECT_EQ(JudgeNamedObject(c.existed, descriptor.get()), c.verdict);
  }
}

// The folder is made with the administrators' descriptor, held so that it
// cannot be renamed away, and a file in its place is never taken for it.
TEST(AdminOnly, TheWorkingFolderIsMadeCheckedAndHeld) {
  const test::ScratchFolder scratch;
  const std::wstring& root = scratch.path();
  std::wstring whyNot;
  {
    const SafeFolder folder = SafeFolder::Open(root + L"work\\", whyNot);
    ASSERT_TRUE(folder) << ToUtf8(whyNot);
    EXPECT_EQ(folder.Path(), root + L"work\\");
    EXPECT_FALSE(MoveFileW((root + L"work").c_str(), (root + L"moved").c_str()));
    const SafeFolder again = SafeFolder::Open(root + L"work", whyNot);  // found, not made
    EXPECT_TRUE(again);
  }
  ASSERT_TRUE(WriteWholeFile(root + L"file", "x"));
  EXPECT_FALSE(SafeFolder::Open(root + L"file\\", whyNot));
  EXPECT_EQ(whyNot, L"作業フォルダ " + root + L"file を使えません (フォルダではありません)");
}

}  // namespace
}  // namespace kip
