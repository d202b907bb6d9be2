// The IPv6 entry box: what it refuses it says and asks again with the
// refused text; what it takes comes back canonical; cancelling changes
// nothing.
#include <gtest/gtest.h>

#include "support/ScriptedPrompts.h"
#include "ui/Ipv6Entry.h"

namespace kip {
namespace {

TEST(Ipv6Entry, RefusesWithAMessageAndAsksAgain) {
  const struct {
    const char* title;
    Ipv6EntryKind kind;
    std::vector<std::optional<std::wstring>> answers;  // nullopt: Cancel
    std::optional<std::wstring> result;
    size_t messages;
  } cases[] = {
      {"a full address with its length", Ipv6EntryKind::Address, {L"2001:0DB8:0:0:0:0:0:0010/64"},
       L"2001:db8::10/64", 0},
      {"a bare address takes /64", Ipv6EntryKind::Address, {L"2001:db8::10"}, L"2001:db8::10/64", 0},
      {"refused twice, then taken", Ipv6EntryKind::Address, {L"192.168.0.1/24", L"2001:db8::10/129", L"2001:db8::10/48"},
       L"2001:db8::10/48", 2},
      {"refused, then cancelled", Ipv6EntryKind::Address, {L"2001:db8::10/64 x", std::nullopt}, std::nullopt, 1},
      {"a gateway with a zone id", Ipv6EntryKind::Host, {L"FE80::1%12"}, L"fe80::1%12", 0},
      {"a multicast DNS server is refused", Ipv6EntryKind::Host, {L"ff02::1", std::nullopt}, std::nullopt, 1},
      {"cancelled at once", Ipv6EntryKind::Host, {std::nullopt}, std::nullopt, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    ScriptedPrompts prompts;
    prompts.inputAnswers.assign(c.answers.begin(), c.answers.end());
    Ipv6Entry entry(prompts, c.kind);
    const std::optional<AddressRow> row = entry.Ask({L"", L""});
    EXPECT_EQ(row ? std::optional<std::wstring>(row->address) : std::nullopt, c.result);
    EXPECT_EQ(prompts.messages.size(), c.messages);
    // Each new question offers what was refused.
    for (size_t i = 1; i < prompts.inputs.size(); ++i) EXPECT_EQ(prompts.inputs[i].proposal, *c.answers[i - 1]);
  }
}

}  // namespace
}  // namespace kip
