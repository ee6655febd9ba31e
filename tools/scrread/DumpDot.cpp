// The Graphviz dump: a node per module and object, edges from a module to its child modules
// (bold) and to the objects of its collections (labelled with the collection), and an edge for
// every link an object's Describe lists (dashed for references, solid for objects held in
// place). Node ids are n0, n1, ... in the order of the walk, so the same script gives the
// same graph. Labels are escaped; objects only referred to get a node of their own (dotted).
#include <unordered_map>

#include "Dump.h"
#include "PropertyCollector.h"
#include "lexer/ScrEncoding.h"
#include "sg/Module.h"

namespace {

// Most properties a node label shows; the JSON dump has them all.
constexpr size_t kLabelProperties = 6;
constexpr size_t kLabelValueMax = 40;

// A DOT string literal, quotes included. Line breaks inside the text are written as \n, which
// DOT labels read as a centred line break; every other control character becomes a space.
std::string DotQuote(const std::string& s) {
  std::string r = "\"";
  for (char c : s) {
    if (c == '"' || c == '\\') {
      r += '\\';
      r += c;
    } else if (c == '\n') {
      r += "\\n";
    } else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
      r += ' ';
    } else {
      r += c;
    }
  }
  return r + "\"";
}

// Cuts a UTF-8 display text to about `max` bytes without splitting a character.
std::string Shorten(const std::string& s, size_t max) {
  if (s.size() <= max) return s;
  size_t cut = max;
  while (cut > 0 && (static_cast<unsigned char>(s[cut]) & 0xC0) == 0x80) --cut;
  return s.substr(0, cut) + "...";
}

class DotWriter {
 public:
  // With several roots each is drawn in a cluster named after its file.
  std::string Write(const std::vector<const CSgModule*>& roots, const std::vector<FileReport>& reports) {
    m_out = "digraph scrread {\n  graph [rankdir=LR, charset=\"UTF-8\"];\n  node [shape=box, fontsize=10];\n"
            "  edge [fontsize=9];\n";
    for (size_t i = 0; i < roots.size(); ++i) {
      const bool cluster = roots.size() > 1 && i < reports.size();
      if (cluster) m_out += "  subgraph cluster" + std::to_string(i) + " {\n  label=" + DotQuote(reports[i].shown) + ";\n";
      Module(*roots[i], 0);
      if (cluster) m_out += "  }\n";
    }
    // Objects that were only referred to, never listed: a node of their own.
    for (size_t i = 0; i < m_pending.size(); ++i) {
      const CKvoObject* obj = m_pending[i];
      if (m_emitted.count(obj)) continue;
      m_emitted[obj] = true;
      m_out += "  " + Id(obj) + " [label=" + DotQuote(FullNameUtf8(*obj)) + ", style=dotted];\n";
    }
    // Macros belong to a file's reader, not to a module: one note-shaped node per file.
    for (size_t i = 0; i < reports.size(); ++i) {
      if (reports[i].macros.empty()) continue;
      std::string label = "macros of " + reports[i].shown;
      for (const MacroInfo& m : reports[i].macros) label += "\n" + Shorten(MacroLine(m), kLabelValueMax * 2);
      m_out += "  macros" + std::to_string(i) + " [label=" + DotQuote(label) + ", shape=note];\n";
    }
    m_out += m_edges;
    m_out += "}\n";
    return m_out;
  }

 private:
  std::string Id(const CKvoObject* obj) {
    auto it = m_ids.find(obj);
    if (it != m_ids.end()) return it->second;
    std::string id = "n" + std::to_string(m_ids.size());
    m_ids.emplace(obj, id);
    m_pending.push_back(obj);
    return id;
  }

  void Edge(const CKvoObject* from, const CKvoObject* to, const std::string& label, const char* style) {
    m_edges += "  " + Id(from) + " -> " + Id(to) + " [label=" + DotQuote(label);
    if (*style) m_edges += std::string(", style=") + style;
    m_edges += "];\n";
  }

  // Emits the node of obj with its label; returns its links.
  std::vector<CollectedLink> Node(const CKvoObject& obj, const char* shape) {
    std::string id = Id(&obj);
    m_emitted[&obj] = true;
    PropertyCollector c;
    obj.Describe(c);
    std::string name = ScrGbkToUtf8(obj.Name());
    std::string label = (name.empty() ? std::string("(unnamed)") : name) + "\n" + obj.KindName();
    if (const char* type = SgRuntimeTypeName(obj.TypeCode())) label += std::string(" (") + type + ")";
    size_t shown = 0;
    for (const CollectedProperty& p : c.properties) {
      if (shown++ == kLabelProperties) {
        label += "\n...";
        break;
      }
      label += "\n" + p.key + " = " + Shorten(p.value, kLabelValueMax);
    }
    m_out += "  " + id + " [label=" + DotQuote(label) + ", shape=" + shape + "];\n";
    return std::move(c.links);
  }

  void Module(const CSgModule& m, int depth) {
    std::vector<CollectedLink> links = Node(m, "folder");
    Links(m, links, depth);
    for (int i = 0; i < m.ChildCount(); ++i) {
      const CSgModule* child = m.Child(i);
      Edge(&m, child, "", "bold");
      if (!m_emitted.count(child) && depth < SCRREAD_MAX_DUMP_DEPTH) Module(*child, depth + 1);
    }
    m.ForEachCollection([&](const char* name, const std::vector<CKvoObject*>& items) {
      for (const CKvoObject* obj : items) {
        Edge(&m, obj, name, "");
        if (!m_emitted.count(obj)) Object(*obj, depth + 1);
      }
    });
  }

  void Object(const CKvoObject& obj, int depth) {
    std::vector<CollectedLink> links = Node(obj, "box");
    Links(obj, links, depth);
  }

  void Links(const CKvoObject& from, const std::vector<CollectedLink>& links, int depth) {
    for (const CollectedLink& l : links) {
      Edge(&from, l.object, l.key, l.owned ? "solid" : "dashed");
      if (l.owned && !m_emitted.count(l.object) && depth < SCRREAD_MAX_DUMP_DEPTH) Object(*l.object, depth + 1);
    }
  }

  std::string m_out;
  std::string m_edges;
  std::unordered_map<const CKvoObject*, std::string> m_ids;
  std::unordered_map<const CKvoObject*, bool> m_emitted;
  std::vector<const CKvoObject*> m_pending;  // every object given an id, in order
};

}  // namespace

std::string DumpDot(const std::vector<FileReport>& reports, const RootList& roots) {
  std::vector<const CSgModule*> all;
  for (const auto& r : roots) all.push_back(r.get());
  return DotWriter().Write(all, reports);
}

std::string DumpDot(const CSgModule& root) { return DotWriter().Write({&root}, {}); }
