// The tree dump: one line per module and object, indented by nesting.
//
//   main [CSgModule module] path="main" tempVariables=0 sequenceBuilt=1
//     variables:
//       N [CSgVariable variable] varType=int (2) value=3
//     module Pump [CSgModule module] path="main:Pump" ...
//
// Objects an object holds in place are printed beneath it, labelled with their property.
#include <unordered_set>

#include "Dump.h"
#include "PropertyCollector.h"
#include "lexer/ScrEncoding.h"
#include "sg/Module.h"

namespace {

class TreeWriter {
 public:
  explicit TreeWriter(std::string& out) : m_out(out) {}

  void Module(const CSgModule& m, int indent, int depth) {
    m_printed.insert(&m);
    Line(indent, "module ", m);
    if (depth >= SCRREAD_MAX_DUMP_DEPTH) {
      Indent(indent + 2);
      m_out += "... (deeper levels left out)\n";
      return;
    }
    for (int i = 0; i < m.ChildCount(); ++i) Module(*m.Child(i), indent + 2, depth + 1);
    m.ForEachCollection([&](const char* name, const std::vector<CKvoObject*>& items) {
      if (items.empty()) return;
      Indent(indent + 2);
      m_out += name;
      m_out += ":\n";
      for (const CKvoObject* obj : items) Object(*obj, indent + 4, depth + 1, "");
    });
  }

 private:
  void Indent(int n) { m_out.append(static_cast<size_t>(n), ' '); }

  // The header of an object: name, kind and type, then its properties; returns what it links to.
  std::vector<CollectedLink> Line(int indent, const std::string& prefix, const CKvoObject& obj) {
    Indent(indent);
    m_out += prefix;
    std::string name = ScrGbkToUtf8(obj.Name());
    m_out += name.empty() ? "(unnamed)" : name;
    m_out += " [";
    m_out += obj.KindName();
    if (const char* type = SgRuntimeTypeName(obj.TypeCode())) {
      m_out += ' ';
      m_out += type;
    } else if (obj.TypeCode() != 0) {
      m_out += " type " + std::to_string(obj.TypeCode());
    }
    m_out += ']';
    PropertyCollector c;
    obj.Describe(c);
    for (const CollectedProperty& p : c.properties) {
      m_out += ' ';
      m_out += p.key;
      m_out += '=';
      m_out += p.value;
    }
    m_out += '\n';
    return std::move(c.links);
  }

  void Object(const CKvoObject& obj, int indent, int depth, const std::string& label) {
    if (m_printed.count(&obj)) {
      Indent(indent);
      m_out += label + "-> " + FullNameUtf8(obj) + "\n";
      return;
    }
    m_printed.insert(&obj);
    std::vector<CollectedLink> links = Line(indent, label, obj);
    for (const CollectedLink& l : links) {
      if (!l.owned) continue;
      if (depth >= SCRREAD_MAX_DUMP_DEPTH) {
        Indent(indent + 2);
        m_out += l.key + ": ... (deeper levels left out)\n";
        continue;
      }
      Object(*l.object, indent + 2, depth + 1, l.key + ": ");
    }
  }

  std::string& m_out;
  std::unordered_set<const CKvoObject*> m_printed;
};

}  // namespace

std::string DumpTree(const CSgModule& root, int indent) {
  std::string out;
  TreeWriter(out).Module(root, indent, 0);
  return out;
}

std::string DumpTree(const std::vector<FileReport>& reports, const RootList& roots) {
  std::string out;
  if (roots.size() == 1) {
    out = DumpTree(*roots[0]);
    for (const FileReport& r : reports) out += FileTree(r);
  } else {
    // A section per file: its name, then its own tree, macros and functions beneath it.
    for (size_t i = 0; i < roots.size() && i < reports.size(); ++i) {
      out += "file " + reports[i].shown + "\n";
      out += DumpTree(*roots[i], 2);
      out += FileTree(reports[i], 2);
    }
  }
  return out + SceneTree();
}
