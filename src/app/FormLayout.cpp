// Controls, captions, menus and layout of the main window. Positions are in
// dialog units of the window font, so the window scales with the font and
// the screen's DPI.
#include "app/UkIpConfig.h"

#include <commctrl.h>

#include <algorithm>

#include "MainIds.h"

namespace kip {

namespace {

// Client size of the window at creation, in dialog units.
constexpr int kClientWidthDlu = 340;
constexpr int kClientHeightDlu = 330;
// Margin around the frame controls.
constexpr int kMargin = 7;
// Width of the group boxes and full-width rows on a page.
constexpr int kPageWidth = 302;
// Height a page needs: its lowest controls end at 210.
constexpr int kPageHeight = 216;
// Rows of setting tabs the window grows for; more settings than fit in them
// scroll in one row.
constexpr int kMaxTabRows = 3;

const wchar_t* const kLabelDomainText =
    L"※ドメインで使用している場合、ネットワークID設定を変更すると\n"
    L"ドメインに参加できなくなることがあります。\n"
    L"ドメインを管理しているシステム管理者と相談してから設定してください.";

// An address list with its three buttons on the right, inside a group box.
struct AddressListParts {
  win::GroupBox& group;
  win::Grid& grid;
  win::Button& add;
  win::Button& edit;
  win::Button& del;
};

struct AddressListIds {
  int group, grid, add, edit, del;
};

void CreateAddressList(win::Panel& page, const win::DialogUnits& du, AddressListParts parts,
                       AddressListIds ids, std::wstring_view caption, const StringList& titles, int top,
                       int height) {
  parts.group.Create(page, ids.group, caption, du.R(6, top, kPageWidth, height));
  parts.grid.Create(page, ids.grid, du.R(14, top + 12, 222, height - 19), titles);
  parts.add.Create(page, ids.add, L"追加(&A)", du.R(244, top + 12, 56, 14));
  parts.edit.Create(page, ids.edit, L"編集(&E)", du.R(244, top + 30, 56, 14));
  parts.del.Create(page, ids.del, L"削除(&D)", du.R(244, top + 48, 56, 14));
  for (win::Window* member : {static_cast<win::Window*>(&parts.grid), static_cast<win::Window*>(&parts.add),
                              static_cast<win::Window*>(&parts.edit), static_cast<win::Window*>(&parts.del)}) {
    parts.group.AddMember(*member);
  }
}

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
  TabSheetIP = &PageControl1.AddPage(L"IP 設定");
  TabSheetDNS = &PageControl1.AddPage(L"DNS");
  TabSheetEtc = &PageControl1.AddPage(L"その他");
  TabSheetIE = &PageControl1.AddPage(L"IE設定");
  TabSheetDomain = &PageControl1.AddPage(L"Domainほか");
  TabSheetBat = &PageControl1.AddPage(L"バッチ処理");
  TabSheetFireWall = &PageControl1.AddPage(L"ファイアウォール");
  TabSheetIPv6 = &PageControl1.AddPage(L"IPv6");
  Ipv6PageView.OnEdit = [this] { Modified = true; };
  PageControl1.OnChange = [this] { BuildIpv6PageWhenShown(); };
  CreatePageIP(du);
  CreatePageDNS(du);
  CreatePageEtc(du);
  CreatePageIE(du);
  CreatePageDomain(du);
  CreatePageBat(du);
  CreatePageFireWall(du);

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
  Relayout();
}

void TFormIpconfig::CreatePageIP(const win::DialogUnits& du) {
  win::Panel& page = *TabSheetIP;
  CheckBoxIP.Create(page, IDX_CheckBoxIP, L"IP アドレスを自動で取得する", du.R(8, 6, 200, 10));
  CreateAddressList(page, du, {GroupBoxIP, StringIP, ButtonIPAdd, ButtonIPEdit, ButtonIPDel},
                    {IDG_GroupBoxIP, IDL_StringIP, IDB_ButtonIPAdd, IDB_ButtonIPEdit, IDB_ButtonIPDel},
                    L"IP アドレス", {L"IP アドレス", L"サブネット マスク"}, 20, 86);
  CreateAddressList(page, du, {GroupBoxGW, StringGateway, ButtonGWAdd, ButtonGWEdit, ButtonGWDel},
                    {IDG_GroupBoxGW, IDL_StringGateway, IDB_ButtonGWAdd, IDB_ButtonGWEdit, IDB_ButtonGWDel},
                    L"デフォルト ゲートウェイ", {L"ゲートウェイ", L"メトリック"}, 110, 86);
}

void TFormIpconfig::CreatePageDNS(const win::DialogUnits& du) {
  win::Panel& page = *TabSheetDNS;
  CheckDNS.Create(page, IDX_CheckDNS, L"次のDNSサーバーを自動で取得する", du.R(8, 6, 200, 10));
  CreateAddressList(page, du, {GroupDNS, StringDNS, ButtonDNSAdd, ButtonDNSEdit, ButtonDNSDel},
                    {IDG_GroupDNS, IDL_StringDNS, IDB_ButtonDNSAdd, IDB_ButtonDNSEdit, IDB_ButtonDNSDel},
                    L"DNS サーバー", {L"DNS サーバーアドレス"}, 20, 70);
  UseDNSSuffix.Create(page, IDR_UseDNSSuffix, L"プライマリおよび接続専用のDNSサフィックスを追加する",
                      du.R(8, 96, 290, 10), true);
  UseDomainNameDevolution.Create(page, IDX_UseDomainNameDevolution,
                                 L"プライマリDNSサフィックスの親サフックスを追加する", du.R(20, 108, 278, 10));
  UseDNSSuffix2.Create(page, IDR_UseDNSSuffix2, L"以下のDNSサフィックスを順に追加する", du.R(8, 120, 290, 10),
                       false);
  SearchList.Create(page, IDE_SearchList, du.R(20, 132, 288, 30));
  // The arrow keys move between the two choices and the option between them.
  SearchList.StartGroup();
  suffixRadios_.Add(UseDNSSuffix);
  suffixRadios_.Add(UseDNSSuffix2);
  LabelDNSSuf.Create(page, IDT_LabelDNSSuf, L"この接続の DNS サフィックス", du.R(8, 170, 122, 8));
  EditDomain.Create(page, IDE_EditDomain, L"", du.R(132, 168, 176, 12));
  RegistrationEnabled.Create(page, IDX_RegistrationEnabled, L"この接続のアドレスをDNSに登録する",
                             du.R(8, 184, 290, 10));
  RegisterAdapterName.Create(page, IDX_RegisterAdapterName, L"この接続の DNS サフィックスを DNS 登録に使う",
                             du.R(20, 196, 278, 10));
}

void TFormIpconfig::CreatePageEtc(const win::DialogUnits& du) {
  win::Panel& page = *TabSheetEtc;
  CreateAddressList(page, du, {GroupWINS, StringWINS, ButtonWINSADD, ButtonWINSEDIT, ButtonWINSDEL},
                    {IDG_GroupWINS, IDL_StringWINS, IDB_ButtonWINSADD, IDB_ButtonWINSEDIT, IDB_ButtonWINSDEL},
                    L"WINS サーバー", {L"WINS サーバーアドレス"}, 6, 86);
  GroupBox1.Create(page, IDG_GroupBox1, L"HOSTS ファイル", du.R(6, 98, kPageWidth, 34));
  EditHosts.Create(page, IDE_EditHosts, L"", du.R(14, 113, 222, 12));
  EditHosts.DisableImeInput();
  ButtonBrows.Create(page, IDB_ButtonBrows, L"参照(&B)", du.R(244, 112, 56, 14));
  GroupBox1.AddMember(EditHosts);
  GroupBox1.AddMember(ButtonBrows);
  GroupBox4.Create(page, IDG_GroupBox4, L"通常使うプリンタの設定", du.R(6, 138, kPageWidth, 34));
  ComboPrinter.Create(page, IDC_ComboPrinter, du.R(14, 153, 286, 120));
  GroupBox4.AddMember(ComboPrinter);
}

void TFormIpconfig::CreatePageIE(const win::DialogUnits& du) {
  win::Panel& page = *TabSheetIE;
  CheckUseProxy.Create(page, IDX_CheckUseProxy, L"Proxy サーバーを変更する場合チェックしてください.",
                       du.R(8, 6, 290, 10));
  CheckUseProxy.SetHint(L"Proxy サーバーを変更する場合チェックしてください");
  GroupBoxProxy.Create(page, IDG_GroupBoxProxy, L"プロキシサーバー設定ほか", du.R(6, 20, kPageWidth, 150));
  LabelProxyAdd.Create(page, IDT_LabelProxyAdd, L"アドレス", du.R(14, 36, 34, 8));
  EditProxyServer.Create(page, IDE_EditProxyServer, L"", du.R(50, 34, 150, 12));
  LabelProxyPort.Create(page, IDT_LabelProxyPort, L"ポート", du.R(208, 36, 26, 8));
  EditProxyPort.Create(page, IDE_EditProxyPort, L"", du.R(236, 34, 64, 12));
  ProxyLocalAddress.Create(page, IDX_ProxyLocalAddress, L"ローカルアドレスにはプロキシサーバーを使用しない",
                           du.R(14, 52, 284, 10));
  ProxyLocalURL.Create(page, IDE_ProxyLocalURL, L"", du.R(26, 64, 274, 12));
  ProxyLocalURL.SetEnabled(false);
  ProxyMore.Create(page, IDX_ProxyMore, L"詳細設定を使う", du.R(14, 84, 120, 10));
  ButtonGetProxy.Create(page, IDB_ButtonGetProxy, L"詳細設定を取り込む", du.R(210, 82, 90, 14));
  LabelDNSSaff.Create(page, IDT_LabelDNSSaff, L"自動構成スクリプト(使用しないときは空白にしてください)",
                      du.R(14, 104, 286, 8));
  ProxyAutoConfigURL.Create(page, IDE_ProxyAutoConfigURL, L"", du.R(14, 114, 286, 12));
  LabelHomePage.Create(page, IDT_LabelHomePage, L"ホームページ", du.R(14, 134, 286, 8));
  EditHomePage.Create(page, IDE_EditHomePage, L"", du.R(14, 144, 286, 12));
  for (win::Window* member :
       std::initializer_list<win::Window*>{&LabelProxyAdd, &EditProxyServer, &LabelProxyPort, &EditProxyPort,
                                           &ProxyLocalAddress, &ProxyLocalURL, &ProxyMore, &ButtonGetProxy}) {
    GroupBoxProxy.AddMember(*member);
  }
}

void TFormIpconfig::CreatePageDomain(const win::DialogUnits& du) {
  win::Panel& page = *TabSheetDomain;
  GroupBoxNetID.Create(page, IDG_GroupBoxNetID, L"ネットワーク ID", du.R(6, 6, kPageWidth, 128));
  LabelCompName.Create(page, IDT_LabelCompName, L"コンピュータ名", du.R(14, 22, 64, 8));
  EditHostName.Create(page, IDE_EditHostName, L"", du.R(80, 20, 150, 12));
  CheckChangeDomain.Create(page, IDX_CheckChangeDomain, L"ドメイン、ワークグループを切り替える",
                           du.R(14, 40, 280, 10));
  RadioDomain.Create(page, IDR_RadioDomain, L"ドメイン", du.R(26, 56, 70, 10), true);
  EditDomainServer.Create(page, IDE_EditDomainServer, L"", du.R(100, 54, 150, 12));
  RadioWorkGroup.Create(page, IDR_RadioWorkGroup, L"ワークグループ", du.R(26, 72, 70, 10), false);
  EditWorkGroup.Create(page, IDE_EditWorkGroup, L"", du.R(100, 70, 150, 12));
  domainRadios_.Add(RadioDomain);
  domainRadios_.Add(RadioWorkGroup);
  LabelDomain.Create(page, IDT_LabelDomain, kLabelDomainText, du.R(14, 94, 286, 30));
  LabelDomain.StartGroup();
  // IP forwarding is stored and committed with a setting but not offered on
  // the window.
  IPRouter.Create(page, IDX_IPRouter, L"IP 転送を行う", du.R(14, 146, 120, 10));
  IPRouter.SetVisible(false);
}

void TFormIpconfig::CreatePageBat(const win::DialogUnits& du) {
  win::Panel& page = *TabSheetBat;
  MemoBefore.Create(page, IDE_MemoBefore, du.R(6, 6, kPageWidth, 94));
  MemoBefore.SetHint(L"右クリックでメニューが出ます");
  LabelBat.Create(page, IDT_LabelBat, L"[↑]切替え前　[↓]切替え後", du.R(6, 104, kPageWidth, 8), SS_CENTER);
  MemoAfter.Create(page, IDE_MemoAfter, du.R(6, 116, kPageWidth, 94));
  MemoAfter.SetHint(L"右クリックでメニューが出ます");
}

void TFormIpconfig::CreatePageFireWall(const win::DialogUnits& du) {
  win::Panel& page = *TabSheetFireWall;
  CheckFWUse.Create(page, IDX_CheckFWUse, L"ファイアウォール切り替え機能を使用する", du.R(8, 6, 290, 10));
  RadioFWTrue.Create(page, IDR_RadioFWTrue, L"有効", du.R(20, 20, 60, 10), true);
  RadioFWFalse.Create(page, IDR_RadioFWFalse, L"無効", du.R(84, 20, 60, 10), false);
  firewallRadios_.Add(RadioFWTrue);
  firewallRadios_.Add(RadioFWFalse);
  FWDoNotAllowExceptions.Create(page, IDX_FWDoNotAllowExceptions, L"例外を許可しない", du.R(20, 34, 200, 10));
  FWDoNotAllowExceptions.StartGroup();
  LabelFWReigai.Create(page, IDT_LabelFWReigai, L"例外", du.R(8, 50, 100, 8));
  CheckListFW.Create(page, IDL_CheckListFW, du.R(8, 60, 300, 150));
}

void TFormIpconfig::CreateActions() {
  ActionCommit.SetCaption(L"設定反映");
  ActionCommit.SetHint(L"LANカードの設定を書き込みます");
  ActionExit.SetCaption(L"終了");
  ActionDelCard.SetCaption(L"未使用のLANカードを表示しない");
  // The card list has no filter: this entry exists but is never enabled.
  ActionDelCard.SetEnabled(false);
  ActionExport.SetCaption(L"設定のエクスポート");
  ActionExport.SetHint(L"ファイルに設定を保存します");
  ActionImport.SetCaption(L"設定をインポート");
  ActionImport.SetHint(L"ファイルから設定を読み込みます");
  ActionCopyOtherLAN.SetCaption(L"他のLANカード設定をコピーする");
  ActionUndoOtherLAN.SetCaption(L"LANカード設定のコピーを取り消す");
  ActionShortCut.SetCaption(L"ショートカットを作る");
  ActionCommit.LinkButton(ButtonCommit);
  ActionExit.LinkButton(ButtonExit);
  ButtonCommit.SetHint(ActionCommit.Hint());
  ActionExit.OnExecute = [this] { Close(); };
  ActionCommit.OnExecute = [this] { ActionCommitExecute(); };
  ActionShortCut.OnExecute = [this] { ActionShortCutExecute(); };
  ActionExport.OnExecute = [this] { ActionExportExecute(); };
  ActionImport.OnExecute = [this] { ActionImportExecute(); };
  ActionCopyOtherLAN.OnExecute = [this] { ActionCopyOtherLANExecute(); };
  ActionUndoOtherLAN.OnExecute = [this] { ActionUndoOtherLANExecute(); };
  // Offered only while an undo snapshot exists (known after the start-up load).
  ActionUndoOtherLAN.SetEnabled(false);
}

void TFormIpconfig::CreateMenus() {
  menuBar_ = win::Menu::CreateBar();
  win::Menu& file = menuBar_->AddSubMenu(L"ファイル(&F)");
  fileMenu_ = &file;
  mFile = file.Entry();
  mNew = &file.AddItem(L"新規作成", IDM_mNew);
  mNew->SetShortcutText(L"Ctrl+N");
  mSave = &file.AddItem(L"上書き保存", IDM_mSave);
  mSave->SetShortcutText(L"Ctrl+S");
  mSaveAs = &file.AddItem(L"設定をコピーする", IDM_mSaveAs);
  mRename = &file.AddItem(L"名前を変更", IDM_mRename);
  mDelete = &file.AddItem(L"削除(&D)", IDM_mDelete);
  file.AddSeparator();
  mCommit = &AddActionItem(file, ActionCommit);
  mSafeCommit = &file.AddItem(L"確認付きで反映", IDM_mSafeCommit);
  mShortCut = &AddActionItem(file, ActionShortCut);
  file.AddSeparator();
  mExport = &AddActionItem(file, ActionExport);
  mImport = &AddActionItem(file, ActionImport);
  file.AddSeparator();
  mExit = &AddActionItem(file, ActionExit);

  win::Menu& edit = menuBar_->AddSubMenu(L"編集(&E)");
  mEdit = edit.Entry();
  mEditHOSTS = &edit.AddItem(L"HOSTSファイルの編集...");
  edit.AddSeparator();
  mCopyOtherLAN = &AddActionItem(edit, ActionCopyOtherLAN);
  mUndoOtherLAN = &AddActionItem(edit, ActionUndoOtherLAN);
  mDelLan = &AddActionItem(edit, ActionDelCard);
  edit.AddSeparator();
  mShowExitWin = &edit.AddItem(L"終了ウィンドウを表示");
  mOSCheck = &edit.AddItem(L"OSのバージョンをチェックしない");
  mShowTray = &edit.AddItem(L"通知領域に表示する");
  // Safe switching (app/FormSafeSwitch.cpp).
  edit.AddSeparator();
  mPreviewFirst = &edit.AddItem(L"反映前に確認する", IDM_mPreviewFirst);
  mReturnSeconds = &edit.AddItem(L"元に戻すまでの時間...", IDM_mReturnSeconds);

  win::Menu& help = menuBar_->AddSubMenu(L"ヘルプ(&H)");
  mHelp1 = help.Entry();
  mHelp = &help.AddItem(L"ヘルプ表示...");
  About1 = &help.AddItem(L"バージョン情報(&A)...");
  menuBar_->AttachTo(Handle());

  tabPopup_ = win::Menu::CreatePopup();
  popNew = &tabPopup_->AddItem(L"新規作成");
  popSave = &tabPopup_->AddItem(L"上書き保存");
  popSaveAs = &tabPopup_->AddItem(L"設定をコピーする");
  popRename = &tabPopup_->AddItem(L"名前を変更");
  popDelete = &tabPopup_->AddItem(L"削除(&D)");

  batchPopup_ = win::Menu::CreatePopup();
  mFileName = &batchPopup_->AddItem(L"参照...");
  mNetAddDrive = &batchPopup_->AddItem(L"ネットワークドライブの割り当て");
  mSetRoute = &batchPopup_->AddItem(L"ルート設定");
  mIpConfig = &batchPopup_->AddItem(L"IPアドレスの表示");
  mPause = &batchPopup_->AddItem(L"ポーズ");

  accelerators_.Add(FCONTROL, 'N', mNew->Id());
  accelerators_.Add(FCONTROL, 'S', mSave->Id());
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
    UINT id = win::MenuItem::NewCommandId();
    accelerators_.Add(key.flags, key.key, id);
    OnMenuCommand(id, key.run);
  }
}

