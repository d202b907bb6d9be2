// The printer list of the window (filled once at start-up) and the choice of
// a setting's default printer.
#include "app/UkIpConfig.h"
#include "machine/QpPrinters.h"

namespace kip {

namespace {

void SelectExactly(win::ComboList& list, const std::wstring& name) {
  for (int i = 0; i < list.Count(); ++i) {
    if (list.Item(i) == name) {
      list.SetItemIndex(i);
      return;
    }
  }
  list.SetItemIndex(-1);
}

}  // namespace

void TFormIpconfig::ListPrinters() {
  TQpPrinter printers;
  PrinterList list = ReadPrinterList(printers);
  ComboPrinter.Clear();
  PrinterDevices = list.devices;
  for (const auto& name : list.names) ComboPrinter.Add(name);
}

void TFormIpconfig::SelectPrinter(const std::wstring& name) { SelectExactly(ComboPrinter, name); }

void TFormIpconfig::SelectDefaultPrinter() { SelectExactly(ComboPrinter, ReadDefaultPrinterName()); }

void TFormIpconfig::ComboPrinterChange() { Modified = true; }

}  // namespace kip
