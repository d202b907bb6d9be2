#include "util/Text.h"

#include <windows.h>

#include <algorithm>

namespace kip {

namespace {

bool IsBlankChar(wchar_t c) { return c <= L' '; }

bool NeedsQuotes(std::wstring_view item) {
  return item.empty() ||
         std::any_of(item.begin(), item.end(), [](wchar_t c) { return IsBlankChar(c) || c == L'"' || c == L','; });
}

std::wstring Quote(std::wstring_view item) {
  std::wstring out = L"\"";
  for (wchar_t c : item) {
    if (c == L'"') out += L'"';
    out += c;
  }
  out += L'"';
  return out;
}

std::string Narrow(UINT codePage, std::wstring_view text, DWORD flags = 0) {
  if (text.empty()) return {};
  int size = WideCharToMultiByte(codePage, flags, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                 nullptr, nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(codePage, flags, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr,
                      nullptr);
  return out;
}

std::wstring Widen(UINT codePage, std::string_view bytes) {
  if (bytes.empty()) return {};
  int size = MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), out.data(), size);
  return out;
}

}  // namespace

std::wstring Trim(std::wstring_view text) {
  size_t first = 0, end = text.size();
  while (first < end && IsBlankChar(text[first])) ++first;
  while (end > first && IsBlankChar(text[end - 1])) --end;
  return std::wstring(text.substr(first, end - first));
}

bool IsBlank(std::wstring_view text) { return std::all_of(text.begin(), text.end(), IsBlankChar); }

std::wstring JoinCommaText(const StringList& items) {
  std::wstring out;
  for (size_t i = 0; i < items.size(); ++i) {
    if (i > 0) out += L',';
    out += NeedsQuotes(items[i]) ? Quote(items[i]) : items[i];
  }
  return out;
}

StringList SplitCommaText(std::wstring_view text) {
  StringList items;
  size_t pos = 0;
  auto skipBlanks = [&] {
    while (pos < text.size() && IsBlankChar(text[pos])) ++pos;
  };
  skipBlanks();
  while (pos < text.size()) {
    std::wstring item;
    if (text[pos] == L'"') {
      ++pos;
      while (pos < text.size()) {
        if (text[pos] == L'"') {
          if (pos + 1 < text.size() && text[pos + 1] == L'"') {
            item += L'"';
            pos += 2;
            continue;
          }
          ++pos;
          break;
        }
        item += text[pos++];
      }
    }
    // An unquoted item, or anything glued to the closing quote of a quoted
    // one: up to the next blank or comma.
    while (pos < text.size() && !IsBlankChar(text[pos]) && text[pos] != L',') item += text[pos++];
    items.push_back(std::move(item));
    skipBlanks();
    if (pos < text.size() && text[pos] == L',') {
      ++pos;
      skipBlanks();
      // A trailing comma still separates: an empty last item.
      if (pos >= text.size()) items.emplace_back();
    }
  }
  return items;
}

std::wstring ToLower(std::wstring_view text) {
  std::wstring out(text);
  if (!out.empty()) CharLowerBuffW(out.data(), static_cast<DWORD>(out.size()));
  return out;
}

bool EqualsNoCase(std::wstring_view a, std::wstring_view b) {
  return a.size() == b.size() && ToLower(a) == ToLower(b);
}

bool StartsWith(std::wstring_view text, std::wstring_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

std::string ToAnsi(std::wstring_view text) { return Narrow(CP_ACP, text); }
std::wstring FromAnsi(std::string_view bytes) { return Widen(CP_ACP, bytes); }

std::string ToAnsiWithoutBestFit(std::wstring_view text) {
  // UTF-8 has no best fit, and refuses the flag.
  const UINT codePage = GetACP();
  return Narrow(codePage, text, codePage == CP_UTF8 || codePage == CP_UTF7 ? 0 : WC_NO_BEST_FIT_CHARS);
}

bool FitsAnsiCodePage(std::wstring_view text) { return FromAnsi(ToAnsiWithoutBestFit(text)) == text; }

std::string ToUtf8(std::wstring_view text) { return Narrow(CP_UTF8, text); }
std::wstring FromUtf8(std::string_view bytes) { return Widen(CP_UTF8, bytes); }

StringList SplitLines(std::wstring_view text) {
  StringList lines;
  std::wstring current;
  for (size_t i = 0; i < text.size(); ++i) {
    wchar_t c = text[i];
    if (c == L'\r' || c == L'\n') {
      lines.push_back(std::move(current));
      current.clear();
      if (c == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') ++i;
    } else {
      current += c;
    }
  }
  if (!current.empty()) lines.push_back(std::move(current));
  return lines;
}

std::wstring JoinLines(const StringList& lines) {
  std::wstring out;
  for (const auto& line : lines) {
    out += line;
    out += L"\r\n";
  }
  return out;
}

long long ToIntDef(std::wstring_view text, long long fallback) {
  std::wstring trimmed = Trim(text);
  if (trimmed.empty()) return fallback;
  size_t pos = 0;
  bool negative = false;
  if (trimmed[0] == L'+' || trimmed[0] == L'-') {
    negative = trimmed[0] == L'-';
    pos = 1;
  }
  if (pos >= trimmed.size()) return fallback;
  long long value = 0;
  for (; pos < trimmed.size(); ++pos) {
    wchar_t c = trimmed[pos];
    if (c < L'0' || c > L'9') return fallback;
    if (value > (0x7FFFFFFFFFFFFFFFLL - (c - L'0')) / 10) return fallback;
    value = value * 10 + (c - L'0');
  }
  return negative ? -value : value;
}

}  // namespace kip
