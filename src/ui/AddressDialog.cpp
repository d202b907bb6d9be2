#include "ui/AddressDialog.h"

#include <algorithm>

#include "AddressDialogIds.h"
#include "ui/win/Menus.h"

namespace kip {

namespace {

// The panel carries the field's frame; the boxes on it carry none of their own.
void SetClientEdge(HWND hwnd, bool edge) {
  if (!hwnd) return;
  LONG_PTR exStyle = GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & ~static_cast<LONG_PTR>(WS_EX_CLIENTEDGE);
  SetWindowLongPtrW(hwnd, GWL_EXSTYLE, edge ? exStyle | WS_EX_CLIENTEDGE : exStyle);
  SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void SelectAll(const win::Window& box) {
  if (box.Handle()) SendMessageW(box.Handle(), EM_SETSEL, 0, -1);
}

// The field's colour, shared by the panel and its boxes.
constexpr int kFieldColor = COLOR_HIGHLIGHTTEXT;

}  // namespace

// ---------------------------------------------------------------------------
// OctetPanel

void OctetPanel::CreateOn(win::Container& parent, int id, const win::Rect& r) {
  Create(parent.Handle(), r, id);
  SetClientEdge(hwnd_, true);
}

void OctetPanel::CreateBoxes(std::span<win::Edit* const> boxes, int firstId, const win::DialogUnits& du) {
  RECT client{};
  GetClientRect(hwnd_, &client);
  const int count = static_cast<int>(boxes.size());
  const int gap = du.X(5);
  const int margin = du.X(1);
  const int clientWidth = static_cast<int>(client.right);
  const int clientHeight = static_cast<int>(client.bottom);
  const int width = std::max(1, (clientWidth - 2 * margin - (count - 1) * gap) / std::max(count, 1));
  const int height = std::min(clientHeight, du.Y(10));
  const int top = (clientHeight - height) / 2;
  boxes_.clear();
  for (int i = 0; i < count; ++i) {
    int left = margin + i * (width + gap);
    boxes[static_cast<size_t>(i)]->Create(*this, firstId + i, L"", {left, top, width, height}, ES_CENTER);
    SetClientEdge(boxes[static_cast<size_t>(i)]->Handle(), false);
    boxes_.push_back(boxes[static_cast<size_t>(i)]->Handle());
  }
}

std::vector<RECT> OctetPanel::Gaps() const {
  std::vector<RECT> gaps;
  for (size_t i = 0; i + 1 < boxes_.size(); ++i) {
    win::Rect left = win::Window(boxes_[i]).Bounds();
    win::Rect right = win::Window(boxes_[i + 1]).Bounds();
    gaps.push_back(RECT{left.x + left.width, left.y, right.x, left.y + left.height});
  }
  return gaps;
}

void OctetPanel::PaintDots(HDC dc) const {
  HWND root = GetAncestor(hwnd_, GA_ROOT);
  win::SelectedFont font(dc, reinterpret_cast<HFONT>(SendMessageW(root, WM_GETFONT, 0, 0)));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  for (RECT gap : Gaps()) DrawTextW(dc, L".", 1, &gap, DT_CENTER | DT_BOTTOM | DT_SINGLELINE | DT_NOPREFIX);
}

LRESULT OctetPanel::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND: {
      RECT client{};
      GetClientRect(hwnd_, &client);
      FillRect(reinterpret_cast<HDC>(wParam), &client, GetSysColorBrush(kFieldColor));
      return 1;
    }
    case WM_PAINT: {
      PAINTSTRUCT paint{};
      HDC dc = BeginPaint(hwnd_, &paint);
      PaintDots(dc);
      EndPaint(hwnd_, &paint);
      return 0;
    }
    case WM_CTLCOLOREDIT: {
      HDC dc = reinterpret_cast<HDC>(wParam);
      SetBkColor(dc, GetSysColor(kFieldColor));
      SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(kFieldColor));
    }
    default:
      return Panel::HandleMessage(message, wParam, lParam);
  }
}

// ---------------------------------------------------------------------------
// AddressDialog

void AddressDialog::CreateAddressDialog(HWND owner, HFONT font, const wchar_t* className, std::wstring_view title,
                                        int width, int height) {
  CreateShell(owner, font, className, title, width, height);
  OnPreviewKey = [this](MSG& msg) { return PreviewKey(msg); };
  OnEnter = [this] { ButtonApplyClick(); };
  OnEscape = [this] { ButtonCancelClick(); };
  // The close box cancels, like キャンセル; the dialog hides itself.
  OnCloseQuery = [this] {
    ButtonCancelClick();
    return false;
  };
  OnDestroy = [this] { heldOwner_.reset(); };
}

