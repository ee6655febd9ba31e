#include "Diagnostics.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "Sarif.h"
#include "lexer/ScrEncoding.h"
#include "reader/ScrText.h"

namespace {

// A diagnostic line must stay one line.
std::string OneLine(std::string s) {
  for (char& c : s) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  return s;
}

const char* SeverityWord(ScrSeverity s) {
  switch (s) {
    case ScrSeverity::Error: return "error";
    case ScrSeverity::Warning: return "warning";
    case ScrSeverity::Other: return "note";
  }
  return "note";
}

const char* SeverityColor(ScrSeverity s) {
  switch (s) {
    case ScrSeverity::Error: return "\033[1;31m";
    case ScrSeverity::Warning: return "\033[1;35m";
    case ScrSeverity::Other: return "\033[1;36m";
  }
  return "";
}

std::string Plural(int n, const char* word) {
  return std::to_string(n) + " " + word + (n == 1 ? "" : "s");
}

std::string Where(const std::string& file, int line, int column) {
  std::string where = file;
  if (line >= 0) {
    where += ":" + std::to_string(line);
    if (column > 0) where += ":" + std::to_string(column);
  }
  return where + ":";
}

// How reading got to the message, innermost first: the calls being expanded, then the includes.
std::vector<DiagnosticNote> NotesOf(const ScrMessageEntry& e) {
  std::vector<DiagnosticNote> notes;
  for (const ScrCallSite& c : e.calledFrom) {
    notes.push_back({ScrGbkToUtf8(c.file), c.line, c.column,
                     "in expansion of script function '" + ScrGbkToUtf8(c.function) + "(" +
                         ScrGbkToUtf8(c.arguments) + ")'"});
  }
  for (const ScrSite& s : e.includedFrom)
    notes.push_back({ScrGbkToUtf8(s.file), s.line, s.column, "in file included from here"});
  return notes;
}

}  // namespace

std::vector<Diagnostic> CollectDiagnostics(const std::vector<ScrMessageEntry>& kept,
                                           const std::vector<ScrMessageEntry>& suppressed) {
  struct Joined {
    const ScrMessageEntry* first;
    std::string gbk;
    bool suppressed;
  };
  std::vector<Joined> joined;
  auto add = [&joined](const std::vector<ScrMessageEntry>& entries, bool isSuppressed) {
    for (const ScrMessageEntry& e : entries) {
      if (e.continuation && !joined.empty()) joined.back().gbk += e.text;
      else joined.push_back({&e, e.text, isSuppressed});
    }
  };
  add(kept, false);
  add(suppressed, true);
  // Back into reading order: an included file's messages join the includer's list only when its
  // reader is done, and suppressed ones come from a list of their own.
  std::stable_sort(joined.begin(), joined.end(),
                   [](const Joined& a, const Joined& b) { return a.first->order < b.first->order; });
  std::vector<Diagnostic> out;
  out.reserve(joined.size());
  for (const Joined& j : joined) {
    Diagnostic d;
    d.severity = j.first->severity;
    d.line = j.first->line;
    d.column = j.first->column;
    d.textId = j.first->textId;
    d.code = MessageCode(d.textId);
    d.suppressed = j.suppressed;
    d.toolNote = d.textId == static_cast<int>(ScrTextId::msg_reading_stopped);
    size_t at = j.first->statementAt > 0 ? static_cast<size_t>(j.first->statementAt) : 0;
    if (at > j.gbk.size()) at = j.gbk.size();
    d.text = ScrGbkToUtf8(j.gbk);
    d.statement = ScrGbkToUtf8(std::string_view(j.gbk).substr(at));
    d.file = ScrGbkToUtf8(j.first->file);
    // A space may stand between the line part and the statement; the diagnostic line has its own.
    size_t lead = d.statement.find_first_not_of(' ');
    d.statement.erase(0, lead == std::string::npos ? d.statement.size() : lead);
    d.notes = NotesOf(*j.first);
    out.push_back(std::move(d));
  }
  return out;
}

