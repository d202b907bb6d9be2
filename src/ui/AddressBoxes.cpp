#include "ui/AddressBoxes.h"

#include "util/Text.h"

namespace kip {

namespace {

std::wstring OctetRangeMessage(int lower, int upper) {
  return L"IPアドレスは " + std::to_wstring(lower) + L"から" + std::to_wstring(upper) + L"までです.";
}

BoxLimit OctetLimit(int lower, int upper) {
  std::wstring message = OctetRangeMessage(lower, upper);
  return {lower, upper, message, message};
}

}  // namespace

long long BoxValue(std::wstring_view box) { return ToIntDef(box, 0); }

void FillBoxTexts(BoxTexts& boxes, std::wstring_view dotted, size_t first, size_t groupSize) {
  for (size_t i = first; i < first + groupSize && i < boxes.size(); ++i) boxes[i].clear();
  size_t box = first;
  for (wchar_t c : dotted) {
    if (c == L'.') {
      ++box;
    } else if (box < boxes.size()) {
      boxes[box] += c;
    }
  }
}

std::wstring ComposeAddress(const BoxTexts& boxes, size_t first) {
  std::wstring address;
  for (size_t i = first; i < first + 4; ++i) {
    if (i > first) address += L'.';
    address += ComposeNumber(i < boxes.size() ? std::wstring_view(boxes[i]) : std::wstring_view());
  }
  return address;
}

std::wstring ComposeNumber(std::wstring_view box) { return std::to_wstring(BoxValue(box)); }

std::optional<RangeFailure> FirstOutOfRange(const BoxTexts& boxes, std::span<const BoxLimit> limits) {
  for (size_t i = 0; i < boxes.size() && i < limits.size(); ++i) {
    long long value = BoxValue(boxes[i]);
    if (value < limits[i].lower) return RangeFailure{i, limits[i].belowMessage};
    if (value > limits[i].upper) return RangeFailure{i, limits[i].aboveMessage};
  }
  return std::nullopt;
}

std::vector<BoxLimit> AddressLimits() {
  // A host address: the first octet ends below the multicast range, the last
  // is neither a network (0) nor a broadcast (255) address. Its message names
  // the range it checks, 1 to 254, both when the value is too low and too
  // high.
  return {OctetLimit(0, 223), OctetLimit(0, 255), OctetLimit(0, 255), OctetLimit(1, 254)};
}

std::vector<BoxLimit> MaskLimits() { return std::vector<BoxLimit>(4, OctetLimit(0, 255)); }

BoxLimit MetricLimit() { return {1, 9999, L"メトリックは 1以上です.", L"メトリックは 1から9999までです."}; }

}  // namespace kip
