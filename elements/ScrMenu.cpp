// Menus, pages, windows and viewports.
#include "elements/ScrMenu.h"

#include <cstring>

#include "elements/ScrButton.h"
#include "elements/ScrCtrlpt.h"
#include "elements/ScrMembers.h"
#include "lexer/ScrLex.h"
#include "lexer/ScrValues.h"
#include "reader/ScriptReader.h"
#include "sg/Gfx.h"
#include "sg/Module.h"
#include "sg/Ui.h"
#include "sg/Viewport.h"

namespace {

// Numbers up to the '}' that closes the value (braces optional); `out` keeps its defaults past
// the numbers written, numbers beyond `max` are passed over. Returns the count.
int ReadList(CScrStream* f, float* out, int max) {
  int count = 0;
  const int braced = ScrTakeBrace(f, '{');
  ScrReadAllValues(f, out, count, max);
  if (braced) ScrTakeBrace(f, '}');
  return count;
}

// A list value holds at most this many numbers; those past the ones used are passed over.
constexpr int kMaxListValues = 255;

}  // namespace

// ---------------------------------------------------------------- menus

CScrMenu::CScrMenu(CScriptReader* reader) : CScrObject(reader) {}
CScrMenu::~CScrMenu() = default;

CKvoObject* CScrMenu::TakeObject() { return m_menu.release(); }

// menu [{] sub-keyword ... }
int CScrMenu::Read(CScrStream* f) {
  if (!m_menu) m_menu = std::make_unique<CSgMenu>(ScriptReader()->CurrentModule());
  return ReadBlock(f);
}

int CScrMenu::ReadSubKeyword(CScrStream* f, const char* kw) {
  static const ScrSubKeywords<CScrMenu> kSubs = {
      {"name", &CScrMenu::ReadName},     {"id", &CScrMenu::ReadId},         {"property", &CScrMenu::ReadProperty},
      {"button", &CScrMenu::ReadButton}, {"menu", &CScrMenu::ReadSubMenu},
  };
  return kSubs.Dispatch(this, f, kw);
}

// Words a menu does not know are passed over with their blocks, without a message.
int CScrMenu::UnknownSubKeyword(CScrStream* f, const char* kw) {
  OtherKeyword(f, kw);
  return SCR_SUB_OK;
}

// name { N }: a second menu of the same name in one module is reported and stays unnamed.
int CScrMenu::ReadName(CScrStream* f, const char*) {
  std::string name;
  ReadValueString(f, name);
  if (ScriptReader()->CurrentModule()->FindMenuLocal(name.c_str())) {
    Report(ScrTextId::err_menu_defined_twice, f, {name, ScrGetCurKeyWord()});
    return SCR_SUB_OK;
  }
  m_menu->SetName(name.c_str(), 1);
  return SCR_SUB_OK;
}

int CScrMenu::ReadId(CScrStream* f, const char*) {
  int id = 0;
  ReadValueNumbers(f, &id, 1);
  m_menu->SetId(id);
  return SCR_SUB_OK;
}

// property { nostretch }: menus are laid out by the host; the words are read and not used.
int CScrMenu::ReadProperty(CScrStream* f, const char*) {
  std::vector<std::string> words;
  ScrReadWordList(f, words);
  return SCR_SUB_OK;
}

// button { name { N } ... }: N must name a control defined before, found from this module
// upwards; the menu lists it as an entry. The block is read as a button block, so it may also
// configure the button it names. A button the block would make anew is not kept.
int CScrMenu::ReadButton(CScrStream* f, const char*) {
  CScrButton r(ScriptReader());
  r.SetPlaceNew(false);
  ReadNested(r, f);
  const std::string name = r.CtrlPoint() ? r.CtrlPoint()->Name() : "";
  CKvoObject* found = name.empty() ? nullptr : ScriptReader()->CurrentModule()->FindCtrlpt(name.c_str());
  if (auto* button = dynamic_cast<COpCtrlPoint*>(found)) m_menu->AddButton(button);
  else Report(ScrTextId::err_menu_button_not_defined, f, {name, ScrGetCurKeyWord()});
  return SCR_SUB_OK;
}

int CScrMenu::ReadSubMenu(CScrStream* f, const char*) {
  CScrMenu sub(ScriptReader());
  ReadNested(sub, f);
  if (sub.Menu()) m_menu->AddSubMenu(static_cast<CSgMenu*>(sub.TakeObject()));
  return SCR_SUB_OK;
}

// ---------------------------------------------------------------- pages

CScrPage::CScrPage(CScriptReader* reader)
    : CScrObject(reader), m_page(std::make_unique<CSgPage>(reader->CurrentModule())) {}
CScrPage::~CScrPage() = default;

CKvoObject* CScrPage::TakeObject() { return m_page.release(); }

