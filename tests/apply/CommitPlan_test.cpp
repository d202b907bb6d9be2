// The commit plan: the editor's normalisation of a card's values as a
// table, and the golden corpus, whose every setting the engine must commit
// byte for byte as recorded.
#include <gtest/gtest.h>

#include <set>

#include "apply/CommitPlan.h"
#include "apply/CommitSource.h"
#include "machine/TcpipValues.h"
#include "store/SettingStore.h"
#include "support/CommitCorpus.h"
#include "support/RegistrySandbox.h"
#include "support/ScratchFolder.h"
#include "util/Files.h"

namespace kip {
namespace {

TEST(CardScriptInput, ShowsTheCardAsTheEditorWouldAndNothingOfAnotherCard) {
  const StringList none;
  const struct {
    const char* title;
    TcpipValues values;
    StringList wins;
    std::vector<std::pair<std::wstring, std::wstring>> addresses, gateways;
    bool dnsAutomatic;
    StringList dns, winsRows;
  } cases[] = {
      {"fixed addresses: the longer list makes the rows, a missing metric is blank",
       {false, {L"10.0.0.1", L"", L"10.0.0.3"}, {L"255.0.0.0"}, {L"10.0.0.254", L"10.0.0.253"}, {L" 05"},
        StringList{L"10.0.0.53", L"", L"10.0.0.54"}},
       {L"10.1.1.1", L"10.1.1.2"},
       {{L"10.0.0.1", L"255.0.0.0"}, {L"", L""}, {L"10.0.0.3", L""}},
       {{L"10.0.0.254", L" 05"}, {L"10.0.0.253", L""}},
       false,
       {L"10.0.0.53", L"", L"10.0.0.54"},
       {L"10.1.1.1", L"10.1.1.2"}},
      {"DHCP hides the typed addresses; no servers means automatic DNS",
       {true, {L"10.0.0.1"}, {L"255.0.0.0"}, {}, {}, StringList{}},
       {},
       {{L"", L""}},
       {{L"", L""}},
       true,
       {L""},
       {L""}},
      {"no servers without DHCP is no DNS server, not automatic DNS",
       {false, {}, {}, {}, {}, StringList{}},
       {L"10.1.1.9"},
       {{L"", L""}},
       {{L"", L""}},
       false,
       {L""},
       {L"10.1.1.9"}},
      {"unreadable servers are never automatic DNS",
       {true, {}, {}, {}, {}, std::nullopt},
       {},
       {{L"", L""}},
       {{L"", L""}},
       false,
       {L""},
       {L""}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    const NetshCardInput input = CardScriptInput({L"{id}", L"LAN", L"", CardPart{c.values, c.wins}});
    std::vector<std::pair<std::wstring, std::wstring>> addresses, gateways;
    for (const auto& row : input.addresses) addresses.push_back({row.address, row.mask});
    for (const auto& row : input.gateways) gateways.push_back({row.gateway, row.metric});
    EXPECT_EQ(addresses, c.addresses);
    EXPECT_EQ(gateways, c.gateways);
    EXPECT_EQ(input.dnsAutomatic, c.dnsAutomatic);
    EXPECT_EQ(input.dnsServers, c.dns);
    EXPECT_EQ(input.winsServers, c.winsRows);
  }
}

// netsh takes no empty name: a card it cannot be given one for is not restarted.
TEST(PlanCommit, RestartsTheCardsItCanName) {
  CommitSetting setting;
  setting.cards = {{L"{a}", L"LAN", L""}, {L"{b}", L"", L""}, {L"{c}", L"x\"y", L""}, {L"", L"WAN", L""}};
  const auto restart = [](const wchar_t* state) {
    return PlannedChild{ChildRun::Captured, std::wstring(L"netsh interface set interface name=\"LAN\" admin=") + state};
  };
  EXPECT_EQ(PlanCommit(setting).restartChildren, (std::vector{restart(L"DISABLED"), restart(L"ENABLED")}));
}

class CommitCorpusTest : public RegistryTest {};

// Test data is copied beside the test programs.
std::wstring TestDataPath(const std::wstring& name) { return ProgramFolder() + L"data\\" + name; }

// The cases where the program before the engine wrote something else; each
// was a value carried from one card to the next through the window.
std::set<int> KnownDifferences() {
  // A live card without a NetBT key took the WINS servers of the card
  // shown before.
  std::set<int> cases = {94, 135, 146, 170, 178, 209};
  // A card with neither a stored part nor an interface key took every value
  // of the card before; it now gets no block, since nothing is known to set.
  for (int number : {20,  22,  23,  25,  30,  31,  32,  46,  47,  53,  73,  80,  99,  106, 109, 111, 120, 135,
                     137, 142, 145, 148, 153, 160, 168, 169, 172, 180, 182, 186, 187, 195, 205, 216, 227, 235, 243}) {
    cases.insert(number);
  }
  return cases;
}

TEST_F(CommitCorpusTest, TheEngineWritesEveryRecordedScriptAndCommandLine) {
  const std::vector<corpus::CaseSeed> seeds = corpus::CorpusCases();
  const auto recorded = corpus::ReadCorpus(TestDataPath(L"commit-corpus.txt"));
  ASSERT_EQ(recorded.size(), seeds.size());
  std::set<int> differing;
  for (size_t i = 0; i < seeds.size(); ++i) {
    const corpus::CaseSeed& seed = seeds[i];
    const corpus::Outcome outcome = corpus::CommitCase(seed);
    if (!(outcome == recorded[i].second)) {
      differing.insert(seed.number);
      if (getenv("KIP_CORPUS_DIFF")) {
        printf("=== %d\n%s\n--- now\n%s\n", seed.number, ToUtf8(recorded[i].second.script).c_str(),
               ToUtf8(outcome.script).c_str());
        for (auto& c : outcome.commands) printf("%s\n", ToUtf8(c).c_str());
      }
    }
  }
  EXPECT_EQ(differing, KnownDifferences());
}

}  // namespace
}  // namespace kip
