// One stored setting as plain values: its machine-wide part in the setting
// key and one card part per card key. Reading keeps the store's guard
// groups: a group stops at its first failing value, and its fields from
// there on keep the defaults the reader was given.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "store/CardMatch.h"
#include "store/Ipv6Setting.h"
#include "store/TcpipValueSet.h"
#include "util/Text.h"

namespace kip {

struct ProxyValues {
  bool enable = false;            // "ProxyEnable"
  std::wstring server;            // "ProxyServer"
  std::wstring port;              // "ProxyPort"
  std::wstring startPage;         // "Start Page"
  bool bypassLocal = false;       // "ProxyLoacl"
  std::wstring bypassList;        // "ProxyOverride"
  bool detailed = false;          // "ProxyMore"
  std::wstring autoConfigUrl;     // "ProxyAutoConfigURL"
  bool operator==(const ProxyValues&) const = default;
};

struct DomainValues {
  bool change = false;            // "ChangeDomainWorkGroup"
  std::wstring domain;            // "Domain"
  bool joinDomain = false;        // "ChangeDomain"
  std::wstring workGroup;         // "WorkGroup"
  bool joinWorkGroup = false;     // "ChangeWorkGroup"
  bool operator==(const DomainValues&) const = default;
};

struct MachineWideValues {
  std::wstring hostsFile;                     // "Hosts File"
  ProxyValues proxy;
  std::optional<std::wstring> defaultPrinter; // "default Printer"; nullopt: not written
  DomainValues domain;
  std::wstring machineName;                   // "Machine Name"
  bool ipEnableRouter = false;                // "IPEnableRouter"
  bool useDomainNameDevolution = true;        // "UseDomainNameDevolution"
  StringList searchList;                      // "SearchList"; empty: primary and connection suffixes
  bool operator==(const MachineWideValues&) const = default;
};

class TkRegistry;

// The machine-wide part from the open setting key, group by group over
// `defaults` (StoredSetting.h tells each group's rule).
MachineWideValues ReadMachineWide(const TkRegistry& settingKey, MachineWideValues defaults);

// Writes the machine-wide part in its stored order, creating the key. False
// when the key cannot be created or a value cannot be written.
bool SaveMachineWide(std::wstring_view settingName, const MachineWideValues& values);

struct CardPart {
  TcpipValues tcpip;
  StringList winsServers;  // "NameServerList"; empty when missing or unreadable
  // What identified the card when the part was saved, so that the part can
  // follow the card to a new identifier; empty when unknown (stores written
  // before these values).
  std::wstring macAddress{};      // "MACAddress"
  std::wstring connectionName{};  // "ConnectionName"
  // The card's IPv6 choice; nullopt where the part comes from somewhere that
  // does not hold one (the live IPv4 values, a caller that does not edit
  // IPv6): a save then leaves the stored IPv6 values as they are.
  std::optional<Ipv6Setting> ipv6{};
  // Whether the key holds "MACAddress" at all (even empty): only a part saved
  // before identities were recorded may follow a card by its name.
  bool macRecorded = true;
};

// The part held by the open card key.
CardPart ReadCardPart(const TkRegistry& cardKey, DWORD osMajorVersion);

// Writes the card key (creating it): "Description", the TCP/IP values, the
// WINS servers, the MAC address, the connection name and, when the part holds
// one, the IPv6 choice. False when the key cannot be created or a value cannot
// be written.
bool SaveCardPart(std::wstring_view settingName, std::wstring_view cardId, const std::wstring& description,
                  const CardPart& part, DWORD osMajorVersion);

// "MACAddress" and "ConnectionName": values of a card key that describe the
// card it was saved for, not the setting.
bool IsCardIdentityValue(std::wstring_view valueName);

// True for a subkey of a setting that is a card key: every one but the
// firewall part and the switch rule.
bool IsCardKeyName(std::wstring_view subkeyName);

}  // namespace kip
