// The dialogs the program creates at start, hidden until used. Each is a
// fixed-border window owned by the main window; the address, copy, login
// and post-commit dialogs build their controls on top of this.
#pragma once

#include <string>

#include "ui/win/Form.h"

namespace kip {

class DialogShell : public win::Form {
 public:
  // Creates the hidden dialog with its title, placed at the owner's
  // top-left corner.
  void CreateShell(HWND owner, HFONT font, const wchar_t* className, std::wstring_view title, int width,
                    int height);
  // True when the user cancelled the last showing.
  bool Cancelled = true;
};

class TFormDNSEdit : public DialogShell {
 public:
  void Create(HWND owner, HFONT font);
};
class TNetChg2 : public DialogShell {
 public:
  void Create(HWND owner, HFONT font);
};
class TFormGWEdit : public DialogShell {
 public:
  void Create(HWND owner, HFONT font);
};
class TFormIPEdit : public DialogShell {
 public:
  void Create(HWND owner, HFONT font);
};
class TFormOtherLAN : public DialogShell {
 public:
  void Create(HWND owner, HFONT font);
};
class TFormLogin : public DialogShell {
 public:
  void Create(HWND owner, HFONT font);
};

}  // namespace kip
