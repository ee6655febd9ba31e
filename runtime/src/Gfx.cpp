// The graphics field library: an in-memory scene of nodes by path, the current field,
// node appearance and contents, the background, error message and the trace writer.
#include "sg/Gfx.h"

#include <algorithm>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <unordered_map>

#include "sg/Display.h"
#include "sg/Module.h"
#include "sg/MultiText.h"
#include "sg/Platform.h"
#include "sg/Viewport.h"

namespace {

// One scene node. Its SgFieldInfo is what SgGetFieldInfo hands out, so the node keeps
// its public properties there and only the bookkeeping beside it.
struct Node {
  SgFieldInfo info;                                       // key, owner, path, appearance, contents
  std::string name;                                       // the last path segment ("" for the root)
  std::vector<SGKEY> children;                            // in order of creation
  std::unordered_map<std::string, size_t> contentIndex;   // contents name -> index in info.contents
};

// The whole process-wide state of the library, in one place.
// Keys are never reused within one scene: a key handed to a reader stays valid (or
// unknown) until SgResetScene, and never silently names another node.
struct Scene {
  std::unordered_map<SGKEY, std::unique_ptr<Node>> nodes;
  std::unordered_map<std::string, SGKEY> byPath;  // canonical path -> key
  SGKEY nextKey = 1;
  std::vector<SGKEY> openStack;                   // current field on top
  // For each parent and kind of inserted child ("<key>/zrect"), the suffix to try next: nodes
  // are never removed (only the whole scene is reset), so every suffix below it is taken and the
  // k-th insert does not try k names.
  std::unordered_map<std::string, unsigned> insertNext;
  SgBackground background;
  std::string errorMessage;
  std::string workDir;
  std::string traceTarget;
  bool traceIsDirectory = false;
  int clientWidth = 1024;  // the host's drawing area (SgSetClientSize)
  int clientHeight = 768;
  std::vector<SgTextureData> textures;                  // texture i has identifier i + 1
  std::vector<SgProjectorInfo> projectors;              // in order of first setting
  std::unordered_map<std::string, size_t> projectorAt;  // name -> index in projectors

  Scene() { Reset(); }

// Back to an empty scene holding only the root.
  void Reset() {
    nodes.clear();
    byPath.clear();
    insertNext.clear();
    openStack.clear();
    background = SgBackground();
    errorMessage.clear();
    workDir.clear();
    traceTarget.clear();
    traceIsDirectory = false;
    clientWidth = 1024;
    clientHeight = 768;
    textures.clear();
    projectors.clear();
    projectorAt.clear();
    nextKey = 1;
    // The root always exists and gets the first key.
    auto root = std::make_unique<Node>();
    root->info.key = nextKey++;
    root->info.owner = SG_NO_KEY;
    root->info.path.assign(1, '/');
    byPath["/"] = root->info.key;
    nodes[root->info.key] = std::move(root);
  }

// The node of a key; nullptr for -1 or an unknown key.
  Node* Get(SGKEY key) {
    auto it = nodes.find(key);
    return it == nodes.end() ? nullptr : it->second.get();
  }

// The current field is the top of the open stack.
  SGKEY Current() const { return openStack.empty() ? SG_NO_KEY : openStack.back(); }

