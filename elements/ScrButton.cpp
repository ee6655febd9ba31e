// The button reader: the button block's own sub-keywords, the state blocks and Finish.
#include "elements/ScrButton.h"

#include <cctype>
#include <cmath>
#include <cstring>
#include <memory>

#include "elements/ScrMembers.h"
#include "lexer/ScrLex.h"
#include "lexer/ScrValues.h"
#include "reader/ScriptReader.h"
#include "sg/Button.h"
#include "sg/Module.h"
#include "sg/View.h"

namespace {

// The depth of a flat element inside a state block: a script depth z is drawn at -(z + 1.1),
// in front of the scene and behind the screen's own layer.
float StateDepth(float z) { return -(z + 1.1f); }

// Numbers up to the '}' that closes the value (the braces are optional); `out` keeps its
// defaults past the numbers written, and numbers beyond `max` are passed over. Returns the count.
int ReadList(CScrStream* f, float* out, int max) {
  int count = 0;
  const int braced = ScrTakeBrace(f, '{');
  ScrReadAllValues(f, out, count, max);
  if (braced) ScrTakeBrace(f, '}');
  return count;
}

int ReadList(CScrStream* f, int* out, int max) {
  int count = 0;
  const int braced = ScrTakeBrace(f, '{');
  ScrReadAllValues(f, out, count, max);
  if (braced) ScrTakeBrace(f, '}');
  return count;
}

// A bounded copy into a path buffer of SG_BUTTON_PATH_BYTES bytes; the caller made sure it fits.
void CopyPath(char* to, const std::string& from) {
  const size_t n = from.size() < (size_t)SG_BUTTON_PATH_BYTES - 1 ? from.size() : (size_t)SG_BUTTON_PATH_BYTES - 1;
  std::memcpy(to, from.data(), n);
  to[n] = '\0';
}

// What the plug-in left in a buffer, read no further than the buffer's end.
std::string TakePath(char* buffer) {
  buffer[SG_BUTTON_PATH_BYTES - 1] = '\0';
  return buffer;
}

}  // namespace

std::string ScrPathExtension(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  return path.substr(dot);
}

CScrButton::CScrButton(CScriptReader* reader) : CScrCtrlpt(reader) {
  SetControl(std::make_unique<CSgButton>(reader->CurrentModule()));
}

CSgButton* CScrButton::Button() const {
  COpCtrlPoint* c = CtrlPoint();
  return c && c->TypeCode() == SGT_BUTTON ? static_cast<CSgButton*>(c) : nullptr;
}

void CScrButton::OtherKeyword(CScrStream* f, const char* keyword) {
  static const ScrSubKeywords<CScrButton> kSubs = {
      {"position", &CScrButton::ReadPosition},
      {"property", &CScrButton::ReadProperty},
      {"corner", &CScrButton::ReadCorner},
      {"mask", &CScrButton::ReadUnused},
      {"mask_int", &CScrButton::ReadUnused},
      {"mode", &CScrButton::ReadUnused},
      {"size", &CScrButton::ReadSize},
      {"transparency", &CScrButton::ReadTransparency},
      {"rect", &CScrButton::ReadRect},
      {"target", &CScrButton::ReadTarget},
      {"recordable", &CScrButton::ReadRecordable},
      {"visible", &CScrButton::ReadVisible},
      {"normal", &CScrButton::ReadStateBlock},
      {"push", &CScrButton::ReadStateBlock},
      {"hover", &CScrButton::ReadStateBlock},
      {"tip", &CScrButton::ReadStateBlock},
      {"tip2", &CScrButton::ReadStateBlock},
      {"unable", &CScrButton::ReadStateBlock},
      {"outline", &CScrButton::ReadOutline},
  };
  // `name` may have bound the reader to a control of another kind: it has no button fields.
  if (!Button() || kSubs.Dispatch(this, f, keyword) == SCR_SUB_UNKNOWN) ReportUnknownControlKeyword(f, keyword);
}

// ---------------------------------------------------------------- the button block (state 3)

