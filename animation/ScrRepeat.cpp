// The `repeat` block reader and its unrolling.
//
// The runtime has no loops over animations or records: the reader writes the loop out. Each
// iteration costs animations (or copies of records), so the unrolling is bounded twice: per
// repeat (SCR_MAX_REPEAT_UNROLL iterations) and per read (CScriptReader::ChargeRepeat). A step
// that never reaches past the end is reported instead of unrolled.
#include "animation/ScrRepeat.h"

#include <cmath>
#include <cstdlib>
#include <list>
#include <sstream>
#include <string>
#include <vector>

#include "animation/ScrAction.h"
#include "animation/ScrQuick.h"
#include "declarations/ScrVariable.h"
#include "compiler/ScrFunction.h"
#include "elements/ScrCtrlpt.h"
#include "lexer/ScrLex.h"
#include "lexer/ScrLimits.h"
#include "lexer/ScrValues.h"
#include "reader/ScrScript.h"
#include "reader/ScriptReader.h"
#include "sg/Action.h"
#include "sg/Animation.h"
#include "sg/Event.h"
#include "sg/Module.h"
#include "sg/Variable.h"

namespace {

// A number written as text for messages: integers without a point.
std::string NumberText(double v, bool real) {
  if (!real && std::fabs(v) < 9e15) return std::to_string(static_cast<long long>(v));
  std::string s = std::to_string(v);
  s.erase(s.find_last_not_of('0') + 1);
  if (!s.empty() && s.back() == '.') s.pop_back();
  return s;
}

// The value a start, end or step variable holds, as the loop reads it.
double ValueOf(const CSgVariable* v, bool real, double otherwise) {
  if (!v) return otherwise;
  return real ? v->GetDouble() : static_cast<double>(v->GetLong());
}

}  // namespace

CScrRepeat::CScrRepeat(CScriptReader* reader) : CScrObject(reader) {}

CScrRepeat::~CScrRepeat() {
  delete m_animation;
  delete m_action;
}

// The animation is named before it leaves: a body (or a sequence) that is filed without a name of
// its own could not be played by name.
CAnimation* CScrRepeat::TakeAnimation() {
  if (m_animation) ScrNameAnimationUniquely(ScriptReader(), m_animation);
  CAnimation* a = m_animation;
  m_animation = nullptr;
  return a;
}

// repeat [{] sub-keyword ... }: the body animation and the action event exist from the start;
// the mode decides at the close which one the repeat yields.
int CScrRepeat::Read(CScrStream* f) {
  CSgModule* module = ScriptReader()->CurrentModule();
  m_animation = new CAnimation("animation");
  m_animation->SetModule(module);
  m_action = new CTEventActionEx(module);
  const int ok = ReadBlock(f);
  return ok && m_result;
}

int CScrRepeat::ReadSubKeyword(CScrStream* f, const char* kw) {
  static const ScrSubKeywords<CScrRepeat> kSubs = {
      {"property", &CScrRepeat::ReadProperty}, {"counter", &CScrRepeat::ReadCounter},
      {"animation", &CScrRepeat::ReadAnimation}, {"act", &CScrRepeat::ReadAct},
      {"quick", &CScrRepeat::ReadQuick},
  };
  const int r = kSubs.Dispatch(this, f, kw);
  if (r != SCR_SUB_UNKNOWN) return r;
  if (ScrIsCallShaped(kw) && !ScrStartsWithFunctionType(kw)) return ReadCall(f, kw);
  return SCR_SUB_UNKNOWN;
}

// property { word ... }: an animation's playing options; an unknown word ends the list.
int CScrRepeat::ReadProperty(CScrStream* f, const char*) {
  std::vector<std::string> words;
  ScrReadWordList(f, words);
  for (const std::string& w : words)
    if (!m_options.Take(w, false)) {
      ReportInvalidString(f, w.c_str());
      return SCR_SUB_FAIL;
    }
  return SCR_SUB_OK;
}

CSgVariable* CScrRepeat::CounterValue(const std::string& text) {
  CScriptReader* r = ScriptReader();
  CSgModule* module = r->CurrentModule();
  if (text.empty()) return nullptr;
  if (ScrIsConstant(text.c_str())) {
    auto* v = new CSgVariable();
    if (ScrIsReal(text.c_str())) {
      v->SetVarType(SGVT_FLOAT, 0);
      v->SetFloat(std::strtof(text.c_str(), nullptr));
    } else {
      long long n = text == "true" ? 1 : text == "false" ? 0
                    : std::strtoll(text.c_str(), nullptr, text.compare(0, 2, "0X") == 0 ? 16 : 10);
      v->SetVarType(SGVT_INT, 0);
      v->SetInt(ScrNarrow<int>(n));
    }
    if (!r->AddObject(v)) {
      delete v;
      return nullptr;
    }
    return v;
  }
  return ScrFindScriptVariable(module, text);
}

