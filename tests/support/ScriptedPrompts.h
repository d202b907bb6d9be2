// Prompts answered by the test: messages are recorded, confirmations are
// answered from a queue.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "ui/Prompts.h"

namespace kip {

// Records every message and answers confirmations from a queue (Yes when
// the queue is empty).
class ScriptedPrompts : public Prompts {
 public:
  void ShowMessage(const std::wstring& text) override { messages.push_back(text); }
  Answer ConfirmYesNo(const std::wstring& text) override { return Next(text); }
  Answer ConfirmYesNoCancel(const std::wstring& text) override { return Next(text); }

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

}  // namespace kip