  // A new child of parent named name (the caller made sure it does not exist yet).
  Node* MakeChild(Node* parent, const std::string& name) {
    auto node = std::make_unique<Node>();
    Node* n = node.get();
    n->name = name;
    n->info.key = nextKey++;
    n->info.owner = parent->info.key;
    n->info.path = parent->info.path == "/" ? "/" + name : parent->info.path + "/" + name;
    parent->children.push_back(n->info.key);
    byPath[n->info.path] = n->info.key;
    nodes[n->info.key] = std::move(node);
    return n;
  }
};

// The one scene of the process, made on first use.
Scene& S() {
  static Scene scene;
  return scene;
}

// Splits a path into its node names: '\\' and '/' both separate; empty names are dropped.
std::vector<std::string> Segments(const char* path) {
  std::vector<std::string> segs;
  std::string cur;
  for (const char* p = path; *p; ++p) {
    if (*p == '/' || *p == '\\') {
      if (!cur.empty()) segs.push_back(std::move(cur));
      cur.clear();
    } else {
      cur += *p;
    }
  }
  if (!cur.empty()) segs.push_back(std::move(cur));
  return segs;
}

// The canonical path of a list of node names: "/" alone for the root.
std::string Join(const std::vector<std::string>& segs) {
  if (segs.empty()) return "/";
  std::string p;
  for (const std::string& s : segs) p += "/" + s;
  return p;
}

// A path from the root begins with a separator.
bool IsAbsolute(const char* path) { return path[0] == '/' || path[0] == '\\'; }

// A node by canonical path: one hash lookup.
SGKEY Lookup(const std::string& canonical) {
  auto it = S().byPath.find(canonical);
  return it == S().byPath.end() ? SG_NO_KEY : it->second;
}

// The bases a relative path is tried under, in order.
std::vector<std::string> RelativeBases(CSgModule* module) {
  std::vector<std::string> bases;
  if (module) {
    std::string mp = module->PathName();
    for (char& c : mp)
      if (c == ':') c = '/';
    bases.push_back("/scene/" + mp);
  }
  bases.push_back("/scene");
  bases.push_back("/");
  return bases;
}

// '*' matches any run of characters, '?' one character; no backtracking recursion.
bool GlobMatch(const std::string& pat, const std::string& text) {
  size_t p = 0, t = 0, starP = std::string::npos, starT = 0;
  while (t < text.size()) {
    if (p < pat.size() && (pat[p] == '?' || pat[p] == text[t])) {
      ++p;
      ++t;
    } else if (p < pat.size() && pat[p] == '*') {
      starP = p++;
      starT = t;
    } else if (starP != std::string::npos) {
      p = starP + 1;
      t = ++starT;
    } else {
      return false;
    }
  }
  while (p < pat.size() && pat[p] == '*') ++p;
  return p == pat.size();
}

// A segment without wildcards is found by path instead of by scanning children.
bool HasWildcard(const std::string& s) { return s.find_first_of("*?") != std::string::npos; }

// The nodes under base whose relative path matches the pattern segments, in tree order.
std::vector<SGKEY> MatchUnder(SGKEY base, const std::vector<std::string>& pattern) {
  std::vector<SGKEY> level{base};
  for (const std::string& seg : pattern) {
    std::vector<SGKEY> next;
    for (SGKEY k : level) {
      Node* n = S().Get(k);
      if (!n) continue;
      if (!HasWildcard(seg)) {
        std::string path = n->info.path == "/" ? "/" + seg : n->info.path + "/" + seg;
        SGKEY c = Lookup(path);
        if (c != SG_NO_KEY) next.push_back(c);
        continue;
      }
      for (SGKEY c : n->children) {
        Node* cn = S().Get(c);
        if (cn && GlobMatch(seg, cn->name)) next.push_back(c);
      }
    }
    level.swap(next);
    if (level.empty()) break;
  }
  return level;
}

// Bounded copy: 1 when text fits (with its terminator), else 0 with a cut, terminated copy.
int CopyOut(const std::string& text, char* out, int size) {
  if (!out || size <= 0) return 0;
  size_t n = text.size();
  if (n + 1 > (size_t)size) {
    std::memcpy(out, text.data(), (size_t)size - 1);
    out[size - 1] = '\0';
    return 0;
  }
  std::memcpy(out, text.c_str(), n + 1);
  return 1;
}

// Sets one named content of a node, keeping the order in which names first appeared.
void SetContents(Node* n, const std::string& name, const std::string& value) {
  auto it = n->contentIndex.find(name);
  if (it != n->contentIndex.end()) {
    n->info.contents[it->second].second = value;
    return;
  }
  n->contentIndex[name] = n->info.contents.size();
  n->info.contents.emplace_back(name, value);
}

// Inserts a child named "<kind><n>" (n the first number not yet used) into the current field.
Node* InsertChild(const char* kind) {
  Node* parent = S().Get(S().Current());
  if (!parent) return nullptr;
  std::string hint = std::to_string(parent->info.key);
  hint += '/';
  hint += kind;
  unsigned& next = S().insertNext[hint];
  for (unsigned n = std::max(next, 1u);; ++n) {
    std::string name = kind + std::to_string(n);
    std::string path = parent->info.path == "/" ? "/" + name : parent->info.path + "/" + name;
    if (Lookup(path) == SG_NO_KEY) {
      next = n + 1;
      return S().MakeChild(parent, name);
    }
  }
}

}  // namespace

