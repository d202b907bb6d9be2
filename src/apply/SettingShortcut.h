// The desktop shortcut that commits one setting from the command line.
#pragma once

#include <string>
#include <string_view>

namespace kip {

// Everything a setting's shortcut holds.
struct SettingShortcut {
  std::wstring file;  // full path, ending in ".lnk"
  std::wstring target;
  std::wstring arguments;
  std::wstring workingFolder;
  std::wstring description;
  std::wstring iconFile;
};

// The shortcut of a setting. `exitItem` is the selected item of the
// post-commit dialog's choice list (0 shut down, 1 restart, 2 leave the
// program, 3 carry on), which becomes the switch; any other value (-1: the
// list has no selection yet) gives no switch, so that a run takes the exit
// choice stored at that time. `desktopFolder` and `programPath`: the
// folder the file goes to (with its trailing backslash) and the program the
// shortcut starts.
SettingShortcut MakeSettingShortcut(const std::wstring& settingName, int exitItem, const std::wstring& programPath,
                                    const std::wstring& desktopFolder);

// Saves the shortcut, replacing a file of the same name. False when the file
// could not be written; throws ShortcutError when the shell-link object is
// missing (see util/Shortcut.h).
bool WriteSettingShortcut(const SettingShortcut& shortcut);

// The status-bar text for a shortcut that could not be saved.
std::wstring ShortcutNotSavedText(std::wstring_view file);

}  // namespace kip
