// The enabling rules of the proxy page, as plain values: which controls the
// page enables for the state of its two check boxes and its server field.
#pragma once

#include <string_view>

namespace kip {

// The enabled state of each control the rule touches.
struct ProxyEnabling {
  bool groupBox = false;       // GroupBoxProxy
  bool serverAndPort = false;  // LabelProxyAdd, EditProxyServer, LabelProxyPort, EditProxyPort
  bool localBypass = false;    // ProxyLocalAddress, ProxyLocalURL
  bool autoConfigUrl = false;  // ProxyAutoConfigURL
  bool getProxy = false;       // ButtonGetProxy
  bool proxyMore = false;      // ProxyMore
};

// Run when CheckUseProxy (useProxy) or ProxyMore (more) is clicked and when
// the focus leaves the server field: a single proxy is edited with useProxy
// and not more, its local bypass only once a server is named; the take-over
// serves the per-protocol text.
ProxyEnabling ProxyEnablingRule(bool useProxy, bool more, std::wstring_view serverText);

// What a setting load sets once the proxy values are in: the server, port
// and local-address controls, and the take-over button. The server text does
// not count here.
struct ProxyLoadEnabling {
  bool serverPortAndLocalAddress = false;  // EditProxyServer, EditProxyPort, ProxyLocalAddress
  bool getProxy = false;                   // ButtonGetProxy
};
ProxyLoadEnabling ProxyEnablingAfterLoad(bool useProxy, bool more);

// Shown after a take-over that left the server field blank.
inline constexpr wchar_t kProxyTakeOverHint[] =
    L"Proxyの設定をコントロールパネルの「インターネットオプション」で行った後、「詳細設定を取り込む」ボタンを押してください.";
bool TakeOverNeedsHint(std::wstring_view serverText);

}  // namespace kip
