#include "machine/QpPrinters.h"

#include <winspool.h>

#include "machine/MachineKeys.h"
#include "util/kRegistry.h"
#include "util/Guard.h"
#include "util/WindowsVersion.h"

namespace kip {

TQpAllPrintersInfo TQpAllPrintersInfo::Enumerate(bool ntFamily) {
  DWORD flags = ntFamily ? PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS : PRINTER_ENUM_LOCAL;
  DWORD level = ntFamily ? 4 : 5;
  // Called twice: for the size, then to fill the buffer.
  DWORD needed = 0, count = 0;
  std::vector<BYTE> buffer;
  if (!EnumPrintersW(flags, nullptr, level, nullptr, 0, &needed, &count)) {
    const DWORD error = GetLastError();
    if (error != ERROR_INSUFFICIENT_BUFFER) throw EOSError(error);
    buffer.resize(needed);
    if (!EnumPrintersW(flags, nullptr, level, buffer.data(), needed, &needed, &count)) throw EOSError(GetLastError());
  }
  std::vector<Entry> entries;
  for (DWORD i = 0; i < count; ++i) {
    if (ntFamily) {
      const auto& info = reinterpret_cast<const PRINTER_INFO_4W*>(buffer.data())[i];
      entries.push_back({info.pPrinterName ? info.pPrinterName : L"", info.Attributes});
    } else {
      const auto& info = reinterpret_cast<const PRINTER_INFO_5W*>(buffer.data())[i];
      entries.push_back({info.pPrinterName ? info.pPrinterName : L"", info.Attributes});
    }
  }
  return TQpAllPrintersInfo(std::move(entries));
}

TQpPrinter::TQpPrinter() : snapshot_(TQpAllPrintersInfo::Enumerate(IsNtFamily())) {}

void TQpPrinter::CheckNoPrinter() {
  for (int i = 0; i < snapshot_.Count(); ++i) {
    if ((snapshot_.Attributes(i) & PRINTER_ATTRIBUTE_HIDDEN) == 0) return;
  }
  throw EQpPrinterNoPrinter();
}

StringList TQpPrinter::Printers() {
  CheckNoPrinter();
  StringList names;
  for (int i = 0; i < snapshot_.Count(); ++i) {
    if ((snapshot_.Attributes(i) & PRINTER_ATTRIBUTE_HIDDEN) == 0) names.push_back(snapshot_.Name(i));
  }
  return names;
}

PrinterList ReadPrinterList(TQpPrinter& printers) {
  PrinterList list;
  TkRegistry devices(HKEY_CURRENT_USER);
  if (!devices.OpenKeyReadOnly(kDevicesKey)) return list;
  StringList names;
  if (!RunGuarded([&] { names = printers.Printers(); })) return list;
  for (const auto& name : names) {
    // A printer whose port entry is not text is left out.
    std::optional<std::wstring> port = devices.TryReadString(name);
    if (!port) continue;
    list.devices.push_back(name + L"," + *port);
    list.names.push_back(name);
  }
  return list;
}

std::wstring ReadDefaultPrinterName() {
  TkRegistry windows(HKEY_CURRENT_USER);
  if (!windows.OpenKeyReadOnly(kWindowsKey)) return {};
  const std::wstring device = windows.TryReadString(L"Device").value_or(L"");
  size_t comma = device.find(L',');
  return comma == std::wstring::npos ? std::wstring() : device.substr(0, comma);
}

}  // namespace kip
