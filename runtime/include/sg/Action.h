// ActPrm: one action record, and the table of action types.
//
// An action is a general record: a type and a handful of typed slots (variables, a key or a
// pointer-sized value, three texts, an integer, a real, a flag word, arrays of keys and reals).
// Compiled programs are lists of actions of the program types (500..516, 2300, 2900,
// 2904..2906, 3500, 3501), which the VM executes; animations and the other readers fill the
// same record with their own types, which the VM counts and passes over.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <list>
#include <memory>
#include <string>
#include <vector>

#include "sg/Types.h"

class CSgVariable;

// Action types: X(ENUMNAME, code, "printable name", executed by the VM).
// One list expanded into the enum, the names and the VM's dispatch (see Vm.cpp).
//
//   type  operands (variables in slot order)   meaning
//   500   a, b  |  result, a, b                a <- b (then result <- a)
//   501   result, a, b                         result <- a + b (strings: concatenation)
//   502   result, a, b                         result <- a * b
//   503   result, a, b                         result <- a % b (integers; 0 divisor: error)
//   504   result, a, b                         result <- a / b (integer division for integers)
//   505   result, a, b                         result <- a - b
//   506   result, a, i  |  destination, source result refers to a[i]  |  copy of the value
//   507   result, a, b                         result <- a && b
//   508   result, a, b                         result <- a || b
//   509..514  result, a, b                     > < == >= <= != (strings compare as text)
//   515   result, a, b                         result <- !b
//   516   result, object, memberText           member reference or method call
//   2300  dword: call stub (CSgFunction*)      call through the stub
//   2900  dword: CSgProgram*                   run that program
//   2904  object; string: class name           new instance (runs the constructor)
//   2905  object                               delete the instance
//   2906  moduleVar; string: module name       bind a module variable to that module
//   3500  result, left; int: 0 && / 1 ||       short-circuit (see Vm.h)
//   3501  -                                    return from the current function
#define SG_ACTION_TYPES(X)                          \
  X(ACT_ASSIGN, 500, "assign", 1)                   \
  X(ACT_ADD, 501, "add", 1)                         \
  X(ACT_MUL, 502, "multiply", 1)                    \
  X(ACT_MOD, 503, "modulo", 1)                      \
  X(ACT_DIV, 504, "divide", 1)                      \
  X(ACT_SUB, 505, "subtract", 1)                    \
  X(ACT_INDEX, 506, "index", 1)                     \
  X(ACT_AND, 507, "and", 1)                         \
  X(ACT_OR, 508, "or", 1)                           \
  X(ACT_GT, 509, "greater", 1)                      \
  X(ACT_LT, 510, "less", 1)                         \
  X(ACT_EQ, 511, "equal", 1)                        \
  X(ACT_GE, 512, "greater or equal", 1)             \
  X(ACT_LE, 513, "less or equal", 1)                \
  X(ACT_NE, 514, "not equal", 1)                    \
  X(ACT_NOT, 515, "not", 1)                         \
  X(ACT_MEMBER, 516, "member", 1)                   \
  X(ACT_CALL, 2300, "call", 1)                      \
  X(ACT_RUNPROGRAM, 2900, "run program", 1)         \
  X(ACT_NEWOBJECT, 2904, "new object", 1)           \
  X(ACT_DELETEOBJECT, 2905, "delete object", 1)     \
  X(ACT_NEWMODULE, 2906, "new module", 1)           \
  X(ACT_SHORTCIRCUIT, 3500, "short-circuit", 1)     \
  X(ACT_RETURN, 3501, "return", 1)

enum ESgActionType : int {
#define SG_ACTION_TYPE_ENUM(name, code, text, vm) name = code,
  SG_ACTION_TYPES(SG_ACTION_TYPE_ENUM)
#undef SG_ACTION_TYPE_ENUM
};

