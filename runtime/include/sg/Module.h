// CSgModule: one scene module, the owner of every runtime object a script declares in it.
//
// Modules form a tree; the root owns the tree's view (CSgView) and environment.
// Runtime type code of a module: SGT_MODULE (100).
//
// Search order of the finds (all return nullptr when nothing matches):
//  - A plain name is looked up in this module, then in its parent, and so on up to the root;
//    FindVariableLocal and FindVariable(name, 1) look in this module only.
//  - A qualified name "a:b:name" resolves its module part "a:b" with FindModule first and
//    then looks the last part up in that module only.
//  - Within one module and one collection, the object added first wins.
//  - FindObject looks through the collections in SG_MODULE_COLLECTIONS order in each module
//    before going on to the parent.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "sg/Instance.h"
#include "sg/Kvo.h"
#include "sg/ObjectList.h"
#include "sg/Variable.h"
#include "sg/View.h"

class CSgModule;
class CSgProgram;
class CSgInstruction;
class CSgConditions;

// The collections of a module: X(jsonName, element type), in find and dump order.
// Each is a CObjectList<type> reached with the accessor of the same name.
#define SG_MODULE_COLLECTIONS(X) \
  X(variables, CSgVariable)      \
  X(animations, CKvoObject)      \
  X(ctrlPoints, CKvoObject)      \
  X(messages, CKvoObject)        \
  X(images, CKvoObject)          \
  X(texts, CKvoObject)           \
  X(pages, CKvoObject)           \
  X(reactions, CKvoObject)       \
  X(statuses, CKvoObject)        \
  X(loadedFiles, CKvoObject)     \
  X(settings, CKvoObject)        \
  X(viewports, CKvoObject)       \
  X(chartObjects, CKvoObject)    \
  X(otherObjects, CKvoObject)    \
  X(menus, CKvoObject)           \
  X(sequences, CKvoObject)       \
  X(steps, CKvoObject)           \
  X(faults, CKvoObject)          \
  X(userPrograms, CKvoObject)    \
  X(userClasses, CKvoObject)     \
  X(textures, CKvoObject)        \
  X(routes, CKvoObject)          \
  X(wrenches, CKvoObject)        \
  X(nuts, CKvoObject)            \
  X(userObjects, CKvoObject)     \
  X(tickActions, CKvoObject)     \
  X(variableLinks, CKvoObject)

// The operation controller of a module: it keeps the module's control points.
// Given a list, it keeps them there; given none (list == nullptr), it keeps them in the
// module's ctrlPoints collection, which is then made on the first add.
class COpController {
 public:
  COpController(CSgModule* module, CObjectList<CKvoObject>* list) : m_module(module), m_list(list) {}
  // Takes ownership; null is ignored. Returns non-zero when added.
  int AddCtrlPoint(CKvoObject* ctrlPoint);
  CKvoObject* FindCtrlPoint(const char* name) const { return List().Find(name); }
  int CtrlPointCount() const { return List().Count(); }
  CKvoObject* CtrlPoint(int i) const { return List().At(i); }
  const CObjectList<CKvoObject>& List() const;
  CSgModule* Module() const { return m_module; }

 private:
  CSgModule* m_module;
  CObjectList<CKvoObject>* m_list;
};

// Interface directions given to AddInterfaceItem.
enum : int {
  SG_INTERFACE_NONE = 0,
  SG_INTERFACE_IN = 1,
  SG_INTERFACE_OUT = 2,
};

struct SgInterfaceItem {
  CSgVariable* variable;    // not owned (it lives in the module's variables)
  int direction;            // SG_INTERFACE_*
  std::string description;  // GBK
};

class CSgModule : public CKvoObject {
 public:
  explicit CSgModule(const char* name = "main");
  ~CSgModule() override;

  // --- the module tree ---
  // Takes ownership of child and makes this module its parent; null is ignored.
  void AddChild(CSgModule* child);
  CSgModule* Parent() const { return m_parent; }
  // The number of ancestors: 0 for a root, 1 for its children, and so on.
  int Depth() const;
  int ChildCount() const { return m_children ? m_children->Count() : 0; }
  CSgModule* Child(int i) const { return m_children ? m_children->At(i) : nullptr; }
  CSgModule* Root();
  const CSgModule* Root() const;
  // Module names from the root joined by ':' ("main:Pump").
  std::string PathName() const;
  // A child by name. A qualified "a:b" resolves step by step; a name that begins with the
  // root's name and ':' (or is the root's name) resolves from the root. Otherwise the first
  // step is looked for among the children of this module, then of its ancestors.
  CSgModule* FindModule(const char* name);
  // A child of this module only, by its own name (no ':' resolution, no search upwards).
  CSgModule* FindChild(const char* name) const { return name && m_children ? m_children->Find(name) : nullptr; }

