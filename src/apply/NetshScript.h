// The netsh script that reconfigures every LAN card in one "netsh exec": a
// header, one block per card, "popd". Pure text work on plain values, so
// the script can be built (and shown) without committing anything. Every
// line names its card: the script changes the cards it has blocks for and
// nothing else of the machine.
//
// Values taken from the store or the machine never carry their own netsh
// lines or parameters into the script, which runs with administrator
// rights: an address entry (address, mask, gateway, DNS or WINS server, the
// live address) that holds anything but digits and dots after trimming is
// treated as blank; a metric goes in only as the number it reads as; a
// connection name that could end its quotes (a line break, a NUL, a double
// quote) or that the file's code page cannot carry unchanged gives way to
// the card identifier; and a card whose identifier fails the same test gets
// no block.
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

// Whether a text reaches the script file unchanged, decided by the caller
// for the code page the file is written in (FitsAnsiCodePage of util/Text
// for the real file). A name that does not would be written with
// substitutes, and a best-fit substitute can be a double quote.
using ScriptTextFits = bool (*)(std::wstring_view text);

// Whether an address row reaches the script: an address and a mask netsh
// takes (a blank or 0.0.0.0 mask is refused, and a blank one between
// positional values would make netsh read the gateway as the mask).
bool NetshAddressRowUsable(const NetshAddressEntry& row);

// A gateway metric as the script writes it: the trimmed text as a signed
// 32-bit decimal; "1" when empty or not such a number.
std::wstring NetshMetricText(std::wstring_view metric);

// The name a card's lines address it by: the connection name in double
// quotes, or the identifier when the name is empty or unusable.
std::wstring NetshQuotedName(const NetshCardInput& card, ScriptTextFits fits);

// The pieces of the script, every line ending in CR LF.
std::wstring NetshScriptHeader(WindowsClass windows);
// Empty for a card whose identifier is unusable.
std::wstring NetshCardBlock(WindowsClass windows, const NetshCardInput& card, ScriptTextFits fits);
std::wstring NetshScriptFooter();

// The script as the bytes of the file netsh reads: the system's ANSI code
// page, without best-fit substitutes (a character the code page lacks
// becomes its default character, never a look-alike such as '"').
std::string NetshScriptBytes(std::wstring_view script);

}  // namespace kip
