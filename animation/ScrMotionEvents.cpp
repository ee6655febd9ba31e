// Motion and appearance events. Each reader only sets up the event the controller made; the
// runtime plays it over the controller's life.
#include "animation/ScrMotionEvents.h"

#include <list>

#include "compiler/ScrCompiler.h"
#include "elements/ScrButton.h"
#include "lexer/ScrLex.h"
#include "lexer/ScrValues.h"
#include "objects/ScrCurve.h"
#include "reader/ScriptReader.h"
#include "sg/Control.h"
#include "sg/Curve.h"
#include "sg/Event.h"
#include "sg/Gfx.h"
#include "sg/Module.h"

namespace {

// The value at i, 0 past the end: short lists leave their missing numbers at 0.
float At(const std::vector<float>& v, size_t i) { return i < v.size() ? v[i] : 0.0f; }

}  // namespace

// ---------------------------------------------------------------------------------------------
// rotate

int CScrRotate::ReadSubKeyword(CScrStream* f, const char* kw) {
  static const ScrSubKeywords<CScrRotate> kSubs = {
      {"field", &CScrRotate::ReadField}, {"values", &CScrRotate::ReadValues}, {"axis", &CScrRotate::ReadAxis}};
  return kSubs.Dispatch(this, f, kw);
}

int CScrRotate::ReadField(CScrStream* f, const char*) {
  m_event->SetKey(ReadFieldKey(f, false));
  return SCR_SUB_OK;
}

int CScrRotate::ReadValues(CScrStream* f, const char*) {
  m_values = ReadNumbers(f);
  return SCR_SUB_OK;
}

// An axis word other than x, y or z names no axis: it is reported and the rotation keeps none.
int CScrRotate::ReadAxis(CScrStream* f, const char*) {
  const std::string w = ReadWord(f);
  if (w == "x" || w == "y" || w == "z") {
    m_axis = w[0] - 'x';
    return SCR_SUB_OK;
  }
  ReportInvalidString(f, w.c_str());
  return SCR_SUB_OK;
}

// Seven values are a point, a direction and the angle; one value is the angle about the axis
// word's line through the origin. An axis rotation needs its node, whatever the count.
void CScrRotate::Finish() {
  auto* e = static_cast<CTEventRotation*>(m_event);
  if (m_axis >= 0 && e->Key() == SG_NO_KEY) {
    Report(ScrTextId::err_field_not_found, m_stream, {"", ScrGetCurKeyWord()});
    m_ok = 0;
    return;
  }
  if (m_values.size() == 7) {
    e->SetAxis(m_values.data(), 0);
    e->SetRotationAngle(m_values[6]);
  } else if (m_values.size() == 1) {
    // Without an axis word there is no direction to turn about: only the angle is kept.
    if (m_axis >= 0) {
      float axis[6] = {0, 0, 0, 0, 0, 0};
      axis[3 + m_axis] = 1.0f;
      e->SetAxis(axis, 0);
    }
    e->SetRotationAngle(m_values[0]);
  }
}

// ---------------------------------------------------------------------------------------------
// stretch

int CScrScale::ReadSubKeyword(CScrStream* f, const char* kw) {
  static const ScrSubKeywords<CScrScale> kSubs = {{"field", &CScrScale::ReadField},
                                                  {"values", &CScrScale::ReadValues}};
  return kSubs.Dispatch(this, f, kw);
}

int CScrScale::ReadField(CScrStream* f, const char*) {
  m_event->SetKey(ReadFieldKey(f, false));
  return SCR_SUB_OK;
}

// Start scale, end scale and, after them, the point the scaling is about.
int CScrScale::ReadValues(CScrStream* f, const char*) {
  const std::vector<float> v = ReadNumbers(f);
  auto* e = static_cast<CTEventScale*>(m_event);
  if (!v.empty()) e->SetStart(At(v, 0), At(v, 1), At(v, 2));
  if (v.size() > 3) e->SetEnd(At(v, 3), At(v, 4), At(v, 5));
  if (v.size() > 6) e->SetBasis(At(v, 6), At(v, 7), At(v, 8));
  return SCR_SUB_OK;
}

// ---------------------------------------------------------------------------------------------
// shift

int CScrShift::ReadSubKeyword(CScrStream* f, const char* kw) {
  static const ScrSubKeywords<CScrShift> kSubs = {{"field", &CScrShift::ReadField},
                                                  {"values", &CScrShift::ReadValues}};
  return kSubs.Dispatch(this, f, kw);
}