  // --- collections (each add takes ownership, sets the object's module; null is ignored) ---
  // A collection is made on its first add; until then its accessor gives an empty list
  // shared by every module, and finds in it cost one pointer test.
#define SG_MODULE_COLLECTION_ACCESSOR(json, T) \
  const CObjectList<T>& json() const { return m_##json ? *m_##json : EmptyList<T>(); }
  SG_MODULE_COLLECTIONS(SG_MODULE_COLLECTION_ACCESSOR)
#undef SG_MODULE_COLLECTION_ACCESSOR

  // bOwn == 0 lists the variable without owning it (its module is then only set when it
  // has none); the caller keeps it alive for as long as it is listed.
  void AddVariable(CSgVariable* var, int bOwn = 1);
  void AddAnimation(CKvoObject* obj) { AddTo(m_animations, obj); }
  void AddMessage(CKvoObject* obj) { AddTo(m_messages, obj); }
  void AddImage(CKvoObject* obj) { AddTo(m_images, obj); }
  void AddText(CKvoObject* obj) { AddTo(m_texts, obj); }
  void AddPage(CKvoObject* obj) { AddTo(m_pages, obj); }
  void AddReaction(CKvoObject* obj) { AddTo(m_reactions, obj); }
  void AddStatus(CKvoObject* obj) { AddTo(m_statuses, obj); }
  void AddLoadedFile(CKvoObject* obj) { AddTo(m_loadedFiles, obj); }  // sg/Loaders.h
  void AddSettings(CKvoObject* obj) { AddTo(m_settings, obj); }       // sg/Display.h
  void AddViewport(CKvoObject* obj) { AddTo(m_viewports, obj); }
  void AddChartObject(CKvoObject* obj) { AddTo(m_chartObjects, obj); }
  void AddOtherObject(CKvoObject* obj) { AddTo(m_otherObjects, obj); }
  void AddMenu(CKvoObject* obj) { AddTo(m_menus, obj); }
  void AddSequence(CKvoObject* obj) { AddTo(m_sequences, obj); }
  void AddStep(CKvoObject* obj) { AddTo(m_steps, obj); }
  void AddFault(CKvoObject* obj) { AddTo(m_faults, obj); }
  void AddUserProgram(CKvoObject* obj) { AddTo(m_userPrograms, obj); }
  // A program registered as a class is marked as one (CSgProgram::IsClass).
  void AddUserClass(CKvoObject* obj);
  void AddTexture(CKvoObject* obj) { AddTo(m_textures, obj); }
  void AddRoute(CKvoObject* obj) { AddTo(m_routes, obj); }
  void AddWrench(CKvoObject* obj) { AddTo(m_wrenches, obj); }
  void AddNut(CKvoObject* obj) { AddTo(m_nuts, obj); }
  void AddUserObject(CKvoObject* obj) { AddTo(m_userObjects, obj); }
  // Actions run on every tick of the module or of an animation (CTEventActionEx, sg/Event.h).
  void AddTickAction(CKvoObject* obj) { AddTo(m_tickActions, obj); }
  // Links that keep an object's value in step with a variable (CVariableLink, sg/Event.h).
  void AddVariableLink(CKvoObject* obj) { AddTo(m_variableLinks, obj); }
  // Unlists var and hands it back to the caller (who then owns it); nullptr when not listed.
  CSgVariable* RemoveVariable(CSgVariable* var);

  // Visits every collection in SG_MODULE_COLLECTIONS order.
  void ForEachCollection(
      const std::function<void(const char* jsonName, const std::vector<CKvoObject*>& items)>& visit) const;

  // --- finds (see the search order at the top) ---
  CSgVariable* FindVariableLocal(const char* name);
  CSgVariable* FindVariable(const char* name, int bLocalOnly = 0);
  CKvoObject* FindAnimation(const char* name);
  CKvoObject* FindAnimationLocal(const char* name);  // this module only
  CKvoObject* FindImage(const char* name);
  CKvoObject* FindText(const char* name);
  CKvoObject* FindCtrlpt(const char* name);
  CKvoObject* FindCtrlptLocal(const char* name);  // this module only
  CKvoObject* FindMenuLocal(const char* name);    // this module only (sg/Ui.h)
  CKvoObject* FindChartObject(const char* name);  // this module only (sg/Chart.h)
  CKvoObject* FindClass(const char* name);    // user classes
  CKvoObject* FindProgram(const char* name);  // user programs
  CKvoObject* FindObject(const char* name);   // any collection

  // Files control points in the ctrlPoints collection.
  COpController* OpController() { return &m_opController; }

  // --- temporaries ---
  // Marks the start of a group of temporaries (TempGroupStart gives its first index).
  void StartRecordTempVariable() { m_tempGroupStart = (int)m_temps.size(); }
  // Makes n (>= 1) new nameless variables owned by the module, contiguous in memory
  // (p[0] .. p[n-1]), and returns the first; nullptr when n < 1.
  CSgVariable* AllocTempVariable(int n);
  int TempVariableCount() const { return (int)m_temps.size(); }
  CSgVariable* TempVariable(int i) const;
  int TempGroupStart() const { return m_tempGroupStart; }

  // Ends the recording of temporaries. The recorded ones stay alive (compiled module-level
  // conditions keep pointing at them) and are freed with the module.
  void ReleaseRecordedTempVariables() { m_tempGroupStart = (int)m_temps.size(); }

  // --- constants and judge variables ---
  // A shared constant holding the value of scratch (type and value): an existing constant of
  // the same type and value, else a new one named "CONSTVAR_<n>" owned by the module.
  // Constants are not listed among the module's variables. Null scratch gives nullptr.
  CSgVariable* AllocConstVariable(const CSgVariable* scratch);
  int ConstVariableCount() const;
  // Judge variables of conditions (owned by the module, not listed among its variables).
  void AddJudgeVariable(CSgVariable* var);
  CSgVariable* FirstJudgeVariable() const;
  int JudgeVariableCount() const;

  // --- programs and classes ---
  // The class program named "system" of the main (root) module; nullptr when none.
  CSgProgram* SystemProgram();
  // Offers a class program as the system program: a program named "system" becomes it (it
  // stays owned where it is registered). Returns 1 when taken, else 0.
  int ReplaceSystemProgram(CSgProgram* program);
  // A class of this module only.
  CSgProgram* FindClassLocal(const char* name) const;
  // Unlist and hand back (the caller owns the result); nullptr when not listed here.
  CSgProgram* RemoveUserClass(CSgProgram* cls);
  CSgProgram* RemoveUserProgram(CSgProgram* program);
  // A fresh number for generated names ("%s@%d"), counted over the whole tree.
  int NextObjectIndex();
  // The module path joined by the separator ("main\\Pump" for "\\").
  std::string GetPath(const char* separator) const;

  // --- compiled code (instructions and conditions belong to their module) ---
  void AdoptInstruction(CSgInstruction* instr);
  void ReleaseInstruction(CSgInstruction* instr);
  void AdoptConditions(CSgConditions* cond);
  void ReleaseConditions(CSgConditions* cond);
  // Bumped by every change of an instruction or condition of the tree; compiled code built
  // at an older epoch is rebuilt before it runs.
  unsigned CodeEpoch() const { return Root()->m_codeEpoch; }
  void CodeChanged() { ++Root()->m_codeEpoch; }
  // The instances of script classes of the whole tree (kept by the root).
  CSgInstanceTable& Instances();

  // --- posted commands ---
  // A command a script posted (postCommand): a real host hands it to its message loop;
  // the module keeps the list so that hosts and dumps can see what was posted, in order.
  struct PostedCommand {
    int id;
    int param;
  };
  void PostCommand(int id, int param) { m_posted.push_back({id, param}); }
  const std::vector<PostedCommand>& PostedCommands() const { return m_posted; }

  // --- interface items ---
  void AddInterfaceItem(CSgVariable* var, int direction, const char* description);
  int InterfaceItemCount() const { return (int)m_interface.size(); }
  const SgInterfaceItem* InterfaceItem(int i) const;

  // Called once after reading: builds the sequences of this module and its descendants
  // (they keep the order in which they were added). Returns 1.
  int BuildSequence();
  int SequenceBuilt() const { return m_sequenceBuilt; }  // how many times BuildSequence ran here

  // The view and the environment of the tree (owned by the root, made on first need).
  CSgView* SgView();
  CSgEnvironment* Environment();

  const char* KindName() const override { return "CSgModule"; }
  void Describe(CDescriber& d) const override;

 private:
  friend class COpController;
  template <class T>
  using ListPtr = std::unique_ptr<CObjectList<T>>;

  // The list every absent collection stands for.
  template <class T>
  static const CObjectList<T>& EmptyList() {
    static const CObjectList<T> empty;
    return empty;
  }
  template <class T>
  static CObjectList<T>& Made(ListPtr<T>& list) {
    if (!list) list = std::make_unique<CObjectList<T>>();
    return *list;
  }
  int AddTo(ListPtr<CKvoObject>& list, CKvoObject* obj);
  CSgModule* ResolveQualified(const char* name, std::string& last);
  template <class T>
  T* FindUp(const char* name, ListPtr<T> CSgModule::*list, bool localOnly);
  CSgModule* FindChildUp(const std::string& name);
  void ReleaseOwnObjects();
  void ReleaseCode();

  CSgModule* m_parent = nullptr;
  ListPtr<CSgModule> m_children;
  // Declared in SG_MODULE_COLLECTIONS order; each made on its first add.
#define SG_MODULE_COLLECTION_MEMBER(json, T) ListPtr<T> m_##json;
  SG_MODULE_COLLECTIONS(SG_MODULE_COLLECTION_MEMBER)
#undef SG_MODULE_COLLECTION_MEMBER
  COpController m_opController;
  std::vector<std::unique_ptr<CSgVariable[]>> m_tempBlocks;
  std::vector<CSgVariable*> m_temps;
  int m_tempGroupStart = 0;
  std::vector<SgInterfaceItem> m_interface;
  std::vector<PostedCommand> m_posted;
  int m_sequenceBuilt = 0;
  std::unique_ptr<CSgView> m_view;
  std::unique_ptr<CSgEnvironment> m_environment;
  // Constants, judge variables, compiled code and instances: made on first need, so a
  // module without code stays small.
  struct CodeParts;
  CodeParts& Code();
  std::unique_ptr<CodeParts> m_code;
  unsigned m_codeEpoch = 1;
  int m_nextObjectIndex = 0;
};
