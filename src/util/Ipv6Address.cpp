#include "util/Ipv6Address.h"

#include <vector>

#include "util/Text.h"

namespace kip {

namespace {

constexpr size_t kMaxZoneLength = 32;

int HexValue(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return -1;
}

// A dotted quad of four decimal parts 0..255 without leading zeros.
std::optional<std::array<std::uint8_t, 4>> ParseDottedQuad(std::wstring_view text) {
  std::array<std::uint8_t, 4> bytes{};
  size_t part = 0, i = 0;
  while (part < 4) {
    size_t start = i;
    int value = 0;
    while (i < text.size() && text[i] >= L'0' && text[i] <= L'9' && i - start < 3) value = value * 10 + (text[i++] - L'0');
    const size_t digits = i - start;
    if (digits == 0 || value > 255 || (digits > 1 && text[start] == L'0')) return std::nullopt;
    bytes[part++] = static_cast<std::uint8_t>(value);
    if (part < 4) {
      if (i >= text.size() || text[i] != L'.') return std::nullopt;
      ++i;
    }
  }
  if (i != text.size()) return std::nullopt;
  return bytes;
}

// The 16-bit groups of one side of "::" (the text holds no "::"); a dotted
// tail is allowed only where `allowTail` says, and counts as two groups.
std::optional<std::vector<std::uint16_t>> ParseGroups(std::wstring_view text, bool allowTail) {
  std::vector<std::uint16_t> groups;
  if (text.empty()) return groups;
  size_t start = 0;
  while (true) {
    const size_t colon = text.find(L':', start);
    const std::wstring_view group = text.substr(start, colon == std::wstring_view::npos ? std::wstring_view::npos : colon - start);
    if (colon == std::wstring_view::npos && allowTail && group.find(L'.') != std::wstring_view::npos) {
      auto quad = ParseDottedQuad(group);
      if (!quad) return std::nullopt;
      groups.push_back(static_cast<std::uint16_t>(((*quad)[0] << 8) | (*quad)[1]));
      groups.push_back(static_cast<std::uint16_t>(((*quad)[2] << 8) | (*quad)[3]));
      return groups;
    }
    if (group.empty() || group.size() > 4) return std::nullopt;
    unsigned value = 0;
    for (wchar_t c : group) {
      const int digit = HexValue(c);
      if (digit < 0) return std::nullopt;
      value = value * 16 + static_cast<unsigned>(digit);
    }
    groups.push_back(static_cast<std::uint16_t>(value));
    if (colon == std::wstring_view::npos) return groups;
    start = colon + 1;
  }
}

bool IsZoneText(std::wstring_view zone) {
  if (zone.empty() || zone.size() > kMaxZoneLength) return false;
  for (wchar_t c : zone) {
    const bool ok = (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || c == L'.' ||
                    c == L'_' || c == L'-';
    if (!ok) return false;
  }
  return true;
}

std::wstring HexGroup(std::uint16_t group) {
  static constexpr wchar_t kHex[] = L"0123456789abcdef";
  std::wstring text;
  bool started = false;
  for (int shift = 12; shift >= 0; shift -= 4) {
    const int digit = (group >> shift) & 0xF;
    if (digit != 0 || started || shift == 0) {
      text += kHex[digit];
      started = true;
    }
  }
  return text;
}

}  // namespace

bool Ipv6Address::IsUnspecified() const {
  for (std::uint8_t b : bytes) {
    if (b != 0) return false;
  }
  return true;
}

bool Ipv6Address::IsMulticast() const { return bytes[0] == 0xFF; }
bool Ipv6Address::IsLinkLocal() const { return bytes[0] == 0xFE && (bytes[1] & 0xC0) == 0x80; }

std::optional<Ipv6Address> ParseIpv6Address(std::wstring_view raw) {
  const std::wstring trimmed = Trim(raw);
  std::wstring_view text = trimmed;
  Ipv6Address address;
  if (const size_t percent = text.find(L'%'); percent != std::wstring_view::npos) {
    if (!IsZoneText(text.substr(percent + 1))) return std::nullopt;
    address.zone = std::wstring(text.substr(percent + 1));
    text = text.substr(0, percent);
  }
  const size_t gap = text.find(L"::");
  std::vector<std::uint16_t> groups;
  if (gap == std::wstring_view::npos) {
    auto all = ParseGroups(text, true);
    if (!all || all->size() != 8) return std::nullopt;
    groups = *all;
  } else {
    const std::wstring_view head = text.substr(0, gap), tail = text.substr(gap + 2);
    if (tail.find(L"::") != std::wstring_view::npos) return std::nullopt;
    auto before = ParseGroups(head, false);
    auto after = ParseGroups(tail, true);
    // "::" stands for at least one zero group.
    if (!before || !after || before->size() + after->size() > 7) return std::nullopt;
    groups = *before;
    groups.resize(8 - after->size(), 0);
    groups.insert(groups.end(), after->begin(), after->end());
  }
  for (size_t i = 0; i < 8; ++i) {
    address.bytes[2 * i] = static_cast<std::uint8_t>(groups[i] >> 8);
    address.bytes[2 * i + 1] = static_cast<std::uint8_t>(groups[i] & 0xFF);
  }
  if (!address.zone.empty() && !address.IsLinkLocal()) return std::nullopt;
  return address;
}

std::wstring FormatIpv6Address(const Ipv6Address& address, bool withZone) {
  std::array<std::uint16_t, 8> groups{};
  for (size_t i = 0; i < 8; ++i) groups[i] = static_cast<std::uint16_t>((address.bytes[2 * i] << 8) | address.bytes[2 * i + 1]);
  // The longest run of two or more zero groups (the first of equal ones).
  size_t bestStart = 8, bestLength = 1;
  for (size_t i = 0; i < 8;) {
    size_t j = i;
    while (j < 8 && groups[j] == 0) ++j;
    if (j - i > bestLength) {
      bestStart = i;
      bestLength = j - i;
    }
    i = j == i ? i + 1 : j;
  }
  const bool mapped = groups[0] == 0 && groups[1] == 0 && groups[2] == 0 && groups[3] == 0 && groups[4] == 0 &&
                      groups[5] == 0xFFFF;
  std::wstring text;
  if (mapped) {
    text = L"::ffff:" + std::to_wstring(address.bytes[12]) + L"." + std::to_wstring(address.bytes[13]) + L"." +
           std::to_wstring(address.bytes[14]) + L"." + std::to_wstring(address.bytes[15]);
  } else {
    for (size_t i = 0; i < 8; ++i) {
      if (i == bestStart) {
        text += L"::";
        i += bestLength - 1;
        continue;
      }
      if (!text.empty() && text.back() != L':') text += L':';
      text += HexGroup(groups[i]);
    }
  }
  if (withZone && !address.zone.empty()) text += L"%" + address.zone;
  return text;
}

std::optional<Ipv6Prefixed> ParseIpv6Prefixed(std::wstring_view raw) {
  const std::wstring text = Trim(raw);
  Ipv6Prefixed value;
  std::wstring_view addressText = text;
  if (const size_t slash = text.find(L'/'); slash != std::wstring::npos) {
    const std::wstring_view length = std::wstring_view(text).substr(slash + 1);
    if (length.empty() || length.size() > 3 || length.find_first_not_of(L"0123456789") != std::wstring_view::npos) {
      return std::nullopt;
    }
    value.prefixLength = static_cast<int>(ToIntDef(length, -1));
    if (value.prefixLength < 1 || value.prefixLength > 128) return std::nullopt;
    addressText = addressText.substr(0, slash);
  }
  // The length belongs right after the address: "2001:db8::1 /64" is refused.
  if (addressText != Trim(addressText)) return std::nullopt;
  auto address = ParseIpv6Address(addressText);
  if (!address || !address->zone.empty() || address->IsUnspecified() || address->IsMulticast()) return std::nullopt;
  value.address = *address;
  return value;
}

std::wstring FormatIpv6Prefixed(const Ipv6Prefixed& value) {
  return FormatIpv6Address(value.address, false) + L"/" + std::to_wstring(value.prefixLength);
}

std::optional<Ipv6Address> ParseIpv6Host(std::wstring_view text) {
  auto address = ParseIpv6Address(text);
  if (!address || address->IsUnspecified() || address->IsMulticast()) return std::nullopt;
  return address;
}

}  // namespace kip
