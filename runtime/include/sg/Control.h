// Controls: control points (COpCtrlPoint) and the controls built on them, their reactions
// (CSgReaction) and the scene-node test of conditions trees (CSgCondFieldShow).
//
// A control point is anything the user operates: a clickable set of scene nodes, a knob, a
// slider, a part handled with a tool, an edit box, a map, a screen area, a key. Each control
// keeps what the scripts set (keys, group, enable state, reactions, its own values) and lists
// it in Describe; hit-testing and event routing belong to the host's view.
//
// Ownership: a control belongs to its module (filed with COpController); its reactions belong
// to it; a reaction owns its actions but only refers to its animations (their module owns
// them) and to its conditions (owned by their module, sg/Program.h).
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "sg/Kvo.h"
#include "sg/Variable.h"
#include "sg/Program.h"  // CSgCondition; needs sg/Variable.h first

class CSgModule;

// Reaction event types: X(ENUMNAME, code, "script word"). Codes 9 and 10 have no word.
#define SG_REACT_TYPES(X)                  \
  X(SG_REACT_LBUTTONDOWN, 0, "lbuttondown") \
  X(SG_REACT_LBUTTONUP, 1, "lbuttonup")     \
  X(SG_REACT_RBUTTONDOWN, 2, "rbuttondown") \
  X(SG_REACT_RBUTTONUP, 3, "rbuttonup")     \
  X(SG_REACT_MOUSEMOVEIN, 4, "mousemovein") \
  X(SG_REACT_KEYDOWN, 5, "keydown")         \
  X(SG_REACT_KEYUP, 6, "keyup")             \
  X(SG_REACT_CHAR, 7, "char")               \
  X(SG_REACT_LBUTTONDBLCLK, 8, "lbuttondblclk") \
  X(SG_REACT_MOUSEMOVEOUT, 11, "mousemoveout") \
  X(SG_REACT_MOUSEMOVE, 12, "mousemove")

enum ESgReactType : int {
#define SG_REACT_TYPE_ENUM(name, code, word) name = code,
  SG_REACT_TYPES(SG_REACT_TYPE_ENUM)
#undef SG_REACT_TYPE_ENUM
};

// The script word of an event type; nullptr for a code without one.
const char* SgReactTypeName(int code);

// ---------------------------------------------------------------- reactions

class CSgReaction : public CKvoObject {
 public:
  enum : DWORD {
    FLAG_LOCAL = 0x1,      // reacts only to events of its own module's view
    FLAG_OTHERWISE = 0x2,  // runs when no other reaction of the control took the event
  };
  explicit CSgReaction(CSgModule* module);
  ~CSgReaction() override;

  DWORD Flags() const { return m_flags; }
  void SetFlags(DWORD flags) { m_flags = flags; }
  bool IsLocal() const { return (m_flags & FLAG_LOCAL) != 0; }
  void SetLocal(bool local) { m_flags = local ? (m_flags | FLAG_LOCAL) : (m_flags & ~DWORD(FLAG_LOCAL)); }

  // The conditions that gate the reaction (owned by their module); a later call replaces.
  virtual void SetConditions(CSgConditions* conditions) { m_conditions = conditions; }
  CSgConditions* Conditions() const { return m_conditions; }

  // Animations played on an event type, in the order added; not owned.
  struct BoundAnimation {
    CKvoObject* animation;
    int type;
  };
  void AddAnimation(CKvoObject* animation, int type);  // null is ignored
  const std::vector<BoundAnimation>& Animations() const { return m_animations; }

  // At most one action per event type, owned. SetAction replaces (and frees) an earlier one;
  // the reader refuses a second one before it gets here.
  void SetAction(CKvoObject* action, int type);
  CKvoObject* GetAction(int type) const;

  const char* KindName() const override { return "CSgReaction"; }
  void Describe(CDescriber& d) const override;

 private:
  DWORD m_flags = 0;
  CSgConditions* m_conditions = nullptr;
  std::vector<BoundAnimation> m_animations;
  std::map<int, std::unique_ptr<CKvoObject>> m_actions;
};

