// The animation views: finding the animations to show, their duration, and the timeline, an SVG
// drawing of each animation on a time axis.
//
// The timeline has one row per animation and per controller, in the order they play: an
// animation's row, then its controllers, then its sub-animations (each with its own rows,
// indented). Bars run on one time axis shared by the whole drawing. Events are marks on their
// controller's bar, action records ticks under it. Every bar, mark and tick carries its times
// and what it is as data attributes (data-kind, data-name, data-start, data-end), so that tools
// and tests read the layout from the SVG without measuring pixels.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <unordered_map>
#include <unordered_set>

#include "Dump.h"
#include "lexer/ScrEncoding.h"
#include "lexer/ScrLimits.h"
#include "sg/Animation.h"
#include "sg/Event.h"
#include "sg/Module.h"

namespace {

// Module trees are walked with an explicit stack, so no depth of modules can exhaust ours.
template <class F>
void ForEachModule(const CSgModule& root, F&& visit) {
  std::vector<const CSgModule*> todo{&root};
  while (!todo.empty()) {
    const CSgModule* m = todo.back();
    todo.pop_back();
    visit(*m);
    // Children pushed last-first so they come out in their order.
    for (int i = m->ChildCount() - 1; i >= 0; --i)
      if (const CSgModule* c = m->Child(i)) todo.push_back(c);
  }
}

const CAnimation* AsAnimation(const CKvoObject* obj) { return dynamic_cast<const CAnimation*>(obj); }

// The animation an animation stands for (its reference name), looked up from its own module as
// the runtime does when it plays it. Null when it has none or the name is unknown.
const CAnimation* Referenced(const CAnimation& a) {
  if (!*a.ReferenceName() || !a.Module()) return nullptr;
  return AsAnimation(a.Module()->FindAnimation(a.ReferenceName()));
}

// A time read from a script: a value that is not finite counts 0, so that one bad life cannot
// turn the whole axis into NaN.
double Finite(double v) { return std::isfinite(v) ? v : 0.0; }

// Where a controller's bar starts and ends on its animation's axis: from the start of its life
// for the life's length divided by its speed. A speed that is not positive (or not finite)
// plays at 1; a life that ends before it starts lasts 0.
struct Span {
  double start, end;
};
Span ControllerSpan(const CTEventController& c) {
  const double start = Finite(c.LifeStart());
  const double length = std::max(0.0, Finite(c.LifeEnd()) - start);
  double speed = Finite(c.Speed());
  if (speed <= 0) speed = 1;
  return {start, start + Finite(length / speed)};
}

// ---------------------------------------------------------------------------------------------
// Text for SVG

// XML text or attribute content. Control characters other than tab and line breaks are not
// allowed in XML 1.0 at all; they become spaces.
std::string Xml(const std::string& s) {
  std::string r;
  r.reserve(s.size());
  for (char c : s) {
    switch (c) {
      case '&': r += "&amp;"; break;
      case '<': r += "&lt;"; break;
      case '>': r += "&gt;"; break;
      case '"': r += "&quot;"; break;
      case '\'': r += "&apos;"; break;
      default: r += static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' ? ' ' : c;
    }
  }
  return r;
}

// A time as the data attributes hold it: seven significant digits, the precision of the floats
// the scripts give.
std::string Num(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.7g", v);
  return buf;
}

// Pixel coordinates, one decimal.
std::string Px(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.1f", v);
  return buf;
}

// A UTF-8 display text cut to about `max` bytes without splitting a character.
std::string Cut(const std::string& s, size_t max) {
  if (s.size() <= max) return s;
  size_t cut = max;
  while (cut > 0 && (static_cast<unsigned char>(s[cut]) & 0xC0) == 0x80) --cut;
  return s.substr(0, cut) + "…";
}

std::string NameOf(const CKvoObject& obj) { return ScrGbkToUtf8(obj.Name()); }

// ---------------------------------------------------------------------------------------------
// Layout: rows first (times only), drawing second (pixels), so the axis fits every row.

struct Mark {
  std::string kind;  // the event's kind, or "act" for an action record
  std::string name;
  std::string title;  // the tooltip
};

struct Row {
  enum Type { Heading, Animation, Controller, Reference, Cycle } type;
  explicit Row(Type t) : type(t) {}
  int depth = 0;
  std::string name;   // data-name (UTF-8)
  std::string label;  // what the label column shows
  std::string title;  // the label's tooltip
  double start = 0, end = 0;
  std::vector<Mark> events, acts;
};

class TimelineLayout {
 public:
  std::vector<Row> rows;
  bool cut = false;       // rows past SCRREAD_MAX_TIMELINE_ROWS were left out
  bool deep = false;      // nesting past SCR_MAX_BLOCK_DEPTH was left out
  double tmin = 0, tmax = 0;

