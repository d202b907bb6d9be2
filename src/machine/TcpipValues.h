// The live TCP/IP values of the machine's cards: their interface keys
// (TCP/IP and NetBT) under HKEY_LOCAL_MACHINE.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "store/TcpipValueSet.h"
#include "util/Text.h"

namespace kip {

// The machine's interface key of a card, from HKEY_LOCAL_MACHINE.
std::wstring TcpipInterfaceKey(const std::wstring& cardId);

// The card's live values; nullopt when its interface key does not open.
std::optional<TcpipValues> ReadLiveTcpipValues(const std::wstring& cardId, DWORD osMajorVersion);

// The card's WINS servers from its NetBT interface key; nullopt when the key
// does not open, an empty list when the value is missing or unreadable.
std::optional<StringList> ReadLiveWinsServers(const std::wstring& cardId);

}  // namespace kip