// page [{] sub-keyword ... }: the page is made ready for showing once its block is read.
int CScrPage::Read(CScrStream* f) {
  if (!ReadBlock(f)) return 0;
  m_page->Create();
  return 1;
}

int CScrPage::ReadSubKeyword(CScrStream* f, const char* kw) {
  static const ScrSubKeywords<CScrPage> kSubs = {
      {"name", &CScrPage::ReadName},      {"time", &CScrPage::ReadTime},     {"button", &CScrPage::ReadControl},
      {"ctrlpt", &CScrPage::ReadControl}, {"image", &CScrPage::ReadMember}, {"text", &CScrPage::ReadMember},
  };
  return kSubs.Dispatch(this, f, kw);
}

int CScrPage::ReadName(CScrStream* f, const char*) {
  std::string name;
  ReadValueString(f, name);
  m_page->SetName(name.c_str(), 1);
  return SCR_SUB_OK;
}

int CScrPage::ReadTime(CScrStream* f, const char*) {
  int t = 0;
  ReadValueNumbers(f, &t, 1);
  m_page->SetTime(t);
  return SCR_SUB_OK;
}

// button | ctrlpt { name { N } }: a page only shows controls defined before it. A block that
// names one gives it to the page; a block that would make a new one is reported and ends the
// page, as does a block that failed to read. A new control from a failed block is not kept:
// nothing else holds it.
int CScrPage::ReadControl(CScrStream* f, const char* kw) {
  std::unique_ptr<CScrCtrlpt> r;
  if (std::strcmp(kw, "button") == 0) {
    auto button = std::make_unique<CScrButton>(ScriptReader());
    button->SetPlaceNew(false);
    r = std::move(button);
  } else {
    r = std::make_unique<CScrCtrlpt>(ScriptReader());
  }
  const int ok = ReadNested(*r, f);
  if (!r->IsCreated()) m_page->AddObject(r->CtrlPoint());
  if (!ok) return SCR_SUB_STOP;
  if (r->IsCreated()) {
    Report(ScrTextId::err_page_button_not_predefined, f, {ScrGetCurKeyWord()});
    return SCR_SUB_STOP;
  }
  return SCR_SUB_OK;
}

// image | text { name { N } }: the same rule for images and flat texts.
int CScrPage::ReadMember(CScrStream* f, const char* kw) {
  const ScrMemberKind kind = std::strcmp(kw, "image") == 0 ? ScrMemberKind::Image : ScrMemberKind::Text;
  std::unique_ptr<CScrObject> r = ScrNewMemberReader(ScriptReader(), kind);
  if (!r) return SCR_SUB_UNKNOWN;
  const int ok = ReadNested(*r, f);
  const ScrMemberInfo member = ScrMemberOf(*r, kind);
  if (!member.created) m_page->AddObject(member.object);
  if (!ok) return SCR_SUB_STOP;
  if (member.created) {
    Report(ScrTextId::err_page_image_not_predefined, f, {member.name, ScrGetCurKeyWord()});
    return SCR_SUB_STOP;
  }
  return SCR_SUB_OK;
}

// ---------------------------------------------------------------- windows

CScrWindow::CScrWindow(CScriptReader* reader)
    : CScrObject(reader), m_window(std::make_unique<CSgWindow>(reader->CurrentModule())) {}
CScrWindow::~CScrWindow() = default;

CKvoObject* CScrWindow::TakeObject() { return m_window.release(); }

int CScrWindow::Read(CScrStream* f) { return ReadBlock(f); }

int CScrWindow::ReadSubKeyword(CScrStream* f, const char* kw) {
  static const ScrSubKeywords<CScrWindow> kSubs = {
      {"name", &CScrWindow::ReadName}, {"path", &CScrWindow::ReadPath}, {"field", &CScrWindow::ReadField}};
  return kSubs.Dispatch(this, f, kw);
}

int CScrWindow::UnknownSubKeyword(CScrStream* f, const char* kw) {
  OtherKeyword(f, kw);
  return SCR_SUB_OK;
}

int CScrWindow::ReadName(CScrStream* f, const char*) {
  std::string name;
  ReadValueString(f, name);
  m_window->SetName(name.c_str(), 1);
  return SCR_SUB_OK;
}

int CScrWindow::ReadPath(CScrStream* f, const char*) {
  std::string path;
  ReadValueString(f, path);
  m_window->SetExeFile(path.c_str());
  return SCR_SUB_OK;
}

// field { path }: a node not there yet is opened by path, so that one made at run time is found.
int CScrWindow::ReadField(CScrStream* f, const char*) {
  std::string path;
  ReadValueString(f, path);
  SGKEY key = FindFieldByRelativePathName(ScriptReader()->CurrentModule(), path.c_str());
  if (key == SG_NO_KEY) {
    Report(ScrTextId::warn_node_created_at_runtime, f, {path, ScrGetCurKeyWord()});
    key = SgOpenField(path.c_str());
    SgCloseField();
  }
  m_window->SetKey(key);
  return SCR_SUB_OK;
}

