#include "machine/TcpipValues.h"

#include "util/kRegistry.h"

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
  return registry.TryReadStringList(L"NameServerList").value_or(StringList{});
}

}  // namespace kip
