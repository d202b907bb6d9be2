// Add, edit and delete on the address grids of the main window (IP
// addresses, gateways, DNS and WINS servers). Entries are never typed into
// the grids: add and edit go through an address dialog. Each command returns
// true when it changed the grid, which the window records as an unsaved
// change.
#pragma once

#include <string_view>

#include "ui/AddressEntry.h"
#include "ui/win/Controls.h"

namespace kip {

// What distinguishes the lists: the texts offered on add (and on edit of an
// empty cell), and whether a second column (mask or metric) is written.
struct AddressListKind {
  std::wstring_view defaultAddress;
  std::wstring_view defaultSecond;
  bool hasSecond;
};

// A 16-bit mask is offered, not 255.255.255.0.
inline constexpr AddressListKind kIPList{L"0.0.0.0", L"255.255.0.0", true};
inline constexpr AddressListKind kGatewayList{L"0.0.0.0", L"1", true};
inline constexpr AddressListKind kDNSList{L"0.0.0.0", L"", false};
inline constexpr AddressListKind kWINSList{L"0.0.0.0", L"", false};

// Offers the defaults; a confirmed entry goes into row 1 while its address
// cell is empty, else into a new last row (even when empty rows are left
// further down).
bool AddAddressRow(win::Grid& grid, const AddressListKind& kind, AddressEntry& dialog);
// Offers the selected row's cells (the defaults for empty ones) and writes a
// confirmed entry back into that same row.
bool EditAddressRow(win::Grid& grid, const AddressListKind& kind, AddressEntry& dialog);
// Removes the selected row without asking: the rows below move up and the
// grid keeps at least one (empty) data row.
bool DeleteAddressRow(win::Grid& grid);

}  // namespace kip