// The words scripts name action types by: X(word, type, fixed bool, fixed string, group,
// special). Fixed bool: -1 none, 1 on, 0 off. Fixed string: "" none, "active" (the animations
// playing) or "all". Group: "" or the substring every word of a contiguous group shares; a
// lookup enters a group only when the word contains it, and a word that does contain it but
// matches none of the group's words is taken without a type (scripts name many variants the
// runtime has no number for, and those are passed over quietly). Special: SG_AW_*. Rows are in
// lookup order: the first match wins, so a longer word stands before the rows it contains only
// when an earlier group already decided it.
enum : int {
  SG_AW_NONE = 0,
  SG_AW_SCENE_ROOT = 1,  // the key of the scene root
  SG_AW_LONG_513 = 2,    // long parameter 513 (dragging with the left button)
  SG_AW_CALL = 3,        // not a type: the act calls a script function
};
#define SG_ACTION_WORDS(X)                                                       \
  /* windows, tested before everything else */                                 \
  X("exit", 1, -1, "", "", 0) X("minimize", 2, -1, "", "", 0)                    \
  X("minimizewindow", 2, -1, "", "", 0) X("maximize", 3, -1, "", "", 0)          \
  X("maximizewindow", 3, -1, "", "", 0) X("restorewindow", 4, -1, "", "", 0)     \
  /* scene nodes */                                                             \
  X("begincapturescreen", 3301, -1, "", "", 0)                                   \
  X("capturescreen", 3300, -1, "", "", 0)                                        \
  X("endcapturescreen", 3302, -1, "", "", 0)                                     \
  X("begintwinkle", 139, 1, "", "", 0) X("endtwinkle", 139, 0, "", "", 0)        \
  X("zoomfield", 141, -1, "", "", 0) X("showfield", 101, 1, "", "", 0)           \
  X("hidefield", 100, 0, "", "", 0) X("hidefieldlocal", 124, 0, "", "", 0)       \
  X("showfieldlocal", 124, 1, "", "", 0) X("unloadfield", 123, -1, "", "", 0)    \
  X("loadfield", 122, -1, "", "", 0) X("redrawfield", 105, -1, "", "", 0)        \
  X("backupfield", 111, -1, "", "", 0) X("restorefield", 112, -1, "", "", 0)     \
  X("hilightfield", 110, 1, "", "", 0) X("unhilightfield", 110, 0, "", "", 0)    \
  X("releasefield", 108, -1, "", "", 0) X("flushfield", 120, -1, "", "", 0)      \
  X("rotatefieldworld", 114, -1, "", "", 0)                                      \
  X("rotatefieldlocal", 131, -1, "", "", 0)                                      \
  X("movefieldlocal", 115, -1, "", "", 0) X("movefieldworld", 136, -1, "", "", 0) \
  X("scalefield", 116, -1, "", "", 0) X("setfieldmatrix", 117, -1, "", "", 0)    \
  X("setfieldposition", 134, -1, "", "", 0)                                      \
  X("setfieldworldposition", 135, -1, "", "", 0)                                 \
  X("hidefieldinviewport", 402, 0, "", "", 0)                                    \
  X("showfieldinviewport", 402, 1, "", "", 0) X("graspfield", 138, -1, "", "", 0) \
  /* controls and triggers */                                                   \
  X("enablectrlpt", 10, 1, "", "", 0) X("disablectrlpt", 10, 0, "", "", 0)       \
  X("lockctrlpt", 17, 1, "", "", 0) X("unlockctrlpt", 17, 0, "", "", 0)          \
  X("unloadctrlpt", 15, 0, "", "", 0) X("loadctrlpt", 15, 1, "", "", 0)          \
  X("unloadallctrlpt", 15, 0, "all", "", 0) X("loadallctrlpt", 15, 1, "all", "", 0) \
  X("enablectrlptgroup", 11, 1, "", "", 0) X("disablectrlptgroup", 11, 0, "", "", 0) \
  X("unloadctrlptgroup", 16, 0, "", "", 0) X("loadctrlptgroup", 16, 1, "", "", 0) \
  X("enablemodelinduction", 13, 1, "", "", 0)                                    \
  X("disablemodelinduction", 13, 0, "", "", 0)                                   \
  X("enabletrigger", 2500, 1, "", "", 0) X("disabletrigger", 2500, 0, "", "", 0) \
  X("enablealltriggers", 2500, 1, "all", "", 0)                                  \
  X("disablealltriggers", 2500, 0, "all", "", 0)                                 \
  /* display, files, animations, camera */                                      \
  X("showall", 100, 1, "", "", 0) X("hideall", 100, 0, "", "", 0)                \
  X("showfieldself", 124, 1, "", "", 0) X("showannotation", 102, 1, "", "", 0)   \
  X("hideannotation", 102, 0, "", "", 0)                                         \
  X("hideallannotations", 102, 0, "", "", SG_AW_SCENE_ROOT)                      \
  X("unloadimage", 104, -1, "", "", 0) X("loadimage", 103, -1, "", "", 0)        \
  X("unloadmodel", 2101, -1, "", "", 0) X("loadfile", 2100, -1, "", "", 0)       \
  X("openfile", 2102, -1, "", "", 0) X("setconstant", 109, -1, "", "", 0)        \
  X("settransparency", 107, -1, "", "", 0) X("setdisplaymode", 127, -1, "", "", 0) \
  X("setgraspable", 133, -1, "", "", 0) X("setunpick", 137, -1, "", "", 0)       \
  X("startanimation", 200, -1, "", "animation", 0)                               \
  X("resetanimation", 201, -1, "", "animation", 0)                               \
  X("stopanimation", 203, -1, "", "animation", 0)                                \
  X("reverseanimation", 202, 1, "", "animation", 0)                              \
  X("constantanimation", 208, 1, "", "animation", 0)                             \
  X("continuousplayanimation", 209, 1, "", "animation", 0)                       \
  X("pauseanimation", 205, -1, "", "animation", 0)                               \
  X("pauseactiveanimations", 205, -1, "active", "animation", 0)                  \
  X("continueanimation", 204, -1, "", "animation", 0)                            \
  X("continueactiveanimations", 204, -1, "active", "animation", 0)               \
  X("fastactiveanimations", 206, -1, "active", "animation", 0)                   \
  X("slowactiveanimations", 207, -1, "active", "animation", 0)                   \
  X("fastallanimations", 206, -1, "all", "animation", 0)                         \
  X("slowallanimations", 207, -1, "all", "animation", 0)                         \
  X("fastanimations", 206, -1, "", "animation", 0)                               \
  X("slowanimations", 207, -1, "", "animation", 0)                               \
  X("setallanimationsspeed", 210, -1, "all", "animation", 0)                     \
  X("setanimationspeed", 210, -1, "", "animation", 0)                            \
  X("unloadallanimations", 213, -1, "", "animation", 0)                          \
  X("loadallanimations", 212, -1, "", "animation", 0)                            \
  X("killparticle", 211, -1, "", "", 0) X("setcamera", 300, -1, "", "", 0)       \
  X("moveforward", 301, -1, "", "", 0) X("turnaround", 302, -1, "", "", 0)       \
  X("cameraaround", 305, -1, "", "", 0) X("setcameramaxlength", 304, -1, "", "", 0) \
  X("placeguidecamera", 309, -1, "", "", 0) X("disablecamera", 307, 0, "", "", 0) \
  X("enablecamera", 307, 1, "", "", 0) X("setstep", 303, -1, "", "", 0)          \
  X("setsight", 308, -1, "", "", 0) X("enablelod", 406, -1, "", "", 0)           \
  X("enablecameracollision", 306, 1, "", "", 0)                                  \
  X("disablecameracollision", 306, 0, "", "", 0) X("intomodule", 3200, -1, "", "", 0) \
  /* viewports, variables, environment, drawing, materials */                   \
  X("setviewportposition", 400, -1, "", "viewport", 0)                           \
  X("enableviewport", 401, 1, "", "viewport", 0)                                 \
  X("disableviewport", 401, 0, "", "viewport", 0)                                \
  X("activateviewport", 403, 1, "", "viewport", 0)                               \
  X("inactivateviewport", 403, 0, "", "viewport", 0)                             \
  X("setviewportblackwhite", 404, 1, "", "viewport", 0)                          \
  X("setviewportreversecolor", 405, 1, "", "viewport", 0)                        \
  X("setblackwhite", 404, 1, "", "", 0) X("setreversecolor", 405, 1, "", "", 0)  \
  X("setvariable", 500, -1, "", "variable", 0)                                   \
  X("addvariable", 501, -1, "", "variable", 0)                                   \
  X("multiplyvariable", 502, -1, "", "variable", 0)                              \
  X("modevariable", 503, -1, "", "variable", 0)                                  \
  X("dividevariable", 504, -1, "", "variable", 0)                                \
  X("constantvariable", 515, 1, "", "variable", 0)                               \
  X("setstring", 600, -1, "", "", 0) X("settextcontent", 600, -1, "", "", 0)     \
  X("setfog", 800, -1, "", "", 0) X("enablefog", 801, 1, "", "", 0)              \
  X("setfovy", 900, -1, "", "", 0) X("setbackground", 1000, -1, "", "", 0)       \
  X("showbackground", 1001, 1, "", "", 0) X("hidebackground", 1001, 0, "", "", 0) \
  X("orbit", 1100, -1, "", "", 0) X("pan", 1101, -1, "", "", 0)                  \
  X("pick", 1102, -1, "", "", 0) X("nooperator", 1103, -1, "", "", 0)            \
  X("walk", 1104, -1, "", "", 0) X("grasp", 1105, -1, "", "", 0)                 \
  X("loadsound", 701, -1, "", "", 0) X("unloadsound", 702, -1, "", "", 0)        \
  X("loadavi", 703, -1, "", "", 0) X("unloadavi", 704, -1, "", "", 0)            \
  X("setimageposition", 1200, -1, "", "", 0) X("settextposition", 1201, -1, "", "", 0) \
  X("setbuttonposition", 1202, -1, "", "", 0) X("setimagesize", 1203, -1, "", "", 0) \
  X("setimagerect", 1204, -1, "", "", 0) X("settexturename", 1300, -1, "", "", 0) \
  X("settextureparam", 1301, -1, "", "", 0) X("setbox", 132, -1, "", "", 0)      \
  X("rebuildbox", 142, -1, "", "", 0) X("restorestatus", 2800, -1, "", "", 0)    \
  X("unloadstatus", 2802, -1, "", "", 0) X("loadstatus", 2801, -1, "", "", 0)    \
  X("unloadallstatus", 2802, -1, "all", "", 0) X("loadallstatus", 2801, -1, "all", "", 0) \
  X("recordenviroment", 2803, -1, "", "", 0) X("restoreenviroment", 2800, -1, "", "", 0) \
  X("readenviroment", 2810, -1, "", "", 0) X("clearrecord", 2806, -1, "", "", 0) \
  X("recordscene", 2804, -1, "", "", 0) X("replayscene", 2805, -1, "", "", 0)    \
  X("recordcamera", 2807, -1, "", "", 0) X("previouscamera", 2808, -1, "", "", 0) \
  X("nextcamera", 2809, -1, "", "", 0) X("createfield", 113, -1, "", "", 0)      \
  X("drawline2d", 1400, -1, "", "", 0) X("drawpolyline2d", 1401, -1, "", "", 0)  \
  X("drawrect2d", 1402, -1, "", "", 0) X("setdiffuse", 119, -1, "", "", 0)       \
  X("setemission", 125, -1, "", "", 0) X("setambient", 130, -1, "", "", 0)       \
  X("setspecular", 147, -1, "", "", 0) X("setcolor", 118, -1, "", "", 0)         \
  X("settwoside", 128, 1, "", "", 0) X("setfront", 129, 1, "", "", 0)            \
  /* devices, windows, pages, effects */                                        \
  X("opendatabase", 2400, -1, "", "", 0)                                         \
  X("enablemapping", 2401, 0, "", "", 0) /* inverted: the flag says "off" */     \
  X("disablemapping", 2401, 1, "", "", 0) X("getdrawing", 2402, -1, "", "", 0)   \
  X("mousemove", 3100, -1, "", "mouse", 0)                                       \
  X("mousedrag", 3100, -1, "", "mouse", SG_AW_LONG_513)                          \
  X("mouselbuttondown", 3101, -1, "", "mouse", 0)                                \
  X("mouselbuttonup", 3102, -1, "", "mouse", 0)                                  \
  X("mouselbuttondblclk", 3105, -1, "", "mouse", 0)                              \
  X("resetvisited", 12, -1, "", "", 0) X("setvisited", 18, -1, "", "", 0)        \
  X("setvolumn", 1500, -1, "", "", 0)                                            \
  X("lightposition", 1600, -1, "", "light", 0)                                   \
  X("lightdiffuse", 1601, -1, "", "light", 0)                                    \
  X("pointlight", 1602, -1, "", "light", 0)                                      \
  X("lightambient", 1603, -1, "", "light", 0)                                    \
  X("lightspecular", 1604, -1, "", "light", 0)                                   \
  X("cameralight", 1605, -1, "", "light", 0)                                     \
  X("lightshadow", 1606, -1, "", "light", 0)                                     \
  X("setpriority", 121, -1, "", "", 0) X("resetctrlpt", 14, -1, "", "", 0)       \
  X("movieposition", 1700, -1, "", "movie", 0)                                   \
  X("openmovie", 1701, -1, "", "movie", 0)                                       \
  X("closemovie", 1702, -1, "", "movie", 0)                                      \
  X("pausemovie", 1703, -1, "", "movie", 0)                                      \
  X("playmovie", 1704, -1, "", "movie", 0)                                       \
  X("command", 1800, -1, "", "", 0) X("plugincall", 1801, -1, "", "", 0)        \
  X("message", 1900, -1, "", "", 0) X("updatewindow", 1901, -1, "", "", 0)       \
  X("createwindow", 1902, -1, "", "", 0) X("showwindow", 1903, 1, "", "", 0)     \
  X("hidewindow", 1903, 0, "", "", 0) X("execute", 2000, -1, "", "", 0)          \
  X("showprogress", 20100, 1, "", "progress", 0)                                 \
  X("hideprogress", 20100, 0, "", "progress", 0)                                 \
  X("setprogress", 20101, -1, "", "progress", 0)                                 \
  X("fadeinpage", 2200, -1, "", "page", 0)                                       \
  X("fadeoutpage", 2201, -1, "", "page", 0)                                      \
  X("switchtopage", 2202, -1, "", "page", 0)                                     \
  X("enablecut_plane", 2600, 1, "", "", 0) X("disablecut_plane", 2600, 0, "", "", 0) \
  X("enableshadow", 2601, 1, "", "", 0) X("disableshadow", 2601, 0, "", "", 0)   \
  X("createpipe", 2700, -1, "", "", 0) X("createrope", 2701, -1, "", "", 0)      \
  X("callfunction", 0, -1, "", "", SG_AW_CALL)

