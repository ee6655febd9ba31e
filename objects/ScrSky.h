// The blocks that set up the look of a scene: `sky` (a sky dome around a field), `texture` (a
// texture the model can use) and `light` (read and checked; the scene keeps its own lights).
//
//     sky { field { /scene } bitmap { sky.jpg } position { 0 0 0 } radius { 5000 }
//           texture_param { 1 1 0 0 0 } }
//     texture { name { wood } bitmap { wood.bmp } bitmap_templ { wood_m.bmp } pixel { 64 64 }
//               mode { modulate } enable { 1 } }
//     light { index { 0 } position { 0 10 0 1 } diffuse { 1 1 1 } ambient { .2 .2 .2 }
//             specular { 1 1 1 } type { point } }
#pragma once

#include <memory>
#include <string>

#include "reader/ScrObject.h"

class CSgTexture;

class SCR_API CScrSky : public CScrObject {
 public:
  explicit CScrSky(CScriptReader* reader) : CScrObject(reader) {}
  // Makes the sky at the closing brace. Returns 1 in every case: a sky that cannot be made is
  // reported and the script goes on.
  int Read(CScrStream* f) override;

  // The image a sky without `bitmap` shows: beside the host executable.
  static std::string DefaultBitmap();

 protected:
  int ReadSubKeyword(CScrStream* f, const char* kw) override;
  void Finish() override;

 private:
  int ReadField(CScrStream* f, const char*);
  int ReadPosition(CScrStream* f, const char*);
  int ReadRadius(CScrStream* f, const char*);
  int ReadTextureParam(CScrStream* f, const char*);
  int ReadBitmap(CScrStream* f, const char*);

  std::string m_field;
  std::string m_bitmap;
  bool m_hasBitmap = false;
  float m_position[3] = {0, 0, 0};
  float m_radius = 10000;
  float m_texParams[5] = {1, 1, 0, 0, 0};
};

class SCR_API CScrTexture : public CScrObject {
 public:
  // Creates the texture for the current module.
  explicit CScrTexture(CScriptReader* reader);
  ~CScrTexture() override;

  // 1 when the block ended at its '}' (the texture is then in the model unless disabled), 0 when
  // a value was rejected or a token that is no keyword ended it.
  int Read(CScrStream* f) override;
  CKvoObject* TakeObject() override;
  CSgTexture* Texture() const { return m_texture.get(); }

 protected:
  int ReadSubKeyword(CScrStream* f, const char* kw) override;
  void Finish() override;

 private:
  int ReadName(CScrStream* f, const char*);
  int ReadBitmap(CScrStream* f, const char*);
  int ReadBitmapTempl(CScrStream* f, const char*);
  int ReadPixel(CScrStream* f, const char*);
  int ReadMode(CScrStream* f, const char*);
  int ReadEnable(CScrStream* f, const char*);
  int ReadUnused(CScrStream* f, const char* kw);

  std::unique_ptr<CSgTexture> m_texture;
  int m_enable = 1;
};

class SCR_API CScrLight : public CScrObject {
 public:
  explicit CScrLight(CScriptReader* reader) : CScrObject(reader) {}
  // Checks the block and creates nothing: 1 when it ended at its '}', 0 otherwise.
  int Read(CScrStream* f) override;

 protected:
  int ReadSubKeyword(CScrStream* f, const char* kw) override;

 private:
  int ReadValues(CScrStream* f, const char* kw);
};
