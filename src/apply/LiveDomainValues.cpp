#include "apply/LiveDomainValues.h"

#include "machine/TcpipValues.h"
#include "util/Guard.h"
#include "util/kRegistry.h"

namespace kip {

void WriteLiveDomainValues(const std::wstring& cardId, const std::wstring& domain, bool registrationEnabled,
                           bool registerAdapterName, DWORD osMajorVersion, DWORD osMinorVersion) {
  TkRegistry registry(HKEY_LOCAL_MACHINE);
  if (!registry.OpenKey(TcpipInterfaceKey(cardId), false)) return;
  RunGuarded([&] {
    registry.WriteString(L"Domain", domain);
    if (osMajorVersion == 5 && osMinorVersion == 0) {
      registry.WriteInteger(L"DisableDynamicUpdate", registrationEnabled ? 0 : 1);
      registry.WriteInteger(L"EnableAdapterDomainNameRegistration", registerAdapterName ? 1 : 0);
    }
  });
}

}  // namespace kip
