#include "store/TcpipValueSet.h"

#include "util/kRegistry.h"
#include "util/Guard.h"

namespace kip {

TcpipValues ReadTcpipValues(const TkRegistry& key, DWORD osMajorVersion) {
  TcpipValues values;
  if (std::optional<int> dhcp = key.TryReadInteger(L"EnableDHCP")) values.enableDhcp = LowByteFlag(*dhcp);
  // A list that is no multi-string reads as empty.
  if (!values.enableDhcp) {
    values.ipAddresses = key.TryReadStringList(L"IPAddress").value_or(StringList{});
    values.subnetMasks = key.TryReadStringList(L"SubnetMask").value_or(StringList{});
  }
  values.gateways = key.TryReadStringList(L"DefaultGateway").value_or(StringList{});
  values.gatewayMetrics = key.TryReadStringList(L"DefaultGatewayMetric").value_or(StringList{});
  if (std::optional<std::wstring> servers = key.TryReadString(L"NameServer")) {
    values.nameServers = SplitCommaText(*servers);
  }

  bool blockRead = RunGuarded([&] {
    values.domain = key.ReadString(L"Domain");
    if (osMajorVersion >= 5) {
      values.registrationEnabled = LowByteFlag(key.ReadInteger(L"RegistrationEnabled"));
      values.registerAdapterName = LowByteFlag(key.ReadInteger(L"RegisterAdapterName"));
    } else {
      values.registrationEnabled = !LowByteFlag(key.ReadInteger(L"DisableDynamicUpdate"));
      values.registerAdapterName = LowByteFlag(key.ReadInteger(L"EnableAdapterDomainNameRegistration"));
    }
  });
  if (!blockRead) {
    values.domain.clear();
    values.registrationEnabled = true;
    values.registerAdapterName = false;
  }
  return values;
}

void WriteTcpipValues(TkRegistry& key, const TcpipValues& values, DWORD osMajorVersion) {
  RunGuarded([&] { key.WriteInteger(L"EnableDHCP", values.enableDhcp ? 1 : 0); });
  RunGuarded([&] {
    key.WriteStringList(L"IPAddress", values.ipAddresses);
    key.WriteStringList(L"SubnetMask", values.subnetMasks);
  });
  RunGuarded([&] {
    key.WriteStringList(L"DefaultGateway", values.gateways);
    key.WriteStringList(L"DefaultGatewayMetric", values.gatewayMetrics);
  });
  RunGuarded([&] { key.WriteString(L"NameServer", JoinCommaText(values.nameServers.value_or(StringList{}))); });
  RunGuarded([&] {
    key.WriteString(L"Domain", values.domain);
    if (osMajorVersion >= 5) {
      key.WriteInteger(L"RegistrationEnabled", values.registrationEnabled ? 1 : 0);
      key.WriteInteger(L"RegisterAdapterName", values.registerAdapterName ? 1 : 0);
    } else {
      key.WriteInteger(L"DisableDynamicUpdate", values.registrationEnabled ? 0 : 1);
      key.WriteInteger(L"EnableAdapterDomainNameRegistration", values.registerAdapterName ? 1 : 0);
    }
  });
}

}  // namespace kip
