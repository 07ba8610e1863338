#include "gridlog/cellValue.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>

#include "platform/classicLocale.h"

namespace gridcmp {

namespace {

#ifdef __cpp_lib_to_chars
bool isPlainDecimalCharacter(char c) {
    return (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E';
}
#endif

// The white space strtod skips in the C locale (isspace would follow the
// caller's locale).
bool isCSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

}  // namespace

double otherCellValue(const char* token) {
    const char* end = token;
    while (*end != ' ' && *end != '\0') ++end;

#ifdef __cpp_lib_to_chars
    // from_chars rounds decimals correctly, as strtod does, and is faster on long
    // ones; it takes no "+", hex, inf or nan, and declines values out of range.
    // Only a whole token of plain characters is trusted to it. (Some C++
    // libraries, libc++ among them, have no from_chars for doubles.)
    if (*token != '+' && std::all_of(token, end, isPlainDecimalCharacter)) {
        double value = 0.0;
        std::from_chars_result result = std::from_chars(token, end, value);
        if (result.ec == std::errc() && result.ptr == end) return value;
    }
#endif
    // strtod straight on the line: the blank after the token never continues a
    // number, so it stops there. Only the white space it skips before the
    // number could run past the token: a token of white space alone has no
    // number, and is 0.
    const char* number = token;
    while (number < end && isCSpace(*number)) ++number;
    if (number == end) return 0.0;
    ClassicLocaleScope classic;  // a decimal point, whatever the caller's locale
    return std::strtod(number, nullptr);
}

}  // namespace gridcmp
