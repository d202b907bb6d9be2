// The main window: the frame of the pages. It shows one setting for one
// card: the pages (app/pages/) hold its values, the frame moves them between
// the store and the pages. This header is the table of contents; the
// frame's handlers live in app/, one file per concern:
//   FormLayout.cpp           frame controls, captions, menus, layout
//   FormPages.cpp            the pages: built when first shown, their edits
//   FormLifecycle.cpp        creation, first activation, start-up load, close
//   FormCardList.cpp         the card list (BuildCardList)
//   FormTcpip.cpp            a card's TCP/IP values to the pages and back
//   FormSettings.cpp         the setting tabs: load, save, new, copy, rename,
//                            delete, the selection change
//   FormMachine.cpp          the machine-wide values to the pages and back,
//                            and read from the live machine
//   FormPrinters.cpp         the printer list and the choice of one
//   FormProxy.cpp            the take-over of the machine's proxy
//   FormMemos.cpp            the batch memos' menu, HOSTS browse and edit
//   FormSnapshots.cpp        export, import, the copy between cards and its
//                            undo
//   FormHelp.cpp             the about box and the help page
//   FormCommit.cpp           the commit ("設定反映") and what follows it
//   FormCommandLine.cpp      the unattended run of a command line, shortcuts
//   FormFirewall.cpp         the firewall part of a setting
//   FormDomain.cpp           the domain change of the commit
//   FormTray.cpp             the quick switch from the notification area
//   FormSafeSwitch.cpp       the preview before a commit, the check after
//                            it, the commit with automatic return
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
#include "app/pages/BatchPage.h"
#include "app/pages/DnsPage.h"
#include "app/pages/DomainPage.h"
#include "app/pages/FirewallSheet.h"
#include "app/pages/InternetPage.h"
#include "app/pages/IpPage.h"
#include "app/pages/OtherPage.h"
#include "app/pages/Ipv6Page.h"
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
#include "ui/win/TrayIcon.h"
#include "util/Text.h"
#include "util/UniqueHandle.h"

namespace kip {

class TkRegistry;
class AboutBox;
struct CommitRequest;

class TFormIpconfig : public win::Form {
 public:
  explicit TFormIpconfig(FormEnvironment environment = {});
  ~TFormIpconfig() override;

  // Window creation: controls, captions, state (FormCreate).
  void Create();

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
  // True when the load ran to its end (the command line runs only then).
  bool LoadAtStartup();
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
  // Writes the window as setting S, card K. False (and a status-bar message)
  // when the store could not be written; `Modified` then stays as it was.
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
  // The text of tab `index`, or empty when there is none.
  std::wstring TabText(int index) const;
  // The program's folder with a trailing backslash (batch files live there).
  std::wstring ProgramFolder() const;

  // --- printers (app/FormPrinters.cpp) --------------------------------------
  void ListPrinters();
  void SelectPrinter(const std::wstring& name);

  // --- snapshots and the copy between cards (app/FormSnapshots.cpp) --------
  void AttachDialogs(const FormDialogs& dialogs);
  // The dialogs made by `create` the first time one is needed: most runs
  // never open one, and creating six hidden windows slows every start.
  void AttachDialogs(std::function<FormDialogs()> create);
  void ActionExportExecute();
  void ActionImportExecute();
  void ActionUndoOtherLANExecute();
  bool CopyOtherLanCard(const std::wstring& fromCardId, const std::wstring& toCardId, const std::wstring& toLabel);

  // --- the commit (app/FormCommit.cpp, app/FormCommandLine.cpp) -------------
  void ActionCommitExecute();
  // True while a commit runs: the window is busy.
  bool Committing() const { return committing_; }
  void RunCommandLine();
  // The exit code of the command line's run (0 when there was none).
  int CommandLineExitCode() const { return commandLineExitCode_; }

  // --- firewall and domain (app/FormFirewall.cpp, app/FormDomain.cpp) -------
  void ReadFirewallState();
  // The commit step: joins the domain or workgroup the plan names.
  void ChangeDomainStep(const DomainChoice& choice);

