#include "apply/SettingShortcut.h"

#include <iterator>

#include "util/Files.h"
#include "util/Shortcut.h"

namespace kip {

namespace {

std::wstring Quoted(std::wstring_view text) { return L"\"" + std::wstring(text) + L"\""; }

// One argument as the program's command-line parsing (CommandLineToArgvW)
// gives it back whole: in double quotes, a double quote escaped by a
// backslash, and the backslashes before a double quote (the closing one
// included) doubled. "%" needs nothing: the program's own parsing expands
// no variables.
std::wstring QuotedArgument(std::wstring_view text) {
  std::wstring out = L"\"";
  size_t backslashes = 0;
  for (wchar_t c : text) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    out.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
    out += c;
    backslashes = 0;
  }
  out.append(2 * backslashes, L'\\');
  return out + L"\"";
}

// The setting name as the shortcut's first argument. A name that starts like
// a switch ("/", "-") gets a blank in front, which the command line trims
// off again, so that it is not taken for the switch.
std::wstring NameArgument(const std::wstring& settingName) {
  const bool looksLikeSwitch = !settingName.empty() && (settingName[0] == L'/' || settingName[0] == L'-');
  return QuotedArgument(looksLikeSwitch ? L" " + settingName : settingName);
}

// The switch for each item of the post-commit dialog's choice list.
std::wstring SwitchForExitItem(int exitItem) {
  static const wchar_t* const kSwitches[] = {L" /s", L" /r", L" /c", L" /n"};
  if (exitItem < 0 || exitItem >= static_cast<int>(std::size(kSwitches))) return {};
  return kSwitches[exitItem];
}

}  // namespace

SettingShortcut MakeSettingShortcut(const std::wstring& settingName, int exitItem, const std::wstring& programPath,
                                    const std::wstring& desktopFolder) {
  SettingShortcut shortcut;
  shortcut.file = desktopFolder + L"kIpConfig[" + MakeSafeFileName(settingName) + L"]" + L".lnk";
  shortcut.target = Quoted(programPath);
  // The name as the tab shows it: the command line finds the tab by it.
  shortcut.arguments = NameArgument(settingName) + SwitchForExitItem(exitItem);
  shortcut.workingFolder = ExtractFilePath(programPath);
  shortcut.description = L"HARLUNE IP CONFIG";
  shortcut.iconFile = programPath;
  return shortcut;
}

bool WriteSettingShortcut(const SettingShortcut& shortcut) {
  return CreateShortcut(shortcut.target, shortcut.arguments, shortcut.workingFolder, shortcut.description,
                        shortcut.file, shortcut.iconFile);
}

std::wstring ShortcutNotSavedText(std::wstring_view file) {
  return L"ショートカット " + std::wstring(file) + L" を保存できませんでした.";
}

}  // namespace kip
