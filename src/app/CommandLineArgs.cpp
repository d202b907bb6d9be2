#include "app/CommandLineArgs.h"

namespace kip {

namespace {

wchar_t LowerAsciiLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

bool IsSwitch(std::wstring_view argument) {
  return !argument.empty() && (argument[0] == L'/' || argument[0] == L'-');
}

wchar_t SwitchLetter(std::wstring_view argument) { return argument.size() > 1 ? LowerAsciiLetter(argument[1]) : 0; }

}  // namespace

std::wstring FoldSettingName(std::wstring_view name) {
  std::wstring out = Trim(name);
  for (wchar_t& c : out) c = LowerAsciiLetter(c);
  return out;
}

CommandLineRequest ParseCommandLine(const StringList& arguments) {
  const std::wstring first = arguments.size() > 0 ? arguments[0] : std::wstring();
  const std::wstring second = arguments.size() > 1 ? arguments[1] : std::wstring();
  CommandLineRequest request;
  std::wstring name = first;
  if (IsSwitch(first)) {
    request.hasSwitch = true;
    request.switchLetter = SwitchLetter(first);
    name = second;
  } else if (IsSwitch(second)) {
    request.hasSwitch = true;
    request.switchLetter = SwitchLetter(second);
  }
  request.settingName = FoldSettingName(name);
  return request;
}

int FindSettingTab(const StringList& tabTexts, std::wstring_view name) {
  const std::wstring wanted = FoldSettingName(name);
  for (size_t i = 0; i < tabTexts.size(); ++i) {
    if (FoldSettingName(tabTexts[i]) == wanted) return static_cast<int>(i);
  }
  return -1;
}

ExitAction ChooseExitAction(const CommandLineRequest& request, int exitChoice) {
  if (request.hasSwitch) {
    switch (request.switchLetter) {
      case L's': return ExitAction::ShutDown;
      case L'r': return ExitAction::Restart;
      case L'n': return ExitAction::None;
      default: return ExitAction::CloseWindow;  // "c", an unknown letter or none
    }
  }
  switch (exitChoice) {
    case 0: return ExitAction::ShutDown;
    case 1: return ExitAction::Restart;
    case 2: return ExitAction::CloseWindow;
    // 3 is "続ける" in the post-commit dialog: carry on, as a commit from
    // the window does with that stored choice.
    case 4: return ExitAction::LogOff;
    default: return ExitAction::None;
  }
}

bool KeepsWindowOpen(const CommandLineRequest& request) { return request.hasSwitch && request.switchLetter == L'n'; }

std::wstring SettingNotFoundText(std::wstring_view foldedName) {
  return L"設定[" + std::wstring(foldedName) + L"]が見つかりません.";
}

}  // namespace kip
