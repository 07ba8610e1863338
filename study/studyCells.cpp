#include "study/studyCells.h"

#include "study/escapedText.h"
#include "study/studyTable.h"

namespace gridcmp {

void writeCellsHeader(std::FILE* out) {
    std::fputs("run\tlabel\trow\tcolumn\toriginal\tquantized\tabsolute\trelative\n", out);
}

void writeCellsRows(std::FILE* out, const char* run, const RowPair& pair) {
    for (int i = 0; i < pair.count; ++i) {
        writeEscapedText(out, run);
        std::fputc('\t', out);
        writeEscapedText(out, pair.label);
        std::fprintf(out, "\t%lld\t%d\t", pair.row, i + 1);
        const double numbers[] = {pair.original[i], pair.quantized[i], pair.terms->absolute[i],
                                  pair.terms->relative[i]};
        for (int k = 0; k < 4; ++k) {
            if (k > 0) std::fputc('\t', out);
            writeTableNumber(out, numbers[k]);
        }
        std::fputc('\n', out);
    }
}

}  // namespace gridcmp
