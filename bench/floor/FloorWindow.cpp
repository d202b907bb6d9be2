// The floor of the start-up benchmark: a window with the same kinds and
// number of controls as the main window (42 buttons, 13 edits, 9 labels,
// 7 pages, 5 list views, 2 tab controls, 2 drop-downs, a status bar), visual
// styles on, and nothing else. Once shown, painted and idle it closes
// itself, as the program does after a command-line run that found nothing
// to do.
#include <windows.h>

#include <commctrl.h>

namespace {

constexpr UINT kCloseWhenIdle = WM_APP + 1;

HWND Child(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y, int w, int h) {
  return CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}

void CreateControls(HWND window) {
  HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  Child(window, WC_COMBOBOXW, L"", CBS_DROPDOWNLIST, 10, 10, 480, 200);
  Child(window, WC_TABCONTROLW, L"", 0, 10, 40, 480, 400);
  HWND pages = Child(window, WC_TABCONTROLW, L"", 0, 20, 70, 460, 360);
  for (int page = 0; page < 7; ++page) {
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    wchar_t caption[] = L"ページ";
    item.pszText = caption;
    SendMessageW(pages, TCM_INSERTITEMW, page, reinterpret_cast<LPARAM>(&item));
    HWND panel = Child(window, L"STATIC", L"", page == 0 ? 0 : 0, 30, 100, 440, 320);
    if (page != 0) ShowWindow(panel, SW_HIDE);
  }
  for (int i = 0; i < 42; ++i) Child(window, L"BUTTON", L"ボタン", BS_PUSHBUTTON, 10 + (i % 6) * 80, 450 + (i / 6) * 4, 70, 20);
  for (int i = 0; i < 13; ++i) Child(window, L"EDIT", L"", WS_BORDER | ES_AUTOHSCROLL, 30 + (i % 4) * 110, 110, 100, 20);
  for (int i = 0; i < 9; ++i) Child(window, L"STATIC", L"ラベル", 0, 30 + i * 45, 140, 40, 16);
  for (int i = 0; i < 5; ++i) {
    HWND list = Child(window, WC_LISTVIEWW, L"", LVS_REPORT | WS_BORDER, 30 + i * 85, 170, 80, 100);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.cx = 70;
    wchar_t title[] = L"アドレス";
    column.pszText = title;
    SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
  }
  Child(window, WC_COMBOBOXW, L"", CBS_DROPDOWNLIST, 30, 280, 200, 200);
  Child(window, STATUSCLASSNAMEW, L"", SBARS_SIZEGRIP, 0, 0, 0, 0);
  for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      CreateControls(window);
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE) PostMessageW(window, kCloseWhenIdle, 0, 0);
      break;
    case kCloseWhenIdle:
      PostMessageW(window, WM_CLOSE, 0, 0);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_TAB_CLASSES};
  InitCommonControlsEx(&controls);
  WNDCLASSW cls{};
  cls.lpfnWndProc = WindowProc;
  cls.hInstance = instance;
  cls.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  cls.lpszClassName = L"KipFloorWindow";
  RegisterClassW(&cls);
  HWND window = CreateWindowExW(0, cls.lpszClassName, L"floor", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                520, 620, nullptr, CreateMenu(), instance, nullptr);
  ShowWindow(window, show);
  // Painted once, as any shown window is (the program paints before its
  // start-up load); a floor that closed before its first paint would count
  // the program's paint against it.
  UpdateWindow(window);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}
