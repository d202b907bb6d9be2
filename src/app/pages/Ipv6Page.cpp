#include "app/pages/Ipv6Page.h"

#include "ui/GridValues.h"

namespace kip {

namespace {

constexpr int kPageWidth = 302;
// One column of addresses, no second value.
constexpr AddressListKind kIpv6List{L"", L"", false};

void FillList(win::Grid& grid, const StringList& entries) {
  grid.SetRowCount(2);
  grid.SetCell(0, 1, L"");
  if (entries.size() + 1 > 2) grid.SetRowCount(static_cast<int>(entries.size()) + 1);
  for (size_t i = 0; i < entries.size(); ++i) grid.SetCell(0, static_cast<int>(i) + 1, entries[i]);
}

}  // namespace

void Ipv6Page::BuildList(List& list, win::Panel& panel, const win::DialogUnits& du, int firstId, const wchar_t* caption,
                         const wchar_t* title, int top, int height, Ipv6EntryKind kind, Prompts& prompts) {
  list.group.Create(panel, firstId, caption, du.R(6, top, kPageWidth, height));
  list.grid.Create(panel, firstId + 1, du.R(14, top + 12, 222, height - 19), {title});
  list.add.Create(panel, firstId + 2, L"追加(&A)", du.R(244, top + 12, 56, 14));
  list.edit.Create(panel, firstId + 3, L"編集(&E)", du.R(244, top + 28, 56, 14));
  list.del.Create(panel, firstId + 4, L"削除(&D)", du.R(244, top + 44, 56, 14));
  for (win::Window* member : {static_cast<win::Window*>(&list.grid), static_cast<win::Window*>(&list.add),
                              static_cast<win::Window*>(&list.edit), static_cast<win::Window*>(&list.del)}) {
    list.group.AddMember(*member);
  }
  Ipv6Entry& entry = *entries_.emplace_back(std::make_unique<Ipv6Entry>(prompts, kind));
  auto add = [this, &list, &entry] { Edited(AddAddressRow(list.grid, kIpv6List, entry)); };
  auto edit = [this, &list, &entry] { Edited(EditAddressRow(list.grid, kIpv6List, entry)); };
  auto del = [this, &list] { Edited(DeleteAddressRow(list.grid)); };
  list.add.OnClick = add;
  list.grid.OnInsertKey = add;
  list.edit.OnClick = edit;
  list.grid.OnEnterKey = edit;
  list.del.OnClick = del;
  list.grid.OnDeleteKey = del;
}

void Ipv6Page::Build(win::Panel& panel, const win::DialogUnits& du, Prompts& prompts) {
  if (built_) return;
  unchanged_.Create(panel, IDR_Ipv6Unchanged, L"変更しない", du.R(8, 6, 70, 10), true);
  automatic_.Create(panel, IDR_Ipv6Automatic, L"自動", du.R(84, 6, 70, 10), false);
  fixed_.Create(panel, IDR_Ipv6Fixed, L"固定", du.R(160, 6, 70, 10), false);
  for (win::RadioButton* button : {&unchanged_, &automatic_, &fixed_}) {
    choice_.Add(*button);
    button->OnClick = [this] { ChoiceClicked(); };
  }
  BuildList(addresses_, panel, du, IDG_Ipv6Addresses, L"IPv6 アドレス", L"IPv6 アドレス/プレフィックス長", 20, 76,
            Ipv6EntryKind::Address, prompts);
  BuildList(gateways_, panel, du, IDG_Ipv6Gateways, L"デフォルト ゲートウェイ", L"ゲートウェイ", 100, 56,
            Ipv6EntryKind::Host, prompts);
  BuildList(dns_, panel, du, IDG_Ipv6Dns, L"DNS サーバー", L"DNS サーバーアドレス", 160, 56, Ipv6EntryKind::Host,
            prompts);
  built_ = true;
  ShowControls();
}

void Ipv6Page::Show(const Ipv6Setting& values) {
  values_ = values;
  if (built_) ShowControls();
}

Ipv6Setting Ipv6Page::Collect() const {
  if (!built_) return values_;
  Ipv6Setting values;
  values.choice = fixed_.Checked() ? Ipv6Choice::Fixed
                  : automatic_.Checked() ? Ipv6Choice::Automatic
                                         : Ipv6Choice::Unchanged;
  values.addresses = NonBlankCells(addresses_.grid, 0);
  values.gateways = NonBlankCells(gateways_.grid, 0);
  values.dnsServers = NonBlankCells(dns_.grid, 0);
  return values;
}

void Ipv6Page::ShowControls() {
  showing_ = true;
  switch (values_.choice) {
    case Ipv6Choice::Automatic: automatic_.SetChecked(true); break;
    case Ipv6Choice::Fixed: fixed_.SetChecked(true); break;
    default: unchanged_.SetChecked(true); break;
  }
  FillList(addresses_.grid, values_.addresses);
  FillList(gateways_.grid, values_.gateways);
  FillList(dns_.grid, values_.dnsServers);
  ChoiceClicked();
  showing_ = false;
}

// The lists count only for a fixed choice; they keep what was typed.
void Ipv6Page::ChoiceClicked() {
  const bool fixed = fixed_.Checked();
  for (List* list : {&addresses_, &gateways_, &dns_}) list->group.SetEnabled(fixed);
  Edited(true);
}

void Ipv6Page::Edited(bool changed) {
  if (changed && !showing_ && onEdit_) onEdit_();
}

}  // namespace kip