void TFormIpconfig::WireHandlers() {
  CheckBoxIP.OnClick = [this] { CheckBoxIPClick(); };
  CheckDNS.OnClick = [this] { CheckDNSClick(); };
  RegistrationEnabled.OnClick = [this] { RegistrationEnabledClick(); };
  ComboDescription.OnChange = [this] { ComboDescriptionChange(); };
  TabControl1.OnChanging = [this] { return TabControl1Changing(); };
  TabControl1.OnChange = [this] { TabControl1Change(); };
  TabControl1.OnItemsChanged = [this] { Relayout(); };
  ComboPrinter.OnChange = [this] { ComboPrinterChange(); };
  for (win::MenuItem* item : {mNew, popNew}) item->OnClick = [this] { NewSetting(); };
  for (win::MenuItem* item : {mSave, popSave}) item->OnClick = [this] { mSaveClick(); };
  for (win::MenuItem* item : {mSaveAs, popSaveAs}) item->OnClick = [this] { CopySettingAs(); };
  for (win::MenuItem* item : {mRename, popRename}) item->OnClick = [this] { RenameSetting(); };
  for (win::MenuItem* item : {mDelete, popDelete}) item->OnClick = [this] { DeleteSetting(); };
  WireEditorHandlers();
  WireFirewallHandlers();
  WireDomainHandlers();
  WireSafeSwitchHandlers();
  About1->OnClick = [this] { About1Click(); };
  mHelp->OnClick = [this] { mHelpClick(); };
  WireEditReactions();
  mOSCheck->OnClick = [this] { mOSCheckClick(); };
  mShowExitWin->OnClick = [this] { mShowExitWin->SetChecked(!mShowExitWin->Checked()); };
  mShowTray->OnClick = [this] { mShowTrayClick(); };
  TabControl1.OnContextMenu = [this](POINT at) { tabPopup_->Popup(Handle(), at); };
  MemoBefore.OnContextMenu = [this](POINT at) { batchPopup_->Popup(Handle(), at); };
  MemoAfter.OnContextMenu = [this](POINT at) { batchPopup_->Popup(Handle(), at); };
  OnCloseQuery = [this] { return FormCloseQuery(); };
  OnClose = [this] { FormClose(); };
  OnDestroy = [this] { FormDestroy(); };
  OnResize = [this](int width, int height) { LayoutFrame(width, height); };
  OnDpiChanged = [this] { Relayout(); };
  MinimumClientSize = [this] { return LeastClientSize(); };
}