  // --- the notification area (app/FormTray.cpp) -----------------------------
  // The tool-tip: the program's name and the last committed setting.
  std::wstring TrayTip() const;
  // The tab "Setting Index" names (the last commit), or -1.
  int LastCommittedTab() const;
  // True while the window is disabled, a dialog of it is open, a commit or
  // a change of setting runs: the icon's menu then only opens the window.
  bool TrayOffersOnlyOpen() const;
  // Commits the tab and carries on, whatever exit choice is stored.
  void CommitFromTray(int tab);
  // Closes the window and ends the program, also while the icon is shown.
  void EndProgram();

  // --- pages (app/pages/, wired in app/FormPages.cpp) ----------------------
  IpPage& Ip() { return ip_; }
  DnsPage& Dns() { return dns_; }
  BatchPage& Batch() { return batch_; }
  FirewallSheet& Firewall() { return firewall_; }
  DomainPage& Domain() { return domain_; }
  InternetPage& Internet() { return internet_; }
  OtherPage& Other() { return other_; }

  // --- the frame's controls (app/FormLayout.cpp) ----------------------------
  win::ComboList ComboDescription;
  win::TabStrip TabControl1;
  win::PageControl PageControl1;
  win::Panel* TabSheetFireWall = nullptr;
  win::StatusBar StatusBar1;
  // The menus and the actions they share (app/FormMenus.h).
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
  const FormEnvironment& Environment() const { return env_; }
  Prompts& Ask();
  std::wstring ProgramPath() const;
  // The start-up load runs from a posted message so that it never runs
  // inside the activation itself (its message boxes activate the window).
  bool startupPosted_ = false;
  FormEnvironment env_;
  std::unique_ptr<Prompts> ownPrompts_;

  // app/FormCardList.cpp
  void BuildCardList();
  // The card identifier of the selected card, or empty.
  std::wstring SelectedCardId() const;
  // The identifier of card `index`, or empty when there is none.
  std::wstring CardIdAt(int index) const;
  // The labels of the present cards, in the order of `CardIds` (without the
  // mark of a card that uses another card's part).
  StringList CardLabels() const;
  // Marks the cards that use, under the setting, the stored part of a card
  // no longer present, and says in the status bar whose part the selected
  // card uses. Returns the card key whose part the selected card shows
  // (empty: none, its live values).
  std::wstring MarkCardParts(const std::wstring& settingName);

  // app/FormSettings.cpp
  // Writes the present cards' labels into the listed settings on a worker
  // thread; the returned future waits for it.
  std::future<void> StartRefreshCardDescriptions(StringList settingNames);
  void ReportSaveFailure(const std::wstring& settingName);
  std::wstring AskNewName(const std::wstring& proposal);
  bool CopySettingTo(const std::wstring& newName);

  // app/FormMachine.cpp: the machine-wide values to the pages and back; the
  // live machine onto the pages: TCP/IP parameters (returns the HOSTS
  // directory), browser settings, computer name, domain membership.
  void ShowMachineWide(const MachineWideReading& reading);
  MachineWideValues CurrentMachineWide() const;
  std::wstring ReadTcpipParameters();
  void ReadInternetSettings();
  void ReadNetworkId();
  std::wstring HostsDirectory;

  // app/FormPrinters.cpp, app/FormProxy.cpp, app/FormMemos.cpp,
  // app/FormHelp.cpp
  void SelectDefaultPrinter();
  // Device strings parallel to the listed printers.
  StringList PrinterDevices;
  void ButtonGetProxyClick();
  void mEditHOSTSClick();
  void About1Click();
  void mHelpClick();
  std::unique_ptr<AboutBox> about_;

  // app/FormSnapshots.cpp
  // The attached dialogs (created now if they are made on first use).
  const FormDialogs& Dialogs();
  void ActionCopyOtherLANExecute();
  void FillOtherLanLists();
  FormDialogs attachedDialogs_;
  std::function<FormDialogs()> createDialogs_;

