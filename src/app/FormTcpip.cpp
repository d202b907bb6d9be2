// The per-card TCP/IP values between the pages and the plain values that
// the store and the machine's interface keys hold.
#include "app/UkIpConfig.h"
#include "apply/CommitSource.h"
#include "machine/TcpipValues.h"

namespace kip {

void TFormIpconfig::ShowTcpipValues(const TcpipValues& values) {
  pages_.ip.Show(IpShown(values));
  pages_.dns.Update([&](DnsPageValues& shown) { ShowCardPart(shown, values); });
}

TcpipValues TFormIpconfig::CurrentTcpipValues() const {
  TcpipValues values;
  IpCollected(pages_.ip.Collect(), values);
  CollectCardPart(pages_.dns.Collect(), values);
  return values;
}

bool TFormIpconfig::ReadLiveInterface(const std::wstring& cardId) {
  std::optional<CardPart> live = ReadLiveCardPart(cardId, OSMajorVersion);
  if (!live) return false;
  ShowTcpipValues(live->tcpip);
  pages_.other.Update([&](OtherPageValues& shown) { shown.winsServers = std::move(live->winsServers); });
  return true;
}

void TFormIpconfig::ReadNetBTWins(const std::wstring& cardId) {
  std::optional<StringList> servers = ReadLiveWinsServers(cardId);
  if (!servers) return;
  pages_.other.Update([&](OtherPageValues& shown) { shown.winsServers = std::move(*servers); });
}

}  // namespace kip