  void Heading(const std::string& title) {
    if (Full()) return;
    Row r(Row::Heading);
    r.label = title;
    rows.push_back(std::move(r));
  }

  // An animation starting at t0, its controllers and, below them, its sub-animations: serial
  // ones one after another from t0, parallel ones all at t0.
  void Animation(const CAnimation& a, double t0, int depth) {
    if (Full()) return;
    const double duration = m_durations.Of(a);
    const CAnimation* ref = Referenced(a);
    Row r(ref || *a.ReferenceName() ? Row::Reference : Row::Animation);
    r.depth = depth;
    r.name = NameOf(a);
    r.start = t0;
    r.end = t0 + duration;
    r.label = r.name.empty() ? "(unnamed)" : r.name;
    std::string notes = a.m_playMode == CAnimation::PLAY_PARALLEL ? "parallel" : "serial";
    if (*a.ReferenceName()) notes = "→ " + ScrGbkToUtf8(a.ReferenceName()) + (ref ? "" : " (not found)");
    if (a.Reverse()) notes += ", reversed";
    if (a.SpeedFactor() != 1.0f) notes += ", speedup " + Num(a.SpeedFactor());
    if (a.Adjusted()) notes += ", time " + Num(a.AdjustTime());
    r.title = FullNameUtf8(a) + " (" + notes + "), " + Num(r.start) + " – " + Num(r.end);
    r.label += "  " + notes;
    Add(std::move(r));

    if (depth >= SCR_MAX_BLOCK_DEPTH) {
      if (a.ControllerCount() || a.SubAnimationCount()) deep = true;
      return;
    }
    m_path.insert(&a);
    for (int i = 0; i < a.ControllerCount(); ++i)
      if (const CTEventController* c = a.Controller(i)) Controller(*c, i, t0, depth + 1);
    double t = t0;
    for (int i = 0; i < a.SubAnimationCount(); ++i) {
      const CAnimation* s = a.SubAnimation(i);
      if (!s) continue;
      if (m_path.count(s)) {
        if (Full()) break;
        // The animation plays itself: one mark, not an endless descent.
        Row c(Row::Cycle);
        c.depth = depth + 1;
        c.name = NameOf(*s);
        c.label = c.name + "  (plays itself: not drawn again)";
        c.title = FullNameUtf8(*s);
        c.start = c.end = t;
        Add(std::move(c));
        continue;
      }
      Animation(*s, a.m_playMode == CAnimation::PLAY_PARALLEL ? t0 : t, depth + 1);
      if (a.m_playMode != CAnimation::PLAY_PARALLEL) t += m_durations.Of(*s);
    }
    m_path.erase(&a);
  }

 private:
  bool Full() {
    if (rows.size() < static_cast<size_t>(SCRREAD_MAX_TIMELINE_ROWS)) return false;
    cut = true;
    return true;
  }

  void Add(Row r) {
    tmin = std::min({tmin, r.start, r.end});
    tmax = std::max({tmax, r.start, r.end});
    rows.push_back(std::move(r));
  }

  void Controller(const CTEventController& c, int index, double t0, int depth) {
    if (Full()) return;
    const Span span = ControllerSpan(c);
    Row r(Row::Controller);
    r.depth = depth;
    r.name = NameOf(c);
    r.start = t0 + span.start;
    r.end = t0 + span.end;
    r.label = (r.name.empty() ? "controller " + std::to_string(index + 1) : r.name) + "  life " +
              Num(c.LifeStart()) + " – " + Num(c.LifeEnd());
    if (c.Speed() != 1.0f) r.label += ", speed " + Num(c.Speed());
    r.title = r.label;
    for (int i = 0; i < c.EventCount(); ++i) {
      const CTEvent* e = c.Event(i);
      if (!e) continue;
      const std::string name = NameOf(*e);
      r.events.push_back({e->EventKind(), name, std::string(e->EventKind()) + (name.empty() ? "" : " " + name)});
      // An action event's records run when the controller reaches it: ticks at its start.
      if (const auto* act = dynamic_cast<const CTEventActionEx*>(e)) {
        for (const ActPrm& rec : act->Actions()) {
          const char* type = SgActionTypeName(rec.Type());
          r.acts.push_back({"act", type ? type : std::to_string(rec.Type()), ScrGbkToUtf8(SgActionText(rec))});
        }
      }
    }
    Add(std::move(r));
  }

