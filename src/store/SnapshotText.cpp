#include "store/SnapshotText.h"

#include <array>
#include <map>
#include <set>
#include <utility>

namespace kip {

namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kKeyWord = "key";
constexpr std::string_view kValueWord = "value";
constexpr std::string_view kEndWord = "end";
constexpr char kHexDigits[] = "0123456789ABCDEF";

// --- writing -----------------------------------------------------------------

void AppendHex(std::string& out, std::uint32_t number, int digits) {
  for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) out += kHexDigits[(number >> shift) & 0xF];
}

void AppendUtf8(std::string& out, std::uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

bool IsHighSurrogate(std::uint32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(std::uint32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

void AppendEscapedUnit(std::string& out, std::uint32_t unit) {
  out += "\\u";
  AppendHex(out, unit, 4);
}

// Names are UTF-16 code units; each one comes back exactly, including lone
// surrogates, which UTF-8 cannot carry and are therefore escaped.
void AppendQuoted(std::string& out, const std::wstring& name) {
  out += '"';
  for (std::size_t i = 0; i < name.size(); ++i) {
    const std::uint32_t c = static_cast<std::uint32_t>(name[i]) & 0xFFFF;
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20 || c == 0x7F) {
      AppendEscapedUnit(out, c);
    } else if (IsHighSurrogate(c) && i + 1 < name.size() &&
               IsLowSurrogate(static_cast<std::uint32_t>(name[i + 1]) & 0xFFFF)) {
      const std::uint32_t low = static_cast<std::uint32_t>(name[++i]) & 0xFFFF;
      AppendUtf8(out, 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00));
    } else if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
      AppendEscapedUnit(out, c);
    } else {
      AppendUtf8(out, c);
    }
  }
  out += '"';
}

void AppendKey(std::string& out, const SnapshotKey& key, std::vector<const std::wstring*>& path,
               std::size_t& keys, std::size_t& values) {
  out += kKeyWord;
  for (const std::wstring* part : path) {
    out += ' ';
    AppendQuoted(out, *part);
  }
  out += kLineEnd;
  ++keys;
  for (const SnapshotValue& value : key.values) {
    out += kValueWord;
    out += ' ';
    AppendQuoted(out, value.name);
    out += ' ';
    AppendHex(out, value.type, 8);
    out += ':';
    for (std::uint8_t byte : value.data) AppendHex(out, byte, 2);
    out += kLineEnd;
    ++values;
  }
  for (const SnapshotKey& subkey : key.subkeys) {
    path.push_back(&subkey.name);
    AppendKey(out, subkey, path, keys, values);
    path.pop_back();
  }
}

// --- reading -----------------------------------------------------------------

struct ParseError {
  std::string what;
};

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// A cursor over one line (without its line end).
class LineReader {
 public:
  explicit LineReader(std::string_view line) : line_(line) {}

  bool AtEnd() const { return pos_ == line_.size(); }
  bool Peek(char c) const { return pos_ < line_.size() && line_[pos_] == c; }

  void Expect(char c) {
    if (!Peek(c)) Fail(std::string("expected '") + c + "'");
    ++pos_;
  }
  void ExpectEnd() {
    if (!AtEnd()) Fail("unexpected text at the end of the line");
  }

  std::uint32_t Hex(int digits) {
    std::uint32_t number = 0;
    for (int i = 0; i < digits; ++i) number = (number << 4) | static_cast<std::uint32_t>(HexDigit());
    return number;
  }

  // The rest of the line as pairs of hex digits.
  std::vector<std::uint8_t> HexBytes() {
    if ((line_.size() - pos_) % 2 != 0) Fail("odd number of hex digits");
    std::vector<std::uint8_t> bytes;
    bytes.reserve((line_.size() - pos_) / 2);
    while (!AtEnd()) bytes.push_back(static_cast<std::uint8_t>(Hex(2)));
    return bytes;
  }

  std::uint64_t Decimal() {
    constexpr int kMaxDigits = 18;  // far above any count, far below overflow
    std::uint64_t number = 0;
    int digits = 0;
    while (pos_ < line_.size() && line_[pos_] >= '0' && line_[pos_] <= '9') {
      if (++digits > kMaxDigits) Fail("number too long");
      number = number * 10 + static_cast<std::uint64_t>(line_[pos_++] - '0');
    }
    if (digits == 0) Fail("expected a number");
    return number;
  }

