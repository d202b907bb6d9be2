// The netsh grammar of netsh-grammar.txt: loads the table and says whether
// netsh takes a line. Plain C++ (no Windows calls), shared by the recording
// netsh stand-in and the script tests.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace netsh {

using Words = std::vector<std::wstring>;

struct Param {
  std::wstring tag;
  Words kinds;  // alternatives: a kind name or a literal word
  bool required = false;
};

// "when A need B" (B empty: "one-of" over `oneOf`).
struct Condition {
  std::wstring when, need;
  Words oneOf;
};

struct Command {
  std::vector<Param> params;
  std::vector<Condition> conditions;
};

struct Context {
  Words names;                                 // its commands and sub-contexts
  std::map<std::wstring, Words> objectNames;   // verb to its objects
  std::map<std::wstring, Command> commands;    // "verb" or "verb object"
};

struct Grammar {
  std::map<std::wstring, Context> contexts;    // "" the top level, "interface ipv4", ...
  Words global;                                // the commands of every context
};

// The table, or nothing with `error` saying which line is wrong.
std::optional<Grammar> ParseGrammar(const std::wstring& text, std::wstring* error);

struct Verdict {
  bool accepted = true;
  bool commandNotFound = false;  // netsh's "The following command was not found"
  std::wstring reason;
};

// One line given in `context` ("" the top level); a pushd or popd line
// changes `stack` (the current context last).
Verdict CheckLine(const Grammar& grammar, Words& stack, const std::wstring& line);

// A line as the command line of netsh (the words after "netsh").
Verdict CheckCommandLine(const Grammar& grammar, const std::wstring& arguments);

struct Refusal {
  size_t lineNumber = 0;  // from 1
  std::wstring line;
  Verdict verdict;
};

// Every line of a script given with "netsh exec", from the top level.
std::vector<Refusal> CheckScript(const Grammar& grammar, const std::wstring& script);

}  // namespace netsh
