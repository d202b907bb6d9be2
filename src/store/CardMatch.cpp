#include "store/CardMatch.h"

#include <cwctype>
#include <functional>

#include "util/Text.h"

namespace kip {

namespace {

// The hexadecimal digits of a MAC address in upper case, so that "00-0c-29…"
// and "00:0C:29…" are one address. All zeros is what some virtual adapters
// report for none: unknown.
std::wstring MacKey(const std::wstring& text) {
  std::wstring digits;
  for (wchar_t c : text) {
    if (iswxdigit(c)) digits.push_back(static_cast<wchar_t>(towupper(c)));
  }
  return digits.find_first_not_of(L'0') == std::wstring::npos ? std::wstring() : digits;
}

struct Candidate {
  std::wstring mac, connection;
  bool macRecorded = true;
};

Candidate CandidateOf(const CardIdentity& card) {
  return {MacKey(card.macAddress), Trim(card.connectionName), card.macRecorded};
}

bool SameMac(const Candidate& a, const Candidate& b) { return !a.mac.empty() && a.mac == b.mac; }

// `b` is the stored part: one saved with a MAC address value is found by
// that value alone.
bool SameConnection(const Candidate& a, const Candidate& b) {
  return !b.macRecorded && !a.connection.empty() && EqualsNoCase(a.connection, b.connection);
}

// Two cards that both report a MAC address and differ in it are two pieces
// of hardware, whatever their connections are called.
bool MacsConflict(const Candidate& a, const Candidate& b) { return !a.mac.empty() && !b.mac.empty() && a.mac != b.mac; }

bool IsPresent(const std::vector<CardIdentity>& present, const std::wstring& cardId) {
  for (const CardIdentity& card : present) {
    if (!card.cardId.empty() && EqualsNoCase(card.cardId, cardId)) return true;
  }
  return false;
}

}  // namespace

std::vector<CardPartMatch> MatchCardParts(const std::vector<CardIdentity>& present,
                                          const std::vector<CardIdentity>& stored) {
  std::vector<CardPartMatch> matches(present.size());
  std::vector<bool> free(stored.size());
  for (size_t s = 0; s < stored.size(); ++s) free[s] = !stored[s].cardId.empty() && !IsPresent(present, stored[s].cardId);

  for (size_t p = 0; p < present.size(); ++p) {
    if (present[p].cardId.empty()) continue;
    for (size_t s = 0; s < stored.size(); ++s) {
      if (EqualsNoCase(present[p].cardId, stored[s].cardId)) {
        matches[p] = {CardPartFound::Own, static_cast<int>(s)};
        break;
      }
    }
  }

  std::vector<Candidate> presentKeys, storedKeys;
  for (const CardIdentity& card : present) presentKeys.push_back(CandidateOf(card));
  for (const CardIdentity& card : stored) storedKeys.push_back(CandidateOf(card));

  // Each rule in turn over every card still without a part, so that a
  // weaker match of an earlier card never takes the part a later card
  // matches better.
  using Rule = std::function<bool(const Candidate&, const Candidate&)>;
  const std::pair<CardPartFound, Rule> rules[] = {
      {CardPartFound::SameMacAddress,
       [](const Candidate& a, const Candidate& b) {
         return SameMac(a, b) && !a.connection.empty() && EqualsNoCase(a.connection, b.connection);
       }},
      {CardPartFound::SameMacAddress, SameMac},
      {CardPartFound::SameConnection,
       [](const Candidate& a, const Candidate& b) { return SameConnection(a, b) && !MacsConflict(a, b); }},
  };
  for (const auto& [found, rule] : rules) {
    for (size_t p = 0; p < present.size(); ++p) {
      if (present[p].cardId.empty() || matches[p].found != CardPartFound::None) continue;
      for (size_t s = 0; s < stored.size(); ++s) {
        if (!free[s] || !rule(presentKeys[p], storedKeys[s])) continue;
        matches[p] = {found, static_cast<int>(s)};
        free[s] = false;
        break;
      }
    }
  }
  return matches;
}

std::wstring MarkedCardLabel(const std::wstring& label, bool borrowed) {
  return borrowed ? label + kBorrowedPartMark : label;
}

std::wstring UnmarkedCardLabel(const std::wstring& text) {
  const std::wstring_view mark = kBorrowedPartMark;
  if (text.size() >= mark.size() && text.compare(text.size() - mark.size(), mark.size(), mark) == 0) {
    return text.substr(0, text.size() - mark.size());
  }
  return text;
}

namespace {
constexpr wchar_t kOldCardOpen[] = L"以前のカード「";
constexpr wchar_t kBorrowedTextEnd[] = L"」の設定を使っています. 保存するとこのカードの設定になります.";
}  // namespace

std::wstring BorrowedPartText(const std::wstring& oldLabel) { return kOldCardOpen + oldLabel + kBorrowedTextEnd; }

bool IsBorrowedPartText(const std::wstring& text) {
  const std::wstring_view open = kOldCardOpen, end = kBorrowedTextEnd;
  return text.size() >= open.size() + end.size() && text.compare(0, open.size(), open) == 0 &&
         text.compare(text.size() - end.size(), end.size(), end) == 0;
}

std::wstring BorrowedPartTitle(const std::wstring& cardName, const std::wstring& oldLabel) {
  return cardName + L" (" + kOldCardOpen + oldLabel + L"」の設定)";
}

}  // namespace kip