std::string MessageCode(int textId) {
  return textId < 0 ? std::string() : ScrTextCode(static_cast<ScrTextId>(textId)).code;
}

bool Shown(const Diagnostic& d, bool all) { return all || !d.suppressed || d.toolNote; }

bool UseColor(ColorMode mode, FILE* stream) {
  if (mode == ColorMode::Always) return true;
  if (mode == ColorMode::Never) return false;
  const char* noColor = std::getenv("NO_COLOR");
  if (noColor && *noColor) return false;
  const char* term = std::getenv("TERM");
  if (term && std::string(term) == "dumb") return false;
  return isatty(fileno(stream)) != 0;
}

void DiagnosticPrinter::PrintLocated(const std::string& where, ScrSeverity sev, const std::string& text) {
  if (m_color) {
    std::fprintf(m_out, "\033[1m%s\033[0m %s%s:\033[0m %s\n", where.c_str(), SeverityColor(sev), SeverityWord(sev),
                 text.c_str());
  } else {
    std::fprintf(m_out, "%s %s: %s\n", where.c_str(), SeverityWord(sev), text.c_str());
  }
}

void DiagnosticPrinter::PrintExcerpt(const std::string& file, int line, int column) {
  std::string text;
  if (line < 1 || !m_sources || !m_sources->Line(file, line, text)) return;
  const std::string number = std::to_string(line);
  const std::string gutter(number.size(), ' ');
  std::fprintf(m_out, " %s | %s\n", number.c_str(), text.c_str());
  if (column > 0) {
    std::string caret = CaretLine(text, column);
    if (m_color) std::fprintf(m_out, " %s | \033[1;32m%s\033[0m\n", gutter.c_str(), caret.c_str());
    else std::fprintf(m_out, " %s | %s\n", gutter.c_str(), caret.c_str());
  }
}

void DiagnosticPrinter::PrintLine(const FileReport& report, const Diagnostic& d) {
  std::string file = d.file.empty() ? report.shown : d.file;
  // The code after the text, as compilers print the flag that governs a warning.
  std::string text = OneLine(d.statement);
  if (!d.code.empty()) text += " [" + d.code + "]";
  PrintLocated(Where(file, d.line, d.column), d.severity, text);
  const bool pretty = m_format == DiagFormat::Pretty;
  if (pretty) PrintExcerpt(file, d.line, d.column);
  for (const DiagnosticNote& n : d.notes) {
    PrintLocated(Where(n.file, n.line, n.column), ScrSeverity::Other, n.text);
    if (pretty) PrintExcerpt(n.file, n.line, n.column);
  }
}

void DiagnosticPrinter::PrintFile(const FileReport& report) {
  if (m_format == DiagFormat::Json || m_format == DiagFormat::Sarif) return;
  for (const Diagnostic& d : report.diagnostics) {
    if (!Shown(d, m_all)) continue;
    if (m_format == DiagFormat::Raw) std::fprintf(m_out, "%s\n", d.text.c_str());
    else PrintLine(report, d);
  }
  std::fflush(m_out);
}

