// What the three address dialogs share: octet boxes on bordered panels that
// look like one entry field, OK and キャンセル, the "." key that moves on to
// the next box, range checks on OK, and showing without being modal while
// the caller waits.
#pragma once

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "ui/AddressBoxes.h"
#include "ui/AddressEntry.h"
#include "ui/DialogShells.h"
#include "ui/Prompts.h"
#include "ui/win/Controls.h"
#include "ui/win/Layout.h"

namespace kip {

// A bordered panel in the highlight-text colour. The borderless boxes placed
// on it side by side, with a dot drawn between them, read as one field.
class OctetPanel : public win::Panel {
 public:
  void CreateOn(win::Container& parent, int id, const win::Rect& r);
  // Creates four borderless boxes on the panel, filling its width, with the
  // ids firstId to firstId + 3.
  void CreateBoxes(std::span<win::Edit* const> boxes, int firstId, const win::DialogUnits& du);

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void PaintDots(HDC dc) const;
  // The gaps between the boxes, taken where the boxes are now (they move
  // when the dialog changes its DPI).
  std::vector<RECT> Gaps() const;
  std::vector<HWND> boxes_;
};

class AddressDialog : public DialogShell, public AddressEntry {
 public:
  // The range messages go to these prompts (not owned); without them, to
  // message boxes over the dialog.
  void SetPrompts(Prompts* prompts) { prompts_ = prompts; }

  // Empties the boxes of the group that starts after `offset` (0 for the
  // address, 4 for the mask or metric) and spreads the dotted text over them.
  void FillBoxes(std::wstring_view text, int offset = 0);
  // Shows the dialog and waits, while the caller's windows keep handling
  // their messages, until it is hidden again. The owner window ignores input
  // meanwhile. True when the user confirmed (Cancelled is false).
  bool Execute();
  // AddressEntry: fills the boxes with the offered texts, shows the dialog,
  // and composes the cells from the boxes when confirmed.
  std::optional<AddressRow> Ask(const AddressRow& offered) override;

  // The boxes in tab order, box 1 first.
  int BoxCount() const { return static_cast<int>(boxes_.size()); }
  win::Edit& Box(int number) { return *boxes_.at(static_cast<size_t>(number - 1)); }
  BoxTexts Texts() const;

  // OK (Enter): closes as confirmed once every box is in range; otherwise
  // tells the user, focuses the first box out of range and stays open.
  void ButtonApplyClick();
  // キャンセル (Escape) and the title-bar close box: closes as cancelled.
  void ButtonCancelClick();

  win::Button ButtonApply;
  win::Button ButtonCancel;

 protected:
  // Creates the hidden dialog; the derived dialog then places its boxes
  // (in tab order) and last its buttons.
  void CreateAddressDialog(HWND owner, HFONT font, const wchar_t* className, std::wstring_view title, int width,
                           int height);
  // Records the boxes of one group, with their limits, in tab order.
  void AddBoxes(std::span<win::Edit* const> boxes, std::span<const BoxLimit> limits, int maxLength);
  // OK and キャンセル one below the other at (x, y) in dialog units.
  void CreateButtons(const win::DialogUnits& du, int x, int y);
  // Clears the result each time the dialog is shown (TFormIPEdit).
  void ClearResultOnShow() { clearResultOnShow_ = true; }

  // The dialog's kind: which offered texts go where, and what is composed.
  virtual void FillOffered(const AddressRow& offered) = 0;
  virtual AddressRow Composed() const = 0;

 private:
  bool PreviewKey(const MSG& msg);
  void FocusBox(size_t index);
  void CloseWith(bool cancelled);
  Prompts& Messages();

  std::vector<win::Edit*> boxes_;
  std::vector<BoxLimit> limits_;
  Prompts* prompts_ = nullptr;
  std::unique_ptr<Prompts> ownPrompts_;
  std::optional<OwnerDisabled> heldOwner_;
  bool closed_ = false;  // OK or キャンセル ended the current showing
  bool clearResultOnShow_ = false;
};

}  // namespace kip
