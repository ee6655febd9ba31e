// Display options of the graphics field library and the record of a script's settings.
//
// The options are process-wide, like the scene: a resolution, and named integer and real-list
// options ("stereo", "fontscale", ...). SgResetScene empties them with the scene.
#pragma once

#include <string>
#include <vector>

#include "sg/Kvo.h"

// The rendering resolution. `flags` is kept as given (the caller decides what it asks for).
int SgSetResolution(int width, int height, int flags);
// 0 while no resolution was set (width and height are then 0).
int SgGetResolution(int* width, int* height);

// Named options; names are compared exactly. `reserved` is not used.
int SgSetOptionValuei(const char* name, int value, void* reserved);
int SgSetOptionValuefv(const char* name, const float* values, int count, void* reserved);
// 0 when the option was never set.
int SgGetOptionValuei(const char* name, int* value);
// Copies at most `max` values; *count gets how many the option holds.
int SgGetOptionValuefv(const char* name, float* values, int max, int* count);

// Asks for the view to be drawn again; the count says how often that was asked since the reset.
void SgInvalidate();
int SgInvalidateCount();

// Runs a named command on a node ("smoothen", ...). The library keeps the commands a node was
// given, in order, in the node's "commands" contents ("smoothen(0)" and so on, ';' between them).
// 0 when no node has the key or the name is empty.
int SgFieldCommand(const char* command, SGKEY key, int arg);

// Back to no resolution, no options, no invalidation (called by SgResetScene).
void SgResetDisplayOptions();

// What one `settings` block of a script set, kept in the module it was read in so that the
// dumps show it. Only what the block gave is described.
class CSgSettings : public CKvoObject {
 public:
  CSgSettings() : CKvoObject(0, "settings") {}

  void SetWorkDirectory(const char* dir);
  void SetVertical(const float v[3]);
  void SetResolution(int width, int height);
  void SetFontScale(const float v[2]);
  void SetStereo(int on);
  void AddDefault(const char* word);  // a word of `default` that was taken

  const char* KindName() const override { return "CSgSettings"; }
  void Describe(CDescriber& d) const override;

 private:
  bool m_hasWorkDir = false, m_hasVertical = false, m_hasResolution = false, m_hasFontScale = false,
       m_hasStereo = false;
  std::string m_workDir;
  float m_vertical[3] = {0, 0, 0};
  int m_resolution[2] = {0, 0};
  float m_fontScale[2] = {0, 0};
  int m_stereo = 0;
  std::vector<std::string> m_defaults;
};
