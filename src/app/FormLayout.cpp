// Controls, captions, menus and layout of the main window. Positions are in
// dialog units of the window font, so the window scales with the font and
// the screen's DPI.
#include "app/UkIpConfig.h"

#include <commctrl.h>

#include <algorithm>

#include "MainIds.h"
#include "app/pages/PageMetrics.h"

namespace kip {

namespace {

// Client size of the window at creation, in dialog units.
constexpr int kClientWidthDlu = 352;
constexpr int kClientHeightDlu = 330;
// Margin around the frame controls.
constexpr int kMargin = 7;
// Height a page needs: its lowest controls end at 210.
constexpr int kPageHeight = 216;
// Rows of setting tabs the window grows for; more settings than fit in them
// scroll in one row.
constexpr int kMaxTabRows = 3;
// Room left and right of a page tab's caption, and above and below it.
constexpr int kPageTabPaddingX = 2;
constexpr int kPageTabPaddingY = 2;

// A menu entry that takes its caption, state and command from an action.
win::MenuItem& AddActionItem(win::Menu& menu, win::Action& action) {
  win::MenuItem& item = menu.AddItem(action.Caption());
  item.SetAction(action);
  return item;
}

}  // namespace

void TFormIpconfig::CreateControls() {
  font_ = win::CreateUiFont(win::ScreenDpi());
  SetFormFont(font_.get());
  win::DialogUnits du(font_.get());

  CreateForm(L"TFormIpconfig", kApplicationTitle, du.X(kClientWidthDlu), du.Y(kClientHeightDlu),
             WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN);
  SetIcon(LoadIconW(GetModuleHandleW(nullptr), L"MAINICON"));

  ComboDescription.Create(*this, IDC_ComboDescription, du.R(kMargin, kMargin, 326, 120));
  TabControl1.Create(*this, IDC_TabControl1, du.R(kMargin, 24, 326, 240));
  PageControl1.Create(*this, IDC_PageControl1, du.R(kMargin + 4, 40, 318, 220));
  // The pages build their controls when first shown (app/FormPages.cpp).
  for (const wchar_t* caption : {L"IP 設定", L"DNS", L"その他", L"IE設定", L"Domainほか", L"バッチ処理"}) {
    PageControl1.AddPage(caption);
  }
  TabSheetFireWall = &PageControl1.AddPage(L"ファイアウォール");
  TabSheetIPv6 = &PageControl1.AddPage(L"IPv6");
  PageControl1.AddPage(L"自動切替");

  ButtonCommit.Create(*this, IDB_ButtonCommit, L"設定反映", du.R(220, 308, 56, 14));
  ButtonExit.Create(*this, IDB_ButtonExit, L"終了", du.R(282, 308, 56, 14));
  StatusBar1.Create(*this, IDC_StatusBar1);

  // The setting tab strip frames the page control: keep it below every
  // other control so that it never paints over the pages. The keyboard
  // still visits the two tab strips in the order they are laid out: the
  // settings below the card list, then the pages, then a page's controls.
  SetWindowPos(TabControl1.Handle(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  MoveInTabOrder(TabControl1, ComboDescription);
  MoveInTabOrder(PageControl1, TabControl1);

  CreateActions();
  CreateMenus();
  WireHandlers();
  WirePages();
  Relayout();
}

void TFormIpconfig::CreateActions() {
  actions_.commit.SetCaption(L"設定反映");
  actions_.commit.SetHint(L"LANカードの設定を書き込みます");
  actions_.exit.SetCaption(L"終了");
  actions_.delCard.SetCaption(L"未使用のLANカードを表示しない");
  // The card list has no filter: this entry exists but is never enabled.
  actions_.delCard.SetEnabled(false);
  actions_.exportSnapshot.SetCaption(L"設定のエクスポート");
  actions_.exportSnapshot.SetHint(L"ファイルに設定を保存します");
  actions_.importSnapshot.SetCaption(L"設定をインポート");
  actions_.importSnapshot.SetHint(L"ファイルから設定を読み込みます");
  actions_.copyOtherLan.SetCaption(L"他のLANカード設定をコピーする");
  actions_.undoOtherLan.SetCaption(L"LANカード設定のコピーを取り消す");
  actions_.shortCut.SetCaption(L"ショートカットを作る");
  actions_.commit.LinkButton(ButtonCommit);
  actions_.exit.LinkButton(ButtonExit);
  ButtonCommit.SetHint(actions_.commit.Hint());
  actions_.exit.OnExecute = [this] { Close(); };
  actions_.commit.OnExecute = [this] { ActionCommitExecute(); };
  actions_.shortCut.OnExecute = [this] { ActionShortCutExecute(); };
  actions_.exportSnapshot.OnExecute = [this] { ActionExportExecute(); };
  actions_.importSnapshot.OnExecute = [this] { ActionImportExecute(); };
  actions_.copyOtherLan.OnExecute = [this] { ActionCopyOtherLANExecute(); };
  actions_.undoOtherLan.OnExecute = [this] { ActionUndoOtherLANExecute(); };
  // Offered only while an undo snapshot exists (known after the start-up load).
  actions_.undoOtherLan.SetEnabled(false);
}

void TFormIpconfig::CreateMenus() {
  menus_.bar = win::Menu::CreateBar();
  win::Menu& file = menus_.bar->AddSubMenu(L"ファイル(&F)");
  menus_.mFile = file.Entry();
  menus_.mNew = &file.AddItem(L"新規作成", IDM_mNew);
  menus_.mNew->SetShortcutText(L"Ctrl+N");
  menus_.mSave = &file.AddItem(L"上書き保存", IDM_mSave);
  menus_.mSave->SetShortcutText(L"Ctrl+S");
  menus_.mSaveAs = &file.AddItem(L"設定をコピーする", IDM_mSaveAs);
  menus_.mRename = &file.AddItem(L"名前を変更", IDM_mRename);
  menus_.mDelete = &file.AddItem(L"削除(&D)", IDM_mDelete);
  file.AddSeparator();
  AddActionItem(file, actions_.commit);
  menus_.mSafeCommit = &file.AddItem(L"確認付きで反映", IDM_mSafeCommit);
  AddActionItem(file, actions_.shortCut);
  file.AddSeparator();
  AddActionItem(file, actions_.exportSnapshot);
  AddActionItem(file, actions_.importSnapshot);
  file.AddSeparator();
  AddActionItem(file, actions_.exit);

  win::Menu& edit = menus_.bar->AddSubMenu(L"編集(&E)");
  menus_.mEditHOSTS = &edit.AddItem(L"HOSTSファイルの編集...");
  edit.AddSeparator();
  AddActionItem(edit, actions_.copyOtherLan);
  menus_.mUndoOtherLAN = &AddActionItem(edit, actions_.undoOtherLan);
  AddActionItem(edit, actions_.delCard);
  edit.AddSeparator();
  menus_.mShowExitWin = &edit.AddItem(L"終了ウィンドウを表示");
  menus_.mOSCheck = &edit.AddItem(L"OSのバージョンをチェックしない");
  menus_.mShowTray = &edit.AddItem(L"通知領域に表示する");
  // Safe switching (app/FormSafeSwitch.cpp).
  edit.AddSeparator();
  menus_.mPreviewFirst = &edit.AddItem(L"反映前に確認する", IDM_mPreviewFirst);
  menus_.mReturnSeconds = &edit.AddItem(L"元に戻すまでの時間...", IDM_mReturnSeconds);

  win::Menu& help = menus_.bar->AddSubMenu(L"ヘルプ(&H)");
  menus_.mHelp = &help.AddItem(L"ヘルプ表示...");
  menus_.About1 = &help.AddItem(L"バージョン情報(&A)...");
  menus_.bar->AttachTo(Handle());

  menus_.tabPopup = win::Menu::CreatePopup();
  menus_.popNew = &menus_.tabPopup->AddItem(L"新規作成");
  menus_.popSave = &menus_.tabPopup->AddItem(L"上書き保存");
  menus_.popSaveAs = &menus_.tabPopup->AddItem(L"設定をコピーする");
  menus_.popRename = &menus_.tabPopup->AddItem(L"名前を変更");
  menus_.popDelete = &menus_.tabPopup->AddItem(L"削除(&D)");

  menus_.batchPopup = win::Menu::CreatePopup();
  menus_.batchPopup->AddItem(L"参照...").OnClick = [this] { mFileNameClick(); };
  // The other items append their lines (BatchMemoItem order).
  int line = 1;
  for (const wchar_t* caption : {L"ネットワークドライブの割り当て", L"ルート設定", L"IPアドレスの表示", L"ポーズ"}) {
    menus_.batchPopup->AddItem(caption).OnClick = [this, item = line++] { AppendBatchLine(item); };
  }

  SetAccelerators(&menus_.accelerators);
  menus_.accelerators.Add(FCONTROL, 'N', menus_.mNew->Id());
  menus_.accelerators.Add(FCONTROL, 'S', menus_.mSave->Id());
  // Keys without a menu entry: Ctrl+Tab and Ctrl+Shift+Tab through the
  // pages, Ctrl+PageDown and Ctrl+PageUp through the setting tabs.
  const struct {
    BYTE flags;
    WORD key;
    std::function<void()> run;
  } keys[] = {
      {FCONTROL, VK_TAB, [this] { PageControl1.SelectNext(true); }},
      {FCONTROL | FSHIFT, VK_TAB, [this] { PageControl1.SelectNext(false); }},
      {FCONTROL, VK_NEXT, [this] { TabControl1.SelectNext(true); }},
      {FCONTROL, VK_PRIOR, [this] { TabControl1.SelectNext(false); }},
  };
  for (const auto& key : keys) {
    UINT id = NewCommandId();
    menus_.accelerators.Add(key.flags, key.key, id);
    OnMenuCommand(id, key.run);
  }
}

void TFormIpconfig::WireHandlers() {
  ComboDescription.OnChange = [this] { editor_.SelectCard(ComboDescription.ItemIndex()); };
  TabControl1.OnChange = [this] { editor_.SelectSetting(TabControl1.TabIndex()); };
  TabControl1.OnItemsChanged = [this] { Relayout(); };
  for (win::MenuItem* item : {menus_.mNew, menus_.popNew}) item->OnClick = [this] { editor_.New(); };
  for (win::MenuItem* item : {menus_.mSave, menus_.popSave}) item->OnClick = [this] { editor_.Save(); };
  for (win::MenuItem* item : {menus_.mSaveAs, menus_.popSaveAs}) item->OnClick = [this] { editor_.CopyAs(); };
  for (win::MenuItem* item : {menus_.mRename, menus_.popRename}) item->OnClick = [this] { editor_.Rename(); };
  for (win::MenuItem* item : {menus_.mDelete, menus_.popDelete}) item->OnClick = [this] { editor_.Delete(); };
  menus_.mEditHOSTS->OnClick = [this] { mEditHOSTSClick(); };
  WireSafeSwitchHandlers();
  menus_.About1->OnClick = [this] { About1Click(); };
  menus_.mHelp->OnClick = [this] { mHelpClick(); };
  // The options are the frame's; their menu entries show them.
  auto toggle = [](bool& option, win::MenuItem* item) {
    option = !option;
    item->SetChecked(option);
  };
  menus_.mOSCheck->OnClick = [this, toggle] { toggle(options_.osCheck, menus_.mOSCheck); };
  menus_.mShowExitWin->OnClick = [this, toggle] { toggle(options_.showExitWindow, menus_.mShowExitWin); };
  menus_.mShowTray->OnClick = [this, toggle] {
    toggle(options_.showTray, menus_.mShowTray);
    tray_.SetWanted(options_.showTray);
  };
  TabControl1.OnContextMenu = [this](POINT at) { menus_.tabPopup->Popup(Handle(), at); };
  OnActivate = [this] { OnActivated(); };
  OnCloseQuery = [this] { return FormCloseQuery(); };
  OnClose = [this] { FormClose(); };
  OnResize = [this](int width, int height) { LayoutFrame(width, height); };
  OnDpiChanged = [this] { Relayout(); };
  MinimumClientSize = [this] { return LeastClientSize(); };
}

// Every setting's name shows, in rows of tabs, as long as they take a few
// rows; a long list of settings scrolls in one row instead of pushing the
// page off the screen.
void TFormIpconfig::Relayout() {
  RECT client{};
  GetClientRect(Handle(), &client);
  // Nine page tabs fit in one row only with less room around their
  // captions than the control's default: none may hide behind scroll arrows.
  // The control measures its tabs with a new padding only when its font is
  // set, which a change of DPI does before this.
  win::DialogUnits du(FormFont());
  HWND pages = PageControl1.Handle();
  SendMessageW(pages, TCM_SETPADDING, 0, MAKELPARAM(du.X(kPageTabPaddingX), du.Y(kPageTabPaddingY)));
  SendMessageW(pages, WM_SETFONT, SendMessageW(pages, WM_GETFONT, 0, 0), FALSE);
  TabControl1.SetMultiLine(true);
  LayoutFrame(client.right, client.bottom);
  if (TabControl1.RowCount() > kMaxTabRows) {
    TabControl1.SetMultiLine(false);
    LayoutFrame(client.right, client.bottom);
  }
  // More rows of tabs than the window has room for: it grows, so that a
  // whole page still shows below them.
  SIZE least = LeastClientSize();
  if (client.bottom < least.cy && !IsMaximized() && !IsIconic(Handle())) SetClientSize(client.right, least.cy);
}

// Keeps the frame controls attached to the window's edges; the page contents
// keep their places. The pages sit in the display area of the setting tabs,
// below however many rows of tabs there are.
void TFormIpconfig::LayoutFrame(int clientWidth, int clientHeight) {
  if (!StatusBar1.Handle()) return;
  win::DialogUnits du(FormFont());
  SendMessageW(StatusBar1.Handle(), WM_SIZE, 0, 0);
  int statusHeight = StatusBar1.Height();
  int margin = du.X(kMargin);
  int buttonHeight = du.Y(14);
  int buttonWidth = du.X(56);
  int buttonTop = clientHeight - statusHeight - du.Y(6) - buttonHeight;
  int innerWidth = std::max(clientWidth - 2 * margin, du.X(200));

  ComboDescription.SetBounds({margin, du.Y(kMargin), innerWidth, du.Y(120)});
  int tabTop = du.Y(24);
  int tabHeight = std::max(buttonTop - du.Y(6) - tabTop, du.Y(100));
  TabControl1.SetBounds({margin, tabTop, innerWidth, tabHeight});

  RECT display{margin, tabTop, margin + innerWidth, tabTop + tabHeight};
  TabCtrl_AdjustRect(TabControl1.Handle(), FALSE, &display);
  int inset = du.X(2);
  PageControl1.SetBounds({display.left + inset, display.top + inset, display.right - display.left - 2 * inset,
                          display.bottom - display.top - 2 * inset});

  ButtonExit.SetBounds({clientWidth - margin - buttonWidth, buttonTop, buttonWidth, buttonHeight});
  ButtonCommit.SetBounds({clientWidth - margin - 2 * buttonWidth - du.X(6), buttonTop, buttonWidth, buttonHeight});
}

// The least client area that shows a whole page (the window's minimum).
SIZE TFormIpconfig::LeastClientSize() const {
  if (!StatusBar1.Handle()) return {0, 0};
  win::DialogUnits du(FormFont());
  RECT client{};
  GetClientRect(Handle(), &client);
  // The card list, the rows of tabs, the buttons and the status bar keep
  // their heights whatever the window's: only the page area changes.
  int around = client.bottom - PageControl1.PageArea().height;
  return {du.X(kClientWidthDlu), around + du.Y(kPageHeight)};
}

}  // namespace kip
