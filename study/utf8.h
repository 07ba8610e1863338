// UTF-8 in texts taken from logs (labels, file names), which may hold any
// bytes.
#pragma once

namespace gridcmp {

// The length of the well-formed UTF-8 sequence of two to four bytes at
// `text` (shortest form, no surrogates, at most U+10FFFF), or 0 when the
// bytes there are not one.
int utf8SequenceLength(const unsigned char* text);

}  // namespace gridcmp
