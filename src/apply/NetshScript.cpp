#include "apply/NetshScript.h"

#include <cstdint>

namespace kip {

namespace {

constexpr wchar_t kLineEnd[] = L"\r\n";

// Digits and dots only (empty included): what can stand where an address goes.
bool IsScriptAddressText(std::wstring_view text) {
  return text.find_first_not_of(L"0123456789.") == std::wstring_view::npos;
}

// An address entry as it goes into a line: trimmed, and blank when what is
// left is not an address's text (an inner blank would start a parameter).
std::wstring Entry(std::wstring_view raw) {
  std::wstring trimmed = Trim(raw);
  return IsScriptAddressText(trimmed) ? trimmed : std::wstring();
}

// An address used as read (the live address): empty when it is not one.
std::wstring AsRead(const std::wstring& value) { return IsScriptAddressText(value) ? value : std::wstring(); }

// A name or identifier that can stand between the double quotes of a line.
bool Quotable(const std::wstring& text, ScriptTextFits fits) {
  return !HoldsScriptBreakingCharacter(text) && fits(text);
}

// The lines of one card block.
class BlockWriter {
 public:
  BlockWriter(WindowsClass windows, const NetshCardInput& card, ScriptTextFits fits)
      : windows_(windows), card_(card), name_(NetshQuotedName(card, fits)) {}

  std::wstring Write() {
    WriteAddressRemoval();
    if (card_.dhcp) {
      WriteDhcpAddress();
    } else {
      WriteStaticAddresses();
    }
    WriteDns();
    WriteWins();
    return text_;
  }

 private:
  bool IsVersion6() const { return windows_ == WindowsClass::Version6; }
  bool IsWindows2000() const { return windows_ == WindowsClass::Windows2000; }

  void Line(const std::wstring& line) {
    text_ += line;
    text_ += kLineEnd;
  }

  // The gateway of an entry and its metric text.
  std::wstring GatewayAt(size_t i) const { return Entry(card_.gateways[i].gateway); }
  std::wstring MetricAt(size_t i) const { return NetshMetricText(card_.gateways[i].metric); }

  // Version 6 keeps a gateway as a persistent default route through it: the
  // route line removes an on-link default route of this card, "gateway=all"
  // every gateway of this card (persistently, netsh's default store); every
  // other card and route stays as it is.
  void WriteAddressRemoval() {
    const std::wstring current = AsRead(card_.currentAddress);
    if (IsVersion6()) {
      Line(L"delete route prefix=0.0.0.0/0 interface=" + name_);
      Line(L"delete address name=" + name_ + L" gateway=all");
    } else if (!current.empty()) {
      Line(L"delete address name=" + name_ + L" addr=" + current + L" gateway=all");
    } else {
      Line(L"delete address name=" + name_ + L" gateway=all");
    }
  }

  // A default route (version 6) or a gateway of the address (earlier).
  std::wstring GatewayLine(const wchar_t* verb, size_t i) const {
    if (IsVersion6()) {
      return std::wstring(verb) + L" route prefix=0.0.0.0/0 interface=" + name_ + L" nexthop=" + GatewayAt(i) +
             L" metric=" + MetricAt(i) + L" publish=はい";
    }
    return std::wstring(verb) + L" address name=" + name_ + L" gateway=" + GatewayAt(i) + L" gwmetric=" +
           MetricAt(i);
  }

  void WriteDhcpAddress() {
    Line(L"set address name=" + name_ + L" source=dhcp");
    if (!card_.gateways.empty() && !GatewayAt(0).empty()) Line(GatewayLine(L"set", 0));
    for (size_t i = 1; i < card_.gateways.size(); ++i) {
      if (!GatewayAt(i).empty()) Line(GatewayLine(L"add", i));
    }
  }

  // The first usable address row is the card's address, with the first
  // gateway as netsh's positional gateway; the others are added. With no
  // usable row there is no address to set: the card keeps the one it has,
  // and the first gateway is added like the others.
  void WriteStaticAddresses() {
    std::vector<NetshAddressEntry> rows;
    for (const NetshAddressEntry& row : card_.addresses) {
      if (NetshAddressRowUsable(row)) rows.push_back({Entry(row.address), Entry(row.mask)});
    }
    const bool firstGateway = !card_.gateways.empty() && !GatewayAt(0).empty();
    if (rows.empty()) {
      if (firstGateway) Line(AddGatewayLine(0));
    } else {
      std::wstring first = L"set address name=" + name_ + L" source=static addr=" + rows[0].address + L" " + rows[0].mask;
      if (firstGateway) first += L" " + GatewayAt(0) + L" " + MetricAt(0);
      Line(first);
    }
    for (size_t i = 1; i < rows.size(); ++i) {
      Line(L"add address name=" + name_ + L" " + rows[i].address + L" " + rows[i].mask);
    }
    // Further gateways are gateways of the address on every version.
    for (size_t i = 1; i < card_.gateways.size(); ++i) {
      if (!GatewayAt(i).empty()) Line(AddGatewayLine(i));
    }
  }

