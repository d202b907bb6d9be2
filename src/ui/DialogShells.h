// The base of the dialogs the program creates at start, hidden until used:
// a fixed-border window owned by the main window. Each dialog (address,
// copy, login, post-commit) is a unit of its own built on top of this.
#pragma once

#include <string>
#include <utility>

#include "ui/win/Form.h"

namespace kip {

// Keeps a dialog's owner disabled while the dialog is up, until Release()
// or the end of the scope; an owner that was disabled already stays so.
// Releasing before the dialog hides gives the owner the activation back.
class OwnerDisabled {
 public:
  explicit OwnerDisabled(HWND owner) : owner_(owner && IsWindowEnabled(owner) ? owner : nullptr) {
    if (owner_) EnableWindow(owner_, FALSE);
  }
  ~OwnerDisabled() { Release(); }
  OwnerDisabled(const OwnerDisabled&) = delete;
  OwnerDisabled& operator=(const OwnerDisabled&) = delete;
  // True when it enabled the owner again (the owner still exists).
  bool Release() {
    const HWND owner = std::exchange(owner_, nullptr);
    if (!owner || !IsWindow(owner)) return false;
    EnableWindow(owner, TRUE);
    return true;
  }

 private:
  HWND owner_;
};

class DialogShell : public win::Form {
 public:
  // Creates the hidden dialog with its title, placed at the owner's
  // top-left corner, or with `centred` centred over it at once (a dialog
  // whose size is known before its controls: one move fewer).
  void CreateShell(HWND owner, HFONT font, const wchar_t* className, std::wstring_view title, int width,
                    int height, bool centred = false);
  // True when the user cancelled the last showing.
  bool Cancelled = true;

 protected:
  // Centres the dialog over its owner (over the screen without one).
  void CenterOnOwner();
  // Shows the dialog with its owner disabled and handles window messages,
  // Tab and Enter included, until it is hidden again.
  void RunModal();
};

}  // namespace kip
