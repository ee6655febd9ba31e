// The readers of edit boxes, maps, screen areas and key maps.
//
//     edit   { name { e } position { 10, 10 } size { 200, 24 } content { text }
//              color { 0, 0, 0 } property { single, readonly } }
//     map    { name { m } bitmap { plan.bmp } bitmap_templ { marks.bmp } center { 0, 0, 0 }
//              scale { 4 } angle { 90 } }
//     area   { name { a } rect { 0, 0, 100, 50 } }
//     keymap { name { k } key { F5 } }
//
// An edit box with a field node and not put on the screen is a grid of characters on that
// node: its position and size are whole columns and rows. Otherwise it is a screen box.
#pragma once

#include <string>

#include "elements/ScrCtrlpt.h"

class CSgEdit;
class CSgMap;

class CScrEdit : public CScrCtrlpt {
 public:
  explicit CScrEdit(CScriptReader* reader);

 protected:
  void OtherKeyword(CScrStream* f, const char* kw) override;
  // Sizes the box and draws its text; a grid text position outside the grid is reported.
  void Finish() override;

 private:
  CSgEdit* Edit() const;
  bool IsScreenEdit() const;
  void ReadPosition(CScrStream* f);
  void ReadSize(CScrStream* f);
  void ReadContent(CScrStream* f);
  void ReadColor(CScrStream* f);
  void ReadFont(CScrStream* f);
  void ReadProperty(CScrStream* f);

  int m_grid[2] = {0, 0};         // columns and rows of a grid box
  float m_screen[2] = {0, 0};     // width and height of a screen box
};

class CScrMap : public CScrCtrlpt {
 public:
  explicit CScrMap(CScriptReader* reader);
  const std::string& Files() const { return m_files; }

 protected:
  void OtherKeyword(CScrStream* f, const char* kw) override;
  // Takes the scene's vertical axis, hands the file list over and makes the map.
  void Finish() override;

 private:
  CSgMap* Map() const;
  std::string FullName(CScrStream* f);

  std::string m_files;  // full file names joined by ';', the base picture first
};

class CScrArea : public CScrCtrlpt {
 public:
  explicit CScrArea(CScriptReader* reader);

 protected:
  void OtherKeyword(CScrStream* f, const char* kw) override;
};

class CScrKeyMap : public CScrCtrlpt {
 public:
  explicit CScrKeyMap(CScriptReader* reader);

 protected:
  void OtherKeyword(CScrStream* f, const char* kw) override;
};
