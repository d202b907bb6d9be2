#include "app/pages/Ipv6Page.h"

#include <algorithm>

#include "app/pages/PageMetrics.h"
#include "ui/AddressLists.h"
#include "ui/GridValues.h"

namespace kip {

namespace {

// One column of addresses, no second value.
constexpr AddressListKind kIpv6List{L"", L"", false};

void FillList(win::Grid& grid, const StringList& entries) {
  grid.SetRowCount(2);
  grid.SetCell(0, 1, L"");
  grid.SetRowCount(static_cast<int>(std::max<size_t>(entries.size(), 1)) + 1);
  for (size_t i = 0; i < entries.size(); ++i) grid.SetCell(0, static_cast<int>(i) + 1, entries[i]);
}

}  // namespace

void Ipv6Page::CreateList(List& list, win::Panel& panel, const win::DialogUnits& du, int groupId,
                          const wchar_t* caption, const wchar_t* title, int top, int height, Ipv6EntryKind kind) {
  list.group.Create(panel, groupId, caption, du.R(6, top, kPageWidth, height));
  list.grid.Create(panel, groupId + 1, du.R(14, top + 12, 222, height - 19), {title});
  list.add.Create(panel, groupId + kIpv6ListAdd, L"追加(&A)", du.R(244, top + 12, 56, 14));
  list.edit.Create(panel, groupId + 3, L"編集(&E)", du.R(244, top + 28, 56, 14));
  list.del.Create(panel, groupId + 4, L"削除(&D)", du.R(244, top + 44, 56, 14));
  for (win::Window* member : {static_cast<win::Window*>(&list.grid), static_cast<win::Window*>(&list.add),
                              static_cast<win::Window*>(&list.edit), static_cast<win::Window*>(&list.del)}) {
    list.group.AddMember(*member);
  }
  list.entry = std::make_unique<Ipv6Entry>(prompts_(), kind);
  auto add = [this, &list] { if (AddAddressRow(list.grid, kIpv6List, *list.entry)) Edited(); };
  auto edit = [this, &list] { if (EditAddressRow(list.grid, kIpv6List, *list.entry)) Edited(); };
  auto del = [this, &list] { if (DeleteAddressRow(list.grid)) Edited(); };
  list.add.OnClick = list.grid.OnInsertKey = add;
  list.edit.OnClick = list.grid.OnEnterKey = edit;
  list.del.OnClick = list.grid.OnDeleteKey = del;
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
  switch (values.choice) {
    case Ipv6Choice::Automatic: automatic_.SetChecked(true); break;
    case Ipv6Choice::Fixed: fixed_.SetChecked(true); break;
    default: unchanged_.SetChecked(true); break;
  }
  FillList(addresses_.grid, values.addresses);
  FillList(gateways_.grid, values.gateways);
  FillList(dns_.grid, values.dnsServers);
  ChoiceClicked();
}

Ipv6Setting Ipv6Page::ReadControls() const {
  const Ipv6Choice choice = fixed_.Checked()       ? Ipv6Choice::Fixed
                            : automatic_.Checked() ? Ipv6Choice::Automatic
                                                   : Ipv6Choice::Unchanged;
  return {choice, NonBlankCells(addresses_.grid, 0), NonBlankCells(gateways_.grid, 0), NonBlankCells(dns_.grid, 0)};
}

// The lists count only for a fixed choice.
void Ipv6Page::ChoiceClicked() {
  const bool fixed = fixed_.Checked();
  for (List* list : {&addresses_, &gateways_, &dns_}) list->group.SetEnabled(fixed);
  Edited();
}

}  // namespace kip
