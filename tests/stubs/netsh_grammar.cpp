#include "netsh_grammar.h"

#include <algorithm>
#include <cstddef>
#include <cwctype>
#include <sstream>

namespace netsh {

namespace {

std::wstring Lower(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
  return text;
}

bool Blank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }

Words Split(const std::wstring& text) {
  std::wistringstream in(text);
  Words words;
  for (std::wstring word; in >> word;) words.push_back(word);
  return words;
}

std::wstring Join(const Words& words, size_t from = 0) {
  std::wstring text;
  for (size_t i = from; i < words.size(); ++i) text += (text.empty() ? L"" : L" ") + words[i];
  return text;
}

// --- loading -------------------------------------------------------------

Words SplitAt(const std::wstring& text, wchar_t separator) {
  Words parts;
  std::wstring part;
  for (wchar_t c : text + separator) {
    if (c == separator) {
      parts.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  return parts;
}

std::optional<Param> ParseParam(const std::wstring& word) {
  const size_t equals = word.find(L'=');
  if (equals == std::wstring::npos || equals == 0 || equals + 1 == word.size()) return std::nullopt;
  Param param;
  param.tag = Lower(word.substr(0, equals));
  std::wstring kinds = word.substr(equals + 1);
  if (kinds.back() == L'!') {
    param.required = true;
    kinds.pop_back();
  }
  param.kinds = SplitAt(kinds, L'|');
  return param;
}

// "command VERB [OBJECT] : PARAMS"
bool ParseCommand(Context& context, const Words& head, const Words& params, Command*& last) {
  if (head.size() < 2 || head.size() > 3) return false;
  Command command;
  for (const std::wstring& word : params) {
    std::optional<Param> param = ParseParam(word);
    if (!param) return false;
    command.params.push_back(*param);
  }
  last = &(context.commands[Lower(Join(head, 1))] = command);
  return true;
}

bool ParseCondition(Command* command, const Words& words) {
  if (command == nullptr || words.empty()) return false;
  if (words[0] == L"one-of" && words.size() >= 2) {
    command->conditions.push_back({L"", L"", Words(words.begin() + 1, words.end())});
    return true;
  }
  if (words.size() == 4 && words[0] == L"when" && words[2] == L"need") {
    command->conditions.push_back({Lower(words[1]), Lower(words[3]), {}});
    return true;
  }
  return false;
}

}  // namespace

std::optional<Grammar> ParseGrammar(const std::wstring& text, std::wstring* error) {
  Grammar grammar;
  Context* context = nullptr;
  Command* command = nullptr;
  std::wistringstream in(text);
  size_t number = 0;
  for (std::wstring line; std::getline(in, line);) {
    ++number;
    const Words words = Split(line);
    if (words.empty() || words[0][0] == L'#') continue;
    const size_t colon = std::find(words.begin(), words.end(), L":") - words.begin();
    const Words head(words.begin(), words.begin() + std::min(colon, words.size()));
    const Words tail(words.begin() + std::min(colon + 1, words.size()), words.end());
    bool ok = true;
    if (Blank(line[0])) {
      ok = ParseCondition(command, words);
    } else if (words[0] == L"context") {
      context = &grammar.contexts[Lower(Join(words, 1))];
      command = nullptr;
    } else if (colon == words.size() && words[0] != L"command") {
      ok = false;
    } else if (words[0] == L"global" && head.size() == 1) {
      for (const std::wstring& name : tail) grammar.global.push_back(Lower(name));
    } else if (context == nullptr) {
      ok = false;
    } else if (words[0] == L"names" && head.size() <= 2) {
      Words& names = head.size() == 1 ? context->names : context->objectNames[Lower(head[1])];
      for (const std::wstring& name : tail) names.push_back(Lower(name));
    } else if (words[0] == L"command") {
      ok = ParseCommand(*context, head, tail, command);
    } else {
      ok = false;
    }
    if (!ok) {
      if (error) *error = L"line " + std::to_wstring(number) + L": " + line;
      return std::nullopt;
    }
  }
  if (!grammar.contexts.count(L"")) {
    if (error) *error = L"no top-level context";
    return std::nullopt;
  }
  return grammar;
}

namespace {

// --- values --------------------------------------------------------------

bool Number(const std::wstring& text, unsigned long long max, unsigned long long* value = nullptr) {
  if (text.empty() || text.size() > 10) return false;
  unsigned long long n = 0;
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9') return false;
    n = n * 10 + static_cast<unsigned>(c - L'0');
  }
  if (value) *value = n;
  return n <= max;
}

bool Ipv4(const std::wstring& text, unsigned long* bits = nullptr) {
  const Words parts = SplitAt(text, L'.');
  if (parts.size() != 4) return false;
  unsigned long value = 0;
  for (const std::wstring& part : parts) {
    unsigned long long octet = 0;
    if (part.size() > 3 || (part.size() > 1 && part[0] == L'0') || !Number(part, 255, &octet)) return false;
    value = (value << 8) | static_cast<unsigned long>(octet);
  }
  if (bits) *bits = value;
  return true;
}

bool Mask(const std::wstring& text) {
  unsigned long bits = 0;
  if (!Ipv4(text, &bits) || bits == 0) return false;
  const unsigned long inverted = ~bits & 0xFFFFFFFFul;
  return (inverted & (inverted + 1)) == 0;  // ones, then zeros
}

bool HexGroup(const std::wstring& group) {
  return !group.empty() && group.size() <= 4 &&
         std::all_of(group.begin(), group.end(), [](wchar_t c) { return std::iswxdigit(c) != 0; });
}

// Groups of one to four hex digits, at most one "::", an IPv4 tail.
bool Ipv6(const std::wstring& text) {
  const size_t gap = text.find(L"::");
  if (gap != std::wstring::npos && text.find(L"::", gap + 1) != std::wstring::npos) return false;
  Words groups;
  for (const std::wstring& half : gap == std::wstring::npos ? Words{text}
                                                             : Words{text.substr(0, gap), text.substr(gap + 2)}) {
    if (half.empty()) continue;
    for (const std::wstring& group : SplitAt(half, L':')) groups.push_back(group);
  }
  size_t count = 0;
  for (size_t i = 0; i < groups.size(); ++i) {
    const bool tail = i + 1 == groups.size() && groups[i].find(L'.') != std::wstring::npos;
    if (tail ? !Ipv4(groups[i]) : !HexGroup(groups[i])) return false;
    count += tail ? 2 : 1;
  }
  return gap == std::wstring::npos ? count == 8 : count <= 7;
}

// ADDRESS, or ADDRESS/LENGTH when a length is allowed (or, with
// `lengthRequired`, must be there).
bool WithLength(const std::wstring& text, bool (*address)(const std::wstring&), unsigned max,
                bool lengthRequired) {
  const size_t slash = text.find(L'/');
  if (slash == std::wstring::npos) return !lengthRequired && address(text);
  return address(text.substr(0, slash)) && Number(text.substr(slash + 1), max);
}

bool PlainIpv4(const std::wstring& text) { return Ipv4(text); }

bool KindAccepts(const std::wstring& kind, const std::wstring& value) {
  if (kind == L"text") return true;
  if (kind == L"ifname") return value.find_first_of(L"*?") == std::wstring::npos;
  if (kind == L"ipv4") return Ipv4(value);
  if (kind == L"mask") return Mask(value);
  if (kind == L"ipv4/len") return WithLength(value, PlainIpv4, 32, false);
  if (kind == L"prefix4") return WithLength(value, PlainIpv4, 32, true);
  if (kind == L"ipv6") return Ipv6(value);
  if (kind == L"ipv6/len") return WithLength(value, Ipv6, 128, false);
  if (kind == L"prefix6") return WithLength(value, Ipv6, 128, true);
  if (kind == L"uint") return Number(value, 4294967295ull);
  unsigned long long n = 0;
  if (kind == L"index") return Number(value, 4294967295ull, &n) && n >= 1;
  return Lower(value) == Lower(kind);  // a literal
}

bool ValueAccepted(const Param& param, const std::wstring& value) {
  if (value.empty()) return false;
  return std::any_of(param.kinds.begin(), param.kinds.end(),
                     [&](const std::wstring& kind) { return KindAccepts(kind, value); });
}

// --- words ---------------------------------------------------------------

// A whole name, or the one name `word` begins; empty when none or several.
std::wstring Resolve(const std::wstring& word, const Words& names, bool* ambiguous = nullptr) {
  const std::wstring lower = Lower(word);
  if (std::find(names.begin(), names.end(), lower) != names.end()) return lower;
  std::wstring found;
  int count = 0;
  for (const std::wstring& name : names) {
    if (!lower.empty() && name.compare(0, lower.size(), lower) == 0 && name != found) {
      found = name;
      ++count;
    }
  }
  if (ambiguous) *ambiguous = count > 1;
  return count == 1 ? found : std::wstring();
}

struct Token {
  std::wstring text;     // quotes removed
  std::wstring tag;      // before an "=" outside quotes; empty: untagged
  bool tagged = false;
};

std::vector<Token> Tokenize(const std::wstring& line) {
  std::vector<Token> tokens;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && Blank(line[i])) ++i;
    if (i >= line.size()) break;
    Token token;
    bool quoted = false;
    for (; i < line.size() && (quoted || !Blank(line[i])); ++i) {
      if (line[i] == L'"') {
        quoted = !quoted;
      } else if (line[i] == L'=' && !quoted && !token.tagged) {
        token.tagged = true;
        token.tag = token.text;
        token.text.clear();
      } else {
        token.text += line[i];
      }
    }
    tokens.push_back(token);
  }
  return tokens;
}

