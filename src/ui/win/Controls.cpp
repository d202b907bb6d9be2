#include "ui/win/Controls.h"

#include <commctrl.h>
#include <imm.h>

#include <algorithm>

#include "ui/win/Form.h"
#include "ui/win/Layout.h"
#include "util/Errors.h"

namespace kip::win {

namespace {

Form* RootForm(HWND hwnd) { return hwnd ? Form::FromHandle(GetAncestor(hwnd, GA_ROOT)) : nullptr; }

}  // namespace

// ---------------------------------------------------------------------------
// Control

Control::~Control() {
  if (container_) container_->Unregister(*this);
  container_ = nullptr;
  if (hwnd_ && IsWindow(hwnd_)) {
    if (Form* form = RootForm(hwnd_)) form->RemoveHintTool(*this);
    DestroyWindow(hwnd_);
  }
  hwnd_ = nullptr;
}

void Control::ContextMenuAt(POINT screen) {
  if (OnContextMenu) OnContextMenu(screen);
}

void Control::CreateChild(Container& parent, const wchar_t* className, std::wstring_view text, DWORD style,
                          DWORD exStyle, int id, const Rect& r) {
  std::wstring caption(text);
  HWND hwnd = CreateWindowExW(exStyle, className, caption.c_str(), WS_CHILD | WS_VISIBLE | style, r.x, r.y,
                              r.width, r.height, parent.Handle(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                              GetModuleHandleW(nullptr), nullptr);
  if (!hwnd) throw EOSError(GetLastError());
  hwnd_ = hwnd;
  // Every control takes the font of the form it sits on.
  if (HWND root = GetAncestor(parent.Handle(), GA_ROOT)) {
    if (auto font = reinterpret_cast<HFONT>(SendMessageW(root, WM_GETFONT, 0, 0))) SetFont(font);
  }
  container_ = &parent;
  parent.Register(*this);
  if (Form* form = RootForm(hwnd_)) form->AddHintTool(*this);
  // A control created on a greyed panel starts greyed.
  SetParentEnabled(parent.EffectiveEnabled());
}

// ---------------------------------------------------------------------------
// Label, GroupBox, Button

void Label::Create(Container& parent, int id, std::wstring_view caption, const Rect& r, DWORD align) {
  // SS_NOTIFY: a label takes the mouse, so that its hint shows.
  CreateChild(parent, L"STATIC", caption, align | SS_NOTIFY, 0, id, r);
}

void GroupBox::Create(Container& parent, int id, std::wstring_view caption, const Rect& r) {
  CreateChild(parent, L"BUTTON", caption, BS_GROUPBOX, 0, id, r);
}

void GroupBox::AddMember(Window& member) {
  if (std::find(members_.begin(), members_.end(), &member) == members_.end()) members_.push_back(&member);
  member.SetEnableParent(this);
  member.SetParentEnabled(EffectiveEnabled());
}

void GroupBox::ApplyEnabled() {
  Window::ApplyEnabled();
  bool effective = EffectiveEnabled();
  for (Window* member : members_) member->SetParentEnabled(effective);
}

void Button::Create(Container& parent, int id, std::wstring_view caption, const Rect& r, bool isDefault) {
  CreateChild(parent, L"BUTTON", caption, WS_TABSTOP | (isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON), 0, id, r);
}

void Button::Click() {
  if (EffectiveEnabled() && OnClick) OnClick();
}

bool Button::OnCommand(WORD code) {
  if (code != BN_CLICKED) return false;
  if (OnClick) OnClick();
  return true;
}

// ---------------------------------------------------------------------------
// CheckBox, RadioButton: plain (not automatic) buttons, so that the wrapper
// alone decides the state and runs OnClick exactly when it changes.

void CheckBox::Create(Container& parent, int id, std::wstring_view caption, const Rect& r) {
  CreateChild(parent, L"BUTTON", caption, WS_TABSTOP | BS_CHECKBOX, 0, id, r);
}

bool CheckBox::Checked() const { return Send(hwnd_, BM_GETCHECK) == BST_CHECKED; }

void CheckBox::SetChecked(bool checked) {
  if (Checked() == checked) return;
  Send(hwnd_, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED);
  if (OnClick) OnClick();
}

bool CheckBox::OnCommand(WORD code) {
  if (code != BN_CLICKED) return false;
  SetChecked(!Checked());
  return true;
}

void RadioButton::Create(Container& parent, int id, std::wstring_view caption, const Rect& r, bool firstOfGroup) {
  CreateChild(parent, L"BUTTON", caption, BS_RADIOBUTTON | (firstOfGroup ? WS_GROUP | WS_TABSTOP : 0), 0, id, r);
}

bool RadioButton::Checked() const { return Send(hwnd_, BM_GETCHECK) == BST_CHECKED; }

void RadioButton::SetChecked(bool checked) {
  if (Checked() == checked) return;
  if (!checked) {
    Send(hwnd_, BM_SETCHECK, BST_UNCHECKED);
    return;
  }
  if (group_) {
    for (RadioButton* other : *group_) {
      if (other != this) Send(other->Handle(), BM_SETCHECK, BST_UNCHECKED);
    }
  }
  Send(hwnd_, BM_SETCHECK, BST_CHECKED);
  if (OnClick) OnClick();
}

bool RadioButton::OnCommand(WORD code) {
  if (code != BN_CLICKED) return false;
  SetChecked(true);
  return true;
}

void RadioGroup::Add(RadioButton& button) {
  if (std::find(buttons_.begin(), buttons_.end(), &button) == buttons_.end()) buttons_.push_back(&button);
  button.JoinGroup(&buttons_);
}

// ---------------------------------------------------------------------------
// Edit, Memo

void Edit::Create(Container& parent, int id, std::wstring_view text, const Rect& r, DWORD extraStyle) {
  CreateChild(parent, L"EDIT", text, WS_TABSTOP | ES_AUTOHSCROLL | extraStyle, WS_EX_CLIENTEDGE, id, r);
}

void Edit::SetMaxLength(int characters) { Send(hwnd_, EM_SETLIMITTEXT, static_cast<WPARAM>(std::max(characters, 0))); }

void Edit::SetReadOnly(bool readOnly) { Send(hwnd_, EM_SETREADONLY, readOnly ? TRUE : FALSE); }

void Edit::DisableImeInput() {
  if (hwnd_) ImmAssociateContextEx(hwnd_, nullptr, 0);
}

bool Edit::OnCommand(WORD code) {
  if (code == EN_KILLFOCUS) {
    if (OnExit) OnExit();
    return true;
  }
  if (code != EN_CHANGE) return false;
  if (OnChange) OnChange();
  return true;
}

namespace {

// A multi-line edit asks the dialog navigation for every key and answers
// Escape by sending WM_CLOSE to its parent, which would close the main
// window or a dialog without its close query. Leaving Escape to the
// navigation makes it the form's cancel key, as in a one-line edit.
// An edit also shows its own menu for a right click or the menu key; a memo
// with a menu of its own hands that to its container instead.
LRESULT MemoHook(const WindowProcHook& hook, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CONTEXTMENU && static_cast<const Memo*>(hook.Data())->OnContextMenu) {
    return SendMessageW(GetParent(hwnd), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd), lParam);
  }
  LRESULT result = hook.CallOriginal(hwnd, message, wParam, lParam);
  if (message != WM_GETDLGCODE) return result;
  auto* msg = reinterpret_cast<const MSG*>(lParam);
  if (msg && msg->message == WM_KEYDOWN && msg->wParam == VK_ESCAPE) result &= ~(DLGC_WANTALLKEYS | DLGC_WANTMESSAGE);
  return result;
}

}  // namespace

