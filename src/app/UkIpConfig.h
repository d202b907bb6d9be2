// The main window: the frame that moves one setting for one card between the
// store and the pages (app/pages/). Each section names the file that holds it.
#pragma once

#include <windows.h>

#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/CommandLineArgs.h"
#include "app/FormEnvironment.h"
#include "app/FormMenus.h"
#include "app/FormTray.h"
#include "app/FrameOptions.h"
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

  // --- the shown setting: which one, for which card, edited or not ---------
  SettingEditor& Editor() { return editor_; }
  const SettingEditor& Editor() const { return editor_; }

  // --- life cycle (app/FormLifecycle.cpp) -----------------------------------
  // The one start-up, from the first activation or, for a window never
  // activated, from the queue: the load, then the command line, after which
  // the window closes unless "/n" keeps it. Runs once.
  void RunStartup();
  bool StartedUp() const { return startedUp_; }
  bool LoadAtStartup();  // true when the load ran to its end
  bool FormCloseQuery();
  void FormClose();
  // Set when the window closes: a domain attempt in progress ends.
  bool JoinCancelled() const { return joinCancelled_; }

  // --- the pages' buttons and menus (app/FormPageActions.cpp) --------------
  void mFileNameClick();
  void AppendBatchLine(int item);
  void ButtonBrowsClick();
  void ListPrinters();

  std::wstring TabText(int index) const;  // empty when there is none
  std::wstring ProgramFolder() const;     // with a trailing backslash

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
  void OfferClicked() override;

  // --- pages (app/pages/, wired in app/FormPages.cpp) ----------------------
  IpPage& Ip() { return pages_.ip; }
  DnsPage& Dns() { return pages_.dns; }
  BatchPage& Batch() { return pages_.batch; }
  FirewallSheet& Firewall() { return pages_.firewall; }
  DomainPage& Domain() { return pages_.domain; }
  InternetPage& Internet() { return pages_.internet; }
  OtherPage& Other() { return pages_.other; }

  // --- what the frame shows (app/FormLayout.cpp), menus (app/FormMenus.h) ---
  std::wstring StatusText() const { return StatusBar1.Status(); }
  int PageCount() const { return PageControl1.PageCount(); }
  // Shows a page as a click on its tab does (it builds on its first show).
  void ShowPage(int index) { PageControl1.SetActivePageIndex(index); }
  HWND PageWindow(int index) { return PageControl1.Page(index).Handle(); }
  bool PageEnabled(int index) { return PageControl1.Page(index).Enabled(); }
  FormMenus& Menus() { return menus_; }
  FormActions& Actions() { return actions_; }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  // app/FormLifecycle.cpp
  void FormCreate();
  void ShowException(const std::wstring& message);
  LRESULT OnStartupMessage();
  LRESULT OnTrayMessage(LPARAM event);
  void OnActivated();
  bool OnSetCursor(LPARAM hitTest);
  bool HoldsCommand(WPARAM wParam, LPARAM lParam) const;
  bool HasCommandLine() const;
  void PostStartup();
  bool FinishCommandLine(bool loaded);
  void ShowOptions();
  void ReadPlacement();
  void CheckWindowsVersion();
  void CheckLanguageFile();
  void WritePlacement();
  Prompts& Ask();
  std::wstring ProgramPath() const;
  bool startupPosted_ = false;
  bool startedUp_ = false;
  bool joinCancelled_ = false;
  FrameOptions options_;
  // Windows as asked at creation (nullopt: the asking failed); judged by
  // the start-up, which tells the user.
  std::optional<OSVERSIONINFOEXW> windows_;
  DWORD osMajor_ = 0, osMinor_ = 0;  // the NT family's version, else 0
  FormEnvironment env_;
  std::unique_ptr<Prompts> ownPrompts_;
  // app/FormEditorView.cpp: the editor's view on the pages, tabs and card list
  ShownSetting Current() const override;
  ShownSetting Collected() const override;
  void ShowValues(const ShownSetting& shown) override;
  void SelectionChanged() override;
  void Report(const std::wstring& message) override;
  void ShowCardNote(const std::wstring& note) override;
  void SyncSelection();  // the shown tab's setting, its edits offered for saving
  std::future<void> StartRefreshCardDescriptions(StringList settingNames);
  std::wstring HostsDirectory;
  SettingEditor editor_{*this, {[this]() -> Prompts& { return Ask(); }, [this] { return CommitEnvironmentOfWindow(); }, {}}};
  // app/FormPageActions.cpp
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
  void ActOnExitChoice(int choice);
  std::shared_ptr<ExitPlatform> ExitPlatformOfWindow();
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
  bool RunCommandLinePreview();
  bool CommitShownSetting(CommitKind kind);
  CommitRequest ShownCommitRequest() const;
  void WireSafeSwitchHandlers();
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
  win::ComboList ComboDescription;
  win::TabStrip TabControl1;
  win::PageControl PageControl1;
  win::Panel* TabSheetFireWall = nullptr;
  win::StatusBar StatusBar1;
  win::Panel* TabSheetIPv6 = nullptr;
  win::Button ButtonCommit;
  win::Button ButtonExit;
  FormActions actions_;  // outlives the menu items that carry them out
  FormMenus menus_;
  UniqueHFont font_;
};

}  // namespace kip
