// The keyword table and its queries.
//
// The table is kept exactly as the script format has always stored it: value keywords, then block
// keywords with their allowed lists, blanks and all ("hover,tip", "content,enable" and
// "image,enable" have none after the comma, which matters to the substring test), then the end
// mark. No name occurs twice, so the first-match rule never hides a record today; the indexes
// below still keep the first record of a name, so that a record added later behaves as the
// table always has.
#include "lexer/ScrKeywordTable.h"

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "lexer/ScrLex.h"
#include "lexer/ScrLimits.h"

namespace {

const ScrKeywordRecord kTable[] = {
    // Value keywords: their values follow in braces; nothing may stand inside them.
    {"version", SCR_KW_VALUE, "none"},
    {"file", SCR_KW_VALUE, "none"},
    {"replace", SCR_KW_VALUE, "none"},
    {"life", SCR_KW_VALUE, "none"},
    {"speed", SCR_KW_VALUE, "none"},
    {"speedup", SCR_KW_VALUE, "none"},
    {"name", SCR_KW_VALUE, "none"},
    {"field", SCR_KW_VALUE, "none"},
    {"fields", SCR_KW_VALUE, "none"},
    {"values", SCR_KW_VALUE, "none"},
    {"{", SCR_KW_VALUE, "none"},
    {"}", SCR_KW_VALUE, "none"},
    {"interpolation", SCR_KW_VALUE, "none"},
    {"interval", SCR_KW_VALUE, "none"},
    {"time", SCR_KW_VALUE, "none"},
    {"type", SCR_KW_VALUE, "none"},
    {"group", SCR_KW_VALUE, "none"},
    {"mode", SCR_KW_VALUE, "none"},
    {"enable", SCR_KW_VALUE, "none"},
    {"position", SCR_KW_VALUE, "none"},
    {"corner", SCR_KW_VALUE, "none"},
    {"size", SCR_KW_VALUE, "none"},
    {"bitmap", SCR_KW_VALUE, "none"},
    {"bitmap_templ", SCR_KW_VALUE, "none"},
    {"visible", SCR_KW_VALUE, "none"},
    {"property", SCR_KW_VALUE, "none"},
    {"bool", SCR_KW_VALUE, "none"},
    {"int", SCR_KW_VALUE, "none"},
    {"float", SCR_KW_VALUE, "none"},
    {"long", SCR_KW_VALUE, "none"},
    {"dword", SCR_KW_VALUE, "none"},
    {"content", SCR_KW_VALUE, "none"},
    {"scale", SCR_KW_VALUE, "none"},
    {"workdir", SCR_KW_VALUE, "none"},
    {"stereo", SCR_KW_VALUE, "none"},
    {"vertical", SCR_KW_VALUE, "none"},
    {"resolution", SCR_KW_VALUE, "none"},
    {"id", SCR_KW_VALUE, "none"},
    {"include", SCR_KW_VALUE, "none"},
    {"quick", SCR_KW_VALUE, "none"},
    {"mask", SCR_KW_VALUE, "none"},
    {"mask_int", SCR_KW_VALUE, "none"},
    {"rect", SCR_KW_VALUE, "none"},
    {"outline", SCR_KW_VALUE, "none"},
    {"axis", SCR_KW_VALUE, "none"},
    {"offset", SCR_KW_VALUE, "none"},
    {"color", SCR_KW_VALUE, "none"},
    {"color_int", SCR_KW_VALUE, "none"},
    {"string", SCR_KW_VALUE, "none"},
    {"wave", SCR_KW_VALUE, "none"},
    {"option", SCR_KW_VALUE, "none"},
    {"volume", SCR_KW_VALUE, "none"},
    {"gravity", SCR_KW_VALUE, "none"},
    {"devision", SCR_KW_VALUE, "none"},
    {"center", SCR_KW_VALUE, "none"},
    {"height", SCR_KW_VALUE, "none"},
    {"resist", SCR_KW_VALUE, "none"},
    {"priority", SCR_KW_VALUE, "none"},
    {"count", SCR_KW_VALUE, "none"},
    {"section", SCR_KW_VALUE, "none"},
    {"velocity", SCR_KW_VALUE, "none"},
    {"random", SCR_KW_VALUE, "none"},
    {"force", SCR_KW_VALUE, "none"},
    {"radius", SCR_KW_VALUE, "none"},
    {"density", SCR_KW_VALUE, "none"},
    {"diffuse", SCR_KW_VALUE, "none"},
    {"ambient", SCR_KW_VALUE, "none"},
    {"specular", SCR_KW_VALUE, "none"},
    {"index", SCR_KW_VALUE, "none"},
    {"rotation", SCR_KW_VALUE, "none"},
    {"target", SCR_KW_VALUE, "none"},
    {"environment", SCR_KW_VALUE, "none"},
    {"pixel", SCR_KW_VALUE, "none"},
    {"grid", SCR_KW_VALUE, "none"},
    {"texture_name", SCR_KW_VALUE, "none"},
    {"amplitude", SCR_KW_VALUE, "none"},
    {"filename", SCR_KW_VALUE, "none"},
    {"define", SCR_KW_VALUE, "none"},
    {"dial", SCR_KW_VALUE, "none"},
    {"dial_interval", SCR_KW_VALUE, "none"},
    {"tool", SCR_KW_VALUE, "none"},
    {"instrument", SCR_KW_VALUE, "none"},
    {"distance", SCR_KW_VALUE, "none"},
    {"angle", SCR_KW_VALUE, "none"},
    {"period", SCR_KW_VALUE, "none"},
    {"title", SCR_KW_VALUE, "none"},
    {"point", SCR_KW_VALUE, "none"},
    {"range", SCR_KW_VALUE, "none"},
    {"gif", SCR_KW_VALUE, "none"},
    {"path", SCR_KW_VALUE, "none"},
    {"recordable", SCR_KW_VALUE, "none"},
    {"texture_param", SCR_KW_VALUE, "none"},
    {"diffuse_int", SCR_KW_VALUE, "none"},
    {"ambient_int", SCR_KW_VALUE, "none"},
    {"specular_int", SCR_KW_VALUE, "none"},
    {"key", SCR_KW_VALUE, "none"},
    {"alpha", SCR_KW_VALUE, "none"},
    {"alpha_int", SCR_KW_VALUE, "none"},
    {"param", SCR_KW_VALUE, "none"},
    {"look", SCR_KW_VALUE, "none"},
    {"draw_background", SCR_KW_VALUE, "none"},
    {"follow", SCR_KW_VALUE, "none"},
    {"deflection", SCR_KW_VALUE, "none"},
    {"from", SCR_KW_VALUE, "none"},
    {"to", SCR_KW_VALUE, "none"},
    {"default", SCR_KW_VALUE, "none"},
    {"counter", SCR_KW_VALUE, "none"},
    {"variables", SCR_KW_VALUE, "none"},
    {"initial", SCR_KW_VALUE, "none"},
    {"string2", SCR_KW_VALUE, "none"},
    {"string3", SCR_KW_VALUE, "none"},
    {"direction", SCR_KW_VALUE, "none"},
    {"steps", SCR_KW_VALUE, "none"},
    {"independent", SCR_KW_VALUE, "none"},
    {"port", SCR_KW_VALUE, "none"},
    {"host", SCR_KW_VALUE, "none"},
    {"truss", SCR_KW_VALUE, "none"},
    {"friction", SCR_KW_VALUE, "none"},
    {"inertia", SCR_KW_VALUE, "none"},
    {"frontaxle", SCR_KW_VALUE, "none"},
    {"rearaxle", SCR_KW_VALUE, "none"},
    {"mass", SCR_KW_VALUE, "none"},
    {"power", SCR_KW_VALUE, "none"},
    {"blend", SCR_KW_VALUE, "none"},
    {"items", SCR_KW_VALUE, "none"},
    {"font_scale", SCR_KW_VALUE, "none"},
    {"modeltype", SCR_KW_VALUE, "none"},
    {"anglevar", SCR_KW_VALUE, "none"},
    {"maxdistance", SCR_KW_VALUE, "none"},
    {"subforward", SCR_KW_VALUE, "none"},
    {"subleft", SCR_KW_VALUE, "none"},
    {"bitmap2", SCR_KW_VALUE, "none"},
    {"diffuse_map", SCR_KW_VALUE, "none"},
    {"normal_map", SCR_KW_VALUE, "none"},
    {"arm_map", SCR_KW_VALUE, "none"},
    {"shader", SCR_KW_VALUE, "none"},
    {"factor", SCR_KW_VALUE, "none"},
    // Block keywords, the root block first, with the keywords allowed directly inside.
    {"script", SCR_KW_ROOT, "all"},
    {"animation", SCR_KW_BLOCK, "name, group, speedup, property, controller, animation, quick, reference, conditions, from, to, repeat, program, life, id, trigger"},
    {"reference", SCR_KW_BLOCK, "animation, replace, time"},
    // Stored as a value keyword in the table this one was made from, which made every repeat
    // block fail the check: its body holds blocks.
    {"repeat", SCR_KW_BLOCK, "property, counter, animation, act, quick"},
    {"controller", SCR_KW_BLOCK, "life, speed, transparency, mark, rotate, track, camera, action, program, material, sound, particle, soft, stretch, line, avi, shift, beam, printer, printeredit, cut_plane, vehicle"},
    {"transparency", SCR_KW_BLOCK, "field, button, values, fields, type"},
    {"mark", SCR_KW_BLOCK, "field, color, position, property, size, bitmap, bitmap_templ"},
    {"rotate", SCR_KW_BLOCK, "field, values, axis"},
    {"track", SCR_KW_BLOCK, "interpolation, interval, frame, curve, field, fields"},
    {"action", SCR_KW_BLOCK, "name, property, act, interval, repeat, mode, conditions, program"},
    {"frame", SCR_KW_BLOCK, "time, field, values"},
    {"act", SCR_KW_BLOCK, "type, field, fields, values, animation, button, image, long, dword, int, bool, float, ctrlpt, text, text3d, variable, coord, string, variables, string2, string3, vector"},
    {"camera", SCR_KW_BLOCK, "type, values, string, field"},
    {"reaction", SCR_KW_BLOCK, "mode, conditions, type, animation, quick, action, property"},
    {"otherwise", SCR_KW_BLOCK, "type, animation, quick"},
    {"ctrlpt", SCR_KW_BLOCK, "name, field, group, enable, conditions, reaction, otherwise"},
    {"button", SCR_KW_BLOCK, "name, field, group, enable, mode, conditions, reaction, otherwise, position, corner, mask, mask_int, size, rect, target, normal, push, hover,tip, outline, transparency, recordable, unable, visible, property"},
    {"edit", SCR_KW_BLOCK, "name, field, group, content,enable, reaction, otherwise, position, size, rect, transparency, scale, font, color, property"},
    {"map", SCR_KW_BLOCK, "name, group, enable, bitmap, bitmap_templ, center, scale, angle"},
    {"normal", SCR_KW_BLOCK, "bitmap, bitmap_templ, size, rect, position, corner, outline, transparency, mask, mask_int, base"},
    {"push", SCR_KW_BLOCK, "bitmap, bitmap_templ, size, rect, position, corner, outline, transparency, mask, mask_int, base"},
    {"hover", SCR_KW_BLOCK, "bitmap, bitmap_templ, size, rect, position, corner, outline, transparency, mask, mask_int, base"},
    {"tip", SCR_KW_BLOCK, "bitmap, bitmap_templ, size, rect, position, corner, outline, transparency, mask, mask_int, base"},
    {"unable", SCR_KW_BLOCK, "bitmap, bitmap_templ, size, rect, position, corner, outline, transparency, mask, mask_int, base"},
    {"text", SCR_KW_BLOCK, "name, field, font, position, scale, content, color, enable, rotation, rect, filename"},
    {"text3d", SCR_KW_BLOCK, "name, field, font, position, scale, content, color, enable, rotation, direction"},
    {"multitext", SCR_KW_BLOCK, "field, font, position, rect, scale, color, enable, rotation, filename"},
    {"font", SCR_KW_BLOCK, "name, property, size"},
    {"material", SCR_KW_BLOCK, "type, field, values"},
    {"settings", SCR_KW_BLOCK, "workdir, default, vertical, resolution, font_scale, stereo"},
    {"image", SCR_KW_BLOCK, "name, field, font, position, mode, content, color, enable, mask, mask_int, size, rect, transparency, bitmap, bitmap_templ, property, outline, base, corner, offset"},
    {"base", SCR_KW_BLOCK, "image"},
    {"background", SCR_KW_BLOCK, "bitmap, color"},
    {"process", SCR_KW_BLOCK, "all"},
    {"procedure", SCR_KW_BLOCK, "all"},
    {"step", SCR_KW_BLOCK, "all"},
    {"conditions", SCR_KW_BLOCK, "type, field, conditions, mode"},
    {"variable", SCR_KW_BLOCK, "name, type, values, size"},
    {"coord", SCR_KW_BLOCK, "name, values, field"},
    {"check_coord", SCR_KW_BLOCK, "name, values, field"},
    {"vector", SCR_KW_BLOCK, "name, values, field"},
    {"pole", SCR_KW_BLOCK, "name, values, field"},
    {"screw", SCR_KW_BLOCK, "name, values, axis, field"},
    {"sound", SCR_KW_BLOCK, "wave, option, volume"},
    {"particle", SCR_KW_BLOCK, "name, life, count, interval, random, pipeling, field, ship, painter, radius, density, free, ball"},
    {"pipeling", SCR_KW_BLOCK, "axis, section, velocity, force, resist, gravity"},
    {"ship", SCR_KW_BLOCK, "field, size, center, height, devision, resist"},
    {"ball", SCR_KW_BLOCK, "field, center, radius, velocity, force, resist, gravity"},
    {"free", SCR_KW_BLOCK, "field, position, velocity, force, resist, gravity"},
    {"curve", SCR_KW_BLOCK, "name, direction, polyline, arc"},
    {"polyline", SCR_KW_BLOCK, "name, point, type"},
    {"arc", SCR_KW_BLOCK, "name, center, point, type"},
    {"painter", SCR_KW_BLOCK, "type, size, bitmap, bitmap_templ, mask, mask_int, transparency, rotation, color, color_int, blend, priority"},
    {"light", SCR_KW_BLOCK, "position, diffuse, ambient, specular, type, index"},
    {"texture", SCR_KW_BLOCK, "bitmap, bitmap_templ, name, environment, mask, mask_int, pixel, alpha, alpha_int"},
    {"soft", SCR_KW_BLOCK, "life, sea, lake"},
    {"sea", SCR_KW_BLOCK, "position, size, grid, texture_name, amplitude, color, texture_param, count, path"},
    {"lake", SCR_KW_BLOCK, "position, size, grid, texture_name, amplitude, color, texture_param, count, path"},
    {"import", SCR_KW_BLOCK, "filename, field"},
    {"stretch", SCR_KW_BLOCK, "field, values"},
    {"shift", SCR_KW_BLOCK, "field, values"},
    {"knob", SCR_KW_BLOCK, "name, enable, axis, dial, dial_interval, field, point, group, reaction, range, initial, speed, property"},
    {"slider", SCR_KW_BLOCK, "name, enable, axis, dial, field, point, group, reaction, range, initial, speed, property"},
    {"part", SCR_KW_BLOCK, "name, enable, axis, tool, instrument, field, group, distance, angle"},
    {"sequence", SCR_KW_BLOCK, "name, sequence, ctrlpt, type, property"},
    {"chart", SCR_KW_BLOCK, "name, property, position, size, type, range, chart, color, title, variable, image,enable"},
    {"generator", SCR_KW_BLOCK, "name, string, values, type, range, period, property"},
    {"line", SCR_KW_BLOCK, "field, color, point, values"},
    {"avi", SCR_KW_BLOCK, "field, path, property, rect, count, transparency, mask, mask_int, gif"},
    {"area", SCR_KW_BLOCK, "name, group, enable, point, reaction, rect, field"},
    {"zrect", SCR_KW_BLOCK, "position, size, bitmap, field, transparency"},
    {"beam", SCR_KW_BLOCK, "position, diffuse, ambient, specular, index, diffuse_int, ambient_int, specular_int"},
    {"key_map", SCR_KW_BLOCK, "name, group, enable, key, reaction"},
    {"keymap", SCR_KW_BLOCK, "name, group, enable, key, reaction"},
    {"message", SCR_KW_BLOCK, "id, animation, param, action"},
    {"viewport", SCR_KW_BLOCK, "name, enable, rect, look, draw_background, field, follow, deflection"},
    {"sky", SCR_KW_BLOCK, "field, position, radius, bitmap, texture_param"},
    {"page", SCR_KW_BLOCK, "name, button, text, image, time, ctrlpt"},
    {"trigger", SCR_KW_BLOCK, "name, conditions, animation, action, quick, enable, property, id"},
    {"anim_trigger", SCR_KW_BLOCK, "name, conditions, animation, action, quick, enable, property, id"},
    {"check_trigger", SCR_KW_BLOCK, "name, conditions, animation, action, quick, enable, check_coord, property"},
    {"cut_plane", SCR_KW_BLOCK, "type, values, field"},
    {"program", SCR_KW_BLOCK, "if, while, for, else, elseif, asyn, switch"},
    {"completed", SCR_KW_BLOCK, "if, while, for, else, elseif, asyn, switch"},
    {"segment", SCR_KW_BLOCK, "if, while, for, else, elseif, asyn, switch"},
    {"if", SCR_KW_BLOCK, "if, while, for, else, elseif, asyn, switch"},
    {"while", SCR_KW_BLOCK, "if, while, for, else, elseif, asyn, switch"},
    {"for", SCR_KW_BLOCK, "if, while, for, else, elseif, asyn, switch"},
    {"else", SCR_KW_BLOCK, "if, while, for, else, elseif, asyn, switch"},
    {"elseif", SCR_KW_BLOCK, "if, while, for, else, elseif, asyn, switch"},
    {"case", SCR_KW_BLOCK, "if, while, for, else, elseif, asyn, switch"},
    {"asyn", SCR_KW_BLOCK, "if, while, for, else, elseif, asyn, completed, switch"},
    {"class", SCR_KW_BLOCK, "if, while, for, else, elseif, switch"},
    {"switch", SCR_KW_BLOCK, "case, default"},
    {"printer", SCR_KW_BLOCK, "field"},
    {"printeredit", SCR_KW_BLOCK, "edit"},
    {"window", SCR_KW_BLOCK, "field, name, path"},
    {"tick", SCR_KW_BLOCK, "animation, action"},
    {"timer", SCR_KW_BLOCK, "name, enable, interval, animation, action, property, id"},
    {"menu", SCR_KW_BLOCK, "name, id, menu"},
    {"magicmenu", SCR_KW_BLOCK, "name, id, button, magicmenu, systemmenu, property"},
    {"systemmenu", SCR_KW_BLOCK, "button"},
    {"examine", SCR_KW_BLOCK, "name, id, animation, steps, examine, mark"},
    {"fault", SCR_KW_BLOCK, "name, id, property, animation, examine, independent, error, phenomenon, branch, leaf, rect"},
    {"phenomenon", SCR_KW_BLOCK, "animation"},
    {"error", SCR_KW_BLOCK, "animation"},
    {"branch", SCR_KW_BLOCK, "name, id, animation, steps, branch, leaf, mark"},
    {"leaf", SCR_KW_BLOCK, "name, id, animation, steps, mark"},
    {"manipulation", SCR_KW_BLOCK, "name, id, animation, procedure, independent, property, error, rect"},
    {"server", SCR_KW_BLOCK, "port"},
    {"client", SCR_KW_BLOCK, "host, port"},
    {"vehicle", SCR_KW_BLOCK, "name, field, truss, resist, friction, inertia, frontaxle, rearaxle, mass, radius, power"},
    {"body", SCR_KW_BLOCK, "name, field, truss, initial"},
    {"stencil", SCR_KW_BLOCK, "field, point, position, size"},
    {"projector", SCR_KW_BLOCK, "name, look, repeat, blend, field, bitmap, bitmap_templ, texture_name, enable, property"},
    {"route", SCR_KW_BLOCK, "name, point"},
    {"table", SCR_KW_BLOCK, "name, size, enable, position, title, items, values, count, property, image, transparency, colors"},
    {"wrench", SCR_KW_BLOCK, "name, axis, point, field,modeltype,maxdistance,subforward,subleft"},
    {"nut", SCR_KW_BLOCK, "name, axis, force, field,modeltype,anglevar,dial"},
    {"*", 0, "none"},
};

constexpr int kTableCount = static_cast<int>(sizeof(kTable) / sizeof(kTable[0]));

bool StartsWith(const char* s, const char* prefix) {
  return std::strncmp(s, prefix, std::strlen(prefix)) == 0;
}

// The parent-only half of the allowed-child test, for any word.
ScrKeywordParent ComputeParent(const char* parent, const ScrKeywordRecord* rec) {
  ScrKeywordParent p;
  // Calls and code blocks may hold anything; so may modules, classes and segments. The bodies of
  // a switch's cases ("case 2:", "default:"), of asyn and of completed are code blocks too: the
  // table lists no statements for them, and a case body of statements is what every switch holds.
  static const char* const kCodeBlocks[] = {"program", "if",   "else",      "while",
                                            "for",     "switch", "elseif", "asyn", "completed"};
  for (const char* b : kCodeBlocks)
    if (std::strcmp(parent, b) == 0) p.any = true;
  if (StartsWith(parent, "segment ") || StartsWith(parent, "class ") || StartsWith(parent, "module") ||
      StartsWith(parent, "Module") || StartsWith(parent, "MODULE") || StartsWith(parent, "case ") ||
      StartsWith(parent, "default") || ScrIsCallShaped(parent))
    p.any = true;
  p.controller = std::strcmp(parent, "controller") == 0;
  if (rec) {
    p.allowed = rec->allowed;
    p.takesAll = std::strstr(rec->allowed, "all") != nullptr;  // also inside "ball"
  }
  return p;
}

// Keywords are short: FNV-1a over their few bytes, inline, is cheaper than the library's hash of
// a string and spreads the table's names as well.
struct WordHash {
  size_t operator()(std::string_view s) const {
    uint64_t h = 14695981039346656037ull;
    for (char c : s) h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    return static_cast<size_t>(h);
  }
};

// What a search may find: the records before the end mark and within the bound, indexed by name
// (the first record of a name, with its half of the allowed-child test worked out) and by
// lower-cased name.
struct KeywordIndex {
  struct Entry {
    const ScrKeywordRecord* rec;
    ScrKeywordParent parent;
  };
  std::unordered_map<std::string_view, Entry, WordHash> byName;
  std::vector<ScrKeywordParent> parents;  // by record index
  std::vector<std::string> lowered;
  std::unordered_set<std::string_view, WordHash> loweredSet;
  size_t longest = 0;
};

const KeywordIndex& Index() {
  static const KeywordIndex index = [] {
    KeywordIndex ix;
    int n = 0;
    while (n < kTableCount && n < SCR_KEYWORD_TABLE_BOUND && std::strcmp(kTable[n].name, "*") != 0) ++n;
    ix.lowered.reserve(static_cast<size_t>(n));  // the set points into these strings
    for (int i = 0; i < n; ++i) {
      const ScrKeywordRecord& r = kTable[i];
      ix.parents.push_back(ComputeParent(r.name, &r));
      ix.byName.emplace(r.name, KeywordIndex::Entry{&r, ix.parents.back()});
      std::string low(r.name);
      for (char& c : low)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
      ix.lowered.push_back(std::move(low));
      ix.loweredSet.insert(ix.lowered.back());
      if (ix.lowered.back().size() > ix.longest) ix.longest = ix.lowered.back().size();
    }
    return ix;
  }();
  return index;
}

const KeywordIndex::Entry* FindEntry(const char* name) {
  const KeywordIndex& ix = Index();
  auto it = ix.byName.find(std::string_view(name));
  return it == ix.byName.end() ? nullptr : &it->second;
}

}  // namespace

