// Prompts answered by the test: messages are recorded, confirmations and
// input boxes are answered from queues.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui/Prompts.h"
#include "util/Errors.h"

namespace kip {

// Records every message and answers confirmations from a queue (Yes when
// the queue is empty).
class ScriptedPrompts : public Prompts {
 public:
  void ShowMessage(const std::wstring& text) override {
    messages.push_back(text);
    if (messagesFail) throw KipError(L"message box failed");
  }
  // Makes every message raise, as a failing step of the caller would.
  bool messagesFail = false;
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

  // Files chosen in the open-file dialog, in order; nullopt (or an empty
  // queue) cancels it.
  std::optional<std::wstring> ChooseFile() override {
    ++fileDialogs;
    if (fileAnswers.empty()) return std::nullopt;
    std::optional<std::wstring> answer = fileAnswers.front();
    fileAnswers.pop_front();
    return answer;
  }
  int fileDialogs = 0;
  std::deque<std::optional<std::wstring>> fileAnswers;

  struct InputRequest {
    std::wstring caption, prompt, proposal;
  };
  std::vector<InputRequest> inputs;
  std::deque<std::optional<std::wstring>> inputAnswers;
  std::vector<std::wstring> messages;
  std::vector<std::wstring> questions;
  std::deque<Answer> answers;
  std::function<void()> whileAsking;  // runs while a question is open

 private:
  Answer Next(const std::wstring& text) {
    questions.push_back(text);
    if (whileAsking) whileAsking();
    if (answers.empty()) return Answer::Yes;
    Answer answer = answers.front();
    answers.pop_front();
    return answer;
  }
};

}  // namespace kip
