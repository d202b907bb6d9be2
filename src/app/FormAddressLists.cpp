// The four address grids: entries are added and edited through the address
// dialogs, never typed into the grids; every change marks the setting.
#include "app/UkIpConfig.h"
#include "ui/AddressLists.h"
#include "ui/UDNSEdit.h"
#include "ui/UGWEdit.h"
#include "ui/UIPEdit.h"

namespace kip {

namespace {

enum class ListCommand { Add, Edit };

// Runs the command with the dialog (nothing without one); true when the grid
// changed.
bool RunListCommand(ListCommand command, win::Grid& grid, const AddressListKind& kind, AddressEntry* dialog) {
  if (!dialog) return false;
  return command == ListCommand::Add ? AddAddressRow(grid, kind, *dialog) : EditAddressRow(grid, kind, *dialog);
}

}  // namespace

void TFormIpconfig::ButtonIPAddClick() {
  if (RunListCommand(ListCommand::Add, StringIP, kIPList, Dialogs().ipEdit)) Modified = true;
}
void TFormIpconfig::ButtonIPEditClick() {
  if (RunListCommand(ListCommand::Edit, StringIP, kIPList, Dialogs().ipEdit)) Modified = true;
}
void TFormIpconfig::ButtonIPDelClick() {
  if (DeleteAddressRow(StringIP)) Modified = true;
}
void TFormIpconfig::ButtonGWAddClick() {
  if (RunListCommand(ListCommand::Add, StringGateway, kGatewayList, Dialogs().gwEdit)) Modified = true;
}
void TFormIpconfig::ButtonGWEditClick() {
  if (RunListCommand(ListCommand::Edit, StringGateway, kGatewayList, Dialogs().gwEdit)) Modified = true;
}
void TFormIpconfig::ButtonGWDelClick() {
  if (DeleteAddressRow(StringGateway)) Modified = true;
}
void TFormIpconfig::ButtonDNSAddClick() {
  if (RunListCommand(ListCommand::Add, StringDNS, kDNSList, Dialogs().dnsEdit)) Modified = true;
}
void TFormIpconfig::ButtonDNSEditClick() {
  if (RunListCommand(ListCommand::Edit, StringDNS, kDNSList, Dialogs().dnsEdit)) Modified = true;
}
void TFormIpconfig::ButtonDNSDelClick() {
  if (DeleteAddressRow(StringDNS)) Modified = true;
}

}  // namespace kip
