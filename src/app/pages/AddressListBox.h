// An address list on a page: a group box with a grid and, on its right, the
// add, edit and delete buttons. Entries are added and edited through an
// address dialog, never typed into the grid; the focused grid's Insert,
// Enter and Delete keys do what the buttons do.
#pragma once

#include <functional>
#include <string_view>

#include "ui/AddressLists.h"
#include "ui/win/Controls.h"
#include "ui/win/Layout.h"
#include "util/Text.h"

namespace kip {

struct AddressListIds {
  int group, grid, add, edit, del;
};

class AddressListBox {
 public:
  void Create(win::Panel& panel, const win::DialogUnits& du, const AddressListIds& ids, std::wstring_view caption,
              const StringList& titles, int top, int height);
  // Add and edit use `dialog()` (nothing happens without one); `changed`
  // runs after each command that changed the grid.
  void Wire(const AddressListKind& kind, std::function<AddressEntry*()> dialog, std::function<void()> changed);
  void EnableButtons(bool enabled);

  win::GroupBox group;
  win::Grid grid;
  win::Button add, edit, del;
};

}  // namespace kip
