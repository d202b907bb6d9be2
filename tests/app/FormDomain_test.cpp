// The domain page through the window: the enabling rule of its clicks and
// the commit step against a scripted joiner and the real login dialog.
#include <gtest/gtest.h>

#include <deque>

#include "apply/DomainJoiner.h"
#include "MainIds.h"
#include "support/FormFixture.h"
#include "ui/ULogin.h"
#include "ui/win/Layout.h"

namespace kip {
namespace {

// Calls recorded as "unjoin" and "name|account|password|options"; joins
// fail once the scripted results run out.
struct ScriptedJoiner final : DomainJoiner {
  ScriptedJoiner(StringList& calls, std::deque<bool>& results) : calls(calls), results(results) {}
  bool Unjoin() override { return calls.push_back(L"unjoin"), false; }
  bool Join(const std::wstring& name, const std::wstring& account, const std::wstring& password,
            DWORD options) override {
    calls.push_back(name + L"|" + account + L"|" + password + L"|" + std::to_wstring(options));
    const bool joined = !results.empty() && results.front();
    if (!results.empty()) results.pop_front();
    return joined;
  }
  StringList& calls;
  std::deque<bool>& results;
};

// Each pause after an attempt posts the dialog's next answer (Cancel once
// the script runs out, so that a wrong dialog cannot hang the test); the
// answers no dialog took are the pauses not followed by one.
class FormDomainTest : public FormTest {
 protected:
  void SetUp() override {
    adjustEnvironment = [this](FormEnvironment& environment) {
      environment.createDomainJoiner = [this] { return std::make_unique<ScriptedJoiner>(calls, results); };
      environment.domainJoinWait = [this](double) {
        win::Button& button = answers.empty() ? login.ButtonCancel : *answers.front();
        if (!answers.empty()) answers.pop_front();
        PostMessageW(login.Handle(), WM_COMMAND, MAKEWPARAM(button.Id(), BN_CLICKED),
                     reinterpret_cast<LPARAM>(button.Handle()));
        ++posted;
      };
    };
    // Its start-up first: given back the activation by the dialog, the
    // window would run it in the middle of a case.
    MakeForm().RunStartup();
    login.Create(Form().Handle(), font.get());
    Form().AttachDialogs(FormDialogs{.login = &login});
  }
  int DialogsShown() {
    MSG message;
    while (PeekMessageW(&message, login.Handle(), WM_COMMAND, WM_COMMAND, PM_REMOVE)) --posted;
    return posted;
  }
  UniqueHFont font = win::CreateUiFont(96);
  TFormLogin login;
  StringList calls;
  std::deque<bool> results;
  std::deque<win::Button*> answers;
  int posted = 0;
};

TEST_F(FormDomainTest, ClicksEnableTheChosenNameAndTheCommitJoinsAsChosen) {
  enum Radio { kNone, kDomain, kWorkGroup };
  win::Button *ok = &login.ButtonOK, *cancel = &login.ButtonCancel;
  const std::wstring domainFailed = kDomainJoinFailed, workgroupFailed = kWorkgroupJoinFailed;
  const struct {
    bool change;
    Radio radio;
    const wchar_t* workGroup;
    std::deque<bool> results;
    std::deque<win::Button*> answers;
    StringList calls;
    int dialogs;
    StringList messages;
  } cases[] = {
      {false, kDomain, L"WG", {true}, {}, {}, 0, {}},
      {true, kDomain, L"", {true}, {}, {L"unjoin", L"corp|||3"}, 0, {}},
      {true, kDomain, L"", {}, {ok, ok}, {L"unjoin", L"corp|||3", L"corp|alice|pw|3", L"corp|alice|pw|3"}, 2,
       {domainFailed}},
      {true, kDomain, L"", {}, {cancel}, {L"unjoin", L"corp|||3"}, 1, {domainFailed}},
      {true, kNone, L"  ", {}, {}, {L"unjoin", L"|||0"}, 0, {workgroupFailed}},
      {true, kWorkGroup, L" WG ", {true}, {}, {L"unjoin", L"WG|||0"}, 0, {}},
  };
  TFormIpconfig& form = Form();
  login.EditID.SetText(L" alice ");
  login.EditPW.SetText(L"pw");
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
    form.Domain().Show({L"PC", {false, L" corp ", false, c.workGroup, false}});
    // The switch first, so that the radio button's own click decides last.
    if (c.change) ClickPageItem(form, 4, IDX_CheckChangeDomain);
    if (c.radio != kNone) ClickPageItem(form, 4, c.radio == kDomain ? IDR_RadioDomain : IDR_RadioWorkGroup);
    EXPECT_TRUE(form.Editor().Modified());
    form.Editor().Discard();
    EXPECT_EQ(IsWindowEnabled(PageItem(form, 4, IDR_RadioWorkGroup)) != 0, c.change);
    EXPECT_EQ(IsWindowEnabled(PageItem(form, 4, IDE_EditDomainServer)) != 0, c.change && c.radio == kDomain);
    EXPECT_EQ(IsWindowEnabled(PageItem(form, 4, IDE_EditWorkGroup)) != 0, c.change && c.radio == kWorkGroup);

    calls.clear(), results = c.results, answers = c.answers, posted = 0;
    prompts.messages.clear();
    const DomainValues chosen = form.Domain().Collect().domain;
    form.ChangeDomainStep({chosen.change, chosen.joinDomain, chosen.domain, chosen.workGroup});
    EXPECT_EQ(calls, c.calls);
    EXPECT_EQ(DialogsShown(), c.dialogs);
    EXPECT_EQ(prompts.messages, c.messages);
  }
}

}  // namespace
}  // namespace kip
