#include "apply/CommitSource.h"

#include <algorithm>

#include "apply/WifiCommit.h"

#include "machine/FirewallPolicy.h"
#include "machine/QpPrinters.h"
#include "machine/TcpipValues.h"
#include "store/BatchFiles.h"
#include "util/Files.h"
#include "util/Guard.h"

namespace kip {

namespace {

std::optional<std::wstring> PrinterDeviceOf(const std::optional<std::wstring>& printerName) {
  // No printer has an empty name: the list is not asked for one.
  if (!printerName || printerName->empty()) return std::nullopt;
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

std::optional<FirewallCommit> ReadFirewallCommit(const std::optional<StoredFirewallPart>& stored, DWORD majorVersion,
                                                 const FirewallOpener& open) {
  FirewallCommit commit;
  if (stored) LayStoredFirewallPart(*stored, commit.page);
  // Today's firewall is written only by a setting that switches it. For any
  // other the step writes nothing, so the policy (a round of COM calls on
  // every plan) is not read; the step still runs and says so in the log.
  if (majorVersion >= 6 && !commit.page.useSwitch) return commit;
  FirewallMachineState machine = ReadMachineFirewall(majorVersion, open);
  if (!machine.policyFound) {
    // A setting that switches today's firewall is carried out even when the
    // firewall cannot be read, so that the step says why it failed.
    if (majorVersion < 6) return std::nullopt;
    return commit;
  }
  commit.page = MakeFirewallPage(false, machine.firewallOn.value_or(false), false, machine.entries, machine.rows);
  if (stored) LayStoredFirewallPart(*stored, commit.page);
  commit.entries = std::move(machine.entries);
  return commit;
}

std::optional<CardPart> ReadLiveCardPart(const std::wstring& cardId, DWORD osMajorVersion) {
  std::optional<TcpipValues> live = ReadLiveTcpipValues(cardId, osMajorVersion);
  if (!live) return std::nullopt;
  return CardPart{*live, ReadLiveWinsServers(cardId).value_or(StringList{})};
}

std::vector<CardIdentity> ReadCardIdentities(const StringList& cardIds, const CommitEnvironment& environment) {
  const StringList macs = environment.hardwareAddresses ? environment.hardwareAddresses(cardIds) : StringList();
  std::vector<CardIdentity> identities;
  for (size_t i = 0; i < cardIds.size(); ++i) {
    const std::wstring& id = cardIds[i];
    identities.push_back({id, i < macs.size() ? macs[i] : std::wstring(),
                          id.empty() || !environment.connectionName ? std::wstring() : environment.connectionName(id)});
  }
  return identities;
}

std::function<std::vector<CardIdentity>(const StringList&)> CardIdentifier(const CommitEnvironment& environment) {
  return [environment](const StringList& cardIds) { return ReadCardIdentities(cardIds, environment); };
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
  StoredSettingRequest read{request.settingName,
                            StringList(request.cardIds.begin(), request.cardIds.begin() + static_cast<std::ptrdiff_t>(listed)),
                            request.osMajorVersion};
  read.identify = CardIdentifier(environment);
  StoredSetting stored = ReadStoredSetting(read);
  for (int i = 0; i < request.cardCount; ++i) {
    PlannedCardSource card;
    if (static_cast<size_t>(i) < listed) {
      ChosenCardPart& chosen = stored.cards[static_cast<size_t>(i)];
      card.cardId = read.cardIds[static_cast<size_t>(i)];
      card.part = chosen.part ? std::move(chosen.part) : ReadLiveCardPart(card.cardId, request.osMajorVersion);
      card.partFromLabel = chosen.borrowedLabel;
    }
    setting.cards.push_back(std::move(card));
  }
  ReadLiveCardFacts(setting.cards, environment);
  ReadWifiProfile(setting);

  setting.machineWide = std::move(stored.machineWide);
  setting.printerDevice = PrinterDeviceOf(setting.machineWide.defaultPrinter);
  setting.firewall = ReadFirewallCommit(stored.firewall, request.osMajorVersion, environment.machine.openFirewall);
  setting.scriptPath = environment.tempFolder + environment.scriptName;
  BatchFilePaths batches = BatchFilesOf(request.settingName, environment.programFolder);
  setting.beforeBatchPath = ExistingOrEmpty(batches.before);
  setting.afterBatchPath = ExistingOrEmpty(batches.after);
  return setting;
}

}  // namespace kip
