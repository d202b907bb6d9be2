// The main window. It is the working copy of one setting for one card: the
// controls hold the values. This header is the table of contents; the
// handlers live in app/, one file per concern:
//   FormLayout.cpp           controls, captions, menus, layout
//   FormLifecycle.cpp        creation, first activation, start-up load, close
//   FormCardList.cpp         the card list (BuildCardList)
//   FormTcpip.cpp            per-card TCP/IP values in and out of the controls
//   FormAddressSwitches.cpp  the DHCP and automatic DNS switches
//   FormSettings.cpp         the setting tabs: load, save, new, copy, rename,
//                            delete, the selection change
//   FormMachine.cpp          the machine-wide values: in and out of the
//                            controls, and read from the live machine
//   FormPrinters.cpp         the printer list and its selection
//   FormAddressLists.cpp     add, edit, delete on the four address grids
//   FormProxy.cpp            the proxy page's enabling rule and take-over
//   FormDnsOptions.cpp       the DNS suffix choice
//   FormMemos.cpp            the batch memos' menu, HOSTS browse and edit
//   FormSnapshots.cpp        export, import, the copy between cards and its
//                            undo
//   FormHelp.cpp             the about box and the help page
//   FormCommit.cpp           the commit ("設定反映") and what follows it
//   FormCommandLine.cpp      the unattended run of a command line, shortcuts
//   FormFirewall.cpp         the firewall page, its part of a setting, its
//                            commit step
//   FormDomain.cpp           the domain and workgroup controls and the
//                            domain change of the commit
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
#include "ui/win/Menus.h"
#include "ui/win/TrayIcon.h"
#include "util/Text.h"
#include "util/UniqueHandle.h"

namespace kip {

class TkRegistry;
class TFormDNSEdit;
class TNetChg2;
class TFormGWEdit;
class TFormIPEdit;
class TFormOtherLAN;
class TFormLogin;
class AboutBox;
class DomainJoiner;
struct CommitRequest;

// The secondary windows, living as long as the main window; a test attaches
// the ones it uses.
struct FormDialogs {
  TFormDNSEdit* dnsEdit = nullptr;
  TNetChg2* netChg = nullptr;
  TFormGWEdit* gwEdit = nullptr;
  TFormIPEdit* ipEdit = nullptr;
  TFormOtherLAN* otherLan = nullptr;
  TFormLogin* login = nullptr;
};

// What the window takes from its surroundings; tests replace parts of it.
struct FormEnvironment {
  Prompts* prompts = nullptr;  // not owned; message boxes when null
  // Fills the version record; false when the call fails.
  std::function<bool(OSVERSIONINFOEXW&)> queryVersion;
  std::wstring programPath;  // empty: the running program's path
  StringList arguments;      // command-line arguments after the program
  // Work areas of the monitors present (for restoring the window position);
  // empty: asked from Windows.
  std::function<std::vector<RECT>()> monitorWorkAreas;
  // The machine around a commit (folders, child programs, announcements);
  // empty: the real one, with the program's folder.
  std::function<CommitEnvironment()> commitEnvironment;
  // How Windows is ended after a commit; empty: for real.
  std::function<std::shared_ptr<ExitPlatform>(HWND mainWindow)> exitPlatform;
  // The domain change of a commit: the network management calls (netapi32
  // when empty) and the pause after each domain attempt (WaitSeconds when
  // empty).
  std::function<std::unique_ptr<DomainJoiner>()> createDomainJoiner;
  std::function<void(double seconds)> domainJoinWait;
  // Appends a line per commit step with its result; empty: no log.
  std::wstring stepLogPath;
};

class TFormIpconfig : public win::Form {
 public:
  explicit TFormIpconfig(FormEnvironment environment = {});
  ~TFormIpconfig() override;

  // Window creation: controls, captions, state (FormCreate).
  void Create();

  // --- state shared with the other subsystems ------------------------------
  bool StartupDone = false;
  bool Modified = false;
  int ShownSettingIndex = -1;
  int ShownCardIndex = -1;
  bool SyncBusy = false;
  int ExitChoice = 2;
  bool JoinCancelled = false;
  DWORD OSMajorVersion = 0;
  DWORD OSMinorVersion = 0;
  std::wstring HostsDirectory;
  StringList CardIds;
  std::vector<TFirewallEntry> FirewallEntries;

