// The image reader.
#include "elements/ScrImage.h"

#include <cmath>
#include <cstring>

#include "lexer/ScrLex.h"
#include "lexer/ScrValues.h"
#include "reader/ScriptReader.h"
#include "sg/Gfx.h"
#include "sg/Image.h"
#include "sg/Module.h"
#include "sg/View.h"

long CScrImage::m_totalTick = 0;

// ---------------------------------------------------------------------------------------------
// Value lists shared with the text readers

int ScrReadNumberList(CScrStream* f, float* out, int max) {
  const int braced = ScrTakeBrace(f, '{');
  int count = 0;
  ScrReadAllValues(f, out, count, max);
  if (braced) ScrTakeBrace(f, '}');
  return count;
}

// Tokens end at braces, commas and line ends but not at blanks, so "bold italic" arrives as one
// token: it is cut at its blanks here.
std::vector<std::string> ScrReadWordList(CScrStream* f) {
  const int braced = ScrTakeBrace(f, '{');
  std::vector<std::string> words;
  std::string tok;
  for (;;) {
    ScrLexMark mark = ScrSaveLexState(f);
    if (ScrTakeBrace(f, '}')) {
      if (!braced) ScrRestoreLexState(f, mark);  // the enclosing block's brace
      break;
    }
    if (!ScrReadString(f, tok)) break;  // the input ended
    size_t i = 0;
    while (i < tok.size()) {
      size_t start = tok.find_first_not_of(" \t", i);
      if (start == std::string::npos) break;
      size_t end = tok.find_first_of(" \t", start);
      if (end == std::string::npos) end = tok.size();
      words.push_back(tok.substr(start, end - start));
      i = end;
    }
  }
  return words;
}

void ScrSkipToClose(CScrStream* f) {
  std::string tok;
  int depth = 0;
  while (ScrReadString(f, tok)) {
    if (tok == "{") ++depth;
    else if (tok == "}" && depth-- == 0) return;
  }
}

// ---------------------------------------------------------------------------------------------

CScrImage::CScrImage(CScriptReader* reader) : CScrObject(reader), m_own(std::make_unique<CSgImage>()) {
  m_image = m_own.get();
  CSgModule* module = reader->CurrentModule();
  m_pathName = "/scene/modules/" + module->GetPath("/") + "/images";
  m_keepInMemory = reader->bLoadImageDataDefault();
}

CScrImage::~CScrImage() = default;

int CScrImage::Read(CScrStream* f) {
  ScrTickScope ticks(&m_totalTick);
  int result = ReadBlock(f);
  if (!m_closed) return 0;  // the input ended inside the block (reported)
  if (!IsReference()) Apply();
  return result;
}

int CScrImage::ReadSubKeyword(CScrStream* f, const char* kw) {
  static const ScrSubKeywords<CScrImage> kSubs = {
      {"name", &CScrImage::ReadName},
      {"field", &CScrImage::ReadField},
      {"enable", &CScrImage::ReadEnable},
      {"mode", &CScrImage::ReadMode},
      {"position", &CScrImage::ReadPosition},
      {"size", &CScrImage::ReadSize},
      {"offset", &CScrImage::ReadOffset},
      {"rect", &CScrImage::ReadRect},
      {"corner", &CScrImage::ReadCorner},
      {"transparency", &CScrImage::ReadTransparency},
      {"bitmap", &CScrImage::ReadBitmap},
      {"bitmap_templ", &CScrImage::ReadBitmapTempl},
      {"mask", &CScrImage::ReadUnused},
      {"mask_int", &CScrImage::ReadUnused},
      {"outline", &CScrImage::ReadUnused},
      {"property", &CScrImage::ReadProperty},
      {"base", &CScrImage::ReadBase},
  };
  return kSubs.Dispatch(this, f, kw);
}

