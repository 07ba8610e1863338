// Conversion of one cell token to its value.
#pragma once

// The value of the token [first, last) exactly as atof gives it for that token
// alone, bit for bit: leading white space skipped, the longest prefix that reads
// as a floating-point number taken (decimal, hex, inf, nan), 0.0 when there is
// none. Plain decimals take a fast exact path; every other form goes to strtod.
// Expects *last to be writable (it is briefly replaced by a NUL on the slow
// path and restored).
double cellValue(char* first, char* last);
