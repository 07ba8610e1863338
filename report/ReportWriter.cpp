#include "report/ReportWriter.h"

#include "platform/classicLocale.h"
#include "report/formatDecimal10.h"

namespace gridcmp {

namespace {

void writeHeading(std::FILE* out, const BlockResult& result) {
    long long cells = result.cells;
    std::fprintf(out, "Dimension detectada del modelo: %d x %lld\n", result.columns, result.rows);
    std::fputs("  Descripcion de Columnas\n"
               "    0) Contador de bloques comparados\n"
               "    1) Tiempo de simulaicon del bloque en comparacion\n"
               "    2) (1-s/q)/n= Error '/' introducido en el bloque time. Sin acumular.\n"
               "    3) sum[(1-s/q)]/n= Error '/' acumulado hasta time.\n"
               "    4) (s-q)/n= Error '-' introducido en el bloque time. Sin acumular.\n"
               "    5) sum[s-q]/n= Error '-' acumulado hasta el bloque time.\n"
               "0\t \t     1\t    \t         2              3            \t4            \t5\n",
               out);
    std::fprintf(out,
                 "t          time            (1-s/q)/%lld   sum[(1-s/q)]/%lld   (s-q)/%lld"
                 "     sum[(s-q)]/%lld          \n",
                 cells, cells, cells, cells);
}

}  // namespace

void writeBlock(ReportWriter& writer, const BlockResult& result) {
    if (!writer.headingWritten) writeHeading(writer.out, result);
    writer.headingWritten = true;
    ClassicLocaleScope classic;  // 1.23457e+06 with a point, whatever the caller's locale
    // %g is the stream's default for doubles: 999999, then 1e+06.
    std::fprintf(writer.out, "%g\t\t%.*s", result.counter, kPrintedLabelChars, result.label);
    const double means[] = {result.blockRelativeMean, result.totalRelativeMean,
                            result.blockAbsoluteMean, result.totalAbsoluteMean};
    for (double mean : means) std::fprintf(writer.out, "\t\t%s", formatDecimal10(mean).chars);
    std::fputs("\n", writer.out);
    std::fflush(writer.out);
}

void ReportWriter::blockCompleted(const BlockResult& result) { writeBlock(*this, result); }

}  // namespace gridcmp
