// Moving the machine into a domain or a workgroup during a commit.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "machine/MachineSettings.h"
#include "util/Process.h"

namespace kip {

// The network management calls of a domain change, for the local machine,
// without an organisational unit. Each returns whether the call succeeded.
class DomainJoiner {
 public:
  virtual ~DomainJoiner() = default;
  // The machine before the change. Nothing known (the default) makes the
  // change leave the current domain first, as a precaution.
  virtual JoinFacts Facts() { return {}; }
  // Leaves the current domain; no account, no password, the machine account
  // is not disabled.
  virtual bool Unjoin() = 0;
  // Joins `name` (a domain or a workgroup) with the given options. An empty
  // account is passed as no account, and then no password is passed.
  virtual bool Join(const std::wstring& name, const std::wstring& account, const std::wstring& password,
                    DWORD options) = 0;
};

// NetJoinDomain / NetUnjoinDomain of netapi32, looked up at run time: a
// system without them (Wine) gets failed calls instead of a process that
// cannot start or aborts.
std::unique_ptr<DomainJoiner> CreateNetapiDomainJoiner();

// Join options of a domain join: NETSETUP_JOIN_DOMAIN | NETSETUP_ACCT_CREATE.
inline constexpr DWORD kDomainJoinOptions = 0x1 | 0x2;
// Added when a new computer name waits for the next start, so that the
// domain's account is made under the new name (NETSETUP_JOIN_WITH_NEW_NAME).
inline constexpr DWORD kJoinWithNewName = 0x400;

// A name handed to the network management functions: they get it from a
// buffer of 256 characters, so a longer one becomes empty.
std::wstring NetapiName(const std::wstring& text);

// The login dialog as the domain join sees it.
class AccountPrompt {
 public:
  enum class Result { Ok, Cancel, Closed };
  virtual ~AccountPrompt() = default;
  // Shows the dialog and waits for it. On Ok, `user` and `password` hold
  // the entered (trimmed) texts; otherwise they are left as they were.
  virtual Result AskAccount(std::wstring& user, std::wstring& password) = 0;
};

// The domain page of the setting shown in the window.
struct DomainChoice {
  bool changeDomain = false;    // CheckChangeDomain
  bool domainSelected = false;  // RadioDomain; otherwise the workgroup branch runs
  std::wstring domain;          // EditDomainServer
  std::wstring workgroup;       // EditWorkGroup
};

inline constexpr wchar_t kDomainJoinFailed[] = L"ドメインへのログイン失敗";
inline constexpr wchar_t kWorkgroupJoinFailed[] = L"ワークグループへのログイン失敗";

// What the domain change works with. `joinCancelled` is the window's flag:
// reset at the start of a domain join, set by Cancel in the login dialog or
// by the window closing while the join waits; it ends the attempts.
struct DomainChangeContext {
  DomainJoiner& joiner;
  AccountPrompt& login;
  bool& joinCancelled;
  // The pause after each domain attempt, in seconds (window messages are
  // handled meanwhile: the window passes a pause that handles its keyboard).
  std::function<void(double)> wait = [](double seconds) { WaitSeconds(seconds); };
};

// The commit step: nothing when the machine is already a member of the
// chosen domain; otherwise leaves its current domain (not a workgroup, which
// has nothing to leave), then joins the chosen domain (at most three
// attempts, the first without an account, the next ones with the account
// the login dialog asked for; with the new name when a rename waits) or
// workgroup. Returns the message
// the caller shows when the join failed (kDomainJoinFailed or
// kWorkgroupJoinFailed), empty otherwise; nothing is raised.
std::wstring ChangeDomainOrWorkgroup(const DomainChoice& choice, DomainChangeContext& context);

}  // namespace kip
