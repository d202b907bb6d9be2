#include "ui/Ipv6Entry.h"

#include "util/Ipv6Address.h"

namespace kip {

namespace {

std::optional<std::wstring> Canonical(Ipv6EntryKind kind, const std::wstring& text) {
  if (kind == Ipv6EntryKind::Address) {
    if (auto value = ParseIpv6Prefixed(text)) return FormatIpv6Prefixed(*value);
  } else if (auto value = ParseIpv6Host(text)) {
    return FormatIpv6Address(*value);
  }
  return std::nullopt;
}

}  // namespace

std::optional<AddressRow> Ipv6Entry::Ask(const AddressRow& offered) {
  const bool address = kind_ == Ipv6EntryKind::Address;
  std::wstring proposal = offered.address;
  while (true) {
    const std::wstring text = prompts_.InputBox(kIpv6EntryCaption, address ? kIpv6AddressPrompt : kIpv6HostPrompt,
                                                proposal);
    if (text == proposal) return std::nullopt;
    if (auto canonical = Canonical(kind_, text)) return AddressRow{*canonical, L""};
    prompts_.ShowMessage(address ? kIpv6AddressRefused : kIpv6HostRefused);
    proposal = text;
  }
}

}  // namespace kip