struct SgActionWord {
  const char* word;
  int type;
  int fixedBool;            // -1 none, else the bool the word implies
  const char* fixedString;  // "" none
  const char* group;        // "" outside a group
  int special;              // SG_AW_*
};
// The rows of SG_ACTION_WORDS in order; *count receives how many.
const SgActionWord* SgActionWords(int* count);

// The printable name of an action type: the program types' own names, else the first word of
// SG_ACTION_WORDS with that number; nullptr for a number neither knows.
const char* SgActionTypeName(int type);
// 1 when the VM executes actions of this type, else 0 (the VM counts and passes over them).
int SgActionIsExecutable(int type);

// Flag bits of an action. The presence bits say which parameter slots a record carries; the
// setters of those slots set them. A 3500 action of compiled code uses two of the same bits
// for its own purpose (it carries no parameters).
enum : int {
  ACTF_HAS_INT = 0x2,
  ACTF_HAS_BOOL = 0x4,
  ACTF_HAS_FLOAT = 0x8,
  ACTF_HAS_KEY = 0x10,
  ACTF_HAS_LONG = 0x2000,
  ACTF_SHORTCIRCUIT = 0x2,  // a 3500 action of && or ||
  ACTF_SKIPSET = 0x2000,    // the 3500 action's skip count has been set
};

