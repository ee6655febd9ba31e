// The readers of knobs, sliders and parts: controls turned, dragged or handled with a tool.
//
//     knob   { name { k } field { /scene/k } axis { 0, 0, 1 } point { 0, 0, 0 }
//              dial_interval { 0, 30, 12 } range { 360 } property { nocycle } initial { 0 } }
//     slider { name { s } field { /scene/s } axis { 1, 0, 0 } dial { 0, 1, 2 } property { 2d } }
//     part   { name { p } field { /scene/p } axis { 0, 0, 0, 0, 0, 1 } tool { wrench } }
//
// The shared loop of CScrCtrlpt reads name, field, group, enable and reaction; the words below
// come to OtherKeyword. Any other word is reported in the controls' form and its block skipped.
#pragma once

#include "elements/ScrCtrlpt.h"

class CSgKnob;
class CSgSlider;
class CSgPart;

class CScrKnob : public CScrCtrlpt {
 public:
  explicit CScrKnob(CScriptReader* reader);

 protected:
  void OtherKeyword(CScrStream* f, const char* kw) override;
  // Reports a knob without a node (the knob is kept) and fits its axis to its base point.
  void Finish() override;

 private:
  CSgKnob* Knob() const;
  void ReadAxis(CScrStream* f);
  void ReadProperty(CScrStream* f);
  void ReadDial(CScrStream* f);
  void ReadDialInterval(CScrStream* f);
  void ReadPoint(CScrStream* f);
};

class CScrSlider : public CScrCtrlpt {
 public:
  explicit CScrSlider(CScriptReader* reader);

 protected:
  void OtherKeyword(CScrStream* f, const char* kw) override;
  void Finish() override;

 private:
  CSgSlider* Slider() const;
};

class CScrPart : public CScrCtrlpt {
 public:
  explicit CScrPart(CScriptReader* reader);

 protected:
  void OtherKeyword(CScrStream* f, const char* kw) override;
  // Reports a part without a node (the part is kept) and prepares it.
  void Finish() override;

 private:
  CSgPart* Part() const;
};

// Shared by the knob and the slider: range { r } sets the range and, above 0.000001, makes the
// control turn round at the range's speed.
void ScrApplyRange(CSgKnob* knob, float range);
// `word` lower-cased (ASCII letters only: the other bytes are GBK) and shrunk.
std::string ScrLowerShrunk(const std::string& word);
