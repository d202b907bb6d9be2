// The domain change of the commit.
#include "app/UkIpConfig.h"
#include "apply/DomainJoiner.h"
#include "ui/ULogin.h"
#include "ui/win/Menus.h"
#include "util/Process.h"

namespace kip {

namespace {

// The login dialog as the domain join asks it for an account. Without a
// dialog every attempt goes on with the account it already has.
class LoginDialogPrompt final : public AccountPrompt {
 public:
  explicit LoginDialogPrompt(TFormLogin* dialog) : dialog_(dialog) {}

  Result AskAccount(std::wstring& user, std::wstring& password) override {
    if (dialog_ == nullptr) return Result::Closed;
    switch (dialog_->ShowModal()) {
      case TFormLogin::Outcome::Ok:
        user = dialog_->UserName;
        password = dialog_->Password;
        return Result::Ok;
      case TFormLogin::Outcome::Cancel:
        return Result::Cancel;
      case TFormLogin::Outcome::Closed:
        break;
    }
    return Result::Closed;
  }

 private:
  TFormLogin* dialog_;
};

}  // namespace

void TFormIpconfig::ChangeDomainStep(const DomainChoice& choice) {
  if (!choice.changeDomain) return;
  std::unique_ptr<DomainJoiner> joiner =
      env_.createDomainJoiner ? env_.createDomainJoiner() : CreateNetapiDomainJoiner();
  LoginDialogPrompt login(Dialogs().login);
  DomainChangeContext context{*joiner, login, joinCancelled_};
  context.wait = env_.domainJoinWait ? env_.domainJoinWait
                                     : [](double seconds) { WaitSeconds(seconds, &win::PreTranslateUiMessage); };
  // The join clears the flag as it starts: a close held since earlier in
  // the commit still ends the attempts, before any account is asked for.
  context.wait = [this, pause = context.wait](double seconds) {
    pause(seconds);
    if (closeHeld_) joinCancelled_ = true;
  };
  const std::wstring failure = ChangeDomainOrWorkgroup(choice, context);
  if (!failure.empty()) Ask().ShowMessage(failure);
}

}  // namespace kip
