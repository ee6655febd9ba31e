// The `animation` block reader: names and their resolution, the sub-keywords, and the close
// that applies what the block said.
#include "animation/ScrAnimation.h"

#include <cstdlib>

#include "animation/ScrController.h"
#include "animation/ScrQuick.h"
#include "animation/ScrRepeat.h"
#include "animation/ScrTrigger.h"
#include "declarations/ScrVariable.h"
#include "compiler/ScrFunction.h"
#include "compiler/ScrProgram.h"
#include "elements/ScrCtrlpt.h"
#include "elements/ScrReaction.h"
#include "lexer/ScrLex.h"
#include "lexer/ScrLimits.h"
#include "lexer/ScrValues.h"
#include "reader/ScrScript.h"
#include "reader/ScriptReader.h"
#include "sg/Animation.h"
#include "sg/Event.h"
#include "sg/Module.h"
#include "sg/Platform.h"
#include "sg/Program.h"
#include "sg/Trigger.h"
#include "sg/Variable.h"

long CScrAnimation::m_totalTick = 0;

namespace {

// The name the runtime gives an animation nobody named; the reader makes it unique.
constexpr const char* kDefaultName = "animation";
// The id text an animation keeps (the runtime's field is 1024 bytes with its NUL).
constexpr size_t kIdMax = 1023;

// Every module has its own boot and end animations: these two names never reach beyond it.
bool IsModuleBootOrEnd(const std::string& n) { return n == "module boot" || n == "module end"; }

// The value of a literal written for a group or a from/to variable: true 1, false 0, "0X..."
// hexadecimal, else decimal (a real is cut at its point). Out-of-range numbers saturate.
int LiteralValue(const std::string& v) {
  if (v == "true") return 1;
  if (v == "false") return 0;
  if (v.size() >= 2 && v.compare(0, 2, "0X") == 0) return ScrNarrow<int>(std::strtoll(v.c_str(), nullptr, 16));
  return ScrNarrow<int>(std::strtoll(v.c_str(), nullptr, 10));
}

// An animation of `module` (or, searching beyond it, of the modules it sees) by name.
CAnimation* FindAnim(CSgModule* module, const std::string& name) {
  return dynamic_cast<CAnimation*>(module->FindAnimation(name.c_str()));
}

// 1 when the next token is the '}' that closes a value or a block; nothing is consumed.
bool NextIsClose(CScrStream* f) {
  ScrLexMark mark = ScrSaveLexState(f);
  std::string t;
  ScrReadString(f, t);
  ScrRestoreLexState(f, mark);
  return !t.empty() && t[0] == '}';
}

// reference { animation { ... } replace { old new } time { t } }: what an animation that stands
// for another one plays, with texts of the names replaced and the time adjusted.
class ScrReferenceBlock : public CScrObject {
 public:
  ScrReferenceBlock(CScriptReader* reader, CAnimation* target) : CScrObject(reader), m_target(target) {}
  int Read(CScrStream* f) override { return ReadBlock(f); }

 protected:
  int ReadSubKeyword(CScrStream* f, const char* kw) override {
    static const ScrSubKeywords<ScrReferenceBlock> kSubs = {
        {"animation", &ScrReferenceBlock::ReadAnimation},
        {"replace", &ScrReferenceBlock::ReadReplace},
        {"time", &ScrReferenceBlock::ReadTime},
    };
    return kSubs.Dispatch(this, f, kw);
  }

 private:
  // The animation referred to, read here: filed when new, named by its full name as this
  // module writes it.
  int ReadAnimation(CScrStream* f, const char*) {
    CScrAnimation nested(ScriptReader());
    const int ok = nested.ReadInnerAndFile(f);
    if (CAnimation* a = nested.Animation()) m_target->SetReferenceName(a->GetFullName(ScriptReader()->CurrentModule()).c_str());
    return ok ? SCR_SUB_OK : SCR_SUB_STOP;
  }

  // replace { old new }: a missing text counts as empty; the brace that ends the value (or,
  // without braces, the block) is not taken as a text.
  int ReadReplace(CScrStream* f, const char*) {
    const int braced = OpenBrace(f);
    std::string texts[2];
    for (std::string& t : texts) {
      if (NextIsClose(f)) break;
      ScrReadString(f, t);
    }
    if (braced) CloseBrace(f);
    m_target->SetReplaceString((texts[0] + "," + texts[1]).c_str());
    return SCR_SUB_OK;
  }

