#include "app/pages/Ipv6Page.h"

#include <algorithm>

#include "app/pages/PageMetrics.h"
#include "ui/AddressLists.h"
#include "ui/GridValues.h"

namespace kip {

namespace {

// One column of addresses, no second value.
constexpr AddressListKind kIpv6List{L"", L"", false};

StringList NonBlank(const StringList& entries) {
  StringList kept;
  for (const std::wstring& entry : entries) {
    if (!IsBlank(entry)) kept.push_back(entry);
  }
  return kept;
}

// The way back's state ("as it was") is no choice of the page; a setting
// edited by hand may hold it. It shows as the choice nearest to what its
// commit does: its hand-set values put back (固定), or, with none, what the
// network gives (自動).
Ipv6Choice ShownChoice(const Ipv6Setting& values) {
  if (values.choice != Ipv6Choice::AsItWas) return values.choice;
  const bool handSet = !NonBlank(values.addresses).empty() || !NonBlank(values.gateways).empty() ||
                       !NonBlank(values.dnsServers).empty();
  return handSet ? Ipv6Choice::Fixed : Ipv6Choice::Automatic;
}

void FillList(win::Grid& grid, const StringList& entries) {
  grid.SetRowCount(2);
  grid.SetCell(0, 1, L"");
  grid.SetRowCount(static_cast<int>(std::max<size_t>(entries.size(), 1)) + 1);
  for (size_t i = 0; i < entries.size(); ++i) grid.SetCell(0, static_cast<int>(i) + 1, entries[i]);
}

}  // namespace

void Ipv6Page::CreateList(List& list, win::Panel& panel, const win::DialogUnits& du, int groupId,
                          const wchar_t* caption, const wchar_t* title, int top, int height, Ipv6EntryKind kind) {
  list.box.Create(panel, du, {groupId, groupId + 1, groupId + kIpv6ListAdd, groupId + 3, groupId + 4}, caption,
                  {title}, top, height);
  list.entry = std::make_unique<Ipv6Entry>(prompts_(), kind);
  list.box.Wire(kIpv6List, [&list]() -> AddressEntry* { return list.entry.get(); }, [this] { Edited(); });
}

void Ipv6Page::CreateControls(win::Panel& panel, const win::DialogUnits& du) {
  unchanged_.Create(panel, IDR_Ipv6Unchanged, L"変更しない", du.R(8, 6, 70, 10), true);
  automatic_.Create(panel, IDR_Ipv6Automatic, L"自動", du.R(84, 6, 70, 10), false);
  fixed_.Create(panel, IDR_Ipv6Fixed, L"固定", du.R(160, 6, 70, 10), false);
  for (win::RadioButton* button : {&unchanged_, &automatic_, &fixed_}) {
    choice_.Add(*button);
    button->OnClick = [this] { ChoiceClicked(); };
  }
  CreateList(addresses_, panel, du, IDG_Ipv6Addresses, L"IPv6 アドレス", L"IPv6 アドレス/プレフィックス長", 20, 64,
             Ipv6EntryKind::Address);
  CreateList(gateways_, panel, du, IDG_Ipv6Gateways, L"デフォルト ゲートウェイ", L"ゲートウェイ", 88, 62,
             Ipv6EntryKind::Host);
  CreateList(dns_, panel, du, IDG_Ipv6Dns, L"DNS サーバー", L"DNS サーバーアドレス", 154, 62, Ipv6EntryKind::Host);
}

void Ipv6Page::FillControls() {
  const Ipv6Setting& values = Kept();
  switch (ShownChoice(values)) {
    case Ipv6Choice::Automatic: automatic_.SetChecked(true); break;
    case Ipv6Choice::Fixed: fixed_.SetChecked(true); break;
    default: unchanged_.SetChecked(true); break;
  }
  FillList(addresses_.box.grid, values.addresses);
  FillList(gateways_.box.grid, values.gateways);
  FillList(dns_.box.grid, values.dnsServers);
  ChoiceClicked();
}

Ipv6Setting Ipv6Page::ReadControls() const {
  const Ipv6Choice choice = fixed_.Checked()       ? Ipv6Choice::Fixed
                            : automatic_.Checked() ? Ipv6Choice::Automatic
                                                   : Ipv6Choice::Unchanged;
  Ipv6Setting shown{choice, NonBlankCells(addresses_.box.grid, 0), NonBlankCells(gateways_.box.grid, 0),
                    NonBlankCells(dns_.box.grid, 0)};
  // A way back's state left as it was shown comes back whole (its choice
  // and autoconfiguration included): only a change on the page replaces it.
  const Ipv6Setting& kept = Kept();
  const bool untouched = kept.choice == Ipv6Choice::AsItWas && shown.choice == ShownChoice(kept) &&
                         shown.addresses == NonBlank(kept.addresses) && shown.gateways == NonBlank(kept.gateways) &&
                         shown.dnsServers == NonBlank(kept.dnsServers);
  return untouched ? kept : shown;
}

// The lists count only for a fixed choice.
void Ipv6Page::ChoiceClicked() {
  const bool fixed = fixed_.Checked();
  for (List* list : {&addresses_, &gateways_, &dns_}) list->box.group.SetEnabled(fixed);
  Edited();
}

}  // namespace kip
