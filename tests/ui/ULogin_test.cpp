// The domain login dialog: how each way of closing it is reported.
#include "ui/ULogin.h"

#include <gtest/gtest.h>

#include "WinTestForm.h"
#include "ui/win/Layout.h"

namespace kip {
namespace {

class LoginTest : public win::test::WinTest {
 protected:
  void SetUp() override { login.Create(form.Handle(), font.get()); }
  UniqueHFont font = win::CreateUiFont(96);
  TFormLogin login;
};

// Each way out is posted before the dialog is shown; the modal loop
// dispatches it.
TEST_F(LoginTest, OutcomeOfEachWayOut) {
  using Outcome = TFormLogin::Outcome;
  auto click = [](win::Button& button) {
    return [&button](HWND dialog) {
      PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button.Id(), BN_CLICKED),
                   reinterpret_cast<LPARAM>(button.Handle()));
    };
  };
  const struct {
    const char* title;
    std::function<void(HWND)> action;
    Outcome outcome;
    const wchar_t* typed;
    const wchar_t* user;  // after the showing
  } cases[] = {
      {"OK takes the trimmed texts", click(login.ButtonOK), Outcome::Ok, L" alice ", L"alice"},
      {"Cancel keeps the last account", click(login.ButtonCancel), Outcome::Cancel, L"bob", L"alice"},
      {"close box", [](HWND d) { PostMessageW(d, WM_CLOSE, 0, 0); }, Outcome::Closed, L"bob", L"alice"},
  };
  EXPECT_EQ(SendMessageW(login.EditPW.Handle(), EM_GETPASSWORDCHAR, 0, 0), L'*');
  login.EditPW.SetText(L"\tsecret ");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    login.EditID.SetText(c.typed);
    c.action(login.Handle());
    EXPECT_EQ(login.ShowModal(), c.outcome);
    EXPECT_EQ(login.UserName, c.user);
    EXPECT_EQ(login.Password, L"secret");
    EXPECT_FALSE(IsWindowVisible(login.Handle()));
    EXPECT_TRUE(IsWindowEnabled(form.Handle()));
    // The fields keep their text for the next showing.
    EXPECT_EQ(login.EditID.Text(), c.typed);
  }
}

}  // namespace
}  // namespace kip
