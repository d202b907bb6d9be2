// Multi-string data (REG_MULTI_SZ) as bytes: UTF-16 entries, each followed
// by NUL, one more NUL at the end. Pure: bytes in, entries out (and back).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "util/Text.h"

namespace kip {

// The encoding of the list; an empty list is a single NUL.
std::vector<std::uint8_t> EncodeMultiString(const StringList& list);
// The entries of multi-string data: at each NUL the collected entry is kept
// (untrimmed) unless it is blank; text after the last NUL is not kept; an odd
// trailing byte is ignored.
StringList DecodeMultiString(const std::uint8_t* data, size_t size);

}  // namespace kip
