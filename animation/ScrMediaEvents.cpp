// Media and effect events.
#include "animation/ScrMediaEvents.h"

#include <cstring>
#include <string_view>

#include "elements/ScrCtrlpt.h"
#include "lexer/ScrKeywordTable.h"
#include "lexer/ScrLimits.h"
#include "lexer/ScrLex.h"
#include "lexer/ScrValues.h"
#include "reader/ScriptReader.h"
#include "reader/ScrText.h"
#include "sg/Event.h"
#include "sg/Gfx.h"

// ---------------------------------------------------------------------------------------------
// sound

int CScrSound::ReadSubKeyword(CScrStream* f, const char* kw) {
  static const ScrSubKeywords<CScrSound> kSubs = {{"wave", &CScrSound::ReadWave},
                                                  {"option", &CScrSound::ReadOption},
                                                  {"volume", &CScrSound::ReadVolume}};
  return kSubs.Dispatch(this, f, kw);
}

int CScrSound::ReadWave(CScrStream* f, const char*) {
  std::string file;
  ReadValueString(f, file);
  static_cast<CTEventSound*>(m_event)->SetSound(file.c_str());
  return SCR_SUB_OK;
}

// option {loop ...}: words up to the '}'; without braces one word, so that the next sub-keyword
// is not taken for an option.
int CScrSound::ReadOption(CScrStream* f, const char*) {
  std::vector<std::string> words;
  if (OpenBrace(f)) {
    ScrReadWordList(f, words);
    CloseBrace(f);
  } else {
    std::string w;
    ReadValueString(f, w);
    words.push_back(w);
  }
  for (std::string w : words) {
    ScrNormalizeString(w);
    if (w == "loop") static_cast<CTEventSound*>(m_event)->SetPlayOption(1);
    else ReportInvalidString(f, w.c_str());
  }
  return SCR_SUB_OK;
}

int CScrSound::ReadVolume(CScrStream* f, const char*) {
  float v = 0;
  ReadValueNumbers(f, &v, 1);
  static_cast<CTEventSound*>(m_event)->SetVolume(v);
  return SCR_SUB_OK;
}

// ---------------------------------------------------------------------------------------------
// beam

CScrBeam::CScrBeam(CScriptReader* reader) : CScrTEvent(reader, new CTEventBeam(reader->CurrentModule())) {}

int CScrBeam::ReadSubKeyword(CScrStream* f, const char* kw) {
  static const ScrSubKeywords<CScrBeam> kSubs = {
      {"index", &CScrBeam::ReadIndex},          {"position", &CScrBeam::ReadColor},
      {"diffuse", &CScrBeam::ReadColor},        {"ambient", &CScrBeam::ReadColor},
      {"specular", &CScrBeam::ReadColor},       {"diffuse_int", &CScrBeam::ReadColorInt},
      {"ambient_int", &CScrBeam::ReadColorInt}, {"specular_int", &CScrBeam::ReadColorInt}};
  return kSubs.Dispatch(this, f, kw);
}

int CScrBeam::ReadIndex(CScrStream* f, const char*) {
  int i = 0;
  ReadValueNumbers(f, &i, 1);
  static_cast<CTEventBeam*>(m_event)->SetLightIndex(i);
  return SCR_SUB_OK;
}

// Six numbers run from the first three to the last three; three go from the light's present
// value to them. Other counts set nothing.
int CScrBeam::ReadColor(CScrStream* f, const char* kw) {
  const std::vector<float> v = ReadNumbers(f);
  auto* e = static_cast<CTEventBeam*>(m_event);
  const std::string k = kw;
  if (v.size() == 6) {
    if (k == "position") e->SetPosition(v.data(), v.data() + 3);
    else if (k == "diffuse") e->SetDiffuse(v.data(), v.data() + 3);
    else if (k == "ambient") e->SetAmbient(v.data(), v.data() + 3);
    else e->SetSpecular(v.data(), v.data() + 3);
  } else if (v.size() == 3) {
    if (k == "position") e->SetPositionTo(v.data());
    else if (k == "diffuse") e->SetDiffuseTo(v.data());
    else if (k == "ambient") e->SetAmbientTo(v.data());
    else e->SetSpecularTo(v.data());
  }
  return SCR_SUB_OK;
}

// The same colours written as 0..255 integers, always from and to.
int CScrBeam::ReadColorInt(CScrStream* f, const char* kw) {
  int n[6] = {0, 0, 0, 0, 0, 0};
  ReadValueNumbers(f, n, 6);
  float c[6];
  for (int i = 0; i < 6; ++i) c[i] = (float)(n[i] / 255.0);
  auto* e = static_cast<CTEventBeam*>(m_event);
  const std::string k = kw;
  if (k == "diffuse_int") e->SetDiffuse(c, c + 3);
  else if (k == "ambient_int") e->SetAmbient(c, c + 3);
  else e->SetSpecular(c, c + 3);
  return SCR_SUB_OK;
}

