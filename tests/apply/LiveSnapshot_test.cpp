// The check after a commit reads the proxy back through WinINet and the
// firewall through its own interface, as the commit wrote them: a write that
// Windows took and ignored is named, one it carried out is not.
#include "apply/LiveSnapshot.h"

#include <gtest/gtest.h>

#include "apply/FirewallWriter.h"
#include "support/MachineStandIns.h"
#include "support/RegistrySandbox.h"
#include "support/ScratchFolder.h"

namespace kip {
namespace {

class CheckAfterCommitTest : public RegistryTest {};

TEST_F(CheckAfterCommitTest, AWriteWindowsIgnoredIsNamedThroughTheInterfaces) {
  const struct {
    const char* title;
    bool ignored;
    std::wstring status;
  } cases[] = {
      {"carried out", false, kCommitVerifiedText},
      {"taken and ignored", true,
       L"コンピュータ全体: Proxy サーバーを使う, Proxy サーバー, Proxy の例外, ファイアウォール, 例外を許可しない, "
       L"許可する例外が一致しません"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    test::ScratchFolder folder;
    test::CallLog calls;
    test::RecordingInternet internet(calls);
    internet.ignoreSet = c.ignored;
    test::FixedAccounts accounts(L"PC\\taro", L"PC\\taro");
    test::FirewallModel model;
    model.frozen = c.ignored;
    for (const FixedRow& row : FixedFirewallRows()) model.groups[row.ruleGroup] = false;
    model.rules = {{L"Tool A", L"C:\\Tools\\a.exe", L"", L"", kProtocolTcp, true, true, kPrivateProfile, false}};
    CommitEnvironment environment;
    environment.systemFolder = folder.path();
    environment.commitLogPath = folder / L"kIpCnfg.log";
    environment.machine = {&internet, &accounts, test::OpenerOf(model)};

    CommitSetting setting;
    setting.osMajorVersion = 6;
    CommitPlan plan;
    plan.tcpip.domainNameDevolution = true;  // as a machine without the parameters key reads
    plan.internet.useProxy = true;
    plan.internet.proxyServer = L"proxy.example";
    plan.internet.proxyPort = L"8080";
    plan.internet.proxyLocalAddress = true;
    const FirewallMachineState firewall = ReadMachineFirewall(6, environment.machine.openFirewall);
    std::vector<FirewallRow> rows = firewall.rows;
    rows[0].checked = true;  // Tool A
    rows[1].checked = true;  // file and printer sharing
    plan.firewall = FirewallCommit{MakeFirewallPage(true, false, true, firewall.entries, rows), firewall.entries};

    test::RecordingAnnouncer announcer(calls);
    EXPECT_TRUE(WriteInternetSettings(plan.internet, environment.machine, announcer).succeeded);
    EXPECT_TRUE(WriteFirewall(plan.firewall->page, plan.firewall->entries, 6, environment.machine.openFirewall).succeeded);
    EXPECT_EQ(MismatchStatusText(CheckAfterCommit(setting, plan, environment)), c.status);
  }
}

}  // namespace
}  // namespace kip
