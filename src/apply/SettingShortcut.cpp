#include "apply/SettingShortcut.h"

#include <iterator>

#include "util/Files.h"
#include "util/Shortcut.h"

namespace kip {

namespace {

std::wstring Quoted(std::wstring_view text) { return L"\"" + std::wstring(text) + L"\""; }

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
  shortcut.arguments = Quoted(settingName) + SwitchForExitItem(exitItem);
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