  // time { t }: one number; the first is taken whatever the count.
  int ReadTime(CScrStream* f, const char*) {
    const int braced = OpenBrace(f);
    float v[2] = {0, 0};
    int count = 0;
    ScrReadAllValues(f, v, count, 2);
    if (braced) CloseBrace(f);
    int result = SCR_SUB_OK;
    if (count != 1) {
      Report(ScrTextId::err_time_count, f);
      result = SCR_SUB_FAIL;
    }
    m_target->AdjustToTime(v[0]);
    return result;
  }

  CAnimation* m_target;
};

}  // namespace

// ---------------------------------------------------------------------------------------------
// Shared helpers

void ScrNameAnimationUniquely(CScriptReader* reader, CAnimation* anim) {
  if (!anim) return;
  const std::string base = *anim->Name() ? anim->Name() : kDefaultName;
  CSgModule* module = anim->Module() ? anim->Module() : reader->CurrentModule();
  // The animations being read are not filed yet; their names count as taken all the same, or a
  // nested one could take its parent's name. The stack is as deep as blocks nest.
  auto taken = [&](const std::string& n) {
    if (module->FindAnimationLocal(n.c_str())) return true;
    for (const CAnimation* a : reader->AnimationStack())
      if (a != anim && n == a->Name()) return true;
    return false;
  };
  auto numbered = [&](long long i) { return base + "_" + std::to_string(i); };
  if (!taken(base)) {
    anim->SetName(base.c_str());
    return;
  }
  // The numbered names are taken from 1 upwards as animations are made, so the first free one
  // is found by doubling and then halving (lo taken or 0, hi free): a few lookups, where trying
  // 1, 2, 3, ... in turn would make the n-th default name cost n lookups. Whatever the names
  // taken, hi is always one that was found free.
  long long lo = 0, hi = 1;
  while (taken(numbered(hi))) {
    lo = hi;
    hi *= 2;
  }
  while (hi - lo > 1) {
    const long long mid = lo + (hi - lo) / 2;
    if (taken(numbered(mid))) lo = mid;
    else hi = mid;
  }
  anim->SetName(numbered(hi).c_str());
}

CAnimation* ScrNewAnimation(CScriptReader* reader) {
  auto* a = new CAnimation(kDefaultName);
  a->SetModule(reader->CurrentModule());
  ScrNameAnimationUniquely(reader, a);
  return a;
}

void ScrFileObjects(CScriptReader* reader, std::list<CKvoObject*>& objects) {
  for (CKvoObject* o : objects)
    if (!reader->AddObject(o)) delete o;  // no collection takes it: nobody else would free it
  objects.clear();
}

std::string ScrCallToken(const char* keyword) {
  std::string tok = keyword ? keyword : "";
  size_t semi = tok.find(';');
  if (semi != std::string::npos) tok.resize(semi);
  return tok;
}

bool CScrAnimation::Options::Take(const std::string& word, bool full) {
  const char* w = word.c_str();
  if (straccord(w, "reverse")) reverse = 1;
  else if (straccord(w, "continuous")) continuous = 1;
  else if (straccord(w, "serial")) playMode = CAnimation::PLAY_SERIAL;
  else if (straccord(w, "parallel")) playMode = CAnimation::PLAY_PARALLEL;
  else if (straccord(w, "constant")) constant = 1;
  else if (straccord(w, "variable")) constant = 0;
  else if (straccord(w, "export")) exported = 1;
  else if (straccord(w, "unexport")) exported = 0;
  else if (full && straccord(w, "virtual")) isVirtual = 1;
  else if (full && straccord(w, "switch")) switchOption = 1;
  else if (full && straccord(w, "signal")) signalOption = 1;
  else return false;
  return true;
}

