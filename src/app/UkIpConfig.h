// The main window: the frame that moves one setting for one card between the
// store and the pages (app/pages/). Each section names the file that holds it.
#pragma once

#include <windows.h>

#include <functional>
#include <future>
#include <memory>
#include <string>
#include <vector>

#include "app/CommandLineArgs.h"
#include "app/FormEnvironment.h"
#include "app/FormMenus.h"
#include "app/FormTray.h"
#include "app/AutoSwitch.h"
#include "app/pages/FramePages.h"
#include "apply/CommitSequence.h"
#include "apply/DomainJoiner.h"
#include "apply/ExitWin32.h"
#include "machine/FirewallPolicy.h"
#include "store/SettingRecord.h"
#include "util/TcpipValueSet.h"
#include "ui/Prompts.h"
#include "ui/win/Controls.h"
#include "ui/win/Form.h"
#include "ui/win/Layout.h"
#include "util/Text.h"
#include "util/UniqueHandle.h"

namespace kip {

class AboutBox;
struct CommitRequest;

class TFormIpconfig : public win::Form {
 public:
  explicit TFormIpconfig(FormEnvironment environment = {});
  ~TFormIpconfig() override;

  void Create();  // controls, captions, state (FormCreate)

  // --- state shared with the tests and the dialogs --------------------------
  bool StartupDone = false;
  bool Modified = false;
  int ShownSettingIndex = -1;
  int ShownCardIndex = -1;
  bool SyncBusy = false;
  int ExitChoice = 2;
  bool JoinCancelled = false;
  DWORD OSMajorVersion = 0;
  DWORD OSMinorVersion = 0;
  StringList CardIds;

  // --- life cycle (app/FormLifecycle.cpp) -----------------------------------
  void FormActivate();
  bool LoadAtStartup();  // true when the load ran to its end
  bool FormCloseQuery();
  void FormClose();

  // --- per-card TCP/IP values (app/FormTcpip.cpp) ---------------------------
  bool ReadLiveInterface(const std::wstring& cardId);
  void ReadNetBTWins(const std::wstring& cardId);
  void ShowTcpipValues(const TcpipValues& values);
  TcpipValues CurrentTcpipValues() const;

  // --- batch memos and HOSTS (app/FormMemos.cpp) ----------------------------
  void mFileNameClick();
  void AppendBatchLine(int item);
  void ButtonBrowsClick();

  // --- the setting store (app/FormSettings.cpp) -----------------------------
  void LoadSetting();
  // False, with a status-bar message and `Modified` kept, when it fails.
  bool SaveSetting(const std::wstring& settingName, const std::wstring& cardId);
  void LoadSettingList(const StringList& settingNames);
  void SyncSelection();
  void AskSaveSetting(const std::wstring& settingName, const std::wstring& cardId);
  void NewSetting();
  void mSaveClick();
  void CopySettingAs();
  void RenameSetting();
  void DeleteSetting();
  bool TabControl1Changing();
  void TabControl1Change();
  void ComboDescriptionChange();
  std::wstring TabText(int index) const;  // empty when there is none
  std::wstring ProgramFolder() const;     // with a trailing backslash

  // --- printers (app/FormPrinters.cpp) --------------------------------------
  void ListPrinters();
  void SelectPrinter(const std::wstring& name);

  // --- snapshots and the copy between cards (app/FormSnapshots.cpp) --------
  void AttachDialogs(const FormDialogs& dialogs);
  // Made the first time one is needed: six hidden windows slow every start.
  void AttachDialogs(std::function<FormDialogs()> create);
  void ActionExportExecute();
  void ActionImportExecute();
  void ActionUndoOtherLANExecute();
  bool CopyOtherLanCard(const std::wstring& fromCardId, const std::wstring& toCardId, const std::wstring& toLabel);

  // --- the commit (app/FormCommit.cpp, app/FormCommandLine.cpp) -------------
  void ActionCommitExecute();
  bool Committing() const { return committing_; }
  void RunCommandLine();
  int CommandLineExitCode() const { return commandLineExitCode_; }  // 0: none

  // --- firewall and domain (app/FormFirewall.cpp, app/FormDomain.cpp) -------
  void ReadFirewallState();
  void ChangeDomainStep(const DomainChoice& choice);

  // --- the notification area (app/FormTray.h) -------------------------------
  TrayMenu& Tray() { return tray_; }

  // --- the setting follows the network (app/FormAutoSwitch.cpp) ------------
  AutoSwitchPage& SwitchRulePage() { return pages_.autoSwitch; }
  AutoSwitch* Switcher() { return autoSwitch_.get(); }  // null while not resident
  void OfferClicked();

  // --- pages (app/pages/, wired in app/FormPages.cpp) ----------------------
  IpPage& Ip() { return pages_.ip; }
  DnsPage& Dns() { return pages_.dns; }
  BatchPage& Batch() { return pages_.batch; }
  FirewallSheet& Firewall() { return pages_.firewall; }
  DomainPage& Domain() { return pages_.domain; }
  InternetPage& Internet() { return pages_.internet; }
  OtherPage& Other() { return pages_.other; }

