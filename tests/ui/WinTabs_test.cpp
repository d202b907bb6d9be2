// Tab strip, page control and status bar.
#include "WinTestForm.h"

#include <commctrl.h>

#include <string>
#include <vector>

#include "ui/win/Window.h"
#include "ui/win/WindowProcHook.h"
#include "util/Errors.h"


namespace kip::win::test {
namespace {

class TabStripTest : public WinTest {
 protected:
  void SetUp() override {
    tabs.Create(form, 60, {0, 0, 300, 30});
    tabs.SetTabs({L"自宅", L"会社", L"DHCP"});
    tabs.OnChange = [this] { ++changes; };
  }
  TabStrip tabs;
  int changes = 0;
};

TEST_F(TabStripTest, TabsFromCodeRunNoEvent) {
  EXPECT_EQ(tabs.Tab(1), L"会社");
  EXPECT_EQ(tabs.Tab(3), L"");
  tabs.SetTabIndex(2);
  EXPECT_EQ(tabs.TabIndex(), 2);
  EXPECT_EQ(changes, 0);
}

// SetTabs changes the strip's style while it fills it: afterwards the tabs
// are as wide as their captions again, and the layout is told once.
TEST_F(TabStripTest, SetTabsReplacesEveryTabAtOnceAndMeasuresThemAgain) {
  int itemsChanged = 0;
  tabs.OnItemsChanged = [&] { ++itemsChanged; };
  const LONG_PTR style = GetWindowLongPtrW(tabs.Handle(), GWL_STYLE);
  tabs.SetTabs({L"A", L"設定の名前がとても長いタブ", L"B"});
  EXPECT_EQ(itemsChanged, 1);
  ASSERT_EQ(tabs.Count(), 3);
  EXPECT_EQ(tabs.Tab(0), L"A");
  EXPECT_EQ(tabs.Tab(1), L"設定の名前がとても長いタブ");
  EXPECT_EQ(tabs.Tab(2), L"B");
  EXPECT_EQ(GetWindowLongPtrW(tabs.Handle(), GWL_STYLE), style);
  RECT shortTab{}, longTab{};
  SendMessageW(tabs.Handle(), TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&shortTab));
  SendMessageW(tabs.Handle(), TCM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&longTab));
  EXPECT_GT(longTab.right - longTab.left, shortTab.right - shortTab.left);
  EXPECT_EQ(changes, 0);
}

// Ctrl+PageDown and Ctrl+PageUp: round, and as a click on the tab would.
TEST_F(TabStripTest, SelectNextGoesRoundAsTheUsersChoice) {
  tabs.SetTabIndex(2);
  tabs.SelectNext(true);
  EXPECT_EQ(tabs.TabIndex(), 0);
  tabs.SelectNext(false);
  EXPECT_EQ(tabs.TabIndex(), 2);
  EXPECT_EQ(changes, 2);
  ClickTab(tabs.Handle(), 1);  // a click still works after that
  EXPECT_EQ(tabs.TabIndex(), 1);
}

TEST_F(TabStripTest, RightClickOpensTheContextMenuOnceAndKeepsTheTab) {
  tabs.SetTabIndex(0);
  int menus = 0;
  tabs.OnContextMenu = [&](POINT) { ++menus; };
  ClickTab(tabs.Handle(), 1, true);
  DispatchPending();
  EXPECT_EQ(menus, 1);
  EXPECT_EQ(tabs.TabIndex(), 0);
}

class PageControlTest : public WinTest {
 protected:
  void SetUp() override {
    pages.Create(form, 70, {10, 10, 400, 300});
    for (const wchar_t* name : {L"IP 設定", L"DNS", L"その他"}) pages.AddPage(name);
    pages.OnChange = [this] { ++changes; };
  }
  int VisiblePage() {
    int shown = -1, count = 0;
    for (int i = 0; i < pages.PageCount(); ++i) {
      if (pages.Page(i).Visible()) {
        shown = i;
        ++count;
      }
    }
    return count == 1 ? shown : -100 - count;
  }
  PageControl pages;
  int changes = 0;
};