// ---------------------------------------------------------------------------------------------
// cut_plane

int CScrCutPlane::ReadSubKeyword(CScrStream* f, const char* kw) {
  static const ScrSubKeywords<CScrCutPlane> kSubs = {{"field", &CScrCutPlane::ReadField},
                                                     {"values", &CScrCutPlane::ReadValues}};
  return kSubs.Dispatch(this, f, kw);
}

int CScrCutPlane::ReadField(CScrStream* f, const char*) {
  m_event->SetKey(ReadFieldKey(f, false));
  return SCR_SUB_OK;
}

// Two points of the plane's frame, then its normal.
int CScrCutPlane::ReadValues(CScrStream* f, const char*) {
  const std::vector<float> v = ReadNumbers(f);
  auto* e = static_cast<CTEventCutPlane*>(m_event);
  if (v.size() >= 6) e->SetBasis(v.data());
  if (v.size() >= 9) e->SetNormal(v[6], v[7], v[8]);
  return SCR_SUB_OK;
}

// ---------------------------------------------------------------------------------------------
// printer, printeredit

CScrPrinter::CScrPrinter(CScriptReader* reader) : CScrTEvent(reader, new CTEventPrinter(reader->CurrentModule())) {}

int CScrPrinter::ReadSubKeyword(CScrStream* f, const char* kw) {
  static const ScrSubKeywords<CScrPrinter> kSubs = {{"field", &CScrPrinter::ReadField}};
  return kSubs.Dispatch(this, f, kw);
}

// The node prints its own remarks when it has any, else those of its children that have.
int CScrPrinter::ReadField(CScrStream* f, const char*) {
  std::string path;
  ReadValueString(f, path);
  const SGKEY key = FindFieldByRelativePathName(Module(), path.c_str());
  if (key == SG_NO_KEY) return SCR_SUB_OK;
  if (SgFieldContents(key, "remarks") || SgFieldContents(key, "remark")) {
    m_event->AddKey(key);
    return SCR_SUB_OK;
  }
  SGKEY* hits = nullptr;
  int count = 0;
  SgSearchContentsByKey(key, "remarks", &hits, &count);
  for (int i = 0; i < count; ++i) m_event->AddKey(hits[i]);
  SgFreeArray(hits);
  return SCR_SUB_OK;
}

CScrPrinterEdit::CScrPrinterEdit(CScriptReader* reader)
    : CScrTEvent(reader, new CTEventPrinterEdit(reader->CurrentModule())) {}

int CScrPrinterEdit::ReadSubKeyword(CScrStream* f, const char* kw) {
  static const ScrSubKeywords<CScrPrinterEdit> kSubs = {{"edit", &CScrPrinterEdit::ReadEdit}};
  return kSubs.Dispatch(this, f, kw);
}

int CScrPrinterEdit::ReadEdit(CScrStream* f, const char*) {
  std::string name;
  ReadValueString(f, name);
  static_cast<CTEventPrinterEdit*>(m_event)->SetEditName(name.c_str());
  return SCR_SUB_OK;
}

// ---------------------------------------------------------------------------------------------
// avi

int CScrAvi::ReadSubKeyword(CScrStream* f, const char* kw) {
  static const ScrSubKeywords<CScrAvi> kSubs = {
      {"field", &CScrAvi::ReadField},     {"path", &CScrAvi::ReadPath},
      {"property", &CScrAvi::ReadProperty}, {"count", &CScrAvi::ReadCount},
      {"transparency", &CScrAvi::ReadTransparency}, {"mask_int", &CScrAvi::ReadMask},
      {"mask", &CScrAvi::ReadMask},       {"rect", &CScrAvi::ReadRect},
      {"gif", &CScrAvi::ReadGif}};
  return kSubs.Dispatch(this, f, kw);
}

int CScrAvi::ReadField(CScrStream* f, const char*) {
  m_key = ReadFieldKey(f, false);
  return SCR_SUB_OK;
}

int CScrAvi::ReadPath(CScrStream* f, const char*) {
  ReadValueString(f, m_path);
  return SCR_SUB_OK;
}

int CScrAvi::ReadProperty(CScrStream* f, const char*) {
  std::vector<std::string> words;
  if (OpenBrace(f)) {
    ScrReadWordList(f, words);
    CloseBrace(f);
  } else {
    std::string w;
    ReadValueString(f, w);
    words.push_back(w);
  }
  for (std::string w : words) {
    ScrNormalizeString(w);
    if (w == "offmemory") m_inMemory = false;
    else if (w == "onmemory") m_inMemory = true;
    else if (w == "2d") m_2d = true;
    else if (w == "3d") m_2d = false;
    else ReportInvalidString(f, w.c_str());
  }
  return SCR_SUB_OK;
}

