// Menus, pages, windows and viewports: what the scripts set, and their descriptions.
#include "sg/Ui.h"

#include <algorithm>

#include "sg/Describe.h"

namespace {

void RealList(CDescriber& d, const char* key, const float* v, int n) {
  d.BeginList(key);
  for (int i = 0; i < n; ++i) d.Real(nullptr, v[i]);
  d.EndList();
}

}  // namespace

// ---------------------------------------------------------------- menus

void CSgMenu::AddSubMenu(CSgMenu* menu) {
  if (menu) m_subMenus.emplace_back(menu);
}

CSgMenu* CSgMenu::SubMenu(int i) const {
  return i >= 0 && i < (int)m_subMenus.size() ? m_subMenus[(size_t)i].get() : nullptr;
}

// Menus are short: a linear test for the same entry costs nothing worth a hash.
void CSgMenu::AddButton(COpCtrlPoint* button) {
  if (button && std::find(m_buttons.begin(), m_buttons.end(), button) == m_buttons.end())
    m_buttons.push_back(button);
}

void CSgMenu::Describe(CDescriber& d) const {
  d.Int("id", m_id);
  if (!m_buttons.empty()) {
    d.BeginList("buttons");
    for (const COpCtrlPoint* b : m_buttons) d.Ref(nullptr, b);
    d.EndList();
  }
  if (!m_subMenus.empty()) {
    d.BeginList("subMenus");
    for (const auto& m : m_subMenus) d.Object(nullptr, m.get());
    d.EndList();
  }
}

// ---------------------------------------------------------------- pages

// A page lists a few objects; the duplicate test stays linear for the same reason as menus.
void CSgPage::AddObject(CKvoObject* obj) {
  if (obj && std::find(m_objects.begin(), m_objects.end(), obj) == m_objects.end()) m_objects.push_back(obj);
}

void CSgPage::Describe(CDescriber& d) const {
  d.Int("time", m_time);
  d.BeginList("objects");
  for (const CKvoObject* o : m_objects) d.Ref(nullptr, o);
  d.EndList();
  d.Int("created", m_created);
}

// ---------------------------------------------------------------- windows

void CSgWindow::Describe(CDescriber& d) const {
  COpCtrlPoint::Describe(d);
  d.Text("exe", m_exe.c_str());
}

// ---------------------------------------------------------------- viewports

void CSgViewport::SetRect(const float r[4]) {
  std::copy(r, r + 4, m_rect);
  m_hasRect = true;
}

void CSgViewport::SetLook(const float v[9]) {
  std::copy(v, v + 9, m_look);
  m_hasLook = true;
}

void CSgViewport::Describe(CDescriber& d) const {
  if (m_hasRect) RealList(d, "rect", m_rect, 4);
  if (m_hasLook) RealList(d, "look", m_look, 9);
  if (m_background >= 0) d.Bool("drawBackground", m_background != 0);
  if (!m_follow.empty()) d.Text("follow", m_follow.c_str());
  if (!m_keys.empty()) {
    d.BeginList("fields");
    for (SGKEY k : m_keys) d.Int(nullptr, k);
    d.EndList();
  }
}
