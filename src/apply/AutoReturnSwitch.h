// The switch that starts the program as the helper of a commit with
// automatic return, and the form of the token it names; shared by the
// helper's starter and the command line. Pure: no Win32.
#pragma once

#include <algorithm>
#include <string>

namespace kip {

inline constexpr wchar_t kAutoReturnSwitch[] = L"/autoreturn";

// Digits and "-" only, and short: the token names a store key and events.
inline bool IsReturnToken(const std::wstring& token) {
  return !token.empty() && token.size() < 64 &&
         std::all_of(token.begin(), token.end(), [](wchar_t c) { return (c >= L'0' && c <= L'9') || c == L'-'; });
}

}  // namespace kip
