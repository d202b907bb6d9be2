// Shared by the fuzz targets: inputs read as UTF-16 code units (as the
// program's texts are on Windows) and checks that stop the run loudly.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace kip::fuzz {

// Two bytes a unit, little-endian; an odd last byte is dropped.
inline std::wstring Utf16Units(const std::uint8_t* data, std::size_t size) {
  std::wstring text;
  text.reserve(size / 2);
  for (std::size_t i = 0; i + 1 < size; i += 2) text += static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
  return text;
}

// The parts of the text between separators (an empty text has none).
inline std::vector<std::wstring> Parts(std::wstring_view text, wchar_t separator) {
  std::vector<std::wstring> parts;
  if (text.empty()) return parts;
  for (std::size_t from = 0;;) {
    const std::size_t at = text.find(separator, from);
    parts.emplace_back(text.substr(from, at == std::wstring_view::npos ? std::wstring_view::npos : at - from));
    if (at == std::wstring_view::npos) return parts;
    from = at + 1;
  }
}

// A broken property: libFuzzer keeps the input that did it.
#define KIP_FUZZ_REQUIRE(condition)                                                             \
  do {                                                                                          \
    if (!(condition)) {                                                                         \
      std::fprintf(stderr, "%s:%d: property broken: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                             \
    }                                                                                           \
  } while (0)

}  // namespace kip::fuzz