int CScrShift::ReadField(CScrStream* f, const char*) {
  m_event->SetKey(ReadFieldKey(f, false));
  return SCR_SUB_OK;
}

int CScrShift::ReadValues(CScrStream* f, const char*) {
  float v[4] = {0, 0, 0, 0};
  ReadValueNumbers(f, v, 4);
  auto* e = static_cast<CTEventTextureMove*>(m_event);
  e->SetStart(v[0], v[1]);
  e->SetEnd(v[2], v[3]);
  return SCR_SUB_OK;
}

// ---------------------------------------------------------------------------------------------
// transparency

int CScrTransparency::Read(CScrStream* f) {
  auto* e = static_cast<CTEventTransparent*>(m_event);
  e->SetChangeTo(0);
  e->SetFade(0);
  return ReadEventBlock(f);
}

int CScrTransparency::ReadSubKeyword(CScrStream* f, const char* kw) {
  static const ScrSubKeywords<CScrTransparency> kSubs = {
      {"field", &CScrTransparency::ReadField},   {"fields", &CScrTransparency::ReadFields},
      {"button", &CScrTransparency::ReadButton}, {"values", &CScrTransparency::ReadValues},
      {"type", &CScrTransparency::ReadType}};
  return kSubs.Dispatch(this, f, kw);
}

int CScrTransparency::ReadField(CScrStream* f, const char*) {
  m_event->AddKey(ReadFieldKey(f, true));
  return SCR_SUB_OK;
}

int CScrTransparency::ReadFields(CScrStream* f, const char*) {
  std::string pattern;
  ReadValueString(f, pattern);
  SGKEY* keys = nullptr;
  int count = 0;
  if (FindAllFieldsByRelativePathName(Module(), pattern.c_str(), &keys, &count))
    for (int i = 0; i < count; ++i) m_event->AddKey(keys[i]);
  SgFreeArray(keys);
  return SCR_SUB_OK;
}

// button { name b }: a button made earlier; its node fades with the others.
int CScrTransparency::ReadButton(CScrStream* f, const char*) {
  CScrButton button(ScriptReader());
  button.SetReference(1);
  button.SetPlaceNew(false);
  const int r = ReadNested(button, f);
  if (!button.IsCreated() && button.CtrlPoint()) m_event->AddKey(button.CtrlPoint()->Key());
  return r ? SCR_SUB_OK : SCR_SUB_FAIL;
}

// One value: from the node's current transparency to it; two: from the first to the second.
int CScrTransparency::ReadValues(CScrStream* f, const char*) {
  const std::vector<float> v = ReadNumbers(f);
  auto* e = static_cast<CTEventTransparent*>(m_event);
  if (v.size() == 1) {
    e->SetTransparent(0, v[0]);
    e->SetChangeTo(1);
  } else if (v.size() >= 2) {
    e->SetTransparent(v[0], v[1]);
    e->SetChangeTo(0);
  }
  return SCR_SUB_OK;
}

int CScrTransparency::ReadType(CScrStream* f, const char*) {
  const std::string w = ReadWord(f);
  auto* e = static_cast<CTEventTransparent*>(m_event);
  if (w == "to") e->SetChangeTo(1);
  else if (w == "fadein") e->SetFade(1);
  else if (w == "fadeout") e->SetFade(2);
  else {
    Report(ScrTextId::err_invalid_setting_option, f, {w, ScrGetCurKeyWord()});
    return SCR_SUB_FAIL;
  }
  return SCR_SUB_OK;
}

void CScrTransparency::Finish() {
  if (m_event->Keys().empty()) Report(ScrTextId::warn_transparency_no_node, m_stream, {ScrGetCurKeyWord()});
}

// ---------------------------------------------------------------------------------------------
// mark

int CScrMark::ReadSubKeyword(CScrStream* f, const char* kw) {
  static const ScrSubKeywords<CScrMark> kSubs = {
      {"field", &CScrMark::ReadField},   {"property", &CScrMark::ReadProperty},
      {"color", &CScrMark::ReadColor},   {"size", &CScrMark::ReadSize},
      {"position", &CScrMark::ReadPosition}, {"bitmap", &CScrMark::ReadBitmap},
      {"bitmap_templ", &CScrMark::ReadBitmap}};
  return kSubs.Dispatch(this, f, kw);
}

int CScrMark::ReadField(CScrStream* f, const char*) {
  m_event->SetKey(ReadFieldKey(f, true));
  return SCR_SUB_OK;
}

