#include "apply/DomainJoiner.h"

#include "util/Process.h"
#include "util/Text.h"
#include "util/UniqueHandle.h"

namespace kip {

namespace {

constexpr size_t kNetapiNameBuffer = 256;
constexpr int kDomainAttempts = 3;

class NetapiDomainJoiner final : public DomainJoiner {
 public:
  NetapiDomainJoiner() : module_(LoadLibraryW(L"netapi32.dll")) {
    if (!module_) return;
    join_ = reinterpret_cast<JoinFunction>(reinterpret_cast<void*>(GetProcAddress(module_.get(), "NetJoinDomain")));
    unjoin_ = reinterpret_cast<UnjoinFunction>(
        reinterpret_cast<void*>(GetProcAddress(module_.get(), "NetUnjoinDomain")));
  }

  JoinFacts Facts() override { return ReadJoinFacts(); }

  bool Unjoin() override { return unjoin_ != nullptr && unjoin_(nullptr, nullptr, nullptr, 0) == 0; }

  bool Join(const std::wstring& name, const std::wstring& account, const std::wstring& password,
            DWORD options) override {
    if (join_ == nullptr) return false;
    const std::wstring domain = NetapiName(name);
    const std::wstring user = NetapiName(account);
    const std::wstring secret = NetapiName(password);
    const bool withAccount = !account.empty();
    return join_(nullptr, domain.c_str(), nullptr, withAccount ? user.c_str() : nullptr,
                 withAccount ? secret.c_str() : nullptr, options) == 0;
  }

 private:
  using JoinFunction = DWORD(WINAPI*)(LPCWSTR server, LPCWSTR domain, LPCWSTR accountOU, LPCWSTR account,
                                      LPCWSTR password, DWORD options);
  using UnjoinFunction = DWORD(WINAPI*)(LPCWSTR server, LPCWSTR account, LPCWSTR password, DWORD options);
  UniqueHModule module_;  // keeps the two functions loaded
  JoinFunction join_ = nullptr;
  UnjoinFunction unjoin_ = nullptr;
};

std::wstring JoinDomain(const DomainChoice& choice, const JoinFacts& machine, DomainChangeContext& context) {
  std::wstring user, password;
  const DWORD options = kDomainJoinOptions | (machine.renamePending ? kJoinWithNewName : 0);
  context.joinCancelled = false;
  bool joined = false;
  int attempts = 0;
  while (!joined && attempts < kDomainAttempts && !context.joinCancelled) {
    const std::wstring account = Trim(user);
    joined = account.empty() ? context.joiner.Join(Trim(choice.domain), L"", L"", options)
                             : context.joiner.Join(Trim(choice.domain), account, Trim(password), options);
    ++attempts;
    if (context.wait) context.wait(1.0);
    // A window closed during the pause has cancelled the join: no dialog.
    if (!joined && attempts < kDomainAttempts && !context.joinCancelled) {
      if (context.login.AskAccount(user, password) == AccountPrompt::Result::Cancel) context.joinCancelled = true;
    }
  }
  return joined ? std::wstring() : kDomainJoinFailed;
}

std::wstring JoinWorkgroup(const DomainChoice& choice, DomainChangeContext& context) {
  return context.joiner.Join(Trim(choice.workgroup), L"", L"", 0) ? std::wstring() : kWorkgroupJoinFailed;
}

// The domain is named by its DNS or its NetBIOS name; Windows reports the
// membership by the NetBIOS name and the primary DNS domain separately.
bool AlreadyMemberOf(const std::wstring& domain, const JoinFacts& machine) {
  if (machine.membership.domain.empty() || domain.empty()) return false;
  return EqualsNoCase(domain, machine.membership.domain) || EqualsNoCase(domain, machine.dnsDomain);
}

}  // namespace

std::unique_ptr<DomainJoiner> CreateNetapiDomainJoiner() { return std::make_unique<NetapiDomainJoiner>(); }

std::wstring NetapiName(const std::wstring& text) {
  return text.size() < kNetapiNameBuffer ? text : std::wstring();
}

std::wstring ChangeDomainOrWorkgroup(const DomainChoice& choice, DomainChangeContext& context) {
  if (!choice.changeDomain) return {};
  // Leaving first would strand a member of the very domain it is to join:
  // the join needs the network and an account the leave just gave up.
  const JoinFacts machine = context.joiner.Facts();
  if (choice.domainSelected && AlreadyMemberOf(Trim(choice.domain), machine)) return {};
  // Its result does not matter: a machine in no domain cannot leave one.
  if (machine.membership.workGroup.empty()) context.joiner.Unjoin();
  return choice.domainSelected ? JoinDomain(choice, machine, context) : JoinWorkgroup(choice, context);
}

}  // namespace kip
