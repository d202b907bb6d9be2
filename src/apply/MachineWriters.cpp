#include "apply/MachineWriters.h"

#include <windows.h>
#include <wininet.h>

#include "util/Errors.h"
#include "util/kRegistry.h"
#include "util/Guard.h"

namespace kip {

namespace {

constexpr UINT kBroadcastTimeoutMs = 1000;

class WindowsAnnouncer : public SettingsAnnouncer {
 public:
  void InternetSettingsChanged() override {
    InternetSetOptionW(nullptr, INTERNET_OPTION_SETTINGS_CHANGED, nullptr, 0);
  }
  void BroadcastIniChange() override {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(HWND_BROADCAST, WM_WININICHANGE, 0, 0, SMTO_NORMAL, kBroadcastTimeoutMs, &result);
  }
};

// Runs the writes on the existing key; the first failing one ends them.
template <typename Writes>
void WriteExistingKey(HKEY root, const wchar_t* path, Writes&& writes) {
  TkRegistry registry(root);
  if (!registry.OpenKey(path, false)) return;
  RunGuarded([&] { writes(registry); });
}

// The LAN connection's options for the proxy fields: flags (direct, proxy
// when the classic switch is on, the script when one is given, automatic
// detection as `currentFlags` has it), then the same texts as the classic values.
std::vector<PerConnOption> LanProxyOptions(const InternetValues& values, DWORD currentFlags) {
  const std::wstring autoConfig = Trim(values.autoConfigUrl);
  DWORD flags = kProxyTypeDirect | (currentFlags & kProxyTypeAutoDetect);
  if (ProxyEnableValue(values) != 0) flags |= kProxyTypeProxy;
  if (!autoConfig.empty()) flags |= kProxyTypeAutoProxyUrl;
  return {{kPerConnFlags, flags, {}},
          {kPerConnProxyServer, 0, ProxyServerValue(values)},
          {kPerConnProxyBypass, 0, ProxyOverrideValue(values)},
          {kPerConnAutoConfigUrl, 0, autoConfig}};
}

// WinINet's own record of the LAN connection; automatic detection, which no
// setting holds, stays as it is.
void WriteLanProxy(const InternetValues& values, const MachineInterfaces& machine, WriterOutcome& outcome) {
  const std::optional<LanProxy> current = QueryLanProxy(*machine.internet);
  const DWORD error = machine.internet->SetLanOptions(LanProxyOptions(values, current ? current->flags : 0));
  if (error != ERROR_SUCCESS) {
    outcome.succeeded = false;
    outcome.notes.push_back({L"プロキシを WinINet の接続設定に書き込めません (" + SystemErrorText(error) + L")"});
  }
  const std::wstring account = machine.accounts->ProcessAccount();
  const std::wstring user = machine.accounts->InteractiveAccount();
  if (IsAnotherAccount(account, user)) {
    outcome.notes.push_back({L"プロキシは " + account + L" のユーザー設定に書き込みました (ログオン中のユーザー: " +
                                 (user.empty() ? std::wstring(L"なし") : user) + L")",
                             false});
  }
}

}  // namespace

SettingsAnnouncer& WindowsSettingsAnnouncer() {
  static WindowsAnnouncer announcer;
  return announcer;
}

int ProxyEnableValue(const InternetValues& values) {
  return (Trim(values.proxyServer) + Trim(values.proxyPort)).empty() ? 0 : 1;
}

std::wstring ProxyServerValue(const InternetValues& values) {
  const std::wstring server = Trim(values.proxyServer);
  const std::wstring port = Trim(values.proxyPort);
  if (values.proxyMore || port.empty()) return server;
  return server + L":" + port;
}

std::wstring ProxyOverrideValue(const InternetValues& values) {
  const std::wstring list = Trim(values.proxyLocalList);
  if (values.proxyLocalAddress) return list.empty() ? L"<local>" : L"<local> " + list;
  return list;
}

std::wstring SearchListValue(const TcpipParameterValues& values) {
  return values.usePrimaryAndConnectionSuffixes ? std::wstring() : JoinCommaText(values.searchList);
}

void WriteDefaultPrinter(const PrinterValues& values) {
  if (!values.deviceString) return;
  WriteExistingKey(HKEY_CURRENT_USER, kWindowsKey,
                   [&](TkRegistry& key) { key.WriteString(L"Device", *values.deviceString); });
}

WriterOutcome WriteInternetSettings(const InternetValues& values, const MachineInterfaces& machine,
                                    SettingsAnnouncer& announcer) {
  WriterOutcome outcome;
  if (values.useProxy) {
    WriteExistingKey(HKEY_CURRENT_USER, kInternetSettingsKey, [&](TkRegistry& key) {
      key.WriteInteger(L"ProxyEnable", ProxyEnableValue(values));
      key.WriteString(L"ProxyServer", ProxyServerValue(values));
      key.WriteString(L"ProxyOverride", ProxyOverrideValue(values));
      // An empty script address is never stored: the value goes.
      const std::wstring autoConfig = Trim(values.autoConfigUrl);
      if (autoConfig.empty()) {
        key.DeleteValue(L"AutoConfigURL");
      } else {
        key.WriteString(L"AutoConfigURL", autoConfig);
      }
    });
  }
  if (!IsBlank(values.homePage)) {
    WriteExistingKey(HKEY_CURRENT_USER, kInternetExplorerMainKey,
                     [&](TkRegistry& key) { key.WriteString(L"Start Page", values.homePage); });
  }
  // Older readers take the classic values written above; current Windows
  // takes its per-connection record.
  if (values.useProxy) WriteLanProxy(values, machine, outcome);
  machine.internet->Announce(kOptionSettingsChanged);
  machine.internet->Announce(kOptionRefresh);
  // Also announces the printer written just before.
  announcer.BroadcastIniChange();
  return outcome;
}

void WriteExactInternetValues(const ExactInternetValues& values, SettingsAnnouncer& announcer,
                              const MachineInterfaces& machine) {
  if (values.proxyEnable || values.proxyServer) {
    WriteExistingKey(HKEY_CURRENT_USER, kInternetSettingsKey, [&](TkRegistry& key) {
      if (values.proxyEnable) key.WriteInteger(L"ProxyEnable", static_cast<int>(*values.proxyEnable));
      if (values.proxyServer) key.WriteString(L"ProxyServer", *values.proxyServer);
    });
    // The server always goes with the flags: Wine's WinINet would otherwise
    // store back its own reading of the server text.
    const LanProxy current = QueryLanProxy(*machine.internet).value_or(LanProxy{});
    DWORD flags = current.flags & ~kProxyTypeProxy;
    const bool on = values.proxyEnable ? (*values.proxyEnable & 0xFF) != 0 : (current.flags & kProxyTypeProxy) != 0;
    if (on) flags |= kProxyTypeProxy;
    machine.internet->SetLanOptions({{kPerConnFlags, flags | kProxyTypeDirect, {}},
                                     {kPerConnProxyServer, 0, values.proxyServer.value_or(current.server)}});
  }
  if (values.startPage) {
    WriteExistingKey(HKEY_CURRENT_USER, kInternetExplorerMainKey,
                     [&](TkRegistry& key) { key.WriteString(L"Start Page", *values.startPage); });
  }
  announcer.InternetSettingsChanged();
}

void WriteTcpipParameters(const TcpipParameterValues& values) {
  WriteExistingKey(HKEY_LOCAL_MACHINE, kTcpipParametersKey, [&](TkRegistry& key) {
    key.WriteInteger(L"IPEnableRouter", values.ipRouter ? 1 : 0);
    key.WriteInteger(L"UseDomainNameDevolution", values.domainNameDevolution ? 1 : 0);
    key.WriteString(L"SearchList", SearchListValue(values));
  });
}

}  // namespace kip
