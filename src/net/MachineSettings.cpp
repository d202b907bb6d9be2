#include "net/MachineSettings.h"

#include <windows.h>
#include <lm.h>

#include "store/kRegistry.h"
#include "util/Guard.h"

namespace kip {

namespace {

constexpr wchar_t kTcpipParametersKey[] = L"\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters";
constexpr wchar_t kInternetSettingsKey[] = L"\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
constexpr wchar_t kInternetExplorerMainKey[] = L"\\Software\\Microsoft\\Internet Explorer\\Main";
constexpr size_t kMaxPortLength = 5;

bool LowByteFlag(int value) { return (value & 0xFF) != 0; }

}  // namespace

std::optional<TcpipParameters> ReadTcpipParameters() {
  TkRegistry key(HKEY_LOCAL_MACHINE);
  if (!key.OpenKeyReadOnly(kTcpipParametersKey)) return std::nullopt;
  TcpipParameters parameters;
  RunGuarded([&] { parameters.hostsDirectory = key.ReadExpandedString(L"DataBasePath"); });
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

ProxyServerText SplitProxyServer(const std::wstring& proxy) {
  ProxyServerText text;
  if (proxy.find(L'=') != std::wstring::npos) {
    text.server = proxy;
    text.detailed = true;
    return text;
  }
  size_t colon = proxy.find(L':');
  if (colon == std::wstring::npos) {
    text.port = proxy;
  } else {
    text.server = proxy.substr(0, colon);
    text.port = proxy.substr(colon + 1);
  }
  if (text.port.size() > kMaxPortLength) {
    text.server.clear();
    text.port.clear();
  }
  return text;
}

std::optional<InternetSettings> ReadInternetSettings() {
  TkRegistry key(HKEY_CURRENT_USER);
  if (!key.OpenKeyReadOnly(kInternetSettingsKey)) return std::nullopt;
  InternetSettings settings;
  int enable = 0;
  RunGuarded([&] { enable = key.ReadInteger(L"ProxyEnable") & 0xFF; });
  settings.bypassLocal = enable != 0;
  std::wstring proxy;
  if (enable != 0) {
    RunGuarded([&] { proxy = key.ReadString(L"ProxyServer"); });
    RunGuarded([&] { settings.bypassList = key.ReadString(L"ProxyOverride"); });
  }
  RunGuarded([&] { settings.autoConfigUrl = key.ReadString(L"AutoConfigURL"); });
  settings.proxy = SplitProxyServer(proxy);
  return settings;
}

std::optional<std::wstring> ReadStartPage() {
  TkRegistry key(HKEY_CURRENT_USER);
  if (!key.OpenKeyReadOnly(kInternetExplorerMainKey)) return std::nullopt;
  std::wstring page;
  RunGuarded([&] { page = key.ReadString(L"Start Page"); });
  return page;
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
  if (key.OpenKeyReadOnly(kTcpipParametersKey)) RunGuarded([&] { name = key.ReadString(L"NV Hostname"); });
  return name;
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

}  // namespace kip
