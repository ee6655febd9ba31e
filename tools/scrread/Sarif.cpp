#include "Sarif.h"

#include <map>

#include "Diagnostics.h"
#include "JsonWriter.h"
#include "reader/ScrText.h"

std::string UriReference(const std::string& path) {
  static const char* const kHex = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : path) {
    bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
                 c == '.' || c == '_' || c == '~' || c == '/';
    if (plain) {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

namespace {

const char* Level(ScrSeverity s) {
  switch (s) {
    case ScrSeverity::Error: return "error";
    case ScrSeverity::Warning: return "warning";
    case ScrSeverity::Other: break;
  }
  return "note";
}

// A physicalLocation; the region only when the line is known.
void Location(JsonWriter& w, const std::string& file, int line, int column) {
  w.Key("physicalLocation");
  w.BeginObject();
  w.Key("artifactLocation");
  w.BeginObject();
  w.Key("uri");
  w.String(UriReference(file));
  w.EndObject();
  if (line > 0) {
    w.Key("region");
    w.BeginObject();
    w.Key("startLine");
    w.Int(line);
    if (column > 0) {
      w.Key("startColumn");
      w.Int(column);
    }
    w.EndObject();
  }
  w.EndObject();
}

void Message(JsonWriter& w, const std::string& text) {
  w.Key("message");
  w.BeginObject();
  w.Key("text");
  w.String(text);
  w.EndObject();
}

}  // namespace

std::string SarifLog(const std::vector<FileReport>& reports, bool all, const char* version) {
  // The rules are the codes met, in a stable order; results refer to them by index.
  std::map<std::string, int> rules;
  for (const FileReport& r : reports)
    for (const Diagnostic& d : r.diagnostics)
      if (Shown(d, all) && !d.code.empty()) rules.emplace(d.code, d.textId);
  std::map<std::string, int> ruleIndex;

  std::string text;
  JsonWriter w(text);
  w.BeginObject();
  w.Key("$schema");
  w.String("https://json.schemastore.org/sarif-2.1.0.json");
  w.Key("version");
  w.String("2.1.0");
  w.Key("runs");
  w.BeginArray();
  w.BeginObject();
  w.Key("tool");
  w.BeginObject();
  w.Key("driver");
  w.BeginObject();
  w.Key("name");
  w.String("scrread");
  w.Key("version");
  w.String(version);
  w.Key("rules");
  w.BeginArray();
  for (const auto& [code, id] : rules) {
    ruleIndex.emplace(code, static_cast<int>(ruleIndex.size()));
    w.BeginObject();
    w.Key("id");
    w.String(code);
    w.Key("shortDescription");
    w.BeginObject();
    w.Key("text");
    w.String(ScrTextUtf8(static_cast<ScrTextId>(id)));  // the catalogue's form, conversions and all
    w.EndObject();
    w.EndObject();
  }
  w.EndArray();
  w.EndObject();
  w.EndObject();
  // Columns count characters of the file as written, which is what code points are.
  w.Key("columnKind");
  w.String("unicodeCodePoints");
  w.Key("results");
  w.BeginArray();
  for (const FileReport& r : reports) {
    for (const Diagnostic& d : r.diagnostics) {
      if (!Shown(d, all)) continue;
      w.BeginObject();
      if (!d.code.empty()) {
        w.Key("ruleId");
        w.String(d.code);
        w.Key("ruleIndex");
        w.Int(ruleIndex[d.code]);
      }
      w.Key("level");
      w.String(Level(d.severity));
      Message(w, d.statement.empty() ? d.text : d.statement);
      w.Key("locations");
      w.BeginArray();
      w.BeginObject();
      Location(w, d.file.empty() ? r.shown : d.file, d.line, d.column);
      w.EndObject();
      w.EndArray();
      if (!d.notes.empty()) {
        w.Key("relatedLocations");
        w.BeginArray();
        for (size_t i = 0; i < d.notes.size(); ++i) {
          const DiagnosticNote& n = d.notes[i];
          w.BeginObject();
          w.Key("id");
          w.Int(static_cast<long long>(i));
          Location(w, n.file, n.line, n.column);
          Message(w, n.text);
          w.EndObject();
        }
        w.EndArray();
      }
      if (d.suppressed) {
        w.Key("properties");
        w.BeginObject();
        w.Key("afterFirstError");
        w.Bool(true);
        w.EndObject();
      }
      w.EndObject();
    }
  }
  w.EndArray();
  w.EndObject();
  w.EndArray();
  w.EndObject();
  text += '\n';
  return text;
}
