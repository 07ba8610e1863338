#include "driver/messages.h"

namespace {

constexpr const char* kCredit = "Hecho por el equipo de gridcmp <gridcmp@example.org>";
constexpr int kCreditWidth = 61;

void writeFaultMessage(std::FILE* out, const GridLogReader& reader) {
    const char* what = "";
    switch (reader.fault) {
        case LogFault::lineTooLong: what = "Linea de mas de 9999 caracteres en "; break;
        case LogFault::rowTooWide: what = "Fila de mas de 400 valores en "; break;
        case LogFault::timeLineWithoutLabel: what = "Linea de tiempo sin etiqueta en "; break;
        case LogFault::readError: what = "Error de lectura en "; break;
        case LogFault::none: return;
    }
    std::fprintf(out, "%s%s, linea %lld\n", what, reader.name, reader.faultLine);
}

}  // namespace

void writeUsage(std::FILE* out) {
    std::fputs("--------------------------------------------------------------\n"
               "Programa para calcular el error entre dos salidas de vistagrid\n"
               "de una simulaicon con Tesselo. Soporta archivos de hasta 400 columnas\n"
               "por infinitas filas. Las salidas de VistaGrid deben ser con parametro\n"
               "-fn para que quede sin lineas ni textos informativos.\n"
               "Los resultados salen por consola.\n\n",
               out);
    std::fprintf(out, "%-*s\n", kCreditWidth, kCredit);
    std::fputs("--------------------------------------------------------------\n\n\n"
               "No se especificarn archivos. \n"
               "Sintaxis: gridcmp fileoriginal.ext filequantificado.ext\n",
               out);
}

void writeEchoLine(std::FILE* out, const char* originalName, const char* quantizedName) {
    std::fprintf(out, "Archivo original: %s quantificado:%s\n", originalName, quantizedName);
}

void writeRunEndMessage(std::FILE* out, RunEnd end, const GridLogReader& original,
                        const GridLogReader& quantized) {
    switch (end) {
        case RunEnd::finished: return;
        case RunEnd::originalEmpty:
            std::fprintf(out, "Archivo vacio o con formato erroneo: %s\n", original.name);
            return;
        case RunEnd::quantizedEmpty:
            std::fprintf(out, "Archivo vacio o con formato erroneo: %s\n", quantized.name);
            return;
        case RunEnd::noTimeLines: std::fputs("Both Files must have time lines.\n", out); return;
        case RunEnd::originalFault: writeFaultMessage(out, original); return;
        case RunEnd::quantizedFault: writeFaultMessage(out, quantized); return;
        case RunEnd::blockShapesDiffer:
            std::fprintf(out, "Bloques de distinta dimension en el tiempo %s: %s, linea %lld; %s, linea %lld\n",
                         original.timeLabel, original.name, original.lineNumber, quantized.name,
                         quantized.lineNumber);
            return;
    }
}
