#include "ui/win/Menus.h"

#include <algorithm>

#include "ui/win/Controls.h"
#include "ui/win/Form.h"
#include "util/Errors.h"
#include "util/Process.h"

namespace kip::win {

namespace {

// The item data of a menu entry holds the MenuItem behind it.
void SetItemData(HMENU menu, UINT id, MenuItem* item) {
  MENUITEMINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_DATA;
  info.dwItemData = reinterpret_cast<ULONG_PTR>(item);
  SetMenuItemInfoW(menu, id, FALSE, &info);
}

}  // namespace

// ---------------------------------------------------------------------------
// MenuItem

MenuItem::MenuItem(HMENU menu, UINT id, std::wstring caption) : menu_(menu), id_(id), caption_(std::move(caption)) {
  SetItemData(menu_, id_, this);
}

MenuItem::MenuItem(HMENU menu, UINT position, std::wstring caption, SubMenuEntry)
    : menu_(menu), id_(position), byPosition_(true), caption_(std::move(caption)) {}

MenuItem::~MenuItem() {
  if (byPosition_) return;
  // A menu bar outlives its items while its window lives: its commands
  // must no longer find this one.
  if (IsMenu(menu_)) SetItemData(menu_, id_, nullptr);
  if (action_) action_->UnlinkMenuItem(*this);
}

void MenuItem::SetCaption(std::wstring_view caption) {
  caption_ = caption;
  Redraw();
}

void MenuItem::SetShortcutText(std::wstring_view text) {
  shortcut_ = text;
  Redraw();
}

void MenuItem::Redraw() {
  std::wstring text = caption_;
  if (!shortcut_.empty()) text += L"\t" + shortcut_;
  MENUITEMINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_STRING;
  info.dwTypeData = text.data();
  SetMenuItemInfoW(menu_, id_, byPosition_, &info);
}

void MenuItem::SetEnabled(bool enabled) {
  EnableMenuItem(menu_, id_, Flag() | (enabled ? MF_ENABLED : MF_GRAYED));
}

bool MenuItem::Enabled() const {
  UINT state = GetMenuState(menu_, id_, Flag());
  return state != static_cast<UINT>(-1) && !(state & (MF_GRAYED | MF_DISABLED));
}

void MenuItem::SetChecked(bool checked) {
  CheckMenuItem(menu_, id_, Flag() | (checked ? MF_CHECKED : MF_UNCHECKED));
}

bool MenuItem::Checked() const {
  UINT state = GetMenuState(menu_, id_, Flag());
  return state != static_cast<UINT>(-1) && (state & MF_CHECKED);
}

void MenuItem::SetAction(Action& action) {
  if (action_ == &action) return;
  if (action_) action_->UnlinkMenuItem(*this);
  action_ = &action;
  action.LinkMenuItem(*this);
}

void MenuItem::Click() {
  if (!Enabled()) return;
  if (action_) {
    action_->Execute();
  } else if (OnClick) {
    OnClick();
  }
}

bool MenuItem::DispatchCommand(HMENU menu, UINT id) {
  if (!menu) return false;
  MENUITEMINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_DATA;
  // By command the search goes through the submenus as well.
  if (!GetMenuItemInfoW(menu, id, FALSE, &info) || info.dwItemData == 0) return false;
  reinterpret_cast<MenuItem*>(info.dwItemData)->Click();
  return true;
}

// ---------------------------------------------------------------------------
// Menu

std::unique_ptr<Menu> Menu::CreateBar() {
  UniqueHMenu handle(CreateMenu());
  if (!handle) throw EOSError(GetLastError());
  return std::unique_ptr<Menu>(new Menu(std::move(handle)));
}

std::unique_ptr<Menu> Menu::CreatePopup() {
  UniqueHMenu handle(CreatePopupMenu());
  if (!handle) throw EOSError(GetLastError());
  return std::unique_ptr<Menu>(new Menu(std::move(handle)));
}

Menu::~Menu() {
  // Items first: they unregister their ids while the menu still exists; the
  // handle, when still owned, goes after them.
  items_.clear();
  subMenus_.clear();
}

Menu& Menu::AddSubMenu(std::wstring_view caption) {
  UniqueHMenu sub(CreatePopupMenu());
  if (!sub) throw EOSError(GetLastError());
  std::wstring text(caption);
  if (!AppendMenuW(handle_, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(sub.get()), text.c_str())) {
    throw EOSError(GetLastError());
  }
  auto menu = std::unique_ptr<Menu>(new Menu(std::move(sub)));
  menu->owned_.release();  // destroying this menu destroys the submenu with it
  menu->root_ = root_;
  UINT position = static_cast<UINT>(GetMenuItemCount(handle_) - 1);
  menu->entry_ = std::make_unique<MenuItem>(handle_, position, std::move(text), MenuItem::SubMenuEntry{});
  subMenus_.push_back(std::move(menu));
  return *subMenus_.back();
}

UINT Menu::NewCommandId() {
  if (root_->nextCommandId_ >= kFirstWindowCommandId) throw KipError(L"メニュー項目が多すぎます。");
  return root_->nextCommandId_++;
}

MenuItem& Menu::AddItem(std::wstring_view caption) { return AddItem(caption, NewCommandId()); }

MenuItem& Menu::AddItem(std::wstring_view caption, UINT id) {
  std::wstring text(caption);
  if (!AppendMenuW(handle_, MF_STRING, id, text.c_str())) throw EOSError(GetLastError());
  items_.push_back(std::make_unique<MenuItem>(handle_, id, std::move(text)));
  return *items_.back();
}

void Menu::AddSeparator() { AppendMenuW(handle_, MF_SEPARATOR, 0, nullptr); }

void Menu::AttachTo(HWND window) {
  if (!SetMenu(window, handle_)) throw EOSError(GetLastError());
  DrawMenuBar(window);
  owned_.release();
}

void Menu::Popup(HWND owner, POINT screen) {
  UINT command = static_cast<UINT>(
      TrackPopupMenuEx(handle_, TPM_RETURNCMD | TPM_RIGHTBUTTON, screen.x, screen.y, owner, nullptr));
  if (command != 0) MenuItem::DispatchCommand(handle_, command);
}

// ---------------------------------------------------------------------------
// Accelerators

void Accelerators::Add(BYTE flags, WORD virtualKey, UINT commandId) {
  entries_.push_back(ACCEL{static_cast<BYTE>(flags | FVIRTKEY), virtualKey, static_cast<WORD>(commandId)});
  table_.reset();  // built again on the next Handle()
}

HACCEL Accelerators::Handle() {
  if (!table_ && !entries_.empty()) {
    table_.reset(CreateAcceleratorTableW(entries_.data(), static_cast<int>(entries_.size())));
  }
  return table_.get();
}

// ---------------------------------------------------------------------------
// Action

void Action::SetCaption(std::wstring_view caption) {
  caption_ = caption;
  Update();
}

void Action::SetEnabled(bool enabled) {
  enabled_ = enabled;
  Update();
}

void Action::SetChecked(bool checked) {
  checked_ = checked;
  Update();
}

void Action::LinkMenuItem(MenuItem& item) {
  if (std::find(items_.begin(), items_.end(), &item) == items_.end()) items_.push_back(&item);
  item.SetAction(*this);  // returns at once when already bound here
  Update();
}

void Action::UnlinkMenuItem(MenuItem& item) { items_.erase(std::remove(items_.begin(), items_.end(), &item), items_.end()); }

void Action::LinkButton(Button& button) {
  if (std::find(buttons_.begin(), buttons_.end(), &button) == buttons_.end()) buttons_.push_back(&button);
  button.OnClick = [this] { Execute(); };
  Update();
}

void Action::Update() {
  // An action without a caption leaves its clients' own captions alone.
  for (MenuItem* item : items_) {
    if (!caption_.empty() && item->Caption() != caption_) item->SetCaption(caption_);
    item->SetEnabled(enabled_);
    item->SetChecked(checked_);
  }
  for (Button* button : buttons_) {
    if (!caption_.empty()) button->SetText(caption_);
    if (!hint_.empty()) button->SetHint(hint_);
    button->SetEnabled(enabled_);
  }
}

void Action::Execute() {
  if (enabled_ && OnExecute) OnExecute();
}

// ---------------------------------------------------------------------------
// Message loop

bool PreTranslateUiMessage(MSG& msg) {
  if (!msg.hwnd) return false;
  HWND root = GetAncestor(msg.hwnd, GA_ROOT);
  Form* form = root ? Form::FromHandle(root) : nullptr;
  if (!form) return false;

  if (msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST) form->RelayHintEvent(msg);
  if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST) return false;
  if (form->OnPreviewKey) {
    bool swallow = false;
    form->Guarded([&] { swallow = form->OnPreviewKey(msg); });
    if (swallow) return true;
  }
  Accelerators* shortcuts = form->KeyboardShortcuts();
  HACCEL accelerators = shortcuts ? shortcuts->Handle() : nullptr;
  if (accelerators && TranslateAcceleratorW(root, accelerators, &msg)) return true;
  // Every form of the program is used from the keyboard like a dialog.
  bool handled = false;
  form->Guarded([&] { handled = form->TranslateKey(msg); });
  return handled || IsDialogMessageW(root, &msg) != FALSE;
}

bool PumpPendingMessages() { return ProcessPendingMessages(&PreTranslateUiMessage); }

bool PumpWhile(const std::function<bool()>& busy) {
  while (busy()) {
    if (!PumpPendingMessages()) return false;
    if (!busy()) break;
    // Returns as soon as anything is queued, sent or posted; the queue was
    // just emptied, so this never returns at once without cause.
    MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  }
  return true;
}

int RunMessageLoop() {
  MSG msg{};
  BOOL got;
  while ((got = GetMessageW(&msg, nullptr, 0, 0)) != 0) {
    if (got == -1) break;
    if (PreTranslateUiMessage(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return got == -1 ? -1 : static_cast<int>(msg.wParam);
}

}  // namespace kip::win
