// IPv6 address text: every written form parses to the one canonical form;
// whatever is not exactly one address (of the kind asked for) is refused.
#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "util/Ipv6Address.h"

namespace kip {
namespace {

enum Kind { Address, Prefixed, Host };

std::optional<std::wstring> Canonical(Kind kind, const wchar_t* text) {
  switch (kind) {
    case Address:
      if (auto a = ParseIpv6Address(text)) return FormatIpv6Address(*a);
      break;
    case Prefixed:
      if (auto p = ParseIpv6Prefixed(text)) return FormatIpv6Prefixed(*p);
      break;
    case Host:
      if (auto h = ParseIpv6Host(text)) return FormatIpv6Address(*h);
      break;
  }
  return std::nullopt;
}

TEST(Ipv6Address, ParsesEveryFormAndRefusesTheRest) {
  const struct {
    Kind kind;
    const wchar_t* text;
    const wchar_t* canonical;
  } accepted[] = {
      // Full, compressed and mixed-case forms of one address.
      {Address, L"2001:0db8:0000:0000:0000:0000:0000:0001", L"2001:db8::1"},
      {Address, L"2001:DB8::1", L"2001:db8::1"},
      {Address, L"  2001:db8:0:0:0:0:0:1 ", L"2001:db8::1"},
      {Address, L"::", L"::"},
      {Address, L"::1", L"::1"},
      {Address, L"1::", L"1::"},
      {Address, L"1:2:3:4:5:6:7::", L"1:2:3:4:5:6:7:0"},     // "::" for a single group
      {Address, L"1:0:0:2:0:0:0:3", L"1:0:0:2::3"},          // the longer run is compressed
      {Address, L"1:0:0:2:0:0:3:4", L"1::2:0:0:3:4"},        // of equal runs, the first
      {Address, L"1:2:3:4:5:6:0:8", L"1:2:3:4:5:6:0:8"},     // a single zero group stays
      // Embedded IPv4: kept dotted only where it is a mapped IPv4 address.
      {Address, L"::ffff:192.0.2.1", L"::ffff:192.0.2.1"},
      {Address, L"::ffff:c000:201", L"::ffff:192.0.2.1"},
      {Address, L"64:ff9b::192.0.2.33", L"64:ff9b::c000:221"},
      {Address, L"1:2:3:4:5:6:1.2.3.4", L"1:2:3:4:5:6:102:304"},
      {Address, L"::1.2.3.4", L"::102:304"},
      // Zone ids where they mean something.
      {Address, L"fe80::1%12", L"fe80::1%12"},
      {Address, L"FE80::A%eth0", L"fe80::a%eth0"},
      // A card's own address with its prefix length (64 when none is given).
      {Prefixed, L"2001:DB8:0:0::10/64", L"2001:db8::10/64"},
      {Prefixed, L"2001:db8::10", L"2001:db8::10/64"},
      {Prefixed, L"2001:db8::10/128", L"2001:db8::10/128"},
      {Prefixed, L"2001:db8::10/1", L"2001:db8::10/1"},
      // Gateways and DNS servers.
      {Host, L"fe80::1%12", L"fe80::1%12"},
      {Host, L"2001:db8::53", L"2001:db8::53"},
  };
  for (const auto& c : accepted) {
    SCOPED_TRACE(testing::Message() << "kind " << c.kind << ": \"" << std::wstring(c.text) << "\"");
    EXPECT_EQ(Canonical(c.kind, c.text), c.canonical);
    // The canonical form reads back as itself.
    EXPECT_EQ(Canonical(c.kind, c.canonical), c.canonical);
  }

  const struct {
    Kind kind;
    std::vector<const wchar_t*> texts;
  } refused[] = {
      // Bad embedded IPv4; zone ids on global addresses, empty or not plain
      // names; malformed; more than one address; IPv4.
      {Address, {L"::ffff:1.2.3.256", L"::ffff:1.2.3", L"::ffff:01.2.3.4", L"1.2.3.4::", L"1:2:3:4:5:6:7:1.2.3.4",
                 L"2001:db8::1%12", L"fe80::1%", L"fe80::1%a b", L"fe80::1%1\" gateway=all",
                 L"", L":", L":::", L"1::2::3", L":1:2:3:4:5:6:7", L"1:2:3:4:5:6:7:8:", L"1:2:3:4:5:6:7:8:9",
                 L"1:2:3:4:5:6:7", L"1:2:3:4:5:6:7:8::", L"12345::", L"g::1", L"2001:db8::1 2001:db8::2",
                 L"2001:db8::1\r\nreset", L"1.2.3.4", L"192.168.1.1"}},
      {Prefixed, {L"2001:db8::10/0", L"2001:db8::10/129", L"2001:db8::10/", L"2001:db8::10/+64", L"2001:db8::10 /64",
                  L"2001:db8::10/64/64", L"fe80::1%12/64", L"::/64", L"ff02::1/64"}},
      {Host, {L"::", L"ff02::2", L"2001:db8::53/64"}},
  };
  for (const auto& c : refused) {
    for (const wchar_t* text : c.texts) {
      EXPECT_EQ(Canonical(c.kind, text), std::nullopt) << "kind " << c.kind << ": \"" << std::wstring(text) << "\"";
    }
  }
}

}  // namespace
}  // namespace kip
