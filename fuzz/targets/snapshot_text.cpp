// The snapshot text format, read from any bytes: a text that is read back
// is written and read again to the same tree, and written the same way.
#include "FuzzSupport.h"
#include "store/SnapshotText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kip;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const SnapshotParseResult parsed = ParseSnapshotText(bytes);
  if (!parsed.ok()) return 0;
  KIP_FUZZ_REQUIRE(LooksLikeSnapshotText(bytes));
  const std::string written = FormatSnapshotText(parsed.root);
  const SnapshotParseResult again = ParseSnapshotText(written);
  KIP_FUZZ_REQUIRE(again.ok());
  KIP_FUZZ_REQUIRE(again.root == parsed.root);
  KIP_FUZZ_REQUIRE(FormatSnapshotText(again.root) == written);
  return 0;
}
