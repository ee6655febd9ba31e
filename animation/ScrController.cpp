// The controller reader and what every event reader shares: the block shape, number lists,
// words and node paths.
#include "animation/ScrController.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <list>
#include <memory>
#include <sstream>
#include <unordered_map>

#include "animation/ScrAction.h"
#include "animation/ScrMediaEvents.h"
#include "animation/ScrMotionEvents.h"
#include "compiler/ScrCompile.h"
#include "lexer/ScrLex.h"
#include "lexer/ScrValues.h"
#include "reader/ScriptReader.h"
#include "sg/Event.h"
#include "sg/Gfx.h"
#include "sg/Module.h"

// ---------------------------------------------------------------------------------------------
// CScrTEvent

CScrTEvent::CScrTEvent(CScriptReader* reader, CTEvent* event) : CScrObject(reader), m_event(event) {}

CScrTEvent::~CScrTEvent() {
  if (m_event && !m_event->Controller()) delete m_event;
}

CTEvent* CScrTEvent::TakeEvent() {
  CTEvent* e = m_event;
  m_event = nullptr;
  return e;
}

CSgModule* CScrTEvent::Module() const { return ScriptReader()->CurrentModule(); }

// An event block is found by its '{': a name or anything else written between the keyword and
// the brace is passed over. A '}' met first closes the enclosing block, so it is left there and
// the event is taken as empty rather than eating the controller's brace.
int CScrTEvent::ReadEventBlock(CScrStream* f) {
  m_ok = 1;
  m_stream = f;
  std::string tok;
  ScrLexMark mark;
  for (;;) {
    ScrSaveLexState(f, mark);
    const int ok = ScrReadString(f, tok);
    if (tok == "{") break;
    if (tok == "}") {
      ScrRestoreLexState(f, mark);
      Finish();
      return 1;
    }
    if (!ok && ScrInputEnded(f)) {
      ReportNotKeyword(f, tok.c_str());
      return 0;
    }
  }
  std::string kw;
  const int r = ScrReadKeyword(f, kw);
  const int read = ReadBlockFrom(f, kw, r);
  return read && m_ok ? 1 : 0;
}

std::vector<float> CScrTEvent::ReadNumbers(CScrStream* f) {
  std::vector<float> v(kMaxValues);
  int count = 0;
  const int braced = OpenBrace(f);
  ScrReadAllValues(f, v.data(), count, kMaxValues);
  if (braced) CloseBrace(f);
  v.resize((size_t)count);
  return v;
}

std::string CScrTEvent::ReadWord(CScrStream* f) {
  std::string w;
  ReadValueString(f, w);
  ScrNormalizeString(w);
  ScrShrinkString(w);
  return w;
}

SGKEY CScrTEvent::ReadFieldKey(CScrStream* f, bool bAbsolute, std::string* pathOut) {
  std::string path;
  ReadValueString(f, path);
  SGKEY key = bAbsolute ? SgFieldExists(path.c_str()) : FindFieldByRelativePathName(Module(), path.c_str());
  if (key == SG_NO_KEY) {
    Report(ScrTextId::warn_node_created_at_runtime, f, {path, ScrGetCurKeyWord()});
    key = SgOpenField(path.c_str());
    SgCloseField();
  }
  if (pathOut) *pathOut = path;
  return key;
}

// ---------------------------------------------------------------------------------------------
// CScrController

