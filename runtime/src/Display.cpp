// Display options of the graphics field library, SgFieldCommand, and CSgSettings.
#include "sg/Display.h"

#include <algorithm>
#include <unordered_map>

#include "sg/Describe.h"
#include "sg/Gfx.h"

namespace {

// The whole option state of the library, in one place; reset with the scene.
struct Options {
  bool hasResolution = false;
  int width = 0, height = 0, flags = 0;
  std::unordered_map<std::string, int> ints;
  std::unordered_map<std::string, std::vector<float>> reals;
  int invalidations = 0;
};

Options& O() {
  static Options options;
  return options;
}

}  // namespace

int SgSetResolution(int width, int height, int flags) {
  Options& o = O();
  o.hasResolution = true;
  o.width = width;
  o.height = height;
  o.flags = flags;
  return 1;
}

int SgGetResolution(int* width, int* height) {
  const Options& o = O();
  if (width) *width = o.width;
  if (height) *height = o.height;
  return o.hasResolution ? 1 : 0;
}

int SgSetOptionValuei(const char* name, int value, void*) {
  if (!name || !*name) return 0;
  O().ints[name] = value;
  return 1;
}

int SgSetOptionValuefv(const char* name, const float* values, int count, void*) {
  if (!name || !*name || count < 0 || (count > 0 && !values)) return 0;
  O().reals[name].assign(values, values + count);
  return 1;
}

int SgGetOptionValuei(const char* name, int* value) {
  if (!name) return 0;
  auto it = O().ints.find(name);
  if (it == O().ints.end()) return 0;
  if (value) *value = it->second;
  return 1;
}

int SgGetOptionValuefv(const char* name, float* values, int max, int* count) {
  if (!name) return 0;
  auto it = O().reals.find(name);
  if (it == O().reals.end()) return 0;
  const std::vector<float>& v = it->second;
  if (count) *count = (int)v.size();
  if (values && max > 0) std::copy_n(v.begin(), std::min<size_t>(v.size(), (size_t)max), values);
  return 1;
}

void SgInvalidate() { ++O().invalidations; }

int SgInvalidateCount() { return O().invalidations; }

// The commands stay readable in the node's contents, so a dump or a test can see what a node
// was asked to do without a renderer.
int SgFieldCommand(const char* command, SGKEY key, int arg) {
  if (!command || !*command || !SgFieldName(key)) return 0;
  std::string list;
  if (const char* before = SgFieldContents(key, "commands")) list = std::string(before) + ";";
  list += std::string(command) + "(" + std::to_string(arg) + ")";
  return SgSetFieldContents(key, "commands", list.c_str());
}

void SgResetDisplayOptions() { O() = Options(); }

// ---------------------------------------------------------------------------------------------
// CSgSettings

void CSgSettings::SetWorkDirectory(const char* dir) {
  m_hasWorkDir = true;
  m_workDir = dir ? dir : "";
}

void CSgSettings::SetVertical(const float v[3]) {
  m_hasVertical = true;
  std::copy(v, v + 3, m_vertical);
}

void CSgSettings::SetResolution(int width, int height) {
  m_hasResolution = true;
  m_resolution[0] = width;
  m_resolution[1] = height;
}

void CSgSettings::SetFontScale(const float v[2]) {
  m_hasFontScale = true;
  std::copy(v, v + 2, m_fontScale);
}

void CSgSettings::SetStereo(int on) {
  m_hasStereo = true;
  m_stereo = on;
}

void CSgSettings::AddDefault(const char* word) { m_defaults.emplace_back(word ? word : ""); }

void CSgSettings::Describe(CDescriber& d) const {
  if (m_hasWorkDir) d.Text("workdir", m_workDir.c_str());
  if (m_hasVertical) {
    d.BeginList("vertical");
    for (float v : m_vertical) d.Real(nullptr, v);
    d.EndList();
  }
  if (m_hasResolution) {
    d.BeginList("resolution");
    for (int v : m_resolution) d.Int(nullptr, v);
    d.EndList();
  }
  if (m_hasFontScale) {
    d.BeginList("fontScale");
    for (float v : m_fontScale) d.Real(nullptr, v);
    d.EndList();
  }
  if (m_hasStereo) d.Bool("stereo", m_stereo != 0);
  if (!m_defaults.empty()) {
    d.BeginList("defaults");
    for (const std::string& w : m_defaults) d.Text(nullptr, w.c_str());
    d.EndList();
  }
}