// property {stretch | nostretch ...}: the first word that is neither ends the list. Without
// braces a single word is read, so the next sub-keyword is not taken for a property.
int CScrMark::ReadProperty(CScrStream* f, const char*) {
  std::vector<std::string> words;
  if (OpenBrace(f)) {
    ScrReadWordList(f, words);
    CloseBrace(f);
  } else {
    std::string w;
    ReadValueString(f, w);
    words.push_back(w);
  }
  for (std::string w : words) {
    ScrNormalizeString(w);
    ScrShrinkString(w);
    if (w.find("nostretch") != std::string::npos) m_stretch = false;
    else if (w.find("stretch") != std::string::npos) m_stretch = true;
    else break;
  }
  return SCR_SUB_OK;
}

int CScrMark::ReadColor(CScrStream* f, const char*) {
  const std::vector<float> v = ReadNumbers(f);
  static_cast<CTEventMark*>(m_event)->SetColor(At(v, 0), At(v, 1), At(v, 2));
  return SCR_SUB_OK;
}

int CScrMark::ReadSize(CScrStream* f, const char*) {
  const std::vector<float> v = ReadNumbers(f);
  if (!v.empty()) static_cast<CTEventMark*>(m_event)->SetSize(v[0]);
  return SCR_SUB_OK;
}

// A mark sits where its node is: the numbers are read and not used.
int CScrMark::ReadPosition(CScrStream* f, const char*) {
  ReadNumbers(f);
  return SCR_SUB_OK;
}

int CScrMark::ReadBitmap(CScrStream* f, const char* kw) {
  ReadValueString(f, std::string(kw) == "bitmap" ? m_bitmap : m_template);
  return SCR_SUB_OK;
}

// The mark draws in its node's own frame, so the node's transform starts from the identity.
void CScrMark::Finish() {
  auto* e = static_cast<CTEventMark*>(m_event);
  e->SetImageFile(m_bitmap.c_str(), m_template.c_str());
  if (m_stretch) e->SetOption(1);
  float identity[16];
  SgComputeMatrix3dIdentity(identity);
  if (e->Key() != SG_NO_KEY) SgSetTransformByKey(e->Key(), identity, 0);
}

// ---------------------------------------------------------------------------------------------
// line

int CScrLine::ReadSubKeyword(CScrStream* f, const char* kw) {
  static const ScrSubKeywords<CScrLine> kSubs = {{"field", &CScrLine::ReadField},
                                                 {"color", &CScrLine::ReadColor},
                                                 {"point", &CScrLine::ReadPoint},
                                                 {"values", &CScrLine::ReadValues}};
  return kSubs.Dispatch(this, f, kw);
}

int CScrLine::ReadField(CScrStream* f, const char*) {
  m_event->SetKey(ReadFieldKey(f, false));
  return SCR_SUB_OK;
}

int CScrLine::ReadColor(CScrStream* f, const char*) {
  const std::vector<float> v = ReadNumbers(f);
  static_cast<CTEventLine*>(m_event)->SetLineColor(At(v, 0), At(v, 1), At(v, 2));
  return SCR_SUB_OK;
}

int CScrLine::ReadPoint(CScrStream* f, const char*) {
  const std::vector<float> v = ReadNumbers(f);
  static_cast<CTEventLine*>(m_event)->AddPoint(v.data(), (int)v.size());
  return SCR_SUB_OK;
}

// values {width a b}: the width, then two integer settings of the line's style.
int CScrLine::ReadValues(CScrStream* f, const char*) {
  const std::vector<float> v = ReadNumbers(f);
  static_cast<CTEventLine*>(m_event)->SetLineParam(At(v, 0), ScrNarrow<int>(At(v, 1)), ScrNarrow<int>(At(v, 2)),
                                                   -1, -1, -1);
  return SCR_SUB_OK;
}

// ---------------------------------------------------------------------------------------------
// camera

int CScrCamera::ReadSubKeyword(CScrStream* f, const char* kw) {
  static const ScrSubKeywords<CScrCamera> kSubs = {{"type", &CScrCamera::ReadType},
                                                   {"values", &CScrCamera::ReadValues},
                                                   {"string", &CScrCamera::ReadString},
                                                   {"field", &CScrCamera::ReadField}};
  return kSubs.Dispatch(this, f, kw);
}

