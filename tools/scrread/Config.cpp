#include "Config.h"

#include <filesystem>

#include <toml++/toml.h>

namespace fs = std::filesystem;

namespace {

// The nearest scrread.toml or .scrread.toml from `dir` upward; empty when there is none.
fs::path FindConfig(fs::path dir) {
  std::error_code ec;
  for (;;) {
    for (const char* name : {"scrread.toml", ".scrread.toml"}) {
      fs::path p = dir / name;
      if (fs::is_regular_file(p, ec)) return p;
    }
    if (!dir.has_parent_path() || dir.parent_path() == dir) return {};
    dir = dir.parent_path();
  }
}

// A string or an array of strings, appended to `out`; false for anything else.
bool Strings(const toml::node& n, std::vector<std::string>& out) {
  if (auto s = n.value<std::string>()) {
    out.push_back(*s);
    return true;
  }
  const toml::array* a = n.as_array();
  if (!a) return false;
  for (const toml::node& e : *a) {
    auto s = e.value<std::string>();
    if (!s) return false;
    out.push_back(*s);
  }
  return true;
}

}  // namespace

bool LoadProjectConfig(Options& opts, std::string& found, std::string& error) {
  std::error_code ec;
  fs::path file = FindConfig(fs::current_path(ec));
  found = file.string();
  if (file.empty()) return true;
  toml::table t;
  try {
    t = toml::parse_file(found);
  } catch (const toml::parse_error& e) {
    error = found + ": " + std::string(e.description());
    return false;
  }
  auto bad = [&](const char* key, const char* expected) {
    error = found + ": '" + key + "' must be " + expected;
    return false;
  };
  if (const toml::node* n = t.get("workdir")) {
    auto v = n->value<std::string>();
    if (!v) return bad("workdir", "a string");
    // Relative to the settings file, wherever scrread runs below it.
    opts.workdir = (file.parent_path() / *v).lexically_normal().string();
  }
  if (const toml::node* n = t.get("encoding")) {
    auto v = n->value<std::string>();
    if (!v || !ScrParseEncoding(v->c_str(), &opts.encoding)) return bad("encoding", "auto, gbk or utf-8");
  }
  if (const toml::node* n = t.get("ignore"); n && !Strings(*n, opts.ignore))
    return bad("ignore", "a list of message codes");
  if (const toml::node* n = t.get("entry"); n && !Strings(*n, opts.entries))
    return bad("entry", "a list of script names");
  return true;
}
