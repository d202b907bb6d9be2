// Menus, actions, accelerators and the message loop, forms, layout.
#include "WinTestForm.h"
#include "ui/win/Layout.h"
#include "ui/win/Menus.h"

namespace kip::win::test {
namespace {

std::wstring MenuText(HMENU menu, UINT id) {
  wchar_t text[256] = {};
  GetMenuStringW(menu, id, text, 256, MF_BYCOMMAND);
  return text;
}

TEST(MenuTest, ItemStateCaptionAndDispatch) {
  auto bar = Menu::CreateBar();
  Menu& file = bar->AddSubMenu(L"ファイル(&F)");
  MenuItem& open = file.AddItem(L"開く(&O)");
  file.AddSeparator();
  MenuItem& exit = file.AddItem(L"終了(&X)");
  EXPECT_NE(open.Id(), exit.Id());
  EXPECT_GE(open.Id(), 0x8000u);
  EXPECT_LT(exit.Id(), 0xF000u);

  open.SetShortcutText(L"Ctrl+O");
  EXPECT_EQ(MenuText(file.Handle(), open.Id()), L"開く(&O)\tCtrl+O");
  open.SetCaption(L"読み込み(&O)");
  EXPECT_EQ(MenuText(file.Handle(), open.Id()), L"読み込み(&O)\tCtrl+O");

  EXPECT_FALSE(open.Checked());
  open.SetChecked(true);
  EXPECT_TRUE(open.Checked());
  EXPECT_TRUE(open.Enabled());

  int clicks = 0;
  open.OnClick = [&] { ++clicks; };
  EXPECT_TRUE(MenuItem::DispatchCommand(bar->Handle(), open.Id()));  // found in the submenu
  EXPECT_EQ(clicks, 1);
  open.SetEnabled(false);
  EXPECT_FALSE(open.Enabled());
  EXPECT_TRUE(open.Checked());  // states are independent
  EXPECT_TRUE(MenuItem::DispatchCommand(bar->Handle(), open.Id()));
  EXPECT_EQ(clicks, 1);
  EXPECT_FALSE(MenuItem::DispatchCommand(bar->Handle(), 0x7FFF));
  // Each menu tree numbers its own items.
  EXPECT_EQ(Menu::CreatePopup()->AddItem(L"x").Id(), 0x8000u);
}

TEST_F(WinTest, MenuCommandsReachTheirHandlersThroughTheWindow) {
  auto bar = Menu::CreateBar();
  Menu& edit = bar->AddSubMenu(L"編集");
  MenuItem& copy = edit.AddItem(L"コピー");
  bar->AttachTo(form.Handle());
  int copies = 0, accelerated = 0;
  copy.OnClick = [&] { ++copies; };
  form.OnMenuCommand(42, [&] { ++accelerated; });
  SendMessageW(form.Handle(), WM_COMMAND, MAKEWPARAM(copy.Id(), 0), 0);
  SendMessageW(form.Handle(), WM_COMMAND, MAKEWPARAM(42, 1), 0);
  EXPECT_EQ(copies, 1);
  EXPECT_EQ(accelerated, 1);
  EXPECT_EQ(GetMenu(form.Handle()), bar->Handle());
  // The window keeps the menu bar; its items leave with their Menu.
  const UINT gone = copy.Id();
  bar.reset();
  SendMessageW(form.Handle(), WM_COMMAND, MAKEWPARAM(gone, 0), 0);
  EXPECT_EQ(copies, 1);

  // The client size excludes the menu bar.
  form.SetClientSize(320, 240);
  RECT client{};
  GetClientRect(form.Handle(), &client);
  EXPECT_EQ(client.right, 320);
  EXPECT_EQ(client.bottom, 240);
}

TEST_F(WinTest, ActionKeepsItsMenuItemAndButtonInStep) {
  auto popup = Menu::CreatePopup();
  MenuItem& item = popup->AddItem(L"old");
  Button button;
  button.Create(form, 90, L"old", {0, 0, 80, 24});
  Action commit;
  int runs = 0;
  commit.OnExecute = [&] { ++runs; };
  commit.SetCaption(L"実行(&C)");
  item.SetAction(commit);
  commit.LinkButton(button);
  EXPECT_EQ(item.Caption(), L"実行(&C)");
  EXPECT_EQ(button.Text(), L"実行(&C)");

  commit.SetEnabled(false);
  EXPECT_FALSE(item.Enabled());
  EXPECT_FALSE(IsWindowEnabled(button.Handle()));
  item.Click();
  commit.Execute();
  EXPECT_EQ(runs, 0);

  commit.SetEnabled(true);
  commit.SetChecked(true);
  EXPECT_TRUE(item.Checked());
  EXPECT_TRUE(IsWindowEnabled(button.Handle()));
  item.Click();
  UserClick(button);
  EXPECT_EQ(runs, 2);

  commit.SetCaption(L"新しい名前");
  EXPECT_EQ(MenuText(popup->Handle(), item.Id()), L"新しい名前");
  EXPECT_EQ(button.Text(), L"新しい名前");

  popup.reset();  // the item goes first; the action must forget it
  commit.SetEnabled(false);
  EXPECT_FALSE(IsWindowEnabled(button.Handle()));
}

TEST(AcceleratorsTest, TableIsBuiltAgainAfterAnAddition) {
  Accelerators keys;
  EXPECT_EQ(keys.Handle(), nullptr);
  keys.Add(FCONTROL, 'N', 0x9000);
  HACCEL first = keys.Handle();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(keys.Handle(), first);
  keys.Add(0, VK_F5, 0x9001);
  ACCEL entries[4] = {};
  EXPECT_EQ(CopyAcceleratorTableW(keys.Handle(), entries, 4), 2);
  EXPECT_EQ(entries[1].key, VK_F5);
  EXPECT_EQ(entries[1].fVirt & FVIRTKEY, FVIRTKEY);
}

TEST(MessageLoopTest, AcceleratorRunsItsCommandAndClosingTheMainWindowEndsTheLoop) {
  TestForm main;
  main.SetMainWindow(true);
  Edit edit;
  edit.Create(main, 1, L"", {0, 0, 100, 20});
  const UINT refresh = main.NewCommandId();
  EXPECT_GE(refresh, kFirstWindowCommandId);  // apart from the menus' ids
  Accelerators keys;
  keys.Add(0, VK_F5, refresh);
  main.SetAccelerators(&keys);
  int refreshed = 0, previewed = 0, destroyed = 0;
  main.OnMenuCommand(refresh, [&] {
    ++refreshed;
    main.Close();
  });
  // The form sees keys first and may swallow them.
  main.OnPreviewKey = [&](MSG& msg) {
    if (msg.message != WM_KEYDOWN || msg.wParam != VK_F6) return false;
    ++previewed;
    return true;
  };
  main.OnDestroy = [&] { ++destroyed; };
  PostMessageW(edit.Handle(), WM_KEYDOWN, VK_F6, 1);
  PostMessageW(edit.Handle(), WM_KEYDOWN, VK_F5, 1);
  EXPECT_EQ(RunMessageLoop(), 0);
  EXPECT_EQ(previewed, 1);
  EXPECT_EQ(refreshed, 1);
  EXPECT_EQ(destroyed, 1);
  EXPECT_EQ(main.Handle(), nullptr);
}

TEST(FormTest, CloseQueryDecidesAndDialogsAreOnlyHidden) {
  TestForm dialog;
  dialog.Show();
  bool allow = false;
  int closed = 0;
  dialog.OnCloseQuery = [&] { return allow; };
  dialog.OnClose = [&] { ++closed; };
  dialog.Close();
  EXPECT_TRUE(IsWindowVisible(dialog.Handle()));
  EXPECT_EQ(closed, 0);

  allow = true;
  dialog.Close();
  EXPECT_EQ(closed, 1);
  ASSERT_NE(dialog.Handle(), nullptr);
  EXPECT_TRUE(IsWindow(dialog.Handle()));
  EXPECT_FALSE(IsWindowVisible(dialog.Handle()));

  // A failing close query keeps the window too.
  dialog.Show();
  dialog.OnCloseQuery = []() -> bool { throw std::runtime_error("query failed"); };
  dialog.Close();
  EXPECT_TRUE(IsWindowVisible(dialog.Handle()));
  EXPECT_EQ(closed, 1);
}

TEST(FormTest, ClientSizeAndActivation) {
  TestForm form;
  RECT client{};
  GetClientRect(form.Handle(), &client);
  EXPECT_EQ(client.right, 480);
  EXPECT_EQ(client.bottom, 360);
  EXPECT_EQ(Form::FromHandle(form.Handle()), &form);

  Form dialog;
  dialog.CreateForm(L"KipWinTestDialog", L"dialog", 200, 100, Form::FixedDialogStyle(), WS_EX_CONTROLPARENT,
                    form.Handle());
  GetClientRect(dialog.Handle(), &client);
  EXPECT_EQ(client.right, 200);
  EXPECT_EQ(client.bottom, 100);
  EXPECT_EQ(GetWindow(dialog.Handle(), GW_OWNER), form.Handle());
  int activations = 0;
  dialog.OnActivate = [&] { ++activations; };
  SendMessageW(dialog.Handle(), WM_ACTIVATE, WA_ACTIVE, 0);
  SendMessageW(dialog.Handle(), WM_ACTIVATE, WA_INACTIVE, 0);
  EXPECT_EQ(activations, 1);
  dialog.SetPosition(30, 40);
  EXPECT_EQ(dialog.Position().x, 30);
  EXPECT_EQ(dialog.Position().y, 40);
}

TEST(LayoutTest, DialogUnitsScaleWithTheFont) {
  EXPECT_GT(ScreenDpi(), 0);
  UniqueHFont normal = CreateUiFont(96);
  UniqueHFont large = CreateUiFont(192);
  ASSERT_TRUE(normal);
  ASSERT_TRUE(large);
  DialogUnits small(normal.get()), big(large.get());
  EXPECT_GT(small.X(100), 0);
  EXPECT_GT(small.Y(100), 0);
  EXPECT_GT(big.X(100), small.X(100) * 3 / 2);
  EXPECT_GT(big.Y(100), small.Y(100) * 3 / 2);
  Rect r = small.R(4, 8, 40, 16);
  EXPECT_EQ(r.x, small.X(4));
  EXPECT_EQ(r.height, small.Y(16));
}

}  // namespace
}  // namespace kip::win::test
