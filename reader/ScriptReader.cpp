#include "reader/ScriptReader.h"

#include "sg/Animation.h"

#include <algorithm>
#include <cstring>

#include "lexer/ScrEncoding.h"
#include "lexer/ScrLex.h"
#include "lexer/ScrLimits.h"
#include "reader/ScrScript.h"
#include "sg/Kvo.h"
#include "sg/Module.h"
#include "sg/Notify.h"
#include "sg/Platform.h"
#include "sg/Variable.h"
#include "sg/View.h"

int CScriptReader::m_instanceNum = 0;

// ---------------------------------------------------------------------------------------------
// Function list and documents

void ScrFunctionList::Add(std::shared_ptr<SCRFUNCTION> rec) {
  if (!rec) return;
  m_byName.emplace(rec->name, rec.get());  // the first record of a name stays the one found
  m_list.push_back(std::move(rec));
}

SCRFUNCTION* ScrFunctionList::Find(const char* name) const {
  if (!name) return nullptr;
  auto it = m_byName.find(name);
  return it == m_byName.end() ? nullptr : it->second;
}

void ScrFunctionList::Clear() {
  m_list.clear();
  m_byName.clear();
}

// ---------------------------------------------------------------------------------------------
// Construction

CScriptReader::CScriptReader(CSgModule* root) : m_root(root) {
  ScrLexAcquire();
  ++m_instanceNum;
  m_modules.push_back(root);
  ScrSetCurrentReader(this);
}

CScriptReader::~CScriptReader() {
  --m_instanceNum;
  m_script.reset();
  // A reader that is still the lexer's current reader must not be left behind as a dangling one.
  if (ScrGetCurrentReader() == this) ScrSetCurrentReader(nullptr);
  if (ScrGetCurrentStream() && &ScrGetCurrentStream()->Source() == m_lineCounter.Source())
    ScrSetCurrentStream(nullptr);
  ScrLexRelease();
}

void CScriptReader::SetFileName(const char* name, CScrStream* f) {
  m_fileName = name ? name : "";
  if (!f) return;
  m_lineCounter.Index(f);
  ScrSetCurrentStream(f);
  ScrResetLineId();
}

void CScriptReader::ShareBudget(CScriptReader& outer) { m_budget = &outer.Budget(); }

void CScriptReader::GetStepLevel(char* out) const {
  std::string s = StepIndent();
  std::memcpy(out, s.c_str(), s.size() + 1);
}

std::string CScriptReader::StepIndent() const {
  int n = 2 * m_stepLevel + 4;
  return std::string(n > 0 ? static_cast<size_t>(n) : 0, ' ');
}

// ---------------------------------------------------------------------------------------------
// Reading a file

std::unique_ptr<CScrStream> CScriptReader::OpenScript(const char* path) {
  ScrDetectedEncoding detected = ScrDetectedEncoding::Ascii;
  ScrOpenError error = ScrOpenError::None;
  std::unique_ptr<CScrStream> f = ScrOpenScriptFile(path, m_encoding, &detected, &error);
  if (!f) {
    m_fileName = path;
    if (error == ScrOpenError::NotRegular) Report(ScrTextId::err_not_regular_file, nullptr, {path});
    else Report(ScrTextId::msg_fail_to_find_file, nullptr, {path});
    return nullptr;
  }
  m_lastEncoding = detected;
  return f;
}

int CScriptReader::ReadXScript(const char* path, int bLoadModel, int bCheckGrammar) {
  if (!path) path = "";
  std::unique_ptr<CScrStream> f = OpenScript(path);
  if (!f) return 0;
  // The grammar check walks the text first and, when it fails, nothing is read. The file is
  // opened and decoded once for both passes.
  if (bCheckGrammar) {
    if (!CheckGrammarStream(f.get(), path)) return 0;
    f->Seek(f->Begin());
  }
  return ReadStream(f.get(), path, bLoadModel, bCheckGrammar);
}

int CScriptReader::ReadXScriptText(const char* name, std::string bytes, int bLoadModel, int bCheckGrammar) {
  ScrDetectedEncoding detected = ScrDetectedEncoding::Ascii;
  m_fileName = name ? name : "";
  auto source = ScrDecodeScript(name ? name : "", std::move(bytes), m_encoding, &detected);
  m_lastEncoding = detected;
  CScrStream f(std::move(source));
  if (bCheckGrammar) {
    if (!CheckGrammarStream(&f, name ? name : "")) return 0;
    f.Seek(f.Begin());
  }
  return ReadStream(&f, name ? name : "", bLoadModel, bCheckGrammar);
}

