// The automatic return: the helper's wait between the window's signals and
// its time-out, and the way back itself: the state kept before a commit is
// committed through the same engine, and what the commit changed around the
// cards is written back as it was.
#include <gtest/gtest.h>

#include <thread>

#include "apply/AutoReturn.h"
#include "apply/CommitSource.h"
#include "machine/MachineKeys.h"
#include "machine/TcpipValues.h"
#include "store/SettingStore.h"
#include "store/StoreKeys.h"
#include "support/CommitCorpus.h"
#include "support/RegistrySandbox.h"
#include "support/ScratchFolder.h"
#include "util/Files.h"

namespace kip {
namespace {

UniqueKernelHandle Signal(bool given) { return UniqueKernelHandle(CreateEventW(nullptr, TRUE, given, nullptr)); }

TEST(AutoReturnWait, TheCountdownRunsFromNetshAndOnlyAKeepInTimeKeeps) {
  struct Case {
    const char* title;
    bool netshRan, committed, keep, returnNow, windowGone;
    int keepAfterMs;  // -1: never
    DWORD timeoutMs;  // INFINITE where only the right reading ends the wait
    ReturnDecision expected;
  };
  const Case cases[] = {
      {"kept at once", true, false, true, false, false, -1, 100, ReturnDecision::Keep},
      {"sent back at once", false, false, false, true, false, -1, INFINITE, ReturnDecision::Return},
      {"nobody answers after netsh", true, false, false, false, false, -1, 100, ReturnDecision::Return},
      {"nobody answers a commit without netsh", false, true, false, false, false, -1, 100, ReturnDecision::Return},
      {"the window ended before netsh", false, false, false, false, true, -1, INFINITE, ReturnDecision::Return},
      {"the window ended in the countdown", true, false, false, false, true, -1, INFINITE, ReturnDecision::Return},
      {"kept during the countdown", true, false, false, false, false, 30, 20000, ReturnDecision::Keep},
      // A commit stuck before netsh has not changed the network: no clock
      // runs yet, however short the time-out.
      {"kept while a step before netsh hangs", false, false, false, false, false, 300, 0, ReturnDecision::Keep},
      {"a keep beats the window's end", true, false, true, false, true, -1, 100, ReturnDecision::Keep},
      // The question shown at 600 ms gives the whole second again: a keep
      // at 1300 ms still counts.
      {"kept after the question restarted the clock", true, false, false, false, false, 1300, 1000,
       ReturnDecision::Keep},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    UniqueKernelHandle netsh = Signal(c.netshRan), committed = Signal(c.committed), keep = Signal(c.keep),
                       back = Signal(c.returnNow), window = Signal(c.windowGone);
    UniqueKernelHandle restart(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    std::thread question;
    if (c.keepAfterMs > 1000) {
      question = std::thread([&] {
        Sleep(600);
        SetEvent(restart.get());
      });
    }
    std::thread late;
    if (c.keepAfterMs >= 0) {
      late = std::thread([&] {
        Sleep(static_cast<DWORD>(c.keepAfterMs));
        SetEvent(keep.get());
      });
    }
    const ReturnSignals signals{netsh.get(), committed.get(), keep.get(), back.get(), window.get(), restart.get()};
    EXPECT_EQ(AwaitConfirmation(signals, c.timeoutMs), c.expected);
    if (late.joinable()) late.join();
    if (question.joinable()) question.join();
  }
}

// The user's time: from netsh (or the commit's end) the time-out, whole
// again at each step that ends and when the question is shown; nothing runs
// before the network changed.
TEST(ReturnCountdownRule, StartsOnceAndStartsAgainWholeOnlyWhileRunning) {
  struct Case {
    const char* title;
    const char* events;  // S start, R restart, one per 1000 ms from t=0
    ULONGLONG askedAt;
    DWORD expected;
  };
  const Case cases[] = {
      {"not started: no clock", "", 500, INFINITE},
      {"a restart before the start does nothing", "R", 1500, INFINITE},
      {"started at 0", "S", 1500, 3500},
      {"a second start does not move it", "SS", 1500, 3500},
      {"restarted at 1000", "SR", 1500, 4500},
      {"the question at 2000 after two steps", "SRR", 2500, 4500},
      {"up", "S", 5000, 0},
      {"long past", "S", 90000, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    ReturnCountdown countdown(5000);
    ULONGLONG at = 0;
    for (const char* e = c.events; *e; ++e, at += 1000) {
      if (*e == 'S') countdown.Start(at);
      if (*e == 'R') countdown.Restart(at);
    }
    EXPECT_EQ(countdown.WaitMs(c.askedAt), c.expected);
  }
}

// A return stays pending only while one of its owners may still act on it:
// an owner that cannot be looked at counts for as long as a way back can
// take, never for ever.
TEST(PendingOwnerRule, AnOwnerThatCannotBeOpenedHoldsOnlyForAWhile) {
  constexpr ULONGLONG kHour = 60 * 60 * 1000;
  struct Case {
    const char* title;
    OwnerLook look;
    std::optional<ULONGLONG> keptForMs;
    bool holds;
  };
  const Case cases[] = {
      {"the same process", OwnerLook::Same, 10 * kHour, true},
      {"ended", OwnerLook::Ended, 1000, false},
      {"its id is not in use", OwnerLook::Gone, 1000, false},
      {"access denied, just kept", OwnerLook::Unknown, 1000, true},
      {"access denied, within time-out and grace", OwnerLook::Unknown, kHour + 50 * 1000, true},
      {"access denied, beyond them", OwnerLook::Unknown, kHour + 61 * 1000, false},
      {"access denied, kept when is not known", OwnerLook::Unknown, std::nullopt, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    EXPECT_EQ(OwnerHolds(c.look, c.keptForMs, 60), c.holds);
  }
}

const std::wstring kCard = L"{00000001-0000-0000-0000-4E6574446576}";
const std::wstring kInternetKey = kInternetSettingsKey;

class AutoReturnTest : public RegistryTest {
 protected:
  void SetUp() override {
    // The office: a fixed address, a proxy turned off that keeps its server
    // and its exceptions, a search list, a blank home page.
    const std::wstring live = TcpipInterfaceKey(kCard);
    SetDword(HKEY_LOCAL_MACHINE, live, L"EnableDHCP", 0);
    SetMultiString(HKEY_LOCAL_MACHINE, live, L"IPAddress", {L"192.168.10.20"});
    SetMultiString(HKEY_LOCAL_MACHINE, live, L"SubnetMask", {L"255.255.255.0"});
    SetString(HKEY_LOCAL_MACHINE, live, L"NameServer", L"192.168.10.1");
    SetString(HKEY_LOCAL_MACHINE, kTcpipParametersKey, L"SearchList", L"corp.example.co.jp");
    SetDword(HKEY_LOCAL_MACHINE, kTcpipParametersKey, L"IPEnableRouter", 0);
    SetDword(HKEY_LOCAL_MACHINE, kTcpipParametersKey, L"UseDomainNameDevolution", 1);
    SetDword(HKEY_CURRENT_USER, kInternetKey, L"ProxyEnable", 0);
    SetString(HKEY_CURRENT_USER, kInternetExplorerMainKey, L"Start Page", L"");
    SetString(HKEY_CURRENT_USER, kInternetKey, L"ProxyServer", L"proxy.example.co.jp:8080");
    SetString(HKEY_CURRENT_USER, kInternetKey, L"ProxyOverride", L"<local>;*.example.co.jp");
    SetDword(HKEY_LOCAL_MACHINE, kStoreRootKey, L"Setting Index", 4);
    // Home: DHCP, no proxy server, no search list, a home page.
    CardPart home;
    home.tcpip.enableDhcp = true;
    home.tcpip.nameServers = StringList{};
    SaveCardPart(L"自宅", kCard, L"LAN", home, 6);
    MachineWideValues machine;
    machine.proxy.enable = true;
    machine.proxy.startPage = L"http://home.example.jp/";
    SaveMachineWide(L"自宅", machine);
    corpus::CardSeed card;
    card.id = kCard;
    card.connectionName = L"LAN";
    seed_.cards.push_back(card);
  }

  CommitEnvironment Environment(CommandRunner& runner) {
    return corpus::CaseEnvironment(seed_, folder_.path(), folder_.path(), runner);
  }

  corpus::CaseSeed seed_;
  test::ScratchFolder folder_;
};

TEST_F(AutoReturnTest, TheWayBackCommitsTheStateKeptBeforeTheCommitEvenWhenTheStoreWasReplaced) {
  corpus::RecordingRunner forward(folder_.path(), folder_.path());
  const CommitEnvironment environment = Environment(forward);
  const CommitSetting setting = ReadCommitSetting({1, L"自宅", 1, {kCard}, 6, 1}, environment);
  const CommitPlan plan = PlanCommit(setting);
  ReturnSnapshot snapshot = SnapshotOf(ReadLiveState(setting, folder_.path()), setting, plan, L"");
  snapshot.ticket.removeHosts = true;  // the machine had no HOSTS file
  ASSERT_TRUE(SaveReturnSnapshot(L"1-2", snapshot));
  // The helper starts: it reads the way back before the commit runs.
  const std::optional<ReturnTicket> ticket = LoadReturnTicket(L"1-2");
  ASSERT_TRUE(ticket);
  EXPECT_EQ(ticket->cardIds, StringList{kCard});
  WayBack wayBack = ReadWayBack(L"1-2", *ticket, environment);
  struct NoDomain : CommitUser {
    void ChangeDomain(const DomainChoice&) override {}
  } user;
  RunCommitPlan(plan, user, environment);
  // What the recording netsh does not do, the card as the commit left it.
  SetDword(HKEY_LOCAL_MACHINE, TcpipInterfaceKey(kCard), L"EnableDHCP", 1);
  ASSERT_EQ(GetString(HKEY_CURRENT_USER, kInternetKey, L"ProxyServer"), L"");
  ASSERT_EQ(GetString(HKEY_CURRENT_USER, kInternetExplorerMainKey, L"Start Page"), L"http://home.example.jp/");
  // An import during the countdown replaces the store, snapshot and all.
  DeleteReturnSnapshot(L"1-2");
  // The commit brought a HOSTS file.
  const std::wstring hosts = folder_.path() + L"drivers\\etc\\hosts";
  CreateDirectoryW((folder_.path() + L"drivers").c_str(), nullptr);
  CreateDirectoryW((folder_.path() + L"drivers\\etc").c_str(), nullptr);
  ASSERT_TRUE(WriteWholeFile(hosts, "10.0.0.1 intranet\r\n"));

  corpus::RecordingRunner back(folder_.path(), folder_.path());
  const std::wstring differs = CommitWayBack(std::move(wayBack), Environment(back));
  EXPECT_NE(back.outcome.script.find(L"set address name=\"LAN\" source=static addr=192.168.10.20 255.255.255.0"),
            std::wstring::npos)
      << back.outcome.script;
  EXPECT_NE(back.outcome.script.find(L"set dns name=\"LAN\" source=static addr=192.168.10.1"), std::wstring::npos);
  // Written back byte for byte, not as a setting's fields would make them.
  EXPECT_EQ(GetString(HKEY_CURRENT_USER, kInternetKey, L"ProxyServer"), L"proxy.example.co.jp:8080");
  EXPECT_EQ(GetString(HKEY_CURRENT_USER, kInternetKey, L"ProxyOverride"), L"<local>;*.example.co.jp");
  EXPECT_EQ(GetDword(HKEY_CURRENT_USER, kInternetKey, L"ProxyEnable"), 0u);
  EXPECT_EQ(GetString(HKEY_CURRENT_USER, kInternetExplorerMainKey, L"Start Page"), L"");
  EXPECT_EQ(GetString(HKEY_LOCAL_MACHINE, kTcpipParametersKey, L"SearchList"), L"corp.example.co.jp");
  EXPECT_EQ(GetDword(HKEY_LOCAL_MACHINE, kStoreRootKey, L"Setting Index"), 4u);
  // The check after the way back expects the values put back exactly.
  std::string log;
  ReadWholeFile(folder_.path() + L"kIpCnfg.log", log);
  const std::wstring checked = FromAnsi(log);
  EXPECT_EQ(checked.find(L"Proxy"), std::wstring::npos) << ToUtf8(checked);
  EXPECT_EQ(checked.find(L"ホームページ"), std::wstring::npos) << ToUtf8(checked);
  EXPECT_FALSE(FileExists(hosts));
  // The recording netsh changed no card: the way back does not claim it
  // went back, and says where it did not.
  EXPECT_NE(differs.find(L"LAN"), std::wstring::npos) << ToUtf8(differs);
  // The kept state is never a setting of its own.
  EXPECT_EQ(ListSettingNames(), StringList{L"自宅"});
}

TEST(SafeCommitRule, RefusesWhatNoWayBackUndoes) {
  struct Case {
    const char* title;
    const wchar_t* hostName;
    bool changeDomain;
    bool refused;
  };
  const Case cases[] = {
      {"the same name, another case", L"  pc-01 ", false, false},
      {"no name", L"  ", false, false},
      {"another name", L"PC-02", false, true},
      {"a domain change, even to the same domain", L"PC-01", true, true},
  };
  LiveMachine live;
  live.computerName = L"PC-01";
  live.membership.domain = L"CORP";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    CommitPlan plan;
    plan.tcpip.hostName = c.hostName;
    plan.domain.changeDomain = c.changeDomain;
    plan.domain.domainSelected = true;
    plan.domain.domain = L"CORP";
    EXPECT_EQ(ChangesDomainOrComputerName(live, plan), c.refused);
  }
}

// A kept state is made new or not at all; one no live process holds is
// swept away with its HOSTS copy, one still held is a pending return.
TEST_F(AutoReturnTest, KeptStatesAreMadeNewAndOnlyTheAbandonedAreSwept) {
  const std::wstring program = folder_.path() + L"kIpCnfg.exe";
  ReturnSnapshot held;
  held.ticket.owners = {{GetCurrentProcessId(), 0}};
  FILETIME created{}, exited{}, kernel{}, user{};
  ASSERT_TRUE(GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user));
  held.ticket.owners[0].createdAt = (static_cast<ULONGLONG>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
  ReturnSnapshot dead = held;
  dead.ticket.owners = {{GetCurrentProcessId(), 1}, {0xFFFFFFF0u, 2}};  // an earlier process of our id; none

  EXPECT_FALSE(ReturnPending());
  ASSERT_TRUE(SaveReturnSnapshot(L"11-1", held));
  ASSERT_TRUE(SaveReturnSnapshot(L"22-2", dead));
  // Whoever made the key first, the second save does not go on with it.
  EXPECT_FALSE(SaveReturnSnapshot(L"22-2", held));
  for (const wchar_t* token : {L"11-1", L"22-2", L"33-3"}) {
    ASSERT_TRUE(WriteWholeFile(ChangeFileExt(program, std::wstring(L".") + token + L".hosts"), "127.0.0.1 x\r\n"));
  }

  RemoveAbandonedReturns(program, folder_.path());
  EXPECT_EQ(ReturnSnapshotTokens(), StringList{L"11-1"});
  EXPECT_TRUE(FileExists(folder_.path() + L"kIpCnfg.11-1.hosts"));
  EXPECT_FALSE(FileExists(folder_.path() + L"kIpCnfg.22-2.hosts"));
  EXPECT_FALSE(FileExists(folder_.path() + L"kIpCnfg.33-3.hosts"));
  EXPECT_TRUE(ReturnPending());
  DeleteReturnSnapshot(L"11-1");
  EXPECT_FALSE(ReturnPending());
}

}  // namespace
}  // namespace kip