namespace {

// The event keywords of a controller: the reader of each, and the event the controller makes
// for it before the reader runs (none where the reader makes its own).
struct EventRow {
  std::unique_ptr<CScrTEvent> (*make)(CScriptReader* r, CSgModule* m);
};

template <class Reader, class Event>
std::unique_ptr<CScrTEvent> WithEvent(CScriptReader* r, CSgModule* m) {
  auto reader = std::make_unique<Reader>(r);
  reader->SetEvent(new Event(m));
  return reader;
}

template <class Reader>
std::unique_ptr<CScrTEvent> OwnEvent(CScriptReader* r, CSgModule*) {
  return std::make_unique<Reader>(r);
}

std::unique_ptr<CScrTEvent> MaterialEvent(CScriptReader* r, CSgModule* m) {
  auto reader = std::make_unique<CScrMaterial>(r);
  reader->SetEvent(new CTEventColor(m, 0));
  return reader;
}

const std::unordered_map<std::string, EventRow>& EventRows() {
  static const std::unordered_map<std::string, EventRow> rows = {
      {"transparency", {&WithEvent<CScrTransparency, CTEventTransparent>}},
      {"mark", {&WithEvent<CScrMark, CTEventMark>}},
      {"rotate", {&WithEvent<CScrRotate, CTEventRotation>}},
      {"stretch", {&WithEvent<CScrScale, CTEventScale>}},
      {"cut_plane", {&WithEvent<CScrCutPlane, CTEventCutPlane>}},
      {"line", {&WithEvent<CScrLine, CTEventLine>}},
      {"avi", {&OwnEvent<CScrAvi>}},
      {"track", {&OwnEvent<CScrTrack>}},
      {"camera", {&WithEvent<CScrCamera, CTEventCamera>}},
      {"material", {&MaterialEvent}},
      {"particle", {&WithEvent<CScrParticle, CTEventParticle>}},
      {"sound", {&WithEvent<CScrSound, CTEventSound>}},
      {"soft", {&WithEvent<CScrSoft, CTEventSoft>}},
      {"shift", {&WithEvent<CScrShift, CTEventTextureMove>}},
      {"beam", {&OwnEvent<CScrBeam>}},
      {"printer", {&OwnEvent<CScrPrinter>}},
      {"printeredit", {&OwnEvent<CScrPrinterEdit>}},
  };
  return rows;
}

// 1 when the token is a number as the value reader converts it: a decimal number, or a quotient
// or product of two.
bool IsNumberToken(std::string tok) {
  ScrTrimString(tok);
  auto plain = [](std::string s) {
    ScrTrimString(s);
    if (s.empty()) return false;
    char* end = nullptr;
    std::strtod(s.c_str(), &end);
    return end && *end == '\0' && end != s.c_str();
  };
  size_t p = tok.find('/');
  if (p == std::string::npos) p = tok.find('*');
  if (p == std::string::npos) return plain(tok);
  return plain(tok.substr(0, p)) && plain(tok.substr(p + 1));
}

// The value of a token IsNumberToken accepts: a quotient or a product of two numbers, or one
// number (a quotient by zero gives 0).
float NumberOf(const std::string& tok) {
  size_t p = tok.find('/');
  const bool quotient = p != std::string::npos;
  if (!quotient) p = tok.find('*');
  if (p == std::string::npos) return std::strtof(tok.c_str(), nullptr);
  const float a = std::strtof(tok.substr(0, p).c_str(), nullptr);
  const float b = std::strtof(tok.substr(p + 1).c_str(), nullptr);
  return quotient ? (b == 0.0f ? 0.0f : a / b) : a * b;
}

}  // namespace

CScrController::CScrController(CScriptReader* reader) : CScrObject(reader), m_controller(new CTEventController()) {}

CScrController::~CScrController() { delete m_controller; }

CTEventController* CScrController::TakeController() {
  CTEventController* c = m_controller;
  m_controller = nullptr;
  return c;
}

// controller [{] life {a b} speed {s} event ... }
int CScrController::Read(CScrStream* f) {
  m_result = 1;
  if (!ReadBlock(f)) return 0;
  return m_result;
}

int CScrController::ReadSubKeyword(CScrStream* f, const char* kw) {
  static const ScrSubKeywords<CScrController> kSubs = {
      {"life", &CScrController::ReadLife},
      {"speed", &CScrController::ReadSpeed},
      {"action", &CScrController::ReadAction},
      {"program", &CScrController::ReadProgram},
  };
  const int r = kSubs.Dispatch(this, f, kw);
  if (r != SCR_SUB_UNKNOWN) return r;
  // `vehicle` stands in the keyword table but has no reader: it is reported as unknown.
  return ReadEvent(f, kw);
}