  std::wstring Quoted() {
    Expect('"');
    std::wstring text;
    for (;;) {
      if (AtEnd()) Fail("unterminated name");
      const unsigned char c = static_cast<unsigned char>(line_[pos_]);
      if (c == '"') {
        ++pos_;
        return text;
      }
      if (c == '\\') {
        ++pos_;
        Escape(text);
      } else if (c < 0x20 || c == 0x7F) {
        Fail("control character inside a name");
      } else {
        AppendUnits(text, Utf8CodePoint());
      }
    }
  }

  [[noreturn]] void Fail(std::string what) const { throw ParseError{std::move(what)}; }

 private:
  int HexDigit() {
    const int digit = pos_ < line_.size() ? HexValue(line_[pos_]) : -1;
    if (digit < 0) Fail("expected a hex digit");
    ++pos_;
    return digit;
  }

  void Escape(std::wstring& text) {
    if (Peek('"') || Peek('\\')) {
      text += static_cast<wchar_t>(line_[pos_++]);
      return;
    }
    Expect('u');
    text += static_cast<wchar_t>(Hex(4));
  }

  static void AppendUnits(std::wstring& text, std::uint32_t cp) {
    if (cp < 0x10000) {
      text += static_cast<wchar_t>(cp);
      return;
    }
    cp -= 0x10000;
    text += static_cast<wchar_t>(0xD800 + (cp >> 10));
    text += static_cast<wchar_t>(0xDC00 + (cp & 0x3FF));
  }

  // One strictly formed UTF-8 sequence: no overlong forms, no encoded
  // surrogates, nothing above U+10FFFF.
  std::uint32_t Utf8CodePoint() {
    const unsigned char lead = static_cast<unsigned char>(line_[pos_++]);
    int more;
    std::uint32_t cp;
    std::uint32_t minimum;
    if (lead < 0x80) return lead;
    if ((lead & 0xE0) == 0xC0) {
      more = 1, cp = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
      more = 2, cp = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
      more = 3, cp = lead & 0x07, minimum = 0x10000;
    } else {
      Fail("invalid UTF-8");
    }
    for (int i = 0; i < more; ++i) {
      if (pos_ >= line_.size() || (static_cast<unsigned char>(line_[pos_]) & 0xC0) != 0x80) Fail("invalid UTF-8");
      cp = (cp << 6) | (static_cast<unsigned char>(line_[pos_++]) & 0x3F);
    }
    if (cp < minimum || cp > 0x10FFFF || IsHighSurrogate(cp) || IsLowSurrogate(cp)) Fail("invalid UTF-8");
    return cp;
  }

  std::string_view line_;
  std::size_t pos_ = 0;
};

bool StartsWithWord(std::string_view line, std::string_view word) {
  return line.substr(0, word.size()) == word && (line.size() == word.size() || line[word.size()] == ' ');
}

// The registry compares names without regard to letter case; two names
// that differ only so would land in one key or value.
std::wstring Folded(const std::wstring& name) {
  std::wstring folded(name);
  for (wchar_t& c : folded) {
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
  }
  return folded;
}

class SnapshotParser {
 public:
  explicit SnapshotParser(std::string_view bytes) : bytes_(bytes) {}

  SnapshotKey Parse() {
    if (NextLine() != kSignature()) Fail("not a snapshot text");
    std::string_view line = NextLine();
    if (line != kKeyWord) Fail("the first key must be the root");
    AddKey({});
    for (;;) {
      const std::size_t lineStart = pos_;
      line = NextLine();
      if (StartsWithWord(line, kKeyWord)) {
        AddKey(KeyPath(line));
      } else if (StartsWithWord(line, kValueWord)) {
        AddValue(line);
      } else if (StartsWithWord(line, kEndWord)) {
        CheckEnd(line, bytes_.substr(0, lineStart));
        return Build(0);
      } else {
        Fail("unknown line");
      }
    }
  }

  std::size_t LineNumber() const { return lineNumber_; }

 private:
  struct FlatKey {
    std::wstring name;
    std::vector<SnapshotValue> values;
    std::set<std::wstring> valueNames;  // folded
    std::vector<std::size_t> children;
  };

  static std::string_view kSignature() { return kSnapshotTextSignature; }

  [[noreturn]] void Fail(std::string what) const { throw ParseError{std::move(what)}; }

  std::string_view NextLine() {
    const std::size_t end = bytes_.find(kLineEnd, pos_);
    ++lineNumber_;
    if (end == std::string_view::npos) Fail("the text ends inside a line");
    std::string_view line = bytes_.substr(pos_, end - pos_);
    pos_ = end + kLineEnd.size();
    return line;
  }

  std::vector<std::wstring> KeyPath(std::string_view line) {
    LineReader reader(line.substr(kKeyWord.size()));
    std::vector<std::wstring> path;
    while (!reader.AtEnd()) {
      reader.Expect(' ');
      path.push_back(reader.Quoted());
      if (path.size() > kSnapshotMaxDepth) Fail("keys nested too deeply");
    }
    if (path.empty()) Fail("a second root key");
    return path;
  }

