// A main window for tests: hidden, in a registry sandbox, with prompts
// answered by the test and the Windows version chosen by the test.
#pragma once

#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/UkIpConfig.h"
#include "support/RegistrySandbox.h"

namespace kip {

// Records every message and answers confirmations from a queue (Yes when
// the queue is empty).
class ScriptedPrompts : public Prompts {
 public:
  void ShowMessage(const std::wstring& text) override { messages.push_back(text); }
  Answer ConfirmYesNo(const std::wstring& text) override { return Next(text); }
  Answer ConfirmYesNoCancel(const std::wstring& text) override { return Next(text); }

  // Answers of input boxes in order; nullopt presses Cancel (the proposal
  // comes back). An empty queue cancels.
  std::wstring InputBox(const std::wstring& caption, const std::wstring& prompt,
                        const std::wstring& proposal) override {
    inputs.push_back({caption, prompt, proposal});
    if (inputAnswers.empty()) return proposal;
    std::optional<std::wstring> answer = inputAnswers.front();
    inputAnswers.pop_front();
    return answer ? *answer : proposal;
  }

  struct InputRequest {
    std::wstring caption, prompt, proposal;
  };
  std::vector<InputRequest> inputs;
  std::deque<std::optional<std::wstring>> inputAnswers;
  std::vector<std::wstring> messages;
  std::vector<std::wstring> questions;
  std::deque<Answer> answers;

 private:
  Answer Next(const std::wstring& text) {
    questions.push_back(text);
    if (answers.empty()) return Answer::Yes;
    Answer answer = answers.front();
    answers.pop_front();
    return answer;
  }
};

struct VersionChoice {
  DWORD major = 6;
  DWORD minor = 1;
  DWORD platform = VER_PLATFORM_WIN32_NT;
  bool callSucceeds = true;
};

class FormTest : public RegistryTest {
 protected:
  ~FormTest() override;
  // Creates (or recreates) the window with the current choices.
  TFormIpconfig& MakeForm();
  TFormIpconfig& Form() { return *form_; }

  ScriptedPrompts prompts;
  VersionChoice version;
  std::wstring programPath;  // empty: the test program's own path
  StringList arguments;
  std::vector<RECT> monitors{RECT{0, 0, 1280, 1024}};

 private:
  std::unique_ptr<TFormIpconfig> form_;
};

// The folder of the running test program, with a trailing backslash.
std::wstring TestProgramFolder();

}  // namespace kip