TEST_F(PageControlTest, ShowsExactlyTheActivePage) {
  EXPECT_EQ(pages.PageCount(), 3);
  EXPECT_EQ(pages.ActivePageIndex(), 0);
  EXPECT_EQ(VisiblePage(), 0);

  pages.SetActivePageIndex(2);
  EXPECT_EQ(VisiblePage(), 2);
  pages.SetActivePageIndex(3);  // ignored
  pages.SetActivePageIndex(-1);
  EXPECT_EQ(pages.ActivePageIndex(), 2);
  EXPECT_EQ(VisiblePage(), 2);
  EXPECT_EQ(changes, 0);
}

TEST_F(PageControlTest, TabChosenFromOutsideSwitchesThePage) {
  SendMessageW(pages.Handle(), TCM_SETCURFOCUS, 1, 0);
  EXPECT_EQ(pages.ActivePageIndex(), 1);
  EXPECT_EQ(VisiblePage(), 1);
  EXPECT_EQ(changes, 1);

  ClickTab(pages.Handle(), 0);  // a click on a tab still works after that
  EXPECT_EQ(pages.ActivePageIndex(), 0);
  EXPECT_EQ(VisiblePage(), 0);
  EXPECT_EQ(changes, 2);
}

TEST_F(PageControlTest, PagesCoverTheDisplayAreaAndFollowTheControl) {
  Rect area = pages.PageArea();
  EXPECT_EQ(area.x, 0);
  EXPECT_GT(area.width, 300);
  EXPECT_LT(area.width, 400);
  EXPECT_GT(area.height, 200);
  Rect page = pages.Page(0).Bounds();
  EXPECT_EQ(page.width, area.width);
  EXPECT_GT(page.y, 10 + 10);  // below the tabs

  pages.SetBounds({0, 0, 300, 250});
  EXPECT_EQ(pages.Page(2).Bounds().width, pages.PageArea().width);
  EXPECT_LT(pages.Page(2).Bounds().width, 300);

  // Controls on a page report to the page and work as anywhere else.
  Button button;
  button.Create(pages.Page(1), 1, L"追加(&A)", {5, 5, 80, 24});
  int clicks = 0;
  button.OnClick = [&] { ++clicks; };
  UserClick(button);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(GetParent(button.Handle()), pages.Page(1).Handle());
  EXPECT_THROW(pages.Page(3), std::out_of_range);
}

// A hook procedure that raises hands its error to the exception hook, as
// every window procedure does; nothing escapes into the control's caller.
TEST_F(WinTest, AHookThatRaisesReportsItsErrorAndReturns) {
  std::vector<std::wstring> reported;
  form.SetExceptionHook([&](const std::wstring& text) { reported.push_back(text); });
  HWND edit = CreateWindowExW(0, L"EDIT", L"", WS_CHILD, 0, 0, 50, 20, form.Handle(), nullptr, nullptr, nullptr);
  WindowProcHook hook;
  hook.Attach(edit, [](const WindowProcHook& self, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
    if (message == WM_APP) throw KipError(L"フックの失敗");
    return self.CallOriginal(hwnd, message, wParam, lParam);
  });
  EXPECT_EQ(SendMessageW(edit, WM_APP, 0, 0), 0);
  EXPECT_EQ(reported, std::vector<std::wstring>{L"フックの失敗"});
  DestroyWindow(edit);
}

TEST_F(WinTest, StatusBarTextIsAlsoItsHint) {
  StatusBar status;
  status.Create(form, 80);
  status.SetStatus(L"接続できません");
  EXPECT_EQ(status.Status(), L"接続できません");
  EXPECT_EQ(status.Hint(), L"接続できません");
  status.SetStatus(L"");
  EXPECT_EQ(status.Status(), L"");
  EXPECT_GT(status.Height(), 0);

  // It stays at the bottom of the form when the form is resized.
  form.SetClientSize(500, 400);
  RECT client{};
  GetClientRect(form.Handle(), &client);
  Rect bar = status.Bounds();
  EXPECT_EQ(bar.y + bar.height, client.bottom);
  EXPECT_EQ(bar.width, client.right);
}

}  // namespace
}  // namespace kip::win::test
