// Printing diagnostics: compiler-style lines (gcc), the same with the source line and a caret
// (pretty), the messages as the library holds them (raw), or JSON; and the summary line.
#pragma once

#include <cstdio>
#include <functional>
#include <vector>

#include "JsonWriter.h"
#include "Options.h"
#include "Report.h"
#include "SourceLines.h"

class DiagnosticPrinter {
 public:
  DiagnosticPrinter(FILE* out, DiagFormat format, bool color, bool all, SourceLines* sources)
      : m_out(out), m_format(format), m_color(color), m_all(all), m_sources(sources) {}

  // gcc, pretty and raw print each file as soon as it has been read; json waits for Finish.
  void PrintFile(const FileReport& report);
  // The version SARIF names the tool by.
  void SetVersion(const char* v) { m_version = v; }
  // Prints the JSON document (json), the SARIF log (sarif) or the summary line (others, unless
  // quiet).
  void Finish(const std::vector<FileReport>& reports, bool quiet);

 private:
  void PrintLine(const FileReport& report, const Diagnostic& d);
  void PrintLocated(const std::string& where, ScrSeverity sev, const std::string& text);
  void PrintExcerpt(const std::string& file, int line, int column);
  FILE* m_out;
  DiagFormat m_format;
  bool m_color;
  bool m_all;
  SourceLines* m_sources;
  const char* m_version = "";
};

// The short stable code of a catalogue entry ("include-twice"); "" for -1 and entries without one.
std::string MessageCode(int textId);

// Whether a diagnostic is shown: suppressed ones only with --all; notes for tools always.
bool Shown(const Diagnostic& d, bool all);

// The "files" array of the JSON contract: one object per file given, in order. Suppressed
// messages appear only when `all` is set, marked "suppressed": true.
// `extra`, when given, writes more members into the object of file i before it is closed.
void WriteFilesJson(JsonWriter& w, const std::vector<FileReport>& reports, bool all = true,
                    const std::function<void(JsonWriter&, size_t)>& extra = {});

// "N errors, M warnings in K files", and what the first-error rule held back.
std::string SummaryLine(const std::vector<FileReport>& reports, bool all = false);

// Whether diagnostics should be coloured: --color always/never decide; auto colours only a
// terminal, and not when NO_COLOR is set to a non-empty value.
bool UseColor(ColorMode mode, FILE* stream);

// Turns the reader's entries (those it kept for the host, then those it kept only for tools)
// into diagnostics in reading order. Continuation entries are joined to the entry before them as
// GBK bytes before conversion, since the cut may fall inside a character.
std::vector<Diagnostic> CollectDiagnostics(const std::vector<ScrMessageEntry>& kept,
                                           const std::vector<ScrMessageEntry>& suppressed);
