#include "study/studyCells.h"

#include <charconv>
#include <cmath>
#include <cstring>

#include "study/escapedText.h"
#include "study/studyTable.h"

namespace gridcmp {

namespace {

// A row pair of a 1440-column grid is 1440 lines of some 90 characters, and
// a map of four runs millions of them: each line is put together in a buffer
// and written at once, its run and label escaped once for the row pair.
constexpr int kLineCapacity = 1024;
// What a line needs after its run and label: two tabs, a row and a column
// (at most 20 and 11 characters), four numbers of at most 24 characters
// ("-2.2250738585072014e-308") with their tabs, and the newline.
constexpr int kNumbersRoom = 2 + 20 + 11 + 4 * (1 + 24) + 1;

#ifdef __cpp_lib_to_chars
// Puts `value` at `at` as writeTableNumber writes it: "%.17g", which
// to_chars gives byte for byte (it is defined as printf's conversion), and
// "nan" whatever the sign bit.
char* putNumber(char* at, char* end, double value) {
    if (std::isnan(value)) {
        std::memcpy(at, "nan", 3);
        return at + 3;
    }
    return std::to_chars(at, end, value, std::chars_format::general, 17).ptr;
}
#else
char* putNumber(char* at, char* end, double value) {
    if (std::isnan(value)) {
        std::memcpy(at, "nan", 3);
        return at + 3;
    }
    return at + std::snprintf(at, end - at, "%.17g", value);
}
#endif

// The escaped run and label, a tab between them, at the start of `line`:
// their length, or -1 where they do not fit beside the numbers.
int putRunAndLabel(char* line, const char* run, const char* label) {
    const int room = kLineCapacity - kNumbersRoom;
    const int runLength = putEscapedText(line, room - 1, run);
    if (runLength < 0) return -1;
    line[runLength] = '\t';
    const int labelLength = putEscapedText(line + runLength + 1, room - runLength - 1, label);
    return labelLength < 0 ? -1 : runLength + 1 + labelLength;
}

}  // namespace

void writeCellsHeader(std::FILE* out) {
    std::fputs("run\tlabel\trow\tcolumn\toriginal\tquantized\tabsolute\trelative\n", out);
}

void writeCellsRows(std::FILE* out, const char* run, const RowPair& pair) {
    char line[kLineCapacity];
    const int prefix = putRunAndLabel(line, run, pair.label);
    for (int i = 0; i < pair.count; ++i) {
        const double numbers[] = {pair.original[i], pair.quantized[i], pair.terms->absolute[i],
                                  pair.terms->relative[i]};
        if (prefix < 0) {  // a run or label too long for the buffer: written piece by piece
            writeEscapedText(out, run);
            std::fputc('\t', out);
            writeEscapedText(out, pair.label);
            std::fprintf(out, "\t%lld\t%d", pair.row, i + 1);
            for (double number : numbers) {
                std::fputc('\t', out);
                writeTableNumber(out, number);
            }
            std::fputc('\n', out);
            continue;
        }
        char* const end = line + kLineCapacity - 1;  // room for the tab or newline after each piece
        char* at = line + prefix;
        *at++ = '\t';
        at = std::to_chars(at, end, pair.row).ptr;
        *at++ = '\t';
        at = std::to_chars(at, end, i + 1).ptr;
        for (double number : numbers) {
            *at++ = '\t';
            at = putNumber(at, end, number);
        }
        *at++ = '\n';
        std::fwrite(line, 1, at - line, out);
    }
}

}  // namespace gridcmp
