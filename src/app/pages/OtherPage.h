// The page "その他": the card's WINS servers, the HOSTS file and the
// default printer.
#pragma once

#include <optional>
#include <string>

#include "app/pages/AddressListBox.h"
#include "app/pages/Page.h"
#include "app/pages/PageValues.h"
#include "ui/win/Controls.h"

namespace kip {


class OtherPage final : public ValuesPage<OtherPageValues> {
 public:
  // The dialog that adds and edits a WINS server.
  std::function<AddressEntry*()> WinsDialog;
  // "参照" beside the HOSTS file was pressed.
  std::function<void()> OnBrowseClick;
  // The printers offered, filled once; a choice not among them is none.
  void ListPrinters(StringList names);
  const StringList& Printers() const { return printers_; }
  // The HOSTS file chosen by the user: an edit.
  void ChooseHostsFile(const std::wstring& path);

 private:
  void CreateControls(win::Panel& panel, const win::DialogUnits& du) override;
  void FillControls() override;
  OtherPageValues ReadControls() const override;
  OtherPageValues Tidied(OtherPageValues values) const override;

  StringList printers_;
  AddressListBox wins_;
  win::GroupBox hostsGroup_;
  win::Edit hosts_;
  win::Button browse_;
  win::GroupBox printerGroup_;
  win::ComboList printer_;
};

}  // namespace kip
