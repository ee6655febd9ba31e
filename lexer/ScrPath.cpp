// Whole paths of script files and the include list.
#include "lexer/ScrPath.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "lexer/ScrEncoding.h"
#include "lexer/ScrLexState.h"
#include "lexer/ScrLimits.h"
#include "reader/ScriptReader.h"
#include "sg/Module.h"
#include "sg/Platform.h"

namespace {

// A whole path: a drive letter and ':' in front, or '/' on this platform.
bool IsWhole(const std::string& p) { return (p.size() > 1 && p[1] == ':') || (!p.empty() && p[0] == '/'); }

std::string WithoutLeadingBackslash(const char* name) { return std::string(name[0] == '\\' ? name + 1 : name); }

}  // namespace

std::string ScrToFsPath(std::string_view scriptPath) {
  std::string out(scriptPath);
  std::replace(out.begin(), out.end(), '\\', '/');
  return out;
}

int ScrScriptPathExists(const std::string& scriptPath) {
  if (scriptPath.empty()) return 0;
  // Scenes name the same few images thousands of times: what the file system said is kept for the
  // rest of the read (ScrLexResetBuffers forgets it when the next file is read).
  auto& known = ScrLex().pathExists;
  if (auto it = known.find(scriptPath); it != known.end()) return it->second;
  int exists = 0;
  if (SgPathExists(ScrToFsPath(scriptPath).c_str())) {
    exists = 1;
  } else {
    std::string utf8 = ScrGbkToUtf8(scriptPath);
    exists = (utf8 != scriptPath && SgPathExists(ScrToFsPath(utf8).c_str())) ? 1 : 0;
  }
  if (known.size() < 4096) known.emplace(scriptPath, exists);
  return exists;
}

std::string ScrGetWholePathname(const char* workdir, const char* name) {
  if (!name) name = "";
  std::string out;
  if (IsWhole(name)) {
    out = name;
  } else if (!workdir || !*workdir) {
    out = WithoutLeadingBackslash(name);
  } else {
    out = workdir;
    if (out.back() != '\\' && out.back() != '/') out += '\\';
    out += WithoutLeadingBackslash(name);
  }
  const std::string host = SgHostDirectory();
  if (!IsWhole(out)) out = host + "\\" + out;
  if (!ScrScriptPathExists(out)) out = host + "\\Resource\\Script\\" + name;
  return out;
}

void ScrGetWholePathname(const char* workdir, const char* name, char* out) {
  if (!out) return;
  std::string path = ScrGetWholePathname(workdir, name);
  size_t n = std::min(path.size(), static_cast<size_t>(SCR_PATH_MAX));
  std::memcpy(out, path.data(), n);
  out[n] = '\0';
}

int ScrFindIncludeFilename(CScriptReader* reader, const char* name) {
  if (!reader) reader = ScrLex().reader;
  CSgModule* module = reader ? reader->CurrentModule() : nullptr;
  // Keyed by the module's whole path, so that modules of one name under different parents stay
  // apart, and compared whole, so that "main:a.sgv" is not found inside "xmain:a.sgv".
  std::string key = (module ? module->PathName() : std::string()) + ":" + (name ? name : "");
  return ScrLex().includes.insert(std::move(key)).second ? 0 : 1;
}

void ScrDeleteIncludeFilenames() {
  auto& inc = ScrLex().includes;
  inc.clear();
  inc.rehash(0);
}
