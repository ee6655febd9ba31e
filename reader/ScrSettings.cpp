// The `settings` directive: display settings for the runtime, options for the reader.
#include <string>

#include "lexer/ScrLex.h"
#include "lexer/ScrValues.h"
#include "reader/ScrFile.h"
#include "reader/ScriptReader.h"
#include "sg/Display.h"
#include "sg/Gfx.h"
#include "sg/Module.h"
#include "sg/Platform.h"
#include "sg/View.h"

namespace {

// A whole path: a drive letter and ':' in front, or '/' on this platform.
bool IsWhole(const std::string& p) { return (p.size() > 1 && p[1] == ':') || (!p.empty() && p[0] == '/'); }

}  // namespace

std::string ScrScriptDirectory(const char* scriptFileName) {
  std::string name = scriptFileName ? scriptFileName : "";
  size_t cut = name.find_last_of("\\/");
  std::string dir = cut == std::string::npos ? std::string() : name.substr(0, cut);
  if (cut == 0) dir = "/";  // a script in the root directory
  // A script named relative to the process (scrread run on "scenes/a.scr") lies below the
  // current directory, not below the host's.
  if (!IsWhole(name)) dir = dir.empty() ? SgCurrentDirectory() : SgCurrentDirectory() + "/" + dir;
  return dir;
}

CScrSettings::CScrSettings(CScriptReader* reader) : CScrObject(reader), m_record(std::make_unique<CSgSettings>()) {}

CScrSettings::~CScrSettings() = default;

int CScrSettings::Read(CScrStream* f) {
  int result = ReadBlock(f);
  ScriptReader()->CurrentModule()->AddSettings(m_record.release());
  return result;
}

int CScrSettings::ReadSubKeyword(CScrStream* f, const char* kw) {
  static const ScrSubKeywords<CScrSettings> kSubs = {
      {"workdir", &CScrSettings::ReadWorkDir},         {"vertical", &CScrSettings::ReadVertical},
      {"resolution", &CScrSettings::ReadResolution},   {"font_scale", &CScrSettings::ReadFontScale},
      {"stereo", &CScrSettings::ReadStereo},           {"default", &CScrSettings::ReadDefault},
  };
  return kSubs.Dispatch(this, f, kw);
}

// workdir { V }: "CURDIR" at the front of V stands for the script's directory; a V that is not
// whole then is taken below the host directory.
int CScrSettings::ReadWorkDir(CScrStream* f, const char*) {
  std::string v;
  if (!ReadValueString(f, v)) return SCR_SUB_FAIL;
  if (v.compare(0, 6, "CURDIR") == 0) v = ScrScriptDirectory(ScriptReader()->FileName()) + v.substr(6);
  if (!IsWhole(v)) v = SgHostDirectory() + (v[0] == '\\' ? "" : "\\") + v;
  ScriptReader()->SetWorkDirectory(v.c_str());
  SgSetWorkDirectory(v.c_str());
  m_record->SetWorkDirectory(v.c_str());
  return SCR_SUB_OK;
}

int CScrSettings::ReadVertical(CScrStream* f, const char*) {
  float v[3] = {0, 0, 0};
  if (!ReadValueNumbers(f, v, 3)) return SCR_SUB_FAIL;
  ScriptReader()->CurrentModule()->SgView()->SetVerticalAxis(v);
  m_record->SetVertical(v);
  return SCR_SUB_OK;
}

int CScrSettings::ReadResolution(CScrStream* f, const char*) {
  int v[2] = {0, 0};
  if (!ReadValueNumbers(f, v, 2)) return SCR_SUB_FAIL;
  SgSetResolution(v[0], v[1], 0);
  m_record->SetResolution(v[0], v[1]);
  return SCR_SUB_OK;
}

int CScrSettings::ReadFontScale(CScrStream* f, const char*) {
  float v[2] = {0, 0};
  if (!ReadValueNumbers(f, v, 2)) return SCR_SUB_FAIL;
  SgSetOptionValuefv("fontscale", v, 2, nullptr);
  m_record->SetFontScale(v);
  return SCR_SUB_OK;
}

// A value other than TRUE or FALSE is reported and changes nothing.
int CScrSettings::ReadStereo(CScrStream* f, const char*) {
  std::string v;
  if (!ReadValueString(f, v)) return SCR_SUB_FAIL;
  ScrTrimString(v);
  int on;
  if (straccord(v.c_str(), "TRUE")) on = 1;
  else if (straccord(v.c_str(), "FALSE")) on = 0;
  else {
    ReportInvalidString(f, v.c_str());
    return SCR_SUB_OK;
  }
  SgSetOptionValuei("stereo", on, nullptr);
  m_record->SetStereo(on);
  return SCR_SUB_OK;
}

// default { word, ... }: the words up to the brace, blanks removed; a word not known is reported
// and the others still take effect.
int CScrSettings::ReadDefault(CScrStream* f, const char*) {
  CScriptReader* reader = ScriptReader();
  const int braced = OpenBrace(f);
  std::string word;
  for (;;) {
    ScrLexMark mark = ScrSaveLexState(f);
    int ok = ScrReadString(f, word);
    if (!word.empty() && word[0] == '}') {
      ScrRestoreLexState(f, mark);
      break;
    }
    if (!ok && word.empty() && ScrInputEnded(f)) break;
    ScrShrinkString(word);
    if (word.empty()) continue;
    if (straccord(word.c_str(), "imageonmemory")) reader->SetLoadImageDataDefault(1);
    else if (straccord(word.c_str(), "imageoffmemory")) reader->SetLoadImageDataDefault(0);
    else if (straccord(word.c_str(), "reactionlocal")) reader->SetReactionLocalDeafult(1);
    else {
      ReportInvalidString(f, word.c_str());
      continue;
    }
    m_record->AddDefault(word.c_str());
  }
  if (braced) CloseBrace(f);
  return SCR_SUB_OK;
}
