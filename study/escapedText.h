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

// Puts the escaped text at `buffer`, which holds `capacity` bytes (no NUL
// is written): its length, or -1 where it does not fit.
int putEscapedText(char* buffer, int capacity, const char* text);

}  // namespace gridcmp
