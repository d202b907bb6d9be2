// The domain change step against a scripted joiner and login dialog.
#include "apply/DomainJoiner.h"

#include <deque>
#include <vector>

#include <gtest/gtest.h>

namespace kip {
namespace {

struct JoinCall {
  std::wstring name, account, password;
  DWORD options;
  bool operator==(const JoinCall&) const = default;
};

void PrintTo(const JoinCall& c, std::ostream* os) {
  *os << testing::PrintToString(c.name) << "/" << testing::PrintToString(c.account) << "/"
      << testing::PrintToString(c.password) << "/" << c.options;
}

class ScriptedJoiner : public DomainJoiner {
 public:
  explicit ScriptedJoiner(std::deque<bool> results) : results_(std::move(results)) {}
  bool Unjoin() override {
    ++unjoins;
    return false;
  }
  bool Join(const std::wstring& name, const std::wstring& account, const std::wstring& password,
            DWORD options) override {
    calls.push_back({name, account, password, options});
    if (results_.empty()) return false;
    bool result = results_.front();
    results_.pop_front();
    return result;
  }
  int unjoins = 0;
  std::vector<JoinCall> calls;

 private:
  std::deque<bool> results_;
};

struct LoginAnswer {
  AccountPrompt::Result result;
  std::wstring user, password;
};

class ScriptedLogin : public AccountPrompt {
 public:
  explicit ScriptedLogin(std::deque<LoginAnswer> answers) : answers_(std::move(answers)) {}
  Result AskAccount(std::wstring& user, std::wstring& password) override {
    ++shown;
    if (answers_.empty()) return Result::Closed;
    LoginAnswer answer = answers_.front();
    answers_.pop_front();
    if (answer.result == Result::Ok) {
      user = answer.user;
      password = answer.password;
    }
    return answer.result;
  }
  int shown = 0;

 private:
  std::deque<LoginAnswer> answers_;
};

constexpr DWORD kDomain = kDomainJoinOptions;
using R = AccountPrompt::Result;

struct DomainCase {
  const char* title;
  DomainChoice choice;
  std::deque<bool> joinResults;
  std::deque<LoginAnswer> loginAnswers;
  bool windowClosesDuringWait;
  std::vector<JoinCall> expectedCalls;
  int expectedDialogs;
  std::wstring expectedMessage;
};

TEST(DomainChange, AttemptsDialogsAndMessages) {
  const DomainChoice corp{true, true, L" corp.example ", L"IGNORED"};
  const DomainCase cases[] = {
      {"joins at once without an account", corp, {true}, {}, false, {{L"corp.example", L"", L"", kDomain}}, 0, L""},
      {"two failures with an account",
       corp,
       {false, false, false},
       {{R::Ok, L" alice ", L" pw1 "}, {R::Ok, L"bob", L"pw2"}},
       false,
       {{L"corp.example", L"", L"", kDomain},
        {L"corp.example", L"alice", L"pw1", kDomain},
        {L"corp.example", L"bob", L"pw2", kDomain}},
       2,
       kDomainJoinFailed},
      {"cancel in the first dialog", corp, {false, true}, {{R::Cancel, L"", L""}}, false,
       {{L"corp.example", L"", L"", kDomain}}, 1, kDomainJoinFailed},
      {"dialog closed otherwise keeps the account as it was",
       corp,
       {false, false, true},
       {{R::Closed, L"", L""}, {R::Ok, L"alice", L"pw"}},
       false,
       {{L"corp.example", L"", L"", kDomain},
        {L"corp.example", L"", L"", kDomain},
        {L"corp.example", L"alice", L"pw", kDomain}},
       2,
       L""},
      {"window closed while waiting", corp, {false, true}, {{R::Ok, L"alice", L"pw"}}, true,
       {{L"corp.example", L"", L"", kDomain}}, 0, kDomainJoinFailed},
      {"no radio button runs the workgroup branch", {true, false, L"corp.example", L" OFFICE "}, {true}, {}, false,
       {{L"OFFICE", L"", L"", 0}}, 0, L""},
      {"an empty workgroup is still passed", {true, false, L"", L"  "}, {false}, {}, false, {{L"", L"", L"", 0}}, 0,
       kWorkgroupJoinFailed},
      {"switched off", {false, true, L"corp.example", L"OFFICE"}, {true}, {}, false, {}, 0, L""},
  };
  for (const DomainCase& c : cases) {
    SCOPED_TRACE(c.title);
    ScriptedJoiner joiner(c.joinResults);
    ScriptedLogin login(c.loginAnswers);
    bool joinCancelled = true;  // left over from an earlier join: reset by a new one
    std::vector<double> waits;
    DomainChangeContext context{joiner, login, joinCancelled, [&](double seconds) {
                                  waits.push_back(seconds);
                                  if (c.windowClosesDuringWait) joinCancelled = true;
                                }};
    EXPECT_EQ(ChangeDomainOrWorkgroup(c.choice, context), c.expectedMessage);
    EXPECT_EQ(joiner.calls, c.expectedCalls);
    EXPECT_EQ(login.shown, c.expectedDialogs);
    EXPECT_EQ(joiner.unjoins, c.choice.changeDomain ? 1 : 0);
    // One second after each domain attempt, none after a workgroup join.
    const size_t domainAttempts = c.choice.domainSelected ? c.expectedCalls.size() : 0;
    EXPECT_EQ(waits, std::vector<double>(domainAttempts, 1.0));
  }
}

// Wine has neither function: the calls must fail instead of ending the
// process.
TEST(DomainChange, NetapiJoinerFailsWhereTheFunctionsAreMissing) {
  auto joiner = CreateNetapiDomainJoiner();
  HMODULE netapi = GetModuleHandleW(L"netapi32.dll");
  const bool present = netapi != nullptr && GetProcAddress(netapi, "NetJoinDomain") != nullptr;
  if (present) GTEST_SKIP() << "netapi32 has NetJoinDomain here; it is not called on a real machine";
  EXPECT_FALSE(joiner->Unjoin());
  EXPECT_FALSE(joiner->Join(L"WORKGROUP", L"", L"", 0));
  EXPECT_FALSE(joiner->Join(L"corp.example", L"alice", L"pw", kDomainJoinOptions));
}

TEST(DomainChange, NamesLongerThanTheBufferBecomeEmpty) {
  EXPECT_EQ(NetapiName(std::wstring(255, L'a')), std::wstring(255, L'a'));
  EXPECT_EQ(NetapiName(std::wstring(256, L'a')), L"");
}

}  // namespace
}  // namespace kip