const ScrKeywordRecord* ScrKeywordTable(int* count) {
  if (count) *count = kTableCount;
  return kTable;
}

const ScrKeywordRecord* ScrFindKeywordRecord(const char* name) {
  if (!name) return nullptr;
  const KeywordIndex::Entry* e = FindEntry(name);
  return e ? e->rec : nullptr;
}

int ScrIsKeyword(const char* token) {
  if (!token) return 0;
  // Equality ignoring the case of ASCII letters is equality of the lower-cased texts. No keyword
  // is longer than `longest`, so a longer token is rejected before it is lowered.
  const KeywordIndex& ix = Index();
  char buf[64];
  size_t n = 0;
  for (; token[n]; ++n) {
    if (n >= ix.longest || n >= sizeof buf) return 0;
    char c = token[n];
    buf[n] = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  }
  return ix.loweredSet.count(std::string_view(buf, n)) ? 1 : 0;
}

// The allowed-child test, in the order it has always been applied:
//   1. yes when the parent or the child is a call, the parent is a code block (program, if, else,
//      while, for, switch, elseif, asyn, completed), or begins with "segment ", "class ", "module",
//      "case " or "default";
//   2. no for `act` inside `controller`;
//   3. no when the table has no record of the parent (exact name, first record);
//   4. yes when the child occurs in the parent's allowed list, or the list contains "all".
ScrKeywordParent ScrKeywordParentOf(const char* parent) {
  if (!parent) return ScrKeywordParent{};
  if (const KeywordIndex::Entry* e = FindEntry(parent)) return e->parent;
  return ComputeParent(parent, nullptr);
}

