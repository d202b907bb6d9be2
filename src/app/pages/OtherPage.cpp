#include "app/pages/OtherPage.h"

#include <algorithm>

#include "MainIds.h"
#include "app/pages/PageMetrics.h"
#include "ui/GridValues.h"

namespace kip {

void OtherPage::ListPrinters(StringList names) {
  OtherPageValues values = Current();
  printers_ = std::move(names);
  if (Built()) {
    printer_.Clear();
    for (const auto& name : printers_) printer_.Add(name);
  }
  Show(std::move(values));
}

void OtherPage::ChooseHostsFile(const std::wstring& path) {
  Update([&](OtherPageValues& values) { values.hostsFile = path; });
  Edited();
}

void OtherPage::CreateControls(win::Panel& panel, const win::DialogUnits& du) {
  wins_.Create(panel, du, {IDG_GroupWINS, IDL_StringWINS, IDB_ButtonWINSADD, IDB_ButtonWINSEDIT, IDB_ButtonWINSDEL},
               L"WINS サーバー", {L"WINS サーバーアドレス"}, 6, 86);
  hostsGroup_.Create(panel, IDG_GroupBox1, L"HOSTS ファイル", du.R(6, 98, kPageWidth, 34));
  hosts_.Create(panel, IDE_EditHosts, L"", du.R(14, 113, 222, 12));
  hosts_.DisableImeInput();
  browse_.Create(panel, IDB_ButtonBrows, L"参照(&B)", du.R(244, 112, 56, 14));
  hostsGroup_.AddMember(hosts_);
  hostsGroup_.AddMember(browse_);
  printerGroup_.Create(panel, IDG_GroupBox4, L"通常使うプリンタの設定", du.R(6, 138, kPageWidth, 34));
  printer_.Create(panel, IDC_ComboPrinter, du.R(14, 153, 286, 120));
  printerGroup_.AddMember(printer_);
  for (const auto& name : printers_) printer_.Add(name);

  wins_.Wire(kWINSList, [this] { return WinsDialog ? WinsDialog() : nullptr; }, [this] { Edited(); });
  hosts_.OnChange = [this] { Edited(); };
  browse_.OnClick = [this] {
    if (OnBrowseClick) OnBrowseClick();
  };
  printer_.OnChange = [this] { Edited(); };
}

void OtherPage::FillControls() {
  const OtherPageValues& values = Kept();
  // A shorter list leaves the grid's rows, emptied.
  ClearGridCells(wins_.grid);
  FillGridColumn(wins_.grid, 0, values.winsServers);
  hosts_.SetText(values.hostsFile);
  auto found = values.printer ? std::find(printers_.begin(), printers_.end(), *values.printer) : printers_.end();
  printer_.SetItemIndex(found == printers_.end() ? -1 : static_cast<int>(found - printers_.begin()));
}

OtherPageValues OtherPage::ReadControls() const {
  OtherPageValues values;
  values.winsServers = NonBlankCells(wins_.grid, 0);
  values.hostsFile = hosts_.Text();
  if (int index = printer_.ItemIndex(); index >= 0) values.printer = printer_.Item(index);
  return values;
}

OtherPageValues OtherPage::Tidied(OtherPageValues values) const {
  values.hostsFile = Trim(values.hostsFile);
  std::erase_if(values.winsServers, [](const std::wstring& server) { return IsBlank(server); });
  if (values.printer &&
      std::find(printers_.begin(), printers_.end(), *values.printer) == printers_.end()) {
    values.printer.reset();
  }
  return values;
}

}  // namespace kip