int CScriptReader::ReadStream(CScrStream* f, const char* name, int bLoadModel, int bCheckGrammar) {
  // The text all includes and expansions of this read may take together: the outermost reader
  // sets it from its own file, included files draw on the same allowance.
  if (!m_budget) {
    long long size = static_cast<long long>(f->Source().Size());
    m_ownBudget.limit = std::max<long long>(SCR_EXPANDED_TEXT_MIN, size * SCR_EXPANDED_TEXT_FACTOR);
    m_ownBudget.used = 0;
    m_ownBudget.arrayElements = 0;
    m_ownBudget.repeatCopies = 0;
  }

  ScrSetCurrentReader(this);
  ScrLexResetBuffers();
  SetFileName(name, f);
  m_bLoadModel = bLoadModel;
  m_bCheckGrammar = bCheckGrammar;
  if (m_workDir.empty()) m_workDir = SgHostDirectory();

  int result = ReportDecodeFindings(f->Source());
  std::string tok;
  while (result && !ScrInputEnded(f)) {
    int r = ScrReadKeyword(f, tok);
    if (!r || tok != "script") continue;
    m_script = std::make_unique<CScrScript>(this);
    ScrSetCurrentStream(f);
    result = m_script->Read(f);
    if (!result) NoteReadingStopped(f);
  }

  if (ScrGetCurrentStream() == f) ScrSetCurrentStream(nullptr);
  m_lineCounter.Reset();
  if (m_root) m_root->BuildSequence();
  return result;
}

int CScriptReader::ReportDecodeFindings(const ScrSource& src) {
  const ScrBadByte& bad = src.BadByte();
  if (bad.line > 0) {
    ReportAt(ScrTextId::err_invalid_utf8, bad.line, bad.column, {static_cast<int>(bad.value)});
    return 0;
  }
  // A character GBK cannot hold became '?': two names that differ only in it would be taken for
  // one, so each one is named where it stands.
  for (const ScrLostChar& c : src.LostChars()) {
    long at = static_cast<long>(c.offset);
    ReportAt(ScrTextId::warn_char_not_in_gbk, src.LineOfCharacter(at), src.ColumnOfPosition(at),
             {ScrFormat("U+%04X", {static_cast<long long>(c.codepoint)})});
  }
  return 1;
}

void CScriptReader::NoteReadingStopped(CScrStream* f) {
  if (!m_keepSuppressed || !f) return;
  const int line = f->Line();
  const int left = f->Source().LineCount() - line;
  if (left <= 0) return;
  // Past the first error, where the host never looks: straight to the tools' list.
  const bool notified = m_errorNotified != 0;
  m_errorNotified = 1;
  ReportAt(ScrTextId::msg_reading_stopped, line, -1, {left});
  m_errorNotified = notified ? 1 : 0;
}

int CScriptReader::ChargeText(long long bytes, CScrStream* f) {
  ScrReadBudget& b = Budget();
  if (b.used + bytes > b.limit) {
    if (!b.reported) Report(ScrTextId::err_text_budget, f, {b.limit});
    b.reported = true;
    return 0;
  }
  b.used += bytes;
  return 1;
}

int CScriptReader::ChargeArray(const std::string& name, const int* dims, int ndims, CScrStream* f) {
  ScrReadBudget& b = Budget();
  long long elements = 1;
  bool fits = ndims <= SCR_MAX_ARRAY_DIMENSIONS;
  for (int i = 0; fits && i < ndims; ++i) {
    elements *= dims[i] < 0 ? 0 : dims[i];  // checked at every factor, so it never overflows
    fits = b.arrayElements + elements <= SCR_MAX_ARRAY_ELEMENTS;
  }
  if (!fits) {
    Report(ScrTextId::err_array_too_large, f, {name, SCR_MAX_ARRAY_ELEMENTS, SCR_MAX_ARRAY_DIMENSIONS, ScrGetCurKeyWord()});
    return 0;
  }
  b.arrayElements += elements;
  return 1;
}

int CScriptReader::ChargeRepeat(long long copies, CScrStream* f) {
  ScrReadBudget& b = Budget();
  // Both sides stay far below overflow: copies is bounded by the caller's per-repeat limit.
  if (copies < 0 || b.repeatCopies + copies > SCR_MAX_REPEAT_UNROLL_PER_READ) {
    Report(ScrTextId::err_repeat_read_too_long, f, {SCR_MAX_REPEAT_UNROLL_PER_READ, ScrGetCurKeyWord()});
    return 0;
  }
  b.repeatCopies += copies;
  return 1;
}

// ---------------------------------------------------------------------------------------------
// Macros and documents

void CScriptReader::AddMacro(const char* name, DWORD value, BYTE flag, const char* file, int line) {
  std::string n = name ? name : "";
  if (n.size() > static_cast<size_t>(SCR_MACRO_NAME_MAX)) n.resize(SCR_MACRO_NAME_MAX);
  // The first definition of a name is the one found; a later one could never be found, so it is
  // not kept (a scene defining the same few names thousands of times stays small).
  auto [it, added] = m_macros.try_emplace(n, m_macroList.size());
  if (!added) return;
  m_macroList.push_back(Macro{std::move(n), value, flag, file ? file : "", line});
}

