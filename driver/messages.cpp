#include "driver/messages.h"

namespace gridcmp {

namespace {

constexpr const char* kCredit = "Hecho por el equipo de gridcmp <gridcmp@example.org>";
constexpr int kCreditWidth = 61;

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

void writeOutOfMemory(std::FILE* out) { std::fputs("Memoria insuficiente\n", out); }

}  // namespace gridcmp
