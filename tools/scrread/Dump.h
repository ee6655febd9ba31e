// The dumps of what a read built: JSON (a stable, versioned contract), an indented tree for
// people, and a Graphviz graph. All three are written generically from the module tree, the
// module collections and each object's Describe; none of them knows the object kinds.
#pragma once

#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "JsonWriter.h"
#include "Report.h"

class CSgModule;
class CScriptReader;
class CKvoObject;
class CAnimation;

// How deep modules within modules and objects printed in place within objects are followed.
// Deeper parts are printed as a reference to their full name, so no input can exhaust the stack.
constexpr int SCRREAD_MAX_DUMP_DEPTH = 512;

// The version of the JSON dump contract; raise it when a field changes meaning or goes away.
constexpr int SCRREAD_DUMP_VERSION = 1;

// Each file is read into a root module of its own: roots[i] is that of reports[i]. With one
// root the dumps look as they always did (the JSON document's top-level "module"); with several,
// each file carries its own ("files[].module" in JSON, a section per file in the tree, a
// cluster per file in the graph).
using RootList = std::vector<std::unique_ptr<CSgModule>>;

// The whole JSON document: format, version, files and the root module(s).
// `all`: the messages the first-error rule holds back are listed too, marked suppressed.
std::string DumpJson(const std::vector<FileReport>& reports, const RootList& roots, bool all = false);
std::string DumpJson(const std::vector<FileReport>& reports, const CSgModule& root, bool all = false);
// The MODULE part alone.
void WriteModuleJson(JsonWriter& w, const CSgModule& module);

// The tree of each root, then what the readers and the scene hold beyond modules.
std::string DumpTree(const std::vector<FileReport>& reports, const RootList& roots);
// The module tree alone, every line indented by `indent`.
std::string DumpTree(const CSgModule& root, int indent = 0);
// The graph, with a node listing each file's macros when there are any.
std::string DumpDot(const std::vector<FileReport>& reports, const RootList& roots);
std::string DumpDot(const CSgModule& root);

// The full name of an object, in UTF-8.
std::string FullNameUtf8(const CKvoObject& obj);

// What a read leaves beyond the module tree (DumpScene.cpp): a reader's script functions; the
// scene's background and rectangles as the JSON dump's "scene" object; and both as tree lines.
std::vector<FunctionInfo> CollectFunctions(CScriptReader& reader);
std::vector<MacroInfo> CollectMacros(const CScriptReader& reader);
// A macro as the tree and the graph show it: "N = 3 (a.scr:2)".
std::string MacroLine(const MacroInfo& m);
void WriteSceneJson(JsonWriter& w);
// A file's macros and script functions as tree lines, indented by `indent`.
std::string FileTree(const FileReport& report, int indent = 0);
// The scene's background and rectangles as tree lines.
std::string SceneTree();

// --- animation views (DumpAnim.cpp, DumpDot.cpp) ---

// Animations shown together under a title (a file's name when several files were read; "" for
// none).
struct AnimationGroup {
  std::string title;
  std::vector<const CAnimation*> animations;
};

// How many rows the timeline draws at most; the rest is left out with a note in the drawing.
constexpr int SCRREAD_MAX_TIMELINE_ROWS = 2000;

// The animation `utf8Name` names as seen from `root`: a qualified name ("valve:open") from the
// root; a plain one in the root module first, then in each module below it, in the order of
// the module tree. Null when none has that name.
const CAnimation* FindAnimationForView(const CSgModule& root, const std::string& utf8Name);
// The animations of `root` and of every module below it that are no other animation's
// sub-animation, in the order of the module tree and of each module's list.
std::vector<const CAnimation*> TopLevelAnimations(const CSgModule& root);
// How long animations play, each on its own time axis (see DumpAnim.cpp for the rule),
// remembered per animation: one shared by many parents is measured once.
class AnimationDurations {
 public:
  double Of(const CAnimation& anim, int depth = 0);

 private:
  std::unordered_map<const CAnimation*, double> m_done;
  std::unordered_set<const CAnimation*> m_open;  // being measured: the path from the top
};
double AnimationDuration(const CAnimation& anim);
// The timeline of the groups as an SVG document (UTF-8).
std::string DumpTimeline(const std::vector<AnimationGroup>& groups);
// The animations of the groups as a Graphviz graph: each animation, its sub-animations and
// the animations it refers to, its controllers, their events and the action records.
std::string DumpAnimationDot(const std::vector<AnimationGroup>& groups);
