// The main window and every dialog at 96, 144 and 192 DPI, rebuilt as a
// move to such a monitor rebuilds them: each caption fits its control and
// no control covers another.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include "MainIds.h"
#include "store/SettingStore.h"
#include "store/StoreKeys.h"
#include "support/FormFixture.h"
#include "ui/UAbout.h"
#include "ui/UDNSEdit.h"
#include "ui/UGWEdit.h"
#include "ui/UIPEdit.h"
#include "ui/ULogin.h"
#include "ui/UNetChg2.h"
#include "ui/UOtherLAN.h"
#include "ui/win/Dpi.h"
#include "ui/win/Menus.h"
#include "util/Text.h"

namespace kip {
namespace {

bool HasStyle(HWND hwnd, LONG_PTR style) { return (GetWindowLongPtrW(hwnd, GWL_STYLE) & style) == style; }
bool IsClass(HWND hwnd, const wchar_t* name) {
  wchar_t actual[64] = {};
  return GetClassNameW(hwnd, actual, 64) && lstrcmpiW(actual, name) == 0;
}
LONG_PTR ButtonType(HWND hwnd) { return GetWindowLongPtrW(hwnd, GWL_STYLE) & BS_TYPEMASK; }
// Frames that hold other controls: they may lie under them.
bool IsFrame(HWND hwnd) { return IsClass(hwnd, WC_TABCONTROLW) || (IsClass(hwnd, L"BUTTON") && ButtonType(hwnd) == BS_GROUPBOX); }

// Room the control leaves its caption: a check box's box, a group box's inset.
int CaptionRoom(HWND hwnd, const RECT& r) {
  int room = r.right - r.left - 4;
  if (!IsClass(hwnd, L"BUTTON")) return room + 4;
  LONG_PTR type = ButtonType(hwnd);
  if (type == BS_GROUPBOX) return room - 12;
  bool pushButton = type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
  return pushButton ? room : room - GetSystemMetrics(SM_CXMENUCHECK);
}

// What a user would see wrong on the window: cut captions, covered controls.
std::vector<std::string> LayoutFaults(HWND parent) {
  std::vector<std::string> faults;
  std::vector<std::pair<HWND, RECT>> shown;
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (!HasStyle(child, WS_VISIBLE)) continue;
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
    std::wstring text = win::Window(child).Text();
    if ((IsClass(child, L"BUTTON") || (IsClass(child, L"STATIC") && !HasStyle(child, SS_ICON))) && !text.empty()) {
      HDC dc = GetDC(child);
      HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0)));
      RECT need{};
      DrawTextW(dc, text.c_str(), -1, &need, DT_CALCRECT);
      SelectObject(dc, old);
      ReleaseDC(child, dc);
      if (need.right > CaptionRoom(child, r) || need.bottom > r.bottom - r.top) faults.push_back("cut: " + ToUtf8(text));
    }
    for (const auto& [other, o] : shown) {
      RECT both{}, outer{};
      bool inside = IntersectRect(&both, &r, &o) && UnionRect(&outer, &r, &o) &&
                    ((IsFrame(other) && EqualRect(&outer, &o)) || (IsFrame(child) && EqualRect(&outer, &r)));
      if (!IsRectEmpty(&both) && !inside) faults.push_back("covered: " + ToUtf8(text) + " / " + ToUtf8(win::Window(other).Text()));
    }
    shown.emplace_back(child, r);
    if (GetWindowLongPtrW(child, GWL_EXSTYLE) & WS_EX_CONTROLPARENT) {
      for (std::string& fault : LayoutFaults(child)) faults.push_back(std::move(fault));
    }
  }
  return faults;
}

class FormDpiTest : public FormTest {
 protected:
  void SetUp() override {
    HWND owner = MakeForm().Handle();
    HFONT font = Form().FormFont();
    ip.Create(owner, font);
    gw.Create(owner, font);
    dns.Create(owner, font);
    login.Create(owner, font);
    netChg.Create(owner, font);
    otherLan.Create(owner, font);
    about.Create(owner, font, L"");
  }
  TFormIPEdit ip;
  TFormGWEdit gw;
  TFormDNSEdit dns;
  TFormLogin login;
  TNetChg2 netChg;
  TFormOtherLAN otherLan;
  TAboutForm about;
};

