// The setting tabs: moving a setting between the store and the window, and
// the commands on settings (new, save, copy, rename, delete). The window
// holds one setting for one card; every command that needs another card or
// setting loads it into the window first.
#include "app/UkIpConfig.h"
#include "app/OptionalReads.h"
#include "apply/CommitSource.h"
#include "machine/CardList.h"
#include "machine/Ipv6Live.h"
#include "store/BatchFiles.h"
#include "store/SettingNames.h"
#include "store/SettingStore.h"
#include "store/Snapshot.h"
#include "store/StoreKeys.h"
#include "util/kRegistry.h"
#include "ui/GridValues.h"
#include "util/Files.h"
#include "util/Guard.h"

namespace kip {

namespace {

constexpr wchar_t kSaveQuestion[] = L"変更した設定を保存しますか.";

// A card the setting holds no part for shows its IPv6 values now, under the
// choice to leave them alone: saving that never changes IPv6 by itself.
Ipv6Setting LiveIpv6Shown(const std::wstring& cardId) {
  Ipv6Setting shown;
  if (cardId.empty()) return shown;
  const LiveIpv6Cards live = ReadLiveIpv6();
  const auto found = live.find(cardId);
  if (found == live.end()) return shown;
  for (const LiveIpv6Address& address : found->second.addresses) {
    shown.addresses.push_back(PrefixedText(address));
  }
  shown.gateways = found->second.gateways;
  shown.dnsServers = found->second.dnsServers;
  return shown;
}


std::wstring DuplicateNameMessage(const std::wstring& name) {
  return L"すでに\"" + name + L"\"という名前は使われています.";
}

std::wstring IndexMessage(const wchar_t* pattern, int index, int count) {
  std::wstring text = pattern;
  for (int value : {index, count}) {
    size_t at = text.find(L"%d");
    if (at != std::wstring::npos) text.replace(at, 2, std::to_wstring(value));
  }
  return text;
}

StringList TabTexts(const win::TabStrip& tabs) {
  StringList names;
  for (int i = 0; i < tabs.Count(); ++i) names.push_back(tabs.Tab(i));
  return names;
}

}  // namespace

std::wstring TFormIpconfig::TabText(int index) const { return TabControl1.Tab(index); }

std::wstring TFormIpconfig::ProgramFolder() const { return ExtractFilePath(ProgramPath()); }

// --- store to window and back ------------------------------------------------

void TFormIpconfig::LoadSetting() {
  RunThenAlways(
      [this] {
        if (TabControl1.TabIndex() < 0) TabControl1.SetTabIndex(0);
        if (ComboDescription.ItemIndex() < 0) ComboDescription.SetItemIndex(0);
        std::wstring setting = TabText(TabControl1.TabIndex());
        std::wstring cardId = SelectedCardId();

        std::optional<CardPart> card;
        if (ComboDescription.Count() > 0 && !CardIds.empty() && TabControl1.TabIndex() >= 0) {
          // Its own part, or that of the card it was before its identifier changed.
          const std::wstring cardKey = MarkCardParts(setting);
          if (!cardKey.empty()) card = LoadCardPart(setting, cardKey, OSMajorVersion);
        }
        pages_.ipv6.Show(card ? card->ipv6.value_or(Ipv6Setting{}) : LiveIpv6Shown(cardId));
        if (card) {
          ShowTcpipValues(card->tcpip);
          pages_.other.Update([&](OtherPageValues& shown) { shown.winsServers = card->winsServers; });
        } else if (!CardIds.empty()) {
          // A card never saved under this setting shows what the machine has.
          ReadLiveInterface(cardId);
        }

        if (TabControl1.TabIndex() >= 0) {
          if (std::optional<MachineWideReading> reading = LoadMachineWide(setting)) ShowMachineWide(*reading);
          if (TabSheetFireWall->Enabled()) LoadFirewallPart(setting);
        }
        BatchFilePaths files = BatchFilesOf(setting, ProgramFolder());
        pages_.batch.Show({ReadBatchFile(files.before), ReadBatchFile(files.after)});
        LoadSwitchRulePart(setting);
      },
      [this] { Modified = false; });
}

bool TFormIpconfig::SaveSetting(const std::wstring& settingName, const std::wstring& cardId) {
  // Without a name the values would go into the store root, without a card
  // identifier into the setting key itself.
  if (settingName.empty() || cardId.empty()) return false;
  // The card's own label, also when the window's selection is another card
  // (a new setting saves every card in turn).
  std::wstring description = UnmarkedCardLabel(ComboDescription.Text());
  const StringList labels = CardLabels();
  for (size_t i = 0; i < CardIds.size() && i < labels.size(); ++i) {
    if (CardIds[i] == cardId) description = labels[i];
  }
  CardPart card{CurrentTcpipValues(), pages_.other.Collect().winsServers};
  card.ipv6 = pages_.ipv6.Collect();
  // What identifies the card, so that its part finds it again under a new
  // identifier.
  const CardIdentity identity = ReadCardIdentities({cardId}, CommitEnvironmentOfWindow()).front();
  card.macAddress = identity.macAddress;
  card.connectionName = identity.connectionName;
  bool saved = SaveCardPart(settingName, cardId, description, card, OSMajorVersion);
  saved = SaveMachineWide(settingName, CurrentMachineWide()) && saved;
  if (TabSheetFireWall->Enabled()) SaveFirewallPart(settingName);
  saved = SaveSwitchRulePart(settingName) && saved;
  saved = WriteStoreRootValues(ComboDescription.ItemIndex(), ProgramFolder()) && saved;
  BatchFilePaths files = BatchFilesOf(settingName, ProgramFolder());
  BatchTexts batch = pages_.batch.Collect();
  WriteBatchFile(files.before, batch.before);
  WriteBatchFile(files.after, batch.after);
  if (!saved) {
    ReportSaveFailure(settingName);
    return false;
  }
  Modified = false;
  // The card has a part of its own now: no longer marked.
  if (settingName == TabText(TabControl1.TabIndex())) MarkCardParts(settingName);
  return true;
}

void TFormIpconfig::ReportSaveFailure(const std::wstring& settingName) {
  ShowException(L"設定[" + settingName + L"]を保存できませんでした. レジストリに書き込めません (管理者の権限が必要です).");
}

// Writes the present cards' labels into the listed settings on a worker
// thread; the returned future waits for it.
std::future<void> TFormIpconfig::StartRefreshCardDescriptions(StringList settingNames) {
  // Each label is a registry call per setting and card, which adds up with
  // hundreds of settings; it runs beside the filling of the tabs. Nothing
  // else writes those card keys meanwhile: the start-up load only reads the
  // shown setting, and a setting that load makes is not in the list.
  return std::async(std::launch::async, [names = std::move(settingNames), ids = CardIds, labels = CardLabels()] {
    RunGuarded([&] { kip::RefreshCardDescriptions(names, ids, labels); });
  });
}

void TFormIpconfig::LoadSettingList(const StringList& settingNames) {
  TkRegistry registry(HKEY_LOCAL_MACHINE);
  if (registry.OpenKeyReadOnly(kStoreRootKey)) {
    RunGuarded([&] { TabControl1.SetTabs(settingNames); });
    TabControl1.SetTabIndex(OptionalInteger(registry, L"Setting Index").value_or(0));
    ExitChoice = OptionalInteger(registry, L"Shutdown Index").value_or(2);
    ComboDescription.SetItemIndex(OptionalInteger(registry, L"Description Index").value_or(0));
    registry.CloseKey();
  }
  if (TabControl1.Count() == 0) NewSetting();
  ShownSettingIndex = TabControl1.TabIndex();
  ShownCardIndex = ComboDescription.ItemIndex();
}

// --- selection ----------------------------------------------------------------

void TFormIpconfig::SyncSelection() {
  if (SyncBusy) return;
  SyncBusy = true;
  RunThenAlways(
      [this] {
        if (Modified && !CardIds.empty() && ShownSettingIndex != -1 && ShownCardIndex != -1) {
          AskSaveSetting(TabText(ShownSettingIndex), CardIdAt(ShownCardIndex));
        }
        ShownCardIndex = ComboDescription.ItemIndex();
        ShownSettingIndex = TabControl1.TabIndex();
        LoadSetting();
      },
      [this] { SyncBusy = false; });
}

bool TFormIpconfig::TabControl1Changing() {
  ShownSettingIndex = TabControl1.TabIndex();
  return true;
}

void TFormIpconfig::TabControl1Change() { SyncSelection(); }

void TFormIpconfig::ComboDescriptionChange() { SyncSelection(); }

void TFormIpconfig::AskSaveSetting(const std::wstring& settingName, const std::wstring& cardId) {
  RunThenAlways(
      [&] {
        // No setting or card shown (a deleted first tab, a stored card index
        // past the present cards): there is nothing to save the edits into.
        if (settingName.empty() || cardId.empty()) return;
        if (Ask().ConfirmYesNo(kSaveQuestion) != Answer::Yes) return;
        if (SaveSetting(settingName, cardId)) DeleteFileW(kUndoFileName);
      },
      [this] { Modified = false; });
}

// --- commands -------------------------------------------------------------------

void TFormIpconfig::mSaveClick() {
  if (CardIds.empty()) return;
  SaveSetting(TabText(TabControl1.TabIndex()), SelectedCardId());
}

void TFormIpconfig::NewSetting() {
  if (Modified && TabControl1.Count() > 0 && !CardIds.empty()) {
    AskSaveSetting(TabText(ShownSettingIndex), CardIdAt(ShownCardIndex));
  }
  std::wstring name = NewSettingName(TabTexts(TabControl1));
  int index = TabControl1.Add(name);
  TabControl1.SetTabIndex(index);
  ShownSettingIndex = index;

  ReadNetworkId();
  ReadInternetSettings();
  SelectDefaultPrinter();
  ReadTcpipParameters();
  pages_.other.Update([](OtherPageValues& shown) { shown.hostsFile.clear(); });

  for (size_t i = 0; i < CardIds.size(); ++i) {
    ReadLiveInterface(CardIds[i]);
    if (!SaveSetting(name, CardIds[i])) break;
  }
  LoadSetting();
}

std::wstring TFormIpconfig::AskNewName(const std::wstring& proposal) {
  for (;;) {
    std::wstring answer = Ask().InputBox(L"名前を付けて保存", L"名前を付けて保存", proposal);
    if (answer.empty()) {
      Ask().ShowMessage(L"名前をつけてください.");
    } else if (SettingNameTaken(TabTexts(TabControl1), NormalizeSettingName(answer))) {
      Ask().ShowMessage(DuplicateNameMessage(answer));
    } else {
      return NormalizeSettingName(answer);
    }
  }
}

void TFormIpconfig::CopySettingAs() {
  std::wstring newName = AskNewName(CopyProposal(TabTexts(TabControl1), ShownSettingIndex));
  TabControl1.Add(newName);
  ShownSettingIndex = TabControl1.TabIndex();
  SettingCreation creation(newName, ProgramFolder());
  bool copied = false;
  RunThenAlways([&] { copied = CopySettingTo(newName); },
                [&] {
                  // A copy that failed or raised leaves nothing behind, in
                  // the store, beside the program or on a tab.
                  if (!copied) {
                    creation.Undo();
                    TabControl1.Delete(TabControl1.Count() - 1);
                  }
                  ShownCardIndex = ComboDescription.ItemIndex();
                });
}

bool TFormIpconfig::CopySettingTo(const std::wstring& newName) {
  for (size_t i = 0; i < CardIds.size(); ++i) {
    ComboDescription.SetItemIndex(static_cast<int>(i));
    LoadSetting();
    if (!SaveSetting(newName, CardIds[i])) return false;
  }
  return true;
}

void TFormIpconfig::RenameSetting() {
  if (TabControl1.TabIndex() < 0) TabControl1.SetTabIndex(0);
  if (ShownCardIndex == -1) ShownCardIndex = 0;
  int tab = TabControl1.TabIndex();
  if (tab < 0 || tab >= TabControl1.Count()) {
    Ask().ShowMessage(IndexMessage(L"設定切り替えタブがおかしいです.インデックスNo=%d,タブ数=%d", tab,
                                   TabControl1.Count()));
    return;
  }
  if (ShownCardIndex < 0 || ShownCardIndex >= static_cast<int>(CardIds.size())) {
    Ask().ShowMessage(IndexMessage(L"LANカード数がおかしいです.インデックスNo=%d,カード数=%d", ShownCardIndex,
                                   static_cast<int>(CardIds.size())));
    return;
  }
  std::wstring current = TabText(tab);
  if (!SaveSetting(current, CardIdAt(ShownCardIndex))) return;
  std::wstring answer = Ask().InputBox(L"名前を変更", L"新しい名前", current);
  std::wstring newName = NormalizeSettingName(answer);
  if (answer.empty() || newName == current) return;
  if (SettingNameTaken(TabTexts(TabControl1), newName, tab)) {
    Ask().ShowMessage(DuplicateNameMessage(answer));
    return;
  }
  if (!RenameSettingStore(current, newName, ProgramFolder())) {
    ShowException(L"設定[" + current + L"]の名前を変更できませんでした.");
    return;
  }
  TabControl1.SetTab(tab, newName);
  Modified = false;
}

void TFormIpconfig::DeleteSetting() {
  if (Ask().ConfirmYesNo(L"設定を削除しますか") != Answer::Yes) return;
  int index = ShownSettingIndex;
  if (index < 0 || index >= TabControl1.Count()) index = TabControl1.TabIndex();
  if (index < 0) return;
  DeleteSettingStore(TabText(index), ProgramFolder());
  Modified = false;
  TabControl1.Delete(index);
  ShownSettingIndex = index - 1;
  TabControl1.SetTabIndex(ShownSettingIndex);
  if (TabControl1.Count() > 0) {
    LoadSetting();
  } else {
    NewSetting();
  }
}

}  // namespace kip
