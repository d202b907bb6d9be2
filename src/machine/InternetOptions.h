// WinINet's own record of the proxy: the per-connection options of the LAN
// connection, set and read through InternetSetOption and InternetQueryOption.
// Current Windows keeps this record apart from the classic Internet Settings
// values and may write over values changed behind its back.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace kip {

// The numbers WinINet gives these options and flags.
inline constexpr DWORD kPerConnFlags = 1;          // INTERNET_PER_CONN_FLAGS
inline constexpr DWORD kPerConnProxyServer = 2;    // INTERNET_PER_CONN_PROXY_SERVER
inline constexpr DWORD kPerConnProxyBypass = 3;    // INTERNET_PER_CONN_PROXY_BYPASS
inline constexpr DWORD kPerConnAutoConfigUrl = 4;  // INTERNET_PER_CONN_AUTOCONFIG_URL
// The connection type as Internet Explorer 8 and later keep it; to be asked
// first on Windows 7 and later, INTERNET_PER_CONN_FLAGS where it fails.
inline constexpr DWORD kPerConnFlagsUi = 10;  // INTERNET_PER_CONN_FLAGS_UI
inline constexpr DWORD kProxyTypeDirect = 0x1;     // PROXY_TYPE_DIRECT
inline constexpr DWORD kProxyTypeProxy = 0x2;      // PROXY_TYPE_PROXY
inline constexpr DWORD kProxyTypeAutoProxyUrl = 0x4;
inline constexpr DWORD kProxyTypeAutoDetect = 0x8;
inline constexpr DWORD kOptionSettingsChanged = 39;  // INTERNET_OPTION_SETTINGS_CHANGED
inline constexpr DWORD kOptionRefresh = 37;          // INTERNET_OPTION_REFRESH

// One entry of an INTERNET_PER_CONN_OPTION_LIST: the flags option carries a
// number, the others a text.
struct PerConnOption {
  DWORD option = 0;
  DWORD number = 0;
  std::wstring text;
  bool operator==(const PerConnOption&) const = default;
};

class InternetOptions {
 public:
  virtual ~InternetOptions() = default;
  // InternetSetOptionW(NULL, INTERNET_OPTION_PER_CONNECTION_OPTION) for the
  // LAN connection (no connection name). ERROR_SUCCESS or why it was refused.
  virtual DWORD SetLanOptions(const std::vector<PerConnOption>& options) = 0;
  // InternetQueryOptionW with the same list: fills in the options asked for.
  virtual DWORD QueryLanOptions(std::vector<PerConnOption>& options) = 0;
  // InternetSetOptionW(NULL, option, NULL, 0).
  virtual DWORD Announce(DWORD option) = 0;
  // The query reports the whole record. Wine's WinINet does not: no bypass
  // list while the proxy is off, only the http part of a per-protocol text,
  // never the script address; its record is the classic values anyway.
  virtual bool QueryIsWhole() const = 0;
};

InternetOptions& WinInetOptions();

// The LAN connection's proxy as WinINet reports it.
struct LanProxy {
  DWORD flags = kProxyTypeDirect;
  std::wstring server, bypass, autoConfigUrl;
};

std::optional<LanProxy> QueryLanProxy(InternetOptions& options);

}  // namespace kip