  AnimationDurations m_durations;
  std::unordered_set<const CAnimation*> m_path;  // the animations being drawn, outermost first
};

// ---------------------------------------------------------------------------------------------
// Drawing

constexpr double kLabelWidth = 340;
constexpr double kChartWidth = 900;
constexpr double kRowHeight = 26;
constexpr double kTop = 56;  // title and axis
constexpr double kIndent = 14;
constexpr size_t kLabelBytes = 72;
// Marks drawn on one bar at most; they sit a few pixels apart at the bar's start.
constexpr size_t kMaxMarks = 60;
constexpr double kMarkStep = 9, kTickStep = 3;

// A step for the axis: 1, 2 or 5 times a power of ten, about a tenth of the span.
double AxisStep(double span) {
  const double raw = span / 10;
  const double p = std::pow(10.0, std::floor(std::log10(raw)));
  for (double m : {1.0, 2.0, 5.0})
    if (raw <= m * p) return m * p;
  return 10 * p;
}

class SvgWriter {
 public:
  std::string Write(const TimelineLayout& l) {
    m_t0 = l.tmin;
    double span = l.tmax - l.tmin;
    if (!(span > 0)) span = 1;
    m_scale = kChartWidth / span;
    const size_t notes = (l.cut ? 1 : 0) + (l.deep ? 1 : 0) + (l.rows.empty() ? 1 : 0);
    const double height = kTop + kRowHeight * static_cast<double>(l.rows.size() + notes) + 16;
    const double width = kLabelWidth + kChartWidth + 40;
    m_out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    m_out += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + Px(width) + "\" height=\"" + Px(height) +
             "\" viewBox=\"0 0 " + Px(width) + " " + Px(height) +
             "\" font-family=\"'Noto Sans CJK SC', 'WenQuanYi Micro Hei', 'Microsoft YaHei', sans-serif\" "
             "font-size=\"12\" data-start=\"" + Num(l.tmin) + "\" data-end=\"" + Num(l.tmax) + "\">\n";
    m_out += "<title>scrread timeline</title>\n";
    m_out += "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n";
    Axis(span, height);
    double y = kTop;
    for (const Row& r : l.rows) {
      RowOut(r, y);
      y += kRowHeight;
    }
    if (l.rows.empty()) Note("no animations", y), y += kRowHeight;
    if (l.deep) Note("animations nested deeper than " + std::to_string(SCR_MAX_BLOCK_DEPTH) + " levels are not drawn", y), y += kRowHeight;
    if (l.cut) Note("only the first " + std::to_string(SCRREAD_MAX_TIMELINE_ROWS) + " rows are drawn", y);
    m_out += "</svg>\n";
    return std::move(m_out);
  }

 private:
  double X(double t) const { return kLabelWidth + (t - m_t0) * m_scale; }

  void Axis(double span, double height) {
    const double step = AxisStep(span);
    m_out += "<g class=\"axis\" stroke=\"#d8d8d8\" fill=\"#555555\">\n";
    m_out += "<line x1=\"" + Px(kLabelWidth) + "\" y1=\"" + Px(kTop - 6) + "\" x2=\"" + Px(kLabelWidth + kChartWidth) +
             "\" y2=\"" + Px(kTop - 6) + "\" stroke=\"#888888\"/>\n";
    // At most some twenty lines: the step is a tenth of the span, rounded up.
    for (double t = std::ceil(m_t0 / step) * step; t <= m_t0 + span + step * 1e-6; t += step) {
      const std::string x = Px(X(t));
      m_out += "<line x1=\"" + x + "\" y1=\"" + Px(kTop - 10) + "\" x2=\"" + x + "\" y2=\"" + Px(height - 8) + "\"/>\n";
      m_out += "<text x=\"" + x + "\" y=\"" + Px(kTop - 14) + "\" text-anchor=\"middle\" stroke=\"none\">" +
               Num(std::abs(t) < step * 1e-9 ? 0 : t) + "</text>\n";
    }
    m_out += "</g>\n";
  }

