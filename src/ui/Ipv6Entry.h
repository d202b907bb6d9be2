// Entry of one IPv6 address for the IPv6 lists: a one-line box that takes
// every written form, refuses anything else with a message and asks again
// with the refused text, and gives back the canonical form.
#pragma once

#include "ui/AddressEntry.h"
#include "ui/Prompts.h"

namespace kip {

enum class Ipv6EntryKind {
  Address,  // the card's own: "address/length" (a bare address takes /64)
  Host,     // a gateway or a DNS server (a zone id on a link-local one)
};

inline constexpr wchar_t kIpv6EntryCaption[] = L"IPv6 アドレス";
inline constexpr wchar_t kIpv6AddressPrompt[] = L"IPv6 アドレス/プレフィックス長 (例: 2001:db8::10/64)";
inline constexpr wchar_t kIpv6HostPrompt[] = L"IPv6 アドレス (例: 2001:db8::1, fe80::1%12)";
inline constexpr wchar_t kIpv6AddressRefused[] =
    L"IPv6 アドレスとして正しくありません. 2001:db8::10/64 のように, アドレスと 1 から 128 のプレフィックス長を入力してください.";
inline constexpr wchar_t kIpv6HostRefused[] =
    L"IPv6 アドレスとして正しくありません. 2001:db8::1 のように入力してください (マルチキャストと :: は使えません).";

class Ipv6Entry : public AddressEntry {
 public:
  Ipv6Entry(Prompts& prompts, Ipv6EntryKind kind) : prompts_(prompts), kind_(kind) {}
  // The box offers the row's address. Leaving it unchanged (or cancelling,
  // which gives the offered text back) changes nothing.
  std::optional<AddressRow> Ask(const AddressRow& offered) override;

 private:
  Prompts& prompts_;
  Ipv6EntryKind kind_;
};

}  // namespace kip
