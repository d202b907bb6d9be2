// Buttons, check boxes, radio buttons, group enabling, exception boundary.
#include "WinTestForm.h"

#include <commctrl.h>

#include <stdexcept>

#include "support/FocusLock.h"
#include "ui/win/Menus.h"
#include "util/Errors.h"

namespace kip::win::test {
namespace {

using ButtonsTest = WinTest;

TEST_F(ButtonsTest, CheckBoxRunsOnClickExactlyWhenItsStateChanges) {
  CheckBox box;
  box.Create(form, 101, L"check", {10, 10, 120, 20});
  int clicks = 0;
  box.OnClick = [&] { ++clicks; };

  box.SetChecked(false);  // unchanged
  EXPECT_EQ(clicks, 0);
  box.SetChecked(true);
  EXPECT_TRUE(box.Checked());
  EXPECT_EQ(clicks, 1);
  box.SetChecked(true);  // unchanged
  EXPECT_EQ(clicks, 1);

  // A user's click toggles the box itself (it is not an automatic button)
  // and always runs the handler, which sees the new state.
  bool seen = true;
  box.OnClick = [&] {
    ++clicks;
    seen = box.Checked();
  };
  UserClick(box);
  EXPECT_FALSE(box.Checked());
  EXPECT_FALSE(seen);
  EXPECT_EQ(clicks, 2);
  UserClick(box);
  EXPECT_TRUE(box.Checked());
  EXPECT_EQ(clicks, 3);
}

TEST_F(ButtonsTest, RadioGroupKeepsOneCheckedAndRunsOnlyTheNewlyCheckedHandler) {
  RadioButton a, b, c;
  RadioGroup group;
  a.Create(form, 201, L"a", {10, 10, 80, 20}, true);
  b.Create(form, 202, L"b", {10, 30, 80, 20}, false);
  c.Create(form, 203, L"c", {10, 50, 80, 20}, false);
  group.Add(a);
  group.Add(b);
  group.Add(c);
  int ca = 0, cb = 0, cc = 0;
  a.OnClick = [&] { ++ca; };
  b.OnClick = [&] { ++cb; };
  c.OnClick = [&] { ++cc; };

  a.SetChecked(true);
  b.SetChecked(true);
  EXPECT_FALSE(a.Checked());
  EXPECT_TRUE(b.Checked());
  EXPECT_FALSE(c.Checked());
  EXPECT_EQ(ca, 1);
  EXPECT_EQ(cb, 1);

  UserClick(b);  // already checked: nothing happens
  EXPECT_EQ(cb, 1);
  EXPECT_TRUE(b.Checked());

  UserClick(c);
  EXPECT_TRUE(c.Checked());
  EXPECT_FALSE(b.Checked());
  EXPECT_EQ(cc, 1);
  EXPECT_EQ(cb, 1);

  c.SetChecked(false);  // just unchecks
  EXPECT_FALSE(c.Checked());
  EXPECT_EQ(cc, 1);
  EXPECT_EQ(ca + cb, 2);
}

TEST_F(ButtonsTest, GroupBoxGreysMembersAndKeepsTheirOwnState) {
  GroupBox group;
  Edit edit;
  Button button;
  group.Create(form, 300, L"group", {5, 5, 200, 100});
  edit.Create(form, 301, L"", {10, 20, 100, 20});
  button.Create(form, 302, L"button", {10, 50, 100, 24});
  group.AddMember(edit);
  group.AddMember(button);

  button.SetEnabled(false);
  group.SetEnabled(false);
  EXPECT_FALSE(IsWindowEnabled(edit.Handle()));
  EXPECT_FALSE(IsWindowEnabled(group.Handle()));
  EXPECT_TRUE(edit.Enabled());  // own state kept

  group.SetEnabled(true);
  EXPECT_TRUE(IsWindowEnabled(edit.Handle()));
  EXPECT_FALSE(IsWindowEnabled(button.Handle()));  // disabled on its own
  EXPECT_FALSE(button.Enabled());

  // Enabling a member while its group is greyed takes effect later.
  group.SetEnabled(false);
  button.SetEnabled(true);
  EXPECT_FALSE(IsWindowEnabled(button.Handle()));
  group.SetEnabled(true);
  EXPECT_TRUE(IsWindowEnabled(button.Handle()));
}

TEST_F(ButtonsTest, PanelAndGroupBoxTogether) {
  Panel page;
  page.Create(form.Handle(), {0, 0, 300, 200});
  GroupBox group;
  Edit member, loose;
  group.Create(page, 1, L"group", {5, 5, 200, 100});
  member.Create(page, 2, L"", {10, 20, 100, 20});
  loose.Create(page, 3, L"", {10, 120, 100, 20});
  group.AddMember(member);

  group.SetEnabled(false);
  page.SetEnabled(false);
  EXPECT_FALSE(IsWindowEnabled(member.Handle()));
  EXPECT_FALSE(IsWindowEnabled(loose.Handle()));
  page.SetEnabled(true);
  // The page's state must not override the disabled group of the member.
  EXPECT_FALSE(IsWindowEnabled(member.Handle()));
  EXPECT_TRUE(IsWindowEnabled(loose.Handle()));
  group.SetEnabled(true);
  EXPECT_TRUE(IsWindowEnabled(member.Handle()));

  // A control created on a greyed page starts greyed.
  page.SetEnabled(false);
  Edit late;
  late.Create(page, 4, L"", {10, 150, 100, 20});
  EXPECT_FALSE(IsWindowEnabled(late.Handle()));
  EXPECT_TRUE(late.Enabled());
}

TEST_F(ButtonsTest, ButtonClickFromCodeOnlyWhenEnabled) {
  Button button;
  button.Create(form, 400, L"go", {10, 10, 80, 24});
  int clicks = 0;
  button.OnClick = [&] { ++clicks; };
  button.Click();
  UserClick(button);
  EXPECT_EQ(clicks, 2);
  button.SetEnabled(false);
  button.Click();
  EXPECT_EQ(clicks, 2);
}

class ExceptionHookTest : public WinTest {
 protected:
  void SetUp() override {
    form.SetExceptionHook([this](const std::wstring& text) { reported.push_back(text); });
  }
  std::vector<std::wstring> reported;
};

TEST_F(ExceptionHookTest, HandlerExceptionsReachTheHookAndTheWindowGoesOn) {
  Button button;
  button.Create(form, 500, L"fail", {10, 10, 80, 24});
  int clicks = 0;
  button.OnClick = [&] {
    ++clicks;
    if (clicks == 1) throw KipError(L"ネットワークエラー");
    if (clicks == 2) throw std::runtime_error("\xE3\x81\x82 utf-8");  // "あ"
    throw 42;
  };
  UserClick(button);
  UserClick(button);
  UserClick(button);
  ASSERT_EQ(reported.size(), 3u);
  EXPECT_EQ(reported[0], L"ネットワークエラー");
  EXPECT_EQ(reported[1], L"あ utf-8");
  EXPECT_FALSE(reported[2].empty());
  EXPECT_TRUE(IsWindow(form.Handle()));
  EXPECT_TRUE(IsWindow(button.Handle()));

  form.Guarded([] { throw KipError(L"timer"); });
  EXPECT_EQ(reported.back(), L"timer");
  // A dialog without a hook of its own reports to the form that owns it.
  Form dialog;
  dialog.CreateForm(L"KipWinTestDialog", L"dialog", 100, 50, Form::FixedDialogStyle(), WS_EX_CONTROLPARENT,
                    form.Handle());
  dialog.Guarded([] { throw KipError(L"dialog"); });
  EXPECT_EQ(reported.back(), L"dialog");
}

TEST_F(ExceptionHookTest, FailingHookDoesNotEscape) {
  form.SetExceptionHook([](const std::wstring&) { throw std::runtime_error("hook broken"); });
  Button button;
  button.Create(form, 501, L"fail", {10, 10, 80, 24});
  button.OnClick = [] { throw KipError(L"x"); };
  UserClick(button);  // must simply return
  EXPECT_TRUE(IsWindow(button.Handle()));
}

TEST_F(ButtonsTest, ContextMenuKeyOpensAtTheControlsCentre) {
  Edit edit;
  edit.Create(form, 600, L"", {10, 10, 100, 20});
  POINT seen{-5, -5};
  int calls = 0;
  edit.OnContextMenu = [&](POINT pt) {
    ++calls;
    seen = pt;
  };
  RECT rc{};
  GetWindowRect(edit.Handle(), &rc);
  SendMessageW(form.Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(edit.Handle()), -1);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(seen.x, (rc.left + rc.right) / 2);
  EXPECT_EQ(seen.y, (rc.top + rc.bottom) / 2);

  SendMessageW(form.Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(edit.Handle()), MAKELPARAM(30, 40));
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(seen.x, 30);
  EXPECT_EQ(seen.y, 40);
}

TEST_F(ButtonsTest, ControlsTakeTheFormFontAlsoOnPanels) {
  UniqueHFont font(CreateFontW(-15, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma"));
  form.SetFormFont(font.get());
  Panel panel;
  panel.Create(form.Handle(), {0, 0, 200, 100});
  Label onForm, onPanel;
  onForm.Create(form, 1, L"a", {0, 120, 50, 20});
  onPanel.Create(panel, 2, L"b", {0, 0, 50, 20});
  EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(onForm.Handle(), WM_GETFONT, 0, 0)), font.get());
  EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(onPanel.Handle(), WM_GETFONT, 0, 0)), font.get());
}

