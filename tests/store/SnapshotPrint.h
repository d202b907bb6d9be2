// Test failures show a snapshot tree as its snapshot text.
#pragma once

#include <ostream>

#include "store/SnapshotText.h"

namespace kip {

inline void PrintTo(const SnapshotKey& key, std::ostream* out) { *out << "\n" << FormatSnapshotText(key); }

}  // namespace kip
