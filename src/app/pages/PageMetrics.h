// Measures the pages share, in dialog units of the window font.
#pragma once

namespace kip {

// Width of the group boxes and full-width rows on a page.
inline constexpr int kPageWidth = 302;

}  // namespace kip
