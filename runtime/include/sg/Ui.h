// The containers and extra views of the interface: menus (CSgMenu), pages (CSgPage), windows
// showing an external program (CSgWindow) and viewports (CSgViewport).
//
// Each keeps what the scripts set and lists it in Describe; drawing them is the host's. A menu
// owns its sub-menus; menus and pages only refer to their buttons and members, which live in
// their module's collections (the module outlives them: menus and pages are released first).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "sg/Variable.h"  // before sg/Control.h, whose sg/Program.h needs it
#include "sg/Control.h"

class CSgMenu : public CKvoObject {
 public:
  // Menus are filed with CSgModule::AddMenu, not by a type code.
  explicit CSgMenu(CSgModule* module) : CKvoObject(0) { SetModule(module); }

  using CKvoObject::SetName;
  virtual void SetName(const char* name, int) { CKvoObject::SetName(name); }
  void SetId(int id) { m_id = id; }
  int Id() const { return m_id; }
  // Takes ownership; null is ignored.
  virtual void AddSubMenu(CSgMenu* menu);
  int SubMenuCount() const { return (int)m_subMenus.size(); }
  CSgMenu* SubMenu(int i) const;
  // A button (or any control) shown as an entry; not owned. The same control twice is one entry.
  void AddButton(COpCtrlPoint* button);
  const std::vector<COpCtrlPoint*>& Buttons() const { return m_buttons; }

  const char* KindName() const override { return "CSgMenu"; }
  void Describe(CDescriber& d) const override;

 private:
  int m_id = 0;
  std::vector<std::unique_ptr<CSgMenu>> m_subMenus;
  std::vector<COpCtrlPoint*> m_buttons;
};

// Objects shown together: buttons, control points, images and texts defined before the page.
class CSgPage : public CKvoObject {
 public:
  explicit CSgPage(CSgModule* module) : CKvoObject(SGT_PAGE) { SetModule(module); }

  using CKvoObject::SetName;
  virtual void SetName(const char* name, int) { CKvoObject::SetName(name); }
  void SetTime(int t) { m_time = t; }
  int Time() const { return m_time; }
  // Not owned; null is ignored, and the same object twice is one member.
  void AddObject(CKvoObject* obj);
  const std::vector<CKvoObject*>& Objects() const { return m_objects; }
  // Prepares the page for showing once its block is read.
  virtual void Create() { ++m_created; }
  int CreateCount() const { return m_created; }

  const char* KindName() const override { return "CSgPage"; }
  void Describe(CDescriber& d) const override;

 private:
  int m_time = 0;
  std::vector<CKvoObject*> m_objects;
  int m_created = 0;
};

// An external program shown on a scene node; a control so that the user can operate it.
class CSgWindow : public COpCtrlPoint {
 public:
  explicit CSgWindow(CSgModule* module) : COpCtrlPoint(module, SGT_CTRLPOINT_59) {}
  void SetExeFile(const char* path) { m_exe = path ? path : ""; }
  const char* ExeFile() const { return m_exe.c_str(); }
  const char* KindName() const override { return "CSgWindow"; }
  void Describe(CDescriber& d) const override;

 private:
  std::string m_exe;  // GBK
};

// An extra view of the scene: a rectangle of the screen with its own camera and nodes. The
// view itself is kept by the graphics library by name (sg/Viewport.h); this object records what
// the script gave, for the module and the dumps.
class CSgViewport : public CKvoObject {
 public:
  explicit CSgViewport(CSgModule* module) : CKvoObject(SGT_VIEWPORT) { SetModule(module); }

  using CKvoObject::SetName;
  virtual void SetName(const char* name, int) { CKvoObject::SetName(name); }
  void SetRect(const float r[4]);
  const float* Rect() const { return m_hasRect ? m_rect : nullptr; }
  // Camera position, target and up vector.
  void SetLook(const float v[9]);
  const float* Look() const { return m_hasLook ? m_look : nullptr; }
  void SetDrawBackground(int v) { m_background = v ? 1 : 0; }
  int DrawBackground() const { return m_background; }  // -1 when not given
  void SetFollow(const char* path) { m_follow = path ? path : ""; }
  const char* Follow() const { return m_follow.c_str(); }
  // The nodes the viewport shows.
  void AddMappingKey(SGKEY key) { m_keys.push_back(key); }
  const std::vector<SGKEY>& MappingKeys() const { return m_keys; }

  const char* KindName() const override { return "CSgViewport"; }
  void Describe(CDescriber& d) const override;

 private:
  float m_rect[4] = {0, 0, 0, 0};
  bool m_hasRect = false;
  float m_look[9] = {};
  bool m_hasLook = false;
  int m_background = -1;
  std::string m_follow;
  std::vector<SGKEY> m_keys;
};
