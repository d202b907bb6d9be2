#include "store/SwitchRules.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <cwctype>

#include "store/SettingStore.h"
#include "util/Guard.h"
#include "util/Ipv4Text.h"
#include "util/kRegistry.h"

namespace kip {

namespace {

constexpr wchar_t kGateway[] = L"Gateway";
constexpr wchar_t kGatewayMac[] = L"GatewayMAC";
constexpr wchar_t kDnsSuffix[] = L"DnsSuffix";
constexpr wchar_t kSubnet[] = L"Subnet";
constexpr wchar_t kLinkCard[] = L"LinkCard";
constexpr wchar_t kSsid[] = L"SSID";
constexpr wchar_t kCommitWithoutAsking[] = L"CommitWithoutAsking";
constexpr wchar_t kWifiProfile[] = L"WifiProfile";
constexpr wchar_t kWifiCard[] = L"WifiCard";

// Longer texts are no network's: a damaged or planted value.
constexpr size_t kMaxFieldLength = 256;

std::wstring RulePath(std::wstring_view settingName) {
  return SettingKeyPath(settingName) + L"\\" + kSwitchRuleSubkey;
}

int HexValue(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return -1;
}

bool ParseMask(std::wstring_view text, int& length) {
  uint32_t mask = 0;
  if (!ParseIpv4(text, mask)) return false;
  // Contiguous ones from the top.
  const uint32_t inverted = ~mask;
  if ((inverted & (inverted + 1)) != 0) return false;
  length = 0;
  for (uint32_t bit = 0x80000000u; bit != 0 && (mask & bit); bit >>= 1) ++length;
  return true;
}

// A string field: its text, or nothing with a note when it is not a string,
// too long, or fails its check.
void ReadField(const TkRegistry& key, const wchar_t* name, std::wstring& field, StringList& notes) {
  if (!key.ValueExists(name)) return;
  const std::optional<std::wstring> text = key.TryReadString(name);
  const std::wstring problem = text ? SwitchRuleFieldProblem(name, *text) : L"文字列ではありません";
  if (problem.empty()) {
    field = Trim(*text);
  } else {
    notes.push_back(std::wstring(name) + L": " + problem);
  }
}

// The text fields with their value names, in the order they are written.
template <typename Rule>
auto TextFields(Rule& rule) {
  return std::array{std::pair{kGateway, &rule.gateway}, std::pair{kGatewayMac, &rule.gatewayMac},
                    std::pair{kDnsSuffix, &rule.dnsSuffix}, std::pair{kSubnet, &rule.subnet},
                    std::pair{kLinkCard, &rule.linkCard},   std::pair{kSsid, &rule.ssid},
                    std::pair{kWifiProfile, &rule.wifiProfile}, std::pair{kWifiCard, &rule.wifiCard}};
}

}  // namespace

int SwitchRule::ConditionCount() const {
  int count = 0;
  for (const std::wstring* field : {&gateway, &gatewayMac, &dnsSuffix, &subnet, &linkCard, &ssid}) {
    if (!field->empty()) ++count;
  }
  return count;
}

std::wstring NormalizedMac(std::wstring_view text) {
  std::wstring digits;
  for (wchar_t c : text) {
    if (HexValue(c) >= 0) {
      digits += static_cast<wchar_t>(std::towupper(c));
    } else if (c != L':' && c != L'-' && c != L'.' && c != L' ') {
      return {};
    }
  }
  if (digits.size() != 12) return {};
  std::wstring normal;
  for (size_t i = 0; i < 12; i += 2) {
    if (i > 0) normal += L'-';
    normal += digits.substr(i, 2);
  }
  return normal;
}

bool ParseSubnet(std::wstring_view text, uint32_t& network, int& length) {
  const size_t slash = text.find(L'/');
  if (slash == std::wstring_view::npos) return false;
  uint32_t address = 0;
  if (!ParseIpv4(text.substr(0, slash), address)) return false;
  const std::wstring_view rest = text.substr(slash + 1);
  int bits = -1;
  if (rest.find(L'.') != std::wstring_view::npos) {
    if (!ParseMask(rest, bits)) return false;
  } else {
    if (rest.empty() || rest.size() > 2 || rest.find_first_not_of(L"0123456789") != std::wstring_view::npos) return false;
    bits = static_cast<int>(ToIntDef(rest, -1));
    if (bits < 0 || bits > 32) return false;
  }
  length = bits;
  network = bits == 0 ? 0 : address & (0xFFFFFFFFu << (32 - bits));
  return true;
}

std::wstring SwitchRuleFieldProblem(std::wstring_view valueName, std::wstring_view raw) {
  const std::wstring text = Trim(raw);
  if (text.size() > kMaxFieldLength) return L"長すぎます";
  if (std::any_of(text.begin(), text.end(), [](wchar_t c) { return c < 32; })) return L"制御文字を含んでいます";
  if (text.empty()) return {};
  uint32_t address = 0;
  int length = 0;
  if (valueName == kGateway && !ParseIpv4(text, address)) return L"IPv4 アドレスではありません";
  if (valueName == kGatewayMac && NormalizedMac(text).empty()) return L"MAC アドレスではありません";
  if (valueName == kSubnet && !ParseSubnet(text, address, length)) return L"サブネットではありません";
  // An SSID is at most 32 bytes.
  if (valueName == kSsid && ToUtf8(text).size() > 32) return L"SSID が長すぎます";
  // The profile name goes into a netsh line inside double quotes.
  if ((valueName == kWifiProfile || valueName == kWifiCard) && text.find(L'"') != std::wstring::npos) {
    return L"\" を含んでいます";
  }
  return {};
}

std::optional<StoredSwitchRule> LoadSwitchRule(std::wstring_view settingName) {
  if (settingName.empty()) return std::nullopt;
  TkRegistry key(HKEY_LOCAL_MACHINE);
  if (!key.OpenKeyReadOnly(RulePath(settingName))) return std::nullopt;
  StoredSwitchRule stored;
  SwitchRule& rule = stored.rule;
  for (const auto& [name, field] : TextFields(rule)) ReadField(key, name, *field, stored.notes);
  if (key.ValueExists(kCommitWithoutAsking)) {
    const std::optional<int> flag = key.TryReadInteger(kCommitWithoutAsking);
    if (flag) {
      rule.commitWithoutAsking = *flag != 0;
    } else {
      stored.notes.push_back(std::wstring(kCommitWithoutAsking) + L": DWORD ではありません");
    }
  }
  return stored;
}

bool SaveSwitchRule(std::wstring_view settingName, const SwitchRule& rule) {
  if (settingName.empty()) return false;
  TkRegistry key(HKEY_LOCAL_MACHINE);
  const std::wstring path = RulePath(settingName);
  if (key.KeyExists(path) && !key.DeleteKey(path)) return false;
  if (rule.ConditionCount() == 0 && rule.wifiProfile.empty()) return true;
  if (!key.OpenKey(path, true)) return false;
  return RunGuarded([&] {
    for (const auto& [name, text] : TextFields(rule)) {
      if (!text->empty()) key.WriteString(name, *text);
    }
    key.WriteInteger(kCommitWithoutAsking, rule.commitWithoutAsking ? 1 : 0);
  });
}

}  // namespace kip
