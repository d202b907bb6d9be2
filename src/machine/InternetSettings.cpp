#include "machine/InternetSettings.h"

#include "util/kRegistry.h"

namespace kip {

constexpr size_t kMaxPortLength = 5;

std::optional<InternetSettingsValues> ReadInternetSettingsValues() {
  TkRegistry registry(HKEY_CURRENT_USER);
  if (!registry.OpenKeyReadOnly(kInternetSettingsKey)) return std::nullopt;
  InternetSettingsValues values;
  if (std::optional<int> enable = registry.TryReadInteger(L"ProxyEnable")) {
    values.proxyEnable = static_cast<DWORD>(*enable);
  }
  values.proxyServer = registry.TryReadString(L"ProxyServer").value_or(L"");
  values.proxyOverride = registry.TryReadString(L"ProxyOverride").value_or(L"");
  values.autoConfigUrl = registry.TryReadString(L"AutoConfigURL").value_or(L"");
  return values;
}

ProxyFields ProxyFieldsFromMachine(const InternetSettingsValues& values) {
  ProxyFields fields;
  // The switch is read as a flag from its low byte.
  const bool enabled = LowByteFlag(static_cast<int>(values.proxyEnable));
  fields.localAddress = enabled;
  const std::wstring proxy = enabled ? values.proxyServer : std::wstring();
  fields.localUrl = enabled ? values.proxyOverride : std::wstring();
  fields.autoConfigUrl = values.autoConfigUrl;
  if (proxy.find(L'=') != std::wstring::npos) {
    fields.more = true;
    fields.server = proxy;
    return fields;
  }
  const size_t colon = proxy.find(L':');
  if (colon == std::wstring::npos) {
    fields.port = proxy;
  } else {
    fields.server = proxy.substr(0, colon);
    fields.port = proxy.substr(colon + 1);
  }
  if (fields.port.size() > kMaxPortLength) {
    fields.server.clear();
    fields.port.clear();
  }
  return fields;
}

}  // namespace kip
