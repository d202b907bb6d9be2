// The entry boxes of the address dialogs as plain texts: spreading a dotted
// text over the boxes, composing list cells from them, and their ranges.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kip {

// The texts of a dialog's boxes in tab order (box 1 at index 0).
using BoxTexts = std::vector<std::wstring>;

// The number a box stands for: its decimal value, 0 for empty or
// non-numeric text.
long long BoxValue(std::wstring_view box);

// Empties the `groupSize` boxes from index `first`, then spreads the dotted
// text over the boxes from `first` on: each "." moves on to the next box, any
// other character is appended to the current one. Characters that would go
// past the last box are dropped; a text with fewer dots leaves later boxes
// empty.
void FillBoxTexts(BoxTexts& boxes, std::wstring_view dotted, size_t first, size_t groupSize);

// The dotted address of the four boxes from index `first`, each written as
// its BoxValue ('010', '0', '', 'x' give "10.0.0.0"). No range test.
std::wstring ComposeAddress(const BoxTexts& boxes, size_t first);
// The decimal text of one box's BoxValue (the metric column).
std::wstring ComposeNumber(std::wstring_view box);

// The values a box accepts on OK, and what the user is told otherwise.
struct BoxLimit {
  long long lower = 0;
  long long upper = 0;
  std::wstring belowMessage;
  std::wstring aboveMessage;
};

struct RangeFailure {
  size_t box = 0;  // index into the box texts
  std::wstring message;
};

// The first box, in tab order, whose value lies outside its limit.
std::optional<RangeFailure> FirstOutOfRange(const BoxTexts& boxes, std::span<const BoxLimit> limits);

// The limits of the four boxes of an address (223, 255, 255, and 1 to 254),
// of the four boxes of a mask (255 each), and of the metric box (1 to 9999).
std::vector<BoxLimit> AddressLimits();
std::vector<BoxLimit> MaskLimits();
BoxLimit MetricLimit();

}  // namespace kip
