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
  for (const bool ignored : {false, true}) {
    SCOPED_TRACE(ignored ? "taken and ignored" : "carried out");
    test::ScratchFolder folder;
    test::CallLog calls;
    test::RecordingInternet internet(calls);
    internet.ignoreSet = ignored;
    test::FixedAccounts accounts(L"PC\\taro", L"PC\\taro");
    test::FirewallModel model;
    model.frozen = ignored;
    for (const FixedRow& row : FixedFirewallRows()) model.groups[row.ruleGroup] = false;
    model.rules = {{L"Tool A", L"C:\\a.exe", L"", L"", kProtocolTcp, true, true, kPrivateProfile, false}};
    CommitEnvironment environment;
    environment.systemFolder = folder.path();
    environment.commitLogPath = folder / L"kIpCnfg.log";
    environment.machine = {&internet, &accounts, test::OpenerOf(model)};

    CommitSetting setting;  // Windows 7
    CommitPlan plan;
    plan.tcpip.domainNameDevolution = true;  // as a machine without the parameters key reads
    plan.internet = {true, L"proxy.example", L"8080", false, true, L"", L"", L""};
    const FirewallMachineState firewall = ReadMachineFirewall(6, environment.machine.openFirewall);
    std::vector<FirewallRow> rows = firewall.rows;
    rows[0].checked = rows[1].checked = true;  // Tool A, file and printer sharing
    plan.firewall = FirewallCommit{MakeFirewallPage(true, false, true, firewall.entries, rows), firewall.entries};
    test::RecordingAnnouncer announcer(calls);
    WriteInternetSettings(plan.internet, environment.machine, announcer);
    WriteFirewall(plan.firewall->page, plan.firewall->entries, 6, environment.machine.openFirewall);

    EXPECT_EQ(MismatchStatusText(CheckAfterCommit(setting, plan, environment)),
              ignored ? L"コンピュータ全体: Proxy サーバーを使う, Proxy サーバー, Proxy の例外, ファイアウォール, "
                        L"例外を許可しない, 許可する例外が一致しません"
                      : kCommitVerifiedText);
  }
}

}  // namespace
}  // namespace kip