Verdict Refuse(const std::wstring& reason) { return {false, false, reason}; }
Verdict NotFound(const std::wstring& reason) { return {false, true, reason}; }

std::wstring ContextKey(const Words& path) { return Join(path); }

// --- one command's arguments -----------------------------------------------

using Given = std::map<std::wstring, std::wstring>;  // tag to value

bool Holds(const std::wstring& condition, const Given& given) {
  const size_t equals = condition.find(L'=');
  const bool noLength = !condition.empty() && condition.back() == L'/';
  const std::wstring tag = condition.substr(0, std::min(equals, condition.size() - (noLength ? 1 : 0)));
  const auto it = given.find(tag);
  if (it == given.end()) return false;
  if (noLength) return it->second.find(L'/') == std::wstring::npos;
  return equals == std::wstring::npos || Lower(it->second) == condition.substr(equals + 1);
}

Verdict CheckConditions(const Command& command, const Given& given) {
  for (const Param& param : command.params) {
    if (param.required && !given.count(param.tag)) return Refuse(L"the required tag " + param.tag + L" is missing");
  }
  for (const Condition& c : command.conditions) {
    if (!c.oneOf.empty()) {
      if (std::none_of(c.oneOf.begin(), c.oneOf.end(), [&](const std::wstring& tag) { return given.count(tag); })) {
        return Refuse(L"one of " + Join(c.oneOf) + L" is needed");
      }
    } else if (Holds(c.when, given) && !Holds(c.need, given)) {
      return Refuse(c.when + L" needs " + c.need);
    }
  }
  return {};
}

