// Wi-Fi per setting: a setting may name a Windows Wi-Fi profile for one of
// its cards (stored with its network rule); the commit's script connects the
// card to it before it sets the card's addresses, so that the addresses go
// to the network they are meant for.
#pragma once

#include <string>

#include "apply/CommitPlan.h"
#include "apply/NetshScript.h"

namespace kip {

// Gives the card the rule names its stored Wi-Fi profile; nothing when the
// setting names none or the card is not listed.
void ReadWifiProfile(CommitSetting& setting);

// "wlan connect name="<profile>" interface=<name>" with CR LF, for the
// netsh of version 6 (earlier versions have no wlan context); empty when
// there is no profile or it cannot stand in a quoted netsh value.
// `quotedName`: the card as NetshQuotedName gives it.
std::wstring NetshWlanConnectLine(WindowsClass windows, const std::wstring& profile, const std::wstring& quotedName,
                                  ScriptTextFits fits);

}  // namespace kip
