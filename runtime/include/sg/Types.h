// Basic types of the runtime and the two code tables every runtime object is sorted by:
// the runtime type codes (what kind of object a CKvoObject is) and the variable type codes
// (what kind of value a CSgVariable holds).
#pragma once

typedef long long SGKEY;          // key of a scene node (field); -1 means "no node"
typedef unsigned int DWORD;
typedef unsigned char BYTE;

#define SG_NO_KEY ((SGKEY)-1)

// Runtime type codes: X(ENUMNAME, code, "printable name").
// Codes that the module files in the same collection are grouped together; those whose
// object kind is not known more closely carry neutral names.
#define SG_RUNTIME_TYPES(X)                                   \
  X(SGT_ANIMATION, 1, "animation")                            \
  X(SGT_CTRLPOINT, 2, "control point")                        \
  X(SGT_VARIABLE, 3, "variable")                              \
  X(SGT_BUTTON, 4, "button")                                  \
  X(SGT_KNOB, 5, "knob")                                      \
  X(SGT_SLIDER, 6, "slider")                                  \
  X(SGT_PART, 7, "part")                                      \
  X(SGT_MESSAGE, 8, "message handler")                        \
  X(SGT_IMAGE, 9, "image")                                    \
  X(SGT_TEXT, 10, "text")                                     \
  X(SGT_PAGE, 11, "page")                                     \
  X(SGT_PROGRAM, 12, "program")                               \
  X(SGT_FUNCTION, 13, "function")                             \
  X(SGT_REACTION, 14, "reaction")                             \
  X(SGT_VARIABLE_18, 18, "coordinate variable 18")            \
  X(SGT_STATUS, 19, "status")                                 \
  X(SGT_AREA, 20, "area")                                     \
  X(SGT_REACTION_21, 21, "reaction 21")                       \
  X(SGT_VARIABLE_22, 22, "variable 22")                       \
  X(SGT_STEP, 23, "step")                                     \
  X(SGT_SEQUENCE, 24, "sequence")                             \
  X(SGT_FAULT, 25, "fault")                                   \
  X(SGT_EXAMINE, 26, "examination node")                      \
  X(SGT_TEXTURE, 27, "texture")                               \
  X(SGT_ROUTE, 28, "route")                                   \
  X(SGT_WRENCH, 29, "wrench")                                 \
  X(SGT_NUT, 30, "nut")                                       \
  X(SGT_EDIT, 31, "edit")                                     \
  X(SGT_KEYMAP, 32, "key map")                                \
  X(SGT_VARIABLE_33, 33, "coordinate variable 33")            \
  X(SGT_VARIABLE_34, 34, "variable 34")                       \
  X(SGT_BODY, 35, "body")                                     \
  X(SGT_MAP, 37, "map")                                       \
  X(SGT_VARIABLE_39, 39, "variable 39")                       \
  X(SGT_VIEWPORT, 48, "viewport")                             \
  X(SGT_REACTION_53, 53, "reaction 53")                       \
  X(SGT_CTRLPOINT_59, 59, "control point 59")                 \
  X(SGT_REACTION_61, 61, "reaction 61")                       \
  X(SGT_PERCENT, 65, "percent chart")                         \
  X(SGT_DASHBOARD, 66, "dashboard")                           \
  X(SGT_HISTOGRAM, 67, "histogram")                           \
  X(SGT_DYNAMIC, 68, "dynamic object")                        \
  X(SGT_CURVE_CHART, 69, "curve chart")                       \
  X(SGT_NUMBER, 70, "number display")                         \
  X(SGT_THERMOGRAPHY, 71, "thermography")                     \
  X(SGT_GUIDELINE, 72, "guide line")                          \
  X(SGT_CHART, 74, "chart container")                         \
  X(SGT_TABLE, 75, "table")                                   \
  X(SGT_CHART_93, 93, "chart object 93")                      \
  X(SGT_MODULE, 100, "module")

// SGT_MODULE (100) lies outside the range 1..93 that objects are filed by, so a module
// is never filed into another module's collections by its type code.

enum ESgRuntimeType : int {
#define SG_RUNTIME_TYPE_ENUM(name, code, text) name = code,
  SG_RUNTIME_TYPES(SG_RUNTIME_TYPE_ENUM)
#undef SG_RUNTIME_TYPE_ENUM
};

// The printable name of a runtime type code; nullptr for a code not in the table.
const char* SgRuntimeTypeName(int code);

// Variable type codes: X(ENUMNAME, code, "printable name").
// Bit 0x1000 marks an array; an array's code is its element code plus 0x1000.
#define SG_VAR_TYPES(X)                                       \
  X(SGVT_NONE, 0, "untyped")                                  \
  X(SGVT_STRING, 0x1, "string")                               \
  X(SGVT_INT, 0x2, "int")                                     \
  X(SGVT_BOOL, 0x4, "bool")                                   \
  X(SGVT_FLOAT, 0x8, "float")                                 \
  X(SGVT_TYPE_16, 0x10, "type16")                             \
  X(SGVT_RANDOM, 0x80, "random")                              \
  X(SGVT_TYPE_100, 0x100, "type256")                          \
  X(SGVT_ARRAY, 0x1000, "array")                              \
  X(SGVT_STRINGARRAY, 0x1001, "stringarray")                  \
  X(SGVT_INTARRAY, 0x1002, "intarray")                        \
  X(SGVT_BOOLARRAY, 0x1004, "boolarray")                      \
  X(SGVT_FLOATARRAY, 0x1008, "floatarray")                    \
  X(SGVT_TYPE_16_ARRAY, 0x1010, "type16array")                \
  X(SGVT_TYPE_100_ARRAY, 0x1100, "type256array")              \
  X(SGVT_LONG, 0x2000, "long")                                \
  X(SGVT_LONGARRAY, 0x3000, "longarray")                      \
  X(SGVT_BYTE, 0x4000, "byte")                                \
  X(SGVT_BYTEARRAY, 0x5000, "bytearray")                      \
  X(SGVT_DOUBLE, 0x10000, "double")                           \
  X(SGVT_DOUBLEARRAY, 0x11000, "doublearray")

enum ESgVarType : int {
#define SG_VAR_TYPE_ENUM(name, code, text) name = code,
  SG_VAR_TYPES(SG_VAR_TYPE_ENUM)
#undef SG_VAR_TYPE_ENUM
};

// The printable name of a variable type code; nullptr for a code not in the table.
const char* SgVarTypeName(int code);