// A conditions test: the scene node `key` is shown (expected 1) or hidden (expected 0).
class CSgCondFieldShow : public CSgCondition {
 public:
  CSgCondFieldShow(CSgModule* module, int expected) : m_module(module), m_expected(expected) {}
  void SetKey(SGKEY key) { m_key = key; }
  SGKEY Key() const { return m_key; }
  int Expected() const { return m_expected; }
  CSgModule* Module() const { return m_module; }
  // A node that does not exist (or no key yet) is neither shown nor hidden: the test fails.
  int Holds() const override;
  std::string Text() const override;

 private:
  CSgModule* m_module;
  int m_expected;
  SGKEY m_key = SG_NO_KEY;
};

// "and(x>1, fieldon #3, or(...))": a conditions tree as one line, for the dumps. Deeper than
// CSgConditions::SG_MAX_CONDITION_DEPTH it prints "...".
std::string SgConditionsText(const CSgConditions* conditions);

// ---------------------------------------------------------------- control points

class COpCtrlPoint : public CKvoObject {
 public:
  explicit COpCtrlPoint(CSgModule* module, int typeCode = SGT_CTRLPOINT);
  ~COpCtrlPoint() override;

  using CKvoObject::SetName;
  // Names the control; bNotify tells the controls that show their name to update it.
  virtual void SetName(const char* name, int bNotify);

  // Scene nodes. SetKey makes `key` the only node, AddKey adds one more; Key is the first
  // node (-1 when none). SetPathKey is how a control stores the node its `field` names: most
  // take it as their only node; buttons keep it apart from their state images.
  void SetKey(SGKEY key);
  void AddKey(SGKEY key);
  virtual void SetPathKey(SGKEY key) { SetKey(key); }
  SGKEY Key() const { return m_keys.empty() ? SG_NO_KEY : m_keys.front(); }
  const std::vector<SGKEY>& Keys() const { return m_keys; }

  void SetGroup(int group) { m_group = group; }
  int Group() const { return m_group; }

  // Whether the control takes events. Controls are enabled when made.
  virtual void Enable() { m_enabled = 1; }
  virtual void Disable() { m_enabled = 0; }
  int IsEnabled() const { return m_enabled; }

  // Takes ownership; null is ignored.
  void AddReaction(CSgReaction* reaction);
  // One reaction held by several controls (a step's reaction goes to every control of the
  // step): the last holder frees it. Null is ignored.
  void AddSharedReaction(std::shared_ptr<CSgReaction> reaction);
  int ReactionCount() const { return (int)m_reactions.size(); }
  CSgReaction* Reaction(int i) const;

  const char* KindName() const override { return "COpCtrlPoint"; }
  void Describe(CDescriber& d) const override;

 private:
  std::vector<SGKEY> m_keys;
  int m_group = 0;
  int m_enabled = 1;
  std::vector<std::shared_ptr<CSgReaction>> m_reactions;
};

// ---------------------------------------------------------------- knobs, sliders, parts

// What a control moved along an axis keeps: the axis and the point it turns about.
class CSgPadObject {
 public:
  virtual ~CSgPadObject() = default;
  void SetAxis(const float* v, int n);  // up to three numbers, the rest 0
  const float* Axis() const { return m_axis; }
  void SetBasePoint(const float p[3]);
  // A point given in the node's own frame: up to three numbers, the rest 0.
  void SetBasePointLocal(const float* p, int n);
  const float* BasePoint() const { return m_base; }
  bool HasBasePoint() const { return m_hasBase; }
  bool BasePointIsLocal() const { return m_baseLocal; }

 protected:
  void DescribePad(CDescriber& d) const;

 private:
  float m_axis[3] = {0, 0, 1};
  float m_base[3] = {0, 0, 0};
  bool m_hasBase = false;
  bool m_baseLocal = false;
};

class CSgKnob : public COpCtrlPoint, public CSgPadObject {
 public:
  static constexpr int SG_MAX_DIAL = 255;
  explicit CSgKnob(CSgModule* module, int typeCode = SGT_KNOB) : COpCtrlPoint(module, typeCode) {}

  // Scales v[0..n-1] (taken as x y z ...) by the scaling of the control's node, so that values
  // written for the unscaled node keep their meaning; no node leaves them as they are.
  void ConvertToNoStretchCoord(float* v, int n);
  int NoStretchConversions() const { return m_conversions; }
  // Makes the axis a unit vector and, with a world base point, keeps the point as the centre
  // of the turn. Called once the block is read.
  void AdjustAxisToBasePoint();
  bool AxisAdjusted() const { return m_adjusted; }

