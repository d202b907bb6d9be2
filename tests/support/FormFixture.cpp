#include "support/FormFixture.h"

#include "util/Files.h"

namespace kip {

FormTest::~FormTest() { form_.reset(); }

TFormIpconfig& FormTest::MakeForm() {
  form_.reset();
  FormEnvironment environment;
  environment.prompts = &prompts;
  environment.programPath = programPath;
  environment.arguments = arguments;
  environment.queryVersion = [this](OSVERSIONINFOEXW& info) {
    info = {};
    info.dwMajorVersion = version.major;
    info.dwMinorVersion = version.minor;
    info.dwPlatformId = version.platform;
    return version.callSucceeds;
  };
  environment.monitorWorkAreas = [this] { return monitors; };
  if (adjustEnvironment) adjustEnvironment(environment);
  form_ = std::make_unique<TFormIpconfig>(environment);
  form_->Create();
  return *form_;
}

HWND PageItem(TFormIpconfig& form, int page, int id) {
  form.ShowPage(page);
  return GetDlgItem(form.PageWindow(page), id);
}

void ClickPageItem(TFormIpconfig& form, int page, int id) {
  HWND item = PageItem(form, page, id);
  SendMessageW(GetParent(item), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(item));
}

void TypeOnPage(TFormIpconfig& form, int page, int id, const std::wstring& text) {
  SetWindowTextW(PageItem(form, page, id), text.c_str());
}

std::wstring TestProgramFolder() { return ProgramFolder(); }

}  // namespace kip
