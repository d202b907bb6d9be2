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

std::wstring TestProgramFolder() { return ProgramFolder(); }

}  // namespace kip