// The values reach the image in the order the library expects: flags first, then the name and
// path that decide its node, then the placement and the files, and Create last.
void CScrImage::Apply() {
  CSgImage* img = m_image;
  img->SetBaseKey(m_baseKey);
  img->SetCorner(m_corner);
  img->SetDrawMode(m_drawMode);
  img->SetKeepInMemory(m_keepInMemory);
  img->SetVisibility(m_visible);
  img->SetPathName(m_pathName.c_str());
  img->SetWorldPos(m_world);
  img->SetOffset(m_offset);
  img->SetPosition(m_position);
  img->SetSize(m_size[0], m_size[1]);
  img->SetTransparency(m_transparency);
  img->SetFileName(m_bitmap.c_str());
  img->SetMaskFileName(m_template.c_str());
  img->SetStretch(m_noStretch ? 0 : 1);
  img->SetMask(m_mask);
  img->Create();
  m_fieldKey = img->FieldKey();
  if (ScriptReader()->AddObject(img) && m_own) m_own.release();  // the module owns it now
  if (!m_visible) SgSetVisibilityByKey(m_fieldKey, 0);
}

// name { N }: in reference mode the image is looked for from the current module upwards and
// nothing else of the block applies; otherwise a second block of a name configures the module's
// image of that name again.
int CScrImage::ReadName(CScrStream* f, const char*) {
  std::string name;
  if (!ReadValueString(f, name)) return SCR_SUB_FAIL;
  CSgModule* module = ScriptReader()->CurrentModule();
  if (IsReference()) {
    m_own.reset();
    m_image = dynamic_cast<CSgImage*>(module->FindImage(name.c_str()));
    m_fieldKey = m_image ? m_image->FieldKey() : SG_NO_KEY;
    SetCreated(0);
    return SCR_SUB_OK;
  }
  std::string suffix;
  ScrGetInstanceSuffix(suffix);  // each expansion of a script function makes its own image
  name += suffix;
  m_image = BindByName(m_own, m_image, dynamic_cast<CSgImage*>(module->images().Find(name.c_str())), name);
  return SCR_SUB_OK;
}

int CScrImage::ReadField(CScrStream* f, const char*) {
  return ReadValueString(f, m_pathName) ? SCR_SUB_OK : SCR_SUB_FAIL;
}

// Only TRUE and FALSE change the visibility; any other word leaves it.
int CScrImage::ReadEnable(CScrStream* f, const char*) {
  std::string word;
  if (!ReadValueString(f, word)) return SCR_SUB_FAIL;
  if (straccord(word.c_str(), "TRUE")) m_visible = 1;
  else if (straccord(word.c_str(), "FALSE")) m_visible = 0;
  return SCR_SUB_OK;
}

int CScrImage::ReadMode(CScrStream* f, const char*) {
  std::string word;
  if (!ReadValueString(f, word)) return SCR_SUB_FAIL;
  m_drawMode = word == "modulate" ? 0 : 1;
  return SCR_SUB_OK;
}

int CScrImage::ReadPosition(CScrStream* f, const char*) {
  float v[255];
  int n = ScrReadNumberList(f, v, 255);
  for (int i = 0; i < n && i < 3; ++i) m_position[i] = v[i];
  return SCR_SUB_OK;
}

int CScrImage::ReadSize(CScrStream* f, const char*) {
  float v[2];
  int n = ScrReadNumberList(f, v, 2);
  for (int i = 0; i < n; ++i) m_size[i] = v[i];
  return SCR_SUB_OK;
}

int CScrImage::ReadOffset(CScrStream* f, const char*) {
  float v[2];
  int n = ScrReadNumberList(f, v, 2);
  for (int i = 0; i < n; ++i) m_offset[i] = v[i];
  return SCR_SUB_OK;
}