  // --- life cycle (app/FormLifecycle.cpp) -----------------------------------
  void FormCreate();
  void FormActivate();
  // True when the load ran to its end (the command line runs only then).
  bool LoadAtStartup();
  bool FormCloseQuery();
  void FormClose();
  void FormDestroy();
  void ShowException(const std::wstring& message);
  void mOSCheckClick();

  // --- card list (app/FormCardList.cpp) ------------------------------------
  void BuildCardList();
  // The card identifier of the selected card, or empty.
  std::wstring SelectedCardId() const;
  // The identifier of card `index`, or empty when there is none.
  std::wstring CardIdAt(int index) const;
  // The labels of the present cards, in the order of `CardIds`.
  StringList CardLabels() const;

  // --- per-card TCP/IP values (app/FormTcpip.cpp) ---------------------------
  void ReadTcpipValues(TkRegistry& key);
  void WriteTcpipValues(TkRegistry& key);
  bool ReadLiveInterface(const std::wstring& cardId);
  void ReadNetBTWins(const std::wstring& cardId);
  void ShowTcpipValues(const TcpipValues& values);
  TcpipValues CurrentTcpipValues() const;

  // --- address list switches (app/FormAddressSwitches.cpp) -----------------
  void CheckBoxIPClick();
  void CheckDNSClick();
  void RegistrationEnabledClick();

  // --- address lists (app/FormAddressLists.cpp) -----------------------------
  void ButtonIPAddClick();
  void ButtonIPEditClick();
  void ButtonIPDelClick();
  void ButtonGWAddClick();
  void ButtonGWEditClick();
  void ButtonGWDelClick();
  void ButtonDNSAddClick();
  void ButtonDNSEditClick();
  void ButtonDNSDelClick();
  void ButtonWINSADDClick();
  void ButtonWINSEDITClick();
  void ButtonWINSDELClick();

  // --- proxy page (app/FormProxy.cpp) -----------------------------------------
  // The enabling rule: CheckUseProxy, ProxyMore, leaving EditProxyServer.
  void CheckUseProxyClick();
  void ButtonGetProxyClick();

  // --- DNS suffix options (app/FormDnsOptions.cpp) ----------------------------
  void UseDNSSuffixClick();

  // --- batch memos and HOSTS (app/FormMemos.cpp) ------------------------------
  void mFileNameClick();
  void AppendBatchLine(int item);
  void ButtonBrowsClick();
  void mEditHOSTSClick();

  // --- the setting store (app/FormSettings.cpp) -----------------------------
  void LoadSetting();
  // Writes the window as setting S, card K. False (and a status-bar message)
  // when the store could not be written; `Modified` then stays as it was.
  bool SaveSetting(const std::wstring& settingName, const std::wstring& cardId);
  // Writes the present cards' labels into the listed settings on a worker
  // thread; the returned future waits for it.
  std::future<void> StartRefreshCardDescriptions(StringList settingNames);
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

  // --- machine-wide values (app/FormMachine.cpp) ----------------------------
  void ShowMachineWide(const MachineWideReading& reading);
  MachineWideValues CurrentMachineWide() const;
  // The live machine into the controls: TCP/IP parameters (returns the HOSTS
  // directory), browser settings, computer name, domain membership.
  std::wstring ReadTcpipParameters();
  void ReadInternetSettings(bool forNewSetting);
  void ReadHostName();
  void ReadDomainMembership();
  void ApplyProxyEnabling();
  void ApplyDomainEnabling();

  // --- printers (app/FormPrinters.cpp) ----------------------------------------
  void ListPrinters();
  void SelectPrinter(const std::wstring& name);
  void SelectDefaultPrinter();
  void ComboPrinterChange();
  // Device strings parallel to the items of ComboPrinter.
  StringList PrinterDevices;

