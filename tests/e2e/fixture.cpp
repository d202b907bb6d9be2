// A small window with the kinds of controls the main window has (a card
// drop-down, a setting tab strip, a page control, a button, an edit line),
// for checking kip_driver itself. Every notification the driver should
// cause is written into the static control 200, where the driver reads it.
#include <windows.h>
#include <commctrl.h>

#include <initializer_list>

namespace {

constexpr int kCombo = 100;
constexpr int kSettings = 101;
constexpr int kPages = 102;
constexpr int kButton = 103;
constexpr int kEdit = 104;
constexpr int kEvent = 200;

void Report(HWND window, const wchar_t* what, int number) {
  wchar_t text[64];
  wsprintfW(text, L"%s %d", what, number);
  SetDlgItemTextW(window, kEvent, text);
}

HWND Child(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y, int w, int h, int id) {
  return CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
}

void AddTabs(HWND tab, const wchar_t* const* names, int count) {
  for (int i = 0; i < count; ++i) {
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<wchar_t*>(names[i]);
    SendMessageW(tab, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
  }
}

void Create(HWND window) {
  HWND combo = Child(window, WC_COMBOBOXW, L"", CBS_DROPDOWNLIST | WS_VSCROLL, 8, 8, 300, 200, kCombo);
  for (const wchar_t* card : {L"ローカル エリア接続 [Intel(R) PRO/1000]", L"ローカル エリア接続 2", L"kipcard2"})
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(card));
  SendMessageW(combo, CB_SETCURSEL, 0, 0);
  static const wchar_t* const settings[] = {L"会社", L"自宅"};
  AddTabs(Child(window, WC_TABCONTROLW, L"", 0, 8, 40, 400, 30, kSettings), settings, 2);
  static const wchar_t* const pages[] = {L"IP 設定", L"DNS", L"その他", L"IE設定",
                                         L"Domainほか", L"バッチ処理", L"ファイアウォール"};
  AddTabs(Child(window, WC_TABCONTROLW, L"", 0, 8, 80, 460, 200, kPages), pages, 7);
  Child(window, WC_BUTTONW, L"設定反映(&C)", BS_PUSHBUTTON, 8, 290, 100, 28, kButton);
  Child(window, WC_EDITW, L"初期値", WS_BORDER | ES_AUTOHSCROLL, 120, 290, 200, 24, kEdit);
  Child(window, WC_STATICW, L"", 0, 8, 330, 300, 20, kEvent);
}

LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE:
      Create(window);
      return 0;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lparam);
      if (header->code == TCN_SELCHANGE)
        Report(window, header->idFrom == kPages ? L"page" : L"setting",
               static_cast<int>(SendMessageW(header->hwndFrom, TCM_GETCURSEL, 0, 0)));
      return 0;
    }
    case WM_COMMAND:
      if (LOWORD(wparam) == kButton && HIWORD(wparam) == BN_CLICKED) Report(window, L"clicked", kButton);
      if (LOWORD(wparam) == kCombo && HIWORD(wparam) == CBN_SELCHANGE)
        Report(window, L"card", static_cast<int>(SendMessageW(GetDlgItem(window, kCombo), CB_GETCURSEL, 0, 0)));
      if (HIWORD(wparam) == 0 && lparam == 0) Report(window, L"menu", LOWORD(wparam));
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TAB_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  WNDCLASSW wc{};
  wc.lpfnWndProc = Procedure;
  wc.hInstance = instance;
  wc.lpszClassName = L"KipDriverFixture";
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  RegisterClassW(&wc);
  HWND window = CreateWindowW(L"KipDriverFixture", L"ドライバ試験", WS_OVERLAPPEDWINDOW, 200, 150, 500, 400, nullptr,
                              nullptr, instance, nullptr);
  ShowWindow(window, SW_SHOW);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}
