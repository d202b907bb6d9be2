// The per-card TCP/IP values: exchanged between the window's controls and a
// registry key holding Windows' own per-interface value names and types
// (the machine's interface key, or a stored setting's card key).
#include "app/UkIpConfig.h"
#include "store/kRegistry.h"
#include "ui/GridValues.h"
#include "util/Guard.h"

namespace kip {

namespace {

constexpr wchar_t kTcpipInterfacesKey[] = L"\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\InterFaces\\";
constexpr wchar_t kNetBTInterfacesKey[] =
    L"\\SYSTEM\\CurrentControlSet\\Services\\NetBT\\Parameters\\Interfaces\\Tcpip_";

COLORREF GreyedColor() { return GetSysColor(COLOR_BTNFACE); }
COLORREF NormalColor() { return GetSysColor(COLOR_WINDOW); }

// A stored number read as a flag: only its low byte counts (256 is off).
bool LowByteFlag(int value) { return (value & 0xFF) != 0; }

void ReadListIntoColumn(TkRegistry& key, const wchar_t* name, win::Grid& grid, int col) {
  RunGuarded([&] {
    StringList entries;
    key.ReadStringList(name, entries);
    FillGridColumn(grid, col, entries);
  });
}

}  // namespace

void TFormIpconfig::ReadTcpipValues(TkRegistry& key) {
  ResetGrid(StringIP);
  ResetGrid(StringGateway);
  ResetGrid(StringDNS);

  bool dhcp = false;
  RunGuarded([&] { dhcp = LowByteFlag(key.ReadInteger(L"EnableDHCP")); });
  CheckBoxIP.SetChecked(dhcp);
  GroupBoxIP.SetEnabled(!CheckBoxIP.Checked());
  CheckDNS.SetEnabled(CheckBoxIP.Checked());

  if (CheckBoxIP.Checked()) {
    StringIP.SetColor(GreyedColor());
  } else {
    StringIP.SetColor(NormalColor());
    ReadListIntoColumn(key, L"IPAddress", StringIP, 0);
    ReadListIntoColumn(key, L"SubnetMask", StringIP, 1);
  }
  ReadListIntoColumn(key, L"DefaultGateway", StringGateway, 0);
  ReadListIntoColumn(key, L"DefaultGatewayMetric", StringGateway, 1);

  StringDNS.SetColor(NormalColor());
  GroupDNS.SetEnabled(true);
  CheckDNS.SetChecked(false);
  RunGuarded([&] {
    StringList servers = SplitCommaText(key.ReadString(L"NameServer"));
    if (!servers.empty()) {
      FillGridColumn(StringDNS, 0, servers);
      return;
    }
    CheckDNS.SetChecked(CheckBoxIP.Checked());
    if (CheckDNS.Checked()) {
      StringDNS.SetColor(GreyedColor());
      GroupDNS.SetEnabled(false);
    }
  });

  // The suffix and registration values form one block: anything missing
  // gives the defaults for the whole block.
  std::wstring domain;
  bool registration = true;
  bool adapterName = false;
  bool blockRead = RunGuarded([&] {
    domain = key.ReadString(L"Domain");
    if (OSMajorVersion >= 5) {
      registration = LowByteFlag(key.ReadInteger(L"RegistrationEnabled"));
      adapterName = LowByteFlag(key.ReadInteger(L"RegisterAdapterName"));
    } else {
      registration = !LowByteFlag(key.ReadInteger(L"DisableDynamicUpdate"));
      adapterName = LowByteFlag(key.ReadInteger(L"EnableAdapterDomainNameRegistration"));
    }
  });
  if (!blockRead) {
    domain.clear();
    registration = true;
    adapterName = false;
  }
  EditDomain.SetText(domain);
  RegistrationEnabled.SetChecked(registration);
  RegisterAdapterName.SetChecked(adapterName);
  RegisterAdapterName.SetEnabled(RegistrationEnabled.Checked());
}

void TFormIpconfig::WriteTcpipValues(TkRegistry& key) {
  RunGuarded([&] { key.WriteInteger(L"EnableDHCP", CheckBoxIP.Checked() ? 1 : 0); });
  RunGuarded([&] {
    key.WriteStringList(L"IPAddress", CellsOrPlaceholder(StringIP, 0, kBlankAddress));
    key.WriteStringList(L"SubnetMask", CellsOrPlaceholder(StringIP, 1, kBlankAddress));
  });
  RunGuarded([&] {
    key.WriteStringList(L"DefaultGateway", NonBlankCells(StringGateway, 0));
    key.WriteStringList(L"DefaultGatewayMetric", NonBlankCells(StringGateway, 1));
  });
  RunGuarded([&] {
    key.WriteString(L"NameServer", CheckDNS.Checked() ? std::wstring() : JoinCommaText(NonBlankCells(StringDNS, 0)));
  });
  RunGuarded([&] {
    key.WriteString(L"Domain", Trim(EditDomain.Text()));
    if (OSMajorVersion >= 5) {
      key.WriteInteger(L"RegistrationEnabled", RegistrationEnabled.Checked() ? 1 : 0);
      key.WriteInteger(L"RegisterAdapterName", RegisterAdapterName.Checked() ? 1 : 0);
    } else {
      key.WriteInteger(L"DisableDynamicUpdate", RegistrationEnabled.Checked() ? 0 : 1);
      key.WriteInteger(L"EnableAdapterDomainNameRegistration", RegisterAdapterName.Checked() ? 1 : 0);
    }
  });
}

bool TFormIpconfig::ReadLiveInterface(const std::wstring& cardId) {
  TkRegistry registry(HKEY_LOCAL_MACHINE);
  if (!registry.OpenKeyReadOnly(kTcpipInterfacesKey + cardId)) return false;
  ReadTcpipValues(registry);
  registry.CloseKey();
  ReadNetBTWins(cardId);
  return true;
}

void TFormIpconfig::ReadNetBTWins(const std::wstring& cardId) {
  TkRegistry registry(HKEY_LOCAL_MACHINE);
  if (!registry.OpenKeyReadOnly(kNetBTInterfacesKey + cardId)) return;
  ClearGridCells(StringWINS);
  ReadListIntoColumn(registry, L"NameServerList", StringWINS, 0);
  registry.CloseKey();
}

void TFormIpconfig::WriteLiveDomainValues(const std::wstring& cardId) {
  TkRegistry registry(HKEY_LOCAL_MACHINE);
  if (!registry.OpenKey(kTcpipInterfacesKey + cardId, false)) return;
  RunGuarded([&] {
    registry.WriteString(L"Domain", Trim(EditDomain.Text()));
    if (OSMajorVersion == 5 && OSMinorVersion == 0) {
      registry.WriteInteger(L"DisableDynamicUpdate", RegistrationEnabled.Checked() ? 0 : 1);
      registry.WriteInteger(L"EnableAdapterDomainNameRegistration", RegisterAdapterName.Checked() ? 1 : 0);
    }
  });
  registry.CloseKey();
}

}  // namespace kip