// Camera kinds: 0 around a line, 1 to a new place, 2 from one place to another (the default),
// 3 rotation, 4 field of view, 5 advance (6: advance along a vector, chosen by the count).
int CScrCamera::ReadType(CScrStream* f, const char*) {
  const std::string w = ReadWord(f);
  if (w == "to") m_type = 1;
  else if (w == "rotation") m_type = 3;
  else if (w == "around") m_type = 0;
  else if (w == "fov") m_type = 4;
  else if (w == "advance") m_type = 5;
  else m_type = 2;
  return SCR_SUB_OK;
}

int CScrCamera::ReadValues(CScrStream* f, const char*) {
  m_values = ReadNumbers(f);
  return SCR_SUB_OK;
}

int CScrCamera::ReadString(CScrStream* f, const char*) {
  ReadValueString(f, m_viewport);
  return SCR_SUB_OK;
}

int CScrCamera::ReadField(CScrStream* f, const char*) {
  static_cast<CTEventCamera*>(m_event)->SetBasisKey(ReadFieldKey(f, false));
  return SCR_SUB_OK;
}

// A count that does not fit the kind is reported and the camera keeps only its kind.
void CScrCamera::Finish() {
  auto* e = static_cast<CTEventCamera*>(m_event);
  const std::vector<float>& v = m_values;
  const size_t n = v.size();
  if (!m_viewport.empty()) e->SetVportName(m_viewport.c_str());
  if (m_type == 5 && n >= 3) m_type = 6;
  e->SetCameraType(m_type);
  switch (m_type) {
    case 1:
      if (n == 9) e->SetNewCamera(v.data());
      else Report(ScrTextId::err_camera_count_9, m_stream);
      break;
    case 3:
      if (n == 3) e->SetRotation(v[0], v[1], v[2]);
      else Report(ScrTextId::err_camera_count_3, m_stream);
      break;
    case 0:
      if (n == 7 || n == 8) e->SetRotationAround(v.data(), v[6], n == 8 ? v[7] : 0.0f);
      else Report(ScrTextId::err_camera_count_7_8, m_stream);
      break;
    case 2:
      if (n == 18) {
        e->SetOldCamera(v.data());
        e->SetNewCamera(v.data() + 9);
      } else {
        Report(ScrTextId::err_camera_count_18, m_stream);
      }
      break;
    case 4:
      if (n == 1) e->SetFov(v[0]);
      else Report(ScrTextId::err_camera_count_1, m_stream);
      break;
    case 5:
      if (n == 1) e->SetAdvance(v[0]);
      else Report(ScrTextId::err_camera_count_1, m_stream);
      break;
    case 6:
      // Only three or more values make this kind; the first three are the vector.
      e->SetAdvanceVector(v[0], v[1], v[2]);
      break;
    default:
      break;
  }
}

// ---------------------------------------------------------------------------------------------
// material

int CScrMaterial::ReadSubKeyword(CScrStream* f, const char* kw) {
  static const ScrSubKeywords<CScrMaterial> kSubs = {{"type", &CScrMaterial::ReadType},
                                                     {"values", &CScrMaterial::ReadValues},
                                                     {"field", &CScrMaterial::ReadField}};
  return kSubs.Dispatch(this, f, kw);
}

int CScrMaterial::ReadType(CScrStream* f, const char*) {
  const std::string w = ReadWord(f);
  static const char* const kChannels[] = {"diffuse", "ambient", "specular", "emission", "gray"};
  for (int i = 0; i < 5; ++i)
    if (w == kChannels[i]) {
      m_channel = i;
      return SCR_SUB_OK;
    }
  ReportInvalidString(f, w.c_str());
  return SCR_SUB_FAIL;
}

int CScrMaterial::ReadValues(CScrStream* f, const char*) {
  m_values = ReadNumbers(f);
  return SCR_SUB_OK;
}

// A path names the node. Anything else is an expression whose value names the node when the
// event runs: its records compute it first, into the variable the event reads.
int CScrMaterial::ReadField(CScrStream* f, const char*) {
  const ScrLexMark start = ScrSaveLexState(f);
  std::string text;
  ReadValueString(f, text);
  if (text.find('/') != std::string::npos) {
    ScrRestoreLexState(f, start);
    m_event->SetKey(ReadFieldKey(f, false));
    return SCR_SUB_OK;
  }
  auto* e = static_cast<CTEventColor*>(m_event);
  CSgModule* module = Module();
  ScrCompileContext c{ScriptReader(), f, nullptr, module, 0};
  module->StartRecordTempVariable();
  auto tree = ScrCompileExpression(c, text);
  if (tree) {
    ScrActionList records;
    ScrMakeActions(tree.get(), records);
    for (const ActPrm* a : records) e->AddAction(*a);
    ScrFreeActions(records);
    e->SetFieldVar(tree->result);
  }
  // The temporaries return to the module; the result stays reachable through the event.
  module->ReleaseRecordedTempVariables();
  return tree ? SCR_SUB_OK : SCR_SUB_FAIL;
}