int CScriptReader::FindMacro(const char* name, DWORD& value, BYTE& flag) const {
  if (!name) return 0;
  auto it = m_macros.find(name);
  if (it == m_macros.end()) return 0;
  const Macro& m = m_macroList[it->second];
  value = m.value;
  flag = m.flag;
  return 1;
}

void CScriptReader::AddMultiTextDoc(CMultiTextDoc* doc) {
  if (!doc) return;
  m_docIndex.emplace(doc->Name(), doc);
  m_docs.emplace_back(doc);
}

CMultiTextDoc* CScriptReader::FindMultiTextDoc(const char* name) const {
  if (!name) return nullptr;
  auto it = m_docIndex.find(name);
  return it == m_docIndex.end() ? nullptr : it->second;
}

// ---------------------------------------------------------------------------------------------
// Filing objects

CSgModule* CScriptReader::CurrentAnimationModule() const {
  const CAnimation* a = CurrentAnimation();
  return a && a->Module() ? a->Module() : CurrentModule();
}

int CScriptReader::AddObject(CKvoObject* obj) {
  if (!obj) return 0;
  CSgModule* m = CurrentModule();
  if (!m) return 0;
  switch (obj->TypeCode()) {
    case 1:
      m->AddAnimation(obj);
      return 1;
    case 2: case 4: case 5: case 6: case 7: case 20: case 31: case 32: case 37: case 59:
      m->OpController()->AddCtrlPoint(obj);
      return 1;
    case 3: case 18: case 22: case 33: case 34: case 39:
      if (auto* v = dynamic_cast<CSgVariable*>(obj)) {
        m->AddVariable(v, 1);
        return 1;
      }
      return 0;
    case 8:
      m->AddMessage(obj);
      return 1;
    case 9:
      m->AddImage(obj);
      return 1;
    case 10:
      m->AddText(obj);
      return 1;
    case 11:
      m->AddPage(obj);
      return 1;
    case 14: case 21: case 53: case 61:
      m->AddReaction(obj);
      return 1;
    case 19:
      m->AddStatus(obj);
      return 1;
    case 48:
      m->AddViewport(obj);
      return 1;
    case 65: case 66: case 67: case 69: case 70: case 71: case 72: case 74: case 75: case 93:
      m->AddChartObject(obj);
      return 1;
    case 68:
      m->AddOtherObject(obj);
      m->SgView()->RegisterDynamicObject(obj);
      return 1;
    default:
      return 0;
  }
}

void CScriptReader::AddObjects(std::list<CKvoObject*>& objs) {
  for (CKvoObject* o : objs) AddObject(o);
}

void CScriptReader::AddAnimations(std::list<CKvoObject*>& anims) {
  CSgModule* m = CurrentModule();
  for (CKvoObject* a : anims) m->AddAnimation(a);
}

// ---------------------------------------------------------------------------------------------
// Skipping

void CScriptReader::SkipBlock(CScrStream* f) { ScrSkipBlock(f); }

void CScriptReader::OtherKeyword(CScrStream* f, const char*) { SkipBlock(f); }

// ---------------------------------------------------------------------------------------------
// Messages

namespace {

bool Contains(const std::string& text, const char* part) {
  return part && *part && text.find(part) != std::string::npos;
}

}  // namespace

void CScriptReader::PushMessage(const char* text) {
  std::string t = text ? text : "";
  ScrSeverity sev = ScrSeverity::Other;
  if (Contains(t, ScrText(ScrTextId::word_error_tag))) sev = ScrSeverity::Error;
  else if (Contains(t, ScrText(ScrTextId::word_warning_tag))) sev = ScrSeverity::Warning;
  PushEntry(t, sev, m_fileName, -1);
}

