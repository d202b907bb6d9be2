#include "apply/CommitSource.h"

#include <algorithm>

#include "machine/FirewallPolicy.h"
#include "machine/QpPrinters.h"
#include "machine/TcpipValues.h"
#include "store/BatchFiles.h"
#include "store/FirewallStore.h"
#include "store/SettingStore.h"
#include "util/Files.h"
#include "util/Guard.h"

namespace kip {

namespace {

// The machine-wide part as the editor would show it: a group that stopped
// at a bad value keeps its defaults after that value, and a domain group
// read only in part never changes the domain.
MachineWideValues MachineWideOf(const std::wstring& settingName) {
  std::optional<MachineWideReading> reading = LoadMachineWide(settingName);
  if (!reading) return {};
  MachineWideValues values = reading->values;
  if (reading->domainFieldsRead < DomainValues::kFieldCount) values.domain.change = false;
  if (!reading->printerRead) values.defaultPrinter.reset();
  return values;
}

std::optional<std::wstring> PrinterDeviceOf(const std::optional<std::wstring>& printerName) {
  if (!printerName) return std::nullopt;
  std::optional<std::wstring> device;
  RunGuarded([&] {
    TQpPrinter printers;
    PrinterList list = ReadPrinterList(printers);
    for (size_t i = 0; i < list.names.size() && i < list.devices.size(); ++i) {
      if (list.names[i] == *printerName) device = list.devices[i];
    }
  });
  return device;
}

std::wstring ExistingOrEmpty(const std::wstring& path) { return FileExists(path) ? path : std::wstring(); }

// Asked once for all cards, and only when some card's part changes IPv6.
void ReadLiveIpv6Facts(std::vector<PlannedCardSource>& cards, const CommitEnvironment& environment) {
  if (!environment.liveIpv6 || std::none_of(cards.begin(), cards.end(), ChangesIpv6)) return;
  const LiveIpv6Cards live = environment.liveIpv6();
  for (PlannedCardSource& card : cards) {
    if (!ChangesIpv6(card)) continue;
    if (auto found = live.find(card.cardId); found != live.end()) card.liveIpv6 = found->second;
  }
}

}  // namespace

std::optional<FirewallCommit> ReadFirewallCommit(const std::wstring& settingName) {
  FirewallMachineState machine = ReadMachineFirewall();
  if (!machine.policyFound) return std::nullopt;
  FirewallCommit commit;
  commit.page = MakeFirewallPage(false, machine.firewallOn.value_or(false), false, machine.entries, machine.rows);
  LoadFirewallPart(SettingKeyPath(settingName), commit.page);
  commit.entries = std::move(machine.entries);
  return commit;
}

std::optional<CardPart> CardPartOrLive(const std::wstring& settingName, const std::wstring& cardId,
                                       DWORD osMajorVersion) {
  if (std::optional<CardPart> stored = LoadCardPart(settingName, cardId, osMajorVersion)) return stored;
  std::optional<TcpipValues> live = ReadLiveTcpipValues(cardId, osMajorVersion);
  if (!live) return std::nullopt;
  return CardPart{*live, ReadLiveWinsServers(cardId).value_or(StringList{})};
}

void ReadLiveCardFacts(std::vector<PlannedCardSource>& cards, const CommitEnvironment& environment) {
  StringList ids;
  for (const PlannedCardSource& card : cards) {
    if (!card.cardId.empty()) ids.push_back(card.cardId);
  }
  const StringList addresses = ids.empty() ? StringList() : environment.currentAddresses(ids);
  size_t next = 0;
  for (PlannedCardSource& card : cards) {
    if (card.cardId.empty()) continue;
    card.connectionName = environment.connectionName(card.cardId);
    card.currentAddress = next < addresses.size() ? addresses[next] : std::wstring();
    ++next;
  }
  ReadLiveIpv6Facts(cards, environment);
}

CommitSetting ReadCommitSetting(const CommitRequest& request, const CommitEnvironment& environment) {
  CommitSetting setting;
  setting.settingIndex = request.settingIndex;
  setting.settingName = request.settingName;
  setting.scriptWindows = ClassifyWindows(request.osMajorVersion, request.osMinorVersion);
  setting.osMajorVersion = request.osMajorVersion;
  setting.osMinorVersion = request.osMinorVersion;
  setting.commitMajorVersion = environment.readMajorVersion();

  const size_t listed = std::min(static_cast<size_t>(std::max(request.cardCount, 0)), request.cardIds.size());
  for (int i = 0; i < request.cardCount; ++i) {
    PlannedCardSource card;
    if (static_cast<size_t>(i) < listed) {
      card.cardId = request.cardIds[static_cast<size_t>(i)];
      card.part = CardPartOrLive(request.settingName, card.cardId, request.osMajorVersion);
    }
    setting.cards.push_back(std::move(card));
  }
  ReadLiveCardFacts(setting.cards, environment);

  setting.machineWide = MachineWideOf(request.settingName);
  setting.printerDevice = PrinterDeviceOf(setting.machineWide.defaultPrinter);
  setting.firewall = ReadFirewallCommit(request.settingName);
  setting.scriptPath = environment.tempFolder + kScriptFileName;
  BatchFilePaths batches = BatchFilesOf(request.settingName, environment.programFolder);
  setting.beforeBatchPath = ExistingOrEmpty(batches.before);
  setting.afterBatchPath = ExistingOrEmpty(batches.after);
  return setting;
}

}  // namespace kip
