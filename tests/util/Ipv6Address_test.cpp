// IPv6 address text: every written form parses to the one canonical form;
// whatever is not exactly one address (of the kind asked for) is refused.
#include <gtest/gtest.h>

#include "util/Ipv6Address.h"

namespace kip {
namespace {

enum Kind { Address, Prefixed, Host };

struct Case {
  Kind kind;
  const wchar_t* text;
  const wchar_t* canonical;  // nullptr: refused
};

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
  const Case cases[] = {
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
      // Embedded IPv4.
      {Address, L"::ffff:192.0.2.1", L"::ffff:192.0.2.1"},
      {Address, L"::ffff:c000:201", L"::ffff:192.0.2.1"},
      {Address, L"64:ff9b::192.0.2.33", L"64:ff9b::c000:221"},
      {Address, L"1:2:3:4:5:6:1.2.3.4", L"1:2:3:4:5:6:102:304"},
      {Address, L"::1.2.3.4", L"::102:304"},
      {Address, L"::ffff:1.2.3.256", nullptr},
      {Address, L"::ffff:1.2.3", nullptr},
      {Address, L"::ffff:01.2.3.4", nullptr},
      {Address, L"1.2.3.4::", nullptr},
      {Address, L"1:2:3:4:5:6:7:1.2.3.4", nullptr},
      {Address, L"1.2.3.4", nullptr},
      // Zone ids: only where they mean something, and only plain names.
      {Address, L"fe80::1%12", L"fe80::1%12"},
      {Address, L"FE80::A%eth0", L"fe80::a%eth0"},
      {Address, L"2001:db8::1%12", nullptr},
      {Address, L"fe80::1%", nullptr},
      {Address, L"fe80::1%a b", nullptr},
      {Address, L"fe80::1%1\" gateway=all", nullptr},
      // Malformed.
      {Address, L"", nullptr},
      {Address, L":", nullptr},
      {Address, L":::", nullptr},
      {Address, L"1::2::3", nullptr},
      {Address, L":1:2:3:4:5:6:7", nullptr},
      {Address, L"1:2:3:4:5:6:7:8:", nullptr},
      {Address, L"1:2:3:4:5:6:7:8:9", nullptr},
      {Address, L"1:2:3:4:5:6:7", nullptr},
      {Address, L"1:2:3:4:5:6:7:8::", nullptr},
      {Address, L"12345::", nullptr},
      {Address, L"g::1", nullptr},
      {Address, L"2001:db8::1 2001:db8::2", nullptr},
      {Address, L"2001:db8::1\r\nreset", nullptr},
      {Address, L"192.168.1.1", nullptr},
      // A card's own address with its prefix length.
      {Prefixed, L"2001:DB8:0:0::10/64", L"2001:db8::10/64"},
      {Prefixed, L"2001:db8::10", L"2001:db8::10/64"},
      {Prefixed, L"2001:db8::10/128", L"2001:db8::10/128"},
      {Prefixed, L"2001:db8::10/1", L"2001:db8::10/1"},
      {Prefixed, L"2001:db8::10/0", nullptr},
      {Prefixed, L"2001:db8::10/129", nullptr},
      {Prefixed, L"2001:db8::10/", nullptr},
      {Prefixed, L"2001:db8::10/+64", nullptr},
      {Prefixed, L"2001:db8::10 /64", nullptr},
      {Prefixed, L"2001:db8::10/64/64", nullptr},
      {Prefixed, L"fe80::1%12/64", nullptr},
      {Prefixed, L"::/64", nullptr},
      {Prefixed, L"ff02::1/64", nullptr},
      // Gateways and DNS servers.
      {Host, L"fe80::1%12", L"fe80::1%12"},
      {Host, L"2001:db8::53", L"2001:db8::53"},
      {Host, L"::", nullptr},
      {Host, L"ff02::2", nullptr},
      {Host, L"2001:db8::53/64", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "kind " << c.kind << ": \"" << std::wstring(c.text) << "\"");
    const auto result = Canonical(c.kind, c.text);
    if (c.canonical == nullptr) {
      EXPECT_FALSE(result.has_value()) << "accepted as " << *result;
    } else {
      ASSERT_TRUE(result.has_value());
      EXPECT_EQ(*result, c.canonical);
      // The canonical form reads back as itself.
      EXPECT_EQ(Canonical(c.kind, c.canonical), *result);
    }
  }
}

}  // namespace
}  // namespace kip
