// Reads of one stored value that may be missing or of another type: the
// caller gets nothing then and keeps what it had.
#pragma once

#include <optional>
#include <string_view>

#include "util/Guard.h"
#include "util/kRegistry.h"

namespace kip {

inline std::optional<int> OptionalInteger(const TkRegistry& registry, std::wstring_view name) {
  std::optional<int> value;
  RunGuarded([&] { value = registry.ReadInteger(name); });
  return value;
}

}  // namespace kip