int CScrAvi::ReadCount(CScrStream* f, const char*) {
  const std::vector<float> v = ReadNumbers(f);
  for (size_t i = 0; i < 2 && i < v.size(); ++i) m_count[i] = ScrNarrow<int>(v[i]);
  return SCR_SUB_OK;
}

int CScrAvi::ReadTransparency(CScrStream* f, const char*) {
  ReadValueNumbers(f, &m_transparency, 1);
  return SCR_SUB_OK;
}

// A colour key: mask_int as 0..255 integers, mask as 0..1 numbers; at most four.
int CScrAvi::ReadMask(CScrStream* f, const char* kw) {
  m_mask = ReadNumbers(f);
  if (m_mask.size() > 4) m_mask.resize(4);
  if (std::strcmp(kw, "mask_int") == 0)
    for (float& c : m_mask) c /= 255.0f;
  return SCR_SUB_OK;
}

int CScrAvi::ReadRect(CScrStream* f, const char*) {
  m_rect = ReadNumbers(f);
  if (m_rect.size() > 4) m_rect.resize(4);
  return SCR_SUB_OK;
}

int CScrAvi::ReadGif(CScrStream* f, const char*) {
  ReadValueString(f, m_gif);
  return SCR_SUB_OK;
}

void CScrAvi::Finish() {
  if (m_key == SG_NO_KEY) {
    m_key = SgOpenField("/scene/avi");
    SgCloseField();
  }
  if (m_2d || !m_gif.empty()) MakeImageEvent();
  else MakeTextureEvent();
}

void CScrAvi::MakeTextureEvent() {
  auto* e = new CTEventTextureChange(Module());
  m_event = e;
  e->SetKey(m_key);
  e->SetTransparency(m_transparency);
  e->SetPath(m_path.c_str());
  e->SetCount(m_count[0], m_count[1]);
  if (!m_mask.empty()) e->SetValues("mask", m_mask.data(), (int)m_mask.size());
  if (m_inMemory) e->LoadImageData();
}

// The images are numbered files stem0.ext, stem1.ext ... with templates stem_templ0.ext ...;
// each is placed under the node, hidden until the event shows it. The sequence ends at the
// first number without a file, so a count larger than the files there are costs nothing.
void CScrAvi::MakeImageEvent() {
  auto* e = new CTEventAvi(Module());
  m_event = e;
  e->SetKey(m_key);
  e->SetImageFilePath(m_path.c_str());
  if (!m_mask.empty()) e->SetValues("mask", m_mask.data(), (int)m_mask.size());
  if (!m_gif.empty()) {
    // The frames of a GIF are decoded when the event plays; the reader keeps the file.
    e->SetText("gif", m_gif.c_str());
  } else if (m_count[0] > 0) {
    const size_t dot = m_path.rfind('.');
    const size_t slash = m_path.find_last_of("/\\");
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
      SgSetErrorMessage(ScrText(ScrTextId::msg_file_name_error));
    } else {
      const std::string stem = m_path.substr(0, dot), ext = m_path.substr(dot);
      const float pos[3] = {m_rect.size() > 0 ? m_rect[0] : 0, m_rect.size() > 1 ? m_rect[1] : 0, 0};
      const float size[2] = {m_rect.size() > 2 ? m_rect[2] : 0, m_rect.size() > 3 ? m_rect[3] : 0};
      std::vector<char> full((size_t)SCR_PATH_BUFFER), mask((size_t)SCR_PATH_BUFFER);
      for (int i = 0; i < m_count[0]; ++i) {
        const std::string file = stem + std::to_string(i) + ext;
        const std::string templ = stem + "_templ" + std::to_string(i) + ext;
        if (!SgGetFullFilename(file.c_str(), full.data(), (int)full.size())) break;
        const bool hasMask = SgGetFullFilename(templ.c_str(), mask.data(), (int)mask.size()) != 0;
        if (SgOpenFieldByKey(m_key) == SG_NO_KEY) break;
        const SGKEY image = SgInsertImage(full.data(), hasMask ? mask.data() : nullptr, pos, size);
        SgCloseField();
        if (image == SG_NO_KEY) break;
        SgSetVisibilityByKey(image, 0);
        e->AddKey(image);
      }
    }
  }
  if (m_inMemory) e->LoadImageFile();
}

// ---------------------------------------------------------------------------------------------
// particle, soft

