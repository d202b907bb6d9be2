#include "net/TcpipValues.h"

#include "store/kRegistry.h"
#include "util/Guard.h"

namespace kip {

namespace {

constexpr wchar_t kTcpipInterfacesKey[] = L"\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\InterFaces\\";
constexpr wchar_t kNetBTInterfacesKey[] =
    L"\\SYSTEM\\CurrentControlSet\\Services\\NetBT\\Parameters\\Interfaces\\Tcpip_";

}  // namespace

std::wstring TcpipInterfaceKey(const std::wstring& cardId) { return kTcpipInterfacesKey + cardId; }

std::optional<TcpipValues> ReadLiveTcpipValues(const std::wstring& cardId, DWORD osMajorVersion) {
  TkRegistry registry(HKEY_LOCAL_MACHINE);
  if (!registry.OpenKeyReadOnly(TcpipInterfaceKey(cardId))) return std::nullopt;
  return ReadTcpipValues(registry, osMajorVersion);
}

std::optional<StringList> ReadLiveWinsServers(const std::wstring& cardId) {
  TkRegistry registry(HKEY_LOCAL_MACHINE);
  if (!registry.OpenKeyReadOnly(kNetBTInterfacesKey + cardId)) return std::nullopt;
  StringList servers;
  if (!RunGuarded([&] { registry.ReadStringList(L"NameServerList", servers); })) servers.clear();
  return servers;
}

void WriteLiveDomainValues(const std::wstring& cardId, const std::wstring& domain, bool registrationEnabled,
                           bool registerAdapterName, DWORD osMajorVersion, DWORD osMinorVersion) {
  TkRegistry registry(HKEY_LOCAL_MACHINE);
  if (!registry.OpenKey(TcpipInterfaceKey(cardId), false)) return;
  RunGuarded([&] {
    registry.WriteString(L"Domain", domain);
    if (osMajorVersion == 5 && osMinorVersion == 0) {
      registry.WriteInteger(L"DisableDynamicUpdate", registrationEnabled ? 0 : 1);
      registry.WriteInteger(L"EnableAdapterDomainNameRegistration", registerAdapterName ? 1 : 0);
    }
  });
}

}  // namespace kip
