// The printer list of the window (filled once at start-up) and the choice of
// a setting's default printer.
#include "app/UkIpConfig.h"
#include "machine/QpPrinters.h"

namespace kip {

void TFormIpconfig::ListPrinters() {
  TQpPrinter printers;
  PrinterList list = ReadPrinterList(printers);
  PrinterDevices = list.devices;
  pages_.other.ListPrinters(std::move(list.names));
}

}  // namespace kip
