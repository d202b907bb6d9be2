#include "machine/SessionAccounts.h"

#include <windows.h>
#include <wtsapi32.h>

#include <vector>

#include "util/Text.h"
#include "util/UniqueHandle.h"

namespace kip {

namespace {

std::wstring Qualified(const std::wstring& domain, const std::wstring& name) {
  if (name.empty()) return {};
  return domain.empty() ? name : domain + L"\\" + name;
}

std::wstring SessionText(DWORD session, WTS_INFO_CLASS what) {
  wchar_t* buffer = nullptr;
  DWORD bytes = 0;
  std::wstring text;
  // Only as many characters as the answer has: Wine answers some classes
  // with a buffer it never filled.
  if (WTSQuerySessionInformationW(WTS_CURRENT_SERVER_HANDLE, session, what, &buffer, &bytes) && buffer) {
    text.assign(buffer, wcsnlen(buffer, bytes / sizeof(wchar_t)));
  }
  if (buffer) WTSFreeMemory(buffer);
  return text;
}

std::wstring SessionUser(DWORD session) {
  return Qualified(SessionText(session, WTSDomainName), SessionText(session, WTSUserName));
}

class WindowsAccounts final : public SessionAccounts {
 public:
  std::wstring ProcessAccount() override {
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) return {};
    UniqueKernelHandle token(raw);
    DWORD bytes = 0;
    GetTokenInformation(token.get(), TokenUser, nullptr, 0, &bytes);
    if (bytes == 0) return {};
    std::vector<BYTE> buffer(bytes);
    if (!GetTokenInformation(token.get(), TokenUser, buffer.data(), bytes, &bytes)) return {};
    PSID sid = reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid;
    wchar_t name[256], domain[256];
    DWORD nameLength = 256, domainLength = 256;
    SID_NAME_USE use;
    if (LookupAccountSidW(nullptr, sid, name, &nameLength, domain, &domainLength, &use)) return Qualified(domain, name);
    // The name alone, where the account cannot be looked up.
    nameLength = 256;
    return GetUserNameW(name, &nameLength) ? std::wstring(name) : std::wstring();
  }

  std::wstring InteractiveAccount() override {
    DWORD session = 0;
    if (ProcessIdToSessionId(GetCurrentProcessId(), &session)) {
      if (std::wstring user = SessionUser(session); !user.empty()) return user;
    }
    const DWORD console = WTSGetActiveConsoleSessionId();
    return console == 0xFFFFFFFF ? std::wstring() : SessionUser(console);
  }
};

std::pair<std::wstring, std::wstring> Split(const std::wstring& account) {
  const size_t slash = account.find(L'\\');
  if (slash == std::wstring::npos) return {L"", account};
  return {account.substr(0, slash), account.substr(slash + 1)};
}

}  // namespace

SessionAccounts& WindowsSessionAccounts() {
  static WindowsAccounts accounts;
  return accounts;
}

bool IsAnotherAccount(const std::wstring& processAccount, const std::wstring& interactiveAccount) {
  if (processAccount.empty()) return false;  // unknown: nothing to say
  if (interactiveAccount.empty()) return true;
  const auto [processDomain, processName] = Split(processAccount);
  const auto [userDomain, userName] = Split(interactiveAccount);
  if (!EqualsNoCase(processName, userName)) return true;
  return !processDomain.empty() && !userDomain.empty() && !EqualsNoCase(processDomain, userDomain);
}

}  // namespace kip