  void AddKey(const std::vector<std::wstring>& path) {
    std::vector<std::wstring> folded;
    for (const std::wstring& part : path) folded.push_back(Folded(part));
    if (index_.count(folded) != 0) Fail("a key listed twice");
    std::size_t parent = 0;
    if (!path.empty()) {
      std::vector<std::wstring> parentPath(folded.begin(), folded.end() - 1);
      auto found = index_.find(parentPath);
      if (found == index_.end()) Fail("a key listed before its parent");
      parent = found->second;
    }
    keys_.push_back(FlatKey{path.empty() ? std::wstring() : path.back(), {}, {}, {}});
    const std::size_t added = keys_.size() - 1;
    if (!path.empty()) keys_[parent].children.push_back(added);
    index_.emplace(std::move(folded), added);
    current_ = added;
  }

  void AddValue(std::string_view line) {
    LineReader reader(line.substr(kValueWord.size()));
    SnapshotValue value;
    reader.Expect(' ');
    value.name = reader.Quoted();
    reader.Expect(' ');
    value.type = reader.Hex(8);
    reader.Expect(':');
    value.data = reader.HexBytes();
    FlatKey& key = keys_[current_];
    if (!key.valueNames.insert(Folded(value.name)).second) Fail("a value listed twice");
    key.values.push_back(std::move(value));
    ++valueCount_;
  }

  void CheckEnd(std::string_view line, std::string_view covered) {
    LineReader reader(line.substr(kEndWord.size()));
    reader.Expect(' ');
    const std::uint64_t keys = reader.Decimal();
    reader.Expect(' ');
    const std::uint64_t values = reader.Decimal();
    reader.Expect(' ');
    const std::uint32_t crc = reader.Hex(8);
    reader.ExpectEnd();
    if (keys != keys_.size() || values != valueCount_) Fail("the counts do not match the content");
    if (crc != SnapshotCrc32(covered)) Fail("the checksum does not match the content");
    if (pos_ != bytes_.size()) Fail("text after the end line");
  }

  // Depth is bounded by kSnapshotMaxDepth, so the recursion is too.
  SnapshotKey Build(std::size_t index) {
    FlatKey& flat = keys_[index];
    SnapshotKey key;
    key.name = std::move(flat.name);
    key.values = std::move(flat.values);
    key.subkeys.reserve(flat.children.size());
    for (std::size_t child : flat.children) key.subkeys.push_back(Build(child));
    return key;
  }

  std::string_view bytes_;
  std::size_t pos_ = 0;
  std::size_t lineNumber_ = 0;
  std::vector<FlatKey> keys_;
  std::map<std::vector<std::wstring>, std::size_t> index_;
  std::size_t current_ = 0;
  std::uint64_t valueCount_ = 0;
};

std::array<std::uint32_t, 256> MakeCrcTable() {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t n = 0; n < 256; ++n) {
    std::uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[n] = c;
  }
  return table;
}

}  // namespace

std::uint32_t SnapshotCrc32(std::string_view bytes) {
  static const std::array<std::uint32_t, 256> table = MakeCrcTable();
  std::uint32_t crc = 0xFFFFFFFFu;
  for (char c : bytes) crc = table[(crc ^ static_cast<unsigned char>(c)) & 0xFF] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

bool LooksLikeSnapshotText(std::string_view bytes) {
  return bytes.substr(0, kSnapshotTextSignature.size()) == kSnapshotTextSignature &&
         bytes.substr(kSnapshotTextSignature.size(), kLineEnd.size()) == kLineEnd;
}

std::string FormatSnapshotText(const SnapshotKey& root) {
  std::string out(kSnapshotTextSignature);
  out += kLineEnd;
  std::vector<const std::wstring*> path;
  std::size_t keys = 0;
  std::size_t values = 0;
  AppendKey(out, root, path, keys, values);
  const std::uint32_t crc = SnapshotCrc32(out);
  out += kEndWord;
  out += ' ' + std::to_string(keys) + ' ' + std::to_string(values) + ' ';
  AppendHex(out, crc, 8);
  out += kLineEnd;
  return out;
}

SnapshotParseResult ParseSnapshotText(std::string_view bytes) {
  SnapshotParseResult result;
  SnapshotParser parser(bytes);
  try {
    result.root = parser.Parse();
  } catch (const ParseError& error) {
    result.error = error.what;
    result.line = parser.LineNumber();
  }
  return result;
}

}  // namespace kip
