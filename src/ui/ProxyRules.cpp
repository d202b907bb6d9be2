#include "ui/ProxyRules.h"

#include "util/Text.h"

namespace kip {

ProxyEnabling ProxyEnablingRule(bool useProxy, bool more, std::wstring_view serverText) {
  const bool single = useProxy && !more;
  ProxyEnabling enabling;
  enabling.groupBox = useProxy;
  enabling.serverAndPort = single;
  enabling.localBypass = single && !IsBlank(serverText);
  enabling.autoConfigUrl = useProxy;
  enabling.getProxy = useProxy && more;
  enabling.proxyMore = useProxy;
  return enabling;
}

ProxyLoadEnabling ProxyEnablingAfterLoad(bool useProxy, bool more) {
  return {useProxy && !more, useProxy && more};
}

bool TakeOverNeedsHint(std::wstring_view serverText) { return IsBlank(serverText); }

}  // namespace kip
