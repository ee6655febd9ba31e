// What a read leaves beyond the module tree, for the dumps: each file's script functions, and the
// scene's background and rectangles (zrect), which live in the graphics field library.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "Dump.h"
#include "lexer/ScrEncoding.h"
#include "reader/ScriptReader.h"
#include "sg/Gfx.h"

std::vector<FunctionInfo> CollectFunctions(CScriptReader& reader) {
  std::vector<FunctionInfo> out;
  for (const auto& rec : reader.Functions().Records()) {
    FunctionInfo f;
    f.name = ScrGbkToUtf8(rec->name);
    for (const std::string& p : rec->params) f.params.push_back(ScrGbkToUtf8(p));
    f.file = ScrGbkToUtf8(rec->fileName);
    f.line = rec->bodyLine;
    f.expansions = rec->instance;  // raised once per expansion
    out.push_back(std::move(f));
  }
  return out;
}

std::vector<MacroInfo> CollectMacros(const CScriptReader& reader) {
  std::vector<MacroInfo> out;
  for (const CScriptReader::Macro& m : reader.Macros()) {
    MacroInfo i;
    i.name = ScrGbkToUtf8(m.name);
    // The value is kept in 32 bits: an integer is signed, a truncated real too.
    i.value = static_cast<int32_t>(m.value);
    i.real = m.flag == 2;
    i.file = ScrGbkToUtf8(m.file);
    i.line = m.line;
    out.push_back(std::move(i));
  }
  return out;
}

std::string MacroLine(const MacroInfo& m) {
  std::string s = m.name + " = " + std::to_string(m.value) + (m.real ? " (real)" : "");
  if (!m.file.empty()) s += " (" + m.file + (m.line > 0 ? ":" + std::to_string(m.line) : std::string()) + ")";
  return s;
}

namespace {

void Floats(JsonWriter& w, const float* v, int n) {
  w.BeginArray();
  for (int i = 0; i < n; ++i) w.Real(v[i]);
  w.EndArray();
}

// The scene's rectangles in path order; the walk keeps its own stack (the scene may be deep).
std::vector<SgFieldInfo> ZRects() {
  std::vector<SgFieldInfo> out;
  std::vector<SGKEY> stack{SgFieldExists("/")};
  while (!stack.empty()) {
    SGKEY key = stack.back();
    stack.pop_back();
    SgFieldInfo info;
    if (key < 0 || !SgGetFieldInfo(key, &info)) continue;
    if (info.hasZRect) out.push_back(info);
    for (int i = SgFieldChildCount(key) - 1; i >= 0; --i) stack.push_back(SgFieldChild(key, i));
  }
  return out;
}

}  // namespace

void WriteSceneJson(JsonWriter& w) {
  SgBackground bg;
  SgGetBackground(&bg);
  w.BeginObject();
  w.Key("background");
  w.BeginObject();
  w.Key("image");
  if (bg.image.empty()) w.Null();
  else w.String(ScrGbkToUtf8(bg.image));
  w.Key("colors");
  if (!bg.hasColor) {
    w.Null();
  } else {
    w.BeginArray();
    Floats(w, bg.color1, 3);
    Floats(w, bg.color2, 3);
    w.EndArray();
  }
  w.EndObject();
  w.Key("zrects");
  w.BeginArray();
  for (const SgFieldInfo& z : ZRects()) {
    w.BeginObject();
    w.Key("path");
    w.String(ScrGbkToUtf8(z.path));
    w.Key("position");
    Floats(w, z.zrect.pos, 2);
    w.Key("size");
    Floats(w, z.zrect.size, 2);
    w.Key("texture");
    if (z.texture.empty()) w.Null();
    else w.String(ScrGbkToUtf8(z.texture));
    w.Key("transparency");
    w.Real(z.transparency);
    w.EndObject();
  }
  w.EndArray();
  w.EndObject();
}

// A number as people write it: 1, 0.5.
std::string Num(float v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%g", static_cast<double>(v));
  return buf;
}

std::string FileTree(const FileReport& r, int indent) {
  const std::string pad(static_cast<size_t>(indent), ' ');
  std::string out;
  for (const MacroInfo& m : r.macros) out += pad + "macro " + MacroLine(m) + "\n";
  for (const FunctionInfo& f : r.functions) {
    std::string params;
    for (const std::string& p : f.params) params += (params.empty() ? "" : ", ") + p;
    out += pad + "function " + f.name + "(" + params + ") at " + f.file + ":" + std::to_string(f.line) + ", " +
           std::to_string(f.expansions) + (f.expansions == 1 ? " expansion\n" : " expansions\n");
  }
  return out;
}

std::string SceneTree() {
  std::string out;
  SgBackground bg;
  SgGetBackground(&bg);
  if (!bg.image.empty()) out += "background image " + ScrGbkToUtf8(bg.image) + "\n";
  if (bg.hasColor) {
    out += "background colors";
    for (float c : bg.color1) out += " " + Num(c);
    out += " /";
    for (float c : bg.color2) out += " " + Num(c);
    out += "\n";
  }
  for (const SgFieldInfo& z : ZRects()) {
    out += "zrect " + ScrGbkToUtf8(z.path) + " position " + Num(z.zrect.pos[0]) + " " + Num(z.zrect.pos[1]) +
           " size " + Num(z.zrect.size[0]) + " " + Num(z.zrect.size[1]) + "\n";
  }
  return out;
}