// ---------------------------------------------------------------- fields

// Opening pushes onto the open stack, so a nested open and close leave the outer
// field current again.
SGKEY SgOpenField(const char* path) {
  if (!path) return SG_NO_KEY;
  Node* n = S().Get(Lookup("/"));
  // Walk down from the root, creating each missing node.
  for (const std::string& seg : Segments(path)) {
    std::string childPath = n->info.path == "/" ? "/" + seg : n->info.path + "/" + seg;
    SGKEY c = Lookup(childPath);
    n = c != SG_NO_KEY ? S().Get(c) : S().MakeChild(n, seg);
  }
  S().openStack.push_back(n->info.key);
  return n->info.key;
}

// An unknown key leaves the current field as it was.
SGKEY SgOpenFieldByKey(SGKEY key) {
  if (!S().Get(key)) return SG_NO_KEY;
  S().openStack.push_back(key);
  return key;
}

// Returns to the field that was current before the matching open.
void SgCloseField() {
  if (!S().openStack.empty()) S().openStack.pop_back();
}

SGKEY SgCurrentField() { return S().Current(); }

// Lookup only: unlike SgOpenField this never creates a node.
SGKEY SgFieldExists(const char* path) {
  if (!path) return SG_NO_KEY;
  return Lookup(Join(Segments(path)));
}

// Relative paths are tried under the module's own branch of the scene first, so a
// module's "valve" hides a scene-wide one, then under /scene and the root.
SGKEY FindFieldByRelativePathName(CSgModule* module, const char* path) {
  if (!path || !*path) return SG_NO_KEY;
  std::vector<std::string> segs = Segments(path);
  if (IsAbsolute(path)) return Lookup(Join(segs));
  for (const std::string& base : RelativeBases(module)) {
    std::vector<std::string> full = Segments(base.c_str());
    full.insert(full.end(), segs.begin(), segs.end());
    SGKEY k = Lookup(Join(full));
    if (k != SG_NO_KEY) return k;
  }
  return SG_NO_KEY;
}

// Matches are given in tree order (creation order of children at each level); the
// bases are tried in the order of FindFieldByRelativePathName and the first base with
// any match wins, so matches from different bases are never mixed.
int FindAllFieldsByRelativePathName(CSgModule* module, const char* pattern, SGKEY** keys, int* count) {
  if (keys) *keys = nullptr;
  if (count) *count = 0;
  if (!pattern || !*pattern || !keys || !count) return 0;
  std::vector<std::string> segs = Segments(pattern);
  std::vector<std::string> bases;
  if (IsAbsolute(pattern)) bases.push_back("/");
  else bases = RelativeBases(module);
  for (const std::string& base : bases) {
    SGKEY b = Lookup(Join(Segments(base.c_str())));
    if (b == SG_NO_KEY) continue;
    std::vector<SGKEY> found = MatchUnder(b, segs);
    if (found.empty()) continue;
    *keys = static_cast<SGKEY*>(std::malloc(found.size() * sizeof(SGKEY)));
    if (!*keys) return 0;
    std::memcpy(*keys, found.data(), found.size() * sizeof(SGKEY));
    *count = (int)found.size();
    return 1;
  }
  return 0;
}

// Frees what FindAllFieldsByRelativePathName allocated (malloc); null is fine.
void SgFreeArray(void* array) { std::free(array); }

// Visibility is kept as 0 or 1.
int SgSetVisibilityByKey(SGKEY key, int visible) {
  Node* n = S().Get(key);
  if (!n) return 0;
  n->info.visible = visible ? 1 : 0;
  return 1;
}

int SgShowVisibilityByKey(SGKEY key, int* visible) {
  Node* n = S().Get(key);
  if (!n || !visible) return 0;
  *visible = n->info.visible;
  return 1;
}

// The matrix is stored as given (16 floats); the flag is recorded for the dumps.
int SgSetTransformByKey(SGKEY key, const float m[16], int flag) {
  Node* n = S().Get(key);
  if (!n || !m) return 0;
  std::memcpy(n->info.transform, m, sizeof n->info.transform);
  n->info.transformFlag = flag;
  return 1;
}

