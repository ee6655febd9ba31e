// CSgImage: a picture placed on the screen or in the scene (runtime type SGT_IMAGE).
//
// A reader configures the image and then calls Create, which places it in the scene: the node
// of its path name (and of its name below that, when it has one) receives an inserted image
// child that carries the bitmap. Creating again updates that child instead of adding another.
#pragma once

#include <string>

#include "sg/Kvo.h"
#include "sg/Types.h"

class CSgImage : public CKvoObject {
 public:
  explicit CSgImage(const char* name = nullptr) : CKvoObject(SGT_IMAGE, name) {}

  // The node beneath which a base picture is looked for, and how the image is drawn; the
  // library keeps these for the renderer.
  void SetBaseKey(SGKEY key) { m_baseKey = key; }
  SGKEY BaseKey() const { return m_baseKey; }
  void SetCorner(int corner) { m_corner = corner; }        // the position names a corner
  void SetDrawMode(int mode) { m_drawMode = mode; }        // 0: modulate with the template
  void SetKeepInMemory(int keep) { m_keepInMemory = keep; }
  void SetVisibility(int visible) { m_visible = visible ? 1 : 0; }
  int Visible() const { return m_visible; }
  void SetPathName(const char* path) { m_pathName = path ? path : ""; }
  const std::string& PathName() const { return m_pathName; }
  void SetWorldPos(int world) { m_world = world; }
  void SetOffset(const float offset[2]);
  void SetPosition(const float pos[3]);
  void SetSize(float w, float h);
  void SetTransparency(float t) { m_transparency = t; }
  void SetFileName(const char* file) { m_file = file ? file : ""; }
  void SetMaskFileName(const char* file) { m_mask = file ? file : ""; }
  const std::string& FileName() const { return m_file; }
  void SetStretch(int stretch) { m_stretch = stretch; }
  void SetMask(int mask) { m_useMask = mask; }

  // What the image was given, for the host and the tests.
  int Corner() const { return m_corner; }
  int DrawMode() const { return m_drawMode; }
  int KeepInMemory() const { return m_keepInMemory; }
  int WorldPos() const { return m_world; }
  int Stretch() const { return m_stretch; }
  int Mask() const { return m_useMask; }
  float Transparency() const { return m_transparency; }
  const float* Position() const { return m_position; }
  const float* Size() const { return m_size; }
  const std::string& MaskFileName() const { return m_mask; }

  // Places the image in the scene (see above); 1 when it is there.
  virtual int Create();
  // The node the image was placed under (its path name, and name); -1 before Create.
  SGKEY FieldKey() const { return m_fieldKey; }
  // The inserted child that carries the bitmap; -1 before Create.
  SGKEY ImageKey() const { return m_imageKey; }
  // The node path Create uses: the path name, followed by "/" and the name when there is one.
  std::string NodePath() const;

  const char* KindName() const override { return "CSgImage"; }
  void Describe(CDescriber& d) const override;

 private:
  SGKEY m_baseKey = SG_NO_KEY;
  int m_corner = 0;
  int m_drawMode = 1;
  int m_keepInMemory = 0;
  int m_visible = 1;
  std::string m_pathName;
  int m_world = 0;
  float m_offset[2] = {0, 0};
  float m_position[3] = {0, 0, 1};
  float m_size[2] = {0, 0};
  float m_transparency = 1.0f;
  std::string m_file;
  std::string m_mask;
  int m_stretch = 1;
  int m_useMask = 0;
  SGKEY m_fieldKey = SG_NO_KEY;
  SGKEY m_imageKey = SG_NO_KEY;
};
