// Comma text: whatever is split joins and splits back to the same items, and
// any list of items survives joining and splitting.
#include "FuzzSupport.h"
#include "util/Text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kip;
  const std::wstring text = fuzz::Utf16Units(data, size);

  const StringList items = SplitCommaText(text);
  KIP_FUZZ_REQUIRE(SplitCommaText(JoinCommaText(items)) == items);

  // The same units as a list of items of their own, cut at '|'.
  const StringList list = fuzz::Parts(text, L'|');
  KIP_FUZZ_REQUIRE(SplitCommaText(JoinCommaText(list)) == list);
  return 0;
}