// The editors of the pages: address lists, proxy, DNS options, memos.
void TFormIpconfig::WireEditorHandlers() {
  struct ListButtons {
    win::Grid& grid;
    win::Button& add;
    win::Button& edit;
    win::Button& del;
    void (TFormIpconfig::*onAdd)();
    void (TFormIpconfig::*onEdit)();
    void (TFormIpconfig::*onDel)();
  };
  for (const ListButtons& list : {
           ListButtons{StringIP, ButtonIPAdd, ButtonIPEdit, ButtonIPDel, &TFormIpconfig::ButtonIPAddClick,
                       &TFormIpconfig::ButtonIPEditClick, &TFormIpconfig::ButtonIPDelClick},
           ListButtons{StringGateway, ButtonGWAdd, ButtonGWEdit, ButtonGWDel, &TFormIpconfig::ButtonGWAddClick,
                       &TFormIpconfig::ButtonGWEditClick, &TFormIpconfig::ButtonGWDelClick},
           ListButtons{StringDNS, ButtonDNSAdd, ButtonDNSEdit, ButtonDNSDel, &TFormIpconfig::ButtonDNSAddClick,
                       &TFormIpconfig::ButtonDNSEditClick, &TFormIpconfig::ButtonDNSDelClick},
           ListButtons{StringWINS, ButtonWINSADD, ButtonWINSEDIT, ButtonWINSDEL, &TFormIpconfig::ButtonWINSADDClick,
                       &TFormIpconfig::ButtonWINSEDITClick, &TFormIpconfig::ButtonWINSDELClick}}) {
    list.add.OnClick = [this, f = list.onAdd] { (this->*f)(); };
    list.edit.OnClick = [this, f = list.onEdit] { (this->*f)(); };
    list.del.OnClick = [this, f = list.onDel] { (this->*f)(); };
    // The keys of a focused grid do what its buttons do, when they may.
    list.grid.OnInsertKey = [&button = list.add] { button.Click(); };
    list.grid.OnEnterKey = [&button = list.edit] { button.Click(); };
    list.grid.OnDeleteKey = [&button = list.del] { button.Click(); };
  }
  CheckUseProxy.OnClick = [this] { CheckUseProxyClick(); };
  ProxyMore.OnClick = [this] { CheckUseProxyClick(); };
  EditProxyServer.OnExit = [this] { CheckUseProxyClick(); };
  ButtonGetProxy.OnClick = [this] { ButtonGetProxyClick(); };
  for (win::Window* choice : std::initializer_list<win::Window*>{&UseDNSSuffix, &UseDNSSuffix2}) {
    static_cast<win::RadioButton*>(choice)->OnClick = [this] { UseDNSSuffixClick(); };
  }
  UseDomainNameDevolution.OnClick = [this] { UseDNSSuffixClick(); };
  mFileName->OnClick = [this] { mFileNameClick(); };
  win::MenuItem* lineItems[] = {mNetAddDrive, mSetRoute, mIpConfig, mPause};
  for (int i = 0; i < 4; ++i) lineItems[i]->OnClick = [this, i] { AppendBatchLine(i + 1); };
  ButtonBrows.OnClick = [this] { ButtonBrowsClick(); };
  mEditHOSTS->OnClick = [this] { mEditHOSTSClick(); };
  // The pages start as the rules have them for an empty setting.
  CheckUseProxyClick();
  UseDNSSuffixClick();
}

// Every edit of a setting's field marks the window as holding unsaved
// changes (the automatic configuration address is not a stored edit).
void TFormIpconfig::WireEditReactions() {
  auto modified = [this] { Modified = true; };
  for (win::Edit* edit : {&EditHosts, &EditProxyServer, &EditProxyPort, &ProxyLocalURL, &EditHomePage, &EditHostName,
                          &EditDomainServer, &EditWorkGroup, &EditDomain, static_cast<win::Edit*>(&MemoBefore),
                          static_cast<win::Edit*>(&MemoAfter), static_cast<win::Edit*>(&SearchList)}) {
    edit->OnChange = modified;
  }
  ProxyLocalAddress.OnClick = modified;
  RegisterAdapterName.OnClick = modified;
  StringIP.OnClick = modified;
}

// Every setting's name shows, in rows of tabs, as long as they take a few
// rows; a long list of settings scrolls in one row instead of pushing the
// page off the screen.
void TFormIpconfig::Relayout() {
  RECT client{};
  GetClientRect(Handle(), &client);
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
