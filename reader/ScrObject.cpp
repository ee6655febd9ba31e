#include "reader/ScrObject.h"

#include <cstring>
#include <string>

#include "lexer/ScrLex.h"
#include "lexer/ScrLimits.h"
#include "lexer/ScrValues.h"
#include "reader/ScriptReader.h"
#include "sg/Platform.h"

ScrTickScope::ScrTickScope(long* counter) : m_counter(counter), m_start(SgTickCount()) {}

ScrTickScope::~ScrTickScope() {
  if (m_counter) *m_counter += static_cast<long>(SgTickCount() - m_start);
}

CScrObject::CScrObject(CScriptReader* reader) : m_reader(reader) {}

CScrObject::~CScrObject() = default;

void CScrObject::SkipBlock(CScrStream* f) {
  if (m_reader) m_reader->SkipBlock(f);
}

void CScrObject::OtherKeyword(CScrStream* f, const char*) { SkipBlock(f); }

int CScrObject::ReadSubKeyword(CScrStream*, const char*) { return SCR_SUB_UNKNOWN; }

int CScrObject::UnknownSubKeyword(CScrStream* f, const char* keyword) {
  ReportInvalidKeyword(f, keyword);
  SkipBlock(f);
  return SCR_SUB_OK;
}

int CScrObject::OpenBrace(CScrStream* f) { return ScrTakeBrace(f, '{'); }

int CScrObject::CloseBrace(CScrStream* f) { return ScrTakeBrace(f, '}'); }

// The closing brace of a value is taken only when an opening one was: a value written without
// braces must not swallow the brace that closes the enclosing block.
int CScrObject::ReadValueString(CScrStream* f, std::string& out) {
  int braced = OpenBrace(f);
  out.clear();
  // A brace that ends its line leaves the value on the next line; blank rests are passed over.
  int ok = ScrReadString(f, out);
  while (ok && out.empty() && !ScrInputEnded(f)) ok = ScrReadString(f, out);
  if (braced) CloseBrace(f);
  return ok;
}

int CScrObject::ReadValueBool(CScrStream* f, int& out) {
  int braced = OpenBrace(f);
  int ok = ScrReadBool(f, out);
  if (braced) CloseBrace(f);
  return ok;
}

int CScrObject::ReadBlock(CScrStream* f, long* totalTick, bool bSilentEnd) {
  ScrTickScope ticks(totalTick);
  OpenBrace(f);
  std::string kw;
  int r = ScrReadKeyword(f, kw);
  return ReadBlockFrom(f, kw, r, bSilentEnd);
}

int CScrObject::ReadBlockFrom(CScrStream* f, std::string& kw, int r, bool bSilentEnd) {
  int result = 1;
  while (r) {
    if (kw == "}") {
      Finish();
      return result;
    }
    int sub = ReadSubKeyword(f, kw.c_str());
    if (sub == SCR_SUB_UNKNOWN) sub = UnknownSubKeyword(f, kw.c_str());
    if (sub == SCR_SUB_STOP) return 0;
    if (sub == SCR_SUB_FAIL) result = 0;
    r = ScrReadKeyword(f, kw);
  }
  if (bSilentEnd) return result;
  ReportNotKeyword(f, kw.c_str());
  return 0;
}

void CScrObject::Report(ScrTextId id, CScrStream* f, std::initializer_list<ScrArg> args) {
  if (m_reader) m_reader->Report(id, f, args);
}

void CScrObject::ReportInvalidKeyword(CScrStream* f, const char* word) {
  Report(ScrTextId::err_invalid_keyword, f, {word, ScrGetCurKeyWord()});
}

void CScrObject::ReportNotKeyword(CScrStream* f, const char* token) {
  Report(ScrTextId::err_not_keyword, f, {token, ScrGetCurKeyWord()});
}

void CScrObject::ReportInvalidString(CScrStream* f, const char* value) {
  Report(ScrTextId::err_invalid_string, f, {value, ScrGetCurKeyWord()});
}

int CScrObject::ReadNested(CScrObject& nested, CScrStream* f) {
  if (!m_reader || !m_reader->EnterBlock(f)) {
    SkipBlock(f);
    return 0;
  }
  int r = nested.Read(f);
  m_reader->LeaveBlock();
  return r;
}
