// The netsh script that reconfigures every LAN card in one "netsh exec": a
// header, one block per card, "popd". Pure text work on plain values, so
// the script can be built (and shown) without committing anything.
//
// Values taken from the store or the machine never carry their own netsh
// lines into the script: an entry holding a line break, a NUL or a double
// quote is treated as blank, a connection name holding one gives way to the
// card identifier, and a card whose identifier holds one gets no block.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "util/Text.h"

namespace kip {

// The Windows versions the script distinguishes.
enum class WindowsClass {
  Older,        // below 5.0: the plain branches, no registration suffix
  Windows2000,  // 5.0
  XPClass,      // 5.1 and above within 5
  Version6,     // 6.0 and above
};

WindowsClass ClassifyWindows(DWORD majorVersion, DWORD minorVersion);

struct NetshAddressEntry {
  std::wstring address;
  std::wstring mask;
};

struct NetshGatewayEntry {
  std::wstring gateway;
  std::wstring metric;
};

// One card as the script needs it. List entries are used trimmed; the
// identifier, the connection name and the current address as given.
struct NetshCardInput {
  std::wstring cardId;          // "{GUID}"
  std::wstring connectionName;  // may be empty
  std::wstring currentAddress;  // the card's live address; may be empty
  bool dhcp = false;
  std::vector<NetshAddressEntry> addresses;
  std::vector<NetshGatewayEntry> gateways;
  bool dnsAutomatic = false;
  StringList dnsServers;
  bool registerAddresses = false;  // register this connection's addresses
  bool registerSuffix = false;     // use this connection's suffix in registration
  StringList winsServers;
};

// True when the text could end a netsh line or a quoted name early: it holds
// CR, LF, NUL or a double quote.
bool HoldsScriptBreakingCharacter(std::wstring_view text);

// A gateway metric as the script writes it: the trimmed text as a signed
// 32-bit decimal; "1" when empty or not such a number.
std::wstring NetshMetricText(std::wstring_view metric);

// The name a card's lines address it by: the connection name in double
// quotes, or the identifier when the name is empty or unusable.
std::wstring NetshQuotedName(const NetshCardInput& card);

// The pieces of the script, every line ending in CR LF.
std::wstring NetshScriptHeader(WindowsClass windows);
// Empty for a card whose identifier is unusable.
std::wstring NetshCardBlock(WindowsClass windows, const NetshCardInput& card);
std::wstring NetshScriptFooter();

// Header, one block per card in the given order, footer.
std::wstring BuildNetshScript(WindowsClass windows, const std::vector<NetshCardInput>& cards);

// The script as the bytes of the file netsh reads: the system's ANSI code
// page.
std::string NetshScriptBytes(std::wstring_view script);

}  // namespace kip
