// Which stored card part a present card takes. A card part is stored under
// the card's identifier, and a card gets a new identifier when it is moved
// to another port or dock, replaced, or its driver reinstalled; its settings
// would then silently stop applying. So a present card that has no part of
// its own takes the part of a card that is no longer present and was the
// same hardware (same MAC address) or the same connection (same connection
// name). Plain values in, the matching out: the commit's plan and the
// window's load share it.
#pragma once

#include <string>
#include <vector>

namespace kip {

// What identifies a card beside its identifier. Empty texts are unknown.
struct CardIdentity {
  std::wstring cardId;
  std::wstring macAddress;      // "00:0C:29:AB:CD:EF"
  std::wstring connectionName;  // "ローカル エリア接続 2"
  // A stored part only: its key holds a "MACAddress" value, even an empty
  // one (the card was disabled when it was saved). Such a part is found by
  // its MAC address alone: its connection name may since have gone to
  // another card. The name serves only parts saved without that value.
  bool macRecorded = true;
};

enum class CardPartFound {
  None,            // no stored part: the card shows and commits its live values
  Own,             // the part stored under the card's own identifier
  SameMacAddress,  // an absent card's part, the same hardware
  SameConnection,  // an absent card's part, the same connection name
};

struct CardPartMatch {
  CardPartFound found = CardPartFound::None;
  int storedIndex = -1;  // into the stored parts; -1 with None

  // A part saved for another card, no longer present.
  bool Borrowed() const { return found == CardPartFound::SameMacAddress || found == CardPartFound::SameConnection; }
  bool operator==(const CardPartMatch&) const = default;
};

// One match per present card, in their order. A card takes its own part when
// the setting holds one (identifiers compared without regard to letter
// case). Otherwise it takes, among the parts of cards that are not present,
// one with its MAC address (preferring one with its connection name too),
// else one with its connection name, provided the part recorded no MAC
// address value and the two do not both report a MAC address that differs. No part goes to two cards; where two cards
// could take the same part, the first in the list does. A card without an
// identifier takes nothing.
std::vector<CardPartMatch> MatchCardParts(const std::vector<CardIdentity>& present,
                                          const std::vector<CardIdentity>& stored);

// The mark a card list puts after the label of a card that uses another
// card's part, and the label without it.
inline constexpr wchar_t kBorrowedPartMark[] = L" (以前のカードの設定)";
std::wstring MarkedCardLabel(const std::wstring& label, bool borrowed);
std::wstring UnmarkedCardLabel(const std::wstring& text);

// "以前のカード「LAN [Intel]」の設定を使っています.": which part a card uses.
std::wstring BorrowedPartText(const std::wstring& oldLabel);
bool IsBorrowedPartText(const std::wstring& text);
// "ローカル エリア接続 (以前のカード「LAN [Intel]」の設定)": the card in a preview.
std::wstring BorrowedPartTitle(const std::wstring& cardName, const std::wstring& oldLabel);

}  // namespace kip