TEST_F(FormDpiTest, EveryCaptionFitsAndNoControlCoversAnotherAtEachDpi) {
  std::vector<win::Form*> forms{&Form(), &ip, &gw, &dns, &login, &netChg, &otherLan, &about};
  for (int dpi : {144, 192, 96}) {
    for (win::Form* form : forms) {
      form->ChangeDpi(dpi);
      SCOPED_TRACE(ToUtf8(form->Text()) + " at " + std::to_string(dpi) + " DPI");
      EXPECT_EQ(form->Dpi(), dpi);
      EXPECT_EQ(LayoutFaults(form->Handle()), std::vector<std::string>{});
      if (form == &Form()) {
        // Every page, not only the one shown.
        for (int page = 1; page < Form().PageCount(); ++page) {
          Form().ShowPage(page);
          EXPECT_EQ(LayoutFaults(Form().PageWindow(page)), std::vector<std::string>{}) << "page " << page;
        }
        Form().ShowPage(0);
      }
    }
  }
}

// Where the tabs of a tab control show, in screen coordinates.
std::vector<RECT> TabRects(HWND tabs) {
  std::vector<RECT> rects(static_cast<size_t>(TabCtrl_GetItemCount(tabs)));
  for (size_t i = 0; i < rects.size(); ++i) {
    TabCtrl_GetItemRect(tabs, static_cast<int>(i), &rects[i]);
    MapWindowPoints(tabs, nullptr, reinterpret_cast<POINT*>(&rects[i]), 2);
  }
  return rects;
}

// The pages sit below the setting tabs, however many settings there are,
// and every page's own tab shows whole: none hides behind scroll arrows.
TEST_F(FormDpiTest, NoControlCoversASettingTab) {
  HWND settings = GetDlgItem(Form().Handle(), IDC_TabControl1);
  HWND pages = GetDlgItem(Form().Handle(), IDC_PageControl1);
  for (int count : {2, 40}) {
    for (int i = 0; i < count; ++i) {
      const std::wstring key = std::wstring(kStoreRootKey) + L"\\設定の名前 " + std::to_wstring(i);
      SetString(HKEY_LOCAL_MACHINE, key, L"Machine Name", L"PC");
    }
    Form().Editor().Open(ListSettingNames());
    for (int dpi : {144, 192, 96}) {
      SCOPED_TRACE(std::to_string(count) + " settings at " + std::to_string(dpi) + " DPI");
      Form().ChangeDpi(dpi);
      RECT area{}, overlap{};
      GetWindowRect(pages, &area);
      const std::vector<RECT> tabs = TabRects(settings);
      ASSERT_EQ(tabs.size(), static_cast<size_t>(count));
      for (size_t i = 0; i < tabs.size(); ++i) EXPECT_FALSE(IntersectRect(&overlap, &tabs[i], &area)) << "tab " << i;
      for (const RECT& tab : TabRects(pages)) EXPECT_LE(tab.right, area.right - 2);
    }
  }
}

// A dialog made while the main window was on a monitor of another DPI opens
// at the DPI of the monitor it appears on.
TEST_F(FormDpiTest, ADialogOpensAtTheDpiOfItsMonitor) {
  Form().ChangeDpi(win::ScreenDpi() * 2);
  TFormLogin late;
  late.Create(Form().Handle(), Form().FormFont());
  EXPECT_EQ(late.Dpi(), win::ScreenDpi() * 2);
  late.Show();
  EXPECT_EQ(late.Dpi(), win::ScreenDpi());
  RECT made{}, shown{};
  GetClientRect(login.Handle(), &made);
  GetClientRect(late.Handle(), &shown);
  EXPECT_TRUE(EqualRect(&made, &shown));
  late.Hide();
}

// Every form answers the keys like a dialog: Enter presses the default
// button (コピー here) and Escape cancels.
TEST_F(FormDpiTest, EnterAndEscapeEndADialog) {
  bool copied = false;
  otherLan.OnCopy = [&](const std::wstring&, const std::wstring&, const std::wstring&) { return copied = true; };
  for (WPARAM key : {VK_RETURN, VK_ESCAPE}) {
    copied = false;
    otherLan.Show();
    MSG msg{otherLan.Handle(), WM_KEYDOWN, key, 1, 0, {}};
    EXPECT_TRUE(win::PreTranslateUiMessage(msg));
    EXPECT_FALSE(IsWindowVisible(otherLan.Handle()));
    EXPECT_EQ(copied, key == VK_RETURN);
  }
}

}  // namespace
}  // namespace kip