class ActPrm {
 public:
  ActPrm() = default;
  explicit ActPrm(int type) : m_type(type) {}
  // Copies are deep for the texts and arrays; the variables and the dword are shared
  // (an action never owns them).
  ActPrm(const ActPrm& other);
  ActPrm& operator=(const ActPrm& other);
  ActPrm(ActPrm&&) noexcept = default;
  ActPrm& operator=(ActPrm&&) noexcept = default;
  ~ActPrm() = default;

  void SetType(int type) { m_type = type; }
  int Type() const { return m_type; }

  // Variables by slot; the list grows to hold index. Not owned. The first few slots live
  // in the record itself: compiled code never uses more than three.
  void SetVariable(int index, CSgVariable* var);
  void SetVariables(const std::vector<CSgVariable*>& vars);
  void SetVariables(std::initializer_list<CSgVariable*> vars);
  CSgVariable* Variable(int index) const {
    if (index < 0 || index >= m_nvars) return nullptr;
    return m_nvars <= kInlineVars ? m_vars[index] : m_extra->vars[(size_t)index];
  }
  int VariableCount() const { return m_nvars; }
  std::vector<CSgVariable*> Variables() const;

  // A scene key, or any pointer-sized value (2300: the call stub; 2900: the program).
  void SetKey(SGKEY key) {
    m_key = key;
    m_flags |= ACTF_HAS_KEY;
  }
  SGKEY Key() const { return m_key; }
  void SetDword(std::uintptr_t value) { m_dword = value; }
  void SetDword(const void* pointer) { m_dword = (std::uintptr_t)pointer; }
  std::uintptr_t Dword() const { return m_dword; }
  template <class T>
  T* DwordAs() const {
    return reinterpret_cast<T*>(m_dword);
  }

