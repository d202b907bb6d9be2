#include "machine/IPInfo.h"

#include <algorithm>
#include <cstring>

#include "util/Text.h"

namespace kip {

namespace {

// Text of a fixed-size ANSI field, up to its first NUL (or the whole field
// when it has none).
template <size_t N>
std::wstring FieldText(const char (&field)[N]) {
  const char* end = std::find(field, field + N, '\0');
  return FromAnsi(std::string_view(field, static_cast<size_t>(end - field)));
}

std::wstring HardwareAddressText(const BYTE* bytes, uint32_t length) {
  static constexpr wchar_t kHex[] = L"0123456789ABCDEF";
  std::wstring text;
  for (uint32_t i = 0; i < length; ++i) {
    if (i != 0) text += L':';
    text += kHex[bytes[i] >> 4];
    text += kHex[bytes[i] & 0x0F];
  }
  return text;
}

std::vector<TInfoIPAddress> AddressChain(const IP_ADDR_STRING& first) {
  std::vector<TInfoIPAddress> list;
  for (const IP_ADDR_STRING* entry = &first; entry != nullptr; entry = entry->Next) list.emplace_back(entry);
  return list;
}

// Far more than any machine's adapter list needs; the size Windows reports
// can grow between two calls when a card appears, so a few rounds are
// allowed.
constexpr int kEnumerationAttempts = 8;
constexpr ULONG kInitialBufferSize = 16 * sizeof(IP_ADAPTER_INFO);

}  // namespace

TInfoIPAddress::TInfoIPAddress(const IP_ADDR_STRING* source) {
  if (source == nullptr) return;
  IpAddress = FieldText(source->IpAddress.String);
  IpMask = FieldText(source->IpMask.String);
}

TAdapter::TAdapter(const IP_ADAPTER_INFO& source)
    : AdapterName(FieldText(source.AdapterName)),
      Description(FieldText(source.Description)),
      AddressLength(source.AddressLength),
      // The length field is never trusted beyond the address array.
      Address(HardwareAddressText(source.Address,
                                  std::min<uint32_t>(source.AddressLength, sizeof source.Address))),
      Index(source.Index),
      Type(source.Type),
      DhcpEnabled(source.DhcpEnabled != 0),
      CurrentIpAddress(source.CurrentIpAddress),
      IpAddressList(AddressChain(source.IpAddressList)),
      GatewayList(AddressChain(source.GatewayList)),
      DhcpServer(&source.DhcpServer),
      HaveWins(source.HaveWins != 0),
      PrimaryWinsServer(&source.PrimaryWinsServer),
      SecondaryWinsServer(&source.SecondaryWinsServer) {}

std::vector<TAdapter> BuildAdapterList(const IP_ADAPTER_INFO* first) {
  std::vector<TAdapter> list;
  for (const IP_ADAPTER_INFO* entry = first; entry != nullptr; entry = entry->Next) list.emplace_back(*entry);
  return list;
}

std::vector<TAdapter> EnumerateAdapters(const AdaptersInfoSource& source) {
  ULONG wanted = kInitialBufferSize;
  DWORD result = ERROR_BUFFER_OVERFLOW;
  for (int attempt = 0; attempt < kEnumerationAttempts; ++attempt) {
    // Whole records, so the buffer is aligned for the chain it receives.
    std::vector<IP_ADAPTER_INFO> buffer((wanted + sizeof(IP_ADAPTER_INFO) - 1) / sizeof(IP_ADAPTER_INFO));
    ULONG size = static_cast<ULONG>(buffer.size() * sizeof(IP_ADAPTER_INFO));
    result = source(buffer.data(), &size);
    if (result == ERROR_SUCCESS) return BuildAdapterList(buffer.data());
    if (result != ERROR_BUFFER_OVERFLOW) break;
    // Ask again with the size reported; should it not be larger than what
    // was offered, grow anyway so that the loop cannot stall.
    wanted = size > buffer.size() * sizeof(IP_ADAPTER_INFO) ? size : static_cast<ULONG>(buffer.size() * sizeof(IP_ADAPTER_INFO) * 2);
  }
  throw EOSError(result);
}

TIPInfo::TIPInfo() : TIPInfo(AdaptersInfoSource([](IP_ADAPTER_INFO* buffer, ULONG* size) {
                       return static_cast<DWORD>(::GetAdaptersInfo(buffer, size));
                     })) {}

TIPInfo::TIPInfo(const AdaptersInfoSource& source) : items_(EnumerateAdapters(source)) {}

std::vector<IP_ADAPTER_ADDRESSES> ReadAdapterAddresses(ULONG family, ULONG flags) {
  ULONG size = 16 * 1024;
  for (int attempt = 0; attempt < 4; ++attempt) {
    // Whole records, so the buffer is aligned for the chain it receives.
    std::vector<IP_ADAPTER_ADDRESSES> buffer(size / sizeof(IP_ADAPTER_ADDRESSES) + 1);
    size = static_cast<ULONG>(buffer.size() * sizeof(IP_ADAPTER_ADDRESSES));
    const ULONG result = ::GetAdaptersAddresses(family, flags, nullptr, buffer.data(), &size);
    if (result == ERROR_SUCCESS) return buffer;
    if (result != ERROR_BUFFER_OVERFLOW) break;
  }
  return {};
}

std::vector<std::wstring> HardwareAddressesOf(const std::vector<std::wstring>& cardIds) {
  std::vector<std::wstring> addresses(cardIds.size());
  const TIPInfo info;
  for (size_t i = 0; i < cardIds.size(); ++i) {
    for (const TAdapter& adapter : info.Adapters()) {
      if (adapter.AdapterName == cardIds[i]) addresses[i] = adapter.Address;
    }
  }
  return addresses;
}

}  // namespace kip