void SgComputeMatrix3dIdentity(float m[16]) {
  for (int i = 0; i < 16; ++i) m[i] = (i % 5 == 0) ? 1.0f : 0.0f;
}

int SgShowMaterialDiffuseByKey(SGKEY key, float rgba[4]) {
  Node* n = S().Get(key);
  if (!n || !rgba || !n->info.hasDiffuse) return 0;
  std::memcpy(rgba, n->info.diffuse, sizeof n->info.diffuse);
  return 1;
}

// Only diffuse colours are kept per node: the other channels are never known here.
int SgShowMaterialAmbientByKey(SGKEY, float*) { return 0; }
int SgShowMaterialSpecularByKey(SGKEY, float*) { return 0; }
int SgShowMaterialEmissionByKey(SGKEY, float*) { return 0; }

int SgShowTransformByKey(SGKEY key, float m[16]) {
  Node* n = S().Get(key);
  if (!n || !m) return 0;
  std::memcpy(m, n->info.transform, sizeof n->info.transform);
  return 1;
}

// The root's owner is -1.
int SgShowOwner(SGKEY key, SGKEY* owner) {
  Node* n = S().Get(key);
  if (!n || !owner) return 0;
  *owner = n->info.owner;
  return 1;
}

int SgShowFieldPathName(SGKEY key, char* out, int size) {
  Node* n = S().Get(key);
  if (!n) {
    if (out && size > 0) out[0] = '\0';
    return 0;
  }
  return CopyOut(n->info.path, out, size);
}

// A null value stores an empty text; a null name is refused.
int SgSetFieldContents(SGKEY key, const char* name, const char* value) {
  Node* n = S().Get(key);
  if (!n || !name) return 0;
  SetContents(n, name, value ? value : "");
  return 1;
}

int SgShowFieldContentsByKey(SGKEY key, const char* name, char* out, int size) {
  const char* v = SgFieldContents(key, name);
  if (!v) {
    if (out && size > 0) out[0] = '\0';
    return 0;
  }
  return CopyOut(v, out, size);
}

// The stored text stays valid until the same content is set again or the scene is reset.
const char* SgFieldContents(SGKEY key, const char* name) {
  Node* n = S().Get(key);
  if (!n || !name) return nullptr;
  auto it = n->contentIndex.find(name);
  return it == n->contentIndex.end() ? nullptr : n->info.contents[it->second].second.c_str();
}

// ---------------------------------------------------------------- inserts

// Inserted nodes are children of the current field named after their kind and a
// number; the inserted text or file is kept as the node's contents.
SGKEY SgInsertImage(const char* file) {
  Node* n = InsertChild("image");
  if (!n) return SG_NO_KEY;
  SetContents(n, "image", file ? file : "");
  return n->info.key;
}

// The placed image keeps its template file beside its own, so a dump shows both.
SGKEY SgInsertImage(const char* file, const char* mask, const float pos[3], const float size[2]) {
  SGKEY key = SgInsertImage(file);
  Node* n = S().Get(key);
  if (!n) return SG_NO_KEY;
  if (mask && *mask) SetContents(n, "mask", mask);
  n->info.hasImage = true;
  for (int i = 0; i < 3; ++i) n->info.imagePos[i] = pos ? pos[i] : 0.0f;
  for (int i = 0; i < 2; ++i) n->info.imageSize[i] = size ? size[i] : 0.0f;
  return key;
}

int SgSetImagePlacement(SGKEY key, const float pos[3], const float size[2]) {
  Node* n = S().Get(key);
  if (!n || !n->info.hasImage) return 0;
  for (int i = 0; i < 3; ++i) n->info.imagePos[i] = pos ? pos[i] : 0.0f;
  for (int i = 0; i < 2; ++i) n->info.imageSize[i] = size ? size[i] : 0.0f;
  return 1;
}

SGKEY SgInsertRemark(const char* text) {
  Node* n = InsertChild("remark");
  if (!n) return SG_NO_KEY;
  SetContents(n, "remark", text ? text : "");
  return n->info.key;
}

SGKEY SgInsertText3d(const char* text) {
  Node* n = InsertChild("text3d");
  if (!n) return SG_NO_KEY;
  SetContents(n, "text", text ? text : "");
  return n->info.key;
}

