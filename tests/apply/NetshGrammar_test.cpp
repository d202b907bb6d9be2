// netsh takes every line a commit gives it: each script of the golden corpus
// and of 500 more seeded settings, and each netsh command line, read against
// the grammar netsh's own reference gives (tests/stubs/netsh-grammar.txt,
// the table the recording netsh stand-in refuses lines by).
#include <gtest/gtest.h>

#include "apply/CommitPlan.h"
#include "apply/CommitSource.h"
#include "stubs/netsh_grammar.h"
#include "support/CommitCorpus.h"
#include "support/RegistrySandbox.h"
#include "support/ScratchFolder.h"
#include "util/Files.h"

namespace kip {
namespace {

const netsh::Grammar& TheGrammar() {
  static const netsh::Grammar grammar = [] {
    std::wstring error;
    const std::string text = ReadWholeFile(ProgramFolder() + L"data\\netsh-grammar.txt");
    const auto parsed = netsh::ParseGrammar(FromUtf8(text), &error);
    EXPECT_TRUE(parsed.has_value()) << ToUtf8(error);
    return parsed.value_or(netsh::Grammar{});
  }();
  return grammar;
}

// Every line of a commit's outcome the grammar refuses, with its reason:
// the script's lines and the netsh command lines ("<kind> netsh ...").
std::vector<std::string> Refused(const corpus::Outcome& outcome) {
  std::vector<std::string> refused;
  for (const netsh::Refusal& refusal : netsh::CheckScript(TheGrammar(), outcome.script)) {
    refused.push_back(ToUtf8(refusal.line + L" -- " + refusal.verdict.reason));
  }
  for (const std::wstring& command : outcome.commands) {
    if (command.find(L" netsh ") != 1) continue;
    const netsh::Verdict verdict = netsh::CheckCommandLine(TheGrammar(), command.substr(8));
    if (!verdict.accepted) refused.push_back(ToUtf8(command.substr(2) + L" -- " + verdict.reason));
  }
  return refused;
}

TEST(NetshGrammar, TakesEveryScriptAndCommandLineOfTheCorpus) {
  const auto recorded = corpus::ReadCorpus(ProgramFolder() + L"data\\commit-corpus.txt");
  ASSERT_FALSE(recorded.empty());
  for (const auto& [number, outcome] : recorded) {
    for (const std::string& line : Refused(outcome)) ADD_FAILURE() << "case " << number << ": " << line;
  }
}

// Two halves of 250, each well inside a test's time limit under Wine.
class NetshGrammarRandomTest : public RegistryTest, public ::testing::WithParamInterface<size_t> {};

// 500 settings of the corpus's seeded generator beyond the corpus's own,
// committed through the engine as the corpus test commits them.
TEST_P(NetshGrammarRandomTest, TakesTheScriptsOf500MoreSettings) {
  const std::vector<corpus::CaseSeed> all = corpus::CorpusCases(240 + 500);
  const size_t corpusSize = corpus::CorpusCases().size();
  ASSERT_EQ(all.size(), corpusSize + 500);
  const size_t first = corpusSize + GetParam();
  size_t scripts = 0;
  for (size_t i = first; i < first + 250; ++i) {
    const corpus::CaseSeed& seed = all[i];
    const corpus::Outcome outcome = corpus::CommitCase(seed);
    scripts += outcome.script.empty() ? 0 : 1;
    for (const std::string& line : Refused(outcome)) ADD_FAILURE() << "setting " << seed.number << ": " << line;
  }
  EXPECT_GT(scripts, 200u);
}
INSTANTIATE_TEST_SUITE_P(Halves, NetshGrammarRandomTest, ::testing::Values(size_t{0}, size_t{250}));

// The grammar's rules, each by a line netsh takes and one it refuses.
TEST(NetshGrammar, TakesWhatTheReferenceAllowsAndRefusesTheRest) {
  struct Case {
    const wchar_t* context;
    const wchar_t* line;
    const wchar_t* refusedFor;  // nullptr: taken
    const char* rule;
  };
  const Case cases[] = {
      {L"interface ipv4", L"set address name=\"LAN 2\" source=static addr=10.0.0.5 255.255.255.0 10.0.0.1 1", nullptr,
       "untagged values take their places in the syntax line"},
      {L"interface ipv4", L"SET ADDR Name=LAN SOU=DHCP", nullptr, "commands and tags abbreviated, any letter case"},
      {L"interface ipv4",
       L"set dns name=LAN source=static addr=10.0.0.53 register=PRIMARY", nullptr, "dns is dnsservers"},
      {L"interface ipv4", L"delete address name=LAN gateway=all", nullptr, "a card's gateways by its name"},
      {L"interface ipv4", L"add route prefix=0.0.0.0/0 interface=LAN nexthop=10.0.0.1 metric=5 publish=はい", nullptr,
       "publish=はい, left open"},
      {L"interface ipv6",
       L"add address interface=LAN address=2001:db8::5/64", nullptr, "an IPv6 address with its length"},
      {L"interface ipv6", L"set interface interface=LAN routerdiscovery=disabled managedaddress=enabled", nullptr,
       "ipv6 set interface"},
      {L"interface ip", L"add address name=LAN gateway=10.0.0.1 gwmetric=1", nullptr, "XP: a gateway with its metric"},
      {L"", L"interface set interface name=\"ローカル エリア接続\" admin=DISABLED", nullptr, "a command line"},
      {L"", L"wlan connect name=Office ssid=Office interface=\"Wi-Fi\"", nullptr, "wlan connect"},
      {L"interface ipv4", L"set address name=LAN source=static adress=10.0.0.5 255.255.255.0",
       L"no such tag: adress", "a wrong tag"},
      {L"interface ipv4", L"set address name=LAN s=dhcp", L"the tag is ambiguous: s", "an ambiguous tag"},
      {L"interface ipv4", L"set address name=LAN source=static addr=10.0.0.256 255.255.255.0",
       L"not a value of address: \"10.0.0.256\"", "a bad address"},
      {L"interface ipv4", L"set address name=LAN source=static addr=10.0.0.5 255.0.255.0",
       L"not a value of mask: \"255.0.255.0\"", "not a mask"},
      {L"interface ipv4", L"set address name=LAN source=dhc",
       L"not a value of source: \"dhc\"", "an abbreviated value"},
      {L"interface ipv4", L"add dns name=LAN index=2",
       L"the required tag address is missing", "a missing required tag"},
      {L"interface ipv4", L"add address name=LAN addr=10.0.0.5 addr=10.0.0.6",
       L"the tag address is given twice", "a tag given twice"},
      {L"interface ipv4", L"set dns name=LAN source=dhcp addr=10.0.0.53",
       L"address needs source=static", "an address needs source=static"},
      {L"interface ipv4", L"add route prefix=0.0.0.0 interface=LAN nexthop=10.0.0.1",
       L"not a value of prefix", "a prefix needs a length"},
      {L"interface ip", L"delete dns name=LAN all x", L"too many values: x", "too many values"},
      {L"interface ipv4", L"set d name=LAN source=dhcp", L"no set command d", "an ambiguous command"},
      {L"interface ipv4", L"set adress name=LAN source=dhcp", L"no set command adress", "an unknown command"},
      {L"interface ip", L"add address name=LAN gateway=10.0.0.1",
       L"gateway needs gwmetric", "XP: a gateway without its metric"},
      {L"interface ipv6", L"delete address interface=LAN address=2001:db8::5/64",
       L"not a value of address", "delete takes no length"},
      {L"interface ipv6", L"add dnsservers name=LAN address=2001:db8:::1",
       L"not a value of address", "a bad IPv6 address"},
      {L"", L"wlan connect name=Office interface=Wi-*", L"not a value of interface", "no wildcard interface"},
  };
  for (const Case& c : cases) {
    netsh::Words stack;
    if (*c.context) stack.push_back(c.context);
    const netsh::Verdict verdict = netsh::CheckLine(TheGrammar(), stack, c.line);
    EXPECT_EQ(verdict.accepted, c.refusedFor == nullptr) << c.rule << ": " << ToUtf8(c.line);
    if (c.refusedFor) {
      EXPECT_NE(verdict.reason.find(c.refusedFor), std::wstring::npos) << c.rule << ": " << ToUtf8(verdict.reason);
    }
  }
}

// A script's lines are read in the context its pushd lines enter.
TEST(NetshGrammar, ReadsAScriptInTheContextsItsPushdLinesEnter) {
  EXPECT_TRUE(netsh::CheckScript(TheGrammar(), L"pushd interface ipv4\r\nreset\r\npopd\r\n").empty());
  const auto outside =
      netsh::CheckScript(TheGrammar(), L"pushd interface ip\npopd\nset dns name=LAN source=dhcp\npopd");
  ASSERT_EQ(outside.size(), 2u);
  EXPECT_EQ(outside[0].lineNumber, 3u);  // the top level has no "set dns"
  EXPECT_EQ(outside[1].verdict.reason, L"popd with nothing pushed");
}

// Runs `commandLine` with its output into `output`; its exit code.
DWORD RunStandIn(const std::wstring& commandLine, const std::wstring& output) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  // Shared: under Wine the child's copy of the handle may outlive it a moment.
  const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE;
  HANDLE file = CreateFileW(output.c_str(), GENERIC_WRITE, share, &inherit, CREATE_ALWAYS, 0, nullptr);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = startup.hStdError = file;
  PROCESS_INFORMATION process{};
  std::wstring line = commandLine;
  DWORD code = 9999;
  if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                     &process)) {
    WaitForSingleObject(process.hProcess, 30000);
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  CloseHandle(file);
  return code;
}

