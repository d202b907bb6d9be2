// The installed printers: a snapshot of the spooler's list and the names of
// the visible ones, for the default-printer choice of a setting.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "util/Errors.h"
#include "util/Text.h"

namespace kip {

class EQpPrinter : public KipError {
 public:
  using KipError::KipError;
};

class EQpPrinterNoPrinter : public EQpPrinter {
 public:
  EQpPrinterNoPrinter() : EQpPrinter(L"TQpPrinter.CheckNoPrinter: No Printer") {}
};

// One snapshot of the installed printers as the spooler lists them.
class TQpAllPrintersInfo {
 public:
  struct Entry {
    std::wstring name;
    DWORD attributes = 0;
  };

  TQpAllPrintersInfo() = default;
  explicit TQpAllPrintersInfo(std::vector<Entry> entries) : entries_(std::move(entries)) {}
  // Enumerates the printers of this machine: local and connected ones at
  // level 4 on the NT family, local ones at level 5 otherwise. Raises
  // EOSError when the enumeration fails.
  static TQpAllPrintersInfo Enumerate(bool ntFamily);

  int Count() const { return static_cast<int>(entries_.size()); }
  const std::wstring& Name(int index) const { return entries_.at(static_cast<size_t>(index)).name; }
  DWORD Attributes(int index) const { return entries_.at(static_cast<size_t>(index)).attributes; }

 private:
  std::vector<Entry> entries_;
};

class TQpPrinter {
 public:
  explicit TQpPrinter(TQpAllPrintersInfo snapshot) : snapshot_(std::move(snapshot)) {}
  // Takes the snapshot of this machine's printers.
  TQpPrinter();

  // Raises EQpPrinterNoPrinter when there is no printer or every one is
  // hidden (the selection is reset first).
  void CheckNoPrinter();
  // The names of the printers that are not hidden, in snapshot order; raises
  // EQpPrinterNoPrinter when there is none.
  StringList Printers();

 private:
  TQpAllPrintersInfo snapshot_;
};

// The printer list of the main window: names and, index-parallel, the device
// strings (name + "," + the printer's value under the current user's
// "Devices" key; a lone comma when there is none).
struct PrinterList {
  StringList names;
  StringList devices;
};

// Empty when the "Devices" key does not open or no printer is visible.
PrinterList ReadPrinterList(TQpPrinter& printers);

// The name part of the current user's default printer ("Device" of the
// "Windows" key: name,driver,port): the text before the first comma; empty
// when it has no comma or cannot be read.
std::wstring ReadDefaultPrinterName();

}  // namespace kip