  // Dial positions (at most SG_MAX_DIAL; more are dropped).
  void SetDial(const float* v, int n);
  const std::vector<float>& Dial() const { return m_dial; }
  void SetInitial(float v) { m_initial = v; }
  float Initial() const { return m_initial; }
  void SetRange(float v) { m_range = v; }
  float Range() const { return m_range; }
  void SetSpeed(float v) { m_speed = v; }
  float Speed() const { return m_speed; }
  void SetCycle(int c) { m_cycle = c; }
  int Cycle() const { return m_cycle; }

  const char* KindName() const override { return "CSgKnob"; }
  void Describe(CDescriber& d) const override;

 private:
  std::vector<float> m_dial;
  float m_initial = 0, m_range = 0, m_speed = 0;
  int m_cycle = 0;
  int m_conversions = 0;
  bool m_adjusted = false;
};

class CSgSlider : public CSgKnob {
 public:
  explicit CSgSlider(CSgModule* module) : CSgKnob(module, SGT_SLIDER) {}
  void Set2D(int v) { m_2d = v; }
  int Is2D() const { return m_2d; }
  const char* KindName() const override { return "CSgSlider"; }
  void Describe(CDescriber& d) const override;

 private:
  int m_2d = 0;
};

class CSgPart : public COpCtrlPoint {
 public:
  explicit CSgPart(CSgModule* module) : COpCtrlPoint(module, SGT_PART) {}
  void SetAxis(const float* v, int n);  // the first six numbers, the rest 0
  const float* Axis() const { return m_axis; }
  void SetDistance(float v) { m_distance = v; }
  float Distance() const { return m_distance; }
  void SetAngle(float v) { m_angle = v; }
  float Angle() const { return m_angle; }
  void SetTool(const char* t) { m_tool = t ? t : ""; }
  const char* Tool() const { return m_tool.c_str(); }
  void SetInstrument(const char* t) { m_instrument = t ? t : ""; }
  const char* Instrument() const { return m_instrument.c_str(); }
  // Prepares the part for handling once its block is read.
  virtual void Init() { ++m_inits; }
  int InitCount() const { return m_inits; }
  const char* KindName() const override { return "CSgPart"; }
  void Describe(CDescriber& d) const override;

 private:
  float m_axis[6] = {0, 0, 0, 0, 0, 0};
  float m_distance = 0, m_angle = 0;
  std::string m_tool, m_instrument;  // GBK
  int m_inits = 0;
};

// ---------------------------------------------------------------- edit boxes, maps, areas, keys

// Option flags of an edit box.
enum : unsigned short {
  SG_EDIT_SINGLE = 0x0002,
  SG_EDIT_PASSWORD = 0x0010,
  SG_EDIT_NORETURN = 0x0020,
  SG_EDIT_ALIGNRIGHT = 0x4000,
};

// A text input box: on the screen, or on a scene node that holds a grid of characters.
class CSgEdit : public COpCtrlPoint {
 public:
  explicit CSgEdit(CSgModule* module) : COpCtrlPoint(module, SGT_EDIT) {}

  // Set while the script reads the box; its reader clears it when the block ends.
  int Reading() const { return m_reading; }
  void SetReading(int v) { m_reading = v; }

  void SetOnScreen(int v) { m_onScreen = v; }
  int OnScreen() const { return m_onScreen; }
  void SetScreenPosition(const float* v, int n);  // up to three numbers
  const std::vector<float>& ScreenPosition() const { return m_screenPos; }
  void SetScreenSize(const float s[2]) { m_screenSize[0] = s[0], m_screenSize[1] = s[1]; }
  const float* ScreenSize() const { return m_screenSize; }
  void SetSize(int cols, int rows) { m_cols = cols, m_rows = rows; }  // the character grid
  int Columns() const { return m_cols; }
  int Rows() const { return m_rows; }
  void SetTextPosition(int col, int row) { m_textPos[0] = col, m_textPos[1] = row; }
  const int* TextPosition() const { return m_textPos; }
  void SetTextColor(const float c[3]) { m_textColor[0] = c[0], m_textColor[1] = c[1], m_textColor[2] = c[2]; }
  const float* TextColor() const { return m_textColor; }
  void SetBackColor(const float c[3]);
  const float* BackColor() const { return m_hasBack ? m_backColor : nullptr; }
  void SetScale(const float s[3]) { m_scale[0] = s[0], m_scale[1] = s[1], m_scale[2] = s[2]; }
  const float* Scale() const { return m_scale; }
  void SetAllText(const char* text) { m_text = text ? text : ""; }
  const char* Text() const { return m_text.c_str(); }
  void SetFont(const char* font) { m_font = font ? font : ""; }
  const char* Font() const { return m_font.c_str(); }
  void SetReadOnly(int v) { m_readOnly = v; }
  int ReadOnly() const { return m_readOnly; }
  unsigned short Options() const { return m_options; }
  // SetOption is how the host changes the options of a live box (it may redraw it);
  // SetOptionFlags only records them.
  virtual void SetOption(unsigned short options) { m_options = options; }
  void SetOptionFlags(unsigned short options) { m_options = options; }
  // Whether the box shows a blank background when opened (open 1) or closed (open 0).
  void SetBlankBack(int open, int blank) { (open ? m_blankOpen : m_blankClose) = blank; }
  // Redraws the box (from `from`, -1 for all); bRecord marks a change the author made.
  void Update(int from, int bRecord);
  int UpdateCount() const { return m_updates; }

