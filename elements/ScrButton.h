// CScrButton: the reader of a button, a control point drawn as a picture with one look per state.
//
//     button {
//       name { start }  field { /scene/panel/start }  group { 2 }  reaction { ... }
//       rect { 0 0 80 24 1 }           the block's own settings: state 3, depth as written
//       property { check nostretch }   a check button, not stretched
//       visible { FALSE }
//       normal { bitmap { start.bmp } }
//       push   { bitmap { start_down.png }  position { 5 10 1 } }   depth z drawn at -(z+1.1)
//       hover  { bitmap { start_hi.bmp }  bitmap_templ { start_mask.bmp } }
//       tip    { bitmap { start_tip.bmp } }
//       unable { base { image { ... } } }
//     }
//
// The shared loop of CScrCtrlpt reads name, field, group, enable and reaction; everything else
// comes to OtherKeyword here. Finish places the button on the screen when it has no scene node,
// registers its display nodes with the view and shows or hides it.
#pragma once

#include <string>

#include "elements/ScrCtrlpt.h"

class CSgButton;

class CScrButton : public CScrCtrlpt {
 public:
  explicit CScrButton(CScriptReader* reader);

  // The button being configured; null when `name` bound the reader to another kind of control.
  CSgButton* Button() const;
  // Readers that only gather buttons made before them (menus, pages) do not place a new button
  // the block would make: nothing keeps it.
  void SetPlaceNew(bool place) { m_placeNew = place; }

 protected:
  void OtherKeyword(CScrStream* f, const char* keyword) override;
  void Finish() override;
  // A button gives `otherwise` no meaning: it is reported like any word a button does not know.
  bool TakesOtherwise() const override { return false; }

 private:
  // Sub-keywords of the button block.
  int ReadPosition(CScrStream* f, const char*);
  int ReadCorner(CScrStream* f, const char*);
  int ReadProperty(CScrStream* f, const char*);
  int ReadUnused(CScrStream* f, const char*);
  int ReadSize(CScrStream* f, const char*);
  int ReadTransparency(CScrStream* f, const char*);
  int ReadRect(CScrStream* f, const char*);
  int ReadTarget(CScrStream* f, const char*);
  int ReadRecordable(CScrStream* f, const char*);
  int ReadVisible(CScrStream* f, const char*);
  int ReadOutline(CScrStream* f, const char*);
  int ReadStateBlock(CScrStream* f, const char* keyword);

  // One state block: its own sub-keywords, SetFile at its closing brace.
  void ReadState(CScrStream* f, int state);
  void ReadBase(CScrStream* f, int state);
  // Hands a .png bitmap to the ExportImage plug-in command, which may rewrite both paths.
  void ExportImage(std::string& bitmap, std::string& templ);

  int m_visible = 1;
  bool m_visibleGiven = false;
  bool m_placeNew = true;
};

// The extension of a path as the platform splits it: from the last '.' of the last component,
// the dot included ("" when there is none).
std::string ScrPathExtension(const std::string& path);