// counter { variable start end [step] }: a variable not yet known is made (an integer); start,
// end and step are literals or variables. Without a step the counter goes up by one.
int CScrRepeat::ReadCounter(CScrStream* f, const char*) {
  std::vector<std::string> words;
  {
    // The values may stand in one token ("i 1 3") or in several ("i, 1, 3").
    std::vector<std::string> tokens;
    ScrReadWordList(f, tokens);
    for (const std::string& t : tokens) {
      std::istringstream in(t);
      for (std::string w; words.size() < 4 && in >> w;) words.push_back(w);
    }
  }
  if (words.empty() || ScrIsConstant(words[0].c_str())) {
    ReportInvalidString(f, words.empty() ? "" : words[0].c_str());
    return SCR_SUB_FAIL;
  }
  CScriptReader* r = ScriptReader();
  CSgVariable* counter = r->CurrentModule()->FindVariable(words[0].c_str(), 0);
  if (!counter) {
    counter = new CSgVariable();
    counter->SetVarType(SGVT_INT, 0);
    counter->SetName(words[0].c_str());
    if (!r->AddObject(counter)) {
      delete counter;
      return SCR_SUB_FAIL;
    }
  }
  CSgVariable* values[3] = {nullptr, nullptr, nullptr};
  for (size_t i = 1; i < words.size(); ++i) {
    values[i - 1] = CounterValue(words[i]);
    if (!values[i - 1]) {
      ReportInvalidString(f, words[i].c_str());
      return SCR_SUB_FAIL;
    }
  }
  // A counter needs to know where it starts and where it ends.
  if (!values[0] || !values[1]) {
    ReportInvalidString(f, words[0].c_str());
    return SCR_SUB_FAIL;
  }
  m_counter = counter;
  m_start = values[0];
  m_end = values[1];
  m_step = values[2];
  m_float = (counter->VarType() & ~SGVT_ARRAY) == SGVT_FLOAT;
  // Checked here, where the counter is written: one that never ends is not kept.
  m_iterations = Iterations(f);
  if (m_iterations < 0) {
    m_counter = nullptr;
    return SCR_SUB_FAIL;
  }
  return SCR_SUB_OK;
}

// animation { ... }: part of the body; filed when new.
int CScrRepeat::ReadAnimation(CScrStream* f, const char*) {
  CScrAnimation nested(ScriptReader());
  const int ok = nested.ReadInnerAndFile(f);
  CAnimation* a = nested.Animation();
  if (a && m_animation) m_animation->AddSubAnimation(a);
  return ok ? SCR_SUB_OK : SCR_SUB_STOP;
}

void CScrRepeat::EnterActionMode() {
  if (m_actionMode) return;
  m_actionMode = 1;
  delete m_animation;  // sub-animations it named stay filed in their module
  m_animation = nullptr;
}

// act { ... }: the body is records from now on.
int CScrRepeat::ReadAct(CScrStream* f, const char*) {
  EnterActionMode();
  CScrAct act(ScriptReader());
  const int ok = ReadNested(act, f);
  const ActPrm* main = act.MainRecord();
  if (main && main->Type() != 0) {
    m_action->AddActions(act.Records());
    if (ScrActionTypeIsNecessary(main->Type())) m_action->SetNecessary(1);
  }
  return ok ? SCR_SUB_OK : SCR_SUB_STOP;
}

// quick { command }: everything it made is filed; its first object, an animation, joins the body.
int CScrRepeat::ReadQuick(CScrStream* f, const char*) {
  CScrQuick q(ScriptReader());
  const int ok = ReadNested(q, f);
  CAnimation* first = q.Objects().empty() ? nullptr : dynamic_cast<CAnimation*>(q.Objects().front());
  ScrFileObjects(ScriptReader(), q.Objects());
  if (first && m_animation) m_animation->AddSubAnimation(first);
  return ok ? SCR_SUB_OK : SCR_SUB_STOP;
}

// f(a, b): the animations the body makes join the repeat's body, its records the action's.
int CScrRepeat::ReadCall(CScrStream* f, const char* kw) {
  std::vector<CKvoObject*> objects;
  std::list<ActPrm*> records;
  const int ok = ScrDefineOrCallFunction(ScriptReader(), f, ScrCallToken(kw), &objects, false, &records);
  if (m_animation)
    for (CKvoObject* o : objects)
      if (o->TypeCode() == SGT_ANIMATION)
        if (auto* a = dynamic_cast<CAnimation*>(o)) m_animation->AddSubAnimation(a);
  for (const ActPrm* rec : records) {
    if (rec->Type() == 0) continue;
    m_action->AddAction(*rec);
    if (ScrActionTypeIsNecessary(rec->Type())) m_action->SetNecessary(1);
  }
  SgFreeActions(records);
  return ok ? SCR_SUB_OK : SCR_SUB_STOP;
}

