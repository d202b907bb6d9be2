// Stand-ins for the Win32 calls of compat/windows.h (see there).
#include "windows.h"

#include <cwctype>
#include <string>

namespace {

// Latin-1 stands for the ANSI code page: U+0000..U+00FF as one byte each,
// everything else as '?'.
std::string Encode(UINT codePage, const wchar_t* text, int length, bool& usedDefault) {
  std::string out;
  usedDefault = false;
  for (int i = 0; i < length; ++i) {
    const auto c = static_cast<std::uint32_t>(text[i]) & 0xFFFF;
    if (codePage != CP_UTF8) {
      usedDefault = usedDefault || c > 0xFF;
      out += c <= 0xFF ? static_cast<char>(c) : '?';
    } else if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

// Latin-1, or UTF-8 of up to three bytes a character ('?' for anything else).
std::wstring Decode(UINT codePage, const char* bytes, int length) {
  std::wstring out;
  for (int i = 0; i < length; ++i) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    if (codePage != CP_UTF8 || b < 0x80) {
      out += static_cast<wchar_t>(b);
      continue;
    }
    const int extra = b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : -1;
    if (extra < 0 || i + extra >= length) {
      out += L'?';
      continue;
    }
    std::uint32_t c = b & (extra == 2 ? 0x0F : 0x1F);
    for (int k = 1; k <= extra; ++k) c = (c << 6) | (static_cast<unsigned char>(bytes[i + k]) & 0x3F);
    out += static_cast<wchar_t>(c);
    i += extra;
  }
  return out;
}

template <typename Text>
int Deliver(const Text& text, typename Text::value_type* out, int outSize) {
  const int size = static_cast<int>(text.size());
  if (outSize == 0) return size;
  if (outSize < size) return 0;
  text.copy(out, text.size());
  return size;
}

}  // namespace

UINT GetACP() { return 28591; }

int WideCharToMultiByte(UINT codePage, DWORD, const wchar_t* text, int length, char* out, int outSize, const char*,
                        BOOL* usedDefaultChar) {
  bool usedDefault = false;
  const std::string bytes = Encode(codePage, text, length, usedDefault);
  if (usedDefaultChar) *usedDefaultChar = usedDefault;
  return Deliver(bytes, out, outSize);
}

int MultiByteToWideChar(UINT codePage, DWORD, const char* bytes, int length, wchar_t* out, int outSize) {
  return Deliver(Decode(codePage, bytes, length), out, outSize);
}

DWORD CharLowerBuffW(wchar_t* text, DWORD length) {
  for (DWORD i = 0; i < length; ++i) text[i] = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(text[i])));
  return length;
}

DWORD CharUpperBuffW(wchar_t* text, DWORD length) {
  for (DWORD i = 0; i < length; ++i) text[i] = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(text[i])));
  return length;
}

int CompareStringW(LCID, DWORD flags, const wchar_t* a, int aLength, const wchar_t* b, int bLength) {
  const auto fold = [flags](wchar_t c) {
    return (flags & NORM_IGNORECASE) ? std::towlower(static_cast<wint_t>(c)) : static_cast<wint_t>(c);
  };
  for (int i = 0; i < aLength && i < bLength; ++i) {
    if (fold(a[i]) != fold(b[i])) return fold(a[i]) < fold(b[i]) ? CSTR_LESS_THAN : CSTR_GREATER_THAN;
  }
  if (aLength == bLength) return CSTR_EQUAL;
  return aLength < bLength ? CSTR_LESS_THAN : CSTR_GREATER_THAN;
}
