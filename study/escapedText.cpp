#include "study/escapedText.h"

namespace gridcmp {

namespace {

// The escape for one byte, or nullptr for a byte that stands for itself.
const char* escapeOf(unsigned char byte, char (&hex)[5]) {
    switch (byte) {
        case '\\': return "\\\\";
        case '\t': return "\\t";
        case '\r': return "\\r";
        case '\n': return "\\n";
        default: break;
    }
    if (byte >= 0x20 && byte != 0x7F) return nullptr;
    std::snprintf(hex, sizeof hex, "\\x%02X", byte);
    return hex;
}

}  // namespace

std::string escapedText(const char* text) {
    std::string escaped;
    char hex[5];
    for (const char* c = text; *c; ++c) {
        const char* escape = escapeOf(static_cast<unsigned char>(*c), hex);
        if (escape) {
            escaped += escape;
        } else {
            escaped += *c;
        }
    }
    return escaped;
}

void writeEscapedText(std::FILE* out, const char* text) {
    char hex[5];
    for (const char* c = text; *c; ++c) {
        const char* escape = escapeOf(static_cast<unsigned char>(*c), hex);
        if (escape) {
            std::fputs(escape, out);
        } else {
            std::fputc(*c, out);
        }
    }
}

}  // namespace gridcmp