  // app/FormCommit.cpp
  class CommitUserAdapter;
  // Saves pending edits, then builds the plan of the selected tab from the
  // store and carries it out, without what follows it (the command line
  // ends in its own way). False when no setting is selected (nothing is
  // committed then).
  bool CommitShownSetting();
  // Acts on an exit choice: shut down, restart, close the window, or nothing.
  void ActOnExitChoice(int choice);
  // What the last commit reported (commands that could not be started).
  const CommitResult& LastCommitResult() const { return lastCommitResult_; }
  // Runs `work` with the window busy; a close asked for meanwhile follows it.
  void RunWhileCommitting(const std::function<void()>& work);
  void SetCommitting(bool committing);
  // Menu and accelerator commands that stay usable while a commit runs.
  bool CommandAllowedWhileCommitting(UINT commandId) const;
  // True (and the close remembered) when a commit runs.
  bool HoldCloseWhileCommitting();
  // True (and the wait cursor set) when a commit runs.
  bool ShowWaitCursorWhileCommitting();
  CommitEnvironment CommitEnvironmentOfWindow() const;
  // The post-commit dialog, or the stored exit choice.
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
  // "確認付きで反映": the commit of the shown setting that goes back by
  // itself unless the user keeps it.
  void ActionSafeCommitExecute();
  void mPreviewFirstClick();
  void mReturnSecondsClick();
  void ReadSafeSwitchOptions();
  // The command line asks only for the preview: it is written to its file,
  // nothing is committed and the window closes. False for any other run.
  bool RunCommandLinePreview();
  // Saves pending edits and commits the selected tab. False when nothing
  // is committed, or the machine went back to its former state.
  bool CommitShownSetting(CommitKind kind);
  CommitRequest ShownCommitRequest() const;
  void WireSafeSwitchHandlers();
  // Seconds before an unanswered commit with automatic return goes back.
  int ReturnSeconds = 60;

  // app/FormFirewall.cpp
  void LoadFirewallPart(const std::wstring& settingName);
  void SaveFirewallPart(const std::wstring& settingName);
  std::vector<TFirewallEntry> FirewallEntries;

  // app/FormTray.cpp
  void mShowTrayClick();
  void UpdateTrayIcon();
  void OnTrayEvent(LPARAM event);
  // True (and the icon shown again) for Explorer's restart broadcast.
  bool OnTaskbarMessage(UINT message);
  void ShowTrayMenu();
  void ShowFromTray();
  // Carries out an item of the icon's menu.
  void RunTrayCommand(UINT command);
  // True (and the window hidden) when a close only hides the window.
  bool HideToTrayInsteadOfClosing();
  static constexpr UINT kMsgTray = WM_APP + 40;
  win::TrayIcon tray_;
  bool endRequested_ = false;

  // app/FormPages.cpp
  enum PageIndex { kPageIP, kPageDNS, kPageEtc, kPageIE, kPageDomain, kPageBat, kPageFireWall, kPageIPv6 };
  // The page at `index` when it builds itself on its first show, or null.
  Page* LazyPage(int index);
  void WirePages();
  // Builds the page at `index` if it is not built yet.
  void BuildPage(int index);
  Ipv6Page& Ipv6() { return ipv6_; }
  IpPage ip_;
  DnsPage dns_;
  BatchPage batch_;
  FirewallSheet firewall_;
  DomainPage domain_;
  InternetPage internet_;
  OtherPage other_;
  Ipv6Page ipv6_{[this]() -> Prompts& { return Ask(); }};

  // app/FormLayout.cpp
  void CreateControls();
  void CreateActions();
  void CreateMenus();
  void WireHandlers();
  void Relayout();
  void LayoutFrame(int clientWidth, int clientHeight);
  // The least client area that shows a whole page (the window's minimum).
  SIZE LeastClientSize() const;
  win::Panel* TabSheetIPv6 = nullptr;
  win::Button ButtonCommit;
  win::Button ButtonExit;
  // The actions outlive the menu items that carry them out.
  FormActions actions_;
  FormMenus menus_;
  UniqueHFont font_;
};

}  // namespace kip
