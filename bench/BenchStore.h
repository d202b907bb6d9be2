// What the benchmarks of the commit share: a registry of their own and a
// stored setting of many cards.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>

#include "store/SettingRecord.h"
#include "util/Text.h"

namespace kip::bench {

// Every registry access of the benchmark goes to a scratch key, so the
// prefix's own keys stay as they are.
class RegistryScratch {
 public:
  RegistryScratch() {
    RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\kIpBench\\HKLM", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                    &machine_, nullptr);
    RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\kIpBench\\HKCU", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &user_,
                    nullptr);
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, machine_);
    RegOverridePredefKey(HKEY_CURRENT_USER, user_);
  }
  ~RegistryScratch() {
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    RegCloseKey(machine_);
    RegCloseKey(user_);
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\kIpBench");
  }
  RegistryScratch(const RegistryScratch&) = delete;
  RegistryScratch& operator=(const RegistryScratch&) = delete;

 private:
  HKEY machine_ = nullptr;
  HKEY user_ = nullptr;
};

inline kip::StringList CardIds(int count) {
  kip::StringList ids;
  for (int i = 1; i <= count; ++i) {
    wchar_t id[64];
    std::swprintf(id, 64, L"{%08X-0000-0000-0000-4E6574446576}", i);
    ids.push_back(id);
  }
  return ids;
}

// The MAC address of the benchmark's card i.
inline std::wstring CardMac(size_t i) {
  wchar_t mac[32];
  std::swprintf(mac, 32, L"52:54:00:00:00:%02X", static_cast<unsigned>(i));
  return mac;
}

// A stored setting with a fixed part for every card (card i saved with
// CardMac(i)) and a proxy; with `ipv6`, every card also has fixed IPv6
// addresses, gateways and DNS servers.
inline void SeedSetting(const std::wstring& name, const kip::StringList& ids, bool ipv6 = false) {
  kip::CardPart part;
  part.tcpip.ipAddresses = {L"192.168.1.10", L"192.168.1.11"};
  part.tcpip.subnetMasks = {L"255.255.255.0", L"255.255.255.0"};
  part.tcpip.gateways = {L"192.168.1.1", L"192.168.1.254"};
  part.tcpip.gatewayMetrics = {L"1", L"20"};
  part.tcpip.nameServers = kip::StringList{L"192.168.1.2", L"192.168.1.3"};
  part.winsServers = {L"192.168.1.5"};
  if (ipv6) {
    part.ipv6 = kip::Ipv6Setting{kip::Ipv6Choice::Fixed,
                                 {L"2001:db8::10/64", L"2001:0db8:0000:0000:0000:0000:0000:0011/64"},
                                 {L"fe80::1%12", L"2001:db8::1"},
                                 {L"2001:db8::53", L"2001:db8::54", L"2001:4860:4860::8888"}};
  }
  for (size_t i = 0; i < ids.size(); ++i) {
    part.macAddress = CardMac(i);
    kip::SaveCardPart(name, ids[i], L"LAN", part, 6);
  }
  kip::MachineWideValues machineWide;
  machineWide.proxy.enable = true;
  machineWide.proxy.server = L"proxy.example";
  machineWide.proxy.port = L"8080";
  machineWide.searchList = {L"a.example", L"b.example"};
  kip::SaveMachineWide(name, machineWide);
}

}  // namespace kip::bench
