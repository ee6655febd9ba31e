// CSgButton: a control point drawn as a picture, with one look per state.
//
// A button keeps, for each of its states, what the script set: position, size, corner,
// transparency, outline, bitmap and template files and a base picture. The settings of the
// button block itself are state 3; the other indices are the states the user sees. A button
// is either drawn on the screen (Create makes its nodes there) or bound to a scene node (its
// path key), whose display nodes are then made under that node.
//
// The three display nodes a button draws with are the picture, the hit area and the tip; the
// reader registers them with the view as script fields. They are made on first need, so a
// button that is never shown or registered adds nothing to the scene.
#pragma once

#include <string>
#include <vector>

#include "sg/Variable.h"  // before sg/Control.h, whose sg/Program.h needs it
#include "sg/Control.h"

// State indices, the last argument of every per-state setter.
enum : int {
  SG_BUTTON_NORMAL = 0,
  SG_BUTTON_PUSH = 1,
  SG_BUTTON_HOVER = 2,
  SG_BUTTON_BLOCK = 3,  // set directly in the button block
  SG_BUTTON_TIP = 4,
  SG_BUTTON_UNABLE = 5,
  SG_BUTTON_STATES = 6,
};

// Option flags of a button (SetOption).
enum : unsigned short {
  SG_BUTTON_CHECK = 0x0004,  // stays pushed until pushed again
};

// Path buffers handed to the plug-ins hold this many bytes, the terminator included.
constexpr int SG_BUTTON_PATH_BYTES = 260;

// The parameter record of the ExportImage plug-in command: three buffers of
// SG_BUTTON_PATH_BYTES bytes. The plug-in reads `source` and may rewrite `bitmap` and write a
// template path into `templ`; it must keep each within its size and terminated.
struct SgExportImageParams {
  char* source;
  char* bitmap;
  char* templ;
};

// What one state of a button holds. Only what was set is listed in the dumps.
struct SgButtonState {
  bool hasPosition = false, hasSize = false, hasCorner = false, hasTransparency = false, hasFile = false;
  float position[3] = {0, 0, 0};
  float size[2] = {0, 0};
  float corner[3] = {0, 0, 0};
  float transparency = 0;
  struct Point {
    float x, y;
  };
  std::vector<Point> outline;
  std::string bitmap, templ;  // GBK paths as the script gave them
  int fileFlag = 0;
  SGKEY baseImage = SG_NO_KEY;
};

class CSgButton : public COpCtrlPoint {
 public:
  // An outline holds at most this many points; more are not stored.
  static constexpr int SG_MAX_OUTLINE = 16;

  explicit CSgButton(CSgModule* module) : COpCtrlPoint(module, SGT_BUTTON) {}

  // Per-state settings. A state index outside 0..5 is ignored.
  void SetPosition(float x, float y, float z, int state);
  void SetSize(float w, float h, int state);
  void SetCorner(float x, float y, float z, int state);
  void SetTransparency(float t, int state);
  // `xy` holds `points` x y pairs; they are added after the state's earlier points.
  void AddOutline(const float* xy, int points, int state);
  // Null paths are taken as empty. `flag` is kept as given.
  void SetFile(const char* bitmap, const char* templ, int state, int flag);
  void SetBaseImage(SGKEY key, int state);
  const SgButtonState* State(int state) const;

  // The scene node the button is bound to: also its first key, so that Key() names it.
  void SetPathKey(SGKEY key) override;
  SGKEY PathKey() const { return m_pathKey; }

  void SetStretch(int stretch) { m_stretch = stretch; }
  int Stretch() const { return m_stretch; }
  // Adds option flags (SG_BUTTON_*); they are kept until the button goes.
  virtual void SetOption(unsigned short option) { m_options |= option; }
  unsigned short Options() const { return m_options; }

  void SetTarget(const float rect[4]);
  const float* Target() const { return m_hasTarget ? m_target : nullptr; }
  void SetRecordable(int v) { m_recordable = v; }
  int Recordable() const { return m_recordable; }

  // Places the button on the screen; `arg` says whether its image data is loaded now (1), left
  // for later (0), or decided by the view (-1). The argument of the last call is kept.
  virtual void Create(int arg);
  int CreateCount() const { return m_createCount; }
  int CreateArg() const { return m_createArg; }
  // Shows (1) or hides (0) the display nodes.
  virtual void Show(int show);
  int Shown() const { return m_shown; }

  // Display node i (0 the picture, 1 the hit area, 2 the tip), made on first need: under the
  // path node for a bound button, under "/screen/buttons" otherwise. -1 outside 0..2.
  SGKEY DisplayKey(int i);

  const char* KindName() const override { return "CSgButton"; }
  void Describe(CDescriber& d) const override;

 private:
  SgButtonState* At(int state);
  void MakeDisplayNodes();

  SgButtonState m_states[SG_BUTTON_STATES];
  SGKEY m_pathKey = SG_NO_KEY;
  int m_stretch = 1;
  unsigned short m_options = 0;
  float m_target[4] = {0, 0, 0, 0};
  bool m_hasTarget = false;
  int m_recordable = 0;
  int m_createCount = 0;
  int m_createArg = 0;
  int m_shown = -1;  // -1 until Show is called
  SGKEY m_display[3] = {SG_NO_KEY, SG_NO_KEY, SG_NO_KEY};
};
