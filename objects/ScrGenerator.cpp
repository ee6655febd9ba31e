// The generator reader.
#include "objects/ScrGenerator.h"

#include "elements/ScrImage.h"
#include "lexer/ScrLex.h"
#include "lexer/ScrValues.h"
#include "objects/ScrCurve.h"
#include "reader/ScriptReader.h"
#include "sg/Gfx.h"
#include "sg/Module.h"
#include "sg/SceneObjects.h"

CScrGenerator::CScrGenerator(CScriptReader* reader)
    : CScrObject(reader), m_generator(std::make_unique<CGenerator>(reader->CurrentModule())) {}

CScrGenerator::~CScrGenerator() = default;

CKvoObject* CScrGenerator::TakeObject() { return m_generator.release(); }

// A block that ends on a token that is no keyword is reported and fails: what follows that token
// is no longer this block's, and reading the script on from there would misread it.
int CScrGenerator::Read(CScrStream* f) {
  if (!m_generator) return 0;
  return ReadBlock(f);
}

int CScrGenerator::ReadSubKeyword(CScrStream* f, const char* kw) {
  static const ScrSubKeywords<CScrGenerator> kSubs = {
      {"name", &CScrGenerator::ReadName},         {"type", &CScrGenerator::ReadType},
      {"property", &CScrGenerator::ReadProperty}, {"range", &CScrGenerator::ReadRange},
      {"values", &CScrGenerator::ReadValues},     {"period", &CScrGenerator::ReadPeriod},
      {"string", &CScrGenerator::ReadString},
  };
  return kSubs.Dispatch(this, f, kw);
}

// Type and continuity reach the generator only with the closing brace.
void CScrGenerator::Finish() {
  m_generator->SetType(m_type);
  m_generator->SetContinuous(m_continuous);
}

int CScrGenerator::ReadName(CScrStream* f, const char*) {
  std::string name;
  ReadValueString(f, name);
  ScrTrimString(name);
  m_generator->SetName(name.c_str());
  return SCR_SUB_OK;
}

// linear, sin or once, in any letter case and with blanks anywhere. Another word goes to the
// graphics library's error text only; the type stays as it was.
int CScrGenerator::ReadType(CScrStream* f, const char*) {
  std::string t;
  ReadValueString(f, t);
  ScrNormalizeString(t);
  ScrShrinkString(t);
  if (t == "linear") m_type = CGenerator::TYPE_LINEAR;
  else if (t == "sin") m_type = CGenerator::TYPE_SIN;
  else if (t == "once") m_type = CGenerator::TYPE_ONCE;
  else SgSetErrorMessage(ScrText(ScrTextId::msg_generator_type_error));
  return SCR_SUB_OK;
}

// property { continuous }: the first other word is reported and ends the check.
int CScrGenerator::ReadProperty(CScrStream* f, const char*) {
  for (const std::string& word : ScrReadWordList(f)) {
    if (!straccord(word.c_str(), "continuous")) {
      ReportInvalidString(f, word.c_str());
      return SCR_SUB_FAIL;
    }
    m_continuous = 1;
  }
  return SCR_SUB_OK;
}

// range { lo hi }: numbers up to the closing brace (blanks and commas both separate them), the
// first two taken. Without a closing brace before the end of the input the bounds stay as they
// were. A word that is no number leaves the stream where the list began, so that the block ends
// on its first number, reported there.
int CScrGenerator::ReadRange(CScrStream* f, const char*) {
  const int braced = OpenBrace(f);
  const ScrLexMark start = ScrSaveLexState(f);
  ScrLexMark mark;
  std::vector<std::string> words;
  std::string tok;
  bool closed = false;
  for (;;) {
    ScrSaveLexState(f, mark);
    if (ScrTakeBrace(f, '}')) {
      ScrRestoreLexState(f, mark);
      closed = true;
      break;
    }
    if (!ScrReadString(f, tok)) break;  // the input ended
    size_t i = 0;
    while (i < tok.size()) {
      const size_t b = tok.find_first_not_of(" \t", i);
      if (b == std::string::npos) break;
      size_t e = tok.find_first_of(" \t", b);
      if (e == std::string::npos) e = tok.size();
      if (words.size() < (size_t)kMaxValues) words.push_back(tok.substr(b, e - b));
      i = e;
    }
  }
  if (!closed) return SCR_SUB_OK;
  float v[2] = {m_generator->Low(), m_generator->High()};
  for (size_t i = 0; i < words.size(); ++i) {
    float x = 0;
    if (!ScrParseNumber(words[i], x)) {
      ScrRestoreLexState(f, start);
      return SCR_SUB_OK;
    }
    if (i < 2) v[i] = x;
  }
  m_generator->SetRange(v[0], v[1]);
  if (braced) CloseBrace(f);
  return SCR_SUB_OK;
}

bool CScrGenerator::ReadOneNumber(CScrStream* f, float& out) {
  std::string tok;
  ReadValueString(f, tok);
  return ScrParseNumber(tok, out);
}

// values { v }: the value at the start; a word that is no number leaves it unchanged.
int CScrGenerator::ReadValues(CScrStream* f, const char*) {
  float v = m_generator->InitialValue();
  if (ReadOneNumber(f, v)) m_generator->SetInitialValue(v);
  return SCR_SUB_OK;
}

// period { ms }: one cycle; a word that is no number leaves it unchanged.
int CScrGenerator::ReadPeriod(CScrStream* f, const char*) {
  float v = m_generator->Period();
  if (ReadOneNumber(f, v)) m_generator->SetPeriod(v);
  return SCR_SUB_OK;
}

// string { variable }: the variable of the current module that receives the values.
int CScrGenerator::ReadString(CScrStream* f, const char*) {
  std::string name;
  ReadValueString(f, name);
  ScrTrimString(name);
  CSgVariable* v = ScriptReader()->CurrentModule()->FindVariable(name.c_str(), 0);
  if (!v) {
    Report(ScrTextId::err_variable_not_found, f, {name, ScrGetCurKeyWord()});
    return SCR_SUB_FAIL;
  }
  m_generator->SetValueVariable(v);
  return SCR_SUB_OK;
}
