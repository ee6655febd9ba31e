// The sky, texture and light readers.
#include "objects/ScrSky.h"

#include "elements/ScrImage.h"
#include "lexer/ScrLex.h"
#include "lexer/ScrValues.h"
#include "reader/ScriptReader.h"
#include "sg/Module.h"
#include "sg/Platform.h"
#include "sg/SceneObjects.h"

// ---------------------------------------------------------------------------------------------
// sky

std::string CScrSky::DefaultBitmap() { return SgHostDirectory() + ScrText(ScrTextId::word_sky_default_bitmap); }

int CScrSky::Read(CScrStream* f) {
  ReadBlock(f);
  return 1;
}

int CScrSky::ReadSubKeyword(CScrStream* f, const char* kw) {
  static const ScrSubKeywords<CScrSky> kSubs = {
      {"field", &CScrSky::ReadField},   {"position", &CScrSky::ReadPosition},
      {"radius", &CScrSky::ReadRadius}, {"texture_param", &CScrSky::ReadTextureParam},
      {"bitmap", &CScrSky::ReadBitmap},
  };
  return kSubs.Dispatch(this, f, kw);
}

void CScrSky::Finish() {
  if (!m_hasBitmap) m_bitmap = DefaultBitmap();
  KVOCreateSky(m_field.c_str(), m_bitmap.c_str(), m_position, m_radius, m_texParams);
}

int CScrSky::ReadField(CScrStream* f, const char*) {
  ReadValueString(f, m_field);
  ScrTrimString(m_field);
  return SCR_SUB_OK;
}

int CScrSky::ReadPosition(CScrStream* f, const char*) {
  ReadValueNumbers(f, m_position, 3);
  return SCR_SUB_OK;
}

int CScrSky::ReadRadius(CScrStream* f, const char*) {
  ReadValueNumbers(f, &m_radius, 1);
  return SCR_SUB_OK;
}

int CScrSky::ReadTextureParam(CScrStream* f, const char*) {
  ReadValueNumbers(f, m_texParams, 5);
  return SCR_SUB_OK;
}

// Image paths are kept whole, however long: nothing here holds them in a fixed buffer.
int CScrSky::ReadBitmap(CScrStream* f, const char*) {
  ReadValueString(f, m_bitmap);
  ScrTrimString(m_bitmap);
  m_hasBitmap = true;
  return SCR_SUB_OK;
}

// ---------------------------------------------------------------------------------------------
// texture

CScrTexture::CScrTexture(CScriptReader* reader)
    : CScrObject(reader), m_texture(std::make_unique<CSgTexture>(reader->CurrentModule())) {}

CScrTexture::~CScrTexture() = default;

CKvoObject* CScrTexture::TakeObject() { return m_texture.release(); }

int CScrTexture::Read(CScrStream* f) {
  if (!m_texture) return 0;
  return ReadBlock(f);
}

// `environment` is a word of the keyword table but no sub-keyword of this reader: it is reported
// and skipped like any other.
int CScrTexture::ReadSubKeyword(CScrStream* f, const char* kw) {
  static const ScrSubKeywords<CScrTexture> kSubs = {
      {"name", &CScrTexture::ReadName},        {"bitmap", &CScrTexture::ReadBitmap},
      {"bitmap_templ", &CScrTexture::ReadBitmapTempl}, {"pixel", &CScrTexture::ReadPixel},
      {"mode", &CScrTexture::ReadMode},        {"enable", &CScrTexture::ReadEnable},
      {"mask", &CScrTexture::ReadUnused},      {"mask_int", &CScrTexture::ReadUnused},
      {"alpha", &CScrTexture::ReadUnused},     {"alpha_int", &CScrTexture::ReadUnused},
  };
  return kSubs.Dispatch(this, f, kw);
}

