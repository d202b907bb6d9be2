// Card labels: the three passes and their precedence, on registry fixtures.
#include <gtest/gtest.h>

#include "machine/CardList.h"
#include "support/RegistrySandbox.h"

namespace kip {
namespace {

const std::wstring kCardA = L"{0000000A-0000-0000-0000-4E6574446576}";
const std::wstring kCardB = L"{0000000B-0000-0000-0000-4E6574446576}";
const std::wstring kClass = L"SYSTEM\\CurrentControlSet\\Control\\Class";
const std::wstring kNetClass = kClass + L"\\{4D36E972-E325-11CE-BFC1-08002BE10318}";
const std::wstring kNetwork = L"SYSTEM\\CurrentControlSet\\Control\\Network";
const std::wstring kNetCards = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\NetWorkCards";

TAdapter Adapter(const std::wstring& name, const std::wstring& description) {
  TAdapter adapter;
  adapter.AdapterName = name;
  adapter.Description = description;
  return adapter;
}

TEST(AdapterLabel, DropsTheTailAfterTheFirstSpacedHyphen) {
  EXPECT_EQ(ShortAdapterLabel(L"Intel(R) PRO/100 VE Network Connection - Packet Scheduler Miniport"),
            L"Intel(R) PRO/100 VE Network Connection");
  EXPECT_EQ(ShortAdapterLabel(L"A - B - C"), L"A");
  EXPECT_EQ(ShortAdapterLabel(L"Plain Adapter"), L"Plain Adapter");
  EXPECT_EQ(ShortAdapterLabel(L"Wi-Fi-Adapter"), L"Wi-Fi-Adapter");
}

TEST(AdapterPass, AppendsNamedAdaptersInOrderWithoutSortingOrDeduplicating) {
  CardList cards;
  cards.Append(L"{existing}", L"kept");
  ReadAdapters(cards, {Adapter(kCardB, L"B - x"), Adapter(L"", L"unnamed"), Adapter(kCardA, L"A"),
                       Adapter(kCardB, L"B again")});
  EXPECT_EQ(cards.ids, (StringList{L"{existing}", kCardB, kCardA, kCardB}));
  EXPECT_EQ(cards.labels, (StringList{L"kept", L"B", L"A", L"B again"}));
  EXPECT_EQ(cards.IndexOf(ToLower(kCardA)), 2);
}

class CardPassesTest : public RegistryTest {
 protected:
  CardList TwoCards() {
    CardList cards;
    cards.Append(kCardA, L"pass one A");
    cards.Append(kCardB, L"pass one B");
    return cards;
  }
  void NetClassInstance(const std::wstring& instance, const std::wstring& id, const std::wstring& driverDesc,
                        const StringList& upperBind) {
    SetString(HKEY_LOCAL_MACHINE, kNetClass, L"Class", L"Net");
    SetString(HKEY_LOCAL_MACHINE, kNetClass + L"\\" + instance, L"DriverDesc", driverDesc);
    SetString(HKEY_LOCAL_MACHINE, kNetClass + L"\\" + instance, L"NetCfgInstanceId", id);
    SetMultiString(HKEY_LOCAL_MACHINE, kNetClass + L"\\" + instance + L"\\linkage", L"UpperBind", upperBind);
  }
  void Connection(const std::wstring& id, const std::wstring& name) {
    SetString(HKEY_LOCAL_MACHINE, kNetwork + L"\\{4D36E972-E325-11CE-BFC1-08002BE10318}", L"Class", L"Net");
    SetString(HKEY_LOCAL_MACHINE, kNetwork + L"\\{4D36E972-E325-11CE-BFC1-08002BE10318}\\" + id + L"\\Connection",
              L"Name", name);
  }
  void NetworkCard(const std::wstring& entry, const std::wstring& id, const std::wstring& description) {
    SetString(HKEY_LOCAL_MACHINE, kNetCards + L"\\" + entry, L"ServiceName", id);
    SetString(HKEY_LOCAL_MACHINE, kNetCards + L"\\" + entry, L"Description", description);
  }
  LiveInterfaceReader AllLive() {
    return [this](const std::wstring& id) {
      liveReads.push_back(id);
      return true;
    };
  }
  StringList liveReads;
};

TEST_F(CardPassesTest, ClassPassRelabelsTcpipBoundInstancesWithALiveInterface) {
  // A lower-case "net" class comes first in registry order and is not it.
  SetString(HKEY_LOCAL_MACHINE, kClass + L"\\{0000-lower}", L"Class", L"net");
  SetString(HKEY_LOCAL_MACHINE, kClass + L"\\{0000-lower}\\0000", L"NetCfgInstanceId", kCardB);
  NetClassInstance(L"0000", kCardA, L"Intel(R) PRO/1000 MT", {L"NetBT", L"Tcpip"});
  NetClassInstance(L"0001", kCardB, L"No TCP/IP card", {L"NetBT", L"AppleTalk"});
  CardList cards = TwoCards();
  ReadClassDescriptions(cards, AllLive());
  EXPECT_EQ(cards.labels, (StringList{L"Intel(R) PRO/1000 MT", L"pass one B"}));
  EXPECT_EQ(liveReads, StringList{kCardA});
}

TEST_F(CardPassesTest, ClassPassNeedsTheInterfaceKeyAndAListedCard) {
  NetClassInstance(L"0000", kCardA, L"Driver A", {L"TCPIP6"});
  NetClassInstance(L"0001", L"{not-listed}", L"Ghost", {L"Tcpip"});
  CardList cards = TwoCards();
  ReadClassDescriptions(cards, [](const std::wstring&) { return false; });
  EXPECT_EQ(cards.labels, (StringList{L"pass one A", L"pass one B"}));
  ReadClassDescriptions(cards, AllLive());
  EXPECT_EQ(cards.labels, (StringList{L"Driver A", L"pass one B"}));
  EXPECT_EQ(cards.ids.size(), 2u);
}

TEST_F(CardPassesTest, ClassPassWithUnreadableUpperBindSkipsTheInstance) {
  NetClassInstance(L"0000", kCardA, L"Driver A", {L"Tcpip"});
  SetString(HKEY_LOCAL_MACHINE, kNetClass + L"\\0000\\linkage", L"UpperBind", L"Tcpip");
  CardList cards = TwoCards();
  ReadClassDescriptions(cards, AllLive());
  EXPECT_EQ(cards.labels[0], L"pass one A");
}

TEST_F(CardPassesTest, NetworkCardsPassUsesConnectionNameAndDescription) {
  Connection(kCardA, L"Local Area Connection");
  NetworkCard(L"1", kCardA, L"Intel(R) PRO/100 VE Network Connection");
  NetworkCard(L"2", ToLower(kCardB), L"Realtek RTL8139");
  NetworkCard(L"3", L"{absent}", L"Removed card");
  CardList cards = TwoCards();
  ReadNetworkCards(cards);
  EXPECT_EQ(cards.labels, (StringList{L"Local Area Connection [Intel(R) PRO/100 VE Network Connection]",
                                      L"Realtek RTL8139"}));
  EXPECT_EQ(cards.ids.size(), 2u);
}

TEST_F(CardPassesTest, LaterNetworkCardsEntryForTheSameCardWins) {
  NetworkCard(L"1", kCardA, L"first");
  NetworkCard(L"2", kCardA, L"second");
  CardList cards = TwoCards();
  ReadNetworkCards(cards);
  EXPECT_EQ(cards.labels[0], L"second");
}

TEST_F(CardPassesTest, NetworkCardsLabelOutranksDriverDescription) {
  NetClassInstance(L"0000", kCardA, L"Driver A", {L"Tcpip"});
  NetworkCard(L"1", kCardA, L"Card A");
  Connection(kCardA, L"ローカル エリア接続");
  CardList cards = TwoCards();
  ReadClassDescriptions(cards, AllLive());
  ReadNetworkCards(cards);
  EXPECT_EQ(cards.labels[0], L"ローカル エリア接続 [Card A]");
}

TEST_F(CardPassesTest, ConnectionNameFoundThroughADescriptionsKeyOrMissing) {
  EXPECT_EQ(GetConnectionName(kCardA), L"");
  const std::wstring other = kNetwork + L"\\{4D36E973-E325-11CE-BFC1-08002BE10318}";
  SetString(HKEY_LOCAL_MACHINE, other + L"\\Descriptions", L"x", L"y");
  SetString(HKEY_LOCAL_MACHINE, other + L"\\" + kCardA + L"\\Connection", L"Name", L"接続 2");
  EXPECT_EQ(GetConnectionName(kCardA), L"接続 2");
  EXPECT_EQ(GetConnectionName(kCardB), L"");
}

}  // namespace
}  // namespace kip
