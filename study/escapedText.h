// Texts taken from a log (labels, file names) as they can stand in one field
// of one line: backslash, tab, carriage return, newline and the other control
// characters written as \\, \t, \r, \n and \xNN; every other byte as it is.
#pragma once

#include <cstdio>
#include <string>

namespace gridcmp {

std::string escapedText(const char* text);

void writeEscapedText(std::FILE* out, const char* text);

}  // namespace gridcmp
