// Trimming, comma text, lines and numbers: the text helpers every store and
// reader relies on.
#include <windows.h>

#include <gtest/gtest.h>

#include "util/Text.h"

namespace kip {
namespace {

TEST(Trim, RemovesBlanksAndControlCharactersOnBothEnds) {
  EXPECT_EQ(Trim(L" \t\r\n a b \x01\x1f"), L"a b");
  EXPECT_EQ(Trim(L"\x7f"), L"\x7f");  // DEL is not a control below the blank
  EXPECT_EQ(Trim(L"  x "), L"x");
  EXPECT_EQ(Trim(L" \t "), L"");
  EXPECT_TRUE(IsBlank(L" \t\r\n"));
  EXPECT_TRUE(IsBlank(L""));
  EXPECT_FALSE(IsBlank(L"　"));  // the ideographic space is text
}

// Plain items are joined with commas only; items with blanks, quotes, commas
// or nothing are quoted. Splitting is at commas and blanks outside quotes.
TEST(CommaText, JoinSplitAndRoundTrip) {
  EXPECT_EQ(JoinCommaText({L"192.168.0.1", L"192.168.0.2"}), L"192.168.0.1,192.168.0.2");
  EXPECT_EQ(JoinCommaText({}), L"");
  EXPECT_EQ(JoinCommaText({L"a b", L"say \"hi\"", L"x,y", L""}), L"\"a b\",\"say \"\"hi\"\"\",\"x,y\",\"\"");
  const std::pair<const wchar_t*, StringList> splits[] = {{L"192.168.0.1 192.168.0.2", {L"192.168.0.1", L"192.168.0.2"}},
                                                          {L" a , b,c ", {L"a", L"b", L"c"}},
                                                          {L"a,,b", {L"a", L"", L"b"}},
                                                          {L"a,", {L"a", L""}},
                                                          {L"", {}},
                                                          {L"   ", {}},
                                                          {L"\"a, b", {L"a, b"}}};  // unterminated quote
  for (const auto& [text, items] : splits) EXPECT_EQ(SplitCommaText(text), items) << ToUtf8(text);
  const StringList items{L"corp.example.co.jp", L"with blank", L"\"quoted\"", L"a,b", L"", L"日本語 ドメイン"};
  EXPECT_EQ(SplitCommaText(JoinCommaText(items)), items);
}

TEST(Lines, SplitAtEveryKindOfLineBreakWithoutATrailingEmptyLine) {
  EXPECT_EQ(SplitLines(L"a\r\nb\nc\rd"), (StringList{L"a", L"b", L"c", L"d"}));
  EXPECT_EQ(SplitLines(L"a\r\n"), StringList{L"a"});
  EXPECT_EQ(SplitLines(L"a\r\n\r\nb"), (StringList{L"a", L"", L"b"}));
  EXPECT_TRUE(SplitLines(L"").empty());
  EXPECT_EQ(JoinLines({L"a", L"b"}), L"a\r\nb\r\n");
  EXPECT_EQ(SplitLines(JoinLines({L"x", L"", L"y"})), (StringList{L"x", L"", L"y"}));
}

TEST(Numbers, WholeTextOrFallback) {
  EXPECT_EQ(ToIntDef(L"010", -1), 10);
  EXPECT_EQ(ToIntDef(L" -5 ", 0), -5);
  EXPECT_EQ(ToIntDef(L"", 7), 7);
  EXPECT_EQ(ToIntDef(L"x", 7), 7);
  EXPECT_EQ(ToIntDef(L"1x", 7), 7);
  EXPECT_EQ(ToIntDef(L"-", 7), 7);
  EXPECT_EQ(ToIntDef(L"99999999999999999999", 7), 7);
}

TEST(CodePages, JapaneseTextRoundTripsThroughTheAnsiCodePage) {
  if (GetACP() != 932) GTEST_SKIP() << "needs code page 932";
  EXPECT_EQ(ToAnsi(L"はい"), "\x82\xcd\x82\xa2");
  EXPECT_EQ(ToAnsi(L"￥"), "\x81\x8f");
  EXPECT_EQ(FromAnsi(ToAnsi(L"ネットワーク設定")), L"ネットワーク設定");
  EXPECT_EQ(FromUtf8(ToUtf8(L"ａ／ｂ")), L"ａ／ｂ");
}

// Code page 932 lacks "é"; its best fit is "e", which would make a name look
// like another. Without best fit it is the default character, and the text
// does not fit.
TEST(CodePages, WithoutBestFitALackingCharacterIsNoLookAlike) {
  if (GetACP() != 932) GTEST_SKIP() << "needs code page 932";
  EXPECT_EQ(ToAnsiWithoutBestFit(L"LANé＂"), "LAN?\xfa\x57");
  EXPECT_FALSE(FitsAnsiCodePage(L"LANé"));
  EXPECT_FALSE(FitsAnsiCodePage(std::wstring(1, wchar_t(0xD800))));
  EXPECT_TRUE(FitsAnsiCodePage(L"ローカル エリア接続 ＂2＂"));
  EXPECT_TRUE(FitsAnsiCodePage(L""));
}

TEST(Case, LowerAndComparisons) {
  EXPECT_EQ(ToLower(L"TcpIp"), L"tcpip");
  EXPECT_TRUE(EqualsNoCase(L"{ABC-def}", L"{abc-DEF}"));
  EXPECT_FALSE(EqualsNoCase(L"abc", L"abcd"));
  EXPECT_TRUE(StartsWith(L"netsh exec", L"netsh"));
}

}  // namespace
}  // namespace kip
