#include "machine/IPInfo.h"

#include <cstring>
#include <deque>

#include <gtest/gtest.h>

namespace kip {
namespace {

void SetField(char* field, size_t size, const char* text) {
  std::memset(field, 0, size);
  std::memcpy(field, text, std::min(size, std::strlen(text)));
}

template <size_t N>
void SetField(char (&field)[N], const char* text) {
  SetField(field, N, text);
}

void SetAddress(IP_ADDR_STRING& entry, const char* address, const char* mask, IP_ADDR_STRING* next = nullptr) {
  SetField(entry.IpAddress.String, address);
  SetField(entry.IpMask.String, mask);
  entry.Next = next;
}

// A small chain of adapters, built the way GetAdaptersInfo lays it out.
struct SyntheticChain {
  IP_ADAPTER_INFO adapters[2] = {};
  IP_ADDR_STRING moreAddresses[2] = {};
  IP_ADDR_STRING moreGateways[1] = {};

  SyntheticChain() {
    IP_ADAPTER_INFO& first = adapters[0];
    first.Next = &adapters[1];
    SetField(first.AdapterName, "{11111111-2222-3333-4444-555555555555}");
    SetField(first.Description, "Intel(R) PRO/100 VE Network Connection - Packet Scheduler Miniport");
    first.AddressLength = 6;
    const BYTE mac[] = {0x00, 0x0C, 0x29, 0xAB, 0xCD, 0xEF};
    std::memcpy(first.Address, mac, sizeof mac);
    first.Index = 11;
    first.Type = MIB_IF_TYPE_ETHERNET;
    first.DhcpEnabled = 1;
    SetAddress(first.IpAddressList, "192.168.1.10", "255.255.255.0", &moreAddresses[0]);
    SetAddress(moreAddresses[0], "192.168.1.11", "255.255.255.0", &moreAddresses[1]);
    SetAddress(moreAddresses[1], "10.0.0.1", "255.0.0.0");
    first.CurrentIpAddress = &moreAddresses[0];
    SetAddress(first.GatewayList, "192.168.1.1", "255.255.255.255", &moreGateways[0]);
    SetAddress(moreGateways[0], "192.168.1.254", "255.255.255.255");
    SetAddress(first.DhcpServer, "192.168.1.2", "255.255.255.255");
    first.HaveWins = 1;
    SetAddress(first.PrimaryWinsServer, "192.168.1.3", "");
    SetAddress(first.SecondaryWinsServer, "192.168.1.4", "");

    IP_ADAPTER_INFO& second = adapters[1];
    SetField(second.AdapterName, "{AAAAAAAA-0000-0000-0000-000000000000}");
    SetField(second.Description, "Plain Adapter");
    second.AddressLength = 0;
    second.CurrentIpAddress = nullptr;
    SetAddress(second.IpAddressList, "0.0.0.0", "0.0.0.0");
  }
};

TEST(BuildAdapterListTest, CopiesEveryFieldInChainOrder) {
  SyntheticChain chain;
  std::vector<TAdapter> list = BuildAdapterList(chain.adapters);
  ASSERT_EQ(list.size(), 2u);

  const TAdapter& a = list[0];
  EXPECT_EQ(a.AdapterName, L"{11111111-2222-3333-4444-555555555555}");
  EXPECT_EQ(a.Description, L"Intel(R) PRO/100 VE Network Connection - Packet Scheduler Miniport");
  EXPECT_EQ(a.AddressLength, 6u);
  EXPECT_EQ(a.Address, L"00:0C:29:AB:CD:EF");
  EXPECT_EQ(a.Index, 11u);
  EXPECT_EQ(a.Type, static_cast<uint32_t>(MIB_IF_TYPE_ETHERNET));
  EXPECT_TRUE(a.DhcpEnabled);
  EXPECT_EQ(a.CurrentIpAddress.IpAddress, L"192.168.1.11");
  ASSERT_EQ(a.IpAddressList.size(), 3u);
  EXPECT_EQ(a.IpAddressList[0].IpAddress, L"192.168.1.10");
  EXPECT_EQ(a.IpAddressList[2].IpAddress, L"10.0.0.1");
  EXPECT_EQ(a.IpAddressList[2].IpMask, L"255.0.0.0");
  ASSERT_EQ(a.GatewayList.size(), 2u);
  EXPECT_EQ(a.GatewayList[1].IpAddress, L"192.168.1.254");
  EXPECT_EQ(a.DhcpServer.IpAddress, L"192.168.1.2");
  EXPECT_TRUE(a.HaveWins);
  EXPECT_EQ(a.PrimaryWinsServer.IpAddress, L"192.168.1.3");
  EXPECT_EQ(a.SecondaryWinsServer.IpAddress, L"192.168.1.4");
  EXPECT_EQ(a.SecondaryWinsServer.IpMask, L"");

  const TAdapter& b = list[1];
  EXPECT_EQ(b.Description, L"Plain Adapter");
  EXPECT_EQ(b.Address, L"");
  EXPECT_FALSE(b.DhcpEnabled);
  EXPECT_FALSE(b.HaveWins);
  EXPECT_EQ(b.CurrentIpAddress.IpAddress, L"");
  EXPECT_EQ(b.CurrentIpAddress.IpMask, L"");
  ASSERT_EQ(b.IpAddressList.size(), 1u);
  EXPECT_EQ(b.GatewayList.size(), 1u);  // the embedded entry, empty
  EXPECT_EQ(b.GatewayList[0].IpAddress, L"");

  EXPECT_TRUE(BuildAdapterList(nullptr).empty());
}

TEST(BuildAdapterListTest, FieldsWithoutTerminatorOrWithAnOversizedLengthStayInBounds) {
  SyntheticChain chain;
  IP_ADAPTER_INFO& a = chain.adapters[1];
  std::memset(a.Description, 'D', sizeof a.Description);
  std::memset(a.IpAddressList.IpAddress.String, '9', sizeof a.IpAddressList.IpAddress.String);
  a.AddressLength = 200;
  std::memset(a.Address, 0xFF, sizeof a.Address);
  TAdapter adapter(a);
  EXPECT_EQ(adapter.Description, std::wstring(sizeof a.Description, L'D'));
  EXPECT_EQ(adapter.IpAddressList[0].IpAddress, std::wstring(16, L'9'));
  EXPECT_EQ(adapter.AddressLength, 200u);
  EXPECT_EQ(adapter.Address, L"FF:FF:FF:FF:FF:FF:FF:FF");
}

// A stand-in for GetAdaptersInfo serving `count` adapters. In its first
// `overflows` calls it wants more room than it asked for the time before, as
// when cards appear between two calls.
class ScriptedSource {
 public:
  explicit ScriptedSource(int count, int overflows = 0) : count_(count), overflows_(overflows) {}

