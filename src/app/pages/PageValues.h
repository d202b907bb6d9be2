// The plain values each page of the main window shows and collects, and the
// pure moves between them and a setting's stored values. Nothing here knows
// a window: the setting editor maps a setting onto these and back.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "machine/FirewallPolicy.h"
#include "machine/InternetSettings.h"
#include "store/SettingRecord.h"
#include "store/BatchFiles.h"
#include "store/TcpipValueSet.h"
#include "util/Text.h"

namespace kip {

// The data rows of an address grid, column by column: the columns are
// equally long, with at least one (blank) row.
using AddressColumns = std::vector<StringList>;
// The lists as a grid shows them: padded with blank cells to the longest.
AddressColumns ShownColumns(std::vector<StringList> lists);
// A column as stored: blank cells left out, or given `placeholder`.
StringList NonBlank(const StringList& column);
StringList WithPlaceholders(const StringList& column, const std::wstring& placeholder);

struct IpPageValues {
  bool dhcp = false;
  AddressColumns addresses = ShownColumns({{}, {}});  // address, mask
  AddressColumns gateways = ShownColumns({{}, {}});   // gateway, metric
  bool operator==(const IpPageValues&) const = default;
};

// The card's values as the page shows them (a card on DHCP shows no
// addresses), and back.
IpPageValues IpShown(const TcpipValues& values);
void IpCollected(const IpPageValues& shown, TcpipValues& values);

struct DnsPageValues {
  // Automatic DNS is offered only with DHCP.
  bool dhcp = false;
  bool automatic = false;
  // The grid's rows; kept while automatic DNS is chosen.
  StringList servers = ShownColumns({{}}).at(0);
  std::wstring domain;
  bool registrationEnabled = true;
  bool registerAdapterName = false;
  // The machine's suffixes: the primary ones (and their parents when
  // devolution is on) or the list in order.
  bool primarySuffixes = true;
  bool useDomainNameDevolution = false;
  StringList searchList;
  bool operator==(const DnsPageValues&) const = default;
};

// The card's part of the values as the page shows it, and back.
void ShowCardPart(DnsPageValues& shown, const TcpipValues& values);
void CollectCardPart(const DnsPageValues& shown, TcpipValues& values);
// The machine's suffix search order; the primary suffixes for an empty list.
void ShowSearchOrder(DnsPageValues& shown, bool useDomainNameDevolution, const StringList& searchList);

struct DomainPageValues {
  std::wstring machineName;
  DomainValues domain;
  bool ipEnableRouter = false;
};

// Sets one of two radio choices as a click on it would: choosing one clears
// the other, clearing one leaves the other.
void ChooseRadio(bool& choice, bool& other, bool checked);

struct OtherPageValues {
  StringList winsServers;
  std::wstring hostsFile;
  // One of the listed printers, or none chosen.
  std::optional<std::wstring> printer;
  bool operator==(const OtherPageValues&) const = default;
};

struct FirewallSheetValues {
  bool useSwitch = false;
  // On or off; neither choice shows while nothing said which (the machine
  // had no "EnableFirewall" and no stored setting turned it on).
  std::optional<bool> firewallOn;
  bool doNotAllowExceptions = false;
  std::vector<FirewallRow> rows;
  bool operator==(const FirewallSheetValues&) const = default;
};

// The machine's proxy fields laid over the values (the switch and the home
// page stay).
void TakeOverFields(ProxyValues& values, const ProxyFields& fields);

}  // namespace kip
