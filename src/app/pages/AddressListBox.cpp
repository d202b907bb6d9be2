#include "app/pages/AddressListBox.h"

#include <algorithm>

#include "app/pages/PageMetrics.h"

namespace kip {

void AddressListBox::Create(win::Panel& panel, const win::DialogUnits& du, const AddressListIds& ids,
                            std::wstring_view caption, const StringList& titles, int top, int height) {
  group.Create(panel, ids.group, caption, du.R(6, top, kPageWidth, height));
  grid.Create(panel, ids.grid, du.R(14, top + 12, 222, height - 19), titles);
  // A low group draws its buttons closer, so that they stay inside it.
  const int step = std::min(18, (height - 30) / 2);
  add.Create(panel, ids.add, L"追加(&A)", du.R(244, top + 12, 56, 14));
  edit.Create(panel, ids.edit, L"編集(&E)", du.R(244, top + 12 + step, 56, 14));
  del.Create(panel, ids.del, L"削除(&D)", du.R(244, top + 12 + 2 * step, 56, 14));
  for (win::Window* member : std::initializer_list<win::Window*>{&grid, &add, &edit, &del}) group.AddMember(*member);
}

void AddressListBox::Wire(const AddressListKind& kind, std::function<AddressEntry*()> dialog,
                          std::function<void()> changed) {
  auto run = [this, changed](bool didChange) {
    if (didChange && changed) changed();
  };
  add.OnClick = [this, kind, dialog, run] {
    AddressEntry* entry = dialog ? dialog() : nullptr;
    run(entry && AddAddressRow(grid, kind, *entry));
  };
  edit.OnClick = [this, kind, dialog, run] {
    AddressEntry* entry = dialog ? dialog() : nullptr;
    run(entry && EditAddressRow(grid, kind, *entry));
  };
  del.OnClick = [this, run] { run(DeleteAddressRow(grid)); };
  // The keys of a focused grid do what its buttons do, when they may.
  grid.OnInsertKey = [this] { add.Click(); };
  grid.OnEnterKey = [this] { edit.Click(); };
  grid.OnDeleteKey = [this] { del.Click(); };
}

void AddressListBox::EnableButtons(bool enabled) {
  for (win::Button* button : {&add, &edit, &del}) button->SetEnabled(enabled);
}

}  // namespace kip
