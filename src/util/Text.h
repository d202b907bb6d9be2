// Text helpers shared by every subsystem: trimming, comma text, case,
// conversion to and from the ANSI code page and UTF-8.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kip {

using StringList = std::vector<std::wstring>;

// Removes leading and trailing blanks and control characters (code <= 32).
std::wstring Trim(std::wstring_view text);
// True when the text is empty after trimming.
bool IsBlank(std::wstring_view text);

// Comma text: items joined by commas; an item that is empty or holds a blank,
// a control character, a double quote or a comma is put in double quotes with
// its double quotes doubled.
std::wstring JoinCommaText(const StringList& items);
// Splits comma text: at commas and, outside quotes, at blanks; a quoted item
// may hold either. Empty items between two commas are kept, blanks around
// separators are skipped.
StringList SplitCommaText(std::wstring_view text);

std::wstring ToLower(std::wstring_view text);
bool EqualsNoCase(std::wstring_view a, std::wstring_view b);
bool StartsWith(std::wstring_view text, std::wstring_view prefix);

// Code-page conversions. The ANSI code page is the system's (932 on a
// Japanese machine); it is used for the two files Windows tools read.
std::string ToAnsi(std::wstring_view text);
std::wstring FromAnsi(std::string_view bytes);
// ToAnsi without best-fit substitutes: a character the code page lacks
// becomes its default character ("?"), never a look-alike ("＂" is '"' by
// best fit on code page 1252).
std::string ToAnsiWithoutBestFit(std::wstring_view text);
// True when the text converts to the ANSI code page and back unchanged.
bool FitsAnsiCodePage(std::wstring_view text);
std::string ToUtf8(std::wstring_view text);
std::wstring FromUtf8(std::string_view bytes);

// Lines of a text split at CR LF, lone CR or lone LF; a final line break does
// not make an extra empty line.
StringList SplitLines(std::wstring_view text);
// Lines joined with CR LF after each line (the form Windows memos and batch
// files use).
std::wstring JoinLines(const StringList& lines);

// Decimal integer of the whole text, or the fallback for empty or non-numeric
// text (leading and trailing blanks allowed, optional sign).
long long ToIntDef(std::wstring_view text, long long fallback);

}  // namespace kip
