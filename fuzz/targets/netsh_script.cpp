// The netsh script from hostile cards: whatever the store or the machine
// holds, no entry adds a line or a parameter. Every line of the script is
// one of the generator's line shapes, with a quoted name that is a card's
// connection name or identifier (carried unchanged by the code page) and
// address slots of digits and dots only, never empty.
#include <fuzzer/FuzzedDataProvider.h>

#include <array>

#include "FuzzSupport.h"
#include "apply/NetshScript.h"

namespace {

using namespace kip;

// Characters that break lines, quotes or the code page, reached by the
// bytes from 0x80 on; below that a byte is its ASCII character.
constexpr std::array<wchar_t, 16> kHostile = {L'\r',    L'\n',    L'\0',    L'"',     L'\t',    L' ',
                                              L'=',     L'\uFF02', L'\u00E9', L'\u3000', L'\u0085', L'\u2028',
                                              L'\uFEFF', static_cast<wchar_t>(0xD800), L'は',     L'\u00A0'};

// The stand-in code page of this run: it lacks the full-width quote and "é".
bool Fits(std::wstring_view text) { return text.find_first_of(L"\uFF02\u00E9") == std::wstring_view::npos; }

std::wstring Text(FuzzedDataProvider& in) {
  std::wstring text;
  for (unsigned char b : in.ConsumeRandomLengthString(24)) {
    text += b < 0x80 ? static_cast<wchar_t>(b) : kHostile[b % kHostile.size()];
  }
  return text;
}

StringList List(FuzzedDataProvider& in) {
  StringList list(in.ConsumeIntegralInRange<size_t>(0, 4));
  for (std::wstring& entry : list) entry = Text(in);
  return list;
}

NetshCardInput Card(FuzzedDataProvider& in) {
  NetshCardInput card;
  card.cardId = Text(in);
  card.connectionName = Text(in);
  card.currentAddress = Text(in);
  card.dhcp = in.ConsumeBool();
  card.addresses.resize(in.ConsumeIntegralInRange<size_t>(0, 4));
  for (auto& entry : card.addresses) entry = {Text(in), Text(in)};
  card.gateways.resize(in.ConsumeIntegralInRange<size_t>(0, 4));
  for (auto& entry : card.gateways) entry = {Text(in), Text(in)};
  card.dnsAutomatic = in.ConsumeBool();
  card.dnsServers = List(in);
  card.registerAddresses = in.ConsumeBool();
  card.registerSuffix = in.ConsumeBool();
  card.winsServers = List(in);
  return card;
}

// The shapes of the lines a block may hold; {N} the quoted name, {A} an
// address slot, {M} a metric, {R} a registration suffix.
constexpr const wchar_t* kShapes[] = {
    L"delete route prefix=0.0.0.0/0 interface={N}",
    L"delete address name={N} addr={A} gateway=all",
    L"delete address name={N} gateway=all",
    L"set address name={N} source=dhcp",
    L"set route prefix=0.0.0.0/0 interface={N} nexthop={A} metric={M} publish=はい",
    L"add route prefix=0.0.0.0/0 interface={N} nexthop={A} metric={M} publish=はい",
    L"set address name={N} gateway={A} gwmetric={M}",
    L"add address name={N} gateway={A} gwmetric={M}",
    L"set address name={N} source=static addr={A} {A}",
    L"set address name={N} source=static addr={A} {A} {A} {M}",
    L"add address name={N} {A} {A}",
    L"delete dns name={N} all",
    L"set dns name={N} source=dhcp",
    L"set dns name={N} source=dhcp {R}",
    L"set dns name={N} source=static addr={A}",
    L"set dns name={N} source=static addr={A} {R}",
    L"add dns name={N} addr={A}",
    L"add dns name={N} addr={A} index=1",
    L"delete wins name={N} all",
    L"set wins name={N} source=dhcp",
    L"set wins name={N} source=static addr={A}",
    L"add wins name={N} addr={A}",
    L"add wins name={N} addr={A} index=1",
};

// The line cut at blanks, a double-quoted part kept whole.
StringList Tokens(std::wstring_view line) {
  StringList tokens(1);
  bool quoted = false;
  for (wchar_t c : line) {
    if (c == L'"') quoted = !quoted;
    if (c == L' ' && !quoted) {
      tokens.emplace_back();
    } else {
      tokens.back() += c;
    }
  }
  return tokens;
}

struct Names {
  StringList allowed;  // every card's connection name and identifier
};

bool SlotMatches(std::wstring_view slot, std::wstring_view value, const Names& names) {
  // Digits and dots only; netsh takes no empty address.
  if (slot == L"{A}") return !value.empty() && value.find_first_not_of(L"0123456789.") == std::wstring_view::npos;
  if (slot == L"{M}") {
    const std::wstring_view digits = value.substr(!value.empty() && value[0] == L'-' ? 1 : 0);
    return !digits.empty() && digits.find_first_not_of(L"0123456789") == std::wstring_view::npos;
  }
  if (slot == L"{R}") return value == L"register=BOTH" || value == L"register=PRIMARY" || value == L"register=NONE";
  // {N}
  if (value.size() < 2 || value.front() != L'"' || value.back() != L'"') return false;
  const std::wstring_view name = value.substr(1, value.size() - 2);
  if (HoldsScriptBreakingCharacter(name) || !Fits(name)) return false;
  for (const std::wstring& allowed : names.allowed) {
    if (allowed == name) return true;
  }
  return false;
}

bool TokenMatches(std::wstring_view pattern, std::wstring_view token, const Names& names) {
  const size_t brace = pattern.find(L'{');
  if (brace == std::wstring_view::npos) return pattern == token;
  if (token.substr(0, brace) != pattern.substr(0, brace)) return false;
  return SlotMatches(pattern.substr(brace), token.substr(std::min(brace, token.size())), names);
}

bool LineHasAShape(const std::wstring& line, const Names& names) {
  static const std::vector<StringList> patterns = [] {
    std::vector<StringList> all;
    for (const wchar_t* shape : kShapes) all.push_back(Tokens(shape));
    return all;
  }();
  const StringList tokens = Tokens(line);
  for (const StringList& pattern : patterns) {
    if (pattern.size() != tokens.size()) continue;
    bool all = true;
    for (size_t i = 0; i < pattern.size() && all; ++i) all = TokenMatches(pattern[i], tokens[i], names);
    if (all) return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  const WindowsClass windows = ClassifyWindows(in.ConsumeIntegralInRange<DWORD>(4, 10),
                                               in.ConsumeIntegralInRange<DWORD>(0, 2));
  std::vector<NetshCardInput> cards(in.ConsumeIntegralInRange<size_t>(0, 3));
  Names names;
  size_t maxLines = 3;  // header, popd
  for (NetshCardInput& card : cards) {
    card = Card(in);
    names.allowed.push_back(card.cardId);
    names.allowed.push_back(card.connectionName);
    maxLines += 7 + card.addresses.size() + 2 * card.gateways.size() + card.dnsServers.size() +
                card.winsServers.size();
  }

  std::wstring script = NetshScriptHeader(windows);
  for (const NetshCardInput& card : cards) script += NetshCardBlock(windows, card, Fits);
  script += NetshScriptFooter();
  KIP_FUZZ_REQUIRE(script.size() >= 2 && script.compare(script.size() - 2, 2, L"\r\n") == 0);
  // Lines end in CR LF and nowhere else.
  StringList lines;
  for (size_t from = 0; from < script.size();) {
    const size_t end = script.find(L"\r\n", from);
    lines.push_back(script.substr(from, end - from));
    KIP_FUZZ_REQUIRE(lines.back().find_first_of(std::wstring_view(L"\r\n\0", 3)) == std::wstring::npos);
    from = end + 2;
  }
  KIP_FUZZ_REQUIRE(lines.size() <= maxLines);
  KIP_FUZZ_REQUIRE(lines.back() == L"popd");
  if (windows == WindowsClass::Version6) {
    KIP_FUZZ_REQUIRE(lines.size() >= 2 && lines[0] == L"pushd interface ipv4");
  } else {
    KIP_FUZZ_REQUIRE(lines.size() >= 2 && lines[0] == L"pushd interface ip");
  }
  for (size_t i = 1; i + 1 < lines.size(); ++i) KIP_FUZZ_REQUIRE(LineHasAShape(lines[i], names));
  return 0;
}