// ---------------------------------------------------------------- viewports

CScrViewport::CScrViewport(CScriptReader* reader)
    : CScrObject(reader), m_viewport(std::make_unique<CSgViewport>(reader->CurrentModule())) {}
CScrViewport::~CScrViewport() = default;

CKvoObject* CScrViewport::TakeObject() { return m_viewport.release(); }

int CScrViewport::Read(CScrStream* f) { return ReadBlock(f); }

int CScrViewport::ReadSubKeyword(CScrStream* f, const char* kw) {
  static const ScrSubKeywords<CScrViewport> kSubs = {
      {"name", &CScrViewport::ReadName},
      {"rect", &CScrViewport::ReadRect},
      {"enable", &CScrViewport::ReadEnable},
      {"look", &CScrViewport::ReadLook},
      {"draw_background", &CScrViewport::ReadBackground},
      {"follow", &CScrViewport::ReadFollow},
      {"deflection", &CScrViewport::ReadDeflection},
      {"field", &CScrViewport::ReadField},
  };
  return kSubs.Dispatch(this, f, kw);
}

int CScrViewport::ReadName(CScrStream* f, const char*) {
  ReadValueString(f, m_name);
  m_viewport->SetName(m_name.c_str(), 1);
  return SCR_SUB_OK;
}

// rect { x1 y1 x2 y2 }: the first four numbers.
int CScrViewport::ReadRect(CScrStream* f, const char*) {
  float v[kMaxListValues] = {};
  ReadList(f, v, kMaxListValues);
  std::memcpy(m_rect, v, sizeof m_rect);
  m_hasRect = true;
  m_viewport->SetRect(m_rect);
  return SCR_SUB_OK;
}

// enable { TRUE | FALSE }: another word leaves the viewport as the library has it.
int CScrViewport::ReadEnable(CScrStream* f, const char*) {
  std::string v;
  ReadValueString(f, v);
  if (straccord(v.c_str(), "TRUE")) m_enable = 1;
  else if (straccord(v.c_str(), "FALSE")) m_enable = 0;
  else return SCR_SUB_OK;
  m_hasEnable = true;
  return SCR_SUB_OK;
}

// look { position  target  up }: the first nine numbers.
int CScrViewport::ReadLook(CScrStream* f, const char*) {
  float v[kMaxListValues] = {};
  ReadList(f, v, kMaxListValues);
  std::memcpy(m_look, v, sizeof m_look);
  m_hasLook = true;
  m_viewport->SetLook(m_look);
  return SCR_SUB_OK;
}

int CScrViewport::ReadBackground(CScrStream* f, const char*) {
  if (ReadValueBool(f, m_background)) {
    m_hasBackground = true;
    m_viewport->SetDrawBackground(m_background);
  }
  return SCR_SUB_OK;
}

int CScrViewport::ReadFollow(CScrStream* f, const char*) {
  ReadValueString(f, m_follow);
  m_hasFollow = true;
  m_viewport->SetFollow(m_follow.c_str());
  return SCR_SUB_OK;
}

// deflection { d1 [d2] }: the second keeps -1 when only one number is written.
int CScrViewport::ReadDeflection(CScrStream* f, const char*) {
  ReadList(f, m_deflection, 2);
  return SCR_SUB_OK;
}

int CScrViewport::ReadField(CScrStream* f, const char*) {
  std::string path;
  ReadValueString(f, path);
  SGKEY key = SgFieldExists(path.c_str());
  if (key == SG_NO_KEY) {
    Report(ScrTextId::warn_node_created_at_runtime, f, {path, ScrGetCurKeyWord()});
    key = SgOpenField(path.c_str());
    SgCloseField();
  }
  m_fields.push_back(key);
  m_viewport->AddMappingKey(key);
  return SCR_SUB_OK;
}

// In this order: the rectangle and its depth, the enable state, the camera, the background,
// the nodes shown (in script order) and the node followed.
void CScrViewport::Finish() {
  const char* name = m_name.c_str();
  if (m_hasRect) {
    SgSetViewport(name, m_rect);
    SgSetViewportDepth(name, 50.0f);
  }
  if (m_hasEnable) SgEnableViewport(name, m_enable);
  if (m_hasLook) {
    SgSetCameraPos(m_look, name);
    SgSetCameraTarget(m_look + 3, name);
    SgSetCameraVector(m_look + 6, name);
  }
  if (m_hasBackground) SgEnableViewportBackground(name, m_background);
  for (SGKEY key : m_fields) SgSetViewportOnField(name, key);
  if (m_hasFollow) SgSetViewportFollow(name, m_follow.c_str(), m_deflection[0], m_deflection[1]);
}
