#include "util/MultiString.h"

namespace kip {

// The data is little-endian UTF-16 whatever the width of wchar_t where this
// is built; each wchar_t holds one code unit.
namespace {

constexpr size_t kUnitSize = 2;

void AppendUnit(std::vector<std::uint8_t>& bytes, wchar_t unit) {
  const auto value = static_cast<std::uint32_t>(unit);
  bytes.push_back(static_cast<std::uint8_t>(value & 0xFF));
  bytes.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

}  // namespace

std::vector<std::uint8_t> EncodeMultiString(const StringList& list) {
  std::vector<std::uint8_t> bytes;
  for (const std::wstring& entry : list) {
    for (wchar_t unit : entry) AppendUnit(bytes, unit);
    AppendUnit(bytes, L'\0');
  }
  AppendUnit(bytes, L'\0');
  return bytes;
}

StringList DecodeMultiString(const std::uint8_t* data, size_t size) {
  StringList list;
  std::wstring entry;
  for (size_t offset = 0; offset + kUnitSize <= size; offset += kUnitSize) {
    const auto unit = static_cast<wchar_t>(data[offset] | (data[offset + 1] << 8));
    if (unit != L'\0') {
      entry += unit;
      continue;
    }
    if (!IsBlank(entry)) list.push_back(entry);
    entry.clear();
  }
  return list;
}

}  // namespace kip
