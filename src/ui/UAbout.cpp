#include "ui/UAbout.h"

#include "AboutIds.h"
#include "util/FileInfo.h"
#include "util/Files.h"
#include "util/Process.h"

namespace kip {

namespace {

constexpr COLORREF kBackgroundColor = RGB(240, 251, 255);
constexpr COLORREF kLinkColor = RGB(0, 0, 255);
constexpr int kIconPixels = 64;
constexpr wchar_t kLinkHint[] = L"ホームページを開く";

// The program's main icon from its file, scaled to 64 x 64 pixels.
UniqueHIcon LoadMainIcon(const std::wstring& programPath) {
  UniqueHModule module(LoadLibraryExW(programPath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
  if (!module) return UniqueHIcon();
  return UniqueHIcon(
      static_cast<HICON>(LoadImageW(module.get(), L"MAINICON", IMAGE_ICON, kIconPixels, kIconPixels, 0)));
}

UniqueHFont UnderlinedCopy(HFONT font) {
  LOGFONTW logFont{};
  if (!font || !GetObjectW(font, sizeof logFont, &logFont)) return UniqueHFont();
  logFont.lfUnderline = TRUE;
  return UniqueHFont(CreateFontIndirectW(&logFont));
}

}  // namespace

std::wstring HelpPagePath(const std::wstring& programPath) { return ExtractFilePath(programPath) + kHelpPageName; }

std::wstring ReadmePath(const std::wstring& programPath) { return ExtractFilePath(programPath) + kReadmeName; }

// ---------------------------------------------------------------------------

void AboutLabel::SetColors(HBRUSH background, COLORREF backgroundColor, COLORREF textColor) {
  background_ = background;
  backgroundColor_ = backgroundColor;
  textColor_ = textColor;
}

HBRUSH AboutLabel::OnCtlColor(HDC dc) {
  if (!background_) return nullptr;
  SetBkColor(dc, backgroundColor_);
  SetTextColor(dc, textColor_);
  return background_;
}

namespace {

LRESULT LinkHook(const win::WindowProcHook& hook, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* link = static_cast<AboutLabel*>(hook.Data());
  switch (message) {
    case WM_GETDLGCODE: {
      auto* msg = reinterpret_cast<const MSG*>(lParam);
      bool enter = msg && msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN;
      return hook.CallOriginal(hwnd, message, wParam, lParam) | (enter ? DLGC_WANTALLKEYS : 0);
    }
    case WM_KEYDOWN:
      if ((wParam == VK_RETURN || wParam == VK_SPACE) && link->OnClick) link->OnClick();
      return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      InvalidateRect(hwnd, nullptr, TRUE);
      break;
    case WM_PAINT: {
      PAINTSTRUCT paint{};
      HDC dc = BeginPaint(hwnd, &paint);
      link->PaintLink(dc);
      EndPaint(hwnd, &paint);
      return 0;
    }
    default:
      break;
  }
  return hook.CallOriginal(hwnd, message, wParam, lParam);
}

}  // namespace

void AboutLabel::PaintLink(HDC dc) const {
  RECT client{}, extent{};
  GetClientRect(hwnd_, &client);
  FillRect(dc, &client, background_);
  const win::SelectedFont font(dc, reinterpret_cast<HFONT>(SendMessageW(hwnd_, WM_GETFONT, 0, 0)));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, textColor_);
  std::wstring text = Text();
  DrawTextW(dc, text.c_str(), -1, &extent, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
  DrawTextW(dc, text.c_str(), -1, &client, DT_SINGLELINE | DT_NOPREFIX);
  if (GetFocus() == hwnd_) DrawFocusRect(dc, &extent);
}

void AboutLabel::MakeLink() {
  SetWindowLongPtrW(hwnd_, GWL_STYLE, GetWindowLongPtrW(hwnd_, GWL_STYLE) | WS_TABSTOP);
  hook_.Attach(hwnd_, LinkHook, this);
}

bool AboutLabel::OnCommand(WORD code) {
  if (code != STN_CLICKED || !OnClick) return false;
  OnClick();
  return true;
}

// ---------------------------------------------------------------------------

void TAboutForm::Create(HWND owner, HFONT font, const std::wstring& programPath) {
  CreateShell(owner, font, L"TAboutForm", L"バージョン情報", 260, 132);
  win::DialogUnits du(font);
  background_.reset(CreateSolidBrush(kBackgroundColor));
  CreateLabels(du);
  UnderlineLinks();
  // At another DPI the links take an underlined copy of the new font.
  OnDpiChanged = [this] { UnderlineLinks(); };
  BtnCancel.Create(*this, IDB_BtnCancel, L"OK", du.R(105, 112, 50, 14), true);
  // OK comes first for the keyboard: the box opens with the focus on it,
  // and Tab goes on to the links.
  SetWindowPos(BtnCancel.Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  BtnCancel.OnClick = [this] { BtnCancelClick(); };
  OnEscape = [this] { BtnCancelClick(); };
  if (!OpenAddress) OpenAddress = [](const std::wstring& address) { OpenDocument(address, L""); };
  programPath_ = programPath;
  ShowFileInfo(programPath);
}

void TAboutForm::CreateLabels(const win::DialogUnits& du) {
  ImageMain.Create(*this, IDI_ImageMain, L"", {du.X(7), du.Y(7), kIconPixels, kIconPixels}, SS_ICON);
  LabelTitle.Create(*this, IDT_LabelTitle, L"", du.R(60, 9, 193, 10));
  LabelVersion.Create(*this, IDT_LabelVersion, L"", du.R(60, 23, 193, 10));
  LabelCopyLeft.Create(*this, IDT_LabelCopyLeft, L"", du.R(60, 37, 193, 10));
  Label2.Create(*this, IDT_Label2, L"最新バージョンはこのホームページからダウンロードできます。",
                du.R(7, 56, 246, 10));
  Label3.Create(*this, IDT_Label3, kHelpPageName, du.R(14, 68, 200, 10));
  Label1.Create(*this, IDT_Label1, L"要望、感想、質問、バグなどは、こちらのBBSまでご連絡ください",
                du.R(7, 84, 246, 10));
  Label4.Create(*this, IDT_Label4, kReadmeName, du.R(14, 96, 200, 10));
  for (AboutLabel* label : {&ImageMain, &LabelTitle, &LabelVersion, &LabelCopyLeft, &Label2, &Label1})
    label->SetColors(background_.get(), kBackgroundColor, GetSysColor(COLOR_WINDOWTEXT));
  for (AboutLabel* link : {&Label3, &Label4}) {
    link->SetColors(background_.get(), kBackgroundColor, kLinkColor);
    link->SetHint(kLinkHint);
    link->MakeLink();
  }
  Label3.OnClick = [this] { Label3Click(); };
  Label4.OnClick = [this] { Label4Click(); };
}

void TAboutForm::UnderlineLinks() {
  UniqueHFont font = UnderlinedCopy(FormFont());
  if (!font) return;
  for (AboutLabel* link : {&Label3, &Label4}) link->SetFont(font.get());
  linkFont_ = std::move(font);
}

void TAboutForm::ShowFileInfo(const std::wstring& programPath) {
  icon_ = LoadMainIcon(programPath);
  if (icon_) SendMessageW(ImageMain.Handle(), STM_SETICON, reinterpret_cast<WPARAM>(icon_.get()), 0);
  FileInfo info;
  GetFileInfo(programPath, info);
  LabelTitle.SetText(info.productName);
  LabelVersion.SetText(L"バージョン " + info.fileVersion);
  LabelCopyLeft.SetText(L"作者 " + info.author);
}

void TAboutForm::ShowCentered() {
  CenterOnOwner();
  Show();
  SetForegroundWindow(hwnd_);
}

void TAboutForm::Label3Click() { OpenAddress(HelpPagePath(programPath_)); }
void TAboutForm::Label4Click() { OpenAddress(ReadmePath(programPath_)); }
void TAboutForm::BtnCancelClick() { Hide(); }

bool TAboutForm::IsLink(HWND hwnd) const { return hwnd && (hwnd == Label3.Handle() || hwnd == Label4.Handle()); }

LRESULT TAboutForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND: {
      RECT client{};
      GetClientRect(hwnd_, &client);
      FillRect(reinterpret_cast<HDC>(wParam), &client, background_.get());
      return 1;
    }
    case WM_SETCURSOR:
      if (IsLink(reinterpret_cast<HWND>(wParam))) {
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        return TRUE;
      }
      break;
    default:
      break;
  }
  return DialogShell::HandleMessage(message, wParam, lParam);
}

// ---------------------------------------------------------------------------

TAboutForm& AboutBox::Show(HWND owner, HFONT font, const std::wstring& programPath) {
  if (!form_) {
    form_ = std::make_unique<TAboutForm>();
    form_->Create(owner, font, programPath);
  }
  if (IsWindowVisible(form_->Handle())) {
    SetForegroundWindow(form_->Handle());
  } else {
    form_->ShowCentered();
  }
  return *form_;
}

}  // namespace kip
