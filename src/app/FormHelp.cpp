// The help menu: the about box (one for the whole run) and the help page
// beside the program.
#include "app/UkIpConfig.h"
#include "ui/UAbout.h"
#include "util/Process.h"

namespace kip {

void TFormIpconfig::About1Click() {
  if (!about_) about_ = std::make_unique<AboutBox>();
  about_->Show(Handle(), FormFont(), ProgramPath());
}

void TFormIpconfig::mHelpClick() { OpenDocument(HelpPagePath(ProgramPath()), L""); }

}  // namespace kip
