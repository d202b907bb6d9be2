// A main window for tests: hidden, in a registry sandbox, with prompts
// answered by the test and the Windows version chosen by the test.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/UkIpConfig.h"
#include "support/RegistrySandbox.h"
#include "support/ScriptedPrompts.h"

namespace kip {

struct VersionChoice {
  DWORD major = 6;
  DWORD minor = 1;
  DWORD platform = VER_PLATFORM_WIN32_NT;
  bool callSucceeds = true;
};

class FormTest : public RegistryTest {
 protected:
  ~FormTest() override;
  // Creates (or recreates) the window with the current choices.
  TFormIpconfig& MakeForm();
  TFormIpconfig& Form() { return *form_; }

  ScriptedPrompts prompts;
  VersionChoice version;
  std::wstring programPath;  // empty: the test program's own path
  StringList arguments;
  std::vector<RECT> monitors{RECT{0, 0, 1280, 1024}};
  // Last changes to the window's surroundings before it is made.
  std::function<void(FormEnvironment&)> adjustEnvironment;

 private:
  std::unique_ptr<TFormIpconfig> form_;
};

// Control `id` of page `page` as a user reaches it: the page shown (and so
// built) first. A click sends what the button's own click sends.
HWND PageItem(TFormIpconfig& form, int page, int id);
void ClickPageItem(TFormIpconfig& form, int page, int id);
void TypeOnPage(TFormIpconfig& form, int page, int id, const std::wstring& text);

// The folder of the running test program, with a trailing backslash.
std::wstring TestProgramFolder();

}  // namespace kip
