// The loaders of model and data files (see sg/Loaders.h), CAnimation and the load records.
#include "sg/Loaders.h"

#include <string>

#include "sg/Describe.h"
#include "sg/Gfx.h"
#include "sg/Module.h"
#include "sg/Platform.h"
#include "sg/View.h"

namespace {

// Every loader starts here: a file that is missing, not a regular file or not readable is
// refused with the library's error message, and nothing is made.
bool Readable(const char* path) {
  if (path && SgIsReadableFile(path)) return true;
  SgSetErrorMessage((std::string("cannot read file ") + (path ? path : "")).c_str());
  return false;
}

// A node under the current field (the root when none is open), named after the file unless a
// name is given (a caller that found the file under a converted name keeps the name it wrote).
SGKEY NodeForFile(const char* path, const char* nodeName) {
  SGKEY parent = SgCurrentField();
  std::string base = "/";
  SgFieldInfo info;
  if (parent != SG_NO_KEY && SgGetFieldInfo(parent, &info)) base = info.path;
  std::string name = nodeName ? SgFileNameOf(nodeName) : SgFileNameOf(path);
  if (name.empty()) return SG_NO_KEY;
  SGKEY key = SgOpenField((base == "/" ? "/" : base + "/").append(name).c_str());
  SgCloseField();  // the field that was current before stays current
  if (key != SG_NO_KEY) SgSetFieldContents(key, "file", path);
  return key;
}

}  // namespace

std::string SgFileNameOf(const char* path) {
  std::string p = path ? path : "";
  size_t cut = p.find_last_of("/\\");
  return cut == std::string::npos ? p : p.substr(cut + 1);
}

std::string SgFileStemOf(const char* path) {
  std::string name = SgFileNameOf(path);
  size_t dot = name.rfind('.');
  return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

SGKEY VtkReadStreamFile(const char* path, CSgEnvironment*, const char* nodeName) {
  return Readable(path) ? NodeForFile(path, nodeName) : SG_NO_KEY;
}

SGKEY SgUtRead3dsFile(const char* path, const char* nodeName) {
  return Readable(path) ? NodeForFile(path, nodeName) : SG_NO_KEY;
}

int ImportAnimFile(const char* path, CAnimation* animation, int frameRate, double start) {
  if (!animation || !Readable(path)) return 0;
  animation->SetSourceFile(path, frameRate, start);
  return 1;
}

// The list file is not taken apart here: one animation, named after the file, stands for it.
int ReadAnimationListFromFile(const char* path, std::list<CAnimation*>& list, int, CSgModule*) {
  if (!Readable(path)) return 0;
  auto* a = new CAnimation(SgFileStemOf(path).c_str());
  a->SetSourceFile(path, 0, 0.0);
  list.push_back(a);
  return 1;
}

void ClearAnimationList(std::list<CAnimation*>& list) { list.clear(); }

int ReadEnviromentFile(const char* path, CSgStatus*& status, CSgModule*) {
  status = nullptr;
  if (!Readable(path)) return 0;
  status = new CSgStatus(SgFileStemOf(path).c_str());
  status->SetSourceFile(path);
  return 1;
}

void CSgStatus::Describe(CDescriber& d) const { d.Text("file", m_source.c_str()); }

int CSlvConstrainSystem::LoadSlvModel(const char* path) {
  if (!Readable(path)) return 0;
  m_models.emplace_back(path);
  return 1;
}

// The solver is made on first need, like the environment that holds it.
CSlvConstrainSystem* CSgEnvironment::Solver() {
  if (!m_solver) m_solver = std::make_shared<CSlvConstrainSystem>();
  return m_solver.get();
}

// ---------------------------------------------------------------------------------------------
// The load records

CSgLoadedFile::CSgLoadedFile(const char* path, const char* format, const char* target, int loaded)
    : CKvoObject(0, SgFileNameOf(path).c_str()),
      m_path(path ? path : ""),
      m_format(format ? format : ""),
      m_target(target ? target : ""),
      m_loaded(loaded) {}

void CSgLoadedFile::Describe(CDescriber& d) const {
  d.Text("path", m_path.c_str());
  d.Text("format", m_format.c_str());
  d.Text("target", m_target.c_str());
  d.Bool("loaded", m_loaded != 0);
}
