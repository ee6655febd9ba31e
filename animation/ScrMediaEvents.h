// The readers of the media and effect events of a controller: sound, beam (a light that
// changes), cut_plane, printer, printeredit, avi (an image sequence), and the particle system
// and soft surface, whose settings are kept as read.
#pragma once

#include <string>
#include <vector>

#include "animation/ScrController.h"

// sound { wave file  option {loop}  volume v }
class SCR_API CScrSound : public CScrTEvent {
 public:
  explicit CScrSound(CScriptReader* reader) : CScrTEvent(reader) {}
  int Read(CScrStream* f) override { return ReadEventBlock(f); }

 protected:
  int ReadSubKeyword(CScrStream* f, const char* kw) override;

 private:
  int ReadWave(CScrStream* f, const char*);
  int ReadOption(CScrStream* f, const char*);
  int ReadVolume(CScrStream* f, const char*);
};

// beam { index i  position {..}  diffuse|ambient|specular {..}  diffuse_int|... {6 integers} }
class SCR_API CScrBeam : public CScrTEvent {
 public:
  explicit CScrBeam(CScriptReader* reader);
  int Read(CScrStream* f) override { return ReadEventBlock(f); }

 protected:
  int ReadSubKeyword(CScrStream* f, const char* kw) override;

 private:
  int ReadIndex(CScrStream* f, const char*);
  int ReadColor(CScrStream* f, const char* kw);
  int ReadColorInt(CScrStream* f, const char* kw);
};

// cut_plane { field f  values {basis(6) normal(3)} }
class SCR_API CScrCutPlane : public CScrTEvent {
 public:
  explicit CScrCutPlane(CScriptReader* reader) : CScrTEvent(reader) {}
  int Read(CScrStream* f) override { return ReadEventBlock(f); }

 protected:
  int ReadSubKeyword(CScrStream* f, const char* kw) override;

 private:
  int ReadField(CScrStream* f, const char*);
  int ReadValues(CScrStream* f, const char*);
};

// printer { field f }: the node, or its children, whose remarks are printed.
class SCR_API CScrPrinter : public CScrTEvent {
 public:
  explicit CScrPrinter(CScriptReader* reader);
  int Read(CScrStream* f) override { return ReadEventBlock(f); }

 protected:
  int ReadSubKeyword(CScrStream* f, const char* kw) override;

 private:
  int ReadField(CScrStream* f, const char*);
};

// printeredit { edit name }: the edit box whose text is printed.
class SCR_API CScrPrinterEdit : public CScrTEvent {
 public:
  explicit CScrPrinterEdit(CScriptReader* reader);
  int Read(CScrStream* f) override { return ReadEventBlock(f); }

 protected:
  int ReadSubKeyword(CScrStream* f, const char* kw) override;

 private:
  int ReadEdit(CScrStream* f, const char*);
};

// avi { field f  path stem.ext  property {2d|3d onmemory|offmemory}  count {n [m]}
//       transparency t  mask_int|mask {..}  rect {..}  gif file }
// The event is made at the closing brace: a texture sequence ("3d", the default) or images
// placed under the node ("2d").
class SCR_API CScrAvi : public CScrTEvent {
 public:
  explicit CScrAvi(CScriptReader* reader) : CScrTEvent(reader) {}
  int Read(CScrStream* f) override { return ReadEventBlock(f); }

 protected:
  int ReadSubKeyword(CScrStream* f, const char* kw) override;
  void Finish() override;

 private:
  int ReadField(CScrStream* f, const char*);
  int ReadPath(CScrStream* f, const char*);
  int ReadProperty(CScrStream* f, const char*);
  int ReadCount(CScrStream* f, const char*);
  int ReadTransparency(CScrStream* f, const char*);
  int ReadMask(CScrStream* f, const char* kw);
  int ReadRect(CScrStream* f, const char*);
  int ReadGif(CScrStream* f, const char*);
  void MakeTextureEvent();
  void MakeImageEvent();
  SGKEY m_key = SG_NO_KEY;
  std::string m_path, m_gif;
  bool m_2d = false, m_inMemory = false;
  int m_count[2] = {0, 0};
  float m_transparency = 0;
  std::vector<float> m_mask, m_rect;
};

// particle { ... } and soft { ... }: every setting is kept as a property of the event, named
// by the path of sub-keywords that leads to it ("painter/size") with its value words.
class SCR_API CScrProperties : public CScrTEvent {
 public:
  // keyword: the block's own keyword, whose children the keyword table lists.
  CScrProperties(CScriptReader* reader, const char* keyword) : CScrTEvent(reader), m_keyword(keyword) {}
  int Read(CScrStream* f) override;

 private:
  // Reads the inside of a block up to its '}'; 0 when the input ended first (reported).
  int ReadInside(CScrStream* f, const std::string& path, const std::string& keyword);
  const char* m_keyword;
};

class SCR_API CScrParticle : public CScrProperties {
 public:
  explicit CScrParticle(CScriptReader* reader) : CScrProperties(reader, "particle") {}
};

class SCR_API CScrSoft : public CScrProperties {
 public:
  explicit CScrSoft(CScriptReader* reader) : CScrProperties(reader, "soft") {}
};
