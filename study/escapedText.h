// Texts taken from a log (labels, file names) as they can stand in one field
// of one line of UTF-8 text that any tab-separated reader splits alike:
// backslash, tab, carriage return, newline, the other control characters,
// the double quote and bytes that are not UTF-8 written as \\, \t, \r, \n
// and \xNN; everything else as it is. No two texts are written alike.
#pragma once

#include <cstdio>
#include <string>

namespace gridcmp {

std::string escapedText(const char* text);

void writeEscapedText(std::FILE* out, const char* text);

}  // namespace gridcmp