// A text node remembers its kind, so that the text setters refuse every other node.
SGKEY SgInsertRemark(float x, float y, float z, const char* text, const SgLogFont* font, float w, float h) {
  SGKEY key = SgInsertRemark(text);
  Node* n = S().Get(key);
  if (!n) return SG_NO_KEY;
  n->info.textKind = "remark";
  SgTextInfo& t = n->info.text;
  t.position[0] = x, t.position[1] = y, t.position[2] = z;
  t.size[0] = w, t.size[1] = h;
  if (font) t.font = *font, t.hasFont = true;
  return key;
}

SGKEY SgInsertText3d(const float pos[3], const float scale[3], const char* text, const SgLogFont* font) {
  SGKEY key = SgInsertText3d(text);
  Node* n = S().Get(key);
  if (!n) return SG_NO_KEY;
  n->info.textKind = "text3d";
  SgTextInfo& t = n->info.text;
  for (int i = 0; i < 3; ++i) {
    t.position[i] = pos ? pos[i] : 0.0f;
    t.scale[i] = scale ? scale[i] : 1.0f;
  }
  if (font) t.font = *font, t.hasFont = true;
  return key;
}

SGKEY SgInsertStencil() {
  Node* n = InsertChild("stencil");
  return n ? n->info.key : SG_NO_KEY;
}

// A null list or a count below 1 gives a stencil without points.
SGKEY SgInsertStencil(int count, const float* points) {
  SGKEY key = SgInsertStencil();
  Node* n = S().Get(key);
  if (!n) return SG_NO_KEY;
  n->info.hasStencil = true;
  if (points && count > 0) n->info.stencil.assign(points, points + 3 * (size_t)count);
  return key;
}

// A missing position or size counts as zeros.
SGKEY SgInsertZRect(const float pos[2], const float size[2]) {
  Node* n = InsertChild("zrect");
  if (!n) return SG_NO_KEY;
  n->info.hasZRect = true;
  for (int i = 0; i < 2; ++i) {
    n->info.zrect.pos[i] = pos ? pos[i] : 0.0f;
    n->info.zrect.size[i] = size ? size[i] : 0.0f;
  }
  return n->info.key;
}

// ---------------------------------------------------------------- current field appearance

// Appearance setters act on the current field and fail without one.
int SgSetTexture(const char* file) {
  Node* n = S().Get(S().Current());
  if (!n) return 0;
  n->info.texture = file ? file : "";
  return 1;
}

int SgSetMaterialDiffuse(const float rgba[4]) {
  Node* n = S().Get(S().Current());
  if (!n || !rgba) return 0;
  std::memcpy(n->info.diffuse, rgba, sizeof n->info.diffuse);
  n->info.hasDiffuse = true;
  return 1;
}

int SgSetTransparency(float transparency) {
  Node* n = S().Get(S().Current());
  if (!n) return 0;
  n->info.transparency = transparency;
  n->info.hasTransparency = true;
  return 1;
}

// ---------------------------------------------------------------- global

// The background belongs to the scene as a whole, not to a field.
int SgSetBackgroundImage(const char* file) {
  S().background.image = file ? file : "";
  return 1;
}

int SgSetBackgroundColor(const float c1[3], const float c2[3]) {
  if (!c1) return 0;
  SgBackground& bg = S().background;
  std::memcpy(bg.color1, c1, sizeof bg.color1);
  // Without a second colour the background is plain.
  std::memcpy(bg.color2, c2 ? c2 : c1, sizeof bg.color2);
  bg.hasColor = true;
  return 1;
}

void SgGetBackground(SgBackground* bg) {
  if (bg) *bg = S().background;
}

// The last error the runtime was told about; null clears it.
void SgSetErrorMessage(const char* text) { S().errorMessage = text ? text : ""; }

const char* SgGetErrorMessage() { return S().errorMessage.c_str(); }

// The directory SgGetFullFilename tries after the name as given.
void SgSetWorkDirectory(const char* dir) { S().workDir = dir ? dir : ""; }

const char* SgGetWorkDirectory() { return S().workDir.c_str(); }

int SgGetFullFilename(const char* name, char* out, int size) {
  if (!name || !*name) return 0;
  // Script paths may use '\\'; the filesystem is reached with '/'.
  std::string n = name;
  for (char& c : n)
    if (c == '\\') c = '/';
  std::vector<std::string> candidates{n};
  if (n[0] != '/') {
    if (!S().workDir.empty()) candidates.push_back(S().workDir + "/" + n);
    candidates.push_back(SgHostDirectory() + "/" + n);
  }
  for (const std::string& c : candidates) {
    if (SgPathExists(c.c_str())) return CopyOut(c, out, size);
  }
  return 0;
}