// Three values: from the node's present colour of the channel to them; six: from the first
// three to the last three.
void CScrMaterial::Finish() {
  auto* e = static_cast<CTEventColor*>(m_event);
  e->SetChannel(m_channel);
  const std::vector<float>& v = m_values;
  if (v.size() == 3) {
    float rgba[4] = {0, 0, 0, 1};
    int got = 0;
    switch (m_channel) {
      case 0: got = SgShowMaterialDiffuseByKey(e->Key(), rgba); break;
      case 1: got = SgShowMaterialAmbientByKey(e->Key(), rgba); break;
      case 2: got = SgShowMaterialSpecularByKey(e->Key(), rgba); break;
      case 3: got = SgShowMaterialEmissionByKey(e->Key(), rgba); break;
      default: break;
    }
    // A node whose colour is not known here (not made yet, or computed at run time) starts
    // from the colour it has when the event runs: no start colour is set.
    if (got) e->SetStartColor(rgba[0], rgba[1], rgba[2]);
    e->SetEndColor(v[0], v[1], v[2]);
  } else if (v.size() == 6) {
    e->SetStartColor(v[0], v[1], v[2]);
    e->SetEndColor(v[3], v[4], v[5]);
  }
}

// ---------------------------------------------------------------------------------------------
// track

int CScrTrack::Read(CScrStream* f) {
  if (!m_event) m_event = new CTEventTrackEx(Module());
  return ReadEventBlock(f);
}

int CScrTrack::ReadSubKeyword(CScrStream* f, const char* kw) {
  static const ScrSubKeywords<CScrTrack> kSubs = {
      {"interpolation", &CScrTrack::ReadInterpolation}, {"interval", &CScrTrack::ReadInterval},
      {"field", &CScrTrack::ReadField}, {"fields", &CScrTrack::ReadFields}, {"curve", &CScrTrack::ReadCurve}};
  return kSubs.Dispatch(this, f, kw);
}

int CScrTrack::ReadInterpolation(CScrStream* f, const char*) {
  const std::string w = ReadWord(f);
  static const char* const kModes[] = {"step", "linear", "sline", "squad"};
  for (int i = 0; i < 4; ++i)
    if (w == kModes[i]) {
      m_interpolation = i;
      return SCR_SUB_OK;
    }
  ReportInvalidString(f, w.c_str());
  return SCR_SUB_FAIL;
}

int CScrTrack::ReadInterval(CScrStream* f, const char*) {
  ReadValueNumbers(f, m_interval, 2);
  return SCR_SUB_OK;
}

int CScrTrack::ReadField(CScrStream* f, const char*) {
  static_cast<CTEventTrackEx*>(m_event)->AddKey(ReadFieldKey(f, false));
  return SCR_SUB_OK;
}

// Nodes found by a pattern move together from where each one stands.
int CScrTrack::ReadFields(CScrStream* f, const char*) {
  std::string pattern;
  ReadValueString(f, pattern);
  auto* e = static_cast<CTEventTrackEx*>(m_event);
  SGKEY* keys = nullptr;
  int count = 0;
  if (!FindAllFieldsByRelativePathName(Module(), pattern.c_str(), &keys, &count) || count == 0) {
    SgFreeArray(keys);
    Report(ScrTextId::err_field_not_found, f, {pattern, ScrGetCurKeyWord()});
    return SCR_SUB_FAIL;
  }
  for (int i = 0; i < count; ++i) e->AddKey(keys[i], 0);
  SgFreeArray(keys);
  e->SetFromStart(0);
  return SCR_SUB_OK;
}

// A curve block that ends badly has been reported; the track stops there.
int CScrTrack::ReadCurve(CScrStream* f, const char*) {
  CScrCurve curve(ScriptReader());
  const int r = ReadNested(curve, f);
  static_cast<CTEventTrackEx*>(m_event)->SetCurve(curve.TakeCurve());
  return r ? SCR_SUB_OK : SCR_SUB_STOP;
}

void CScrTrack::Finish() { static_cast<CTEventTrackEx*>(m_event)->CalcInitialPos(); }
