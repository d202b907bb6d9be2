#include "machine/QpPrinters.h"

#include <winspool.h>

#include <algorithm>

#include "machine/MachineKeys.h"
#include "util/kRegistry.h"
#include "util/Guard.h"
#include "util/WindowsVersion.h"

namespace kip {

namespace {


// Calls an enumeration twice: for the size, then to fill the buffer.
template <typename Call>
std::vector<BYTE> EnumerateInto(Call call, DWORD& count) {
  DWORD needed = 0;
  count = 0;
  if (call(nullptr, 0, &needed, &count)) return {};
  DWORD error = GetLastError();
  if (error != ERROR_INSUFFICIENT_BUFFER) throw EOSError(error);
  std::vector<BYTE> buffer(needed);
  if (!call(buffer.data(), needed, &needed, &count)) throw EOSError(GetLastError());
  return buffer;
}


}  // namespace

TQpAllPrintersInfo TQpAllPrintersInfo::Enumerate(bool ntFamily) {
  DWORD flags = ntFamily ? PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS : PRINTER_ENUM_LOCAL;
  DWORD level = ntFamily ? 4 : 5;
  DWORD count = 0;
  std::vector<BYTE> buffer = EnumerateInto(
      [&](BYTE* data, DWORD size, DWORD* needed, DWORD* returned) {
        return EnumPrintersW(flags, nullptr, level, data, size, needed, returned) != FALSE;
      },
      count);
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

bool TQpAllPrintersInfo::SameAs(const TQpAllPrintersInfo& other) const {
  return std::equal(entries_.begin(), entries_.end(), other.entries_.begin(), other.entries_.end(),
                    [](const Entry& a, const Entry& b) { return a.name == b.name && a.attributes == b.attributes; });
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

StringList TQpPrinter::Ports() {
  DWORD count = 0;
  std::vector<BYTE> buffer = EnumerateInto(
      [](BYTE* data, DWORD size, DWORD* needed, DWORD* returned) {
        return EnumPortsW(nullptr, 1, data, size, needed, returned) != FALSE;
      },
      count);
  StringList ports;
  for (DWORD i = 0; i < count; ++i) {
    const auto& info = reinterpret_cast<const PORT_INFO_1W*>(buffer.data())[i];
    std::wstring name = info.pName ? info.pName : L"";
    if (std::find(ports.begin(), ports.end(), name) == ports.end()) ports.push_back(name);
  }
  return ports;
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
