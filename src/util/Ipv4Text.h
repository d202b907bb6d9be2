// Dotted-decimal IPv4 addresses as host-order numbers, and back.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kip {

// "a.b.c.d" (each part 0 to 255, at most three digits) to a host-order
// address; false for anything else.
bool ParseIpv4(std::wstring_view text, uint32_t& address);
std::wstring FormatIpv4(uint32_t address);

}  // namespace kip