void AddressDialog::AddBoxes(std::span<win::Edit* const> boxes, std::span<const BoxLimit> limits, int maxLength) {
  for (size_t i = 0; i < boxes.size(); ++i) {
    boxes[i]->SetMaxLength(maxLength);
    boxes[i]->DisableImeInput();
    boxes_.push_back(boxes[i]);
    limits_.push_back(i < limits.size() ? limits[i] : BoxLimit{});
  }
}

void AddressDialog::CreateButtons(const win::DialogUnits& du, int x, int y) {
  ButtonApply.Create(*this, IDOK, L"OK", du.R(x, y, 50, 14), true);
  ButtonCancel.Create(*this, IDCANCEL, L"キャンセル", du.R(x, y + 18, 50, 14));
  ButtonApply.OnClick = [this] { ButtonApplyClick(); };
  ButtonCancel.OnClick = [this] { ButtonCancelClick(); };
}

BoxTexts AddressDialog::Texts() const {
  BoxTexts texts;
  texts.reserve(boxes_.size());
  for (const win::Edit* box : boxes_) texts.push_back(box->Text());
  return texts;
}

void AddressDialog::FillBoxes(std::wstring_view text, int offset) {
  if (offset < 0 || offset >= BoxCount()) return;
  const size_t first = static_cast<size_t>(offset);
  const size_t groupSize = static_cast<size_t>(std::min(offset + 4, BoxCount()) - offset);
  BoxTexts before = Texts();
  BoxTexts after = before;
  FillBoxTexts(after, text, first, groupSize);
  for (size_t i = 0; i < after.size(); ++i) {
    if (after[i] != before[i]) boxes_[i]->SetText(after[i]);
  }
}

bool AddressDialog::PreviewKey(const MSG& msg) {
  // A typed "." moves on, so that an address can be typed straight through
  // the boxes; the dot itself never reaches a box.
  if (msg.message != WM_CHAR || msg.wParam != L'.') return false;
  // On from the control that was typed into (which has the focus).
  if (HWND next = GetNextDlgTabItem(hwnd_, msg.hwnd, FALSE)) {
    SendMessageW(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(next), TRUE);
  }
  return true;
}

void AddressDialog::FocusBox(size_t index) {
  if (index >= boxes_.size()) return;
  boxes_[index]->Focus();
  SelectAll(*boxes_[index]);
}

void AddressDialog::ButtonApplyClick() {
  if (auto failure = FirstOutOfRange(Texts(), limits_)) {
    Messages().ShowMessage(failure->message);
    FocusBox(failure->box);
    return;
  }
  CloseWith(false);
}

void AddressDialog::ButtonCancelClick() { CloseWith(true); }

void AddressDialog::CloseWith(bool cancelled) {
  Cancelled = cancelled;
  closed_ = true;
  // The owner takes input again before the dialog goes, so that it becomes
  // the active window.
  heldOwner_.reset();
  Hide();
}

bool AddressDialog::Execute() {
  if (!hwnd_ || IsWindowVisible(hwnd_)) return false;
  if (clearResultOnShow_) Cancelled = false;
  // While the dialog is open the owner ignores input: a list command must
  // not start twice, and an edit must write into the row it read from.
  heldOwner_.emplace(GetWindow(hwnd_, GW_OWNER));
  struct ReleaseOnExit {
    std::optional<OwnerDisabled>& held;
    ~ReleaseOnExit() { held.reset(); }
  } release{heldOwner_};
  closed_ = false;
  Show();
  FocusBox(0);
  win::PumpWhile([this] { return hwnd_ && IsWindowVisible(hwnd_); });
  // Ended otherwise than by OK or キャンセル (the program is quitting, the
  // window went away): nothing was confirmed.
  if (!closed_) CloseWith(true);
  return !Cancelled;
}

std::optional<AddressRow> AddressDialog::Ask(const AddressRow& offered) {
  FillOffered(offered);
  if (!Execute()) return std::nullopt;
  return Composed();
}

Prompts& AddressDialog::Messages() {
  if (prompts_) return *prompts_;
  if (!ownPrompts_) ownPrompts_ = CreateMessageBoxPrompts(hwnd_);
  return *ownPrompts_;
}

}  // namespace kip
