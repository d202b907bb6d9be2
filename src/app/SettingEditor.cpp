#include "app/SettingEditor.h"

#include <algorithm>

#include "apply/CommitSource.h"
#include "apply/FirewallWriter.h"
#include "machine/CardList.h"
#include "machine/FirewallApi.h"
#include "machine/InternetSettings.h"
#include "machine/Ipv6Live.h"
#include "machine/MachineSettings.h"
#include "machine/QpPrinters.h"
#include "machine/TcpipValues.h"
#include "store/BatchFiles.h"
#include "store/CardMatch.h"
#include "store/SettingNames.h"
#include "store/SettingStore.h"
#include "store/StoredSetting.h"
#include "store/Snapshot.h"
#include "store/StoreKeys.h"
#include "util/Guard.h"
#include "util/kRegistry.h"

namespace kip {

namespace {

constexpr wchar_t kRuleValueIgnored[] = L"自動切替の条件の一部を読めないため無視しました: ";
constexpr wchar_t kSaveQuestion[] = L"変更した設定を保存しますか.";

std::wstring DuplicateNameMessage(const std::wstring& name) {
  return L"すでに\"" + name + L"\"という名前は使われています.";
}

std::wstring At(const StringList& list, int index) {
  return index >= 0 && index < static_cast<int>(list.size()) ? list[static_cast<size_t>(index)] : L"";
}

FirewallPage StoredForm(const FirewallSheetValues& shown, const std::vector<TFirewallEntry>& entries) {
  return MakeFirewallPage(shown.useSwitch, shown.firewallOn.value_or(false), shown.doNotAllowExceptions, entries,
                          shown.rows);
}

// `values` were read over what the pages show: a stored group that ends at
// a bad value keeps the shown fields from there on.
void ShowMachineWide(ShownSetting& shown, const MachineWideValues& values) {
  shown.other.hostsFile = values.hostsFile;
  shown.internet = values.proxy;
  // A printer not listed chooses none.
  if (values.defaultPrinter) shown.other.printer = *values.defaultPrinter;
  shown.domain.domain = values.domain;
  shown.domain.machineName = values.machineName;
  shown.domain.ipEnableRouter = values.ipEnableRouter;
  ShowSearchOrder(shown.dns, values.useDomainNameDevolution, values.searchList);
}

// The page changes only where the stored part differs: a choice of on or
// off that shows neither stays so unless the setting turns the firewall on.
void ShowFirewallPart(FirewallSheetValues& shown, const FirewallPage& page) {
  shown.useSwitch = page.useSwitch;
  if (page.firewallOn != shown.firewallOn.value_or(false)) shown.firewallOn = page.firewallOn;
  shown.doNotAllowExceptions = page.doNotAllowExceptions;
  CopyChecksToRows(page, shown.rows);
}

ShownSetting WithParameters(ShownSetting shown, const TcpipParameters& parameters) {
  shown.domain.ipEnableRouter = parameters.ipEnableRouter;
  ShowSearchOrder(shown.dns, parameters.useDomainNameDevolution, parameters.searchList);
  return shown;
}

// A card the setting holds no part for shows its IPv6 values now, under the
// choice to leave them alone: saving that never changes IPv6 by itself.
Ipv6Setting LiveIpv6Shown(const std::wstring& cardId) {
  Ipv6Setting shown;
  if (cardId.empty()) return shown;
  const LiveIpv6Cards live = ReadLiveIpv6();
  const auto found = live.find(cardId);
  if (found == live.end()) return shown;
  for (const LiveIpv6Address& address : found->second.addresses) shown.addresses.push_back(PrefixedText(address));
  shown.gateways = found->second.gateways;
  shown.dnsServers = found->second.dnsServers;
  return shown;
}

}  // namespace

// --- the two moves -----------------------------------------------------------

ShownSetting ShowLoaded(ShownSetting shown, const LoadedSetting& loaded) {
  shown.ipv6 = loaded.ipv6;
  if (loaded.tcpip) {
    shown.ip = IpShown(*loaded.tcpip);
    ShowCardPart(shown.dns, *loaded.tcpip);
  }
  if (loaded.winsServers) shown.other.winsServers = *loaded.winsServers;
  if (loaded.machine) ShowMachineWide(shown, *loaded.machine);
  if (loaded.firewall) ShowFirewallPart(shown.firewall, *loaded.firewall);
  shown.batch = loaded.batch;
  shown.autoSwitch = loaded.switchRule ? loaded.switchRule->rule : SwitchRule{};
  return shown;
}

CollectedSetting CollectShown(const ShownSetting& shown, const std::vector<TFirewallEntry>& entries) {
  CollectedSetting collected;
  IpCollected(shown.ip, collected.card.tcpip);
  CollectCardPart(shown.dns, collected.card.tcpip);
  collected.card.winsServers = shown.other.winsServers;
  collected.card.ipv6 = shown.ipv6;
  MachineWideValues& machine = collected.machine;
  machine.hostsFile = shown.other.hostsFile;
  machine.defaultPrinter = shown.other.printer;
  machine.proxy = shown.internet;
  machine.domain = shown.domain.domain;
  machine.machineName = shown.domain.machineName;
  machine.ipEnableRouter = shown.domain.ipEnableRouter;
  machine.useDomainNameDevolution = shown.dns.useDomainNameDevolution;
  // The primary and connection suffixes are stored as an empty list.
  if (!shown.dns.primarySuffixes) machine.searchList = shown.dns.searchList;
  collected.firewall = StoredForm(shown.firewall, entries);
  collected.batch = shown.batch;
  collected.switchRule = shown.autoSwitch;
  return collected;
}

// --- the editor ----------------------------------------------------------------

SettingEditor::SettingEditor(SettingView& view, Surroundings surroundings)
    : view_(view), around_(std::move(surroundings)) {}

std::wstring SettingEditor::ShownName() const { return At(names_, shown_); }

std::wstring SettingEditor::ShownCardId() const { return At(cardIds_, card_); }

StringList SettingEditor::CardLabels() const {
  StringList labels;
  for (size_t i = 0; i < cardLabels_.size(); ++i) {
    labels.push_back(MarkedCardLabel(cardLabels_[i], i < borrowed_.size() && borrowed_[i]));
  }
  return labels;
}

void SettingEditor::ListCards() {
  CardList cards{cardIds_, cardLabels_};
  BuildCardList(cards, osMajor_);
  SetCards(std::move(cards.ids), std::move(cards.labels));
}

void SettingEditor::SetCards(StringList ids, StringList labels) {
  cardIds_ = std::move(ids);
  cardLabels_ = std::move(labels);
  cardLabels_.resize(cardIds_.size());
  borrowed_.assign(cardIds_.size(), false);
  if (card_ >= static_cast<int>(cardIds_.size())) card_ = -1;
  view_.SelectionChanged();
}

void SettingEditor::ReadFirewallState() {
  firewallEntries_.clear();
  FirewallMachineState machine = ReadMachineFirewall(osMajor_, around_.commitEnvironment().machine.openFirewall);
  firewallUsable_ = machine.policyFound;
  ShownSetting shown = view_.Current();
  if (machine.firewallOn) shown.firewall.firewallOn = *machine.firewallOn;
  shown.firewall.rows = std::move(machine.rows);
  firewallEntries_ = std::move(machine.entries);
  view_.ShowValues(shown);
  view_.SelectionChanged();
}

std::wstring SettingEditor::ShowTcpipParameters() {
  std::optional<TcpipParameters> parameters = ReadTcpipParameters();
  if (!parameters) return {};
  view_.ShowValues(WithParameters(view_.Current(), *parameters));
  return parameters->hostsDirectory;
}

void SettingEditor::Open(const StringList& settingNames) {
  TkRegistry registry(HKEY_LOCAL_MACHINE);
  if (registry.OpenKeyReadOnly(kStoreRootKey)) {
    names_ = settingNames;
    shown_ = registry.TryReadInteger(L"Setting Index").value_or(0);
    card_ = registry.TryReadInteger(L"Description Index").value_or(0);
    registry.CloseKey();
  }
  // An index past the lists shows the first.
  if (shown_ < 0 || shown_ >= static_cast<int>(names_.size())) shown_ = names_.empty() ? -1 : 0;
  if (card_ < 0 || card_ >= static_cast<int>(cardIds_.size())) card_ = cardIds_.empty() ? -1 : 0;
  view_.SelectionChanged();
  if (names_.empty()) {
    New();
  } else {
    Load();
  }
}

// --- store to pages and back -----------------------------------------------------

LoadedSetting SettingEditor::Read(const std::wstring& settingName, const std::wstring& cardId,
                                  const ShownSetting& base) {
  StoredSettingRequest request = PartsRequest(settingName);
  // What a stored group keeps from its first bad value on: what the pages show.
  request.defaults.proxy = base.internet;
  request.defaults.domain = base.domain.domain;
  request.programFolder = around_.programFolder;
  const size_t index = static_cast<size_t>(std::find(cardIds_.begin(), cardIds_.end(), cardId) - cardIds_.begin());
  request.onlyPartOf = index;
  StoredSetting stored = ReadStoredSetting(request);
  if (settingName == ShownName()) MarkParts(stored.cards);

  LoadedSetting loaded;
  // Its own part, or that of the card it was before its identifier changed.
  std::optional<CardPart> card = index < stored.cards.size() ? stored.cards[index].part : std::nullopt;
  if (card) {
    loaded.ipv6 = card->ipv6.value_or(Ipv6Setting{});
  } else if (!cardId.empty()) {
    // A card never saved under this setting shows what the machine has (a
    // WINS list that cannot be read is none, not the one shown before).
    card = ReadLiveCardPart(cardId, osMajor_);
    loaded.ipv6 = LiveIpv6Shown(cardId);
  }
  if (card) {
    loaded.tcpip = card->tcpip;
    loaded.winsServers = card->winsServers;
  }
  if (stored.keyFound) loaded.machine = std::move(stored.machineWide);
  if (firewallUsable_ && stored.firewall) {
    FirewallPage page = StoredForm(base.firewall, firewallEntries_);
    LayStoredFirewallPart(*stored.firewall, page);
    loaded.firewall = page;
  }
  loaded.batch = std::move(stored.batch);
  RunGuarded([&] { loaded.switchRule = LoadSwitchRule(settingName); });
  return loaded;
}

void SettingEditor::Load() {
  RunThenAlways(
      [this] {
        if (shown_ < 0 && !names_.empty()) shown_ = 0;
        if (card_ < 0 && !cardIds_.empty()) card_ = 0;
        const std::wstring name = ShownName();
        if (name.empty()) return;
        ShownSetting base = view_.Current();
        const LoadedSetting loaded = Read(name, ShownCardId(), base);
        view_.ShowValues(ShowLoaded(base, loaded));
        // Saving the page would drop what could not be read: say so.
        if (loaded.switchRule && !loaded.switchRule->notes.empty()) {
          view_.Report(std::wstring(kRuleValueIgnored) + loaded.switchRule->notes.front());
        }
        view_.SelectionChanged();
      },
      [this] { modified_ = false; });
}

bool SettingEditor::Save() {
  if (cardIds_.empty()) return false;
  return SaveAs(ShownName(), ShownCardId(), view_.Collected());
}

bool SettingEditor::SaveAs(const std::wstring& settingName, const std::wstring& cardId, const ShownSetting& shown) {
  // Without a name the values would go into the store root, without a card
  // identifier into the setting key itself.
  if (settingName.empty() || cardId.empty()) return false;
  const auto at = std::find(cardIds_.begin(), cardIds_.end(), cardId);
  const std::wstring description = At(cardLabels_, static_cast<int>(at - cardIds_.begin()));
  CollectedSetting collected = CollectShown(shown, firewallEntries_);
  // What identifies the card, so that its part finds it again under a new
  // identifier.
  const CardIdentity identity = ReadCardIdentities({cardId}, around_.commitEnvironment()).front();
  collected.card.macAddress = identity.macAddress;
  collected.card.connectionName = identity.connectionName;
  bool saved = SaveCardPart(settingName, cardId, description, collected.card, osMajor_);
  saved = SaveMachineWide(settingName, collected.machine) && saved;
  if (firewallUsable_) kip::SaveFirewallPart(SettingKeyPath(settingName), collected.firewall);
  saved = WriteStoreRootValues(card_, around_.programFolder) && saved;
  BatchFilePaths files = BatchFilesOf(settingName, around_.programFolder);
  WriteBatchFile(files.before, collected.batch.before);
  WriteBatchFile(files.after, collected.batch.after);
  saved = SaveSwitchRule(settingName, collected.switchRule) && saved;
  if (!saved) {
    view_.Report(L"設定[" + settingName + L"]を保存できませんでした. レジストリに書き込めません (管理者の権限が必要です).");
    return false;
  }
  view_.Saved();
  // The card has a part of its own now: no longer marked.
  if (settingName == ShownName()) {
    if (cardId == ShownCardId()) modified_ = false;
    MarkParts(ChooseStoredParts(PartsRequest(settingName)));
    view_.SelectionChanged();
  }
  return true;
}

StoredSettingRequest SettingEditor::PartsRequest(const std::wstring& settingName) const {
  StoredSettingRequest request{settingName, cardIds_, osMajor_};
  request.identify = CardIdentifier(around_.commitEnvironment());
  return request;
}

// Marks the cards that use, under the shown setting, the stored part of a
// card no longer present, and notes whose part the shown card uses.
void SettingEditor::MarkParts(const std::vector<ChosenCardPart>& chosen) {
  auto choiceOf = [&](int index) {
    return index >= 0 && static_cast<size_t>(index) < chosen.size() ? chosen[static_cast<size_t>(index)]
                                                                     : ChosenCardPart{};
  };
  borrowed_.assign(cardIds_.size(), false);
  for (size_t i = 0; i < borrowed_.size(); ++i) borrowed_[i] = choiceOf(static_cast<int>(i)).Borrowed();
  const ChosenCardPart shown = choiceOf(card_);
  view_.ShowCardNote(shown.Borrowed() ? BorrowedPartText(shown.borrowedLabel) : L"");
}

// --- selection ---------------------------------------------------------------------

void SettingEditor::SelectSetting(int index) { ChangeSelection(index, card_); }

void SettingEditor::SelectCard(int index) { ChangeSelection(shown_, index); }

void SettingEditor::ChangeSelection(int setting, int card) {
  if (busy_) return;
  if (setting == shown_ && card == card_ && !modified_) return;
  busy_ = true;
  RunThenAlways(
      [&] {
        OfferSave();
        shown_ = setting;
        card_ = card;
        Load();
      },
      [this] {
        busy_ = false;
        view_.SelectionChanged();
      });
}

void SettingEditor::OfferSave() {
  RunThenAlways(
      [&] {
        // No setting or card shown: there is nothing to save the edits into.
        if (!modified_ || ShownName().empty() || ShownCardId().empty()) return;
        if (Ask().ConfirmYesNo(kSaveQuestion) != Answer::Yes) return;
        if (SaveAs(ShownName(), ShownCardId(), view_.Collected())) DeleteFileW(kUndoFileName);
      },
      [this] { modified_ = false; });
}

void SettingEditor::Discard() { modified_ = false; }

bool SettingEditor::MayClose() {
  if (!modified_ || ShownName().empty() || ShownCardId().empty()) return true;
  switch (Ask().ConfirmYesNoCancel(kSaveQuestion)) {
    case Answer::Cancel:
      return false;
    case Answer::Yes:
      // A save that failed keeps the window open with the edits in it.
      return Save();
    case Answer::No:
      return true;
  }
  return true;
}

// --- commands --------------------------------------------------------------------------

// The machine's own values: its name and membership, browser, default
// printer, TCP/IP parameters; no HOSTS file.
ShownSetting SettingEditor::LiveShown(ShownSetting shown) const {
  shown.domain.machineName = ReadHostName();
  DomainMembership membership = ReadDomainMembership();
  shown.domain.domain.domain = membership.domain;
  shown.domain.domain.workGroup = membership.workGroup;
  shown.domain.domain.change = false;
  if (std::optional<InternetSettingsValues> machine = ReadInternetSettingsValues()) {
    TakeOverFields(shown.internet, ProxyFieldsFromMachine(*machine));
  }
  shown.internet.enable = false;
  if (std::optional<std::wstring> page = ReadStartPage()) shown.internet.startPage = *page;
  shown.other.printer = ReadDefaultPrinterName();
  if (std::optional<TcpipParameters> parameters = ReadTcpipParameters()) shown = WithParameters(shown, *parameters);
  shown.other.hostsFile.clear();
  return shown;
}

void SettingEditor::New() {
  OfferSave();
  const std::wstring name = NewSettingName(names_);
  names_.push_back(name);
  shown_ = static_cast<int>(names_.size()) - 1;
  view_.SelectionChanged();
  ShownSetting shown = LiveShown(view_.Current());
  for (const std::wstring& cardId : cardIds_) {
    if (std::optional<TcpipValues> live = ReadLiveTcpipValues(cardId, osMajor_)) {
      shown.ip = IpShown(*live);
      ShowCardPart(shown.dns, *live);
      shown.other.winsServers = ReadLiveWinsServers(cardId).value_or(StringList{});
    }
    view_.ShowValues(shown);
    if (!SaveAs(name, cardId, view_.Collected())) break;
  }
  Load();
}

std::wstring SettingEditor::AskNewName(const std::wstring& proposal) {
  for (;;) {
    std::wstring answer = Ask().InputBox(L"名前を付けて保存", L"名前を付けて保存", proposal);
    if (answer.empty()) {
      Ask().ShowMessage(L"名前をつけてください.");
    } else if (SettingNameTaken(names_, NormalizeSettingName(answer))) {
      Ask().ShowMessage(DuplicateNameMessage(answer));
    } else {
      return NormalizeSettingName(answer);
    }
  }
}

// The copy takes every card's stored part; the shown values, edits and all,
// stay shown.
void SettingEditor::CopyAs() {
  const std::wstring newName = AskNewName(CopyProposal(names_, shown_));
  SettingCreation creation(newName, around_.programFolder);
  bool copied = false;
  RunThenAlways([&] { copied = CopyTo(newName); },
                [&] {
                  // A copy that failed or raised leaves nothing behind, in
                  // the store, beside the program or in the list.
                  if (!copied) {
                    creation.Undo();
                    return;
                  }
                  names_.push_back(newName);
                  view_.SelectionChanged();
                });
}

bool SettingEditor::CopyTo(const std::wstring& newName) {
  const std::wstring from = ShownName();
  const ShownSetting base = view_.Current();
  for (const std::wstring& cardId : cardIds_) {
    // Stored values as the pages would collect them.
    ShownSetting card = ShowLoaded(base, Read(from, cardId, base));
    if (!SaveAs(newName, cardId, card)) return false;
  }
  return true;
}

void SettingEditor::Rename() {
  if (shown_ < 0 && !names_.empty()) shown_ = 0;
  if (card_ == -1) card_ = 0;
  const int count = static_cast<int>(names_.size());
  if (shown_ < 0 || shown_ >= count) {
    Ask().ShowMessage(L"設定切り替えタブがおかしいです.インデックスNo=" + std::to_wstring(shown_) + L",タブ数=" +
                      std::to_wstring(count));
    return;
  }
  const int cards = static_cast<int>(cardIds_.size());
  if (card_ < 0 || card_ >= cards) {
    Ask().ShowMessage(L"LANカード数がおかしいです.インデックスNo=" + std::to_wstring(card_) + L",カード数=" +
                      std::to_wstring(cards));
    return;
  }
  const std::wstring current = ShownName();
  if (!SaveAs(current, ShownCardId(), view_.Collected())) return;
  const std::wstring answer = Ask().InputBox(L"名前を変更", L"新しい名前", current);
  const std::wstring newName = NormalizeSettingName(answer);
  if (answer.empty() || newName == current) return;
  if (SettingNameTaken(names_, newName, shown_)) {
    Ask().ShowMessage(DuplicateNameMessage(answer));
    return;
  }
  if (!RenameSettingStore(current, newName, around_.programFolder)) {
    view_.Report(L"設定[" + current + L"]の名前を変更できませんでした.");
    return;
  }
  names_[static_cast<size_t>(shown_)] = newName;
  modified_ = false;
  view_.SelectionChanged();
}

void SettingEditor::Delete() {
  if (Ask().ConfirmYesNo(L"設定を削除しますか") != Answer::Yes) return;
  if (shown_ < 0 || shown_ >= static_cast<int>(names_.size())) return;
  DeleteSettingStore(names_[static_cast<size_t>(shown_)], around_.programFolder);
  modified_ = false;
  names_.erase(names_.begin() + shown_);
  // The one before it, or the new first one.
  shown_ = std::max(shown_ - 1, names_.empty() ? -1 : 0);
  view_.SelectionChanged();
  if (names_.empty()) {
    New();
  } else {
    Load();
  }
}

}  // namespace kip
