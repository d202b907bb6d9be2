// A card's TCP/IP values in a registry key: each list read on its own, the
// registration block whole or not at all, and before version 5 the older
// inverted values.
#include "store/TcpipValueSet.h"

#include <gtest/gtest.h>

#include <tuple>
#include <utility>
#include <variant>

#include "support/RegistrySandbox.h"

namespace kip {
namespace {

const std::wstring kKey = L"SOFTWARE\\kipTest\\Card";
using Values = std::vector<std::pair<const wchar_t*, std::variant<DWORD, const wchar_t*, StringList>>>;

auto Fields(const TcpipValues& v) {
  return std::tie(v.enableDhcp, v.ipAddresses, v.subnetMasks, v.gateways, v.gatewayMetrics, v.nameServers, v.domain,
                  v.registrationEnabled, v.registerAdapterName);
}

class TcpipValueSetTest : public RegistryTest {
 protected:
  static TcpipValues Read(const Values& stored, DWORD os) {
    DeleteKey(HKEY_LOCAL_MACHINE, kKey);
    CreateKey(HKEY_LOCAL_MACHINE, kKey);
    for (const auto& [name, value] : stored) {
      if (const DWORD* number = std::get_if<DWORD>(&value)) SetDword(HKEY_LOCAL_MACHINE, kKey, name, *number);
      if (const auto* text = std::get_if<const wchar_t*>(&value)) SetString(HKEY_LOCAL_MACHINE, kKey, name, *text);
      if (const auto* list = std::get_if<StringList>(&value)) SetMultiString(HKEY_LOCAL_MACHINE, kKey, name, *list);
    }
    TkRegistry key(HKEY_LOCAL_MACHINE);
    EXPECT_TRUE(key.OpenKeyReadOnly(L"\\" + kKey));
    return ReadTcpipValues(key, os);
  }
};

TEST_F(TcpipValueSetTest, EachValueIsReadByItsRuleAndWrittenBack) {
  const StringList one{L"10.0.0.1"}, empty;  // a missing server list reads as empty
  const struct {
    const char* title;
    DWORD os;
    Values stored;
    TcpipValues expected;
  } cases[] = {
      {"DHCP: no addresses read", 6, {{L"EnableDHCP", 1ul}, {L"IPAddress", one}, {L"NameServer", L""}},
       {true, {}, {}, {}, {}, empty, L""}},
      {"only the low byte of EnableDHCP", 6, {{L"EnableDHCP", 0x100ul}, {L"IPAddress", one}},
       {false, one, {}, {}, {}, empty, L""}},
      {"EnableDHCP as text is no DHCP", 6, {{L"EnableDHCP", L"1"}, {L"IPAddress", one}},
       {false, one, {}, {}, {}, empty, L""}},
      {"space-separated servers", 6, {{L"NameServer", L"10.0.0.1 10.0.0.2"}},
       {false, {}, {}, {}, {}, StringList{L"10.0.0.1", L"10.0.0.2"}, L""}},
      {"servers of the wrong type: unreadable, not none", 6, {{L"NameServer", one}},
       {false, {}, {}, {}, {}, std::nullopt, L""}},
      {"a list of the wrong type leaves only itself empty", 6,
       {{L"DefaultGateway", L"10.0.0.1"}, {L"DefaultGatewayMetric", StringList{L"5"}}},
       {false, {}, {}, {}, {L"5"}, empty, L""}},
      {"the registration block", 6,
       {{L"Domain", L"corp.example"}, {L"RegistrationEnabled", 0ul}, {L"RegisterAdapterName", 1ul}},
       {false, {}, {}, {}, {}, empty, L"corp.example", false, true}},
      {"a registration value missing: the block's defaults", 5,
       {{L"Domain", L"corp.example"}, {L"RegisterAdapterName", 1ul}}, {false, {}, {}, {}, {}, empty, L""}},
      {"before version 5: the inverted older values", 4,
       {{L"Domain", L"nt4.example"}, {L"DisableDynamicUpdate", 1ul}, {L"EnableAdapterDomainNameRegistration", 1ul}},
       {false, {}, {}, {}, {}, empty, L"nt4.example", false, true}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    EXPECT_EQ(Fields(Read(c.stored, c.os)), Fields(c.expected));
  }
  // Servers are written comma-separated, the flags before version 5 inverted.
  const TcpipValues written{false, {}, {}, {}, {}, StringList{L"10.0.0.1", L"10.0.0.2"}, L"nt4.example", true, true};
  TkRegistry key(HKEY_LOCAL_MACHINE);
  ASSERT_TRUE(key.OpenKey(L"\\" + kKey, true));
  WriteTcpipValues(key, written, 4);
  key.CloseKey();
  EXPECT_EQ(GetString(HKEY_LOCAL_MACHINE, kKey, L"NameServer"), L"10.0.0.1,10.0.0.2");
  EXPECT_EQ(GetDword(HKEY_LOCAL_MACHINE, kKey, L"DisableDynamicUpdate"), 0u);
  EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, kKey, L"RegistrationEnabled"));
}

}  // namespace
}  // namespace kip
