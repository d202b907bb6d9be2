// One card's TCP/IP values as plain data, read from and written to a registry
// key holding Windows' own per-interface value names and types: the
// machine's interface key or a stored setting's card key.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "util/Text.h"

namespace kip {

class TkRegistry;

struct TcpipValues {
  bool enableDhcp = false;
  // Parallel lists, as stored (blank rows hold "0.0.0.0" in the store).
  StringList ipAddresses;
  StringList subnetMasks;
  StringList gateways;
  StringList gatewayMetrics;
  // Name servers; nullopt when the value could not be read (wrong type).
  // An empty list means automatic DNS when DHCP is on.
  std::optional<StringList> nameServers;
  // The suffix and registration block; when one of its values is missing the
  // whole block takes these defaults.
  std::wstring domain;
  bool registrationEnabled = true;
  bool registerAdapterName = false;
};

// Reads the values. Each list is read in its own guard (a bad value leaves
// that list empty); the addresses are not read when DHCP is on. Before
// version 5 the registration flags come from the inverted older values.
TcpipValues ReadTcpipValues(const TkRegistry& key, DWORD osMajorVersion);

// Writes the values, each group in its own guard.
void WriteTcpipValues(TkRegistry& key, const TcpipValues& values, DWORD osMajorVersion);

}  // namespace kip
