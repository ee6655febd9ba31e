// CSgText: what a text block gave, described for the dumps.
#include "sg/Text.h"

#include "sg/Describe.h"

namespace {

void Reals(CDescriber& d, const char* key, const float* v, int n) {
  d.BeginList(key);
  for (int i = 0; i < n; ++i) d.Real(nullptr, v[i]);
  d.EndList();
}

}  // namespace

// Only what the script gave is listed, besides the node path and the content.
void CSgText::Describe(CDescriber& d) const {
  const SgTextValues& s = m_values;
  d.Bool("3d", s.is3d != 0);
  d.Text("path", s.nodePath.c_str());
  d.Text("content", s.content.c_str());
  if (s.hasPosition) Reals(d, "position", s.position, 3);
  if (s.hasPosition && !s.is3d) Reals(d, "size", s.size, 2);
  if (s.hasScale) Reals(d, "scale", s.scale, 3);
  if (s.hasRotation) Reals(d, "rotation", s.rotation, 3);
  if (s.hasDirection) Reals(d, "direction", s.direction, 3);
  if (s.hasColor) Reals(d, "colors", s.colors.data(), static_cast<int>(s.colors.size()));
  if (s.hasEnable) d.Bool("visible", s.visible != 0);
  if (s.hasFont) {
    d.Text("font", s.font.faceName);
    d.Int("fontHeight", s.font.height);
    d.Int("fontWidth", s.font.width);
  }
  if (!s.fileName.empty()) d.Text("file", s.fileName.c_str());
  if (m_node != SG_NO_KEY) d.Int("node", m_node);
}