// ---------------------------------------------------------------- trace writer

// An empty path removes the target: from then on nothing is traced.
void SgSetTraceTarget(const char* path, int bDirectory) {
  S().traceTarget = path ? path : "";
  S().traceIsDirectory = bDirectory != 0 && !S().traceTarget.empty();
}

// Each dump opens, writes and closes its file, so a trace is complete even if the
// host stops abruptly.
void SgDumpString(const char* file, int append, const char* fmt, ...) {
  if (S().traceTarget.empty() || !fmt) return;  // no target: nothing is written anywhere
  // Format into a string of the right size.
  va_list ap;
  va_start(ap, fmt);
  va_list ap2;
  va_copy(ap2, ap);
  int n = std::vsnprintf(nullptr, 0, fmt, ap);
  va_end(ap);
  std::string text;
  if (n > 0) {
    text.resize((size_t)n + 1);
    std::vsnprintf(text.data(), text.size(), fmt, ap2);
    text.resize((size_t)n);
  }
  va_end(ap2);

  std::string target = S().traceTarget;
  const char* mode = "ab";  // a file target collects every dump
  if (S().traceIsDirectory) {
    // Name the file after the last component of the dump's file name; never let that
    // name climb out of the directory.
    std::string base = file ? file : "";
    size_t cut = base.find_last_of("/\\");
    if (cut != std::string::npos) base = base.substr(cut + 1);
    if (base.empty() || base == "." || base == "..") base = "trace.txt";
    target += "/" + base;
    mode = append ? "ab" : "wb";
  }
  FILE* f = std::fopen(target.c_str(), mode);
  if (!f) return;
  std::fwrite(text.data(), 1, text.size(), f);
  std::fclose(f);
}

// ---------------------------------------------------------------- textures and projectors

int SgDefineTexture(const char* name, const char* file, const char* mask, int o0, int o1, int o2, int o3, int o4) {
  if (!file || !*file) return 0;
  SgTextureData t;
  t.id = (int)S().textures.size() + 1;
  t.name = name ? name : "";
  t.file = file;
  t.mask = mask ? mask : "";
  const int options[5] = {o0, o1, o2, o3, o4};
  std::copy(options, options + 5, t.options);
  S().textures.push_back(std::move(t));
  return S().textures.back().id;
}

int SgShowTextureData(int handle, SgTextureData* out) {
  if (handle < 1 || handle > (int)S().textures.size()) return 0;
  if (out) *out = S().textures[(size_t)handle - 1];
  return 1;
}

int SgTextureCount() { return (int)S().textures.size(); }

namespace {

// The projector of a name, made on its first setting; nullptr for a null name.
SgProjectorInfo* Projector(const char* name) {
  if (!name) return nullptr;
  Scene& s = S();
  auto [it, made] = s.projectorAt.emplace(name, s.projectors.size());
  if (made) {
    s.projectors.emplace_back();
    s.projectors.back().name = name;
  }
  return &s.projectors[it->second];
}

}  // namespace

int SgSetProjector(const char* name, const float pos[3], const float target[3], const float up[3], int texture,
                   float blend, float repeatU, float repeatV) {
  SgProjectorInfo* p = Projector(name);
  if (!p) return 0;
  for (int i = 0; i < 3; ++i) {
    p->pos[i] = pos ? pos[i] : 0.0f;
    p->target[i] = target ? target[i] : 0.0f;
    p->up[i] = up ? up[i] : 0.0f;
  }
  p->texture = texture;
  p->blend = blend;
  p->repeat[0] = repeatU;
  p->repeat[1] = repeatV;
  return 1;
}

int SgSetProjectorBlendType(const char* name, int type) {
  SgProjectorInfo* p = Projector(name);
  if (!p) return 0;
  p->blendType = type;
  return 1;
}

const std::vector<SgProjectorInfo>& SgProjectors() { return S().projectors; }

// Used by hosts between scenes and by tests.
void SgResetScene() {
  S().Reset();
  SgResetDisplayOptions();
  SgResetViewports();
}