namespace {

// Whether `child` is one of the words the keyword table lists directly inside `parent`.
bool IsChildOf(const std::string& parent, const std::string& child) {
  const ScrKeywordRecord* rec = ScrFindKeywordRecord(parent.c_str());
  if (!rec || !rec->allowed || child.empty()) return false;
  // Searched as views: a word of a damaged file may hold a NUL byte, which a C-string search
  // would stop at while the word's length counts past it.
  const std::string_view list = rec->allowed;
  for (size_t at = list.find(child); at != std::string_view::npos; at = list.find(child, at + 1)) {
    const size_t end = at + child.size();
    const bool startOk = at == 0 || list[at - 1] == ' ' || list[at - 1] == ',';
    const bool endOk = end == list.size() || list[end] == ',' || list[end] == ' ';
    if (startOk && endOk) return true;
  }
  return false;
}

// Whether `word`'s own record lists children, so that its braces hold sub-keywords rather
// than values.
bool HasChildren(const std::string& word) {
  const ScrKeywordRecord* rec = ScrFindKeywordRecord(word.c_str());
  return rec && rec->kind == SCR_KW_BLOCK && rec->allowed && std::strcmp(rec->allowed, "none") != 0 &&
         std::strcmp(rec->allowed, "all") != 0;
}

// Whether the braces just opened after `word` hold its sub-keywords rather than values: the word
// has children in the table and the first token inside is one of them. A word can be a block in
// one place and a value in another (a painter's `transparency { 0.5 }` is a number, while the
// table's `transparency` block holds fields), so the content decides. The stream is left where it
// was.
bool HoldsChildren(CScrStream* f, const std::string& word) {
  if (!HasChildren(word)) return false;
  const ScrLexMark mark = ScrSaveLexState(f);
  std::string tok;
  ScrReadString(f, tok);
  ScrRestoreLexState(f, mark);
  ScrNormalizeString(tok);
  return IsChildOf(word, tok);
}

}  // namespace

int CScrProperties::Read(CScrStream* f) {
  m_stream = f;
  // Whatever stands before the opening brace is passed over, as in every event block.
  std::string tok;
  ScrLexMark mark;
  for (;;) {
    ScrSaveLexState(f, mark);
    const int ok = ScrReadString(f, tok);
    if (tok == "{") break;
    if (tok == "}") {
      ScrRestoreLexState(f, mark);
      return 1;
    }
    if (!ok && ScrInputEnded(f)) {
      ReportNotKeyword(f, tok.c_str());
      return 0;
    }
  }
  return ReadInside(f, "", m_keyword);
}

// A sub-keyword with braces holding further sub-keywords opens a nested path; one with braces
// holding values, or followed by bare values, is one property. Nested blocks count against the
// reader's block depth bound.
int CScrProperties::ReadInside(CScrStream* f, const std::string& path, const std::string& keyword) {
  auto* e = static_cast<CTEventProperties*>(m_event);
  std::string tok, current, values;
  bool open = false;
  auto flush = [&] {
    if (open) e->AddProperty(current.c_str(), values.c_str());
    open = false;
    values.clear();
  };
  for (;;) {
    const int ok = ScrReadString(f, tok);
    if (tok.empty()) {
      if (!ok && ScrInputEnded(f)) {
        flush();
        ReportNotKeyword(f, "");
        return 0;
      }
      continue;
    }
    if (tok == "}") {
      flush();
      return 1;
    }
    std::string word = tok;
    ScrNormalizeString(word);
    if (!IsChildOf(keyword, word)) {
      if (open) {
        values += values.empty() ? tok : " " + tok;
      } else {
        ReportInvalidKeyword(f, tok.c_str());
        SkipBlock(f);
      }
      if (!ok && ScrInputEnded(f)) {
        flush();
        ReportNotKeyword(f, tok.c_str());
        return 0;
      }
      continue;
    }
    flush();
    const std::string sub = path.empty() ? word : path + "/" + word;
    const ScrLexMark before = ScrSaveLexState(f);
    if (!ScrTakeBrace(f, '{')) {
      current = sub;  // values follow without braces
      open = true;
      continue;
    }
    if (!HoldsChildren(f, word)) {
      std::vector<std::string> words;
      ScrReadWordList(f, words);
      ScrTakeBrace(f, '}');
      std::string joined;
      for (const std::string& w : words) joined += joined.empty() ? w : " " + w;
      e->AddProperty(sub.c_str(), joined.c_str());
      continue;
    }
    ScrRestoreLexState(f, before);
    if (!ScriptReader()->EnterBlock(f)) {
      SkipBlock(f);
      return 0;
    }
    ScrTakeBrace(f, '{');
    const int r = ReadInside(f, sub, word);
    ScriptReader()->LeaveBlock();
    if (!r) return 0;
  }
}
