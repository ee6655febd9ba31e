// The readers of texts, multi-texts and fonts.
#include "elements/ScrText.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "elements/ScrImage.h"
#include "lexer/ScrEncoding.h"
#include "lexer/ScrLex.h"
#include "lexer/ScrPath.h"
#include "lexer/ScrValues.h"
#include "reader/ScriptReader.h"
#include "sg/Display.h"
#include "sg/Module.h"
#include "sg/MultiText.h"
#include "sg/View.h"

long CScrText::m_totalTick = 0;

namespace {

// The Chinese font-size names and the character heights they stand for, in the order they are
// tested (a name is found anywhere in a value, so 小初 must not be taken for 初号's neighbour).
struct SizeName {
  ScrTextId word;
  int height;
};
constexpr SizeName kSizeNames[] = {
    {ScrTextId::word_size_chuhao, -56}, {ScrTextId::word_size_xiaochu, -48}, {ScrTextId::word_size_yihao, -35},
    {ScrTextId::word_size_xiaoyi, -32}, {ScrTextId::word_size_erhao, -29},   {ScrTextId::word_size_xiaoer, -24},
    {ScrTextId::word_size_sanhao, -21}, {ScrTextId::word_size_xiaosan, -20}, {ScrTextId::word_size_sihao, -19},
    {ScrTextId::word_size_xiaosi, -16}, {ScrTextId::word_size_wuhao, -14},   {ScrTextId::word_size_xiaowu, -12},
};

// The height of the first size name found in `value`; 0 when it holds none.
int SizeNameHeight(const std::string& value) {
  for (const SizeName& s : kSizeNames)
    if (value.find(ScrText(s.word)) != std::string::npos) return s.height;
  return 0;
}

void SetFace(SgLogFont& font, const char* face) { std::snprintf(font.faceName, sizeof font.faceName, "%s", face); }

// A script-written file name found: as the library finds it, against the reader's work
// directory, or beside the script; "" when none of them exists.
std::string FindDocumentFile(CScriptReader* reader, const std::string& name) {
  char full[4096];
  if (SgGetFullFilename(name.c_str(), full, sizeof full)) return full;
  std::string path = ScrGetWholePathname(reader->WorkDirectory(), name.c_str());
  if (ScrScriptPathExists(path)) return path;
  std::string dir = reader->FileName();
  size_t cut = dir.find_last_of("/\\");
  if (cut != std::string::npos) {
    path = dir.substr(0, cut + 1) + name;
    if (ScrScriptPathExists(path)) return path;
  }
  return std::string();
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// font

CScrFont::CScrFont(CScriptReader* reader) : CScrObject(reader) {}

// The protocol loop, except that a first token that is not a word names the face:
// `font { 宋体 }` is 宋体 at character height 50.
int CScrFont::Read(CScrStream* f) {
  m_font = SgLogFont();
  SetFace(m_font, ScrText(ScrTextId::word_font_default_face));
  const int braced = OpenBrace(f);
  std::string kw;
  int r = ScrReadKeyword(f, kw);
  if (!r && !kw.empty()) {
    if (!SgFindFont(kw.c_str(), &m_font)) {
      ReportNotKeyword(f, kw.c_str());
      // The rest of the block is passed over, so that its brace does not end the text.
      if (braced) ScrSkipToClose(f);
      return 0;
    }
    m_font.height = -50;
    m_font.width = 0;
    r = ScrReadKeyword(f, kw);
  }
  return ReadBlockFrom(f, kw, r);
}

int CScrFont::ReadSubKeyword(CScrStream* f, const char* kw) {
  static const ScrSubKeywords<CScrFont> kSubs = {
      {"name", &CScrFont::ReadName},
      {"size", &CScrFont::ReadSize},
      {"property", &CScrFont::ReadProperty},
  };
  return kSubs.Dispatch(this, f, kw);
}

// name { face }: an unknown face falls back to 黑体; either way the cell is 50 x 50.
int CScrFont::ReadName(CScrStream* f, const char*) {
  std::string face;
  if (!ReadValueString(f, face)) return SCR_SUB_FAIL;
  SgLogFont found;
  if (SgFindFont(face.c_str(), &found) || SgFindFont(ScrText(ScrTextId::word_font_default_face), &found)) {
    m_font = found;
    m_font.height = 50;
    m_font.width = 50;
  }
  return SCR_SUB_OK;
}

// size { 三号 } or { 12 } (height) or { 8 16 } (width, height).
int CScrFont::ReadSize(CScrStream* f, const char*) {
  std::vector<int> numbers;
  for (const std::string& value : ScrReadWordList(f)) {
    if (int h = SizeNameHeight(value)) {
      m_font.height = h;
      m_font.width = 0;
    } else {
      numbers.push_back(std::atoi(value.c_str()));
    }
  }
  if (numbers.size() == 1) {
    m_font.height = numbers[0];
    m_font.width = 0;
  } else if (numbers.size() >= 2) {
    m_font.width = numbers[0];
    m_font.height = numbers[1];
  }
  return SCR_SUB_OK;
}

// property { bold italic underline strike }: an unknown word ends the list and fails the font.
int CScrFont::ReadProperty(CScrStream* f, const char*) {
  for (const std::string& word : ScrReadWordList(f)) {
    const char* w = word.c_str();
    if (straccord(w, "underline")) m_font.underline = 1;
    else if (straccord(w, "italic")) m_font.italic = 1;
    else if (straccord(w, "bold")) m_font.weight = 700;
    else if (straccord(w, "strike")) m_font.strikeOut = 1;
    else {
      ReportInvalidString(f, w);
      return SCR_SUB_FAIL;
    }
  }
  return SCR_SUB_OK;
}

// ---------------------------------------------------------------------------------------------
// text, text3d

CScrText::CScrText(CScriptReader* reader) : CScrObject(reader), m_own(std::make_unique<CSgText>()) {
  m_text = m_own.get();
  m_pathName = "/scene/modules/" + reader->CurrentModule()->GetPath("/") + "/texts";
}

CScrText::~CScrText() = default;

int CScrText::Read(CScrStream* f) {
  ScrTickScope ticks(&m_totalTick);
  ReadBlock(f);
  if (!m_closed) return 0;  // the input ended inside the block (reported)
  if (!IsReference()) End(f);
  // Problems inside a text are reported and passed over; only the end of the input fails it.
  return 1;
}

int CScrText::ReadSubKeyword(CScrStream* f, const char* kw) {
  static const ScrSubKeywords<CScrText> kSubs = {
      {"name", &CScrText::ReadName},         {"field", &CScrText::ReadField},
      {"font", &CScrText::ReadFont},         {"position", &CScrText::ReadPosition},
      {"direction", &CScrText::ReadDirection}, {"scale", &CScrText::ReadScale},
      {"content", &CScrText::ReadContent},   {"color", &CScrText::ReadColor},
      {"rotation", &CScrText::ReadRotation}, {"enable", &CScrText::ReadEnable},
      {"filename", &CScrText::ReadFileName}, {"rect", &CScrText::ReadRect},
  };
  return kSubs.Dispatch(this, f, kw);
}

std::string CScrText::NodePath() const {
  if (!m_name.empty() && m_name[0] == '/') return m_name;
  if (m_name.empty()) return m_pathName;
  return m_pathName + "/" + m_name;
}

// name { N }: a text of that name in the current module is configured again (in reference mode
// it is looked for upwards as well); otherwise the new text takes the name.
int CScrText::ReadName(CScrStream* f, const char*) {
  std::string name;
  if (!ReadValueString(f, name)) return SCR_SUB_FAIL;
  if (IsMulti()) {  // a multi-text's name only names its paragraph
    m_name = name;
    return SCR_SUB_OK;
  }
  CSgModule* module = ScriptReader()->CurrentModule();
  if (IsReference()) {
    m_name = name;
    m_own.reset();
    m_text = dynamic_cast<CSgText*>(module->FindText(name.c_str()));
    m_fieldKey = m_text ? m_text->Node() : SG_NO_KEY;
    SetCreated(0);
    return SCR_SUB_OK;
  }
  // Each expansion of a script function makes its own text, at its own node.
  std::string suffix;
  ScrGetInstanceSuffix(suffix);
  m_name = name + suffix;
  m_text = BindByName(m_own, m_text, dynamic_cast<CSgText*>(module->texts().Find(m_name.c_str())), m_name);
  return SCR_SUB_OK;
}

int CScrText::ReadField(CScrStream* f, const char*) {
  return ReadValueString(f, m_pathName) ? SCR_SUB_OK : SCR_SUB_FAIL;
}

int CScrText::ReadFont(CScrStream* f, const char*) {
  CScrFont font(ScriptReader());
  if (ReadNested(font, f)) {
    m_values.font = font.Font();
    m_values.hasFont = true;
  }
  return SCR_SUB_OK;
}

// position { x y [z] } or { x1 y1 x2 y2 [z] }: four numbers or more give the box of a flat text.
int CScrText::ReadPosition(CScrStream* f, const char*) {
  float v[8];
  int n = ScrReadNumberList(f, v, 8);
  if (n >= 1) m_values.position[0] = v[0];
  if (n >= 2) m_values.position[1] = v[1];
  if (n == 3) m_values.position[2] = v[2];
  if (n >= 4) {
    m_values.size[0] = std::fabs(v[2] - v[0]);
    m_values.size[1] = std::fabs(v[3] - v[1]);
    if (n >= 5) m_values.position[2] = v[4];
  }
  m_values.hasPosition = true;
  return SCR_SUB_OK;
}

int CScrText::ReadDirection(CScrStream* f, const char*) {
  float v[3];
  int n = ScrReadNumberList(f, v, 3);
  for (int i = 0; i < n; ++i) m_values.direction[i] = v[i];
  m_values.hasDirection = true;
  return SCR_SUB_OK;
}

// scale { s } for all three axes, or { sx sy sz }.
int CScrText::ReadScale(CScrStream* f, const char*) {
  float v[3];
  int n = ScrReadNumberList(f, v, 3);
  if (n == 1) v[1] = v[2] = v[0];
  for (int i = 0; i < (n == 1 ? 3 : n); ++i) m_values.scale[i] = v[i];
  m_values.hasScale = true;
  return SCR_SUB_OK;
}

// content { text }: commas separate values, so a text written with an ASCII comma arrives in
// pieces (or, quoted, with the comma in it); either way it is refused with a hint to write the
// full-width '，'. `content { }` is an empty text.
int CScrText::ReadContent(CScrStream* f, const char*) {
  std::vector<std::string> pieces;
  std::string tok;
  if (OpenBrace(f)) {
    for (;;) {
      if (CloseBrace(f)) break;
      if (!ScrReadString(f, tok)) break;  // the input ended
      if (!tok.empty()) pieces.push_back(tok);
    }
  } else {
    ScrLexMark mark = ScrSaveLexState(f);
    if (ScrTakeBrace(f, '}')) ScrRestoreLexState(f, mark);  // no value: the block's own brace
    else if (ScrReadString(f, tok)) pieces.push_back(tok);
  }
  if (pieces.size() > 1 || (pieces.size() == 1 && pieces[0].find(',') != std::string::npos)) {
    Report(ScrTextId::err_text_ascii_comma, f);
    return SCR_SUB_OK;
  }
  m_values.content = pieces.empty() ? std::string() : pieces[0];
  m_values.hasContent = true;
  return SCR_SUB_OK;
}

int CScrText::ReadColor(CScrStream* f, const char*) {
  float v[255];
  int n = ScrReadNumberList(f, v, 255);
  m_values.colors.assign(v, v + (n / 3) * 3);
  m_values.hasColor = true;
  return SCR_SUB_OK;
}

int CScrText::ReadRotation(CScrStream* f, const char*) {
  float v[3];
  int n = ScrReadNumberList(f, v, 3);
  for (int i = 0; i < n; ++i) m_values.rotation[i] = v[i];
  m_values.hasRotation = true;
  return SCR_SUB_OK;
}

// enable { TRUE | FALSE }; another word is reported and leaves the text as it is.
int CScrText::ReadEnable(CScrStream* f, const char*) {
  std::string word;
  if (!ReadValueString(f, word)) return SCR_SUB_OK;
  if (straccord(word.c_str(), "TRUE") || straccord(word.c_str(), "FALSE")) {
    m_values.visible = straccord(word.c_str(), "TRUE");
    m_values.hasEnable = true;
  } else {
    ReportInvalidString(f, word.c_str());
  }
  return SCR_SUB_OK;
}

int CScrText::ReadFileName(CScrStream* f, const char*) {
  ReadValueString(f, m_values.fileName);
  return SCR_SUB_OK;
}

// rect { left top right bottom } (multi-texts): the box of the first line.
int CScrText::ReadRect(CScrStream* f, const char*) {
  if (!IsMulti()) return SCR_SUB_UNKNOWN;
  float v[4];
  int n = ScrReadNumberList(f, v, 4);
  for (int i = 0; i < n; ++i) m_values.rect[i] = v[i];
  m_values.hasRect = n > 0;
  return SCR_SUB_OK;
}

// Documents are read once per reader, through the one function that opens scripts, so that a
// UTF-8 document is read as GBK like a UTF-8 script. A document that cannot be found is cached
// empty: every multi-text on it then reports its missing paragraph.
CMultiTextDoc* CScrText::Document(const std::string& name) {
  if (name.empty()) return nullptr;
  CScriptReader* reader = ScriptReader();
  if (CMultiTextDoc* doc = reader->FindMultiTextDoc(name.c_str())) return doc;
  auto doc = std::make_unique<CMultiTextDoc>(name.c_str());
  std::string path = FindDocumentFile(reader, name);
  if (!path.empty()) {
    if (std::unique_ptr<CScrStream> file = ScrOpenScriptFile(path.c_str(), reader->Encoding()))
      doc->Parse(file->Source().Text());
  }
  CMultiTextDoc* raw = doc.get();
  reader->AddMultiTextDoc(doc.release());
  return raw;
}

namespace {

// Copies what the block gave into the text: a text configured again keeps what it is not given.
void MergeValues(SgTextValues& to, const SgTextValues& from) {
  to.is3d = from.is3d;
  to.nodePath = from.nodePath;
  if (from.hasFont) to.font = from.font, to.hasFont = true;
  if (from.hasPosition) {
    std::memcpy(to.position, from.position, sizeof to.position);
    std::memcpy(to.size, from.size, sizeof to.size);
    to.hasPosition = true;
  }
  if (from.hasScale) std::memcpy(to.scale, from.scale, sizeof to.scale), to.hasScale = true;
  if (from.hasRotation) std::memcpy(to.rotation, from.rotation, sizeof to.rotation), to.hasRotation = true;
  if (from.hasDirection) std::memcpy(to.direction, from.direction, sizeof to.direction), to.hasDirection = true;
  if (from.hasContent) to.content = from.content, to.hasContent = true;
  if (from.hasColor) to.colors = from.colors, to.hasColor = true;
  if (from.hasEnable) to.visible = from.visible, to.hasEnable = true;
  if (!from.fileName.empty()) to.fileName = from.fileName;
}

}  // namespace

void CScrText::End(CScrStream*) {
  const std::string nodePath = NodePath();
  m_values.nodePath = nodePath;
  SgTextValues merged = m_text->Values();
  MergeValues(merged, m_values);
  m_text->SetValues(merged);
  if (ScriptReader()->AddObject(m_text) && m_own) m_own.release();  // the module owns it now
  m_fieldKey = SgFieldExists(nodePath.c_str());
  // Flat texts lie in front of the scene: depth z is drawn at -(z + 1.1).
  const float z = m_values.is3d ? m_values.position[2] : -(m_values.position[2] + 1.1f);
  if (m_fieldKey == SG_NO_KEY) Insert(nodePath, z);
  else ChangeOne(z);
}

void CScrText::Insert(const std::string& nodePath, float z) {
  const SgTextValues& s = m_values;
  const SgLogFont* font = s.hasFont ? &s.font : nullptr;
  SGKEY node = SgOpenField(m_pathName.c_str());
  if (!m_name.empty()) node = SgOpenField(nodePath.c_str());
  SGKEY text = s.is3d ? SgInsertText3d(s.position, s.scale, s.content.c_str(), font)
                      : SgInsertRemark(s.position[0], s.position[1], z, s.content.c_str(), font, s.size[0], s.size[1]);
  if (!m_name.empty()) SgCloseField();
  SgSetTextColors(text, s.colors.data(), static_cast<int>(s.colors.size() / 3));
  SgSetTextRotation(text, s.rotation);
  SgCloseField();
  // The text's node is the one just made: hiding, hints and the view's list all need it.
  m_fieldKey = node;
  if (CMultiTextDoc* doc = Document(s.fileName))
    if (doc->FindParagrah(nodePath.c_str())) SgSetTextFile(text, s.fileName.c_str(), nodePath.c_str(), 0);
  if (!s.visible) SgSetVisibilityByKey(m_fieldKey, 0);
  SgSetHeuristicsByKey(m_fieldKey, "font quality = 0");
  m_text->SetNode(text);
  ScriptReader()->CurrentModule()->SgView()->AddScriptField(m_fieldKey);
}

// Exactly one change, the first given in this order, is made to a text that exists already.
void CScrText::ChangeOne(float z) {
  const SgTextValues& s = m_values;
  SGKEY* hits = nullptr;
  int count = 0;
  if (SgSearchContentsByKey(m_fieldKey, s.is3d ? "text" : "remark", &hits, &count) > 0) {
    SGKEY text = hits[0];
    m_text->SetNode(text);
    if (s.hasFont) SgSetTextFont(text, &s.font);
    else if (s.hasPosition) SgSetTextPosition(text, s.position[0], s.position[1], z);
    else if (s.hasScale) SgSetTextScale(text, s.scale);
    else if (s.hasRotation) SgSetTextRotation(text, s.rotation);
    else if (s.hasContent) SgSetTextString(text, s.content.c_str(), nullptr);
    else if (s.hasColor) SgSetTextColors(text, s.colors.data(), static_cast<int>(s.colors.size() / 3));
    else if (s.hasEnable) SgSetVisibilityByKey(m_fieldKey, s.visible);
  }
  SgFreeArray(hits);
}

// ---------------------------------------------------------------------------------------------
// multitext

void CScrMultiText::End(CScrStream* f) {
  const SgTextValues& s = m_values;
  const std::string nodePath = NodePath();
  CMultiTextDoc* doc = Document(s.fileName);
  const CMultiTextParagraph* para = doc ? doc->FindParagrah(nodePath.c_str()) : nullptr;
  if (!para) {
    Report(ScrTextId::warn_multitext_paragraph_not_found, f, {s.fileName, nodePath});
    return;
  }
  const SgLogFont* font = s.hasFont ? &s.font : nullptr;
  SGKEY paragraph = SgOpenField(nodePath.c_str());
  m_fieldKey = paragraph;
  // The line height is that of a sample text, measured in resolution units.
  int cw = 0, ch = 0, rw = 0, rh = 0;
  SgGetClientSize(&cw, &ch);
  if (!SgGetResolution(&rw, &rh) || rh <= 0) rh = ch;
  float w = 0, h = 0;
  SgGetTextExtent(ScrText(ScrTextId::word_font_sample_text), font, static_cast<float>(rh) / static_cast<float>(ch),
                  &w, &h);
  const float z = -(s.position[2] + 1.1f);  // the lines are flat texts
  CSgView* view = ScriptReader()->CurrentModule()->SgView();
  SGKEY previous = SG_NO_KEY;
  for (int i = 1; i <= para->LineCount(); ++i) {
    const std::string subPath = nodePath + "/" + std::to_string(i);
    SGKEY sub = SgOpenField(subPath.c_str());
    auto text = std::make_unique<CSgText>(subPath.c_str());
    SgTextValues values = s;
    values.nodePath = subPath;
    values.content = para->Line(i);
    text->SetValues(values);
    const float y = s.position[1] - static_cast<float>(i) * h * 1.5f + h * 0.5f;
    SGKEY key = SgInsertRemark(0.0f, y, z, "", font, s.size[0], s.size[1]);
    SgCloseField();
    SgSetTextColors(key, s.colors.data(), static_cast<int>(s.colors.size() / 3));
    SgSetTextRotation(key, s.rotation);
    SgSetTextFile(key, s.fileName.c_str(), nodePath.c_str(), i);
    SgLoadTextDataByKey(key, *doc);
    if (!s.visible) SgSetVisibilityByKey(sub, 0);
    SgSetHeuristicsByKey(sub, "font quality = 0");
    view->AddScriptField(sub);
    // Each line's box hangs below the box of the line before.
    if (s.hasRect) {
      float r[4] = {s.rect[0], s.rect[1], s.rect[2], s.rect[3]};
      float before[4];
      if (previous != SG_NO_KEY && SgShowTextRect(previous, before)) {
        const float height = std::fabs(before[1] - before[3]);
        r[0] = before[0], r[2] = before[2];
        r[1] = before[3], r[3] = before[3] - height;
      }
      SgSetTextRect(key, r);
    }
    previous = key;
    text->SetNode(key);
    CSgText* raw = text.get();
    if (ScriptReader()->AddObject(raw)) text.release();
  }
  SgCloseField();
}