void CScrAnimation::Options::Apply(CAnimation* a) const {
  if (reverse == 1) a->SetReverse(1, 1);
  if (continuous == 1) a->SetContinuousPlay(1);
  if (playMode >= 0) a->m_playMode = playMode;
  if (constant == 1) a->m_flags |= CAnimation::FLAG_CONSTANT;
  if (constant == 0) a->m_flags &= ~DWORD(CAnimation::FLAG_CONSTANT);
  if (exported == 1) a->m_flags |= CAnimation::FLAG_EXPORT;
  if (exported == 0) a->m_flags &= ~DWORD(CAnimation::FLAG_EXPORT);
}

// ---------------------------------------------------------------------------------------------
// CScrAnimation

CScrAnimation::CScrAnimation(CScriptReader* reader) : CScrObject(reader) {}

CScrAnimation::~CScrAnimation() {
  if (m_new && !m_taken) delete m_animation;
}

CKvoObject* CScrAnimation::TakeObject() {
  if (!m_new || m_taken) return nullptr;
  m_taken = true;
  return m_animation;
}

int CScrAnimation::ReadInner(CScrStream* f) {
  const long saved = m_totalTick;
  const int ok = ReadNested(*this, f);
  m_totalTick = saved;
  return ok;
}

int CScrAnimation::ReadInnerAndFile(CScrStream* f) {
  const int ok = ReadInner(f);
  if (CKvoObject* o = TakeObject(); o && !ScriptReader()->AddObject(o)) {
    delete o;  // no collection takes it
    m_animation = nullptr;
  }
  return ok;
}

// animation [{] sub-keyword ... }: the animation is made at once with a unique default name and
// is the current animation while the block is read (re-opening one by name puts that one in its
// place). A nested read's time is counted by the outermost read only.
int CScrAnimation::Read(CScrStream* f) {
  const unsigned long start = SgTickCount();
  CScriptReader* r = ScriptReader();
  m_animation = ScrNewAnimation(r);
  m_new = 1;
  r->AnimationStack().push_back(m_animation);
  int result = ReadBlock(f);
  if (m_closeFailed) result = 0;
  r->AnimationStack().pop_back();
  m_totalTick += static_cast<long>(SgTickCount() - start);
  return result;
}

int CScrAnimation::ReadSubKeyword(CScrStream* f, const char* kw) {
  static const ScrSubKeywords<CScrAnimation> kSubs = {
      {"name", &CScrAnimation::ReadName},
      {"id", &CScrAnimation::ReadId},
      {"group", &CScrAnimation::ReadGroup},
      {"from", &CScrAnimation::ReadFromTo},
      {"to", &CScrAnimation::ReadFromTo},
      {"speedup", &CScrAnimation::ReadSpeedup},
      {"property", &CScrAnimation::ReadProperty},
      {"conditions", &CScrAnimation::ReadConditions},
      {"controller", &CScrAnimation::ReadController},
      {"life", &CScrAnimation::ReadLife},
      {"program", &CScrAnimation::ReadProgram},
      {"animation", &CScrAnimation::ReadNestedAnimation},
      {"repeat", &CScrAnimation::ReadRepeat},
      {"quick", &CScrAnimation::ReadQuick},
      {"reference", &CScrAnimation::ReadReference},
      {"trigger", &CScrAnimation::ReadTrigger},
  };
  const int r = kSubs.Dispatch(this, f, kw);
  if (r != SCR_SUB_UNKNOWN) return r;
  if (ScrIsCallShaped(kw) && !ScrStartsWithFunctionType(kw)) return ReadCall(f, kw);
  return SCR_SUB_UNKNOWN;
}

void CScrAnimation::Reopen(CAnimation* existing) {
  if (m_new && !m_taken) delete m_animation;
  m_animation = existing;
  m_new = 0;
  m_taken = false;
  ScriptReader()->AnimationStack().back() = existing;
}

