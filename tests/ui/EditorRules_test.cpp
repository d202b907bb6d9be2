// The rules of the proxy page, the DNS suffix options and the batch memo
// aids, as plain values.
#include <gtest/gtest.h>

#include "ui/BatchMemo.h"
#include "ui/DnsOptionRules.h"
#include "ui/ProxyRules.h"

namespace kip {
namespace {

TEST(ProxyRulesTest, EnablingFollowsUseMoreAndTheServerText) {
  struct Case {
    bool use, more;
    const wchar_t* server;
    // group, server and port, local bypass, script, take-over, more
    ProxyEnabling expected;
  };
  const Case cases[] = {
      // Without CheckUseProxy only the check box itself (and the home page,
      // which the rule leaves alone) stays usable.
      {false, false, L"", {false, false, false, false, false, false}},
      {false, false, L"px", {false, false, false, false, false, false}},
      {false, true, L"px", {false, false, false, false, false, false}},
      // A single proxy: the bypass needs a named server, blanks do not count.
      {true, false, L"", {true, true, false, true, false, true}},
      {true, false, L"  ", {true, true, false, true, false, true}},
      {true, false, L"px", {true, true, true, true, false, true}},
      // The per-protocol text comes from the take-over.
      {true, true, L"", {true, false, false, true, true, true}},
      {true, true, L"px", {true, false, false, true, true, true}},
  };
  for (const Case& c : cases) {
    ProxyEnabling got = ProxyEnablingRule(c.use, c.more, c.server);
    const ProxyEnabling& want = c.expected;
    SCOPED_TRACE(testing::Message() << "U=" << c.use << " M=" << c.more << " S='" << c.server << "'");
    EXPECT_EQ(got.groupBox, want.groupBox);
    EXPECT_EQ(got.serverAndPort, want.serverAndPort);
    EXPECT_EQ(got.localBypass, want.localBypass);
    EXPECT_EQ(got.autoConfigUrl, want.autoConfigUrl);
    EXPECT_EQ(got.getProxy, want.getProxy);
    EXPECT_EQ(got.proxyMore, want.proxyMore);
  }
  for (bool use : {false, true}) {
    for (bool more : {false, true}) {
      ProxyLoadEnabling load = ProxyEnablingAfterLoad(use, more);
      EXPECT_EQ(load.serverPortAndLocalAddress, use && !more);
      EXPECT_EQ(load.getProxy, use && more);
    }
  }
  EXPECT_TRUE(TakeOverNeedsHint(L" "));
  EXPECT_FALSE(TakeOverNeedsHint(L"http=px:80"));
}

TEST(DnsOptionRulesTest, TheSearchListIsStoredOnlyUnderTheExplicitChoice) {
  struct Case {
    bool useDnsSuffix;
    StringList lines;
    const wchar_t* stored;
  };
  const Case cases[] = {
      // The memo's lines stay on screen but are not stored.
      {true, {L"a.example", L"b.example"}, L""},
      {false, {L"a.example", L"b.example"}, L"a.example,b.example"},
      // No cleaning: an item with a space is quoted, an empty line kept.
      {false, {L"my lan", L""}, L"\"my lan\",\"\""},
      {false, {}, L""},
  };
  for (const Case& c : cases) {
    std::wstring stored = SearchListToStore(c.useDnsSuffix, c.lines);
    EXPECT_EQ(stored, c.stored);
    // What is stored comes back as the memo's lines and the same choice.
    StringList back = SplitCommaText(stored);
    EXPECT_EQ(back, c.useDnsSuffix ? StringList{} : c.lines) << stored;
    EXPECT_EQ(UseDnsSuffixFor(back), c.useDnsSuffix || c.lines.empty()) << stored;
  }
}

TEST(BatchMemoTest, BrowsingAppendsTheChosenPathInQuotesOrNothing) {
  EXPECT_EQ(BatchMemoLine(BatchMemoItem::FileName, L"C:\\Program Files\\x.bat"), L"\"C:\\Program Files\\x.bat\"");
  EXPECT_EQ(BatchMemoLine(BatchMemoItem::FileName, std::nullopt), std::nullopt);  // the dialog was cancelled
  EXPECT_EQ(BatchMemoLine(BatchMemoItem::SetRoute, L"ignored"), L"route add");
}

TEST(BatchMemoTest, NotepadOpensTheFieldsFileOrTheMachinesHosts) {
  const std::wstring etc = L"C:\\windows\\system32\\drivers\\etc";
  struct Case {
    const wchar_t* field;
    const wchar_t* command;
  };
  const Case cases[] = {
      {L"", L"notepad C:\\windows\\system32\\drivers\\etc\\hosts"},
      {L"  \t", L"notepad C:\\windows\\system32\\drivers\\etc\\hosts"},
      {L" D:\\hosts\\office ", L"notepad D:\\hosts\\office"},
      // Not quoted: Notepad takes the whole rest of the line as the name.
      {L"C:\\Program Files\\kip\\hosts home", L"notepad C:\\Program Files\\kip\\hosts home"},
  };
  for (const Case& c : cases) EXPECT_EQ(NotepadHostsCommandLine(c.field, etc), c.command) << c.field;
}

}  // namespace
}  // namespace kip