// ---------------------------------------------------------------- walking

// Walking the scene: children in creation order.
int SgFieldChildCount(SGKEY key) {
  Node* n = S().Get(key);
  return n ? (int)n->children.size() : 0;
}

SGKEY SgFieldChild(SGKEY key, int i) {
  Node* n = S().Get(key);
  if (!n || i < 0 || i >= (int)n->children.size()) return SG_NO_KEY;
  return n->children[(size_t)i];
}

const char* SgFieldName(SGKEY key) {
  Node* n = S().Get(key);
  return n ? n->name.c_str() : nullptr;
}

// A copy of the node's properties; later changes to the node do not show in it.
int SgGetFieldInfo(SGKEY key, SgFieldInfo* info) {
  Node* n = S().Get(key);
  if (!n || !info) return 0;
  *info = n->info;
  return 1;
}

// ---------------------------------------------------------------- contents search

// Only the direct children are searched: inserts always land there, and a node's own
// contents are read with SgShowFieldContentsByKey.
int SgSearchContentsByKey(SGKEY key, const char* name, SGKEY** hits, int* count) {
  if (hits) *hits = nullptr;
  if (count) *count = 0;
  Node* n = S().Get(key);
  if (!n || !name || !*name || !hits || !count) return 0;
  std::string want = name, singular;
  if (want.size() > 1 && want.back() == 's') singular = want.substr(0, want.size() - 1);
  std::vector<SGKEY> found;
  for (SGKEY c : n->children) {
    Node* cn = S().Get(c);
    if (!cn) continue;
    if (cn->contentIndex.count(want) || (!singular.empty() && cn->contentIndex.count(singular))) found.push_back(c);
  }
  if (found.empty()) return 0;
  *hits = static_cast<SGKEY*>(std::malloc(found.size() * sizeof(SGKEY)));
  if (!*hits) return 0;
  std::memcpy(*hits, found.data(), found.size() * sizeof(SGKEY));
  *count = (int)found.size();
  return *count;
}

int SgSetHeuristicsByKey(SGKEY key, const char* hints) {
  Node* n = S().Get(key);
  if (!n) return 0;
  SetContents(n, "heuristics", hints ? hints : "");
  return 1;
}

// ---------------------------------------------------------------- fonts

namespace {

struct FontFace {
  const char* name;  // GBK bytes for the Chinese faces
  BYTE charSet;      // 134: the GBK character set, 0: ANSI
  BYTE pitchAndFamily;
};

// The faces every installation has; names are GBK so that scripts' bytes match them.
constexpr FontFace kFaces[] = {
    {"\xba\xda\xcc\xe5", 134, 2},                  // 黑体
    {"\xcb\xce\xcc\xe5", 134, 2},                  // 宋体
    {"\xd0\xc2\xcb\xce\xcc\xe5", 134, 1},          // 新宋体
    {"\xbf\xac\xcc\xe5", 134, 2},                  // 楷体
    {"\xb7\xc2\xcb\xce", 134, 2},                  // 仿宋
    {"\xc1\xa5\xca\xe9", 134, 2},                  // 隶书
    {"\xce\xa2\xc8\xed\xd1\xc5\xba\xda", 134, 2},  // 微软雅黑
    {"Arial", 0, 34},
    {"Courier New", 0, 49},
    {"Times New Roman", 0, 18},
};

// The text node of a key: nullptr for an unknown key or a node no text insert made.
Node* TextNode(SGKEY key) {
  Node* n = S().Get(key);
  return n && !n->info.textKind.empty() ? n : nullptr;
}

// The node's text contents: "remark" for flat texts, "text" for 3D ones.
const char* TextContentsName(const Node* n) { return n->info.textKind == "remark" ? "remark" : "text"; }

}  // namespace

// The handful of faces is scanned: a font lookup happens once per font block.
int SgFindFont(const char* face, SgLogFont* out) {
  if (!face || !out) return 0;
  for (const FontFace& f : kFaces) {
    if (!straccord(face, f.name)) continue;
    *out = SgLogFont();
    out->weight = 400;
    out->charSet = f.charSet;
    out->pitchAndFamily = f.pitchAndFamily;
    std::snprintf(out->faceName, sizeof out->faceName, "%s", f.name);
    return 1;
  }
  return 0;
}