long long CScrRepeat::Iterations(CScrStream* f) {
  const double start = ValueOf(m_start, m_float, 0), end = ValueOf(m_end, m_float, 0);
  const double step = ValueOf(m_step, m_float, 1);
  if (!(start <= end)) return 0;  // the body never runs (also for a start that is no number)
  // Walk the values exactly as the unrolling will: a real step may be too small to move a large
  // value at all, which no formula on (end - start) / step would notice.
  long long n = 0;
  if (step > 0)
    for (double v = start; v <= end && n <= SCR_MAX_REPEAT_UNROLL; v += step) ++n;
  if (!(step > 0)) {
    Report(ScrTextId::err_repeat_bad_step, f,
           {NumberText(step, m_float), NumberText(start, m_float), NumberText(end, m_float), ScrGetCurKeyWord()});
    return -1;
  }
  if (n > SCR_MAX_REPEAT_UNROLL) {
    Report(ScrTextId::err_repeat_too_long, f, {SCR_MAX_REPEAT_UNROLL, ScrGetCurKeyWord()});
    return -1;
  }
  return n;
}

void CScrRepeat::AssignmentRecord(ActPrm& rec, double value) const {
  rec.SetType(500);  // set variable
  rec.SetString(m_counter->Name());
  if (m_float) rec.SetFloat(static_cast<float>(value));
  else rec.SetInt(ScrNarrow<int>(value));
}

CAnimation* CScrRepeat::AssignmentAnimation(double value) {
  CScriptReader* r = ScriptReader();
  CAnimation* a = ScrNewAnimation(r);
  auto* controller = new CTEventController();
  controller->SetLife(0, 200);
  auto* event = new CTEventActionEx(r->CurrentModule());
  ActPrm rec;
  AssignmentRecord(rec, value);
  event->AddAction(rec);
  event->SetController(controller);
  a->AddController(controller);
  r->AddObject(a);  // an animation: the module always takes it
  return a;
}

// The body is filed under a name of its own so that each iteration can play it by name; the
// sequence (assignment, then body and assignment per iteration) becomes the repeat's animation.
void CScrRepeat::UnrollAnimations(long long n) {
  CScriptReader* r = ScriptReader();
  CAnimation* body = m_animation;
  ScrNameAnimationUniquely(r, body);
  r->AddObject(body);
  auto* seq = new CAnimation("animation");
  seq->SetModule(r->CurrentModule());
  m_animation = seq;  // owned here until taken, whatever happens below
  double value = ValueOf(m_start, m_float, 0);
  const double step = ValueOf(m_step, m_float, 1);
  seq->AddSubAnimation(AssignmentAnimation(value));
  for (long long i = 0; i < n; ++i, value += step) {
    CAnimation* play = ScrNewAnimation(r);
    play->ReferenceFrom(body);
    r->AddObject(play);
    seq->AddSubAnimation(play);
    seq->AddSubAnimation(AssignmentAnimation(value + step));
  }
  // Named last: the animations above are filed, so the name is one none of them has.
  ScrNameAnimationUniquely(r, seq);
}

// The records of the body are copied once per iteration, each copy followed by the assignment
// of the next counter value.
void CScrRepeat::UnrollActions(long long n) {
  auto* unrolled = new CTEventActionEx(ScriptReader()->CurrentModule());
  double value = ValueOf(m_start, m_float, 0);
  const double step = ValueOf(m_step, m_float, 1);
  ActPrm rec;
  AssignmentRecord(rec, value);
  unrolled->AddAction(rec);
  for (long long i = 0; i < n; ++i, value += step) {
    for (const ActPrm& a : m_action->Actions()) unrolled->AddAction(a);
    AssignmentRecord(rec, value + step);
    unrolled->AddAction(rec);
  }
  unrolled->SetNecessary(m_action->Necessary());
  delete m_action;
  m_action = unrolled;
}

// The closing brace: unroll, then give the repeat's animation the playing options.
void CScrRepeat::Finish() {
  long long n = -1;
  if (m_counter) {
    // Each iteration copies the body's records (and one assignment), or plays the body once.
    n = m_iterations;
    const long long copies = m_actionMode ? n * (m_action->ActionCount() + 1) : n;
    if (!ScriptReader()->ChargeRepeat(copies, nullptr)) {
      n = -1;
      m_result = 0;
    }
  }
  if (m_actionMode) {
    if (n >= 0) UnrollActions(n);
    return;
  }
  delete m_action;
  m_action = nullptr;
  if (n >= 0) UnrollAnimations(n);  // otherwise the body alone is the repeat's animation
  m_options.Apply(m_animation);
}
