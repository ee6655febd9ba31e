#include "Diagnostics.h"

#include <unistd.h>

#include <cstdlib>
#include <string>

#include "lexer/ScrEncoding.h"

namespace {

void ReplaceAll(std::string& s, const std::string& from, const std::string& to) {
  if (from.empty()) return;
  for (size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size())) {
    s.replace(at, from.size(), to);
  }
}

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

}  // namespace

std::vector<Diagnostic> CollectDiagnostics(const std::vector<ScrMessageEntry>& entries,
                                           const std::string& tempPath, const std::string& shownForTemp) {
  struct Joined {
    const ScrMessageEntry* first;
    std::string gbk;
  };
  std::vector<Joined> joined;
  for (const ScrMessageEntry& e : entries) {
    if (e.continuation && !joined.empty()) joined.back().gbk += e.text;
    else joined.push_back({&e, e.text});
  }
  std::vector<Diagnostic> out;
  out.reserve(joined.size());
  for (const Joined& j : joined) {
    Diagnostic d;
    d.severity = j.first->severity;
    d.line = j.first->line;
    size_t at = j.first->statementAt > 0 ? static_cast<size_t>(j.first->statementAt) : 0;
    if (at > j.gbk.size()) at = j.gbk.size();
    d.text = ScrGbkToUtf8(j.gbk);
    d.statement = ScrGbkToUtf8(std::string_view(j.gbk).substr(at));
    d.file = ScrGbkToUtf8(j.first->file);
    if (!tempPath.empty()) {
      ReplaceAll(d.text, tempPath, shownForTemp);
      ReplaceAll(d.statement, tempPath, shownForTemp);
      ReplaceAll(d.file, tempPath, shownForTemp);
    }
    // A space may stand between the line part and the statement; the diagnostic line has its own.
    size_t lead = d.statement.find_first_not_of(' ');
    d.statement.erase(0, lead == std::string::npos ? d.statement.size() : lead);
    out.push_back(std::move(d));
  }
  return out;
}

bool UseColor(ColorMode mode, FILE* stream) {
  if (mode == ColorMode::Always) return true;
  if (mode == ColorMode::Never) return false;
  const char* noColor = std::getenv("NO_COLOR");
  if (noColor && *noColor) return false;
  const char* term = std::getenv("TERM");
  if (term && std::string(term) == "dumb") return false;
  return isatty(fileno(stream)) != 0;
}

void DiagnosticPrinter::PrintGcc(const FileReport& report, const Diagnostic& d) {
  std::string where = d.file.empty() ? report.shown : d.file;
  if (d.line >= 0) where += ":" + std::to_string(d.line);
  where += ":";
  std::string text = OneLine(d.statement);
  if (m_color) {
    std::fprintf(m_out, "\033[1m%s\033[0m %s%s:\033[0m %s\n", where.c_str(), SeverityColor(d.severity),
                 SeverityWord(d.severity), text.c_str());
  } else {
    std::fprintf(m_out, "%s %s: %s\n", where.c_str(), SeverityWord(d.severity), text.c_str());
  }
}

void DiagnosticPrinter::PrintFile(const FileReport& report) {
  if (m_format == DiagFormat::Json) return;
  for (const Diagnostic& d : report.diagnostics) {
    if (m_format == DiagFormat::Gcc) PrintGcc(report, d);
    else std::fprintf(m_out, "%s\n", d.text.c_str());
  }
  std::fflush(m_out);
}

void WriteFilesJson(JsonWriter& w, const std::vector<FileReport>& reports) {
  w.BeginArray();
  for (const FileReport& r : reports) {
    w.BeginObject();
    w.Key("file");
    w.String(r.given);
    w.Key("result");
    w.Int(r.result);
    w.Key("encoding");
    if (r.encoding.empty()) w.Null();
    else w.String(r.encoding);
    w.Key("messages");
    w.BeginArray();
    for (const Diagnostic& d : r.diagnostics) {
      w.BeginObject();
      w.Key("severity");
      w.String(ScrSeverityName(d.severity));
      w.Key("file");
      w.String(d.file);
      w.Key("line");
      if (d.line >= 0) w.Int(d.line);
      else w.Null();
      w.Key("text");
      w.String(d.text);
      w.EndObject();
    }
    w.EndArray();
    w.EndObject();
  }
  w.EndArray();
}

std::string SummaryLine(const std::vector<FileReport>& reports) {
  int errors = 0, warnings = 0;
  for (const FileReport& r : reports) {
    for (const Diagnostic& d : r.diagnostics) {
      if (d.severity == ScrSeverity::Error) ++errors;
      else if (d.severity == ScrSeverity::Warning) ++warnings;
    }
  }
  return Plural(errors, "error") + ", " + Plural(warnings, "warning") + " in " +
         Plural(static_cast<int>(reports.size()), "file");
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
    WriteFilesJson(w, reports);
    w.EndObject();
    std::fprintf(m_out, "%s\n", text.c_str());
  } else if (!quiet) {
    std::fprintf(m_out, "%s\n", SummaryLine(reports).c_str());
  }
  std::fflush(m_out);
}