  static const char* Fill(Row::Type t) {
    switch (t) {
      case Row::Animation: return "#4a78c8";
      case Row::Controller: return "#3c9a5f";
      case Row::Reference: return "#9a8fc4";
      case Row::Cycle: return "#c84a4a";
      default: return "#000000";
    }
  }
  static const char* Kind(Row::Type t) {
    switch (t) {
      case Row::Animation: return "animation";
      case Row::Controller: return "controller";
      case Row::Reference: return "reference";
      case Row::Cycle: return "cycle";
      default: return "heading";
    }
  }

  // The data attributes of one element.
  static std::string Data(const char* kind, const std::string& name, double start, double end) {
    return " data-kind=\"" + Xml(kind) + "\" data-name=\"" + Xml(name) + "\" data-start=\"" + Num(start) +
           "\" data-end=\"" + Num(end) + "\"";
  }

  void Note(const std::string& text, double y) {
    m_out += "<text class=\"note\" data-kind=\"note\" x=\"8\" y=\"" + Px(y + 17) + "\" fill=\"#b03030\">" + Xml(text) +
             "</text>\n";
  }

  void RowOut(const Row& r, double y) {
    if (r.type == Row::Heading) {
      m_out += "<text class=\"heading\" x=\"8\" y=\"" + Px(y + 18) + "\" font-weight=\"bold\">" + Xml(r.label) +
               "</text>\n";
      return;
    }
    const double indent = std::min(kIndent * r.depth, kLabelWidth / 2);
    m_out += "<g class=\"row\">\n<text x=\"" + Px(8 + indent) + "\" y=\"" + Px(y + 17) + "\"" +
             (r.type == Row::Animation || r.type == Row::Reference ? " font-weight=\"bold\"" : "") + ">" +
             Xml(Cut(r.label, kLabelBytes - static_cast<size_t>(indent / 4))) + "<title>" + Xml(r.title) +
             "</title></text>\n";
    // A bar is at least two pixels wide, so that an instant still shows.
    const double x = X(r.start), w = std::max(2.0, X(r.end) - x);
    const double top = y + 5, h = r.type == Row::Controller ? 12 : 16;
    m_out += "<rect" + Data(Kind(r.type), r.name, r.start, r.end) + " x=\"" + Px(x) + "\" y=\"" + Px(top) +
             "\" width=\"" + Px(w) + "\" height=\"" + Px(h) + "\" rx=\"3\" fill=\"" + Fill(r.type) + "\"" +
             (r.type == Row::Reference ? " stroke=\"#5a4f94\" stroke-dasharray=\"4 2\"" : "") + "><title>" +
             Xml(r.title) + "</title></rect>\n";
    // Events: diamonds along the top edge from the bar's start; their kinds after the bar.
    std::string kinds;
    for (size_t i = 0; i < r.events.size() && i < kMaxMarks; ++i) {
      const Mark& m = r.events[i];
      const double cx = x + 5 + kMarkStep * static_cast<double>(i), cy = top;
      m_out += "<path" + Data(m.kind.c_str(), m.name, r.start, r.end) + " d=\"M" + Px(cx) + " " + Px(cy - 4) + " l4 4 l-4 4 l-4 -4 z\"" +
               " fill=\"#f0b030\" stroke=\"#7a5a10\" stroke-width=\"0.6\"><title>" + Xml(m.title) + "</title></path>\n";
      if (i) kinds += ", ";
      kinds += m.kind;
    }
    if (r.events.size() > kMaxMarks) kinds += ", … " + std::to_string(r.events.size() - kMaxMarks) + " more";
    // Action records: ticks under the bar, one per record, in the order they run.
    for (size_t i = 0; i < r.acts.size() && i < kMaxMarks * 4; ++i) {
      const Mark& m = r.acts[i];
      const std::string tx = Px(x + 1 + kTickStep * static_cast<double>(i));
      m_out += "<line" + Data("act", m.name, r.start, r.start) + " x1=\"" + tx + "\" y1=\"" + Px(top + h) + "\" x2=\"" +
               tx + "\" y2=\"" + Px(top + h + 6) + "\" stroke=\"#202020\" stroke-width=\"1.5\"><title>" + Xml(m.title) +
               "</title></line>\n";
    }
    if (r.acts.size() > kMaxMarks * 4)
      kinds += (kinds.empty() ? "" : "; ") + std::to_string(r.acts.size()) + " action records, the first " +
               std::to_string(kMaxMarks * 4) + " drawn";
    if (!kinds.empty())
      m_out += "<text x=\"" + Px(x + w + 6) + "\" y=\"" + Px(top + 10) + "\" font-size=\"10\" fill=\"#555555\">" +
               Xml(Cut(kinds, 120)) + "</text>\n";
    m_out += "</g>\n";
  }

