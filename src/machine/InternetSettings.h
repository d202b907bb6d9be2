// The current user's proxy settings as the machine keeps them, and the proxy
// fields of a setting taken over from them.
#pragma once

#include "machine/MachineKeys.h"

#include <windows.h>

#include <optional>
#include <string>

namespace kip {


// The values of the Internet settings key; each missing or unreadable one
// reads as 0 or empty.
struct InternetSettingsValues {
  DWORD proxyEnable = 0;       // "ProxyEnable"
  std::wstring proxyServer;    // "ProxyServer"
  std::wstring proxyOverride;  // "ProxyOverride"
  std::wstring autoConfigUrl;  // "AutoConfigURL"
};

// The proxy fields of a setting (the controls of the proxy page).
struct ProxyFields {
  bool localAddress = false;   // ProxyLocalAddress
  std::wstring localUrl;       // ProxyLocalURL
  std::wstring server;         // EditProxyServer
  std::wstring port;           // EditProxyPort
  bool more = false;           // ProxyMore: the server holds a per-protocol text
  std::wstring autoConfigUrl;  // ProxyAutoConfigURL
};

// The values of the current user's Internet settings key; nothing when the
// key cannot be opened (the fields then stay as they are).
std::optional<InternetSettingsValues> ReadInternetSettingsValues();

// The fields a take-over gives. With the proxy switched on, a text with "="
// is a per-protocol list kept whole; otherwise host and port are split at the
// first ":" (no ":" means all of it is the port), and a port longer than five
// characters empties both.
ProxyFields ProxyFieldsFromMachine(const InternetSettingsValues& values);

}  // namespace kip
