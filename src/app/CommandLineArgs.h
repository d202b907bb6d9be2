// The command line of an unattended run: which setting to commit and what
// to do afterwards. Pure functions of the argument list, so that the window
// only carries out what they decide.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "util/Text.h"

namespace kip {

struct CommandLineRequest {
  // Trimmed of blanks and control characters, letters A to Z lower-cased.
  std::wstring settingName;
  // An argument beginning with "/" or "-" was given.
  bool hasSwitch = false;
  // Its second character with A to Z lower-cased; 0 when the switch is a
  // single character.
  wchar_t switchLetter = 0;
  // The second argument is "/n" (either letter case): the window stays open
  // after the run. "-n", or "/n" first, choose no exit action but still
  // close it.
  bool keepWindowOpen = false;
};

// What follows the commit of an unattended run.
enum class ExitAction { None, ShutDown, Restart, CloseWindow, LogOff };

// The setting name as the command line and the tab search compare it:
// trimmed, and only the letters A to Z lower-cased (Japanese and other
// letters stay as they are, so they must match exactly).
std::wstring FoldSettingName(std::wstring_view name);

// Reads at most the first two arguments (those after the program): the
// setting name and an optional switch, in either order.
CommandLineRequest ParseCommandLine(const StringList& arguments);

// The index of the first tab, from the left, whose folded text equals
// the folded name; -1 when there is none.
int FindSettingTab(const StringList& tabTexts, std::wstring_view name);

// The switch decides; without one, the stored exit choice ("Shutdown
// Index") does.
ExitAction ChooseExitAction(const CommandLineRequest& request, int exitChoice);

// The status-bar text for a name no tab carries.
std::wstring SettingNotFoundText(std::wstring_view foldedName);

// The helper of a commit with automatic return: the program started as
// "/autoreturn <token> <process id of the window>" and nothing else.
struct AutoReturnArguments {
  std::wstring token;
  std::uint32_t windowProcessId = 0;
};
std::optional<AutoReturnArguments> ParseAutoReturnArguments(const StringList& arguments);

// A switch "/preview" or "/preview:<file>" ("-" as well, any letter case)
// anywhere among the arguments: the run writes the preview of the named
// setting's commit into the file and commits nothing. Without a file it goes to
// `defaultFile`. nullopt for every other command line.
std::optional<std::wstring> PreviewFileArgument(const StringList& arguments, const std::wstring& defaultFile);

}  // namespace kip
