// The page "IPv6": one card's IPv6 choice (変更しない, 自動, 固定) and, for a
// fixed one, its addresses, gateways and DNS servers, edited as the IPv4
// lists are (add, edit, delete; entries through a box that refuses what is
// no IPv6 address). The lists keep what they hold whatever the choice. A
// way back's state in a setting edited by hand is kept as it is until the
// page is changed.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "app/pages/AddressListBox.h"
#include "app/pages/Page.h"
#include "ui/Ipv6Entry.h"
#include "ui/Prompts.h"
#include "ui/win/Controls.h"
#include "store/Ipv6Setting.h"

namespace kip {

// The page's control ids (the main window's other pages use 1001 to 1799).
enum Ipv6PageId {
  IDR_Ipv6Unchanged = 1801,
  IDR_Ipv6Automatic,
  IDR_Ipv6Fixed,
  IDG_Ipv6Addresses,  // then its list and its add, edit and delete buttons
  IDG_Ipv6Gateways = IDG_Ipv6Addresses + 5,
  IDG_Ipv6Dns = IDG_Ipv6Gateways + 5,
};
inline constexpr int kIpv6ListAdd = 2;  // offset of a list's add button from its group

class Ipv6Page : public ValuesPage<Ipv6Setting> {
 public:
  // `prompts` gives the entry boxes and their messages when they are needed.
  explicit Ipv6Page(std::function<Prompts&()> prompts) : prompts_(std::move(prompts)) {}

 protected:
  void CreateControls(win::Panel& panel, const win::DialogUnits& du) override;
  void FillControls() override;
  Ipv6Setting ReadControls() const override;

 private:
  struct List {
    AddressListBox box;
    std::unique_ptr<Ipv6Entry> entry;
  };
  void CreateList(List& list, win::Panel& panel, const win::DialogUnits& du, int groupId, const wchar_t* caption,
                  const wchar_t* title, int top, int height, Ipv6EntryKind kind);
  void ChoiceClicked();

  std::function<Prompts&()> prompts_;
  win::RadioButton unchanged_, automatic_, fixed_;
  win::RadioGroup choice_;
  List addresses_, gateways_, dns_;
};

}  // namespace kip
