// The setting editor: which setting and which card the window shows,
// whether the shown values were edited, and the commands on settings (new,
// save, copy, rename, delete). It knows no window: it shows through a
// SettingView (the frame's pages, tabs and card list, or a test's plain
// values) and asks through Prompts.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/pages/PageValues.h"
#include "apply/CommitSequence.h"
#include "machine/FirewallPolicy.h"
#include "store/FirewallStore.h"
#include "store/SettingRecord.h"
#include "store/Ipv6Setting.h"
#include "store/StoredSetting.h"
#include "store/SwitchRules.h"
#include "util/Prompts.h"
#include "util/Text.h"

namespace kip {

// What the pages show of one setting for one card, page by page. A page
// added to the window adds its values here and to the two moves below.
struct ShownSetting {
  IpPageValues ip;
  DnsPageValues dns;
  OtherPageValues other;
  ProxyValues internet;
  DomainPageValues domain;
  BatchTexts batch;
  FirewallSheetValues firewall;
  Ipv6Setting ipv6;
  SwitchRule autoSwitch;
};

// One setting for one card as it was read: the card's stored part (or, for
// a card the setting holds none of, what the machine has), the machine-wide
// part, the firewall part and the batch texts.
struct LoadedSetting {
  std::optional<TcpipValues> tcpip;       // nullopt: nothing readable; the pages keep theirs
  std::optional<StringList> winsServers;  // the same
  Ipv6Setting ipv6;
  std::optional<MachineWideValues> machine;  // read over what the pages show
  std::optional<FirewallPage> firewall;  // only while the firewall page is usable
  BatchTexts batch;
  std::optional<StoredSwitchRule> switchRule;  // nullopt: none could be read
};

// What a save stores of the shown values.
struct CollectedSetting {
  CardPart card;
  MachineWideValues machine;
  FirewallPage firewall;
  BatchTexts batch;
  SwitchRule switchRule;
};

// The two moves between a setting and the pages: what was read laid over
// what the pages show, and what a save stores of them (`entries` pair by
// position with the firewall page's first rows).
ShownSetting ShowLoaded(ShownSetting shown, const LoadedSetting& loaded);
CollectedSetting CollectShown(const ShownSetting& shown, const std::vector<TFirewallEntry>& entries);

// Where the editor shows what it holds.
class SettingView {
 public:
  virtual ~SettingView() = default;
  // The values as the pages show them now, and as they are stored (tidied).
  virtual ShownSetting Current() const = 0;
  virtual ShownSetting Collected() const = 0;
  // Shows values; showing is no edit.
  virtual void ShowValues(const ShownSetting& shown) = 0;
  // The names, the card labels or which of them is shown changed.
  virtual void SelectionChanged() = 0;
  // A failure for the status line.
  virtual void Report(const std::wstring& message) = 0;
  // Whose stored part the shown card uses; empty: its own (a note shown
  // before goes).
  virtual void ShowCardNote(const std::wstring& note) = 0;
  // A setting was saved.
  virtual void Saved() {}
};

class SettingEditor {
 public:
  struct Surroundings {
    std::function<Prompts&()> prompts;
    std::function<CommitEnvironment()> commitEnvironment;  // card identities, the program's folder
    std::wstring programFolder;                            // with a trailing backslash
  };
  SettingEditor(SettingView& view, Surroundings surroundings);

  // --- what it holds --------------------------------------------------------
  const StringList& Names() const { return names_; }
  int ShownIndex() const { return shown_; }      // -1: none
  std::wstring ShownName() const;                // empty: none
  const StringList& CardIds() const { return cardIds_; }
  StringList CardLabels() const;                 // marked where a card uses another card's part
  int ShownCard() const { return card_; }        // -1: none
  std::wstring ShownCardId() const;
  bool Modified() const { return modified_; }
  bool Busy() const { return busy_; }            // a change of setting or card runs
  bool FirewallUsable() const { return firewallUsable_; }
  void SetOsMajorVersion(DWORD major) { osMajor_ = major; }
  void SetProgramFolder(std::wstring folder) { around_.programFolder = std::move(folder); }

  // --- start-up -------------------------------------------------------------
  // The machine's cards, listed in three passes; the first selected.
  void ListCards();
  void SetCards(StringList ids, StringList labels);
  // The firewall policy and its exceptions as the machine has them.
  void ReadFirewallState();
  // The TCP/IP parameters shown until a setting says otherwise; returns
  // the HOSTS folder (empty when unreadable).
  std::wstring ShowTcpipParameters();
  // The listed settings, the shown one and card from the store root; a
  // store without settings gets a new one.
  void Open(const StringList& settingNames);

  // --- events ---------------------------------------------------------------
  void Edited() { modified_ = true; }
  // The user chose another setting or card: the edits are offered for
  // saving, then it is shown. The shown one, unedited, is not read again:
  // the pages show what the store holds.
  void SelectSetting(int index);
  void SelectCard(int index);
  void Load();     // the shown setting for the shown card, again
  void Discard();  // the store changed under the edits: they go

  // --- commands -------------------------------------------------------------
  bool Save();  // false, reported, the edits kept, when it fails
  void New();
  void CopyAs();
  void Rename();
  void Delete();
  // Whether the window may close (the edits offered for saving).
  bool MayClose();

 private:
  Prompts& Ask() const { return around_.prompts(); }
  LoadedSetting Read(const std::wstring& settingName, const std::wstring& cardId, const ShownSetting& base);
  bool SaveAs(const std::wstring& settingName, const std::wstring& cardId, const ShownSetting& shown);
  void OfferSave();
  void ChangeSelection(int setting, int card);
  StoredSettingRequest PartsRequest(const std::wstring& settingName) const;
  void MarkParts(const std::vector<ChosenCardPart>& chosen);
  std::wstring AskNewName(const std::wstring& proposal);
  bool CopyTo(const std::wstring& newName);
  ShownSetting LiveShown(ShownSetting shown) const;

  SettingView& view_;
  Surroundings around_;
  StringList names_;
  int shown_ = -1;
  StringList cardIds_;
  StringList cardLabels_;              // unmarked
  std::vector<bool> borrowed_;         // per card, under the shown setting
  int card_ = -1;
  bool modified_ = false;
  bool busy_ = false;
  DWORD osMajor_ = 0;
  bool firewallUsable_ = false;
  std::vector<TFirewallEntry> firewallEntries_;
};

}  // namespace kip
