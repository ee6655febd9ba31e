// Printing diagnostics: compiler-style lines (gcc), the messages as the library holds them
// (raw), or JSON; and the summary line.
#pragma once

#include <cstdio>
#include <vector>

#include "JsonWriter.h"
#include "Options.h"
#include "Report.h"

class DiagnosticPrinter {
 public:
  DiagnosticPrinter(FILE* out, DiagFormat format, bool color) : m_out(out), m_format(format), m_color(color) {}

  // gcc and raw print each file as soon as it has been read; json waits for Finish.
  void PrintFile(const FileReport& report);
  // Prints the JSON document (json format) and the summary line (gcc and raw, unless quiet).
  void Finish(const std::vector<FileReport>& reports, bool quiet);

 private:
  void PrintGcc(const FileReport& report, const Diagnostic& d);
  FILE* m_out;
  DiagFormat m_format;
  bool m_color;
};

// The "files" array of the JSON contract: one object per file given, in order.
void WriteFilesJson(JsonWriter& w, const std::vector<FileReport>& reports);

// "N errors, M warnings in K files".
std::string SummaryLine(const std::vector<FileReport>& reports);

// Whether diagnostics should be coloured: --color always/never decide; auto colours only a
// terminal, and not when NO_COLOR is set to a non-empty value.
bool UseColor(ColorMode mode, FILE* stream);
