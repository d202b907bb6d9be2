// Names of settings: the ones the commands propose, and the rules that decide
// whether two names are one setting. Pure text work.
#pragma once

#include <string>
#include <string_view>

#include "util/Text.h"

namespace kip {

// The name a new, copied or renamed setting is stored under: "\" would nest
// keys, so it becomes the full-width yen sign, as a file name would have it.
std::wstring NormalizeSettingName(std::wstring_view name);

// True when the two names denote the same registry key (letter case ignored
// the way the registry ignores it).
bool SameSettingName(std::wstring_view a, std::wstring_view b);

// Index of the first name that is the same setting as `name`, skipping
// index `except`; -1 when there is none.
int FindSettingName(const StringList& names, std::wstring_view name, int except = -1);

// True when the two names give one pair of batch files: their safe file
// names are equal with letter case ignored, as the file system ignores it.
bool ShareBatchFiles(std::wstring_view a, std::wstring_view b);

// True when a setting may not be given the name `name` beside the settings
// `names` (index `except` skipped, the setting being renamed): another
// setting would be the same key or use the same batch files, or the name is
// the options key's.
bool SettingNameTaken(const StringList& names, std::wstring_view name, int except = -1);

// "新しい設定" + the smallest n from 0 that no name uses.
std::wstring NewSettingName(const StringList& names);

// The proposal of a copy of setting `index`: its name, with the pass
// number appended while another setting has that name, then " Copy".
std::wstring CopyProposal(const StringList& names, int index);

}  // namespace kip