// name { N }: an animation of that name seen from here is re-opened, a virtual one is
// implemented, "base@引用" / "base@反向" stand for another animation; otherwise the new
// animation takes the name. Inside a script-function expansion the name gets the instance suffix
// so that each call makes its own animation.
int CScrAnimation::ReadName(CScrStream* f, const char*) {
  std::string n;
  ReadValueString(f, n);
  CScriptReader* r = ScriptReader();
  CSgModule* current = r->CurrentModule();
  CSgModule* own = m_animation->Module();

  // Seen from here under the name as written.
  if (CAnimation* e = FindAnim(current, n)) {
    if (e->IsVirtual()) {
      m_declaration = e;
      m_animation->SetName(e->Module() != own ? n.c_str() : (n + "#real").c_str());
      return SCR_SUB_OK;
    }
    if (!IsModuleBootOrEnd(n) || e->Module() == current) {
      Reopen(e);
      return SCR_SUB_OK;
    }
    // Another module's boot or end animation: this module makes its own.
  }

  // Under the name of this expansion, when its function was defined in this module.
  SCRFUNCTION* context = ScrTopCallContext();
  if (context && context->module == current) {
    std::string suffix;
    ScrGetInstanceSuffix(suffix);
    const std::string written = n;
    n += suffix;
    if (CAnimation* e = FindAnim(current, n)) {
      if (!e->IsVirtual()) {
        if (!IsModuleBootOrEnd(written) || e->Module() == current) {
          Reopen(e);
          return SCR_SUB_OK;
        }
      } else if (e->Module() == own) {
        Report(ScrTextId::warn_virtual_animation_same_module, f, {n});
        e->m_flags &= ~DWORD(CAnimation::FLAG_VIRTUAL);
        Reopen(e);
        return SCR_SUB_OK;
      } else {
        m_declaration = e;
        m_animation->SetName(n.c_str());
        return SCR_SUB_OK;
      }
    }
  }

  // base@word[$tail]: plays base as it is (引用) or reversed (反向).
  const size_t at = n.rfind('@');
  if (at != std::string::npos) {
    const std::string base = n.substr(0, at);
    std::string word = n.substr(at + 1);
    const size_t dollar = word.find('$');
    if (dollar != std::string::npos) word.resize(dollar);
    CAnimation* b = FindAnim(current, base);
    const bool plain = word == ScrText(ScrTextId::word_anim_reference);
    const bool reversed = word == ScrText(ScrTextId::word_anim_reverse);
    if (b && (plain || reversed)) {
      m_animation->SetReferenceName(b->GetFullName(current).c_str());
      if (reversed) m_animation->SetReverse(1, 1);
      const size_t colon = n.rfind(':');
      m_animation->SetName(colon == std::string::npos ? n.c_str() : n.c_str() + colon + 1);
      return SCR_SUB_OK;
    }
  }

  // A name qualified by another module names an animation that must exist there.
  if (n.find(':') != std::string::npos) {
    Report(ScrTextId::err_external_animation_not_defined, f, {n});
    return SCR_SUB_STOP;
  }
  m_animation->SetName(n.c_str());
  return SCR_SUB_OK;
}

// id { text }: also the title of the notification the reader sends about this script.
int CScrAnimation::ReadId(CScrStream* f, const char*) {
  ReadValueString(f, m_id);
  if (m_id.size() > kIdMax) m_id.resize(kIdMax);
  m_idSet = true;
  ScriptReader()->SetNotificationTitle(m_id.c_str());
  return SCR_SUB_OK;
}

// group { 3 | 0X1F | true | MACRO }
int CScrAnimation::ReadGroup(CScrStream* f, const char*) {
  std::string v;
  ReadValueString(f, v);
  if (ScrIsConstant(v.c_str())) {
    m_group = LiteralValue(v);
  } else {
    DWORD value = 0;
    BYTE flag = 0;
    if (!ScriptReader()->FindMacro(v.c_str(), value, flag)) {
      Report(ScrTextId::err_macro_not_defined, f, {v, ScrGetCurKeyWord()});
      return SCR_SUB_STOP;
    }
    m_group = static_cast<int>(value);
  }
  m_groupSet = true;
  return SCR_SUB_OK;
}

CSgVariable* CScrAnimation::FromToVariable(const std::string& value) {
  CScriptReader* r = ScriptReader();
  CSgModule* current = r->CurrentModule();
  if (ScrIsConstant(value.c_str())) {
    auto* v = new CSgVariable();
    v->SetVarType(SGVT_INT, 0);
    v->SetInt(LiteralValue(value));
    if (!r->AddObject(v)) {
      delete v;
      return nullptr;
    }
    return v;
  }
  return ScrFindScriptVariable(current, value);
}

