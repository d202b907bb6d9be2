// The domain page through the window: the enabling rule of its clicks and
// the commit step against a scripted joiner and the real login dialog.
#include <deque>

#include <gtest/gtest.h>

#include "apply/DomainJoiner.h"
#include "support/FormFixture.h"
#include "ui/ULogin.h"
#include "ui/win/Layout.h"

namespace kip {
namespace {

// Calls recorded as "unjoin" and "name|account|password|options"; joins
// fail once the scripted results run out.
struct JoinLog {
  StringList calls;
  std::deque<bool> results;
};

class ScriptedJoiner final : public DomainJoiner {
 public:
  explicit ScriptedJoiner(JoinLog& log) : log_(log) {}
  bool Unjoin() override {
    log_.calls.push_back(L"unjoin");
    return false;
  }
  bool Join(const std::wstring& name, const std::wstring& account, const std::wstring& password,
            DWORD options) override {
    log_.calls.push_back(name + L"|" + account + L"|" + password + L"|" + std::to_wstring(options));
    const bool joined = !log_.results.empty() && log_.results.front();
    if (!log_.results.empty()) log_.results.pop_front();
    return joined;
  }

 private:
  JoinLog& log_;
};

// Each pause after an attempt posts the next answer of the login dialog
// (Cancel once the script runs out, so a dialog shown by mistake cannot
// hang the test). A dialog that is shown takes its answer from the queue;
// the answers left over count the pauses with no dialog after them.
class FormDomainTest : public FormTest {
 protected:
  void SetUp() override {
    adjustEnvironment = [this](FormEnvironment& environment) {
      environment.createDomainJoiner = [this] { return std::make_unique<ScriptedJoiner>(log); };
      environment.domainJoinWait = [this](double) { PostNextAnswer(); };
    };
    // The dialog hands the activation back to the window: that must not
    // start the start-up load, which refills the page from the machine.
    MakeForm().StartupDone = true;
    login.Create(Form().Handle(), font.get());
    Form().AttachDialogs(FormDialogs{.login = &login});
  }
  void PostNextAnswer() {
    win::Button& button = answers.empty() ? login.ButtonCancel : *answers.front();
    if (!answers.empty()) answers.pop_front();
    PostMessageW(login.Handle(), WM_COMMAND, MAKEWPARAM(button.Id(), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button.Handle()));
    ++posted;
  }
  int DialogsShown() {
    MSG message;
    int left = 0;
    while (PeekMessageW(&message, login.Handle(), WM_COMMAND, WM_COMMAND, PM_REMOVE)) ++left;
    return posted - left;
  }

  UniqueHFont font = win::CreateUiFont(96);
  TFormLogin login;
  JoinLog log;
  std::deque<win::Button*> answers;
  int posted = 0;
};

TEST_F(FormDomainTest, ClicksEnableTheChosenNameAndTheCommitJoinsAsChosen) {
  enum Radio { kNone, kDomain, kWorkGroup };
  win::Button* ok = &login.ButtonOK;
  win::Button* cancel = &login.ButtonCancel;
  const std::wstring domainFailed = kDomainJoinFailed, workgroupFailed = kWorkgroupJoinFailed;
  const struct {
    const char* title;
    bool change;
    Radio radio;
    const wchar_t* workGroup;
    std::deque<bool> results;
    std::deque<win::Button*> answers;
    StringList calls;
    int dialogs;
    StringList messages;
  } cases[] = {
      {"switch off: nothing happens", false, kDomain, L"WG", {true}, {}, {}, 0, {}},
      {"domain joined at once: no dialog", true, kDomain, L"", {true}, {}, {L"unjoin", L"corp|||3"}, 0, {}},
      {"two failures with an account, then the message", true, kDomain, L"", {}, {ok, ok},
       {L"unjoin", L"corp|||3", L"corp|alice|pw|3", L"corp|alice|pw|3"}, 2, {domainFailed}},
      {"Cancel in the first dialog ends the attempts", true, kDomain, L"", {}, {cancel},
       {L"unjoin", L"corp|||3"}, 1, {domainFailed}},
      {"no choice runs the workgroup branch, an empty name included", true, kNone, L"  ", {}, {},
       {L"unjoin", L"|||0"}, 0, {workgroupFailed}},
      {"workgroup joined", true, kWorkGroup, L" WG ", {true}, {}, {L"unjoin", L"WG|||0"}, 0, {}},
  };
  TFormIpconfig& form = Form();
  form.EditDomainServer.SetText(L" corp ");
  login.EditID.SetText(L" alice ");
  login.EditPW.SetText(L"pw");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    form.CheckChangeDomain.SetChecked(false);
    form.RadioDomain.SetChecked(false);
    form.RadioWorkGroup.SetChecked(false);
    form.EditWorkGroup.SetText(c.workGroup);
    form.Modified = false;
    // The switch first, so that the radio button's own click decides last.
    form.CheckChangeDomain.SetChecked(c.change);
    if (c.radio == kDomain) form.RadioDomain.SetChecked(true);
    if (c.radio == kWorkGroup) form.RadioWorkGroup.SetChecked(true);
    EXPECT_TRUE(form.Modified);
    EXPECT_EQ(form.RadioWorkGroup.Enabled(), c.change);
    EXPECT_EQ(form.EditDomainServer.Enabled(), c.change && c.radio == kDomain);
    EXPECT_EQ(form.EditWorkGroup.Enabled(), c.change && c.radio == kWorkGroup);

    log = {{}, c.results};
    answers = c.answers;
    posted = 0;
    prompts.messages.clear();
    form.ChangeDomainStep();
    EXPECT_EQ(log.calls, c.calls);
    EXPECT_EQ(DialogsShown(), c.dialogs);
    EXPECT_EQ(prompts.messages, c.messages);
  }
}

}  // namespace
}  // namespace kip
