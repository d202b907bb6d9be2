#include "machine/InternetSettings.h"

#include "util/kRegistry.h"
#include "util/Guard.h"

namespace kip {

namespace {

constexpr size_t kMaxPortLength = 5;

std::wstring ReadStringOrEmpty(const TkRegistry& key, std::wstring_view name) {
  std::wstring text;
  RunGuarded([&] { text = key.ReadString(name); });
  return text;
}

}  // namespace

std::optional<InternetSettingsValues> ReadInternetSettingsValues() {
  TkRegistry registry(HKEY_CURRENT_USER);
  if (!registry.OpenKeyReadOnly(kInternetSettingsKey)) return std::nullopt;
  InternetSettingsValues values;
  RunGuarded([&] { values.proxyEnable = static_cast<DWORD>(registry.ReadInteger(L"ProxyEnable")); });
  values.proxyServer = ReadStringOrEmpty(registry, L"ProxyServer");
  values.proxyOverride = ReadStringOrEmpty(registry, L"ProxyOverride");
  values.autoConfigUrl = ReadStringOrEmpty(registry, L"AutoConfigURL");
  return values;
}

ProxyFields ProxyFieldsFromMachine(const InternetSettingsValues& values) {
  ProxyFields fields;
  // The switch is read as a flag from its low byte.
  const bool enabled = (values.proxyEnable & 0xFF) != 0;
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
