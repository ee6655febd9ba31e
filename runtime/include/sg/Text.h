// CSgText: a text label drawn in the scene (runtime type SGT_TEXT), flat (a "remark") or
// three-dimensional. The text keeps what its script gave it; the scene node that draws it is
// made by the graphics field library (SgInsertRemark, SgInsertText3d) and bound with SetNode.
#pragma once

#include <string>
#include <vector>

#include "sg/Gfx.h"
#include "sg/Kvo.h"
#include "sg/Types.h"

// Everything a text block can say; `has*` says what it said.
struct SgTextValues {
  int is3d = 0;
  std::string nodePath;
  float position[3] = {0, 0, 1};
  float size[2] = {2, 2};  // the box of a flat text
  float scale[3] = {1, 1, 1};
  float rotation[3] = {0, 0, 0};
  float direction[3] = {0, 0, 0};
  std::string content;
  std::vector<float> colors;  // RGB triples
  int visible = 1;
  SgLogFont font;
  std::string fileName;  // a multi-text document
  bool hasFont = false, hasPosition = false, hasScale = false, hasRotation = false, hasDirection = false,
       hasContent = false, hasColor = false, hasEnable = false, hasRect = false;
  float rect[4] = {0, 0, 0, 0};  // a multi-text's first line box: left, top, right, bottom
};

class CSgText : public CKvoObject {
 public:
  explicit CSgText(const char* name = nullptr) : CKvoObject(SGT_TEXT, name) {}

  // The values the script gave (copied at the end of each block that configures the text).
  void SetValues(const SgTextValues& values) { m_values = values; }
  const SgTextValues& Values() const { return m_values; }
  // The scene node that draws the text; -1 until one is bound.
  void SetNode(SGKEY key) { m_node = key; }
  SGKEY Node() const { return m_node; }

  const char* KindName() const override { return "CSgText"; }
  void Describe(CDescriber& d) const override;

 private:
  SgTextValues m_values;
  SGKEY m_node = SG_NO_KEY;
};
