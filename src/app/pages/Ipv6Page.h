// The page "IPv6": one card's IPv6 choice (変更しない, 自動, 固定) and, for a
// fixed one, its addresses, gateways and DNS servers, edited as the IPv4
// lists are (add, edit, delete; entries through a box that refuses what is
// no IPv6 address). The page is shown plain values and gives them back; it
// builds its controls the first time it is on the screen and keeps the
// values it was shown until then.
#pragma once

#include <functional>

#include "ui/AddressLists.h"
#include "ui/Ipv6Entry.h"
#include "ui/Prompts.h"
#include "ui/win/Controls.h"
#include "ui/win/Layout.h"
#include "util/Ipv6Setting.h"

namespace kip {

// The page's control ids (the main window's pages use 1001 to 1799).
enum Ipv6PageId {
  IDR_Ipv6Unchanged = 1801,
  IDR_Ipv6Automatic,
  IDR_Ipv6Fixed,
  IDG_Ipv6Addresses,
  IDL_Ipv6Addresses,
  IDB_Ipv6AddressAdd,
  IDB_Ipv6AddressEdit,
  IDB_Ipv6AddressDel,
  IDG_Ipv6Gateways,
  IDL_Ipv6Gateways,
  IDB_Ipv6GatewayAdd,
  IDB_Ipv6GatewayEdit,
  IDB_Ipv6GatewayDel,
  IDG_Ipv6Dns,
  IDL_Ipv6Dns,
  IDB_Ipv6DnsAdd,
  IDB_Ipv6DnsEdit,
  IDB_Ipv6DnsDel,
};

class Ipv6Page {
 public:
  // `onEdit` runs on every change the user makes.
  explicit Ipv6Page(std::function<void()> onEdit) : onEdit_(std::move(onEdit)) {}

  // Builds the controls on `panel` the first time, then shows the values.
  void Build(win::Panel& panel, const win::DialogUnits& du, Prompts& prompts);
  bool Built() const { return built_; }

  void Show(const Ipv6Setting& values);
  Ipv6Setting Collect() const;

 private:
  struct List {
    win::GroupBox group;
    win::Grid grid;
    win::Button add, edit, del;
  };
  void BuildList(List& list, win::Panel& panel, const win::DialogUnits& du, int firstId, const wchar_t* caption,
                 const wchar_t* title, int top, int height, Ipv6EntryKind kind, Prompts& prompts);
  void ShowControls();
  void ChoiceClicked();
  void Edited(bool changed);

  std::function<void()> onEdit_;
  Ipv6Setting values_;  // what the page shows until its controls exist
  bool built_ = false;
  bool showing_ = false;  // controls set from values, not by the user
  win::RadioButton unchanged_, automatic_, fixed_;
  win::RadioGroup choice_;
  List addresses_, gateways_, dns_;
  std::vector<std::unique_ptr<Ipv6Entry>> entries_;
};

}  // namespace kip
