// Multi-string data as the registry may hold it (no terminator, odd sizes,
// blank entries): decoding keeps no blank entry and no NUL, and what it
// keeps encodes and decodes back unchanged.
#include "FuzzSupport.h"
#include "util/MultiString.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kip;
  const StringList entries = DecodeMultiString(data, size);
  for (const std::wstring& entry : entries) {
    KIP_FUZZ_REQUIRE(!IsBlank(entry));
    KIP_FUZZ_REQUIRE(entry.find(L'\0') == std::wstring::npos);
  }
  const std::vector<std::uint8_t> encoded = EncodeMultiString(entries);
  KIP_FUZZ_REQUIRE(encoded.size() % 2 == 0 && encoded.size() >= 2);
  KIP_FUZZ_REQUIRE(DecodeMultiString(encoded.data(), encoded.size()) == entries);
  return 0;
}
