// The graphics field library: one process-wide scene of nodes (fields) named by paths such
// as "/scene/pump/valve", each with a stable 64-bit key, and one current field.
//
// Keys are handed out from 1 upward and never reused until SgResetScene; the root "/" always
// exists. -1 (SG_NO_KEY) means "no node". Functions returning int give non-zero on success.
// Paths use '/' between node names; a '\\' is taken as '/', repeated separators collapse
// and a trailing separator is ignored. Node names are compared exactly (case matters).
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "sg/Types.h"

class CSgModule;

// --- fields ---
// Makes the node of path current, creating it and its missing ancestors; returns its key
// (-1 for a null path). A relative path is taken from the root.
SGKEY SgOpenField(const char* path);
SGKEY SgOpenFieldByKey(SGKEY key);  // -1 when no node has the key
void SgCloseField();                 // no current field afterwards
SGKEY SgCurrentField();              // -1 when none is open
SGKEY SgFieldExists(const char* path);  // -1 when no node has the path

// The key of a node for a path relative to a module (-1 when missing). An absolute path
// ("/...") is taken as it is. A relative path is tried, in this order, under
// "/scene/<module path with '/' for ':'>/", then under "/scene/", then under "/".
SGKEY FindFieldByRelativePathName(CSgModule* module, const char* path);
// All nodes whose path matches pattern (relative as above; '*' and '?' match within one
// path segment). The first of the three bases that gives any match wins. *keys is
// allocated by the library (release with SgFreeArray; nullptr when nothing matched).
// Returns non-zero when at least one node matched.
int FindAllFieldsByRelativePathName(CSgModule* module, const char* pattern, SGKEY** keys, int* count);
void SgFreeArray(void* array);

int SgSetVisibilityByKey(SGKEY key, int visible);
int SgShowVisibilityByKey(SGKEY key, int* visible);
int SgSetTransformByKey(SGKEY key, const float m[16], int flag);
int SgShowTransformByKey(SGKEY key, float m[16]);  // identity until set
int SgShowOwner(SGKEY key, SGKEY* owner);          // the parent node; the root has owner -1
void SgComputeMatrix3dIdentity(float m[16]);
// A node's material colour of one channel (red, green, blue, alpha); 0 when the key is unknown
// or the node was given no colour of that channel (the scene keeps diffuse colours only).
int SgShowMaterialDiffuseByKey(SGKEY key, float rgba[4]);
int SgShowMaterialAmbientByKey(SGKEY key, float rgba[4]);
int SgShowMaterialSpecularByKey(SGKEY key, float rgba[4]);
int SgShowMaterialEmissionByKey(SGKEY key, float rgba[4]);
// Bounded copy of the node's full path ("/scene/pump"); 0 when the key is unknown or the
// buffer is too small (out then holds the cut path, always terminated when size > 0).
int SgShowFieldPathName(SGKEY key, char* out, int size);

// Named contents of a node ("remark", "images", ...).
int SgSetFieldContents(SGKEY key, const char* name, const char* value);
// Bounded copy; 0 when the node or the name is unknown or the buffer is too small.
int SgShowFieldContentsByKey(SGKEY key, const char* name, char* out, int size);
const char* SgFieldContents(SGKEY key, const char* name);  // nullptr when unset

// The nodes among key's children that hold contents `name`; a name ending in 's' ("images")
// also finds children holding it without the 's' ("image", what SgInsertImage sets). *hits is
// allocated by the library (release with SgFreeArray; nullptr when nothing matched). Returns
// the number of hits.
int SgSearchContentsByKey(SGKEY key, const char* name, SGKEY** hits, int* count);
// Hints for drawing a node ("font quality = 0"), kept as its "heuristics" contents.
int SgSetHeuristicsByKey(SGKEY key, const char* hints);