// position { x y z }: defaults 0 0 1.
int CScrButton::ReadPosition(CScrStream* f, const char*) {
  float v[3] = {0, 0, 1};
  ReadList(f, v, 3);
  Button()->SetPosition(v[0], v[1], v[2], SG_BUTTON_BLOCK);
  return SCR_SUB_OK;
}

int CScrButton::ReadCorner(CScrStream* f, const char*) {
  float v[3] = {0, 0, 1};
  ReadList(f, v, 3);
  Button()->SetCorner(v[0], v[1], v[2], SG_BUTTON_BLOCK);
  return SCR_SUB_OK;
}

// property { check nostretch }: a word containing nostretch turns stretching off, one containing
// check makes a check button at once (blanks do not end a word, so one word may do both); any
// other word ends what the list means. The whole list is
// read either way, so that its closing brace does not end the button.
int CScrButton::ReadProperty(CScrStream* f, const char*) {
  std::vector<std::string> words;
  ScrReadWordList(f, words);
  int noStretch = 0;
  for (std::string& w : words) {
    for (char& c : w) c = (char)std::tolower((unsigned char)c);
    ScrShrinkString(w);
    const bool stretchWord = w.find("nostretch") != std::string::npos;
    const bool checkWord = w.find("check") != std::string::npos;
    if (stretchWord) noStretch = 1;
    if (checkWord) Button()->SetOption(SG_BUTTON_CHECK);
    if (!stretchWord && !checkWord) break;
  }
  Button()->SetStretch(noStretch ? 0 : 1);
  return SCR_SUB_OK;
}

// mask { r g b a }, mask_int { r g b a }, mode { word }: read for older scripts, not used.
int CScrButton::ReadUnused(CScrStream* f, const char* kw) {
  if (std::strcmp(kw, "mode") == 0) {
    std::string word;
    ReadValueString(f, word);
  } else if (std::strcmp(kw, "mask_int") == 0) {
    int v[4] = {0, 0, 0, 5};
    ReadList(f, v, 4);
  } else {
    float v[4] = {0, 0, 0, 5.0f / 255.0f};
    ReadList(f, v, 4);
  }
  return SCR_SUB_OK;
}

int CScrButton::ReadSize(CScrStream* f, const char*) {
  float v[2] = {0, 0};
  ReadValueNumbers(f, v, 2);
  Button()->SetSize(v[0], v[1], SG_BUTTON_BLOCK);
  return SCR_SUB_OK;
}

int CScrButton::ReadTransparency(CScrStream* f, const char*) {
  float t = 0;
  ReadValueNumbers(f, &t, 1);
  Button()->SetTransparency(t, SG_BUTTON_BLOCK);
  return SCR_SUB_OK;
}

// rect { x1 y1 x2 y2 z }: the centre and the size of the rectangle; defaults 0 0 0 0 1.
int CScrButton::ReadRect(CScrStream* f, const char*) {
  float r[5] = {0, 0, 0, 0, 1};
  ReadList(f, r, 5);
  Button()->SetPosition((r[0] + r[2]) / 2, (r[1] + r[3]) / 2, r[4], SG_BUTTON_BLOCK);
  Button()->SetSize(std::fabs(r[0] - r[2]), std::fabs(r[1] - r[3]), SG_BUTTON_BLOCK);
  return SCR_SUB_OK;
}

int CScrButton::ReadTarget(CScrStream* f, const char*) {
  float r[4] = {0, 0, 0, 0};
  ReadList(f, r, 4);
  Button()->SetTarget(r);
  return SCR_SUB_OK;
}

int CScrButton::ReadRecordable(CScrStream* f, const char*) {
  int v = Button()->Recordable();
  ReadValueBool(f, v);
  Button()->SetRecordable(v);
  return SCR_SUB_OK;
}

int CScrButton::ReadVisible(CScrStream* f, const char*) {
  ReadValueBool(f, m_visible);
  m_visibleGiven = true;
  return SCR_SUB_OK;
}

