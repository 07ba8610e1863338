#include "report/ReportWriter.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

using namespace gridcmp;

// What a writer writes for `result`, as the first result it gets or a later one.
std::string written(const BlockResult& result, bool headingWritten = false) {
    char* text = nullptr;
    std::size_t size = 0;
    std::FILE* out = open_memstream(&text, &size);
    ReportWriter writer{out, headingWritten};
    writeBlock(writer, result);
    std::fclose(out);
    std::string s(text, size);
    std::free(text);
    return s;
}

BlockResult result(double counter, const char* label) {
    BlockResult r;
    r.counter = counter;
    r.label = label;  // the callers' literals outlive it
    r.columns = 2;
    r.rows = 1;
    r.cells = 2;
    r.blockRelativeMean = 0.25;
    r.totalRelativeMean = 0.25;
    r.blockAbsoluteMean = 0.5;
    r.totalAbsoluteMean = 0.5;
    return r;
}

TEST(WriteBlock, TheFirstBlockComesWithTheHeading) {
    EXPECT_EQ(written(result(0.0, "0.000000")),
              "Dimension detectada del modelo: 2 x 1\n"
              "  Descripcion de Columnas\n"
              "    0) Contador de bloques comparados\n"
              "    1) Tiempo de simulaicon del bloque en comparacion\n"
              "    2) (1-s/q)/n= Error '/' introducido en el bloque time. Sin acumular.\n"
              "    3) sum[(1-s/q)]/n= Error '/' acumulado hasta time.\n"
              "    4) (s-q)/n= Error '-' introducido en el bloque time. Sin acumular.\n"
              "    5) sum[s-q]/n= Error '-' acumulado hasta el bloque time.\n"
              "0\t \t     1\t    \t         2              3            \t4            \t5\n"
              "t          time            (1-s/q)/2   sum[(1-s/q)]/2   (s-q)/2     sum[(s-q)]/2          \n"
              "0\t\t0.000000\t\t0.25000000\t\t0.25000000\t\t0.50000000\t\t0.50000000\n");
}

TEST(WriteBlock, LaterBlocksAreOneLineWithTheStreamsCounterFormat) {
    EXPECT_EQ(written(result(10.0, "1.5"), true), "10\t\t1.5\t\t0.25000000\t\t0.25000000\t\t0.50000000\t\t0.50000000\n");
    EXPECT_EQ(written(result(999999.0, "x"), true).substr(0, 9), "999999\t\tx");
    EXPECT_EQ(written(result(1000000.0, "x"), true).substr(0, 8), "1e+06\t\tx");
    EXPECT_EQ(written(result(1234567.0, "x"), true).substr(0, 14), "1.23457e+06\t\tx");
    EXPECT_EQ(written(result(1.0, "0123456789ABCDEF"), true).substr(0, 17), "1\t\t0123456789AB\t\t");  // 12 characters
}

}  // namespace
