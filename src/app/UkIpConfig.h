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
#include "app/SettingEditor.h"
#include "app/AutoSwitch.h"
#include "app/pages/FramePages.h"
#include "apply/CommitSequence.h"
#include "apply/DomainJoiner.h"
#include "apply/ExitWin32.h"
#include "machine/FirewallPolicy.h"
#include "store/SettingRecord.h"
#include "store/StoredSetting.h"
#include "store/TcpipValueSet.h"
#include "ui/Prompts.h"
#include "ui/win/Controls.h"
#include "ui/win/Form.h"
#include "ui/win/Layout.h"
#include "util/Text.h"
#include "util/UniqueHandle.h"

namespace kip {

class AboutBox;
class CommitLock;
struct CommitRequest;

class TFormIpconfig : public win::Form, private SettingView, private TrayOwner {
 public:
  explicit TFormIpconfig(FormEnvironment environment = {});
  ~TFormIpconfig() override;

  void Create();  // controls, captions, state (FormCreate)

  // --- state shared with the tests and the dialogs --------------------------
  bool StartupDone = false;
  int ExitChoice = 2;
  bool JoinCancelled = false;
  DWORD OSMajorVersion = 0;
  DWORD OSMinorVersion = 0;

  // --- the shown setting: which one, for which card, edited or not ---------
  SettingEditor& Editor() { return editor_; }
  const SettingEditor& Editor() const { return editor_; }

  // --- life cycle (app/FormLifecycle.cpp) -----------------------------------
  void FormActivate();
  bool LoadAtStartup();  // true when the load ran to its end
  bool FormCloseQuery();
  void FormClose();

  // --- batch memos and HOSTS (app/FormMemos.cpp) ----------------------------
  void mFileNameClick();
  void AppendBatchLine(int item);
  void ButtonBrowsClick();

  std::wstring TabText(int index) const;  // empty when there is none
  std::wstring ProgramFolder() const;     // with a trailing backslash

  // --- printers (app/FormPrinters.cpp) --------------------------------------
  void ListPrinters();

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

  // --- domain (app/FormDomain.cpp) -------------------------------------------
  void ChangeDomainStep(const DomainChoice& choice);

  // --- the notification area (app/FormTray.h) -------------------------------
  TrayMenu& Tray() { return tray_; }

  // --- the setting follows the network (app/FormAutoSwitch.cpp) ------------
  AutoSwitchPage& SwitchRulePage() { return pages_.autoSwitch; }
  AutoSwitch* Switcher() { return autoSwitch_.get(); }  // null while not resident
  void OfferClicked() override;

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
  void ReadExitChoice();
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
  // app/FormEditorView.cpp: the editor's view on the pages, tabs and card list
  ShownSetting Current() const override;
  ShownSetting Collected() const override;
  void ShowValues(const ShownSetting& shown) override;
  void SelectionChanged() override;
  void Report(const std::wstring& message) override;
  void ShowCardNote(const std::wstring& note) override;
  void SyncSelection();  // the edits offered for saving, the shown setting read again
  std::future<void> StartRefreshCardDescriptions(StringList settingNames);
  std::wstring HostsDirectory;
  SettingEditor editor_{*this, {[this]() -> Prompts& { return Ask(); }, [this] { return CommitEnvironmentOfWindow(); }, {}}};
  // app/FormPrinters.cpp, FormProxy.cpp, FormMemos.cpp, FormHelp.cpp
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
  bool LockForStoreChange(CommitLock& lock);
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
  // app/FormTray.h: the icon's menu lists the settings and commits one
  std::optional<StringList> TraySettings() const override;
  void CommitFromTray(int index) override;
  TrayMenu tray_{*this, *this};
  void TrayIconChanged() override;
  // app/FormAutoSwitch.cpp
  class AutoSwitchHost;
  void WireAutoSwitchPage();
  void SyncAutoSwitch();
  void Saved() override;
  void ResidentOptionsClicked(const ResidentOptions& options);
  void SwitchCommittedByHand();
  bool CommitSettingWithReturn(const std::wstring& settingName);
  std::wstring ChooseSettingToCommit(const StringList& settingNames);
  ResidentOptions ReadResidentOptions() const;
  std::unique_ptr<AutoSwitch::Host> autoSwitchHost_;
  std::unique_ptr<AutoSwitch> autoSwitch_;
  bool autoCommitting_ = false;
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
