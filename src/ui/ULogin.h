// The domain account dialog of the domain join: asks for a user name and a
// password. It knows nothing of its caller; the caller reads how it was
// closed and the texts taken by OK.
#pragma once

#include <string>

#include "ui/DialogShells.h"
#include "ui/win/Controls.h"

namespace kip {

class TFormLogin : public DialogShell {
 public:
  enum class Outcome { Ok, Cancel, Closed };

  void Create(HWND owner, HFONT font);
  // Shows the dialog with its owner disabled and returns once it is hidden
  // again (window messages are handled meanwhile). The edit fields keep
  // their text from one showing to the next.
  Outcome ShowModal();

  // The trimmed texts of the edit fields at the last OK.
  std::wstring UserName;
  std::wstring Password;

  win::Label LabelUserID;
  win::Edit EditID;
  win::Label LabelPassword;
  win::Edit EditPW;
  win::Button ButtonOK;
  win::Button ButtonCancel;

  void ButtonOKClick();
  void ButtonCancelClick();

 private:
  Outcome outcome_ = Outcome::Closed;
};

}  // namespace kip