ScrKeywordParent ScrKeywordParentOfRecord(const ScrKeywordRecord* rec) {
  const KeywordIndex& ix = Index();
  std::less<const ScrKeywordRecord*> before;  // a total order, also for pointers elsewhere
  if (!rec || before(rec, kTable) || !before(rec, kTable + ix.parents.size())) return ScrKeywordParent{};
  return ix.parents[static_cast<size_t>(rec - kTable)];
}

int ScrKeywordParentAllows(const ScrKeywordParent& p, const char* child) {
  if (!child) return 0;
  if (p.any) return 1;
  // Only a text holding '(' can be a call.
  if (std::strchr(child, '(') && ScrIsCallShaped(child)) return 1;
  // A controller's events hold actions, never the `act` of an action (which the substring test
  // would let through, "act" occurring in "action").
  if (p.controller && std::strcmp(child, "act") == 0) return 0;
  // The lists have always been matched as text: `mask` passes where only `mask_int` is listed,
  // `tip` passes in "hover,tip" while `tip2` does not.
  return p.allowed && (p.takesAll || std::strstr(p.allowed, child)) ? 1 : 0;
}

int ScrKeywordAllows(const char* parent, const char* child) {
  if (!parent || !child) return 0;
  return ScrKeywordParentAllows(ScrKeywordParentOf(parent), child);
}
