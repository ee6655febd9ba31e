// CAnimation: an animation of a module (runtime type code SGT_ANIMATION).
//
// The animation readers fill it from scripts; an animation file fills it through ImportAnimFile
// (sg/Loaders.h). What it keeps here is what the loaders and the dumps need.
#pragma once

#include <string>

#include "sg/Kvo.h"

class CAnimation : public CKvoObject {
 public:
  explicit CAnimation(const char* name = nullptr) : CKvoObject(SGT_ANIMATION, name) {}

  // The file the animation was imported from ("" when a script declared it), with the frame
  // rate and start time the import was asked for.
  void SetSourceFile(const char* path, int frameRate, double start);
  const char* SourceFile() const { return m_source.c_str(); }
  int FrameRate() const { return m_frameRate; }
  double StartTime() const { return m_start; }

  const char* KindName() const override { return "CAnimation"; }
  void Describe(CDescriber& d) const override;

 private:
  std::string m_source;
  int m_frameRate = 0;
  double m_start = 0;
};
