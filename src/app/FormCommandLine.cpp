// The unattended run of a command line and the desktop shortcut that makes
// one. (Filled in by the command-line work.)
#include "app/UkIpConfig.h"

namespace kip {

void TFormIpconfig::RunCommandLine() {}
void TFormIpconfig::ActionShortCutExecute() {}

}  // namespace kip
