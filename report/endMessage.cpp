#include "report/endMessage.h"

namespace gridcmp {

namespace {

void writeFaultMessage(std::FILE* out, const GridLogReader& reader) {
    const char* what = "";
    switch (reader.state()) {
        case LogState::lineTooLong:
            std::fprintf(out, "Linea de mas de %zu caracteres en %s, linea %lld\n", reader.limits().lineCapacity - 1,
                         reader.name(), reader.faultLine());
            return;
        case LogState::rowTooWide:
            std::fprintf(out, "Fila de mas de %d valores en %s, linea %lld\n", reader.limits().maxRowValues, reader.name(),
                         reader.faultLine());
            return;
        case LogState::timeLineWithoutLabel: what = "Linea de tiempo sin etiqueta en "; break;
        case LogState::readError: what = "Error de lectura en "; break;
        case LogState::reading:
        case LogState::ended:
        case LogState::unopened: return;
    }
    std::fprintf(out, "%s%s, linea %lld\n", what, reader.name(), reader.faultLine());
}

}  // namespace

void writeEndMessage(std::FILE* out, RunEnd end, const GridLogReader& original, const GridLogReader& quantized) {
    switch (end) {
        case RunEnd::running:
        case RunEnd::logEnded: return;
        case RunEnd::originalEmpty:
            std::fprintf(out, "Archivo vacio o con formato erroneo: %s\n", original.name());
            return;
        case RunEnd::quantizedEmpty:
            std::fprintf(out, "Archivo vacio o con formato erroneo: %s\n", quantized.name());
            return;
        case RunEnd::noTimeLines: std::fputs("Both Files must have time lines.\n", out); return;
        case RunEnd::originalFault: writeFaultMessage(out, original); return;
        case RunEnd::quantizedFault: writeFaultMessage(out, quantized); return;
        case RunEnd::blockShapesDiffer:
            std::fprintf(out, "Bloques de distinta dimension en el tiempo %s: %s, linea %lld; %s, linea %lld\n",
                         original.timeLabel(), original.name(), original.lineNumber(), quantized.name(),
                         quantized.lineNumber());
            return;
    }
}

}  // namespace gridcmp