  // --- snapshots and the copy between cards (app/FormSnapshots.cpp) --------
  void AttachDialogs(const FormDialogs& dialogs);
  // The dialogs made by `create` the first time one is needed: most runs
  // never open one, and creating six hidden windows slows every start.
  void AttachDialogs(std::function<FormDialogs()> create);
  // The attached dialogs (created now if they are made on first use).
  const FormDialogs& Dialogs();
  void ActionExportExecute();
  void ActionImportExecute();
  void ActionUndoOtherLANExecute();
  void ActionCopyOtherLANExecute();
  void FillOtherLanLists();
  bool CopyOtherLanCard(const std::wstring& fromCardId, const std::wstring& toCardId, const std::wstring& toLabel);

  // --- about box and help (app/FormHelp.cpp) -----------------------------------
  void About1Click();
  void mHelpClick();

  // --- the commit (app/FormCommit.cpp) ---------------------------------------
  void ActionCommitExecute();
  // Saves pending edits, then builds the plan of the selected tab from the
  // store and carries it out, without what follows it (the command line
  // ends in its own way). False when no setting is selected (nothing is
  // committed then).
  bool CommitShownSetting();
  // Acts on an exit choice: shut down, restart, close the window, or nothing.
  void ActOnExitChoice(int choice);
  // True while a commit runs: the window is busy.
  bool Committing() const { return committing_; }
  // What the last commit reported (commands that could not be started).
  const CommitResult& LastCommitResult() const { return lastCommitResult_; }

  // --- command line and shortcuts (app/FormCommandLine.cpp) ----------------
  void RunCommandLine();
  void CarryOutExitAction(ExitAction action);
  // The exit code of the command line's run (0 when there was none).
  int CommandLineExitCode() const { return commandLineExitCode_; }
  void ActionShortCutExecute();

  // --- safe switching (app/FormSafeSwitch.cpp) ------------------------------
  // "確認付きで反映": the commit of the shown setting that goes back by
  // itself unless the user keeps it.
  void ActionSafeCommitExecute();
  void mPreviewFirstClick();
  void mReturnSecondsClick();
  void ReadSafeSwitchOptions();
  // The command line asks only for the preview: it is written to its file,
  // nothing is committed and the window closes. False for any other run.
  bool RunCommandLinePreview();
  // Seconds before an unanswered commit with automatic return goes back.
  int ReturnSeconds = 60;

  // --- firewall (app/FormFirewall.cpp) -------------------------------------
  void ReadFirewallState();
  void LoadFirewallPart(const std::wstring& settingName);
  void SaveFirewallPart(const std::wstring& settingName);
  void CheckFWUseClick();
  void WireFirewallHandlers();

  // --- domain and workgroup (app/FormDomain.cpp) ---------------------------
  // The enabling rule of CheckChangeDomain, RadioDomain and RadioWorkGroup.
  void CheckChangeDomainClick();
  // The commit step: joins the domain or workgroup the plan names.
  void ChangeDomainStep(const DomainChoice& choice);
  void WireDomainHandlers();

  // --- the notification area (app/FormTray.cpp) -----------------------------
  void mShowTrayClick();
  void UpdateTrayIcon();
  // The tool-tip: the program's name and the last committed setting.
  std::wstring TrayTip() const;
  // The tab "Setting Index" names (the last commit), or -1.
  int LastCommittedTab() const;
  void OnTrayEvent(LPARAM event);
  // True (and the icon shown again) for Explorer's restart broadcast.
  bool OnTaskbarMessage(UINT message);
  // True while the window is disabled, a dialog of it is open, a commit or
  // a change of setting runs: the icon's menu then only opens the window.
  bool TrayOffersOnlyOpen() const;
  void ShowTrayMenu();
  void ShowFromTray();
  // Carries out an item of the icon's menu.
  void RunTrayCommand(UINT command);
  // Commits the tab and carries on, whatever exit choice is stored.
  void CommitFromTray(int tab);
  // Closes the window and ends the program, also while the icon is shown.
  void EndProgram();
  // True (and the window hidden) when a close only hides the window.
  bool HideToTrayInsteadOfClosing();
  static constexpr UINT kMsgTray = WM_APP + 40;

