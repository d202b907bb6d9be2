// The take-over of the machine's proxy settings into the Internet page.
#include "app/UkIpConfig.h"
#include "machine/InternetSettings.h"
#include "ui/ProxyRules.h"

namespace kip {

void TFormIpconfig::ButtonGetProxyClick() {
  if (std::optional<InternetSettingsValues> machine = ReadInternetSettingsValues()) {
    pages_.internet.TakeOver(ProxyFieldsFromMachine(*machine));
  }
  if (TakeOverNeedsHint(pages_.internet.Current().server)) Ask().ShowMessage(kProxyTakeOverHint);
}

}  // namespace kip
