// Viewports and cameras of the graphics field library.
//
// Besides the main view, a scene may have extra views, each a rectangle of the screen with its
// own camera, depth, background switch, the nodes it shows and a node it follows. The library
// keeps them by name (names compare exactly); the first call naming a viewport makes it. The
// camera calls take a viewport name, and a null or empty name means the main view's camera.
//
// Like the scene, the viewports are process-wide; SgResetScene removes them all. The library
// also notes each call in order (SgViewportCalls), so that a host or a test can see what the
// view was asked and in which order.
#pragma once

#include <string>
#include <vector>

#include "sg/Types.h"

// Functions returning int give non-zero on success; a null name (a null vector) fails, except
// for the camera calls, where a null name is the main view.
int SgSetViewport(const char* name, const float rect[4]);
int SgSetViewportDepth(const char* name, float depth);
int SgEnableViewport(const char* name, int enable);
int SgEnableViewportBackground(const char* name, int enable);
// Adds a node the viewport shows (a node given twice is shown once).
int SgSetViewportOnField(const char* name, SGKEY key);
// The viewport keeps the node of `path` in view, from `deflection1` and `deflection2` (the
// second is -1 when not given).
int SgSetViewportFollow(const char* name, const char* path, float deflection1, float deflection2);
int SgSetCameraPos(const float pos[3], const char* viewport);
int SgSetCameraTarget(const float target[3], const char* viewport);
int SgSetCameraVector(const float up[3], const char* viewport);

// What the library holds for one viewport ("" is the main view, made by a camera call).
struct SgViewportInfo {
  std::string name;
  bool hasRect = false;
  float rect[4] = {0, 0, 0, 0};
  bool hasDepth = false;
  float depth = 0;
  int enabled = -1;     // -1 until enabled or disabled
  int background = -1;  // -1 until switched
  bool hasPos = false, hasTarget = false, hasUp = false;
  float pos[3] = {0, 0, 0}, target[3] = {0, 0, 0}, up[3] = {0, 0, 0};
  std::vector<SGKEY> fields;
  bool hasFollow = false;
  std::string follow;
  float deflection[2] = {0, -1};
};

// 0 when no viewport has the name; info receives a copy otherwise.
int SgGetViewportInfo(const char* name, SgViewportInfo* info);
int SgViewportCount();
// The calls made since the reset, one line each: "SgSetViewport(v1)", "SgSetCameraPos(v1)", ...
const std::vector<std::string>& SgViewportCalls();
// Removes every viewport and the call record (called by SgResetScene).
void SgResetViewports();
