// The three address dialogs of the program on their own, for driving them
// from outside with kip_driver. Shows the dialogs named on the command line
// ("ip", "gw", "dns") one after another over a plain owner window, each with
// the defaults the lists offer on add, and writes one line per showing to
// standard output: "confirmed\t<address>\t<mask or metric>" or "cancelled".
// Messages the dialogs show are written as "message\t<text>" instead.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "ui/AddressLists.h"
#include "ui/UDNSEdit.h"
#include "ui/UGWEdit.h"
#include "ui/UIPEdit.h"
#include "ui/win/Layout.h"
#include "ui/win/Menus.h"
#include "util/Text.h"

namespace {

void WriteLine(const std::wstring& line) {
  std::string bytes = kip::ToUtf8(line) + "\n";
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

class PrintedPrompts : public kip::Prompts {
 public:
  void ShowMessage(const std::wstring& text) override { WriteLine(L"message\t" + text); }
  kip::Answer ConfirmYesNo(const std::wstring&) override { return kip::Answer::Yes; }
  kip::Answer ConfirmYesNoCancel(const std::wstring&) override { return kip::Answer::Yes; }
  std::wstring InputBox(const std::wstring&, const std::wstring&, const std::wstring& proposal) override {
    return proposal;
  }
  std::optional<std::wstring> ChooseFile() override { return std::nullopt; }
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  kip::win::Form owner;
  owner.CreateForm(L"KipDialogFixture", L"アドレス入力試験", 320, 200, WS_OVERLAPPEDWINDOW);
  owner.SetPosition(0, 0);
  owner.Show();
  kip::UniqueHFont font = kip::win::CreateUiFont(kip::win::ScreenDpi());
  PrintedPrompts prompts;
  kip::TFormIPEdit ip;
  kip::TFormGWEdit gw;
  kip::TFormDNSEdit dns;
  ip.Create(owner.Handle(), font.get());
  gw.Create(owner.Handle(), font.get());
  dns.Create(owner.Handle(), font.get());

  for (int i = 1; i < argc; ++i) {
    const std::wstring kind = argv[i];
    kip::AddressDialog& dialog = kind == L"ip" ? static_cast<kip::AddressDialog&>(ip)
                                 : kind == L"gw" ? static_cast<kip::AddressDialog&>(gw)
                                                 : static_cast<kip::AddressDialog&>(dns);
    const kip::AddressListKind& list = kind == L"ip" ? kip::kIPList : kind == L"gw" ? kip::kGatewayList : kip::kDNSList;
    dialog.SetPrompts(&prompts);
    std::optional<kip::AddressRow> row =
        dialog.Ask({std::wstring(list.defaultAddress), std::wstring(list.defaultSecond)});
    WriteLine(row ? L"confirmed\t" + row->address + L"\t" + row->second : L"cancelled");
  }
  return 0;
}
