// The domain change step against a scripted joiner and login dialog.
#include "apply/DomainJoiner.h"

#include <deque>
#include <vector>

#include <gtest/gtest.h>

namespace kip {
namespace {

// Each call recorded as "name|account|password|options".
struct ScriptedJoiner : DomainJoiner {
  bool Unjoin() override { return ++unjoins, false; }
  bool Join(const std::wstring& name, const std::wstring& account, const std::wstring& password,
            DWORD options) override {
    calls.push_back(name + L"|" + account + L"|" + password + L"|" + std::to_wstring(options));
    bool ok = !results.empty() && results.front();
    if (!results.empty()) results.pop_front();
    return ok;
  }
  std::deque<bool> results;
  int unjoins = 0;
  std::vector<std::wstring> calls;
};

struct ScriptedLogin : AccountPrompt {
  Result AskAccount(std::wstring& user, std::wstring& password) override {
    ++shown;
    if (answers.empty()) return Result::Closed;
    auto [result, u, p] = answers.front();
    answers.pop_front();
    if (result == Result::Ok) user = u, password = p;
    return result;
  }
  std::deque<std::tuple<Result, std::wstring, std::wstring>> answers;
  int shown = 0;
};

using R = AccountPrompt::Result;

TEST(DomainChange, AttemptsDialogsAndMessages) {
  const DomainChoice corp{true, true, L" corp.example ", L"IGNORED"};
  const struct {
    const char* title;
    DomainChoice choice;
    std::deque<bool> results;
    std::deque<std::tuple<R, std::wstring, std::wstring>> answers;
    bool windowClosesDuringWait;
    std::vector<std::wstring> calls;
    int dialogs;
    std::wstring message;
  } cases[] = {
      {"joins at once", corp, {true}, {}, false, {L"corp.example|||3"}, 0, L""},
      {"two failures with an account", corp, {false, false, false},
       {{R::Ok, L" alice ", L" pw1 "}, {R::Ok, L"bob", L"pw2"}}, false,
       {L"corp.example|||3", L"corp.example|alice|pw1|3", L"corp.example|bob|pw2|3"}, 2, kDomainJoinFailed},
      {"cancel in the first dialog", corp, {false, true}, {{R::Cancel, L"", L""}}, false, {L"corp.example|||3"}, 1,
       kDomainJoinFailed},
      {"dialog closed otherwise: account as it was", corp, {false, false, true},
       {{R::Closed, L"", L""}, {R::Ok, L"alice", L"pw"}}, false,
       {L"corp.example|||3", L"corp.example|||3", L"corp.example|alice|pw|3"}, 2, L""},
      {"window closed while waiting: no dialog", corp, {false, true}, {}, true, {L"corp.example|||3"}, 0,
       kDomainJoinFailed},
      {"no radio button: workgroup", {true, false, L"corp", L" OFFICE "}, {true}, {}, false, {L"OFFICE|||0"}, 0, L""},
      {"empty workgroup still passed", {true, false, L"", L" "}, {false}, {}, false, {L"|||0"}, 0,
       kWorkgroupJoinFailed},
      {"switched off", {false, true, L"corp", L""}, {true}, {}, false, {}, 0, L""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    ScriptedJoiner joiner;
    joiner.results = c.results;
    ScriptedLogin login;
    login.answers = c.answers;
    bool joinCancelled = true;  // left over from an earlier join: reset by a new one
    std::vector<double> waits;
    DomainChangeContext context{joiner, login, joinCancelled, [&](double seconds) {
                                  waits.push_back(seconds);
                                  if (c.windowClosesDuringWait) joinCancelled = true;
                                }};
    EXPECT_EQ(ChangeDomainOrWorkgroup(c.choice, context), c.message);
    EXPECT_EQ(joiner.calls, c.calls);
    EXPECT_EQ(login.shown, c.dialogs);
    EXPECT_EQ(joiner.unjoins, c.choice.changeDomain ? 1 : 0);
    // One second after each domain attempt, none after a workgroup join.
    EXPECT_EQ(waits, std::vector<double>(c.choice.domainSelected ? c.calls.size() : 0, 1.0));
  }
}

// What the machine already is decides whether it leaves its domain, and a
// rename that waits for the next start is joined under the new name.
TEST(DomainChange, LeavesOnlyWhatItMustAndJoinsWithAWaitingName) {
  struct FactsJoiner : ScriptedJoiner {
    JoinFacts facts;
    JoinFacts Facts() override { return facts; }
  };
  const DomainChoice corp{true, true, L"corp.example", L""};
  const DomainChoice office{true, false, L"", L"OFFICE"};
  const JoinFacts inCorp{{L"CORP", L""}, L"corp.example", false};
  const JoinFacts inOther{{L"OTHER", L""}, L"other.example", false};
  const JoinFacts inWorkgroup{{L"", L"WORKGROUP"}, L"", false};
  const JoinFacts renamed{{L"", L"WORKGROUP"}, L"", true};
  const struct {
    const char* title;
    DomainChoice choice;
    JoinFacts facts;
    int unjoins;
    std::vector<std::wstring> calls;
  } cases[] = {
      {"member by DNS name: nothing", corp, inCorp, 0, {}},
      {"member by NetBIOS name, any case", {true, true, L" corp ", L""}, inCorp, 0, {}},
      {"another domain: leave, then join", corp, inOther, 1, {L"corp.example|||3"}},
      {"a workgroup has nothing to leave", corp, inWorkgroup, 0, {L"corp.example|||3"}},
      {"a waiting rename joins with the new name", corp, renamed, 0, {L"corp.example|||1027"}},
      {"domain to workgroup: leave first", office, inCorp, 1, {L"OFFICE|||0"}},
      {"workgroup to workgroup", office, renamed, 0, {L"OFFICE|||0"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    FactsJoiner joiner;
    joiner.facts = c.facts;
    joiner.results = {true};
    ScriptedLogin login;
    bool cancelled = false;
    DomainChangeContext context{joiner, login, cancelled, [](double) {}};
    EXPECT_EQ(ChangeDomainOrWorkgroup(c.choice, context), L"");
    EXPECT_EQ(joiner.unjoins, c.unjoins);
    EXPECT_EQ(joiner.calls, c.calls);
  }
}

// Wine has neither function: the calls must fail instead of ending the
// process. On Windows they exist and are never called by a test.
TEST(DomainChange, NetapiJoinerFailsWhereTheFunctionsAreMissing) {
  auto joiner = CreateNetapiDomainJoiner();
  HMODULE netapi = GetModuleHandleW(L"netapi32.dll");
  if (netapi && GetProcAddress(netapi, "NetJoinDomain")) GTEST_SKIP() << "netapi32 has NetJoinDomain";
  EXPECT_FALSE(joiner->Unjoin());
  EXPECT_FALSE(joiner->Join(L"corp.example", L"alice", L"pw", kDomainJoinOptions));
  EXPECT_EQ(NetapiName(std::wstring(256, L'a')), L"");
}

}  // namespace
}  // namespace kip