// life {start end}: numbers (a quotient such as 1/2 counts as one); a list holding a name is
// read as variables instead, which a controller cannot use, so the life is then left alone.
int CScrController::ReadLife(CScrStream* f, const char*) {
  const int braced = OpenBrace(f);
  const ScrLexMark start = ScrSaveLexState(f);
  // Values are separated by commas; `life { 0 1000 }` is one token, which the number parser
  // would read as 0 alone. Numbers written apart by blanks are taken one by one.
  bool numbers = true;
  std::vector<float> blankSeparated;
  bool blanks = false;
  std::string tok;
  for (;;) {
    const int ok = ScrReadString(f, tok);
    if (!tok.empty() && tok[0] == '}') break;
    if (!ok && ScrInputEnded(f)) break;
    if (tok.empty()) continue;
    if (IsNumberToken(tok)) {
      blankSeparated.push_back(NumberOf(tok));
      continue;
    }
    std::istringstream parts(tok);
    bool all = true;
    int n = 0;
    for (std::string part; parts >> part; ++n) {
      if (!IsNumberToken(part)) all = false;
      else blankSeparated.push_back(NumberOf(part));
    }
    if (all && n > 1) blanks = true;
    else numbers = false;
  }
  ScrRestoreLexState(f, start);
  if (numbers) {
    float v[CScrTEvent::kMaxValues] = {};
    int count = 0;
    ScrReadAllValues(f, v, count, CScrTEvent::kMaxValues);
    if (blanks) {
      count = (int)std::min<size_t>(blankSeparated.size(), CScrTEvent::kMaxValues);
      std::copy(blankSeparated.begin(), blankSeparated.begin() + count, v);
    }
    if (count != 2) Report(ScrTextId::err_life_count, f);
    m_controller->SetLife(count > 0 ? v[0] : 0.0f, count > 1 ? v[1] : 0.0f);
  } else {
    std::list<CSgVariable*> vars;
    // A name that is no variable leaves the stream at the list: pass over it to the '}'.
    if (!ScrReadAllVariables(f, vars)) {
      int count = 0;
      float sink[1];
      ScrReadAllValues(f, sink, count, 0);  // reads none: moves to the '}'
    }
  }
  if (braced) CloseBrace(f);
  return SCR_SUB_OK;
}

int CScrController::ReadSpeed(CScrStream* f, const char*) {
  float speed = 0;
  ReadValueNumbers(f, &speed, 1);
  m_controller->SetSpeed(speed);
  return SCR_SUB_OK;
}

// Every event reader reads its block; the event then joins the controller, which owns it. A
// reader that fails stops the controller: what follows is left unread.
int CScrController::ReadEvent(CScrStream* f, const char* kw) {
  const auto& rows = EventRows();
  auto it = rows.find(kw);
  if (it == rows.end()) return SCR_SUB_UNKNOWN;
  std::unique_ptr<CScrTEvent> reader = it->second.make(ScriptReader(), ScriptReader()->CurrentModule());
  const int r = ReadNested(*reader, f);
  if (reader->Event()) reader->Event()->SetController(m_controller);
  m_result = r;
  return r ? SCR_SUB_OK : SCR_SUB_STOP;
}

// An action that fails is kept, and reading goes on.
int CScrController::ReadAction(CScrStream* f, const char*) {
  CScrAction reader(ScriptReader());
  m_result = ReadNested(reader, f);
  if (reader.Event()) reader.Event()->SetController(m_controller);
  return SCR_SUB_OK;
}

// program { code }: compiled into a program of the animation's module, which the event runs.
int CScrController::ReadProgram(CScrStream* f, const char*) {
  CSgProgram* program = nullptr;
  m_result = ScrReadProgramBlock(ScriptReader(), f, &program);
  if (!program) return SCR_SUB_OK;
  // The compiler registers the program in the module it made it for: the animation's.
  auto* event = new CTEventProgram(ScriptReader()->CurrentModule());
  event->SetProgram(program);
  event->SetController(m_controller);
  return SCR_SUB_OK;
}