  std::wstring AddGatewayLine(size_t i) const {
    return L"add address name=" + name_ + L" gateway=" + GatewayAt(i) + L" gwmetric=" + MetricAt(i);
  }

  // " register=..." where the DNS lines take it: the XP class and version 6;
  // Windows 2000 keeps it in the interface's registry values instead.
  std::wstring RegistrationSuffix() const {
    if (windows_ != WindowsClass::XPClass && !IsVersion6()) return {};
    if (card_.registerAddresses && card_.registerSuffix) return L" register=BOTH";
    if (card_.registerAddresses) return L" register=PRIMARY";
    return L" register=NONE";
  }

  void WriteDns() {
    Line(L"delete dns name=" + name_ + L" all");
    if (card_.dnsAutomatic) {
      Line(L"set dns name=" + name_ + L" source=dhcp" + RegistrationSuffix());
      return;
    }
    const StringList& servers = card_.dnsServers;
    if (servers.empty() || Entry(servers[0]).empty()) return;  // the card keeps no DNS server
    WriteServerList(L"dns", servers, RegistrationSuffix());
  }

  void WriteWins() {
    Line(L"delete wins name=" + name_ + L" all");
    const StringList& servers = card_.winsServers;
    // An empty first entry means WINS from DHCP; one that is no address
    // (blanks, or text that is not one) means none, as a blank entry is
    // skipped everywhere else.
    const std::wstring first = servers.empty() ? std::wstring() : servers[0];
    if (first.empty()) {
      Line(L"set wins name=" + name_ + L" source=dhcp");
      return;
    }
    if (Entry(first).empty()) return;
    WriteServerList(L"wins", servers, {});
  }

  // Windows 2000 sets the first server and adds the others in order; later
  // versions set the last one and insert each earlier one at position 1,
  // which leaves the servers in list order.
  void WriteServerList(const wchar_t* kind, const StringList& servers, const std::wstring& suffix) {
    const std::wstring set = std::wstring(L"set ") + kind + L" name=" + name_ + L" source=static addr=";
    const std::wstring add = std::wstring(L"add ") + kind + L" name=" + name_ + L" addr=";
    if (IsWindows2000()) {
      Line(set + Entry(servers.front()));
      for (size_t i = 1; i < servers.size(); ++i) {
        if (!Entry(servers[i]).empty()) Line(add + Entry(servers[i]));
      }
      return;
    }
    // The last server is set (blank entries after it are skipped, as netsh
    // takes no empty address); the caller has made sure the first is one.
    size_t last = servers.size() - 1;
    while (last > 0 && Entry(servers[last]).empty()) --last;
    Line(set + Entry(servers[last]) + suffix);
    for (size_t i = last; i-- > 0;) {
      if (!Entry(servers[i]).empty()) Line(add + Entry(servers[i]) + L" index=1");
    }
  }

  WindowsClass windows_;
  const NetshCardInput& card_;
  std::wstring name_;
  std::wstring text_;
};

}  // namespace

WindowsClass ClassifyWindows(DWORD majorVersion, DWORD minorVersion) {
  if (majorVersion >= 6) return WindowsClass::Version6;
  if (majorVersion < 5) return WindowsClass::Older;
  return minorVersion == 0 ? WindowsClass::Windows2000 : WindowsClass::XPClass;
}

bool HoldsScriptBreakingCharacter(std::wstring_view text) {
  return text.find_first_of(std::wstring_view(L"\r\n\"\0", 4)) != std::wstring_view::npos;
}

std::wstring NetshMetricText(std::wstring_view metric) {
  const long long value = ToIntDef(metric, 1);
  if (value < INT32_MIN || value > INT32_MAX) return L"1";
  return std::to_wstring(value);
}

bool NetshAddressRowUsable(const NetshAddressEntry& row) {
  const std::wstring address = Entry(row.address), mask = Entry(row.mask);
  return !address.empty() && !mask.empty() && mask != L"0.0.0.0";
}

std::wstring NetshQuotedName(const NetshCardInput& card, ScriptTextFits fits) {
  const bool nameUsable = !card.connectionName.empty() && Quotable(card.connectionName, fits);
  return L"\"" + (nameUsable ? card.connectionName : card.cardId) + L"\"";
}

// Nothing here resets a context: "reset" in "interface ipv4" would return
// every card of the machine, and every persistent route, to its defaults.
std::wstring NetshScriptHeader(WindowsClass windows) {
  return std::wstring(windows == WindowsClass::Version6 ? L"pushd interface ipv4" : L"pushd interface ip") + kLineEnd;
}

std::wstring NetshCardBlock(WindowsClass windows, const NetshCardInput& card, ScriptTextFits fits) {
  if (!Quotable(card.cardId, fits)) return {};
  return BlockWriter(windows, card, fits).Write();
}

std::wstring NetshScriptFooter() { return std::wstring(L"popd") + kLineEnd; }

std::string NetshScriptBytes(std::wstring_view script) { return ToAnsiWithoutBestFit(script); }

}  // namespace kip