Verdict CheckArguments(const Command& command, const std::vector<Token>& arguments) {
  Words tags;
  for (const Param& param : command.params) tags.push_back(param.tag);
  Given given;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const Token& token = arguments[i];
    size_t place = i;
    if (token.tagged) {
      bool ambiguous = false;
      const std::wstring tag = Resolve(token.tag, tags, &ambiguous);
      if (tag.empty()) return Refuse((ambiguous ? L"the tag is ambiguous: " : L"no such tag: ") + token.tag);
      place = std::find(tags.begin(), tags.end(), tag) - tags.begin();
    } else if (place >= tags.size()) {
      return Refuse(L"too many values: " + token.text);
    }
    const Param& param = command.params[place];
    if (given.count(param.tag)) return Refuse(L"the tag " + param.tag + L" is given twice");
    if (!ValueAccepted(param, token.text)) return Refuse(L"not a value of " + param.tag + L": \"" + token.text + L"\"");
    given[param.tag] = token.text;
  }
  return CheckConditions(command, given);
}

// The context a pushd names, from `current`.
std::optional<Words> ContextPath(const Grammar& grammar, Words current, const std::vector<Token>& words) {
  for (const Token& word : words) {
    const auto context = grammar.contexts.find(ContextKey(current));
    if (word.tagged || context == grammar.contexts.end()) return std::nullopt;
    const std::wstring name = Resolve(word.text, context->second.names);
    Words next = current;
    next.push_back(name);
    if (name.empty() || !grammar.contexts.count(ContextKey(next))) return std::nullopt;
    current = next;
  }
  return current;
}