  // --- controls ------------------------------------------------------------
  win::ComboList ComboDescription;
  win::TabStrip TabControl1;
  win::PageControl PageControl1;
  win::Panel* TabSheetIP = nullptr;
  win::Panel* TabSheetDNS = nullptr;
  win::Panel* TabSheetEtc = nullptr;
  win::Panel* TabSheetIE = nullptr;
  win::Panel* TabSheetDomain = nullptr;
  win::Panel* TabSheetBat = nullptr;
  win::Panel* TabSheetFireWall = nullptr;
  win::Button ButtonCommit;
  win::Button ButtonExit;
  win::StatusBar StatusBar1;

  // IP page
  win::CheckBox CheckBoxIP;
  win::GroupBox GroupBoxIP;
  win::Grid StringIP;
  win::Button ButtonIPAdd, ButtonIPEdit, ButtonIPDel;
  win::GroupBox GroupBoxGW;
  win::Grid StringGateway;
  win::Button ButtonGWAdd, ButtonGWEdit, ButtonGWDel;

  // DNS page
  win::CheckBox CheckDNS;
  win::GroupBox GroupDNS;
  win::Grid StringDNS;
  win::Button ButtonDNSAdd, ButtonDNSEdit, ButtonDNSDel;
  win::RadioButton UseDNSSuffix;
  win::CheckBox UseDomainNameDevolution;
  win::RadioButton UseDNSSuffix2;
  win::Memo SearchList;
  win::Label LabelDNSSuf;
  win::Edit EditDomain;
  win::CheckBox RegistrationEnabled;
  win::CheckBox RegisterAdapterName;

  // Other page
  win::GroupBox GroupWINS;
  win::Grid StringWINS;
  win::Button ButtonWINSADD, ButtonWINSEDIT, ButtonWINSDEL;
  win::GroupBox GroupBox1;
  win::Edit EditHosts;
  win::Button ButtonBrows;
  win::GroupBox GroupBox4;
  win::ComboList ComboPrinter;

  // Internet settings page
  win::CheckBox CheckUseProxy;
  win::GroupBox GroupBoxProxy;
  win::Label LabelProxyAdd;
  win::Edit EditProxyServer;
  win::Label LabelProxyPort;
  win::Edit EditProxyPort;
  win::CheckBox ProxyLocalAddress;
  win::Edit ProxyLocalURL;
  win::CheckBox ProxyMore;
  win::Button ButtonGetProxy;
  win::Label LabelDNSSaff;
  win::Edit ProxyAutoConfigURL;
  win::Label LabelHomePage;
  win::Edit EditHomePage;

  // Domain page
  win::GroupBox GroupBoxNetID;
  win::Label LabelCompName;
  win::Edit EditHostName;
  win::CheckBox CheckChangeDomain;
  win::RadioButton RadioDomain;
  win::Edit EditDomainServer;
  win::RadioButton RadioWorkGroup;
  win::Edit EditWorkGroup;
  win::Label LabelDomain;
  win::CheckBox IPRouter;

  // Batch page
  win::Memo MemoBefore;
  win::Label LabelBat;
  win::Memo MemoAfter;

  // Firewall page
  win::CheckBox CheckFWUse;
  win::RadioButton RadioFWTrue;
  win::RadioButton RadioFWFalse;
  win::CheckBox FWDoNotAllowExceptions;
  win::Label LabelFWReigai;
  win::CheckList CheckListFW;

