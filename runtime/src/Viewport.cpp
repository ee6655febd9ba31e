// The viewport and camera registry of the graphics field library.
#include "sg/Viewport.h"

#include <algorithm>
#include <memory>
#include <unordered_map>

namespace {

// The whole viewport state of the library, in one place; reset with the scene. Viewports are
// kept in the order they were made (for the dumps) and found by a hash of their names.
struct Viewports {
  std::vector<std::unique_ptr<SgViewportInfo>> list;
  std::unordered_map<std::string, SgViewportInfo*> byName;
  std::vector<std::string> calls;
};

Viewports& V() {
  static Viewports v;
  return v;
}

// The viewport of `name`, made on first use; notes the call.
SgViewportInfo* Get(const char* name, const char* call) {
  Viewports& v = V();
  const std::string key = name ? name : "";
  v.calls.push_back(std::string(call) + "(" + key + ")");
  auto it = v.byName.find(key);
  if (it != v.byName.end()) return it->second;
  v.list.push_back(std::make_unique<SgViewportInfo>());
  SgViewportInfo* info = v.list.back().get();
  info->name = key;
  v.byName.emplace(key, info);
  return info;
}

void Copy3(const float* from, float* to) { std::copy(from, from + 3, to); }

}  // namespace

int SgSetViewport(const char* name, const float rect[4]) {
  if (!name || !rect) return 0;
  SgViewportInfo* v = Get(name, "SgSetViewport");
  std::copy(rect, rect + 4, v->rect);
  v->hasRect = true;
  return 1;
}

int SgSetViewportDepth(const char* name, float depth) {
  if (!name) return 0;
  SgViewportInfo* v = Get(name, "SgSetViewportDepth");
  v->depth = depth;
  v->hasDepth = true;
  return 1;
}

int SgEnableViewport(const char* name, int enable) {
  if (!name) return 0;
  Get(name, "SgEnableViewport")->enabled = enable ? 1 : 0;
  return 1;
}

int SgEnableViewportBackground(const char* name, int enable) {
  if (!name) return 0;
  Get(name, "SgEnableViewportBackground")->background = enable ? 1 : 0;
  return 1;
}

int SgSetViewportOnField(const char* name, SGKEY key) {
  if (!name) return 0;
  SgViewportInfo* v = Get(name, "SgSetViewportOnField");
  // Few nodes per viewport: the linear test is cheaper than a set.
  if (std::find(v->fields.begin(), v->fields.end(), key) == v->fields.end()) v->fields.push_back(key);
  return 1;
}

int SgSetViewportFollow(const char* name, const char* path, float deflection1, float deflection2) {
  if (!name) return 0;
  SgViewportInfo* v = Get(name, "SgSetViewportFollow");
  v->hasFollow = true;
  v->follow = path ? path : "";
  v->deflection[0] = deflection1;
  v->deflection[1] = deflection2;
  return 1;
}

int SgSetCameraPos(const float pos[3], const char* viewport) {
  if (!pos) return 0;
  SgViewportInfo* v = Get(viewport, "SgSetCameraPos");
  Copy3(pos, v->pos);
  v->hasPos = true;
  return 1;
}

int SgSetCameraTarget(const float target[3], const char* viewport) {
  if (!target) return 0;
  SgViewportInfo* v = Get(viewport, "SgSetCameraTarget");
  Copy3(target, v->target);
  v->hasTarget = true;
  return 1;
}

int SgSetCameraVector(const float up[3], const char* viewport) {
  if (!up) return 0;
  SgViewportInfo* v = Get(viewport, "SgSetCameraVector");
  Copy3(up, v->up);
  v->hasUp = true;
  return 1;
}

int SgGetViewportInfo(const char* name, SgViewportInfo* info) {
  auto it = V().byName.find(name ? name : "");
  if (it == V().byName.end()) return 0;
  if (info) *info = *it->second;
  return 1;
}

int SgViewportCount() { return (int)V().list.size(); }

const std::vector<std::string>& SgViewportCalls() { return V().calls; }

void SgResetViewports() {
  Viewports& v = V();
  v.byName.clear();
  v.list.clear();
  v.calls.clear();
}
