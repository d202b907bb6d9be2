#include "apply/WifiCommit.h"

#include "store/SwitchRules.h"
#include "util/Guard.h"

namespace kip {

void ReadWifiProfile(CommitSetting& setting) {
  std::optional<StoredSwitchRule> stored;
  RunGuarded([&] { stored = LoadSwitchRule(setting.settingName); });
  if (!stored || stored->rule.wifiProfile.empty()) return;
  for (PlannedCardSource& card : setting.cards) {
    if (!card.cardId.empty() && EqualsNoCase(card.cardId, stored->rule.wifiCard)) card.wifiProfile = stored->rule.wifiProfile;
  }
}

std::wstring NetshWlanConnectLine(WindowsClass windows, const std::wstring& profile, const std::wstring& quotedName,
                                  ScriptTextFits fits) {
  const std::wstring name = Trim(profile);
  if (windows != WindowsClass::Version6 || name.empty() || quotedName.empty()) return {};
  if (HoldsScriptBreakingCharacter(name) || (fits && !fits(name))) return {};
  return L"wlan connect name=\"" + name + L"\" interface=" + quotedName + L"\r\n";
}

}  // namespace kip
