// Everything the program writes besides the report: banner and usage, the
// echo line, and the message for a run that ends early.
#pragma once

#include <cstdio>

#include "driver/runComparison.h"

// The banner and usage text, for a command line without two file names.
void writeUsage(std::FILE* out);

// "Archivo original: " ORIGINAL " quantificado:" QUANTIZED, then a newline.
void writeEchoLine(std::FILE* out, const char* originalName, const char* quantizedName);

// The message for how the run ended; nothing for RunEnd::finished.
// Reads the fault, its line and the labels from the readers.
void writeRunEndMessage(std::FILE* out, RunEnd end, const GridLogReader& original,
                        const GridLogReader& quantized);
