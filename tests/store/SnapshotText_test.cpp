// The snapshot text: exact round trips of odd names and data, and refusal of
// every truncated, altered or malformed text.
#include "store/SnapshotText.h"

#include <gtest/gtest.h>

#include "SnapshotPrint.h"

#include <string>

namespace kip {
namespace {

using namespace std::string_view_literals;
using Bytes = std::vector<std::uint8_t>;

Bytes WideData(std::wstring_view text) {
  Bytes bytes;
  for (wchar_t c : text) {
    bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>((c >> 8) & 0xFF));
  }
  return bytes;
}

// Every kind of name and data the store can hold, at three levels.
SnapshotKey OddTree() {
  SnapshotKey card{L"{0000000A-0000-0000-0000-4E6574446576}",
                   {{L"IPAddress", 7, WideData(L"10.0.0.1\0\0 \0" L"10.0.0.2\0\0"sv)},
                    {L"EnableDHCP", 4, {1, 0, 0, 0}}},
                   {}};
  SnapshotKey setting{L"会社 \"A\" = 1\\2",
                      {{L"", 1, WideData(L"default\0"sv)},
                       {L"Binary odd", 3, {0x00, 0xFF, 0x0D, 0x0A, 0x22}},
                       {L"None empty", 0, {}},
                       {L"String without terminator", 1, WideData(L"abc"sv)},
                       {L"Big endian", 5, {0, 0, 0, 1}},
                       {L"Qword", 11, {1, 2, 3, 4, 5, 6, 7, 8}},
                       {L"Unknown type", 0xDEADBEEF, {0x5C, 0x75}}},
                      {card, SnapshotKey{L"empty key", {}, {}}}};
  SnapshotKey root{L"",
                   {{L"Setting Index", 4, {2, 0, 0, 0}},
                    {L"ctl\x01\t\r\n\x1F\x7F end", 2, WideData(L"%TEMP%\\x\0"sv)},
                    {L"surrogates \xD83D\xDE00 lone \xD800 \xDC00 end\xD83D", 1, WideData(L"\xD800"sv)},
                    {L"\\u0041 \\\\ \"\"", 1, {}}},
                   {setting, SnapshotKey{L"TFormIpconfig", {{L"mOSCheck", 4, {0, 0, 0, 0}}}, {}}}};
  return root;
}

// Appends the end line that a writer would put after these lines.
std::string Closed(std::string body, int keys, int values) {
  body.insert(0, "kIpConfig store snapshot 1\r\n");
  char crc[9];
  std::snprintf(crc, sizeof crc, "%08X", static_cast<unsigned>(SnapshotCrc32(body)));
  return body + "end " + std::to_string(keys) + " " + std::to_string(values) + " " + crc + "\r\n";
}

TEST(SnapshotText, RoundTripKeepsEveryNameTypeAndByte) {
  const SnapshotKey tree = OddTree();
  const std::string text = FormatSnapshotText(tree);
  SnapshotParseResult parsed = ParseSnapshotText(text);
  ASSERT_TRUE(parsed.ok()) << parsed.error << " at line " << parsed.line;
  EXPECT_EQ(parsed.root, tree);
  EXPECT_TRUE(LooksLikeSnapshotText(text));
  // Japanese stays readable; only what could break a line or a name is escaped.
  EXPECT_NE(text.find("\"会社 \\\"A\\\" = 1\\\\2\""), std::string::npos) << text;
  EXPECT_NE(text.find("\\u000D\\u000A"), std::string::npos);
  EXPECT_NE(text.find("\\uD800 \\uDC00 end\\uD83D\""), std::string::npos);
  EXPECT_NE(text.find("value \"None empty\" 00000000:\r\n"), std::string::npos);
}

TEST(SnapshotText, EveryTruncationAndEveryAlteredByteIsRefused) {
  const std::string text = FormatSnapshotText(OddTree());
  for (size_t length = 0; length < text.size(); ++length) {
    EXPECT_FALSE(ParseSnapshotText(text.substr(0, length)).ok()) << "accepted the first " << length << " bytes";
  }
  for (size_t at = 0; at < text.size(); ++at) {
    std::string altered = text;
    altered[at] = static_cast<char>(altered[at] ^ 0x01);
    EXPECT_FALSE(ParseSnapshotText(altered).ok()) << "accepted a change at byte " << at;
  }
  EXPECT_FALSE(ParseSnapshotText(text + "key\r\n").ok());
}

TEST(SnapshotText, MalformedContentIsRefusedEvenWithAMatchingEndLine) {
  const std::string deep = [] {
    std::string line = "key";
    for (size_t i = 0; i <= kSnapshotMaxDepth; ++i) line += " \"k\"";
    return line;
  }();
  struct Case {
    std::string body;
    int keys, values;
    std::string error;
  } cases[] = {
      {"key\r\nkey \"a\" \"b\"\r\n", 2, 0, "before its parent"},
      {"key\r\nkey \"Office\"\r\nkey \"OFFICE\"\r\n", 3, 0, "listed twice"},
      {"key\r\nvalue \"v\" 00000001:\r\nvalue \"V\" 00000004:00000000\r\n", 1, 2, "listed twice"},
      {"key\r\nkey\r\n", 2, 0, "second root"},
      {"key \"a\"\r\n", 1, 0, "first key must be the root"},
      {"value \"v\" 00000001:\r\nkey\r\n", 1, 1, "first key must be the root"},
      {"key\r\n" + deep + "\r\n", 2, 0, "nested too deeply"},
      {"key\r\nvalue \"v\" 0000001:00\r\n", 1, 1, "hex digit"},
      {"key\r\nvalue \"v\" 00000001:ABC\r\n", 1, 1, "odd number"},
      {"key\r\nvalue \"v\" 00000001:GG\r\n", 1, 1, "hex digit"},
      {"key\r\nvalue \"a\tb\" 00000001:\r\n", 1, 1, "control character"},
      {"key\r\nvalue \"\xC0\x80\" 00000001:\r\n", 1, 1, "UTF-8"},       // overlong NUL
      {"key\r\nvalue \"\xED\xA0\x80\" 00000001:\r\n", 1, 1, "UTF-8"},   // encoded surrogate
      {"key\r\nvalue \"\xF4\x90\x80\x80\" 00000001:\r\n", 1, 1, "UTF-8"},  // above U+10FFFF
      {"key\r\nvalue \"\xE4\xBC\" 00000001:\r\n", 1, 1, "UTF-8"},       // cut sequence
      {"key\r\nvalue \"\\x\" 00000001:\r\n", 1, 1, "expected 'u'"},
      {"key\r\nvalue \"\\u12\" 00000001:\r\n", 1, 1, "hex digit"},
      {"key\r\nvalue \"open 00000001:\r\n", 1, 1, "unterminated"},
      {"key\r\nvalue \"v\"  00000001:\r\n", 1, 1, "hex digit"},
      {"key\r\nkey \"a\"\"b\"\r\n", 2, 0, "expected ' '"},
      {"key\r\nkeys \"a\"\r\n", 2, 0, "unknown line"},
      {"key\r\nvalue \"v\" 00000001:\nkey \"a\"\r\n", 2, 1, "hex digit"},  // LF alone is no line end
      {"key\r\nkey \"a\"\r\n", 1, 0, "counts"},
      {"key\r\nvalue \"v\" 00000001:\r\n", 1, 0, "counts"},
  };
  for (const Case& c : cases) {
    SnapshotParseResult parsed = ParseSnapshotText(Closed(c.body, c.keys, c.values));
    EXPECT_FALSE(parsed.ok()) << c.body;
    EXPECT_NE(parsed.error.find(c.error), std::string::npos) << c.body << " gave: " << parsed.error;
  }
  // The same frame with good content is accepted, so the cases above fail
  // for their own fault only.
  EXPECT_TRUE(ParseSnapshotText(Closed("key\r\nkey \"a\"\r\nvalue \"v\" 00000001:6100\r\n", 2, 1)).ok());
}

TEST(SnapshotText, OnlyTheExactSignatureLineIsRecognised) {
  EXPECT_TRUE(LooksLikeSnapshotText("kIpConfig store snapshot 1\r\nanything"));
  EXPECT_FALSE(LooksLikeSnapshotText("kIpConfig store snapshot 1"));
  EXPECT_FALSE(LooksLikeSnapshotText("kIpConfig store snapshot 10\r\n"));
  EXPECT_FALSE(LooksLikeSnapshotText("WINE REGISTRY Version 2\n"));
  EXPECT_FALSE(LooksLikeSnapshotText("regf"));
  EXPECT_EQ(SnapshotCrc32("123456789"), 0xCBF43926u);  // the CRC-32 check value
}

}  // namespace
}  // namespace kip
