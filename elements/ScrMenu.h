// The readers of the interface's containers and views: menus, pages, windows and viewports.
//
//     menu { name { File }  id { 3 }  button { name { open } }  menu { name { Recent } } }
//     page { name { intro }  time { 5 }  button { name { start } }  image { name { logo } } }
//     window { name { calc }  path { calc.exe }  field { /scene/panel/screen } }
//     viewport { name { side }  rect { 0 0 200 150 }  look { 10 0 0  0 0 0  0 0 1 }
//                field { /scene/pump }  follow { /scene/pump/rotor }  deflection { 2 } }
//
// A menu lists buttons defined before it (each named in a `button` block) and nests menus; a
// page gathers buttons, control points, images and texts defined before it; a window is a
// control that shows an external program on a scene node; a viewport is an extra view whose
// settings go to the graphics library, by its name, when the block closes.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "reader/ScrObject.h"
#include "sg/Types.h"

class CSgMenu;
class CSgPage;
class CSgWindow;
class CSgViewport;

class CScrMenu : public CScrObject {
 public:
  explicit CScrMenu(CScriptReader* reader);
  ~CScrMenu() override;
  int Read(CScrStream* f) override;
  CSgMenu* Menu() const { return m_menu.get(); }
  CKvoObject* TakeObject() override;

 protected:
  int ReadSubKeyword(CScrStream* f, const char* kw) override;
  int UnknownSubKeyword(CScrStream* f, const char* kw) override;

 private:
  int ReadName(CScrStream* f, const char*);
  int ReadId(CScrStream* f, const char*);
  int ReadProperty(CScrStream* f, const char*);
  int ReadButton(CScrStream* f, const char*);
  int ReadSubMenu(CScrStream* f, const char*);

  std::unique_ptr<CSgMenu> m_menu;
};

class CScrPage : public CScrObject {
 public:
  explicit CScrPage(CScriptReader* reader);
  ~CScrPage() override;
  int Read(CScrStream* f) override;
  CSgPage* Page() const { return m_page.get(); }
  CKvoObject* TakeObject() override;

 protected:
  int ReadSubKeyword(CScrStream* f, const char* kw) override;

 private:
  int ReadName(CScrStream* f, const char*);
  int ReadTime(CScrStream* f, const char*);
  int ReadControl(CScrStream* f, const char* kw);
  int ReadMember(CScrStream* f, const char* kw);

  std::unique_ptr<CSgPage> m_page;
};

class CScrWindow : public CScrObject {
 public:
  explicit CScrWindow(CScriptReader* reader);
  ~CScrWindow() override;
  int Read(CScrStream* f) override;
  CSgWindow* Window() const { return m_window.get(); }
  CKvoObject* TakeObject() override;

 protected:
  int ReadSubKeyword(CScrStream* f, const char* kw) override;
  int UnknownSubKeyword(CScrStream* f, const char* kw) override;

 private:
  int ReadName(CScrStream* f, const char*);
  int ReadPath(CScrStream* f, const char*);
  int ReadField(CScrStream* f, const char*);

  std::unique_ptr<CSgWindow> m_window;
};

class CScrViewport : public CScrObject {
 public:
  explicit CScrViewport(CScriptReader* reader);
  ~CScrViewport() override;
  int Read(CScrStream* f) override;
  CSgViewport* Viewport() const { return m_viewport.get(); }
  CKvoObject* TakeObject() override;

 protected:
  int ReadSubKeyword(CScrStream* f, const char* kw) override;
  // Hands what was given to the graphics library, by the viewport's name.
  void Finish() override;

 private:
  int ReadName(CScrStream* f, const char*);
  int ReadRect(CScrStream* f, const char*);
  int ReadEnable(CScrStream* f, const char*);
  int ReadLook(CScrStream* f, const char*);
  int ReadBackground(CScrStream* f, const char*);
  int ReadFollow(CScrStream* f, const char*);
  int ReadDeflection(CScrStream* f, const char*);
  int ReadField(CScrStream* f, const char*);

  std::unique_ptr<CSgViewport> m_viewport;
  // What the block gave, applied at its closing brace.
  std::string m_name;
  bool m_hasRect = false, m_hasEnable = false, m_hasLook = false, m_hasBackground = false, m_hasFollow = false;
  float m_rect[4] = {0, 0, 0, 0};
  int m_enable = 1;
  float m_look[9] = {};
  int m_background = 0;
  std::string m_follow;
  float m_deflection[2] = {0, -1};
  std::vector<SGKEY> m_fields;
};