// from { v } / to { v }: a variable by name, or a literal that becomes a new variable.
int CScrAnimation::ReadFromTo(CScrStream* f, const char* kw) {
  std::string v;
  ReadValueString(f, v);
  CSgVariable* var = FromToVariable(v);
  if (!var) {
    Report(ScrTextId::err_macro_not_defined, f, {v, ScrGetCurKeyWord()});
    return SCR_SUB_STOP;
  }
  (kw[0] == 'f' ? m_from : m_to) = var;
  return SCR_SUB_OK;
}

int CScrAnimation::ReadSpeedup(CScrStream* f, const char*) {
  ReadValueNumbers(f, &m_speed, 1);
  m_speedSet = true;
  return SCR_SUB_OK;
}

// property { word ... }: kept for the close, except `declare`, which tells the parent at once.
// An unknown word ends the list.
int CScrAnimation::ReadProperty(CScrStream* f, const char*) {
  std::vector<std::string> words;
  ScrReadWordList(f, words);
  for (const std::string& w : words) {
    if (straccord(w.c_str(), "declare")) {
      m_declaredOnly = 1;
    } else if (!m_options.Take(w, true)) {
      ReportInvalidString(f, w.c_str());
      return SCR_SUB_FAIL;
    }
  }
  return SCR_SUB_OK;
}

int CScrAnimation::ReadConditions(CScrStream* f, const char*) {
  CScrConditions c(ScriptReader());
  const int ok = ReadNested(c, f);
  if (c.Conditions()) m_animation->SetConditions(c.Conditions());
  return ok ? SCR_SUB_OK : SCR_SUB_STOP;
}

// controller { ... }: the controller is kept also when its block failed, as far as it was read.
int CScrAnimation::ReadController(CScrStream* f, const char*) {
  CScrController c(ScriptReader());
  const int ok = ReadNested(c, f);
  m_animation->AddController(c.TakeController());
  m_content = true;
  return ok ? SCR_SUB_OK : SCR_SUB_STOP;
}

// life { start end }: an animation's life is its controllers'; the values are checked only.
int CScrAnimation::ReadLife(CScrStream* f, const char*) {
  const int braced = OpenBrace(f);
  float v[3];
  int count = 0;
  ScrReadAllValues(f, v, count, 3);  // room for one too many, to tell three from two
  if (braced) CloseBrace(f);
  if (count != 2) {
    Report(ScrTextId::err_life_count, f);
    return SCR_SUB_FAIL;
  }
  return SCR_SUB_OK;
}

// program { ... }: the initial program, registered where the animation lives.
int CScrAnimation::ReadProgram(CScrStream* f, const char*) {
  CScrProgram block(ScriptReader(), nullptr);
  CSgProgram* p = block.Program();
  if (!ReadNested(block, f)) {
    delete p;  // a program that did not compile is nobody's
    return SCR_SUB_STOP;
  }
  ScriptReader()->CurrentAnimationModule()->AddUserProgram(p);
  m_animation->SetInitProgram(p);
  return SCR_SUB_OK;
}

// animation { ... } inside: filed when new, a sub-animation unless only declared here.
int CScrAnimation::ReadNestedAnimation(CScrStream* f, const char*) {
  CScrAnimation nested(ScriptReader());
  const int ok = nested.ReadInnerAndFile(f);
  CAnimation* a = nested.Animation();
  if (a && !nested.IsDeclaredOnly()) m_animation->AddSubAnimation(a);
  m_content = true;
  return ok ? SCR_SUB_OK : SCR_SUB_STOP;
}

// repeat { ... }: its unrolled animation is a sub-animation (a repeat of acts gives none here).
int CScrAnimation::ReadRepeat(CScrStream* f, const char*) {
  CScrRepeat rep(ScriptReader());
  const int ok = ReadNested(rep, f);
  if (CAnimation* a = rep.TakeAnimation()) {
    if (ScriptReader()->AddObject(a)) m_animation->AddSubAnimation(a);
    else delete a;
  }
  m_content = true;
  return ok ? SCR_SUB_OK : SCR_SUB_STOP;
}