  // --- the frame's controls (app/FormLayout.cpp), menus (app/FormMenus.h) ---
  win::ComboList ComboDescription;
  win::TabStrip TabControl1;
  win::PageControl PageControl1;
  win::Panel* TabSheetFireWall = nullptr;
  win::StatusBar StatusBar1;
  FormMenus& Menus() { return menus_; }
  FormActions& Actions() { return actions_; }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  // app/FormLifecycle.cpp
  void FormCreate();
  void FormDestroy();
  void ShowException(const std::wstring& message);
  void mOSCheckClick();
  void ReadPlacement();
  void ReadOptions();
  void CheckWindowsVersion();
  void CheckLanguageFile();
  void WritePlacement();
  void WriteOptions();
  Prompts& Ask();
  std::wstring ProgramPath() const;
  bool startupPosted_ = false;
  FormEnvironment env_;
  std::unique_ptr<Prompts> ownPrompts_;
  // app/FormCardList.cpp
  void BuildCardList();
  std::wstring SelectedCardId() const;
  std::wstring CardIdAt(int index) const;
  StringList CardLabels() const;
  std::wstring MarkCardParts(const std::wstring& settingName);
  // app/FormSettings.cpp
  std::future<void> StartRefreshCardDescriptions(StringList settingNames);
  void ReportSaveFailure(const std::wstring& settingName);
  std::wstring AskNewName(const std::wstring& proposal);
  bool CopySettingTo(const std::wstring& newName);
  // app/FormMachine.cpp: machine-wide values, from the store or the machine
  void ShowMachineWide(const MachineWideReading& reading);
  MachineWideValues CurrentMachineWide() const;
  std::wstring ReadTcpipParameters();
  void ReadInternetSettings();
  void ReadNetworkId();
  std::wstring HostsDirectory;
  // app/FormPrinters.cpp, FormProxy.cpp, FormMemos.cpp, FormHelp.cpp
  void SelectDefaultPrinter();
  StringList PrinterDevices;  // parallel to the listed printers
  void ButtonGetProxyClick();
  void mEditHOSTSClick();
  void About1Click();
  void mHelpClick();
  std::unique_ptr<AboutBox> about_;
  // app/FormSnapshots.cpp
  const FormDialogs& Dialogs();
  void ActionCopyOtherLANExecute();
  void FillOtherLanLists();
  FormDialogs attachedDialogs_;
  std::function<FormDialogs()> createDialogs_;
  // app/FormCommit.cpp
  class CommitUserAdapter;
  bool CommitShownSetting();
  void ActOnExitChoice(int choice);
  void RunWhileCommitting(const std::function<void()>& work);
  void SetCommitting(bool committing);
  bool CommandAllowedWhileCommitting(UINT commandId) const;
  bool HoldCloseWhileCommitting();
  bool ShowWaitCursorWhileCommitting();
  CommitEnvironment CommitEnvironmentOfWindow() const;
  void FollowCommit();
  bool committing_ = false;
  bool closeHeld_ = false;
  CommitResult lastCommitResult_;
  // app/FormCommandLine.cpp
  void CarryOutExitAction(ExitAction action);
  void ActionShortCutExecute();
  int commandLineExitCode_ = 0;
  // app/FormSafeSwitch.cpp: what surrounds a commit besides its plan
  enum class CommitKind { Unattended, Tray, Window, WithReturn };
  class SafeSwitch;
  void ActionSafeCommitExecute();
  void mPreviewFirstClick();
  void mReturnSecondsClick();
  void ReadSafeSwitchOptions();
  bool RunCommandLinePreview();
  bool CommitShownSetting(CommitKind kind);
  CommitRequest ShownCommitRequest() const;
  void WireSafeSwitchHandlers();
  int ReturnSeconds = 60;  // before an unanswered automatic return goes back
  // app/FormFirewall.cpp
  void LoadFirewallPart(const std::wstring& settingName);
  void SaveFirewallPart(const std::wstring& settingName);
  std::vector<TFirewallEntry> FirewallEntries;
  // app/FormAutoSwitch.cpp
  class AutoSwitchHost;
  void WireAutoSwitchPage();
  void SyncAutoSwitch();
  void LoadSwitchRulePart(const std::wstring& settingName);
  bool SaveSwitchRulePart(const std::wstring& settingName);
  void ResidentOptionsClicked(const ResidentOptions& options);
  void SwitchCommittedByHand();
  bool CommitSettingWithReturn(const std::wstring& settingName);
  std::wstring ChooseSettingToCommit(const StringList& settingNames);
  ResidentOptions ReadResidentOptions() const;
  std::unique_ptr<AutoSwitch::Host> autoSwitchHost_;
  std::unique_ptr<AutoSwitch> autoSwitch_;
  bool autoCommitting_ = false;
  // app/FormTray.h: commits a setting and reads the busy state
  friend class TrayMenu;
  TrayMenu tray_{*this};
  // app/FormPages.cpp
  Page* LazyPage(int index);
  void WirePages();
  void BuildPage(int index);
  FramePages pages_{[this]() -> Prompts& { return Ask(); }};
  // app/FormLayout.cpp
  void CreateControls();
  void CreateActions();
  void CreateMenus();
  void WireHandlers();
  void Relayout();
  void LayoutFrame(int clientWidth, int clientHeight);
  SIZE LeastClientSize() const;
  win::Panel* TabSheetIPv6 = nullptr;
  win::Button ButtonCommit;
  win::Button ButtonExit;
  FormActions actions_;  // outlives the menu items that carry them out
  FormMenus menus_;
  UniqueHFont font_;
};

}  // namespace kip
