// The about box: the program's icon, product name, version and author as
// the program file's version resource records them, and two links to the
// documents that come with the program: the help page and the README.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "ui/DialogShells.h"
#include "ui/win/Controls.h"
#include "ui/win/Layout.h"
#include "util/UniqueHandle.h"

namespace kip {

inline constexpr wchar_t kHelpPageName[] = L"help\\kIpCnfg.html";
inline constexpr wchar_t kReadmeName[] = L"README.md";

// The help page beside the program: its folder + "help\kIpCnfg.html".
std::wstring HelpPagePath(const std::wstring& programPath);
// The README beside the program.
std::wstring ReadmePath(const std::wstring& programPath);

// A label painted on the about box's background; a link label draws its
// text as a link and runs OnClick when clicked.
class AboutLabel : public win::Label {
 public:
  void SetColors(HBRUSH background, COLORREF backgroundColor, COLORREF textColor);
  HBRUSH OnCtlColor(HDC dc) override;
  bool OnCommand(WORD code) override;
  std::function<void()> OnClick;
  // Makes the label a link the keyboard reaches too: a tab stop that shows
  // the focus and opens with Enter or Space.
  void MakeLink();
  // A link paints itself, with the focus rectangle when it has the focus.
  void PaintLink(HDC dc) const;

 private:
  win::WindowProcHook hook_;
  HBRUSH background_ = nullptr;
  COLORREF backgroundColor_ = 0;
  COLORREF textColor_ = 0;
};

class TAboutForm : public DialogShell {
 public:
  // Creates the about box hidden, with the icon "MAINICON" and the version
  // strings of the program file at `programPath`. A file without them
  // leaves the picture empty and the labels at their prefixes.
  void Create(HWND owner, HFONT font, const std::wstring& programPath);
  // Centres the box on its owner and shows it in front.
  void ShowCentered();

  // Opens a document; the shell's default unless replaced (tests).
  std::function<void(const std::wstring& path)> OpenAddress;

  void Label3Click();
  void Label4Click();
  void BtnCancelClick();

  AboutLabel ImageMain;
  AboutLabel LabelTitle;
  AboutLabel LabelVersion;
  AboutLabel LabelCopyLeft;
  AboutLabel Label2;
  AboutLabel Label3;
  AboutLabel Label1;
  AboutLabel Label4;
  win::Button BtnCancel;

  // The icon shown by ImageMain (64 x 64 pixels), or null.
  HICON MainIcon() const { return icon_.get(); }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void CreateLabels(const win::DialogUnits& du);
  void ShowFileInfo(const std::wstring& programPath);
  void UnderlineLinks();
  bool IsLink(HWND hwnd) const;

  UniqueHBrush background_;
  UniqueHIcon icon_;
  UniqueHFont linkFont_;
  std::wstring programPath_;
};

// The program's one about box: created on first use, shown again (and
// brought to the front) on every later use.
class AboutBox {
 public:
  TAboutForm& Show(HWND owner, HFONT font, const std::wstring& programPath);
  TAboutForm* Form() const { return form_.get(); }

 private:
  std::unique_ptr<TAboutForm> form_;
};

}  // namespace kip
