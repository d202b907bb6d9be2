// The machine-wide and per-user values a commit writes besides the cards:
// default printer, Internet settings, TCP/IP parameters and the computer
// name. Each writer takes the values as a plain struct, never creates a
// registry key (a missing key skips its writer) and reports nothing: a
// failing write skips the remaining writes to the same key.
#pragma once

#include <optional>
#include <string>

#include "machine/MachineKeys.h"
#include "store/ReturnSnapshot.h"
#include "util/Text.h"

namespace kip {


struct PrinterValues {
  // The chosen printer's device string ("name,driver,port"); nullopt when
  // no printer is chosen.
  std::optional<std::wstring> deviceString;
};

struct InternetValues {
  bool useProxy = false;  // change the proxy values at all
  std::wstring proxyServer;
  std::wstring proxyPort;
  bool proxyMore = false;          // the server text carries everything; the port is ignored
  bool proxyLocalAddress = false;  // bypass the proxy for local addresses
  std::wstring proxyLocalList;     // further exceptions
  std::wstring autoConfigUrl;
  std::wstring homePage;
};

struct TcpipParameterValues {
  std::wstring hostName;
  bool ipRouter = false;
  bool domainNameDevolution = false;
  // Primary and connection-specific suffixes are used: the search list is
  // written empty.
  bool usePrimaryAndConnectionSuffixes = false;
  StringList searchList;  // the memo's lines
};

// Tells running programs that the Internet and Windows settings changed.
class SettingsAnnouncer {
 public:
  virtual ~SettingsAnnouncer() = default;
  // InternetSetOptionW(null, INTERNET_OPTION_SETTINGS_CHANGED, null, 0).
  virtual void InternetSettingsChanged() = 0;
  // WM_WININICHANGE (0, 0) to every top-level window, 1000 ms time-out each.
  virtual void BroadcastIniChange() = 0;
};

SettingsAnnouncer& WindowsSettingsAnnouncer();

// The values the Internet settings writer derives from the fields.
int ProxyEnableValue(const InternetValues& values);
std::wstring ProxyServerValue(const InternetValues& values);
std::wstring ProxyOverrideValue(const InternetValues& values);
std::wstring SearchListValue(const TcpipParameterValues& values);

// HKCU "Device", when a printer is chosen.
void WriteDefaultPrinter(const PrinterValues& values);
// HKCU proxy values (when useProxy), "Start Page" (when a home page is
// given), then the announcement, always.
void WriteInternetSettings(const InternetValues& values, SettingsAnnouncer& announcer);
// HKCU "ProxyEnable", "ProxyServer" and "Start Page" exactly as given
// (those given), then the announcement.
void WriteExactInternetValues(const ExactInternetValues& values, SettingsAnnouncer& announcer);
// HKLM "IPEnableRouter", "UseDomainNameDevolution", "SearchList". The
// computer name is not written here: SetComputerNameExW sets it (the commit's
// own step), with every value Windows keeps for it.
void WriteTcpipParameters(const TcpipParameterValues& values);

}  // namespace kip