void CScriptReader::PushEntry(const std::string& text, ScrSeverity sev, const std::string& file,
                              int line, int statementAt, int column, int textId) {
  static long long order = 0;
  // After the first error nothing more is recorded for the host; reading goes on. Tools may ask
  // for what is dropped, in a list of its own.
  CScrMessage* list = &m_messages;
  if (m_errorNotified) {
    if (!m_keepSuppressed || m_suppressed.Count() >= SCR_MAX_SUPPRESSED) return;
    list = &m_suppressed;
  } else if (Contains(text, ScrText(ScrTextId::word_error_tag))) {
    m_errorNotified = 1;
    if (m_root) {
      CPENotify* n = m_root->SgView()->Notifier();
      n->NotifyGraph(m_root, m_notifyTitle.c_str(), 3, 1);
      n->NotifyOutput(CurrentModule(), text.c_str());
    }
  }
  // An entry holds at most SCR_MESSAGE_ENTRY_MAX bytes: a longer text becomes two entries and
  // whatever is left beyond two is dropped (hosts have always received messages so).
  const size_t cap = SCR_MESSAGE_ENTRY_MAX;
  ScrMessageEntry first;
  first.text = text.substr(0, cap);
  first.severity = sev;
  first.file = file;
  first.line = line;
  first.column = line >= 0 ? column : -1;
  first.statementAt = std::min(statementAt, static_cast<int>(std::min(text.size(), cap)));
  if (line >= 0) first.calledFrom.assign(m_callSites.rbegin(), m_callSites.rend());
  first.includedFrom = m_includedFrom;
  first.textId = textId;
  first.order = ++order;
  if (text.size() > cap) {
    ScrMessageEntry second = first;
    second.text = text.substr(cap, cap);
    second.continuation = true;
    second.statementAt = 0;
    list->Append(std::move(first));
    list->Append(std::move(second));
  } else {
    list->Append(std::move(first));
  }
}

void CScriptReader::PopMessage() {
  if (!m_messages.Empty()) m_messages.PopBack();
}

void CScriptReader::GetMessageA(char* out) const {
  if (!out) return;
  if (m_messages.Empty()) {
    out[0] = '\0';
    return;
  }
  const std::string& t = m_messages.Back().text;
  size_t n = std::min(t.size(), static_cast<size_t>(SCR_MESSAGE_ENTRY_MAX));
  std::memcpy(out, t.data(), n);
  out[n] = '\0';
}

int CScriptReader::LineOf(CScrStream* f) const {
  if (!f) f = ScrGetCurrentStream();
  // Every stream is a window on a source with its own line index: the line is the one the author
  // wrote in the file where the text stands, whatever path led there.
  if (f) return f->Line();
  return ScrGetLineId();
}

int CScriptReader::ColumnOf(CScrStream* f, int line) const {
  if (!f) f = ScrGetCurrentStream();
  if (!f || line < 0) return -1;
  long at = ScrLastTokenStart(f, line);
  return at < 0 ? -1 : f->Source().ColumnOfPosition(at);
}

void CScriptReader::Report(ScrTextId id, CScrStream* f, std::initializer_list<ScrArg> args) {
  if (m_errorNotified && !m_keepSuppressed) return;  // nothing would be recorded
  if (!ScrTextIsLocated(id)) {
    ReportAt(id, -1, -1, args);
    return;
  }
  int line = LineOf(f);
  ReportAt(id, line, ColumnOf(f, line), args);
}

void CScriptReader::ReportAtLine(ScrTextId id, int line, std::initializer_list<ScrArg> args) {
  // The column is counted only for a message that will be kept: after the first error most are
  // not, and counting characters on a long line is the costly part.
  if (m_errorNotified && (!m_keepSuppressed || m_suppressed.Count() >= SCR_MAX_SUPPRESSED)) return;
  // The last token read from the current stream, when it stands on that line, is the one the
  // message is about (the token reader keeps only its offset; the column is counted here).
  ReportAt(id, line, ScrTextIsLocated(id) ? ColumnOf(nullptr, line) : -1, args);
}

void CScriptReader::ReportAt(ScrTextId id, int line, int column, std::initializer_list<ScrArg> args) {
  // After the first error nothing is recorded (unless kept for tools): do not format either.
  if (m_errorNotified && (!m_keepSuppressed || m_suppressed.Count() >= SCR_MAX_SUPPRESSED)) return;
  std::vector<ScrArg> all;
  all.reserve(args.size() + 2);
  if (ScrTextIsLocated(id)) {
    all.emplace_back(m_fileName);
    all.emplace_back(line);
  } else {
    line = -1;
  }
  all.insert(all.end(), args.begin(), args.end());
  const char* fmt = ScrText(id);
  std::string text = ScrFormatV(fmt, all.data(), all.size());
  // Where the statement begins: format the text up to the end of its file-and-line part alone.
  int statementAt = 0;
  if (ScrTextIsLocated(id)) {
    const char* located = ScrText(ScrTextId::word_located_part);
    if (const char* at = std::strstr(fmt, located)) {
      std::string head(fmt, static_cast<size_t>(at - fmt) + std::strlen(located));
      statementAt = static_cast<int>(ScrFormatV(head.c_str(), all.data(), 2).size());
    }
  }
  PushEntry(text, ScrTextSeverity(id), m_fileName, line, statementAt, column, static_cast<int>(id));
}

int CScriptReader::EnterBlock(CScrStream* f) {
  if (m_blockDepth >= SCR_MAX_BLOCK_DEPTH) {
    Report(ScrTextId::err_block_too_deep, f, {SCR_MAX_BLOCK_DEPTH, ScrGetCurKeyWord()});
    return 0;
  }
  ++m_blockDepth;
  return 1;
}