// A disabled texture stays out of the model; an enabled one goes in with its closing brace.
void CScrTexture::Finish() {
  if (m_enable == 0) m_texture->SetDisabled(1);
  else m_texture->CreateTextureInModel();
}

int CScrTexture::ReadName(CScrStream* f, const char*) {
  std::string name;
  ReadValueString(f, name);
  ScrTrimString(name);
  m_texture->SetName(name.c_str());
  return SCR_SUB_OK;
}

int CScrTexture::ReadBitmap(CScrStream* f, const char*) {
  std::string path;
  ReadValueString(f, path);
  ScrTrimString(path);
  m_texture->SetFileName(path.c_str());
  return SCR_SUB_OK;
}

int CScrTexture::ReadBitmapTempl(CScrStream* f, const char*) {
  std::string path;
  ReadValueString(f, path);
  ScrTrimString(path);
  m_texture->SetMaskFileName(path.c_str());
  return SCR_SUB_OK;
}

// pixel { a b }: up to two integers, the first two slots in order.
int CScrTexture::ReadPixel(CScrStream* f, const char*) {
  const int braced = OpenBrace(f);
  int v[2] = {0, 0};
  int count = 0;
  ScrReadAllValues(f, v, count, 2);
  if (braced) CloseBrace(f);
  for (int i = 0; i < count && i < 2; ++i) m_texture->SetPixel(i, v[i]);
  return SCR_SUB_OK;
}

// mode { modulate }: exactly that word blends by modulation; any other text gives the other mode.
int CScrTexture::ReadMode(CScrStream* f, const char*) {
  std::string mode;
  ReadValueString(f, mode);
  ScrTrimString(mode);
  m_texture->SetBlendMode(mode == "modulate" ? CSgTexture::BLEND_MODULATE : CSgTexture::BLEND_OTHER);
  return SCR_SUB_OK;
}

int CScrTexture::ReadEnable(CScrStream* f, const char*) {
  ReadValueNumbers(f, &m_enable, 1);
  return SCR_SUB_OK;
}

// mask, mask_int (up to four values each), alpha and alpha_int (one): read and passed over.
int CScrTexture::ReadUnused(CScrStream* f, const char* kw) {
  const std::string k = kw;
  if (k == "mask") {
    float v[4];
    ScrReadNumberList(f, v, 4);
  } else if (k == "mask_int") {
    const int braced = OpenBrace(f);
    int v[4];
    int count = 0;
    ScrReadAllValues(f, v, count, 4);
    if (braced) CloseBrace(f);
  } else if (k == "alpha") {
    float a = 0;
    ReadValueNumbers(f, &a, 1);
  } else {
    int a = 0;
    ReadValueNumbers(f, &a, 1);
  }
  return SCR_SUB_OK;
}

// ---------------------------------------------------------------------------------------------
// light

int CScrLight::Read(CScrStream* f) { return ReadBlock(f); }

int CScrLight::ReadSubKeyword(CScrStream* f, const char* kw) {
  static const ScrSubKeywords<CScrLight> kSubs = {
      {"index", &CScrLight::ReadValues},   {"position", &CScrLight::ReadValues},
      {"diffuse", &CScrLight::ReadValues}, {"ambient", &CScrLight::ReadValues},
      {"specular", &CScrLight::ReadValues}, {"type", &CScrLight::ReadValues},
  };
  return kSubs.Dispatch(this, f, kw);
}

// Every value is read as its sub-keyword has it and then passed over.
int CScrLight::ReadValues(CScrStream* f, const char* kw) {
  const std::string k = kw;
  if (k == "index") {
    int index = 0;
    ReadValueNumbers(f, &index, 1);
  } else if (k == "position") {
    float v[255];
    ScrReadNumberList(f, v, 255);
  } else if (k == "type") {
    std::string type;
    ReadValueString(f, type);
  } else {
    float rgb[3];
    ReadValueNumbers(f, rgb, 3);
  }
  return SCR_SUB_OK;
}