  // Texts are copied; null sets "".
  void SetString(const char* text) { SetText(&Extra::string, text); }
  void SetString2(const char* text) { SetText(&Extra::string2, text); }
  void SetString3(const char* text) { SetText(&Extra::string3, text); }
  const char* String() const { return m_extra ? m_extra->string.c_str() : ""; }
  const char* String2() const { return m_extra ? m_extra->string2.c_str() : ""; }
  const char* String3() const { return m_extra ? m_extra->string3.c_str() : ""; }

  void SetInt(int v) {
    m_int = v;
    m_flags |= ACTF_HAS_INT;
  }
  int Int() const { return m_int; }
  void SetFloat(float v) {
    m_float = v;
    m_flags |= ACTF_HAS_FLOAT;
  }
  float Float() const { return m_float; }
  void SetBool(int v) {
    m_bool = v != 0;
    m_flags |= ACTF_HAS_BOOL;
  }
  int Bool() const { return m_bool ? 1 : 0; }
  void SetLong(long long v) {
    SetDword((std::uintptr_t)v);
    m_flags |= ACTF_HAS_LONG;
  }
  long long Long() const { return (long long)m_dword; }
  // A scene path kept as text, resolved when the action runs.
  void SetPathname(const char* path) { SetText(&Extra::pathname, path); }
  const char* Pathname() const { return m_extra ? m_extra->pathname.c_str() : ""; }