// rect { x1 y1 x2 y2 z }: the image is centred in the rectangle.
int CScrImage::ReadRect(CScrStream* f, const char*) {
  float v[5] = {0, 0, 0, 0, 1};
  float got[5];
  int n = ScrReadNumberList(f, got, 5);
  for (int i = 0; i < n; ++i) v[i] = got[i];
  m_position[0] = (v[0] + v[2]) / 2;
  m_position[1] = (v[1] + v[3]) / 2;
  m_position[2] = v[4];
  m_size[0] = std::fabs(v[0] - v[2]);
  m_size[1] = std::fabs(v[1] - v[3]);
  return SCR_SUB_OK;
}

int CScrImage::ReadCorner(CScrStream* f, const char* kw) {
  ReadPosition(f, kw);
  m_corner = 1;
  return SCR_SUB_OK;
}

int CScrImage::ReadTransparency(CScrStream* f, const char*) {
  return ReadValueNumbers(f, &m_transparency, 1) ? SCR_SUB_OK : SCR_SUB_FAIL;
}

int CScrImage::ReadBitmap(CScrStream* f, const char*) {
  return ReadValueString(f, m_bitmap) ? SCR_SUB_OK : SCR_SUB_FAIL;
}

int CScrImage::ReadBitmapTempl(CScrStream* f, const char*) {
  m_drawMode = 0;
  return ReadValueString(f, m_template) ? SCR_SUB_OK : SCR_SUB_FAIL;
}

// mask, mask_int and outline are read and not used.
int CScrImage::ReadUnused(CScrStream* f, const char*) {
  float v[32];
  ScrReadNumberList(f, v, 32);
  return SCR_SUB_OK;
}

// property { words }: each word is tested by what it contains. An unknown word ends the list
// and fails the block, which is still read to its end.
int CScrImage::ReadProperty(CScrStream* f, const char*) {
  for (std::string word : ScrReadWordList(f)) {
    ScrNormalizeString(word);
    ScrShrinkString(word);
    auto has = [&word](const char* part) { return word.find(part) != std::string::npos; };
    if (has("offmemory")) m_keepInMemory = 0;
    else if (has("onmemory")) m_keepInMemory = 1;
    else if (has("nostretch")) m_noStretch = 1;
    else if (has("world")) m_world = 1;
    else if (has("ignoremask") || has("mask")) m_mask = 1;
    else {
      ReportInvalidString(f, word.c_str());
      return SCR_SUB_FAIL;
    }
  }
  return SCR_SUB_OK;
}

// base { image { ... } ... }: each nested image is read and placed; the picture placed under
// its node becomes this image's base. Without braces `base` takes one image.
int CScrImage::ReadBase(CScrStream* f, const char*) {
  const int braced = OpenBrace(f);
  std::string tok;
  for (;;) {
    ScrLexMark mark = ScrSaveLexState(f);
    if (!ScrReadKeyword(f, tok)) {
      ReportNotKeyword(f, tok.c_str());
      return SCR_SUB_STOP;
    }
    if (tok == "}") {
      if (!braced) ScrRestoreLexState(f, mark);  // the image block's own brace
      return SCR_SUB_OK;
    }
    if (tok != "image") {
      ReportInvalidKeyword(f, tok.c_str());
      SkipBlock(f);
    } else {
      CScrImage nested(ScriptReader());
      if (!ReadNested(nested, f)) {
        // A failed image ends the base block: the rest of it is passed over.
        if (braced) ScrSkipToClose(f);
        return SCR_SUB_OK;
      }
      TakeBase(f, nested.FieldKey());
    }
    if (!braced) return SCR_SUB_OK;
  }
}

void CScrImage::TakeBase(CScrStream* f, SGKEY key) {
  if (key == SG_NO_KEY) return;
  SGKEY* hits = nullptr;
  int count = 0;
  if (SgSearchContentsByKey(key, "images", &hits, &count) > 0) {
    m_baseKey = hits[0];
  } else {
    char path[1024];
    SgShowFieldPathName(key, path, sizeof path);
    Report(ScrTextId::warn_image_not_defined, f, {path, ScrGetCurKeyWord()});
  }
  SgFreeArray(hits);
}
