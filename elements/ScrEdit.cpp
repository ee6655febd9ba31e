// The readers of edit boxes, maps, screen areas and key maps.
#include "elements/ScrEdit.h"

#include <cstring>
#include <vector>

#include "elements/ScrKnob.h"
#include "elements/ScrText.h"
#include "lexer/ScrLex.h"
#include "lexer/ScrValues.h"
#include "reader/ScriptReader.h"
#include "sg/Control.h"
#include "sg/Gfx.h"
#include "sg/Module.h"
#include "sg/View.h"

namespace {
constexpr int kMaxNumbers = 255;  // the most numbers a list value gives
}

// ---------------------------------------------------------------------------------------------
// Edit boxes

CScrEdit::CScrEdit(CScriptReader* reader) : CScrCtrlpt(reader) {
  SetControl(std::make_unique<CSgEdit>(reader->CurrentModule()));
}

CSgEdit* CScrEdit::Edit() const { return static_cast<CSgEdit*>(CtrlPoint()); }

// Decided when asked: `field` and `property { onscreen }` before `position` and `size` count.
bool CScrEdit::IsScreenEdit() const { return Edit()->Key() == SG_NO_KEY || Edit()->OnScreen(); }

void CScrEdit::OtherKeyword(CScrStream* f, const char* kw) {
  if (!std::strcmp(kw, "position")) {
    ReadPosition(f);
  } else if (!std::strcmp(kw, "size")) {
    ReadSize(f);
  } else if (!std::strcmp(kw, "content")) {
    ReadContent(f);
  } else if (!std::strcmp(kw, "scale")) {
    float v[kMaxNumbers];
    float s[3] = {1, 1, 1};
    int n = ReadNumberList(f, v, kMaxNumbers);
    for (int i = 0; i < 3 && i < n; ++i) s[i] = v[i];
    Edit()->SetScale(s);
  } else if (!std::strcmp(kw, "color")) {
    ReadColor(f);
  } else if (!std::strcmp(kw, "property")) {
    ReadProperty(f);
  } else if (!std::strcmp(kw, "font")) {
    ReadFont(f);
  } else {
    Report(ScrTextId::err_edit_invalid_keyword, f, {ScriptReader()->FileName(), kw});
    SkipBlock(f);
  }
}

// font { ... }: the text's font, kept as its description "face height" with " bold", " italic"
// and " underline" as they apply; a failed font block is dropped.
void CScrEdit::ReadFont(CScrStream* f) {
  CScrFont r(ScriptReader());
  if (!ReadNested(r, f)) return;
  const SgLogFont& font = r.Font();
  std::string d = std::string(font.faceName) + " " + std::to_string(font.height);
  if (font.weight >= 700) d += " bold";
  if (font.italic) d += " italic";
  if (font.underline) d += " underline";
  Edit()->SetFont(d.c_str());
}

// position { col, row } on a grid: redraws what was there and moves the text; on the screen
// { x, y, z } (defaults 0 0 1) puts the box there.
void CScrEdit::ReadPosition(CScrStream* f) {
  float v[kMaxNumbers];
  int n = ReadNumberList(f, v, kMaxNumbers);
  if (IsScreenEdit()) {
    float p[3] = {0, 0, 1};
    for (int i = 0; i < 3 && i < n; ++i) p[i] = v[i];
    Edit()->SetScreenPosition(p, 3);
    Edit()->SetOnScreen(1);
    return;
  }
  Edit()->Update(-1, 1);
  const int* old = Edit()->TextPosition();
  Edit()->SetTextPosition(n > 0 ? ScrNarrow<int>(v[0]) : old[0], n > 1 ? ScrNarrow<int>(v[1]) : old[1]);
}

