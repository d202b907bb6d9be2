// Which stored part each present card takes: its own, or that of an absent
// card found by MAC address, then by connection name.
#include <gtest/gtest.h>

#include <ostream>

#include "store/CardMatch.h"

namespace kip {

void PrintTo(const CardPartMatch& match, std::ostream* os) {
  *os << "{found " << static_cast<int>(match.found) << ", stored " << match.storedIndex << "}";
}

namespace {

constexpr CardPartFound None = CardPartFound::None, Own = CardPartFound::Own, Mac = CardPartFound::SameMacAddress,
                        Name = CardPartFound::SameConnection;

TEST(CardMatch, EachPresentCardTakesItsOwnPartOrOneAbsentCardsPart) {
  const wchar_t* mac1 = L"00:0C:29:AB:CD:01";
  const wchar_t* mac2 = L"00:0C:29:AB:CD:02";
  const struct {
    const char* title;
    std::vector<CardIdentity> present, stored;
    std::vector<CardPartMatch> expected;
  } cases[] = {
      {"own parts, letter case ignored; an absent card's part is not needed",
       {{L"{A}", mac1, L"LAN"}, {L"{b}", mac2, L"LAN 2"}},
       {{L"{B}", L"", L""}, {L"{OLD}", mac1, L"LAN"}, {L"{a}", L"", L""}},
       {{Own, 2}, {Own, 0}}},
      {"a moved adapter: the same MAC address, however it is written",
       {{L"{NEW}", mac1, L"LAN 3"}},
       {{L"{OLD}", L"00-0c-29-ab-cd-01", L"LAN"}},
       {{Mac, 0}}},
      {"two new cards, one old part: the first takes it",
       {{L"{N1}", mac1, L"LAN"}, {L"{N2}", mac1, L"LAN"}},
       {{L"{OLD}", mac1, L"LAN"}},
       {{Mac, 0}, {None, -1}}},
      {"the MAC address wins over an earlier card's connection name",
       {{L"{N1}", L"", L"LAN"}, {L"{N2}", mac1, L"LAN 2"}},
       {{L"{OLD}", mac1, L"LAN"}},
       {{None, -1}, {Mac, 0}}},
      {"of two old parts with the MAC address, the one with the connection name too",
       {{L"{NEW}", mac1, L"LAN 2"}},
       {{L"{OLD1}", mac1, L"LAN"}, {L"{OLD2}", mac1, L"lan 2"}},
       {{Mac, 1}}},
      {"the same connection name but MAC addresses that differ: no match",
       {{L"{NEW}", mac2, L"LAN"}},
       {{L"{OLD}", mac1, L"LAN"}},
       {{None, -1}}},
      {"the connection name only for a part saved without a MAC address value",
       {{L"{N1}", mac1, L"LAN"}, {L"{N2}", L"00:00:00:00:00:00", L"VPN"}},
       {{L"{OLD1}", L"", L" LAN ", false}, {L"{OLD2}", L"", L"VPN", false}},
       {{Name, 0}, {Name, 1}}},
      // A part saved while its card was disabled recorded an empty MAC
      // address; whichever card later gets that connection name is another.
      {"a part saved with its MAC address unknown, or known, is not found by name",
       {{L"{N1}", mac1, L"LAN"}, {L"{N2}", L"00:00:00:00:00:00", L"VPN"}},
       {{L"{OLD1}", L"", L" LAN "}, {L"{OLD2}", mac2, L"VPN"}},
       {{None, -1}, {None, -1}}},
      {"old stores without the new values: nothing is taken, own parts still are",
       {{L"{NEW}", mac1, L"LAN"}, {L"{A}", mac2, L"LAN 2"}},
       {{L"{OLD}", L"", L""}, {L"{A}", L"", L""}},
       {{None, -1}, {Own, 1}}},
      {"a present card's part and a card without identifier are never matched",
       {{L"{A}", mac1, L"LAN"}, {L"", mac2, L"LAN 2"}, {L"{B}", mac2, L"LAN 2"}},
       {{L"{B}", mac1, L"LAN"}, {L"{OLD}", mac2, L"LAN 2"}},
       {{None, -1}, {None, -1}, {Own, 0}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    EXPECT_EQ(MatchCardParts(c.present, c.stored), c.expected);
  }
}

}  // namespace
}  // namespace kip