// --- fonts ---
// A logical font description: heights below zero are character heights, above zero cell
// heights; zero leaves the choice to the library. The face name is GBK, at most 31 bytes.
struct SgLogFont {
  int height = 0;
  int width = 0;
  int escapement = 0;
  int orientation = 0;
  int weight = 0;  // 700 is bold
  BYTE italic = 0;
  BYTE underline = 0;
  BYTE strikeOut = 0;
  BYTE charSet = 0;
  BYTE outPrecision = 0;
  BYTE clipPrecision = 0;
  BYTE quality = 0;
  BYTE pitchAndFamily = 0;
  char faceName[32] = {};
};
// The description of a face the library knows (ASCII names ignoring case; Chinese faces by
// their GBK bytes): 1 with *out filled, 0 for an unknown face. The built-in faces are 黑体,
// 宋体, 新宋体, 楷体, 仿宋, 隶书, 微软雅黑, Arial, Courier New and Times New Roman.
int SgFindFont(const char* face, SgLogFont* out);

// --- inserts into the current field; each returns the new child's key, -1 with no current field ---
SGKEY SgInsertImage(const char* file);   // child "image<n>", contents "image" = file
// The same with a template (mask) file, kept as contents "mask" when given, and a placement.
SGKEY SgInsertImage(const char* file, const char* mask, const float pos[3], const float size[2]);
// Moves a placed image (a node SgInsertImage made); 0 for any other key.
int SgSetImagePlacement(SGKEY key, const float pos[3], const float size[2]);
SGKEY SgInsertRemark(const char* text);  // child "remark<n>", contents "remark" = text
// A flat text at (x, y, depth z) in a box of w x h; the font may be null (the library's own).
SGKEY SgInsertRemark(float x, float y, float z, const char* text, const SgLogFont* font, float w, float h);
SGKEY SgInsertText3d(const char* text);  // child "text3d<n>", contents "text" = text
// A text in the scene at pos, scaled; the font may be null.
SGKEY SgInsertText3d(const float pos[3], const float scale[3], const char* text, const SgLogFont* font);
SGKEY SgInsertStencil();                 // child "stencil<n>"
// A stencil polygon of count points (x, y, z triples in points), kept on the new child.
SGKEY SgInsertStencil(int count, const float* points);
SGKEY SgInsertZRect(const float pos[2], const float size[2]);  // child "zrect<n>"

// --- texts: the nodes SgInsertRemark and SgInsertText3d made; 0 for any other key ---
int SgSetTextColors(SGKEY key, const float* rgb, int count);  // count RGB triples
int SgSetTextRotation(SGKEY key, const float r[3]);
int SgSetTextFont(SGKEY key, const SgLogFont* font);
int SgSetTextPosition(SGKEY key, float x, float y, float z);
int SgSetTextScale(SGKEY key, const float s[3]);
int SgSetTextString(SGKEY key, const char* text, const SgLogFont* font);  // a null font keeps the font
int SgSetTextRect(SGKEY key, const float rect[4]);  // left, top, right, bottom (y grows upwards)
// The rectangle set, or else the one the text covers from its position and extent.
int SgShowTextRect(SGKEY key, float rect[4]);
// Binds the text to a line of a paragraph of a multi-text document (line 0: the whole paragraph).
int SgSetTextFile(SGKEY key, const char* file, const char* paragraph, int line);
// Takes the text of the bound line from doc (which must be the bound file) into the node's
// contents; 0 when the document has no such paragraph or line.
class CMultiTextDoc;
int SgLoadTextDataByKey(SGKEY key, const CMultiTextDoc& doc);

// --- metrics: fixed rules, so that layouts come out the same on every machine ---
// The host's drawing area; 1024 x 768 until a host sets its own.
void SgSetClientSize(int width, int height);
int SgGetClientSize(int* width, int* height);
// The box of text drawn with font at scale: each byte is half a character height wide (a GBK
// character one height), and the height is the font's (16 when it has none).
int SgGetTextExtent(const char* text, const SgLogFont* font, float scale, float* width, float* height);

// --- appearance of the current field; 0 with no current field ---
int SgSetTexture(const char* file);
int SgSetMaterialDiffuse(const float rgba[4]);
int SgSetTransparency(float transparency);

// --- textures and projectors ---
// A texture from an image file and an optional mask file, with five loading options kept as
// given. Returns a handle for SgShowTextureData (0 when no file is given). Textures are never
// removed until SgResetScene.
int SgDefineTexture(const char* name, const char* file, const char* mask, int o0, int o1, int o2, int o3, int o4);
struct SgTextureData {
  int id = 0;  // the texture's identifier, from 1 in order of definition
  std::string name, file, mask;
  int options[5] = {0, 0, 0, 0, 0};
};
int SgShowTextureData(int handle, SgTextureData* out);  // 0 for an unknown handle
int SgTextureCount();
// A named projector casting a texture (identifier 0: none) from pos towards target, up being
// its up vector; blend is the share of the projected picture and repeat how often it tiles.
// The first setting of a name makes the projector; later ones change it. A null name fails.
int SgSetProjector(const char* name, const float pos[3], const float target[3], const float up[3], int texture,
                   float blend, float repeatU, float repeatV);