// size { w, h }: kept until the block closes.
void CScrEdit::ReadSize(CScrStream* f) {
  float v[kMaxNumbers];
  int n = ReadNumberList(f, v, kMaxNumbers);
  for (int i = 0; i < 2 && i < n; ++i) {
    if (IsScreenEdit()) m_screen[i] = v[i];
    else m_grid[i] = ScrNarrow<int>(v[i]);
  }
}

// content { text }: `content { }` empties the box. An ASCII comma (which would cut the text
// where it is not quoted) is reported; the text is set all the same.
void CScrEdit::ReadContent(CScrStream* f) {
  const int braced = OpenBrace(f);
  std::string text;
  int ok = ScrReadString(f, text);
  while (ok && text.empty() && !ScrInputEnded(f)) ok = ScrReadString(f, text);
  if (text.find(',') != std::string::npos) Report(ScrTextId::err_text_ascii_comma, f);
  if (text == "}") text.clear();  // that brace closed the value (or the block): it stays read
  else if (braced) CloseBrace(f);
  Edit()->SetAllText(text.c_str());
}

// color { r, g, b [, r, g, b] }: text colour and background; without a background one that
// contrasts with the text is taken. Only a box on a node has a background of its own.
void CScrEdit::ReadColor(CScrStream* f) {
  float v[kMaxNumbers];
  float c[6] = {1, 1, 1, 0, 0, 0};
  int n = ReadNumberList(f, v, kMaxNumbers);
  for (int i = 0; i < 6 && i < n; ++i) c[i] = v[i];
  if (n <= 3) {
    const float back = (c[0] + c[1] + c[2]) / 3.0f > 0.5f ? 0.0f : 1.0f;
    c[3] = c[4] = c[5] = back;
  }
  Edit()->SetTextColor(c);
  if (Edit()->Key() != SG_NO_KEY) Edit()->SetBackColor(c + 3);
}

// property { word, ... }: the first word not known is reported and ends the list.
void CScrEdit::ReadProperty(CScrStream* f) {
  std::vector<std::string> words;
  ScrReadWordList(f, words);
  CSgEdit* e = Edit();
  for (const std::string& word : words) {
    const char* w = word.c_str();
    if (straccord(w, "readonly")) e->SetReadOnly(1);
    else if (straccord(w, "single")) e->SetOptionFlags(e->Options() | SG_EDIT_SINGLE);
    else if (straccord(w, "alignright")) e->SetOption(e->Options() | SG_EDIT_ALIGNRIGHT);
    else if (straccord(w, "noreturn")) e->SetOption(e->Options() | SG_EDIT_NORETURN);
    else if (straccord(w, "2d") || straccord(w, "onscreen")) e->SetOnScreen(1);
    else if (straccord(w, "password")) e->SetOptionFlags(e->Options() | SG_EDIT_PASSWORD);
    else if (straccord(w, "openblank")) e->SetBlankBack(1, 1);
    else if (straccord(w, "closeblank")) e->SetBlankBack(0, 1);
    else {
      ReportInvalidString(f, w);
      break;
    }
  }
}

void CScrEdit::Finish() {
  CSgEdit* e = Edit();
  e->SetReading(0);
  if (IsScreenEdit()) {
    e->SetScreenSize(m_screen);
    e->SetOnScreen(1);
    e->Update(-1, 0);
    return;
  }
  e->SetSize(m_grid[0], m_grid[1]);
  // A position before the first column or row is as far outside as one past the last.
  const int* pos = e->TextPosition();
  if (pos[0] >= 0 && pos[1] >= 0 && pos[0] < e->Columns() && pos[1] < e->Rows())
    e->Update(-1, 0);
  else
    Report(ScrTextId::err_edit_position_out_of_bounds, nullptr, {ScrGetCurKeyWord()});
}

// ---------------------------------------------------------------------------------------------
// Maps

CScrMap::CScrMap(CScriptReader* reader) : CScrCtrlpt(reader) {
  SetControl(std::make_unique<CSgMap>(reader->CurrentModule()));
}