  // Actions and menus
  win::Action ActionCommit, ActionExit, ActionDelCard, ActionExport, ActionImport, ActionCopyOtherLAN,
      ActionUndoOtherLAN, ActionShortCut;
  win::MenuItem* mFile = nullptr;
  win::MenuItem* mEdit = nullptr;
  win::MenuItem* mHelp1 = nullptr;
  win::MenuItem* mNew = nullptr;
  win::MenuItem* mSave = nullptr;
  win::MenuItem* mSaveAs = nullptr;
  win::MenuItem* mRename = nullptr;
  win::MenuItem* mDelete = nullptr;
  win::MenuItem* mCommit = nullptr;
  win::MenuItem* mShortCut = nullptr;
  win::MenuItem* mExport = nullptr;
  win::MenuItem* mImport = nullptr;
  win::MenuItem* mExit = nullptr;
  win::MenuItem* mEditHOSTS = nullptr;
  win::MenuItem* mCopyOtherLAN = nullptr;
  win::MenuItem* mUndoOtherLAN = nullptr;
  win::MenuItem* mDelLan = nullptr;
  win::MenuItem* mShowExitWin = nullptr;
  win::MenuItem* mOSCheck = nullptr;
  win::MenuItem* mShowTray = nullptr;
  win::MenuItem* mHelp = nullptr;
  win::MenuItem* About1 = nullptr;
  win::MenuItem* popNew = nullptr;
  win::MenuItem* popSave = nullptr;
  win::MenuItem* popSaveAs = nullptr;
  win::MenuItem* popRename = nullptr;
  win::MenuItem* popDelete = nullptr;
  win::MenuItem* mFileName = nullptr;
  win::MenuItem* mNetAddDrive = nullptr;
  win::MenuItem* mSetRoute = nullptr;
  win::MenuItem* mIpConfig = nullptr;
  win::MenuItem* mPause = nullptr;
  win::MenuItem* mSafeCommit = nullptr;
  win::MenuItem* mPreviewFirst = nullptr;
  win::MenuItem* mReturnSeconds = nullptr;
  HMENU FileMenuHandle() const { return fileMenu_ ? fileMenu_->Handle() : nullptr; }
  HACCEL AcceleratorTable() { return accelerators_.Handle(); }

  const FormEnvironment& Environment() const { return env_; }
  Prompts& Ask();
  std::wstring ProgramPath() const;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  // app/FormLayout.cpp
  void CreateControls();
  void CreatePageIP(const win::DialogUnits& du);
  void CreatePageDNS(const win::DialogUnits& du);
  void CreatePageEtc(const win::DialogUnits& du);
  void CreatePageIE(const win::DialogUnits& du);
  void CreatePageDomain(const win::DialogUnits& du);
  void CreatePageBat(const win::DialogUnits& du);
  void CreatePageFireWall(const win::DialogUnits& du);
  void CreateActions();
  void CreateMenus();
  void WireHandlers();
  void WireEditReactions();
  void WireEditorHandlers();
  void Relayout();
  void LayoutFrame(int clientWidth, int clientHeight);

  // --- any monitor, keyboard alone (app/FormLayout.cpp) -------------------
  // The least client area that shows a whole page (the window's minimum).
  SIZE LeastClientSize() const;

  // app/FormSettings.cpp
  void ReportSaveFailure(const std::wstring& settingName);
  std::wstring AskNewName(const std::wstring& proposal);
  bool CopySettingTo(const std::wstring& newName);

  // app/FormCommit.cpp
  class CommitUserAdapter;
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
  // app/FormTray.cpp
  win::TrayIcon tray_;
  bool endRequested_ = false;
  int commandLineExitCode_ = 0;
  CommitResult lastCommitResult_;

  // app/FormSafeSwitch.cpp: what surrounds a commit besides its plan
  enum class CommitKind { Unattended, Window, WithReturn };
  class SafeSwitch;
  // Saves pending edits and commits the selected tab. False when nothing
  // is committed, or the machine went back to its former state.
  bool CommitShownSetting(CommitKind kind);
  CommitRequest ShownCommitRequest() const;
  void WireSafeSwitchHandlers();

  // app/FormLifecycle.cpp
  void ReadPlacement();
  void ReadOptions();
  void CheckWindowsVersion();
  void CheckLanguageFile();
  void WritePlacement();
  void WriteOptions();

  // The start-up load runs from a posted message so that it never runs
  // inside the activation itself (its message boxes activate the window).
  bool startupPosted_ = false;
  FormEnvironment env_;
  std::unique_ptr<Prompts> ownPrompts_;
  FormDialogs attachedDialogs_;
  std::function<FormDialogs()> createDialogs_;
  std::unique_ptr<AboutBox> about_;
  UniqueHFont font_;
  std::unique_ptr<win::Menu> menuBar_;
  win::Menu* fileMenu_ = nullptr;
  std::unique_ptr<win::Menu> tabPopup_;
  std::unique_ptr<win::Menu> batchPopup_;
  win::Accelerators accelerators_;
  win::RadioGroup suffixRadios_, domainRadios_, firewallRadios_;
};

}  // namespace kip
