// Loaders of the model and data files a script names, and the record of what was loaded.
//
// The formats themselves (scene models, animations, states, 3DS models, assembly models) belong
// to the stream, solver and graphics libraries of a full installation. Here each loader checks
// that its file is a regular file it may read and makes what the rest of the system relies on:
//
//   scene model (.sgv)       a node named after the file under the current field
//   3DS model (.3ds)         a node named after the file under the current field
//   animation (.anm)         the given animation takes the file as its source
//   animation list (.anb)    one animation, named after the file's stem, stands for the list
//   state (.sta, .env)       a status object named after the file's stem
//   assembly model (.sgam)   the model is added to the solver of the module tree
//
// Every loader returns 0 (and sets the library's error message) when the file cannot be read.
#pragma once

#include <list>
#include <string>
#include <vector>

#include "sg/Animation.h"
#include "sg/Kvo.h"

class CSgEnvironment;
class CSgModule;

// The last component of a path ('/' and '\' both separate), and that without its extension.
std::string SgFileNameOf(const char* path);
std::string SgFileStemOf(const char* path);

// A scene model: a child node under the current field (under the root when none is open),
// named `nodeName` or, when that is null, after the file; its contents "file" hold the path.
// Returns the node's key, -1 on failure.
SGKEY VtkReadStreamFile(const char* path, CSgEnvironment* environment, const char* nodeName = nullptr);

// A 3DS model, the same way as a scene model. Returns the node's key, -1 on failure.
SGKEY SgUtRead3dsFile(const char* path, const char* nodeName = nullptr);

// Fills `animation` from an animation file.
int ImportAnimFile(const char* path, CAnimation* animation, int frameRate, double start);

// Appends the animations of an animation-list file to `list` (new objects; the caller hands
// them on and then empties the list with ClearAnimationList). `flags` is not used.
int ReadAnimationListFromFile(const char* path, std::list<CAnimation*>& list, int flags, CSgModule* module);
// Empties the list; the animations are not deleted (they were handed to a module).
void ClearAnimationList(std::list<CAnimation*>& list);

// A state (status) of the scene, kept by the module (runtime type code SGT_STATUS).
class CSgStatus : public CKvoObject {
 public:
  explicit CSgStatus(const char* name = nullptr) : CKvoObject(SGT_STATUS, name) {}
  void SetSourceFile(const char* path) { m_source = path ? path : ""; }
  const char* SourceFile() const { return m_source.c_str(); }
  const char* KindName() const override { return "CSgStatus"; }
  void Describe(CDescriber& d) const override;

 private:
  std::string m_source;
};

// A state or environment file: *status gets a new status (owned by the caller), or null.
int ReadEnviromentFile(const char* path, CSgStatus*& status, CSgModule* module);

// The constraint solver of a module tree (CSgEnvironment::Solver).
class CSlvConstrainSystem {
 public:
  // Adds the assembly model of the file; 0 when it cannot be read.
  int LoadSlvModel(const char* path);
  const std::vector<std::string>& Models() const { return m_models; }

 private:
  std::vector<std::string> m_models;
};

// One model or data file a script loaded, kept by the module it was loaded in so that the
// dumps show it: the file's name, its whole path, its format ("scene model", ...), where it
// went (a node's path, an object's full name, "solver") and whether it was loaded or only
// checked (scene models while models are not loaded).
class CSgLoadedFile : public CKvoObject {
 public:
  CSgLoadedFile(const char* path, const char* format, const char* target, int loaded);
  const char* Path() const { return m_path.c_str(); }
  const char* Format() const { return m_format.c_str(); }
  const char* Target() const { return m_target.c_str(); }
  int Loaded() const { return m_loaded; }
  const char* KindName() const override { return "CSgLoadedFile"; }
  void Describe(CDescriber& d) const override;

 private:
  std::string m_path, m_format, m_target;
  int m_loaded;
};
