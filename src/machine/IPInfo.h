// The machine's adapters as GetAdaptersInfo reports them, copied into plain
// value records: TIPInfo (all adapters, in the order of the chain), TAdapter
// (one adapter) and TInfoIPAddress (one address with its mask).
#pragma once

#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "util/Errors.h"

namespace kip {

struct TInfoIPAddress {
  std::wstring IpAddress;
  std::wstring IpMask;

  TInfoIPAddress() = default;
  // Copies one entry (its Next link is not followed); null gives two empty
  // strings.
  explicit TInfoIPAddress(const IP_ADDR_STRING* source);
};

struct TAdapter {
  std::wstring AdapterName;  // the card identifier, "{GUID}" on Windows
  std::wstring Description;
  uint32_t AddressLength = 0;
  std::wstring Address;  // "00:0C:29:AB:CD:EF"; empty for a zero length
  uint32_t Index = 0;
  uint32_t Type = 0;
  bool DhcpEnabled = false;
  TInfoIPAddress CurrentIpAddress;
  std::vector<TInfoIPAddress> IpAddressList;  // the embedded entry, then the chain
  std::vector<TInfoIPAddress> GatewayList;
  TInfoIPAddress DhcpServer;
  bool HaveWins = false;
  TInfoIPAddress PrimaryWinsServer;
  TInfoIPAddress SecondaryWinsServer;

  TAdapter() = default;
  explicit TAdapter(const IP_ADAPTER_INFO& source);
};

// One record per entry of the chain starting at `first` (may be null), in
// chain order.
std::vector<TAdapter> BuildAdapterList(const IP_ADAPTER_INFO* first);

// The call that fills an adapter chain; GetAdaptersInfo in the program,
// a scripted stand-in in tests.
using AdaptersInfoSource = std::function<DWORD(IP_ADAPTER_INFO* buffer, ULONG* size)>;

// Asks `source` for the adapter chain, again with the size it reports while
// the buffer is too small, and builds the records. Raises EOSError with the
// source's error code on failure (ERROR_NO_DATA when there are no adapters).
std::vector<TAdapter> EnumerateAdapters(const AdaptersInfoSource& source);

class TIPInfo {
 public:
  // Enumerates the machine's adapters; raises EOSError on failure.
  TIPInfo();
  explicit TIPInfo(const AdaptersInfoSource& source);

  int Count() const noexcept { return static_cast<int>(items_.size()); }
  const TAdapter& Items(int index) const { return items_.at(static_cast<size_t>(index)); }
  const std::vector<TAdapter>& Adapters() const noexcept { return items_; }

 private:
  std::vector<TAdapter> items_;
};

// The GetAdaptersAddresses chain for `family` and `flags`, starting at the
// first record; empty when it cannot be read.
std::vector<IP_ADAPTER_ADDRESSES> ReadAdapterAddresses(ULONG family, ULONG flags);

// The hardware address ("00:0C:29:AB:CD:EF") of each card, index-parallel,
// from one listing of the adapters; empty where the listing has none.
// TIPInfo's error reaches the caller.
std::vector<std::wstring> HardwareAddressesOf(const std::vector<std::wstring>& cardIds);

}  // namespace kip