TEST_F(ButtonsTest, ControlDestroyedBeforeItsContainerOrAfter) {
  {
    Edit edit;
    edit.Create(form, 700, L"", {0, 0, 50, 20});
    EXPECT_TRUE(IsWindow(edit.Handle()));
  }
  EXPECT_EQ(GetDlgItem(form.Handle(), 700), nullptr);  // the window went with it

  auto edit = std::make_unique<Edit>();
  {
    Panel panel;
    panel.Create(form.Handle(), {0, 0, 100, 100});
    edit->Create(panel, 701, L"", {0, 0, 50, 20});
  }
  EXPECT_EQ(edit->Handle(), nullptr);  // its window died with the panel
  edit.reset();  // and the wrapper must not touch the dead panel
}

}  // namespace
}  // namespace kip::win::test

namespace kip::win::test {
namespace {

int ToolCount(const Form& form) {
  return form.ToolTip() ? static_cast<int>(SendMessageW(form.ToolTip(), TTM_GETTOOLCOUNT, 0, 0)) : 0;
}

TEST_F(ButtonsTest, HintsAreShownByTheFormsToolTip) {
  Panel panel;
  panel.Create(form.Handle(), {0, 0, 200, 100});
  Memo memo;
  memo.Create(panel, 1, {0, 0, 100, 50});
  memo.SetHint(L"右クリックでメニューが出ます");
  int before = ToolCount(form);
  {
    Label label;
    label.Create(form, 2, L"x", {0, 120, 50, 20});
    EXPECT_EQ(ToolCount(form), before + 1);
  }
  EXPECT_EQ(ToolCount(form), before);
  ASSERT_NE(form.ToolTip(), nullptr);

  // The tool-tip asks the form for the text when it is about to show it.
  TOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  ASSERT_TRUE(SendMessageW(form.ToolTip(), TTM_ENUMTOOLSW, static_cast<WPARAM>(before - 1),
                           reinterpret_cast<LPARAM>(&tool)));
  ASSERT_EQ(reinterpret_cast<HWND>(tool.uId), memo.Handle());
  NMTTDISPINFOW info{};
  info.hdr.hwndFrom = form.ToolTip();
  info.hdr.code = TTN_GETDISPINFOW;
  info.lParam = tool.lParam;
  SendMessageW(form.Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
  ASSERT_NE(info.lpszText, nullptr);
  EXPECT_STREQ(info.lpszText, L"右クリックでメニューが出ます");
}

// The controls are not subclassed for their hints: the tool-tip learns of
// the mouse only through the loop's pre-translation.
TEST_F(ButtonsTest, AMouseMoveSeenByTheLoopShowsTheControlsHint) {
  kip::test::FocusLock focusLock;  // the pointer is shared like the focus
  Button button;
  button.Create(form, 3, L"b", {10, 10, 80, 24});
  button.SetHint(L"LANカードの設定を書き込みます");
  HWND tip = form.ToolTip();
  ASSERT_NE(tip, nullptr);
  SendMessageW(tip, TTM_SETDELAYTIME, TTDT_INITIAL, 0);
  // The tool-tip shows only while the pointer is really over the control.
  SetWindowPos(form.Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  POINT at{5, 5};
  ClientToScreen(button.Handle(), &at);
  SetCursorPos(at.x, at.y);
  DispatchPending();

  MSG move{button.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5), GetTickCount(), at};
  EXPECT_FALSE(PreTranslateUiMessage(move));  // relayed, and still dispatched
  const ULONGLONG deadline = GetTickCount64() + 5000;
  while (!IsWindowVisible(tip) && GetTickCount64() < deadline) {
    MsgWaitForMultipleObjectsEx(0, nullptr, 100, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    DispatchPending();
  }
  ASSERT_TRUE(IsWindowVisible(tip));
  wchar_t text[64] = {};
  SendMessageW(tip, WM_GETTEXT, 64, reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ(text, L"LANカードの設定を書き込みます");
}

}  // namespace
}  // namespace kip::win::test

namespace kip::win::test {
namespace {

TEST_F(ButtonsTest, EnterPressesTheFocusedButtonOrTheDefaultOne) {
  kip::test::FocusLock focusLock;
  Button ok, cancel;
  Edit edit;
  ok.Create(form, IDOK, L"OK", {10, 10, 80, 24}, true);
  cancel.Create(form, IDCANCEL, L"キャンセル", {100, 10, 80, 24});
  edit.Create(form, 3, L"", {10, 40, 100, 20});
  int oks = 0, cancels = 0;
  ok.OnClick = [&] { ++oks; };
  cancel.OnClick = [&] { ++cancels; };
  form.Show();
  SetForegroundWindow(form.Handle());
  auto enter = [] {
    MSG msg{GetFocus(), WM_KEYDOWN, VK_RETURN, 1, 0, {}};
    EXPECT_TRUE(PreTranslateUiMessage(msg));
  };
  cancel.Focus();
  enter();
  EXPECT_EQ(cancels, 1);
  EXPECT_EQ(oks, 0);
  edit.Focus();
  enter();
  EXPECT_EQ(oks, 1);
  EXPECT_EQ(cancels, 1);
}

}  // namespace
}  // namespace kip::win::test