  // Arrays are copied; a null array or n <= 0 clears.
  void SetKeyArray(const SGKEY* keys, int n);
  void SetFloatArray(const float* values, int n);
  const std::vector<SGKEY>& KeyArray() const { return m_extra ? m_extra->keys : NoKeys(); }
  const std::vector<float>& FloatArray() const { return m_extra ? m_extra->floats : NoFloats(); }

  // Flag bits (ACTF_*).
  void SetFlags(int flags) { m_flags = flags; }
  void AddFlags(int flags) { m_flags |= flags; }
  int Flags() const { return m_flags; }
  // 3500: how many actions follow before the 507/508 action (the right operand's actions).
  void SetSkipCount(int n) { m_skip = n; }
  int SkipCount() const { return m_skip; }

  // Where a call was written (the `pause(` calls carry it).
  void SetCaller(const char* file, int line) {
    SetText(&Extra::callerFile, file);
    m_callerLine = line;
  }
  const char* CallerFile() const { return m_extra ? m_extra->callerFile.c_str() : ""; }
  int CallerLine() const { return m_callerLine; }

 private:
  static constexpr int kInlineVars = 3;
  // What few actions carry: texts, arrays and variables beyond the inline slots. Made on
  // the first non-empty setter, so the common action is one small allocation-free record.
  struct Extra {
    std::string string, string2, string3, callerFile, pathname;
    std::vector<SGKEY> keys;
    std::vector<float> floats;
    std::vector<CSgVariable*> vars;  // every slot, once there are more than kInlineVars
  };
  Extra& Extras();
  void SetText(std::string Extra::*field, const char* text);
  static const std::vector<SGKEY>& NoKeys();
  static const std::vector<float>& NoFloats();

  int m_type = 0;
  int m_nvars = 0;
  CSgVariable* m_vars[kInlineVars] = {};
  SGKEY m_key = SG_NO_KEY;
  std::uintptr_t m_dword = 0;
  int m_int = 0;
  float m_float = 0.0f;
  int m_flags = 0;
  int m_skip = 0;
  int m_callerLine = -1;
  bool m_bool = false;
  std::unique_ptr<Extra> m_extra;
};

// Deletes every action of the list and empties it (for the owners of action lists).
void SgFreeActions(std::list<ActPrm*>& actions);