void Memo::Create(Container& parent, int id, const Rect& r) {
  Edit::Create(parent, id, L"", r,
               ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL | WS_HSCROLL | ES_WANTRETURN);
  hook_.Attach(hwnd_, MemoHook, this);
}

// Each line is followed by CR LF, as in the lines of a memo read as text:
// a list ending in an empty line keeps it, and an empty memo has no lines.
StringList Memo::Lines() const { return SplitLines(Text()); }

void Memo::SetLines(const StringList& lines) { SetText(JoinLines(lines)); }

void Memo::AppendLine(std::wstring_view line) {
  if (!hwnd_) return;
  std::wstring text = Text();
  std::wstring add;
  if (!text.empty() && text.back() != L'\n' && text.back() != L'\r') add = L"\r\n";
  add += line;
  add += L"\r\n";
  auto end = static_cast<WPARAM>(text.size());
  Send(hwnd_, EM_SETSEL, end, static_cast<LPARAM>(end));
  Send(hwnd_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(add.c_str()));
  Send(hwnd_, EM_SCROLLCARET);
}

// ---------------------------------------------------------------------------
// ComboList

void ComboList::Create(Container& parent, int id, const Rect& r, int dropDownRows) {
  CreateChild(parent, L"COMBOBOX", L"", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0, id, r);
  // The window height of a combo box includes its drop-down list.
  int rows = std::max(dropDownRows, 1);
  int field = static_cast<int>(Send(hwnd_, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1)));
  int item = static_cast<int>(Send(hwnd_, CB_GETITEMHEIGHT, 0));
  givenHeight_ = r.height;
  if (field > 0 && item > 0) {
    int height = field + 2 * GetSystemMetrics(SM_CYEDGE) + rows * item + 2;
    givenHeight_ = std::max(height, r.height);
    SetWindowPos(hwnd_, nullptr, 0, 0, r.width, givenHeight_, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  Send(hwnd_, CB_SETMINVISIBLE, static_cast<WPARAM>(rows));
}

void ComboList::SetBounds(const Rect& r) {
  // Resizing a combo box lays out its list again, which is slow: only when
  // something changed. The window reports the height of its field alone.
  Rect field = Bounds();
  if (field.x == r.x && field.y == r.y && field.width == r.width && givenHeight_ == r.height) return;
  Control::SetBounds(r);
  givenHeight_ = r.height;
}

Rect ComboList::LayoutBounds() const {
  Rect r = Bounds();
  r.height = givenHeight_;
  return r;
}

void ComboList::Clear() { Send(hwnd_, CB_RESETCONTENT); }

int ComboList::Add(std::wstring_view item) {
  std::wstring text(item);
  return static_cast<int>(Send(hwnd_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
}

int ComboList::Count() const { return std::max(0, static_cast<int>(Send(hwnd_, CB_GETCOUNT))); }

std::wstring ComboList::Item(int index) const {
  if (index < 0 || index >= Count()) return {};
  auto length = Send(hwnd_, CB_GETLBTEXTLEN, static_cast<WPARAM>(index));
  if (length <= 0) return {};
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  auto copied = Send(hwnd_, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
  return text;
}

void ComboList::SetItem(int index, std::wstring_view item) {
  if (index < 0 || index >= Count()) return;
  int selected = ItemIndex();
  std::wstring text(item);
  Send(hwnd_, CB_DELETESTRING, static_cast<WPARAM>(index));
  Send(hwnd_, CB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.c_str()));
  Send(hwnd_, CB_SETCURSEL, static_cast<WPARAM>(selected));
}

int ComboList::ItemIndex() const {
  auto index = Send(hwnd_, CB_GETCURSEL);
  return index == CB_ERR ? -1 : static_cast<int>(index);
}

void ComboList::SetItemIndex(int index) {
  if (index < 0 || index >= Count()) index = -1;
  Send(hwnd_, CB_SETCURSEL, static_cast<WPARAM>(index));
}

// The dropped list as wide as its longest item (a card's label, a printer's
// name), however narrow the field; never wider than the monitor. The list
// itself is never narrower than the field.
void ComboList::FitDroppedWidth() {
  int widest = 0;
  {
    ScreenDc dc;
    SelectedFont font(dc.get(), reinterpret_cast<HFONT>(Send(hwnd_, WM_GETFONT)));
    for (int i = 0; i < Count(); ++i) {
      const std::wstring text = Item(i);
      SIZE size{};
      if (GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &size)) {
        widest = std::max(widest, static_cast<int>(size.cx));
      }
    }
  }
  widest += GetSystemMetrics(SM_CXVSCROLL) + 4 * GetSystemMetrics(SM_CXEDGE);
  const RECT work = WorkAreaOf(hwnd_);
  if (work.right > work.left) widest = std::min(widest, static_cast<int>(work.right - work.left));
  Send(hwnd_, CB_SETDROPPEDWIDTH, static_cast<WPARAM>(widest));
}

bool ComboList::OnCommand(WORD code) {
  if (code == CBN_DROPDOWN) FitDroppedWidth();
  if (code != CBN_SELCHANGE) return false;
  if (OnChange) OnChange();
  return true;
}

}  // namespace kip::win