// The recording netsh with the grammar beside it (as the end-to-end runs
// stage it) answers a refused line as netsh does and ends with 1; a command
// line likewise.
TEST(NetshGrammarStandIn, RefusesAScriptLineAndACommandLineAsNetshDoes) {
  test::ScratchFolder folder;
  ASSERT_TRUE(CopyFileW((ProgramFolder() + L"netsh.exe").c_str(), (folder / L"netsh.exe").c_str(), FALSE));
  ASSERT_TRUE(CopyFileW((ProgramFolder() + L"data\\netsh-grammar.txt").c_str(), (folder / L"netsh-grammar.txt").c_str(),
                        FALSE));
  ASSERT_TRUE(WriteWholeFile(folder / L"s.sh",
                             "pushd interface ipv4\r\nset dns name=LAN source=dhcp\r\n"
                             "set dns name=LAN source=static addr=\r\nset wins name=LAN source=dhcp\r\npopd\r\n"));
  SetEnvironmentVariableW(L"KIP_STUB_LOG", (folder / L"log").c_str());
  const std::wstring netsh = L"\"" + (folder / L"netsh.exe") + L"\" ";
  EXPECT_EQ(RunStandIn(netsh + L"exec \"" + (folder / L"s.sh") + L"\"", folder / L"out1"), 1u);
  EXPECT_EQ(RunStandIn(netsh + L"interface se int name=LAN adm=DISABLED", folder / L"out2"), 0u);
  EXPECT_EQ(RunStandIn(netsh + L"intrface show", folder / L"out3"), 1u);
  SetEnvironmentVariableW(L"KIP_STUB_LOG", nullptr);
  EXPECT_EQ(ReadWholeFile(folder / L"out1").rfind("The syntax supplied for this command is not valid.", 0), 0u);
  EXPECT_EQ(ReadWholeFile(folder / L"out3").rfind("The following command was not found: intrface show.\r\n", 0), 0u)
      << ReadWholeFile(folder / L"out3");
  const std::string log = ReadWholeFile(folder / L"log");
  EXPECT_NE(log.find("refused: 3: set dns name=LAN source=static addr= -- not a value of address: \"\"\n"),
            std::string::npos);
  EXPECT_EQ(log.find("refused: 0: interface se"), std::string::npos);
  EXPECT_NE(log.find("refused: 0: intrface show -- "), std::string::npos);
}

}  // namespace
}  // namespace kip
