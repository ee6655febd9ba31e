// The readers of knobs, sliders and parts.
#include "elements/ScrKnob.h"

#include <cstring>
#include <vector>

#include "lexer/ScrLex.h"
#include "lexer/ScrValues.h"
#include "reader/ScriptReader.h"
#include "sg/Control.h"

namespace {
constexpr int kMaxNumbers = 255;  // the most numbers a list value gives
}

std::string ScrLowerShrunk(const std::string& word) {
  std::string w = word;
  ScrNormalizeString(w);
  ScrShrinkString(w);
  return w;
}

void ScrApplyRange(CSgKnob* knob, float range) {
  knob->SetRange(range);
  if (range > 0.000001f) {
    knob->SetSpeed(range);
    knob->SetCycle(1);
  }
}

// ---------------------------------------------------------------------------------------------
// Knobs

CScrKnob::CScrKnob(CScriptReader* reader) : CScrCtrlpt(reader) {
  SetControl(std::make_unique<CSgKnob>(reader->CurrentModule()));
}

// Accepts() lets a knob reader bind only to a knob, so the cast holds.
CSgKnob* CScrKnob::Knob() const { return static_cast<CSgKnob*>(CtrlPoint()); }

void CScrKnob::OtherKeyword(CScrStream* f, const char* kw) {
  float v = 0;
  if (!std::strcmp(kw, "axis")) {
    ReadAxis(f);
  } else if (!std::strcmp(kw, "property")) {
    ReadProperty(f);
  } else if (!std::strcmp(kw, "dial")) {
    ReadDial(f);
  } else if (!std::strcmp(kw, "dial_interval")) {
    ReadDialInterval(f);
  } else if (!std::strcmp(kw, "initial")) {
    v = Knob()->Initial();
    ReadNumber(f, v);
    Knob()->SetInitial(v);
  } else if (!std::strcmp(kw, "point")) {
    ReadPoint(f);
  } else if (!std::strcmp(kw, "range")) {
    v = Knob()->Range();
    ReadNumber(f, v);
    ScrApplyRange(Knob(), v);
  } else if (!std::strcmp(kw, "speed")) {
    v = Knob()->Speed();
    ReadNumber(f, v);
    Knob()->SetSpeed(v);
  } else {
    ReportUnknownControlKeyword(f, kw);
  }
}

// axis { x, y, z }: written for the unscaled node.
void CScrKnob::ReadAxis(CScrStream* f) {
  float v[kMaxNumbers];
  int n = ReadNumberList(f, v, kMaxNumbers);
  Knob()->ConvertToNoStretchCoord(v, n);
  Knob()->SetAxis(v, n);
}

// property { cycle | nocycle }: the first other word ends the list; the flag is 0 unless a
// word sets it.
void CScrKnob::ReadProperty(CScrStream* f) {
  std::vector<std::string> words;
  ScrReadWordList(f, words);
  int cycle = 0;
  for (const std::string& word : words) {
    const std::string w = ScrLowerShrunk(word);
    if (w.find("nocycle") != std::string::npos) cycle = 0;
    else if (w.find("cycle") != std::string::npos) cycle = 1;
    else break;
  }
  Knob()->SetCycle(cycle);
}

void CScrKnob::ReadDial(CScrStream* f) {
  float v[kMaxNumbers];
  int n = ReadNumberList(f, v, kMaxNumbers);
  Knob()->SetDial(v, n);
}

// dial_interval { start, step, count }: count positions from start, step apart; the step and the
// count are whole numbers (7.5 steps by 7). Another number of values changes nothing.
void CScrKnob::ReadDialInterval(CScrStream* f) {
  float v[kMaxNumbers];
  if (ReadNumberList(f, v, kMaxNumbers) != 3) return;
  const int step = ScrNarrow<int>(v[1]);
  const int count = std::min(ScrNarrow<int>(v[2]), kMaxNumbers);
  std::vector<float> dial;
  for (int i = 0; i < count; ++i) dial.push_back(v[0] + static_cast<float>(i) * static_cast<float>(step));
  Knob()->SetDial(dial.data(), (int)dial.size());
}

// point { x, y, z } is a world point; any other number of values a point in the node's frame.
void CScrKnob::ReadPoint(CScrStream* f) {
  float v[kMaxNumbers];
  int n = ReadNumberList(f, v, kMaxNumbers);
  Knob()->ConvertToNoStretchCoord(v, n);
  if (n == 3) Knob()->SetBasePoint(v);
  else Knob()->SetBasePointLocal(v, n);
}