  std::string m_out;
  double m_t0 = 0, m_scale = 1;
};

}  // namespace

const CAnimation* FindAnimationForView(const CSgModule& root, const std::string& utf8Name) {
  const std::string name = ScrUtf8ToGbk(utf8Name);
  // The finds are not const (a find may note what it found); the module is only read.
  CSgModule& r = const_cast<CSgModule&>(root);
  if (const CAnimation* a = AsAnimation(r.FindAnimation(name.c_str()))) return a;
  if (name.find(':') != std::string::npos) return nullptr;
  const CAnimation* found = nullptr;
  ForEachModule(root, [&](const CSgModule& m) {
    if (!found) found = AsAnimation(const_cast<CSgModule&>(m).FindAnimationLocal(name.c_str()));
  });
  return found;
}

std::vector<const CAnimation*> TopLevelAnimations(const CSgModule& root) {
  std::vector<const CAnimation*> all;
  ForEachModule(root, [&](const CSgModule& m) {
    for (int i = 0; i < m.animations().Count(); ++i)
      if (const CAnimation* a = AsAnimation(m.animations().At(i))) all.push_back(a);
  });
  std::unordered_set<const CAnimation*> subs;
  for (const CAnimation* a : all)
    for (int i = 0; i < a->SubAnimationCount(); ++i) subs.insert(a->SubAnimation(i));
  std::erase_if(all, [&subs](const CAnimation* a) { return subs.count(a) != 0; });
  return all;
}

// The duration of an animation on its own axis:
//   controllers:  each ends at ControllerSpan(c).end; the latest end counts;
//   serial:       max(sum of the sub-animations' durations, latest controller end);
//   parallel:     max(longest sub-animation, latest controller end);
//   reference:    the duration of the animation referred to (its own controllers and
//                 sub-animations, if any, count as above besides).
// An animation met again inside itself (a cycle) counts 0 there, and so does whatever lies
// deeper than SCR_MAX_BLOCK_DEPTH: the measure always ends. The speed factor (speedup) is the
// player's business and is shown, not applied.
double AnimationDurations::Of(const CAnimation& a, int depth) {
  if (auto it = m_done.find(&a); it != m_done.end()) return it->second;
  if (depth > SCR_MAX_BLOCK_DEPTH || !m_open.insert(&a).second) return 0;
  double controllers = 0;
  for (int i = 0; i < a.ControllerCount(); ++i)
    if (const CTEventController* c = a.Controller(i)) controllers = std::max(controllers, ControllerSpan(*c).end);
  double subs = 0;
  for (int i = 0; i < a.SubAnimationCount(); ++i) {
    const CAnimation* s = a.SubAnimation(i);
    if (!s) continue;
    const double d = Of(*s, depth + 1);
    subs = a.m_playMode == CAnimation::PLAY_PARALLEL ? std::max(subs, d) : subs + d;
  }
  double total = std::max(controllers, subs);
  if (const CAnimation* r = Referenced(a)) total = std::max(total, Of(*r, depth + 1));
  m_open.erase(&a);
  m_done.emplace(&a, total);
  return total;
}

double AnimationDuration(const CAnimation& anim) { return AnimationDurations().Of(anim); }

std::string DumpTimeline(const std::vector<AnimationGroup>& groups) {
  TimelineLayout layout;
  for (const AnimationGroup& g : groups) {
    if (!g.title.empty()) layout.Heading(g.title);
    // Each top-level animation starts at 0: they are played on their own, not one after another.
    for (const CAnimation* a : g.animations)
      if (a) layout.Animation(*a, 0, 0);
  }
  return SvgWriter().Write(layout);
}
