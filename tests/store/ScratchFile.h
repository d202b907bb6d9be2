// A file name under %TEMP% for one test; the file is removed at the end.
#pragma once

#include <windows.h>

#include <string>

#include "util/Files.h"

namespace kip::test {

class ScratchFile {
 public:
  explicit ScratchFile(const std::wstring& stem = L"kIpStoreTest") {
    static unsigned counter = 0;
    path_ = GetTempFolder() + stem + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(++counter);
    DeleteFileW(path_.c_str());
  }
  ~ScratchFile() { DeleteFileW(path_.c_str()); }
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;

  const std::wstring& path() const { return path_; }

 private:
  std::wstring path_;
};

}  // namespace kip::test
