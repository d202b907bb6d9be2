// The per-card TCP/IP values between the pages and the plain values that
// the store and the machine's interface keys hold.
#include "app/UkIpConfig.h"
#include "machine/TcpipValues.h"

namespace kip {

void TFormIpconfig::ShowTcpipValues(const TcpipValues& values) {
  ip_.Show(IpShown(values));
  dns_.Update([&](DnsPageValues& shown) { ShowCardPart(shown, values); });
}

TcpipValues TFormIpconfig::CurrentTcpipValues() const {
  TcpipValues values;
  IpCollected(ip_.Collect(), values);
  CollectCardPart(dns_.Collect(), values);
  return values;
}

bool TFormIpconfig::ReadLiveInterface(const std::wstring& cardId) {
  std::optional<TcpipValues> values = ReadLiveTcpipValues(cardId, OSMajorVersion);
  if (!values) return false;
  ShowTcpipValues(*values);
  ReadNetBTWins(cardId);
  return true;
}

void TFormIpconfig::ReadNetBTWins(const std::wstring& cardId) {
  std::optional<StringList> servers = ReadLiveWinsServers(cardId);
  if (!servers) return;
  other_.Update([&](OtherPageValues& shown) { shown.winsServers = std::move(*servers); });
}

}  // namespace kip
