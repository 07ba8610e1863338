#include "gridlog/cellValue.h"

#include <charconv>
#include <cstdlib>

namespace {

bool isPlainDecimalCharacter(char c) {
    return (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E';
}

}  // namespace

double otherCellValue(char* token) {
    char* end = token;
    bool plainCharacters = true;
    while (*end != ' ' && *end != '\0') plainCharacters &= isPlainDecimalCharacter(*end++);

    // from_chars rounds decimals correctly, as strtod does, and is faster on long
    // ones; it takes no "+", hex, inf or nan, and declines values out of range.
    // Only a whole token of plain characters is trusted to it.
    if (plainCharacters && *token != '+') {
        double value = 0.0;
        std::from_chars_result result = std::from_chars(token, end, value);
        if (result.ec == std::errc() && result.ptr == end) return value;
    }
    // strtod on the token alone: a NUL in place of the blank after it.
    char saved = *end;
    *end = '\0';
    double value = std::strtod(token, nullptr);
    *end = saved;
    return value;
}