// ---------------------------------------------------------------- texts

int SgSetTextColors(SGKEY key, const float* rgb, int count) {
  Node* n = TextNode(key);
  if (!n || count < 0 || (count > 0 && !rgb)) return 0;
  n->info.text.colors.assign(rgb, rgb + 3 * (size_t)count);
  return 1;
}

int SgSetTextRotation(SGKEY key, const float r[3]) {
  Node* n = TextNode(key);
  if (!n || !r) return 0;
  std::memcpy(n->info.text.rotation, r, sizeof n->info.text.rotation);
  return 1;
}

int SgSetTextFont(SGKEY key, const SgLogFont* font) {
  Node* n = TextNode(key);
  if (!n || !font) return 0;
  n->info.text.font = *font;
  n->info.text.hasFont = true;
  return 1;
}

int SgSetTextPosition(SGKEY key, float x, float y, float z) {
  Node* n = TextNode(key);
  if (!n) return 0;
  float* p = n->info.text.position;
  p[0] = x, p[1] = y, p[2] = z;
  return 1;
}

int SgSetTextScale(SGKEY key, const float s[3]) {
  Node* n = TextNode(key);
  if (!n || !s) return 0;
  std::memcpy(n->info.text.scale, s, sizeof n->info.text.scale);
  return 1;
}

int SgSetTextString(SGKEY key, const char* text, const SgLogFont* font) {
  Node* n = TextNode(key);
  if (!n) return 0;
  SetContents(n, TextContentsName(n), text ? text : "");
  if (font) n->info.text.font = *font, n->info.text.hasFont = true;
  return 1;
}

int SgSetTextRect(SGKEY key, const float rect[4]) {
  Node* n = TextNode(key);
  if (!n || !rect) return 0;
  std::memcpy(n->info.text.rect, rect, sizeof n->info.text.rect);
  n->info.text.hasRect = true;
  return 1;
}

// Without a rectangle of its own a text covers its extent, hanging down from its position.
int SgShowTextRect(SGKEY key, float rect[4]) {
  Node* n = TextNode(key);
  if (!n || !rect) return 0;
  const SgTextInfo& t = n->info.text;
  if (t.hasRect) {
    std::memcpy(rect, t.rect, sizeof t.rect);
    return 1;
  }
  float w = 0, h = 0;
  SgGetTextExtent(SgFieldContents(key, TextContentsName(n)), t.hasFont ? &t.font : nullptr, t.scale[1], &w, &h);
  rect[0] = t.position[0];
  rect[1] = t.position[1];
  rect[2] = t.position[0] + w;
  rect[3] = t.position[1] - h;
  return 1;
}

int SgSetTextFile(SGKEY key, const char* file, const char* paragraph, int line) {
  Node* n = TextNode(key);
  if (!n || line < 0) return 0;
  n->info.text.file = file ? file : "";
  n->info.text.paragraph = paragraph ? paragraph : "";
  n->info.text.line = line;
  return 1;
}

int SgLoadTextDataByKey(SGKEY key, const CMultiTextDoc& doc) {
  Node* n = TextNode(key);
  if (!n || n->info.text.file != doc.Name()) return 0;
  const CMultiTextParagraph* p = doc.FindParagrah(n->info.text.paragraph.c_str());
  if (!p) return 0;
  const int line = n->info.text.line;
  if (line > p->LineCount()) return 0;
  SetContents(n, TextContentsName(n), line == 0 ? p->JoinedText() : p->Line(line));
  return 1;
}

// ---------------------------------------------------------------- metrics

// Sizes below one pixel are refused: every layout divides by them.
void SgSetClientSize(int width, int height) {
  if (width < 1 || height < 1) return;
  S().clientWidth = width;
  S().clientHeight = height;
}

int SgGetClientSize(int* width, int* height) {
  if (!width || !height) return 0;
  *width = S().clientWidth;
  *height = S().clientHeight;
  return 1;
}

int SgGetTextExtent(const char* text, const SgLogFont* font, float scale, float* width, float* height) {
  if (!width || !height) return 0;
  int fh = font ? std::abs(font->height) : 0;
  const float h = static_cast<float>(fh > 0 ? fh : 16) * scale;
  *height = h;
  *width = static_cast<float>(text ? std::strlen(text) : 0) * h * 0.5f;
  return 1;
}