CSgMap* CScrMap::Map() const { return static_cast<CSgMap*>(CtrlPoint()); }

// A file name as the graphics library finds it; one it does not find stays as written.
std::string CScrMap::FullName(CScrStream* f) {
  std::string name;
  ReadValueString(f, name);
  std::vector<char> full(4096);
  if (SgGetFullFilename(name.c_str(), full.data(), (int)full.size())) return full.data();
  return name;
}

// The file list has no empty entries: the first file added stands alone.
void CScrMap::OtherKeyword(CScrStream* f, const char* kw) {
  float v = 0;
  if (!std::strcmp(kw, "bitmap")) {  // the base picture: first
    std::string name = FullName(f);
    m_files = m_files.empty() ? name : name + ";" + m_files;
  } else if (!std::strcmp(kw, "bitmap_templ")) {  // an overlay: after the others
    std::string name = FullName(f);
    m_files = m_files.empty() ? name : m_files + ";" + name;
  } else if (!std::strcmp(kw, "center")) {
    float c[kMaxNumbers];
    float p[3] = {0, 0, 0};
    int n = ReadNumberList(f, c, kMaxNumbers);
    for (int i = 0; i < 3 && i < n; ++i) p[i] = c[i];
    Map()->SetCenter(p);
  } else if (!std::strcmp(kw, "scale")) {
    // The map keeps the reciprocal; a zero scale has none and leaves the map as it was.
    ReadNumber(f, v);
    if (v != 0.0f) Map()->SetScale(1.0f / v);
  } else if (!std::strcmp(kw, "angle")) {
    v = Map()->Angle();
    ReadNumber(f, v);
    Map()->SetAngle(v);
  } else {
    ReportUnknownControlKeyword(f, kw);
  }
}

void CScrMap::Finish() {
  float up[3] = {0, 1, 0};
  ScriptReader()->CurrentModule()->SgView()->GetVerticalAxis(up);
  if (up[2] > 0.9f) Map()->SetVerticalAxisFlag(0);
  Map()->SetFiles(m_files.c_str());
  Map()->Create();
}

// ---------------------------------------------------------------------------------------------
// Screen areas

CScrArea::CScrArea(CScriptReader* reader) : CScrCtrlpt(reader) {
  SetControl(std::make_unique<CSgArea>(reader->CurrentModule()));
}

// rect { x1, y1, x2, y2 [, d] }: the closed outline, and the depth (10 by default).
void CScrArea::OtherKeyword(CScrStream* f, const char* kw) {
  if (std::strcmp(kw, "rect")) {
    ReportUnknownControlKeyword(f, kw);
    return;
  }
  float v[kMaxNumbers];
  float r[5] = {0, 0, 0, 0, 10};
  int n = ReadNumberList(f, v, kMaxNumbers);
  for (int i = 0; i < 5 && i < n; ++i) r[i] = v[i];
  auto* area = static_cast<CSgArea*>(CtrlPoint());
  area->AddPoint(r[0], r[1]);
  area->AddPoint(r[0], r[3]);
  area->AddPoint(r[2], r[3]);
  area->AddPoint(r[2], r[1]);
  area->AddPoint(r[0], r[1]);
  area->SetDepth(r[4]);
}

// ---------------------------------------------------------------------------------------------
// Key maps

CScrKeyMap::CScrKeyMap(CScriptReader* reader) : CScrCtrlpt(reader) {
  SetControl(std::make_unique<CSgKeyMap>(reader->CurrentModule()));
}

// key { F5 }
void CScrKeyMap::OtherKeyword(CScrStream* f, const char* kw) {
  if (std::strcmp(kw, "key")) {
    ReportUnknownControlKeyword(f, kw);
    return;
  }
  std::string key;
  ReadValueString(f, key);
  ScrNormalizeString(key);
  static_cast<CSgKeyMap*>(CtrlPoint())->SetKeyCode(key.c_str());
}