void WriteFilesJson(JsonWriter& w, const std::vector<FileReport>& reports, bool all,
                    const std::function<void(JsonWriter&, size_t)>& extra) {
  w.BeginArray();
  for (size_t i = 0; i < reports.size(); ++i) {
    const FileReport& r = reports[i];
    w.BeginObject();
    w.Key("file");
    w.String(r.shown);
    w.Key("result");
    w.Int(r.result);
    w.Key("encoding");
    if (r.encoding.empty()) w.Null();
    else w.String(r.encoding);
    w.Key("messages");
    w.BeginArray();
    for (const Diagnostic& d : r.diagnostics) {
      if (!Shown(d, all)) continue;
      w.BeginObject();
      w.Key("severity");
      w.String(ScrSeverityName(d.severity));
      w.Key("file");
      w.String(d.file);
      w.Key("line");
      if (d.line >= 0) w.Int(d.line);
      else w.Null();
      w.Key("column");
      if (d.column > 0) w.Int(d.column);
      else w.Null();
      w.Key("code");
      if (d.code.empty()) w.Null();
      else w.String(d.code);
      w.Key("text");
      w.String(d.text);
      if (d.suppressed) {
        w.Key("suppressed");
        w.Bool(true);
      }
      w.Key("notes");
      w.BeginArray();
      for (const DiagnosticNote& n : d.notes) {
        w.BeginObject();
        w.Key("file");
        w.String(n.file);
        w.Key("line");
        if (n.line >= 0) w.Int(n.line);
        else w.Null();
        w.Key("column");
        if (n.column > 0) w.Int(n.column);
        else w.Null();
        w.Key("text");
        w.String(n.text);
        w.EndObject();
      }
      w.EndArray();
      w.EndObject();
    }
    w.EndArray();
    w.Key("functions");
    w.BeginArray();
    for (const FunctionInfo& f : r.functions) {
      w.BeginObject();
      w.Key("name");
      w.String(f.name);
      w.Key("params");
      w.BeginArray();
      for (const std::string& p : f.params) w.String(p);
      w.EndArray();
      w.Key("file");
      w.String(f.file);
      w.Key("line");
      w.Int(f.line);
      w.Key("expansions");
      w.Int(f.expansions);
      w.EndObject();
    }
    w.EndArray();
    w.Key("macros");
    w.BeginArray();
    for (const MacroInfo& m : r.macros) {
      w.BeginObject();
      w.Key("name");
      w.String(m.name);
      w.Key("value");
      w.Int(m.value);
      w.Key("type");
      w.String(m.real ? "real" : "int");
      w.Key("file");
      w.String(m.file);
      w.Key("line");
      if (m.line > 0) w.Int(m.line);
      else w.Null();
      w.EndObject();
    }
    w.EndArray();
    if (extra) extra(w, i);
    w.EndObject();
  }
  w.EndArray();
}

std::string SummaryLine(const std::vector<FileReport>& reports, bool all) {
  int errors = 0, warnings = 0, heldErrors = 0, heldWarnings = 0;
  for (const FileReport& r : reports) {
    for (const Diagnostic& d : r.diagnostics) {
      int& e = d.suppressed ? heldErrors : errors;
      int& w = d.suppressed ? heldWarnings : warnings;
      if (d.severity == ScrSeverity::Error) ++e;
      else if (d.severity == ScrSeverity::Warning) ++w;
    }
  }
  std::string line = Plural(errors, "error") + ", " + Plural(warnings, "warning") + " in " +
                     Plural(static_cast<int>(reports.size()), "file");
  // What the first-error rule held back is counted apart: hosts never see it.
  if (heldErrors + heldWarnings > 0) {
    line += "; after the first error " + Plural(heldErrors, "more error") + ", " + Plural(heldWarnings, "warning");
    line += all ? " (shown)" : " (--all shows them)";
  }
  return line;
}

void DiagnosticPrinter::Finish(const std::vector<FileReport>& reports, bool quiet) {
  if (m_format == DiagFormat::Json) {
    // The same "files" part the dump carries, under an envelope of its own.
    std::string text;
    JsonWriter w(text);
    w.BeginObject();
    w.Key("format");
    w.String("scrread-diagnostics");
    w.Key("version");
    w.Int(1);
    w.Key("files");
    WriteFilesJson(w, reports, m_all);
    w.EndObject();
    std::fprintf(m_out, "%s\n", text.c_str());
  } else if (m_format == DiagFormat::Sarif) {
    std::fputs(SarifLog(reports, m_all, m_version).c_str(), m_out);
  } else if (!quiet) {
    std::fprintf(m_out, "%s\n", SummaryLine(reports, m_all).c_str());
  }
  std::fflush(m_out);
}
