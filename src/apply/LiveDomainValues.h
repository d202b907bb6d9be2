// The connection's DNS suffix written into a card's interface key at a
// commit: netsh sets the servers but not the suffix, and the netsh of
// Windows 2000 cannot set the registration either.
#pragma once

#include <windows.h>

#include <string>

namespace kip {

// Writes the suffix into the card's existing interface key (never creating
// it); on Windows 2000 also the registration values.
void WriteLiveDomainValues(const std::wstring& cardId, const std::wstring& domain, bool registrationEnabled,
                           bool registerAdapterName, DWORD osMajorVersion, DWORD osMinorVersion);

}  // namespace kip
