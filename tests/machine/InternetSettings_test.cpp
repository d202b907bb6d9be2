// Taking the proxy fields over from the current user's Internet settings.
#include <gtest/gtest.h>

#include "machine/InternetSettings.h"
#include "support/RegistrySandbox.h"

namespace kip {
namespace {

TEST(InternetSettingsTest, TakeOverSplitsTheMachinesProxyIntoTheFields) {
  struct Case {
    const wchar_t* name;
    InternetSettingsValues machine;
    ProxyFields fields;
  };
  const std::wstring pac = L"http://wpad.lan/proxy.pac";
  const std::wstring perProtocol = L"http=web.lan:80;https=sec.lan:443;ftp=ftp.lan:21";
  const Case cases[] = {
      {L"host and port", {1, L"proxy.local:8080", L"*.lan", pac}, {true, L"*.lan", L"proxy.local", L"8080", false, pac}},
      {L"per-protocol text kept whole", {1, perProtocol, L"", L""}, {true, L"", perProtocol, L"", true, L""}},
      // A port longer than five characters empties both fields.
      {L"port too long", {1, L"host:123456", L"", L""}, {true, L"", L"", L"", false, L""}},
      {L"no colon: all of it is the port", {1, L"8080", L"", L""}, {true, L"", L"", L"8080", false, L""}},
      {L"no colon and too long", {1, L"proxyhost", L"", L""}, {true, L"", L"", L"", false, L""}},
      {L"split at the first colon", {1, L"a:b:c", L"", L""}, {true, L"", L"a", L"b:c", false, L""}},
      // Switched off: the server and bypass texts are not taken, the script is.
      {L"proxy off", {0, L"proxy.local:8080", L"<local>", pac}, {false, L"", L"", L"", false, pac}},
      {L"only the low byte counts", {0x100, L"proxy.local:8080", L"", L""}, {false, L"", L"", L"", false, L""}},
      {L"any nonzero low byte", {0x7, L"px1:3128", L"", L""}, {true, L"", L"px1", L"3128", false, L""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ProxyFields got = ProxyFieldsFromMachine(c.machine);
    EXPECT_EQ(got.localAddress, c.fields.localAddress);
    EXPECT_EQ(got.localUrl, c.fields.localUrl);
    EXPECT_EQ(got.server, c.fields.server);
    EXPECT_EQ(got.port, c.fields.port);
    EXPECT_EQ(got.more, c.fields.more);
    EXPECT_EQ(got.autoConfigUrl, c.fields.autoConfigUrl);
  }
}

class InternetSettingsReadTest : public RegistryTest {};

TEST_F(InternetSettingsReadTest, AKeyThatCannotBeOpenedGivesNothing) {
  EXPECT_FALSE(ReadInternetSettingsValues().has_value());
}

TEST_F(InternetSettingsReadTest, ValuesOfTheWrongTypeOrMissingReadAsZeroOrEmpty) {
  SetString(HKEY_CURRENT_USER, kInternetSettingsKey, L"ProxyEnable", L"1");  // not a DWORD
  SetDword(HKEY_CURRENT_USER, kInternetSettingsKey, L"ProxyServer", 8080);  // not a string
  SetString(HKEY_CURRENT_USER, kInternetSettingsKey, L"ProxyOverride", L"<local>");
  std::optional<InternetSettingsValues> values = ReadInternetSettingsValues();
  ASSERT_TRUE(values.has_value());
  EXPECT_EQ(values->proxyEnable, 0u);
  EXPECT_EQ(values->proxyServer, L"");
  EXPECT_EQ(values->proxyOverride, L"<local>");
  EXPECT_EQ(values->autoConfigUrl, L"");

  SetDword(HKEY_CURRENT_USER, kInternetSettingsKey, L"ProxyEnable", 1);
  SetString(HKEY_CURRENT_USER, kInternetSettingsKey, L"ProxyServer", L"proxy.local:8080");
  SetString(HKEY_CURRENT_USER, kInternetSettingsKey, L"AutoConfigURL", L"http://wpad/p.pac");
  values = ReadInternetSettingsValues();
  ASSERT_TRUE(values.has_value());
  EXPECT_EQ(values->proxyEnable, 1u);
  EXPECT_EQ(values->proxyServer, L"proxy.local:8080");
  EXPECT_EQ(values->autoConfigUrl, L"http://wpad/p.pac");
}

}  // namespace
}  // namespace kip
