#include "machine/MachineSettings.h"

#include <windows.h>
#include <lm.h>

#include "machine/MachineKeys.h"
#include "util/kRegistry.h"
#include "util/Guard.h"

namespace kip {

std::optional<TcpipParameters> ReadTcpipParameters() {
  TkRegistry key(HKEY_LOCAL_MACHINE);
  if (!key.OpenKeyReadOnly(kTcpipParametersKey)) return std::nullopt;
  TcpipParameters parameters;
  parameters.hostsDirectory = key.TryReadExpandedString(L"DataBasePath").value_or(L"");
  bool blockRead = RunGuarded([&] {
    parameters.ipEnableRouter = LowByteFlag(key.ReadInteger(L"IPEnableRouter"));
    parameters.useDomainNameDevolution = LowByteFlag(key.ReadInteger(L"UseDomainNameDevolution"));
    parameters.searchList = SplitCommaText(key.ReadString(L"SearchList"));
  });
  if (!blockRead) {
    parameters.ipEnableRouter = false;
    parameters.useDomainNameDevolution = true;
    parameters.searchList.clear();
  }
  return parameters;
}

std::optional<std::wstring> ReadStartPage() {
  TkRegistry key(HKEY_CURRENT_USER);
  if (!key.OpenKeyReadOnly(kInternetExplorerMainKey)) return std::nullopt;
  return key.TryReadString(L"Start Page").value_or(L"");
}

std::wstring ReadHostName() {
  // Sixteen characters: a NetBIOS name of fifteen and its terminator; a
  // longer name makes the call fail and the stored name is used.
  wchar_t buffer[16] = {};
  DWORD size = 16;
  std::wstring name;
  if (GetComputerNameW(buffer, &size)) name = Trim(buffer);
  if (!name.empty()) return name;
  TkRegistry key(HKEY_LOCAL_MACHINE);
  if (!key.OpenKeyReadOnly(kTcpipParametersKey)) return name;
  return key.TryReadString(L"NV Hostname").value_or(L"");
}

DomainMembership ReadDomainMembership() {
  DomainMembership membership;
  LPWSTR name = nullptr;
  NETSETUP_JOIN_STATUS status = NetSetupUnknownStatus;
  if (NetGetJoinInformation(nullptr, &name, &status) != NERR_Success) return membership;
  std::wstring text = name ? name : L"";
  if (name) NetApiBufferFree(name);
  if (status == NetSetupDomainName) membership.domain = text;
  if (status == NetSetupWorkgroupName) membership.workGroup = text;
  return membership;
}

namespace {

std::wstring ReadNameValue(const wchar_t* key, const wchar_t* value) {
  TkRegistry registry(HKEY_LOCAL_MACHINE);
  if (!registry.OpenKeyReadOnly(key)) return {};
  return Trim(registry.TryReadString(value).value_or(L""));
}

bool DiffersWhenBothKnown(const std::wstring& next, const std::wstring& active) {
  return !next.empty() && !active.empty() && !EqualsNoCase(next, active);
}

}  // namespace

JoinFacts ReadJoinFacts() {
  JoinFacts facts;
  facts.membership = ReadDomainMembership();
  wchar_t buffer[256] = {};
  DWORD size = 256;
  if (GetComputerNameExW(ComputerNameDnsDomain, buffer, &size)) facts.dnsDomain = Trim(buffer);
  facts.renamePending =
      DiffersWhenBothKnown(ReadNameValue(kComputerNameKey, L"ComputerName"),
                           ReadNameValue(kActiveComputerNameKey, L"ComputerName")) ||
      DiffersWhenBothKnown(ReadNameValue(kTcpipParametersKey, L"NV Hostname"),
                           ReadNameValue(kTcpipParametersKey, L"Hostname"));
  return facts;
}

}  // namespace kip