int SgSetProjectorBlendType(const char* name, int type);  // 1: lighting, 2: projecting
struct SgProjectorInfo {
  std::string name;
  float pos[3] = {0, 0, 0}, target[3] = {0, 0, 0}, up[3] = {0, 0, 0};
  int texture = 0;
  float blend = 0.7f;
  float repeat[2] = {1, 1};
  int blendType = 1;
};
const std::vector<SgProjectorInfo>& SgProjectors();  // in order of first setting

// --- global ---
int SgSetBackgroundImage(const char* file);
int SgSetBackgroundColor(const float c1[3], const float c2[3]);
void SgSetErrorMessage(const char* text);
const char* SgGetErrorMessage();  // "" when none
// Resolves name to an existing file: as given, then under the work directory, then under
// the host directory. Bounded copy of the path found into out; 0 when not found or too long.
int SgGetFullFilename(const char* name, char* out, int size);
void SgSetWorkDirectory(const char* dir);
const char* SgGetWorkDirectory();

// --- trace writer ---
// Writes only where the host configured a target: a file target receives every dump; a
// directory target receives each dump in a file named after the last component of `file`
// ('\\' and '/' both separate). With no target nothing is written anywhere.
void SgSetTraceTarget(const char* path, int bDirectory);  // null or "" removes the target
void SgDumpString(const char* file, int append, const char* fmt, ...)
    __attribute__((format(printf, 3, 4)));

// Clears the scene (only the root is left), the textures and projectors, the current field, the
// background, the error message, the work directory, the trace target and the display options
// (sg/Display.h).
void SgResetScene();

// --- walking the scene (dumps, tests) ---
int SgFieldChildCount(SGKEY key);
SGKEY SgFieldChild(SGKEY key, int i);  // -1 outside the range
const char* SgFieldName(SGKEY key);    // the node's own name ("" for the root); nullptr when unknown

struct SgZRect {
  float pos[2];
  float size[2];
};

// The properties of a text node.
struct SgTextInfo {
  float position[3] = {0, 0, 0};
  float size[2] = {0, 0};   // the box of a flat text
  float scale[3] = {1, 1, 1};
  float rotation[3] = {0, 0, 0};
  std::vector<float> colors;  // RGB triples
  bool hasFont = false;
  SgLogFont font;
  bool hasRect = false;
  float rect[4] = {0, 0, 0, 0};
  std::string file;       // a multi-text document, its paragraph and line
  std::string paragraph;
  int line = 0;
};

// A copy of everything a node holds.
struct SgFieldInfo {
  SGKEY key = -1;
  SGKEY owner = -1;
  std::string path;
  int visible = 1;
  float transform[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  int transformFlag = 0;
  std::string texture;
  bool hasDiffuse = false;
  float diffuse[4] = {0, 0, 0, 0};
  bool hasTransparency = false;
  float transparency = 0.0f;
  std::vector<std::pair<std::string, std::string>> contents;  // in order of first setting
  bool hasZRect = false;
  SgZRect zrect{};
  // What an image insert placed (its file is the "image" contents).
  bool hasImage = false;
  float imagePos[3] = {0, 0, 0};
  float imageSize[2] = {0, 0};
  // What a text insert made: "remark" (flat) or "text3d"; its text is the node's contents of
  // the same name ("remark" or "text").
  std::string textKind;
  SgTextInfo text;
  // What a stencil insert placed: x, y, z of each point.
  bool hasStencil = false;
  std::vector<float> stencil;
};
int SgGetFieldInfo(SGKEY key, SgFieldInfo* info);  // 0 when the key is unknown

struct SgBackground {
  std::string image;
  bool hasColor = false;
  float color1[3] = {0, 0, 0};
  float color2[3] = {0, 0, 0};
};
void SgGetBackground(SgBackground* bg);