  const char* KindName() const override { return "CSgEdit"; }
  void Describe(CDescriber& d) const override;

 private:
  int m_reading = 1;
  int m_onScreen = 0;
  std::vector<float> m_screenPos;
  float m_screenSize[2] = {0, 0};
  int m_cols = 0, m_rows = 0;
  int m_textPos[2] = {0, 0};
  float m_textColor[3] = {1, 1, 1};
  float m_backColor[3] = {0, 0, 0};
  bool m_hasBack = false;
  float m_scale[3] = {1, 1, 1};
  std::string m_text, m_font;  // GBK
  int m_readOnly = 0;
  unsigned short m_options = 0;
  int m_blankOpen = 0, m_blankClose = 0;
  int m_updates = 0;
};

// A picture of the scene used for orientation.
class CSgMap : public COpCtrlPoint {
 public:
  explicit CSgMap(CSgModule* module) : COpCtrlPoint(module, SGT_MAP) {}
  void SetCenter(const float c[3]) { m_center[0] = c[0], m_center[1] = c[1], m_center[2] = c[2]; }
  const float* Center() const { return m_center; }
  void SetScale(float s) { m_scale = s; }
  float Scale() const { return m_scale; }
  void SetAngle(float a) { m_angle = a; }
  float Angle() const { return m_angle; }
  // Set unless the scene's vertical axis is z.
  void SetVerticalAxisFlag(int v) { m_vertical = v; }
  int VerticalAxisFlag() const { return m_vertical; }
  // Full file names joined by ';', the base picture first.
  void SetFiles(const char* files) { m_files = files ? files : ""; }
  const char* Files() const { return m_files.c_str(); }
  virtual void Create() { ++m_created; }
  int CreateCount() const { return m_created; }
  const char* KindName() const override { return "CSgMap"; }
  void Describe(CDescriber& d) const override;

 private:
  float m_center[3] = {0, 0, 0};
  float m_scale = 1, m_angle = 0;
  int m_vertical = 1;
  std::string m_files;
  int m_created = 0;
};

// A screen area that reacts to the mouse: a closed outline and a depth.
class CSgArea : public COpCtrlPoint {
 public:
  explicit CSgArea(CSgModule* module) : COpCtrlPoint(module, SGT_AREA) {}
  void AddPoint(float x, float y) { m_points.push_back({x, y}); }
  struct Point {
    float x, y;
  };
  const std::vector<Point>& Points() const { return m_points; }
  void SetDepth(float d) { m_depth = d; }
  float Depth() const { return m_depth; }
  const char* KindName() const override { return "CSgArea"; }
  void Describe(CDescriber& d) const override;

 private:
  std::vector<Point> m_points;
  float m_depth = 10;
};

// A control that reacts to one keyboard key.
class CSgKeyMap : public COpCtrlPoint {
 public:
  explicit CSgKeyMap(CSgModule* module) : COpCtrlPoint(module, SGT_KEYMAP) {}
  void SetKeyCode(const char* key) { m_key = key ? key : ""; }
  const char* KeyCode() const { return m_key.c_str(); }
  const char* KindName() const override { return "CSgKeyMap"; }
  void Describe(CDescriber& d) const override;

 private:
  std::string m_key;
};
