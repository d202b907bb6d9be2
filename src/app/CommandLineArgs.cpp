#include "app/CommandLineArgs.h"

#include "apply/AutoReturnSwitch.h"

namespace kip {

namespace {

wchar_t LowerAsciiLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

bool IsSwitch(std::wstring_view argument) {
  return !argument.empty() && (argument[0] == L'/' || argument[0] == L'-');
}

wchar_t SwitchLetter(std::wstring_view argument) { return argument.size() > 1 ? LowerAsciiLetter(argument[1]) : 0; }

constexpr wchar_t kPreviewSwitch[] = L"preview";

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
  request.keepWindowOpen = EqualsNoCase(second, L"/n");
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

std::wstring SettingNotFoundText(std::wstring_view foldedName) {
  return L"設定[" + std::wstring(foldedName) + L"]が見つかりません.";
}

std::optional<AutoReturnArguments> ParseAutoReturnArguments(const StringList& arguments) {
  if (arguments.size() != 3 || !EqualsNoCase(arguments[0], kAutoReturnSwitch) || !IsReturnToken(arguments[1])) {
    return std::nullopt;
  }
  const std::wstring& pid = arguments[2];
  if (pid.empty() || pid.size() > 10 || pid.find_first_not_of(L"0123456789") != std::wstring::npos) return std::nullopt;
  const long long value = ToIntDef(pid, -1);
  if (value <= 0 || value > 0xFFFFFFFFLL) return std::nullopt;
  return AutoReturnArguments{arguments[1], static_cast<std::uint32_t>(value)};
}

std::optional<std::wstring> PreviewFileArgument(const StringList& arguments, const std::wstring& defaultFile) {
  // Anywhere on the command line: a preview asked for must never turn into
  // a commit because other switches came first.
  const std::wstring_view name(kPreviewSwitch);
  for (const std::wstring& argument : arguments) {
    if (!IsSwitch(argument) || argument.size() < name.size() + 1 ||
        !EqualsNoCase(std::wstring_view(argument).substr(1, name.size()), name)) {
      continue;
    }
    const std::wstring rest = argument.substr(name.size() + 1);
    if (!rest.empty() && rest[0] != L':') continue;  // another word: a switch of old
    const std::wstring file = rest.empty() ? std::wstring() : Trim(rest.substr(1));
    return file.empty() ? defaultFile : file;
  }
  return std::nullopt;
}

}  // namespace kip