// quick { command }: everything it made is filed; its first object, an animation, is played.
int CScrAnimation::ReadQuick(CScrStream* f, const char*) {
  CScrQuick q(ScriptReader());
  const int ok = ReadNested(q, f);
  CAnimation* first = q.Objects().empty() ? nullptr : dynamic_cast<CAnimation*>(q.Objects().front());
  ScrFileObjects(ScriptReader(), q.Objects());
  if (first) m_animation->AddSubAnimation(first);
  m_content = true;
  return ok ? SCR_SUB_OK : SCR_SUB_STOP;
}

int CScrAnimation::ReadReference(CScrStream* f, const char*) {
  SetReference(1);
  ScrReferenceBlock block(ScriptReader(), m_animation);
  const int ok = ReadNested(block, f);
  return ok ? SCR_SUB_OK : SCR_SUB_STOP;
}

// trigger { ... }: filed with the module; an animation does not hold its triggers.
int CScrAnimation::ReadTrigger(CScrStream* f, const char*) {
  CScrTrigger t(ScriptReader(), 0);
  const int ok = ReadNested(t, f);
  if (CKvoObject* o = t.TakeObject())
    if (!ScriptReader()->AddObject(o)) delete o;
  return ok ? SCR_SUB_OK : SCR_SUB_STOP;
}

// f(a, b): the function's body is read here; the animations it makes are sub-animations.
int CScrAnimation::ReadCall(CScrStream* f, const char* kw) {
  std::vector<CKvoObject*> objects;
  const int ok = ScrDefineOrCallFunction(ScriptReader(), f, ScrCallToken(kw), &objects, false);
  for (CKvoObject* o : objects)
    if (o->TypeCode() == SGT_ANIMATION)
      if (auto* a = dynamic_cast<CAnimation*>(o)) m_animation->AddSubAnimation(a);
  m_content = true;
  return ok ? SCR_SUB_OK : SCR_SUB_STOP;
}

// The closing brace: a block plays its own content or another animation, never both; a block
// with neither that names a virtual animation stands for the declaration itself; then the
// options are applied, each only when written.
void CScrAnimation::Finish() {
  if (m_content && IsReference()) {
    Report(ScrTextId::err_animation_own_and_reference, nullptr, {m_animation->Name()});
    m_closeFailed = true;
    return;
  }
  if (m_declaration) {
    if (!m_content && !IsReference()) {
      if (m_new && !m_taken) delete m_animation;
      m_new = 0;
      m_animation = m_declaration;
      ScriptReader()->AnimationStack().back() = m_declaration;
    } else {
      m_animation->m_virtualDecl = m_declaration;
      if (!m_declaration->IsVirtual())
        Report(ScrTextId::warn_animation_not_virtual, nullptr, {m_animation->Name()});
    }
  }
  CAnimation* a = m_animation;
  const Options& o = m_options;
  if (o.reverse == 1) a->SetReverse(1, 1);
  if (m_speedSet) a->SetSpeedFactor(m_speed, 0);
  if (o.continuous == 1) a->SetContinuousPlay(1);
  if (o.playMode >= 0) a->m_playMode = o.playMode;
  if (o.constant == 1) a->m_flags |= CAnimation::FLAG_CONSTANT;
  if (o.constant == 0) a->m_flags &= ~DWORD(CAnimation::FLAG_CONSTANT);
  if (o.exported == 1) a->m_flags |= CAnimation::FLAG_EXPORT;
  if (o.exported == 0) a->m_flags &= ~DWORD(CAnimation::FLAG_EXPORT);
  if (m_groupSet) a->m_group = m_group;
  if (m_from) a->m_from = m_from;
  if (m_to) a->m_to = m_to;
  if (o.isVirtual == 1) a->m_flags |= CAnimation::FLAG_VIRTUAL;
  if (o.switchOption == 1) {
    a->ResetOption(CAnimation::OPTION_SIGNAL);
    a->SetOption(CAnimation::OPTION_SWITCH);
  }
  if (o.signalOption == 1) {
    a->ResetOption(CAnimation::OPTION_SWITCH);
    a->SetOption(CAnimation::OPTION_SIGNAL);
  }
  // Re-opening an animation to add to it keeps the id it was given, unless this block names one.
  if (m_idSet || m_new) a->SetIdsString(m_id.c_str());
}
