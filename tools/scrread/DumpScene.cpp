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

// Every node but the root, in tree order; the walk keeps its own stack (the scene may be deep).
std::vector<SgFieldInfo> Nodes() {
  std::vector<SgFieldInfo> out;
  std::vector<SGKEY> stack;
  const SGKEY root = SgFieldExists("/");
  for (int i = SgFieldChildCount(root) - 1; i >= 0; --i) stack.push_back(SgFieldChild(root, i));
  while (!stack.empty()) {
    SGKEY key = stack.back();
    stack.pop_back();
    SgFieldInfo info;
    if (key < 0 || !SgGetFieldInfo(key, &info)) continue;
    out.push_back(std::move(info));
    for (int i = SgFieldChildCount(key) - 1; i >= 0; --i) stack.push_back(SgFieldChild(key, i));
  }
  return out;
}

bool IsIdentity(const float m[16]) {
  for (int i = 0; i < 16; ++i)
    if (m[i] != (i % 5 == 0 ? 1.0f : 0.0f)) return false;
  return true;
}

void WriteFont(JsonWriter& w, const SgLogFont& f) {
  w.BeginObject();
  w.Key("face");
  w.String(ScrGbkToUtf8(f.faceName));
  w.Key("height");
  w.Int(f.height);
  w.Key("width");
  w.Int(f.width);
  w.Key("weight");
  w.Int(f.weight);
  w.Key("italic");
  w.Bool(f.italic != 0);
  w.Key("underline");
  w.Bool(f.underline != 0);
  w.Key("strikeOut");
  w.Bool(f.strikeOut != 0);
  w.EndObject();
}

// One node: what every node has, then only what was set on it.
void WriteNodeJson(JsonWriter& w, const SgFieldInfo& n) {
  w.BeginObject();
  w.Key("path");
  w.String(ScrGbkToUtf8(n.path));
  w.Key("key");
  w.Int(n.key);
  w.Key("visible");
  w.Bool(n.visible != 0);
  if (!n.contents.empty()) {
    w.Key("contents");
    w.BeginObject();
    for (const auto& [name, value] : n.contents) {
      w.Key(ScrGbkToUtf8(name));
      w.String(ScrGbkToUtf8(value));
    }
    w.EndObject();
  }
  if (n.transformFlag != 0 || !IsIdentity(n.transform)) {
    w.Key("transform");
    Floats(w, n.transform, 16);
  }
  if (!n.texture.empty()) {
    w.Key("texture");
    w.String(ScrGbkToUtf8(n.texture));
  }
  if (n.hasDiffuse) {
    w.Key("diffuse");
    Floats(w, n.diffuse, 4);
  }
  if (n.hasTransparency) {
    w.Key("transparency");
    w.Real(n.transparency);
  }
  if (n.hasZRect) {
    w.Key("zrect");
    w.BeginObject();
    w.Key("position");
    Floats(w, n.zrect.pos, 2);
    w.Key("size");
    Floats(w, n.zrect.size, 2);
    w.EndObject();
  }
  if (n.hasImage) {
    w.Key("image");
    w.BeginObject();
    w.Key("position");
    Floats(w, n.imagePos, 3);
    w.Key("size");
    Floats(w, n.imageSize, 2);
    w.EndObject();
  }
  if (n.hasStencil) {
    w.Key("stencil");
    Floats(w, n.stencil.data(), static_cast<int>(n.stencil.size()));
  }
  if (!n.textKind.empty()) {
    const SgTextInfo& t = n.text;
    w.Key("text");
    w.BeginObject();
    w.Key("kind");
    w.String(n.textKind);
    w.Key("position");
    Floats(w, t.position, 3);
    if (n.textKind == "remark") {
      w.Key("size");
      Floats(w, t.size, 2);
    } else {
      w.Key("scale");
      Floats(w, t.scale, 3);
    }
    w.Key("rotation");
    Floats(w, t.rotation, 3);
    w.Key("colors");
    Floats(w, t.colors.data(), static_cast<int>(t.colors.size()));
    w.Key("font");
    if (t.hasFont) WriteFont(w, t.font);
    else w.Null();
    if (t.hasRect) {
      w.Key("rect");
      Floats(w, t.rect, 4);
    }
    if (!t.file.empty()) {
      w.Key("file");
      w.String(ScrGbkToUtf8(t.file));
      w.Key("paragraph");
      w.String(ScrGbkToUtf8(t.paragraph));
      w.Key("line");
      w.Int(t.line);
    }
    w.EndObject();
  }
  w.EndObject();
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
  w.Key("projectors");
  w.BeginArray();
  for (const SgProjectorInfo& p : SgProjectors()) {
    w.BeginObject();
    w.Key("name");
    w.String(ScrGbkToUtf8(p.name));
    w.Key("position");
    Floats(w, p.pos, 3);
    w.Key("target");
    Floats(w, p.target, 3);
    w.Key("up");
    Floats(w, p.up, 3);
    w.Key("texture");
    w.Int(p.texture);
    w.Key("blend");
    w.Real(p.blend);
    w.Key("repeat");
    Floats(w, p.repeat, 2);
    w.Key("blendType");
    w.Int(p.blendType);
    w.EndObject();
  }
  w.EndArray();
  w.Key("nodes");
  w.BeginArray();
  for (const SgFieldInfo& n : Nodes()) WriteNodeJson(w, n);
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
  for (const SgProjectorInfo& p : SgProjectors()) {
    out += "projector " + ScrGbkToUtf8(p.name) + " at " + Num(p.pos[0]) + " " + Num(p.pos[1]) + " " + Num(p.pos[2]) +
           " texture " + std::to_string(p.texture) + " blend " + Num(p.blend) + " type " + std::to_string(p.blendType) +
           "\n";
  }
  // The nodes that hold something a script put there: texts, images, stencils, hidden nodes,
  // contents.
  for (const SgFieldInfo& n : Nodes()) {
    if (n.contents.empty() && n.visible && !n.hasImage && n.textKind.empty() && !n.hasStencil) continue;
    std::string line = "node " + ScrGbkToUtf8(n.path);
    if (!n.visible) line += " hidden";
    if (!n.textKind.empty()) {
      const float* p = n.text.position;
      line += " " + n.textKind + " at " + Num(p[0]) + " " + Num(p[1]) + " " + Num(p[2]);
      if (n.text.hasFont)
        line += " font " + ScrGbkToUtf8(n.text.font.faceName) + " " + std::to_string(n.text.font.height);
    }
    if (n.hasImage)
      line += " image at " + Num(n.imagePos[0]) + " " + Num(n.imagePos[1]) + " " + Num(n.imagePos[2]) + " size " +
              Num(n.imageSize[0]) + " " + Num(n.imageSize[1]);
    if (n.hasStencil) {
      line += " stencil";
      for (float v : n.stencil) line += " " + Num(v);
    }
    for (const auto& [name, value] : n.contents) line += " " + ScrGbkToUtf8(name) + "=\"" + ScrGbkToUtf8(value) + "\"";
    out += line + "\n";
  }
  return out;
}
