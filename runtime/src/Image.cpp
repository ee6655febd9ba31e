// CSgImage: an image's settings and its place in the scene.
#include "sg/Image.h"

#include "sg/Describe.h"
#include "sg/Gfx.h"

void CSgImage::SetOffset(const float offset[2]) {
  if (!offset) return;
  m_offset[0] = offset[0];
  m_offset[1] = offset[1];
}

void CSgImage::SetPosition(const float pos[3]) {
  if (!pos) return;
  for (int i = 0; i < 3; ++i) m_position[i] = pos[i];
}

void CSgImage::SetSize(float w, float h) {
  m_size[0] = w;
  m_size[1] = h;
}

std::string CSgImage::NodePath() const {
  std::string path = m_pathName;
  if (*Name()) {
    if (path.empty() || path.back() != '/') path += '/';
    path += Name();
  }
  return path;
}

// An image configured twice (two blocks of one name) keeps its one inserted child: the second
// Create moves it and changes its files instead of placing a second picture.
int CSgImage::Create() {
  const std::string path = NodePath();
  if (path.empty()) return 0;
  SGKEY node = SgOpenField(path.c_str());
  SGKEY owner = SG_NO_KEY;
  if (m_imageKey != SG_NO_KEY && SgShowOwner(m_imageKey, &owner) && owner == node) {
    SgSetFieldContents(m_imageKey, "image", m_file.c_str());
    if (!m_mask.empty()) SgSetFieldContents(m_imageKey, "mask", m_mask.c_str());
    SgSetImagePlacement(m_imageKey, m_position, m_size);
  } else {
    m_imageKey = SgInsertImage(m_file.c_str(), m_mask.c_str(), m_position, m_size);
  }
  if (SgOpenFieldByKey(m_imageKey) != SG_NO_KEY) {
    SgSetTransparency(m_transparency);
    SgCloseField();
  }
  SgCloseField();
  SgSetVisibilityByKey(node, m_visible);
  m_fieldKey = node;
  return m_imageKey != SG_NO_KEY;
}

void CSgImage::Describe(CDescriber& d) const {
  d.Text("path", m_pathName.c_str());
  d.Text("bitmap", m_file.c_str());
  if (!m_mask.empty()) d.Text("template", m_mask.c_str());
  d.BeginList("position");
  for (float v : m_position) d.Real(nullptr, v);
  d.EndList();
  d.BeginList("size");
  for (float v : m_size) d.Real(nullptr, v);
  d.EndList();
  if (m_offset[0] != 0 || m_offset[1] != 0) {
    d.BeginList("offset");
    for (float v : m_offset) d.Real(nullptr, v);
    d.EndList();
  }
  d.Real("transparency", m_transparency);
  d.Bool("visible", m_visible != 0);
  d.Int("drawMode", m_drawMode);
  d.Bool("keepInMemory", m_keepInMemory != 0);
  if (m_corner) d.Bool("corner", true);
  if (m_world) d.Bool("world", true);
  if (!m_stretch) d.Bool("stretch", false);
  if (m_useMask) d.Bool("mask", true);
  if (m_baseKey != SG_NO_KEY) d.Int("baseKey", m_baseKey);
  if (m_fieldKey != SG_NO_KEY) d.Int("fieldKey", m_fieldKey);
}