  DWORD operator()(IP_ADAPTER_INFO* buffer, ULONG* size) {
    sizes_.push_back(*size);
    size_t records = static_cast<size_t>(count_);
    if (sizes_.size() <= static_cast<size_t>(overflows_)) records += 4 * sizes_.size();
    ULONG needed = static_cast<ULONG>(records * sizeof(IP_ADAPTER_INFO));
    if (*size < needed) {
      *size = needed;
      return ERROR_BUFFER_OVERFLOW;
    }
    for (int i = 0; i < count_; ++i) {
      IP_ADAPTER_INFO& entry = buffer[i];
      std::memset(&entry, 0, sizeof entry);
      std::string name = "{0000000" + std::to_string(i % 10) + "}#" + std::to_string(i);
      SetField(entry.AdapterName, name.c_str());
      entry.Index = static_cast<DWORD>(i);
      entry.Next = i + 1 < count_ ? &buffer[i + 1] : nullptr;
    }
    return ERROR_SUCCESS;
  }
  const std::vector<ULONG>& Sizes() const { return sizes_; }

 private:
  int count_;
  int overflows_;
  std::vector<ULONG> sizes_;
};

TEST(EnumerateAdaptersTest, AsksAgainWithTheReportedSizeUntilEveryCardFits) {
  // Forty cards do not fit into the first buffer, and the size wanted grows
  // once more between the calls.
  ScriptedSource source(40, 2);
  TIPInfo info(std::ref(source));
  ASSERT_EQ(info.Count(), 40);
  for (int i = 0; i < info.Count(); ++i) EXPECT_EQ(info.Items(i).Index, static_cast<uint32_t>(i));
  ASSERT_EQ(source.Sizes().size(), 3u);
  EXPECT_EQ(source.Sizes()[1], 44 * sizeof(IP_ADAPTER_INFO));
  EXPECT_EQ(source.Sizes()[2], 48 * sizeof(IP_ADAPTER_INFO));
}

TEST(EnumerateAdaptersTest, FailuresRaiseTheOperatingSystemError) {
  auto noData = [](IP_ADAPTER_INFO*, ULONG*) -> DWORD { return ERROR_NO_DATA; };
  try {
    TIPInfo info{AdaptersInfoSource(noData)};
    FAIL() << "no error raised";
  } catch (const EOSError& e) {
    EXPECT_EQ(e.Code(), static_cast<DWORD>(ERROR_NO_DATA));
    EXPECT_NE(e.Message().find(std::to_wstring(ERROR_NO_DATA)), std::wstring::npos);
  }
  // A source that keeps asking for more is given up on, not looped forever.
  int calls = 0;
  auto greedy = [&calls](IP_ADAPTER_INFO*, ULONG* size) -> DWORD {
    ++calls;
    *size += sizeof(IP_ADAPTER_INFO);
    return ERROR_BUFFER_OVERFLOW;
  };
  EXPECT_THROW(TIPInfo{AdaptersInfoSource(greedy)}, EOSError);
  EXPECT_LE(calls, 16);
}

// The machine's own adapters: whatever it has, enumeration either succeeds
// with named adapters or reports that there are none.
TEST(LiveAdapters, EnumerateWithoutError) {
  try {
    TIPInfo info;
    EXPECT_GT(info.Count(), 0);
    for (const TAdapter& adapter : info.Adapters()) EXPECT_FALSE(adapter.AdapterName.empty());
  } catch (const EOSError& e) {
    EXPECT_EQ(e.Code(), static_cast<DWORD>(ERROR_NO_DATA)) << ToUtf8(e.Message());
  }
}

}  // namespace
}  // namespace kip
