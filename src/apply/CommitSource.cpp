#include "apply/CommitSource.h"

#include <algorithm>

#include "apply/WifiCommit.h"

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

// The stored keys that are the own part of a listed card.
std::vector<bool> OwnKeys(const std::vector<CardPartMatch>& matches, size_t keyCount) {
  std::vector<bool> own(keyCount);
  for (const CardPartMatch& match : matches) {
    if (match.found == CardPartFound::Own) own[static_cast<size_t>(match.storedIndex)] = true;
  }
  return own;
}

// Most of the time every card has its own part, or the setting holds no
// part of an absent card: then nothing more needs to be read.
bool MayTakeAnotherPart(const std::vector<CardPartMatch>& matches, const StringList& cardIds, size_t keyCount) {
  bool cardWithout = false;
  for (size_t i = 0; i < matches.size(); ++i) {
    cardWithout = cardWithout || (matches[i].found == CardPartFound::None && !cardIds[i].empty());
  }
  const std::vector<bool> own = OwnKeys(matches, keyCount);
  return cardWithout && std::find(own.begin(), own.end(), false) != own.end();
}

// What identifies the cards without a part of their own (from the machine)
// and the cards of the other keys (as saved), with those keys' labels.
void ReadIdentities(const std::wstring& settingName, const std::vector<CardPartMatch>& matches,
                    const CommitEnvironment& environment, std::vector<CardIdentity>& present,
                    std::vector<CardIdentity>& stored, StringList& labels) {
  StringList needing;
  for (size_t i = 0; i < matches.size(); ++i) {
    if (matches[i].found == CardPartFound::None) needing.push_back(present[i].cardId);
  }
  const std::vector<CardIdentity> read = ReadCardIdentities(needing, environment);
  for (size_t i = 0, next = 0; i < matches.size(); ++i) {
    if (matches[i].found == CardPartFound::None) present[i] = read[next++];
  }
  const std::vector<bool> own = OwnKeys(matches, stored.size());
  for (size_t k = 0; k < stored.size(); ++k) {
    if (own[k]) continue;  // a present card's: never taken by another
    const std::wstring key = stored[k].cardId;
    StoredCardIdentity identity = ReadStoredCardIdentity(settingName, key);
    stored[k] = std::move(identity.identity);
    labels[k] = identity.description.empty() ? key : identity.description;
  }
}

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

std::vector<CardPartChoice> ChooseCardParts(const std::wstring& settingName, const StringList& cardIds,
                                            const CommitEnvironment& environment) {
  std::vector<CardPartChoice> choices(cardIds.size());
  // Without a name the card keys would be the store root's settings.
  if (settingName.empty()) return choices;
  const StringList keys = ListCardKeys(settingName);
  std::vector<CardIdentity> present, stored;
  for (const std::wstring& id : cardIds) present.push_back({id, L"", L""});
  for (const std::wstring& key : keys) stored.push_back({key, L"", L""});
  std::vector<CardPartMatch> matches = MatchCardParts(present, stored);
  StringList labels(keys.size());
  if (MayTakeAnotherPart(matches, cardIds, keys.size())) {
    ReadIdentities(settingName, matches, environment, present, stored, labels);
    matches = MatchCardParts(present, stored);
  }
  for (size_t i = 0; i < matches.size(); ++i) {
    if (matches[i].found == CardPartFound::None) continue;
    const size_t k = static_cast<size_t>(matches[i].storedIndex);
    choices[i].cardKey = keys[k];
    choices[i].borrowed = matches[i].Borrowed();
    if (choices[i].borrowed) choices[i].borrowedLabel = labels[k];
  }
  return choices;
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
  const StringList listedIds(request.cardIds.begin(), request.cardIds.begin() + static_cast<std::ptrdiff_t>(listed));
  const std::vector<CardPartChoice> choices = ChooseCardParts(request.settingName, listedIds, environment);
  for (int i = 0; i < request.cardCount; ++i) {
    PlannedCardSource card;
    if (static_cast<size_t>(i) < listed) {
      const CardPartChoice& choice = choices[static_cast<size_t>(i)];
      card.cardId = listedIds[static_cast<size_t>(i)];
      // A part taken over from an absent card; when it went away meanwhile,
      // the card is planned as before.
      if (choice.borrowed) card.part = LoadCardPart(request.settingName, choice.cardKey, request.osMajorVersion);
      if (card.part) {
        card.partFromLabel = choice.borrowedLabel;
      } else {
        card.part = CardPartOrLive(request.settingName, card.cardId, request.osMajorVersion);
      }
    }
    setting.cards.push_back(std::move(card));
  }
  ReadLiveCardFacts(setting.cards, environment);
  ReadWifiProfile(setting);

  setting.machineWide = MachineWideOf(request.settingName);
  setting.printerDevice = PrinterDeviceOf(setting.machineWide.defaultPrinter);
  setting.firewall = ReadFirewallCommit(request.settingName);
  setting.scriptPath = environment.tempFolder + environment.scriptName;
  BatchFilePaths batches = BatchFilesOf(request.settingName, environment.programFolder);
  setting.beforeBatchPath = ExistingOrEmpty(batches.before);
  setting.afterBatchPath = ExistingOrEmpty(batches.after);
  return setting;
}

}  // namespace kip
