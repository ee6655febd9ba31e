// The Graphviz dump: a node per module and object, edges from a module to its child modules
// (bold) and to the objects of its collections (labelled with the collection), and an edge for
// every link an object's Describe lists (dashed for references, solid for objects held in
// place). Node ids are n0, n1, ... in the order of the walk, so the same script gives the
// same graph. Labels are escaped; objects only referred to get a node of their own (dotted).
#include <cstdio>
#include <unordered_map>

#include "Dump.h"
#include "PropertyCollector.h"
#include "lexer/ScrEncoding.h"
#include "lexer/ScrLimits.h"
#include "sg/Animation.h"
#include "sg/Event.h"
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

// The graph of one or more animations: what plays when each is started. An animation node
// (rounded) leads to its controllers (one box each, with life and speed), each controller to
// its events (an ellipse with the event's kind and main properties; an action event is a note
// listing its records by type name), and the animation to its sub-animations (edges numbered
// in playing order for serial play, marked "parallel" otherwise) and to the animation it
// stands for (dashed, "reference"). Every animation is drawn once however often it is played;
// a walk deeper than SCR_MAX_BLOCK_DEPTH stops at a dotted "..." node.
class AnimDotWriter {
 public:
  static std::string Number(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", v);
    return buf;
  }

  std::string Write(const std::vector<AnimationGroup>& groups) {
    m_out = "digraph animation {\n  graph [rankdir=LR, charset=\"UTF-8\"];\n  node [shape=box, fontsize=10];\n"
            "  edge [fontsize=9];\n";
    for (size_t i = 0; i < groups.size(); ++i) {
      const bool cluster = groups.size() > 1 && !groups[i].title.empty();
      if (cluster) m_out += "  subgraph cluster" + std::to_string(i) + " {\n  label=" + DotQuote(groups[i].title) + ";\n";
      for (const CAnimation* a : groups[i].animations)
        if (a) Animation(*a, 0);
      if (cluster) m_out += "  }\n";
    }
    m_out += m_edges;
    m_out += "}\n";
    return m_out;
  }

 private:
  std::string NewId(const char* prefix) { return prefix + std::to_string(m_count++); }

  void Edge(const std::string& from, const std::string& to, const std::string& attrs) {
    m_edges += "  " + from + " -> " + to + (attrs.empty() ? "" : " [" + attrs + "]") + ";\n";
  }

  // The node of an animation, drawn the first time it is met; returns its id.
  std::string Animation(const CAnimation& a, int depth) {
    if (auto it = m_ids.find(&a); it != m_ids.end()) return it->second;
    const std::string id = NewId("a");
    m_ids.emplace(&a, id);
    const std::string name = ScrGbkToUtf8(a.Name());
    std::string label = (name.empty() ? std::string("(unnamed)") : name) + "\n" +
                        (a.m_playMode == CAnimation::PLAY_PARALLEL ? "parallel" : "serial") + ", duration " +
                        Number(m_durations.Of(a));
    if (a.Reverse()) label += "\nreversed";
    if (a.SpeedFactor() != 1.0f) label += "\nspeedup " + Number(a.SpeedFactor());
    if (*a.ReplaceString()) label += "\nreplace " + ScrGbkToUtf8(a.ReplaceString());
    if (a.Adjusted()) label += "\ntime " + Number(a.AdjustTime());
    m_out += "  " + id + " [label=" + DotQuote(label) + ", style=rounded];\n";
    if (depth >= SCR_MAX_BLOCK_DEPTH) {
      if (a.ControllerCount() || a.SubAnimationCount() || *a.ReferenceName()) {
        const std::string more = NewId("x");
        m_out += "  " + more + " [label=\"...\", style=dotted];\n";
        Edge(id, more, "style=dotted");
      }
      return id;
    }
    for (int i = 0; i < a.ControllerCount(); ++i)
      if (const CTEventController* c = a.Controller(i)) Edge(id, Controller(*c, i), "");
    const bool parallel = a.m_playMode == CAnimation::PLAY_PARALLEL;
    for (int i = 0; i < a.SubAnimationCount(); ++i)
      if (const CAnimation* s = a.SubAnimation(i))
        Edge(id, Animation(*s, depth + 1), "label=" + DotQuote(parallel ? "parallel" : std::to_string(i + 1)) + ", style=bold");
    if (*a.ReferenceName()) {
      const CAnimation* r = a.Module() ? dynamic_cast<const CAnimation*>(a.Module()->FindAnimation(a.ReferenceName())) : nullptr;
      std::string to;
      if (r) {
        to = Animation(*r, depth + 1);
      } else {
        to = NewId("x");
        m_out += "  " + to + " [label=" + DotQuote(ScrGbkToUtf8(a.ReferenceName()) + "\n(not found)") + ", style=dotted];\n";
      }
      Edge(id, to, "label=\"reference\", style=dashed");
    }
    return id;
  }

  std::string Controller(const CTEventController& c, int index) {
    const std::string id = NewId("c");
    std::string label = "controller " + std::to_string(index + 1) + "\nlife " + Number(c.LifeStart()) + " .. " +
                        Number(c.LifeEnd());
    if (c.Speed() != 1.0f) label += "\nspeed " + Number(c.Speed());
    m_out += "  " + id + " [label=" + DotQuote(label) + "];\n";
    for (int i = 0; i < c.EventCount(); ++i)
      if (const CTEvent* e = c.Event(i)) Edge(id, Event(*e), "");
    return id;
  }

  // An event: its kind and name, then its main properties; an action event lists its records.
  std::string Event(const CTEvent& e) {
    const std::string id = NewId("e");
    std::string label = e.EventKind();
    if (*e.Name()) label += " " + ScrGbkToUtf8(e.Name());
    const auto* act = dynamic_cast<const CTEventActionEx*>(&e);
    PropertyCollector c;
    e.Describe(c);
    size_t shown = 0;
    for (const CollectedProperty& p : c.properties) {
      if (p.key == "event" || (act && p.key == "actions")) continue;
      if (shown++ == kLabelProperties) {
        label += "\n...";
        break;
      }
      label += "\n" + p.key + " = " + Shorten(p.value, kLabelValueMax);
    }
    if (act) {
      size_t n = 0;
      for (const ActPrm& rec : act->Actions()) {
        if (n++ == kLabelRecords) {
          label += "\n... " + std::to_string(act->Actions().size() - kLabelRecords) + " more";
          break;
        }
        label += "\n" + std::to_string(n) + ". " + Shorten(ScrGbkToUtf8(SgActionText(rec)), kLabelValueMax * 2);
      }
    }
    m_out += "  " + id + " [label=" + DotQuote(label) + ", shape=" + (act ? "note" : "ellipse") + "];\n";
    return id;
  }

  // Most records an action's note lists.
  static constexpr size_t kLabelRecords = 24;
  std::string m_out, m_edges;
  std::unordered_map<const CAnimation*, std::string> m_ids;
  AnimationDurations m_durations;
  size_t m_count = 0;
};

}  // namespace

std::string DumpDot(const std::vector<FileReport>& reports, const RootList& roots) {
  std::vector<const CSgModule*> all;
  for (const auto& r : roots) all.push_back(r.get());
  return DotWriter().Write(all, reports);
}

std::string DumpDot(const CSgModule& root) { return DotWriter().Write({&root}, {}); }

std::string DumpAnimationDot(const std::vector<AnimationGroup>& groups) { return AnimDotWriter().Write(groups); }
