#include "util/Ipv4Text.h"

namespace kip {

bool ParseIpv4(std::wstring_view text, uint32_t& address) {
  uint32_t result = 0;
  int parts = 0;
  size_t at = 0;
  while (parts < 4) {
    size_t digits = 0;
    uint32_t part = 0;
    while (at < text.size() && text[at] >= L'0' && text[at] <= L'9' && digits < 3) {
      part = part * 10 + static_cast<uint32_t>(text[at] - L'0');
      ++at;
      ++digits;
    }
    if (digits == 0 || part > 255) return false;
    result = (result << 8) | part;
    ++parts;
    if (parts < 4) {
      if (at >= text.size() || text[at] != L'.') return false;
      ++at;
    }
  }
  if (at != text.size()) return false;
  address = result;
  return true;
}

std::wstring FormatIpv4(uint32_t address) {
  return std::to_wstring(address >> 24) + L"." + std::to_wstring((address >> 16) & 255) + L"." +
         std::to_wstring((address >> 8) & 255) + L"." + std::to_wstring(address & 255);
}

}  // namespace kip
