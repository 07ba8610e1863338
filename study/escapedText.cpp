#include "study/escapedText.h"

#include <cstring>

#include "study/utf8.h"

namespace gridcmp {

namespace {

// Appends the text, escaped, through `put` (a piece of text and its length).
template <typename Put>
void escape(const char* text, Put put) {
    const unsigned char* c = reinterpret_cast<const unsigned char*>(text);
    char hex[5];
    while (*c) {
        switch (*c) {
            case '\\': put("\\\\", 2); ++c; continue;
            case '\t': put("\\t", 2); ++c; continue;
            case '\r': put("\\r", 2); ++c; continue;
            case '\n': put("\\n", 2); ++c; continue;
            default: break;
        }
        // A double quote opens a quoted field for CSV readers (pandas, R):
        // written as \x22, a field never holds one.
        if (*c >= 0x20 && *c < 0x7F && *c != '"') {
            put(reinterpret_cast<const char*>(c), 1);
            ++c;
            continue;
        }
        int length = *c >= 0x80 ? utf8SequenceLength(c) : 0;
        if (length > 0) {
            put(reinterpret_cast<const char*>(c), length);
            c += length;
            continue;
        }
        std::snprintf(hex, sizeof hex, "\\x%02X", *c);
        put(hex, 4);
        ++c;
    }
}

}  // namespace

std::string escapedText(const char* text) {
    std::string escaped;
    escape(text, [&escaped](const char* piece, int length) { escaped.append(piece, length); });
    return escaped;
}

void writeEscapedText(std::FILE* out, const char* text) {
    escape(text, [out](const char* piece, int length) { std::fwrite(piece, 1, length, out); });
}

int putEscapedText(char* buffer, int capacity, const char* text) {
    int length = 0;
    escape(text, [buffer, capacity, &length](const char* piece, int size) {
        if (length < 0) return;
        if (size > capacity - length) {
            length = -1;
            return;
        }
        std::memcpy(buffer + length, piece, size);
        length += size;
    });
    return length;
}

}  // namespace gridcmp
