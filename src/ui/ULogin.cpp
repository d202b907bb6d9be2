#include "ui/ULogin.h"

#include "LoginIds.h"
#include "ui/win/Layout.h"
#include "ui/win/Menus.h"
#include "util/Text.h"

namespace kip {

void TFormLogin::Create(HWND owner, HFONT font) {
  CreateShell(owner, font, L"TFormLogin", L"ドメインのユーザー名とパスワード", 180, 80);
  win::DialogUnits du(font);
  LabelUserID.Create(*this, IDT_LabelUserID, L"ユーザー名", du.R(8, 12, 50, 8));
  EditID.Create(*this, IDE_EditID, L"", du.R(62, 10, 110, 12));
  LabelPassword.Create(*this, IDT_LabelPassword, L"パスワード", du.R(8, 32, 50, 8));
  EditPW.Create(*this, IDE_EditPW, L"", du.R(62, 30, 110, 12), ES_PASSWORD);
  // One "*" per character, whatever the visual style would show.
  SendMessageW(EditPW.Handle(), EM_SETPASSWORDCHAR, L'*', 0);
  ButtonOK.Create(*this, IDB_ButtonOK, L"OK", du.R(62, 56, 50, 14), true);
  ButtonCancel.Create(*this, IDB_ButtonCancel, L"キャンセル", du.R(122, 56, 50, 14));
  ButtonOK.OnClick = [this] { ButtonOKClick(); };
  ButtonCancel.OnClick = [this] { ButtonCancelClick(); };
  OnEnter = [this] { ButtonOKClick(); };
  OnEscape = [this] { ButtonCancelClick(); };
}

TFormLogin::Outcome TFormLogin::ShowModal() {
  outcome_ = Outcome::Closed;
  Cancelled = true;
  HWND owner = GetWindow(Handle(), GW_OWNER);
  OwnerDisabled modal(owner);
  Show();
  EditID.Focus();
  // The dialog hides itself on OK, Cancel or its close box; a quitting
  // program ends the wait too.
  win::PumpWhile([this] { return IsWindowVisible(Handle()) != FALSE; });
  Hide();
  if (modal.Release()) SetActiveWindow(owner);
  return outcome_;
}

void TFormLogin::ButtonOKClick() {
  UserName = Trim(EditID.Text());
  Password = Trim(EditPW.Text());
  outcome_ = Outcome::Ok;
  Cancelled = false;
  Hide();
}

void TFormLogin::ButtonCancelClick() {
  outcome_ = Outcome::Cancel;
  Cancelled = true;
  Hide();
}

}  // namespace kip
