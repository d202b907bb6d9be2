// The address dialogs' boxes filled from a dotted text: the first three
// units choose the number of boxes, the first box and the group size; the
// rest is the text. Every box before the first keeps its text, a box of the
// group holds its part of the text alone, a later box its old text with its
// part appended; no box holds a dot.
#include "FuzzSupport.h"
#include "ui/AddressBoxes.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kip;
  if (size < 3) return 0;
  const size_t count = data[0] % 13, first = data[1] % 16, group = data[2] % 16;
  const std::wstring dotted = fuzz::Utf16Units(data + 3, size - 3);

  BoxTexts boxes(count);
  for (size_t i = 0; i < count; ++i) boxes[i] = L"old" + std::to_wstring(i);
  const BoxTexts before = boxes;
  FillBoxTexts(boxes, dotted, first, group);

  const std::vector<std::wstring> parts = dotted.empty() ? std::vector<std::wstring>{L""} : fuzz::Parts(dotted, L'.');
  for (size_t i = 0; i < count; ++i) {
    KIP_FUZZ_REQUIRE(boxes[i].find(L'.') == std::wstring::npos);
    if (i < first) {
      KIP_FUZZ_REQUIRE(boxes[i] == before[i]);
      continue;
    }
    const std::wstring part = i - first < parts.size() ? parts[i - first] : std::wstring();
    KIP_FUZZ_REQUIRE(boxes[i] == (i < first + group ? part : before[i] + part));
  }

  const std::wstring address = ComposeAddress(boxes, first);
  KIP_FUZZ_REQUIRE(fuzz::Parts(address, L'.').size() == 4);
  for (const auto& limits : {AddressLimits(), MaskLimits()}) {
    const auto failure = FirstOutOfRange(boxes, limits);
    if (failure) {
      KIP_FUZZ_REQUIRE(failure->box < boxes.size() && failure->box < limits.size());
      const long long value = BoxValue(boxes[failure->box]);
      KIP_FUZZ_REQUIRE(value < limits[failure->box].lower || value > limits[failure->box].upper);
    }
  }
  return 0;
}