// outline { x y x y ... }: at most 16 points; an odd last number is dropped.
int CScrButton::ReadOutline(CScrStream* f, const char*) {
  float v[2 * CSgButton::SG_MAX_OUTLINE];
  const int n = ReadList(f, v, 2 * CSgButton::SG_MAX_OUTLINE);
  Button()->AddOutline(v, n / 2, SG_BUTTON_BLOCK);
  return SCR_SUB_OK;
}

// The tip look is `tip`, the word the keyword table knows; `tip2`, its older name, is taken too
// wherever the token reader hands it over as a keyword.
int CScrButton::ReadStateBlock(CScrStream* f, const char* kw) {
  int state = SG_BUTTON_NORMAL;
  if (std::strcmp(kw, "push") == 0) state = SG_BUTTON_PUSH;
  else if (std::strcmp(kw, "hover") == 0) state = SG_BUTTON_HOVER;
  else if (std::strcmp(kw, "tip") == 0 || std::strcmp(kw, "tip2") == 0) state = SG_BUTTON_TIP;
  else if (std::strcmp(kw, "unable") == 0) state = SG_BUTTON_UNABLE;
  ReadState(f, state);
  return SCR_SUB_OK;
}

// ---------------------------------------------------------------- state blocks

// normal | push | hover | tip2 | unable [{] sub-keyword ... }
//
// The state's files are handed over at its closing brace, also when none was given, so that
// every state a script names is set. A state block never fails the button.
void CScrButton::ReadState(CScrStream* f, int s) {
  CSgButton* b = Button();
  ScrTakeBrace(f, '{');
  std::string bitmap, templ, kw;
  // The pictures of these states may be PNG files that the plug-in converts; theirs is the
  // template it writes, not one the script gives.
  const bool converted = s == SG_BUTTON_NORMAL || s == SG_BUTTON_PUSH || s == SG_BUTTON_HOVER;
  for (;;) {
    if (!ScrReadKeyword(f, kw)) {
      Report(ScrTextId::err_not_keyword_nospace, f, {kw, ScrGetCurKeyWord()});
      return;
    }
    if (kw == "}") {
      b->SetFile(bitmap.c_str(), templ.c_str(), s, 0);
      return;
    }
    if (kw == "bitmap") {
      ReadValueString(f, bitmap);
      if ((s == SG_BUTTON_PUSH || s == SG_BUTTON_HOVER) && ScrPathExtension(bitmap) == ".png") ExportImage(bitmap, templ);
    } else if (kw == "bitmap_templ") {
      // The value is always consumed, so that it is not taken for a keyword; after a .png bitmap
      // of a converted state it is not used.
      std::string t;
      ReadValueString(f, t);
      if (!converted || ScrPathExtension(bitmap) != ".png") templ = t;
    } else if (kw == "size") {
      float v[2] = {0, 0};
      ReadValueNumbers(f, v, 2);
      b->SetSize(v[0], v[1], s);
    } else if (kw == "rect") {
      float r[5] = {0, 0, 0, 0, 1};
      ReadList(f, r, 5);
      b->SetPosition((r[0] + r[2]) / 2, (r[1] + r[3]) / 2, StateDepth(r[4]), s);
      b->SetSize(std::fabs(r[0] - r[2]), std::fabs(r[1] - r[3]), s);
    } else if (kw == "outline") {
      float v[2 * CSgButton::SG_MAX_OUTLINE];
      const int n = ReadList(f, v, 2 * CSgButton::SG_MAX_OUTLINE);
      b->AddOutline(v, n / 2, s);
    } else if (kw == "transparency") {
      float t = 0;
      ReadValueNumbers(f, &t, 1);
      b->SetTransparency(t, s);
    } else if (kw == "position" || kw == "corner") {
      float v[3] = {0, 0, 1};
      ReadList(f, v, 3);
      if (kw == "position") b->SetPosition(v[0], v[1], StateDepth(v[2]), s);
      else b->SetCorner(v[0], v[1], StateDepth(v[2]), s);
    } else if (kw == "base") {
      ReadBase(f, s);
    } else {
      ReportInvalidKeyword(f, kw.c_str());
      SkipBlock(f);
    }
  }
}

