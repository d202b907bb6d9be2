// The commit ("設定反映"): the shown setting written into the machine, then
// the post-commit dialog or the stored exit choice.
#include "apply/CommitSequence.h"
#include "apply/ExitWin32.h"
#include "app/UkIpConfig.h"
#include "util/Guard.h"
#include "ui/GridValues.h"
#include "ui/UNetChg2.h"
#include "util/Files.h"

namespace kip {

namespace {

std::vector<NetshAddressEntry> AddressRows(const win::Grid& grid) {
  StringList addresses = ColumnCells(grid, 0), masks = ColumnCells(grid, 1);
  std::vector<NetshAddressEntry> rows;
  for (size_t i = 0; i < addresses.size(); ++i) rows.push_back({addresses[i], masks[i]});
  return rows;
}

std::vector<NetshGatewayEntry> GatewayRows(const win::Grid& grid) {
  StringList gateways = ColumnCells(grid, 0), metrics = ColumnCells(grid, 1);
  std::vector<NetshGatewayEntry> rows;
  for (size_t i = 0; i < gateways.size(); ++i) rows.push_back({gateways[i], metrics[i]});
  return rows;
}

}  // namespace

// What the commit sequence asks of the window: each card's part loaded in
// turn, and the firewall and domain steps.
class TFormIpconfig::CommitAdapter : public CommitWindow {
 public:
  explicit CommitAdapter(TFormIpconfig& form) : form_(form) {}

  void LoadCard(int index) override {
    form_.ComboDescription.SetItemIndex(index);
    form_.LoadSetting();
  }
  NetshCardInput LoadedCardValues() override {
    NetshCardInput card;
    card.dhcp = form_.CheckBoxIP.Checked();
    card.addresses = AddressRows(form_.StringIP);
    card.gateways = GatewayRows(form_.StringGateway);
    card.dnsAutomatic = form_.CheckDNS.Checked();
    card.dnsServers = ColumnCells(form_.StringDNS, 0);
    card.registerAddresses = form_.RegistrationEnabled.Checked();
    card.registerSuffix = form_.RegisterAdapterName.Checked();
    card.winsServers = ColumnCells(form_.StringWINS, 0);
    return card;
  }
  void WriteLiveDomainValues(const std::wstring& cardId) override { form_.WriteLiveDomainValues(cardId); }
  void CommitFirewall() override { form_.CommitFirewallStep(); }
  void ChangeDomain() override { form_.ChangeDomainStep(); }

 private:
  TFormIpconfig& form_;
};

void TFormIpconfig::ActionCommitExecute() {
  // Nothing may start a second operation while children run.
  auto enableSelectors = [this](bool enabled) {
    ActionCommit.SetEnabled(enabled);
    ActionExit.SetEnabled(enabled);
    ComboDescription.SetEnabled(enabled);
    TabControl1.SetEnabled(enabled);
    mFile->SetEnabled(enabled);
    DrawMenuBar(Handle());
  };
  enableSelectors(false);
  RunThenAlways(
      [this] {
        if (!CommitShownSetting()) return;
        if (mShowExitWin->Checked() && Dialogs().netChg) {
          Dialogs().netChg->ShowAfterCommit(ExitChoice, mShowExitWin->Checked());
        } else {
          ActOnExitChoice(ExitChoice);
        }
      },
      [&] { enableSelectors(true); });
}

bool TFormIpconfig::CommitShownSetting() {
  int tab = TabControl1.TabIndex();
  if (tab < 0) {
    ShowException(L"反映する設定が選ばれていません.");
    return false;
  }
  SyncSelection();
  tab = TabControl1.TabIndex();

  CommitInputs inputs;
  inputs.settingIndex = tab;
  inputs.settingName = TabText(tab);
  inputs.scriptWindows = ClassifyWindows(OSMajorVersion, OSMinorVersion);
  inputs.cardCount = ComboDescription.Count();
  inputs.cardIds = CardIds;
  inputs.selectedCard = ComboDescription.ItemIndex();
  int printer = ComboPrinter.ItemIndex();
  if (printer >= 0 && printer < static_cast<int>(PrinterDevices.size())) {
    inputs.printer.deviceString = PrinterDevices[static_cast<size_t>(printer)];
  }
  inputs.internet = {CheckUseProxy.Checked(),     Trim(EditProxyServer.Text()), Trim(EditProxyPort.Text()),
                     ProxyMore.Checked(),         ProxyLocalAddress.Checked(),  Trim(ProxyLocalURL.Text()),
                     Trim(ProxyAutoConfigURL.Text()), Trim(EditHomePage.Text())};
  inputs.tcpip = {EditHostName.Text(), IPRouter.Checked(), UseDomainNameDevolution.Checked(), UseDNSSuffix.Checked(),
                  SearchList.Lines()};
  inputs.hostsFile = EditHosts.Text();

  CommitEnvironment environment = env_.commitEnvironment ? env_.commitEnvironment() : DefaultCommitEnvironment();
  if (!env_.commitEnvironment) {
    environment.programFolder = ProgramFolder();
    environment.commitLogPath = ChangeFileExt(ProgramPath(), L".log");
  }
  CommitAdapter adapter(*this);
  CommitResult result = RunCommitSequence(inputs, adapter, environment);
  std::wstring notStarted = NotStartedStatusText(result);
  if (!notStarted.empty()) ShowException(notStarted);
  return true;
}

void TFormIpconfig::ActOnExitChoice(int choice) {
  std::shared_ptr<ExitPlatform> platform =
      env_.exitPlatform ? env_.exitPlatform(Handle()) : CreateWindowsExitPlatform(Handle());
  TExitWin(*platform).ActOnChoice(choice);
}

}  // namespace kip
