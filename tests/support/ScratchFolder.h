// A fresh folder under %TEMP% for one test, removed with everything in it
// at the end.
#pragma once

#include <string>

namespace kip::test {

class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  // The folder with a trailing backslash.
  const std::wstring& path() const { return path_; }
  std::wstring operator/(const std::wstring& name) const { return path_ + name; }

 private:
  std::wstring path_;
};

// Makes a folder the process's current directory while it lives.
class CurrentDirectory {
 public:
  explicit CurrentDirectory(const std::wstring& folder);
  ~CurrentDirectory();
  CurrentDirectory(const CurrentDirectory&) = delete;
  CurrentDirectory& operator=(const CurrentDirectory&) = delete;

 private:
  std::wstring previous_;
};

}  // namespace kip::test