void CScrKnob::Finish() {
  if (Knob()->Key() == SG_NO_KEY)
    Report(ScrTextId::err_knob_no_node, nullptr, {ControlName(), ScrGetCurKeyWord()});
  Knob()->AdjustAxisToBasePoint();
}

// ---------------------------------------------------------------------------------------------
// Sliders

CScrSlider::CScrSlider(CScriptReader* reader) : CScrCtrlpt(reader) {
  SetControl(std::make_unique<CSgSlider>(reader->CurrentModule()));
}

CSgSlider* CScrSlider::Slider() const { return static_cast<CSgSlider*>(CtrlPoint()); }

void CScrSlider::OtherKeyword(CScrStream* f, const char* kw) {
  CSgSlider* s = Slider();
  float v[kMaxNumbers];
  float one = 0;
  if (!std::strcmp(kw, "axis")) {
    int n = ReadNumberList(f, v, kMaxNumbers);
    s->SetAxis(v, n);  // a slider's axis is taken as written
  } else if (!std::strcmp(kw, "initial")) {
    one = s->Initial();
    ReadNumber(f, one);
    s->SetInitial(one);
  } else if (!std::strcmp(kw, "point")) {
    float p[3] = {0, 0, 0};
    int n = ReadNumberList(f, v, kMaxNumbers);
    for (int i = 0; i < 3 && i < n; ++i) p[i] = v[i];
    s->SetBasePoint(p);
  } else if (!std::strcmp(kw, "range")) {
    one = s->Range();
    ReadNumber(f, one);
    ScrApplyRange(s, one);
  } else if (!std::strcmp(kw, "dial")) {
    int n = ReadNumberList(f, v, kMaxNumbers);
    s->SetDial(v, n);
  } else if (!std::strcmp(kw, "speed")) {
    one = s->Speed();
    ReadNumber(f, one);
    s->SetSpeed(one);
  } else if (!std::strcmp(kw, "property")) {
    // 2d makes the slider move in a plane; the first other word ends the list.
    std::vector<std::string> words;
    ScrReadWordList(f, words);
    for (const std::string& w : words) {
      if (!straccord(w.c_str(), "2d")) break;
      s->Set2D(1);
    }
  } else {
    ReportUnknownControlKeyword(f, kw);
  }
}

// A slider without a node is not reported: it may be placed by its base point alone.
void CScrSlider::Finish() { Slider()->AdjustAxisToBasePoint(); }

// ---------------------------------------------------------------------------------------------
// Parts

CScrPart::CScrPart(CScriptReader* reader) : CScrCtrlpt(reader) {
  SetControl(std::make_unique<CSgPart>(reader->CurrentModule()));
}

CSgPart* CScrPart::Part() const { return static_cast<CSgPart*>(CtrlPoint()); }

void CScrPart::OtherKeyword(CScrStream* f, const char* kw) {
  CSgPart* p = Part();
  float one = 0;
  if (!std::strcmp(kw, "axis")) {
    float v[kMaxNumbers];
    int n = ReadNumberList(f, v, kMaxNumbers);
    p->SetAxis(v, n);
  } else if (!std::strcmp(kw, "distance")) {
    one = p->Distance();
    ReadNumber(f, one);
    p->SetDistance(one);
  } else if (!std::strcmp(kw, "angle")) {
    one = p->Angle();
    ReadNumber(f, one);
    p->SetAngle(one);
  } else if (!std::strcmp(kw, "tool") || !std::strcmp(kw, "instrument")) {
    // Each word replaces the one before: the last one stays.
    std::vector<std::string> words;
    ScrReadWordList(f, words);
    for (const std::string& w : words) {
      if (kw[0] == 't') p->SetTool(ScrLowerShrunk(w).c_str());
      else p->SetInstrument(ScrLowerShrunk(w).c_str());
    }
  } else {
    ReportUnknownControlKeyword(f, kw);
  }
}

void CScrPart::Finish() {
  if (Part()->Key() == SG_NO_KEY) Report(ScrTextId::err_part_no_node, nullptr, {ControlName(), ScrGetCurKeyWord()});
  Part()->Init();
}
