// The sandbox every registry test relies on: redirection, clean-up, seeding.
#include "support/RegistrySandbox.h"

namespace kip {
namespace {

constexpr wchar_t kProbeKey[] = L"SOFTWARE\\kIpSandboxProbe";

TEST(RegistrySandboxTest, WritesStayOutOfTheRealRootsAndVanishAfterwards) {
  std::wstring scratch;
  {
    RegistrySandbox sandbox;
    scratch = sandbox.ScratchPath();
    RegistrySeed::SetString(HKEY_LOCAL_MACHINE, kProbeKey, L"Name", L"machine");
    RegistrySeed::SetDword(HKEY_CURRENT_USER, kProbeKey, L"Flag", 7);

    // The writes landed in the stand-in keys...
    EXPECT_EQ(RegistrySeed::GetString(sandbox.MachineKey(), kProbeKey, L"Name"), L"machine");
    EXPECT_EQ(RegistrySeed::GetDword(sandbox.UserKey(), kProbeKey, L"Flag"), 7u);
    // ...and through the roots they are visible as usual.
    TkRegistry registry(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(registry.OpenKeyReadOnly(L"\\SOFTWARE\\kIpSandboxProbe"));
    EXPECT_EQ(registry.ReadString(L"Name"), L"machine");
  }
  EXPECT_FALSE(RegistrySeed::KeyExists(HKEY_LOCAL_MACHINE, kProbeKey));
  EXPECT_FALSE(RegistrySeed::KeyExists(HKEY_CURRENT_USER, kProbeKey));
  EXPECT_FALSE(RegistrySeed::KeyExists(HKEY_CURRENT_USER, scratch));
}

TEST(RegistrySandboxTest, EachSandboxStartsEmptyAndASecondOneAtATimeIsRefused) {
  {
    RegistrySandbox sandbox;
    RegistrySeed::SetString(HKEY_LOCAL_MACHINE, kProbeKey, L"Left", L"over");
    EXPECT_THROW(RegistrySandbox nested, std::logic_error);
    // The refused sandbox did not undo the redirection.
    EXPECT_TRUE(RegistrySeed::ValueExists(HKEY_LOCAL_MACHINE, kProbeKey, L"Left"));
  }
  RegistrySandbox fresh;
  EXPECT_FALSE(RegistrySeed::KeyExists(HKEY_LOCAL_MACHINE, kProbeKey));
}

class RegistrySeedTest : public RegistryTest {};

TEST_F(RegistrySeedTest, ReadsBackWhatWasSeeded) {
  SetMultiString(HKEY_LOCAL_MACHINE, L"\\A\\B", L"List", {L"x", L"", L"y"});
  EXPECT_EQ(GetMultiString(HKEY_LOCAL_MACHINE, L"A\\B", L"List"), (StringList{L"x", L"", L"y"}));
  SetMultiString(HKEY_LOCAL_MACHINE, L"A\\B", L"Empty", {});
  EXPECT_EQ(GetMultiString(HKEY_LOCAL_MACHINE, L"A\\B", L"Empty"), StringList{});
  SetRaw(HKEY_LOCAL_MACHINE, L"A", L"Odd", REG_BINARY, {1, 2, 3});
  EXPECT_EQ(GetRaw(HKEY_LOCAL_MACHINE, L"A", L"Odd")->Data, (std::vector<BYTE>{1, 2, 3}));
  EXPECT_EQ(GetString(HKEY_LOCAL_MACHINE, L"A", L"Odd"), std::nullopt);
  EXPECT_EQ(SubKeyNames(HKEY_LOCAL_MACHINE, L"A"), StringList{L"B"});
  DeleteKey(HKEY_LOCAL_MACHINE, L"A");
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, L"A"));
}

}  // namespace
}  // namespace kip