// Where a line's words lead: the context they end in, the command ("verb"
// or "verb object") and the first argument after it.
struct Found {
  Words path;
  std::wstring key;
  const Command* command = nullptr;
  size_t arguments = 0;
};

// The command `key` in `context`, or, for a command every context has,
// in the top level.
const Command* CommandOf(const Grammar& grammar, const Context& context, const std::wstring& key) {
  auto it = context.commands.find(key);
  if (it != context.commands.end()) return &it->second;
  if (std::find(grammar.global.begin(), grammar.global.end(), key) == grammar.global.end()) return nullptr;
  const Context& top = grammar.contexts.at(L"");
  it = top.commands.find(key);
  return it == top.commands.end() ? nullptr : &it->second;
}

// Follows the words through sub-contexts to a command (R1).
Verdict FindCommand(const Grammar& grammar, const std::vector<Token>& tokens, Found& found) {
  size_t at = 0;
  for (;;) {
    const Context& context = grammar.contexts.at(ContextKey(found.path));
    if (at >= tokens.size() || tokens[at].tagged) return NotFound(L"no command named");
    Words names = context.names;
    names.insert(names.end(), grammar.global.begin(), grammar.global.end());
    const std::wstring name = Resolve(tokens[at++].text, names);
    if (name.empty()) return NotFound(L"no command or context " + tokens[at - 1].text);
    Words sub = found.path;
    sub.push_back(name);
    if (grammar.contexts.count(ContextKey(sub))) {
      found.path = sub;
      continue;
    }
    found.key = name;
    const auto objects = context.objectNames.find(name);
    if (objects != context.objectNames.end()) {
      const std::wstring word = at < tokens.size() && !tokens[at].tagged ? tokens[at].text : L"";
      const std::wstring object = Resolve(word, objects->second);
      if (object.empty()) return NotFound(L"no " + name + L" command " + word);
      found.key += L" " + object;
      ++at;
    }
    found.command = CommandOf(grammar, context, found.key);
    found.arguments = at;
    if (found.command == nullptr) {
      return Refuse(L"not a command this program gives: " + Join({ContextKey(found.path), found.key}));
    }
    return {};
  }
}

}  // namespace

Verdict CheckLine(const Grammar& grammar, Words& stack, const std::wstring& line) {
  const std::vector<Token> tokens = Tokenize(line);
  if (tokens.empty()) return {};
  Found found;
  if (!stack.empty() && !stack.back().empty()) found.path = SplitAt(stack.back(), L' ');
  const Verdict verdict = FindCommand(grammar, tokens, found);
  if (!verdict.accepted) return verdict;
  const std::vector<Token> arguments(tokens.begin() + static_cast<std::ptrdiff_t>(found.arguments), tokens.end());
  if (found.key == L"pushd") {
    const std::optional<Words> target = ContextPath(grammar, found.path, arguments);
    if (!target) return Refuse(L"no such context: " + line);
    stack.push_back(ContextKey(*target));
    return {};
  }
  if (found.key == L"popd") {
    if (!arguments.empty()) return Refuse(L"popd takes nothing");
    if (stack.empty()) return Refuse(L"popd with nothing pushed");
    stack.pop_back();
    return {};
  }
  return CheckArguments(*found.command, arguments);
}

Verdict CheckCommandLine(const Grammar& grammar, const std::wstring& arguments) {
  Words stack;
  return CheckLine(grammar, stack, arguments);
}

std::vector<Refusal> CheckScript(const Grammar& grammar, const std::wstring& script) {
  std::vector<Refusal> refusals;
  Words stack;
  std::wistringstream in(script);
  size_t number = 0;
  for (std::wstring line; std::getline(in, line);) {
    ++number;
    if (!line.empty() && line.back() == L'\r') line.pop_back();
    const size_t first = line.find_first_not_of(L" \t");
    if (first == std::wstring::npos || line[first] == L'#') continue;
    const Verdict verdict = CheckLine(grammar, stack, line);
    if (!verdict.accepted) refusals.push_back({number, line, verdict});
  }
  return refusals;
}

}  // namespace netsh