// base [{] image { ... } ... }: the picture of the first image block whose node holds one
// becomes the state's base picture. An image is read as any image block is (it is defined in
// the module); its picture is looked up from the image's own node, which is where the image
// was placed, so `base { image { name { panel } } }` bases the state on the image panel.
void CScrButton::ReadBase(CScrStream* f, int s) {
  const int braced = ScrTakeBrace(f, '{');
  std::string kw;
  for (;;) {
    if (!ScrReadKeyword(f, kw)) {
      ReportNotKeyword(f, kw.c_str());
      return;
    }
    if (kw == "}") return;
    std::unique_ptr<CScrObject> r;
    if (kw == "image") r = ScrNewMemberReader(ScriptReader(), ScrMemberKind::Image);
    if (!r) {
      ReportInvalidKeyword(f, kw.c_str());
      SkipBlock(f);
      continue;
    }
    if (!ReadNested(*r, f)) return;  // reported by the image reader
    const ScrMemberInfo image = ScrMemberOf(*r, ScrMemberKind::Image);
    if (image.key == SG_NO_KEY) continue;
    const SGKEY picture = ScrFindPictureNode(image.key);
    if (picture != SG_NO_KEY) {
      Button()->SetBaseImage(picture, s);
      continue;
    }
    Report(ScrTextId::warn_base_image_missing, f, {ScrGetCurKeyWord()});
    // The rest of the block is passed over, up to its own closing brace: left to the state
    // block, that brace would close the state and the state's brace the button.
    if (braced) {
      for (int depth = 1; depth > 0 && ScrReadString(f, kw);) {
        if (kw == "{") ++depth;
        else if (kw == "}") --depth;
      }
    }
    return;
  }
}

// The plug-in reads the bitmap from a copy and may rewrite the bitmap path and write a template
// path, each in a buffer of SG_BUTTON_PATH_BYTES bytes. A path that does not fit such a buffer
// is not handed over: cut short, it would name another file.
void CScrButton::ExportImage(std::string& bitmap, std::string& templ) {
  if (bitmap.size() >= (size_t)SG_BUTTON_PATH_BYTES || templ.size() >= (size_t)SG_BUTTON_PATH_BYTES) return;
  char source[SG_BUTTON_PATH_BYTES], bitmapBuf[SG_BUTTON_PATH_BYTES], templBuf[SG_BUTTON_PATH_BYTES];
  CopyPath(source, bitmap);
  CopyPath(bitmapBuf, bitmap);
  CopyPath(templBuf, templ);
  SgExportImageParams params{source, bitmapBuf, templBuf};
  ScriptReader()->CurrentModule()->SgView()->RunPluginCommand("ProjectMgr", "ExportImage", &params);
  bitmap = TakePath(bitmapBuf);
  templ = TakePath(templBuf);
}

// ---------------------------------------------------------------- Finish

// A button without a scene node is drawn on the screen: it is created there, with its image data
// loaded now when the reader loads image data by default, else as its enable state says.
//
// A block that names a button made before (a second block of its name, or a page or menu
// listing it) changes only what it gives: the button is placed and registered once, by the
// block that made it, and is shown or hidden again only when the block says `visible`.
void CScrButton::Finish() {
  CSgButton* b = Button();
  if (!b) return;
  if (!IsCreated() || !m_placeNew) {
    if (!IsCreated() && m_visibleGiven) b->Show(m_visible);
    return;
  }
  if (b->Key() == SG_NO_KEY) b->Create(ScriptReader()->bLoadImageDataDefault() == 1 ? 1 : EnableField());
  CSgView* view = ScriptReader()->CurrentModule()->SgView();
  for (int i = 0; i < 3; ++i) view->AddScriptField(b->DisplayKey(i));
  b->Show(m_visible);
}
