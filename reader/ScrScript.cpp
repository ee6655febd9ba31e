#include "reader/ScrScript.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <unordered_map>

#include "animation/ScrAnimation.h"
#include "animation/ScrQuick.h"
#include "animation/ScrTrigger.h"
#include "compiler/ScrCompile.h"
#include "compiler/ScrFunction.h"
#include "declarations/ScrCoord.h"
#include "declarations/ScrVariable.h"
#include "elements/ScrButton.h"
#include "elements/ScrCtrlpt.h"
#include "elements/ScrEdit.h"
#include "elements/ScrImage.h"
#include "elements/ScrKnob.h"
#include "elements/ScrMenu.h"
#include "elements/ScrText.h"
#include "lexer/ScrEncoding.h"
#include "lexer/ScrLex.h"
#include "lexer/ScrLimits.h"
#include "lexer/ScrPath.h"
#include "lexer/ScrValues.h"
#include "reader/ScrFile.h"
#include "reader/ScriptReader.h"
#include "sg/Gfx.h"
#include "sg/Kvo.h"
#include "sg/Module.h"
#include "sg/Program.h"
#include "sg/View.h"

long CScrScript::m_totalTick = 0;

namespace {

bool StartsWith(const std::string& s, const char* prefix) {
  return s.compare(0, std::strlen(prefix), prefix) == 0;
}

// The top-level keywords, in the order they are tested (the first match wins), each with its
// handler. A row without one would be reported as an invalid keyword and its block skipped.
struct Row {
  const char* keyword;
  CScrScript::Handler handler;
};

}  // namespace

// Defined out of the anonymous namespace so that it may name CScrScript's private handlers.
struct ScrScriptTable {
  static const std::unordered_map<std::string, CScrScript::Handler>& Rows();
};

const std::unordered_map<std::string, CScrScript::Handler>& ScrScriptTable::Rows() {
  static const Row kRows[] = {
      {"version", &CScrScript::ReadVersion},
      {"file", &CScrScript::ReadFile},
      {"sequence", &CScrScript::ReadProcedure},
      {"animation", &CScrScript::ReadAnimation},
      {"ctrlpt", &CScrScript::ReadControl},
      {"button", &CScrScript::ReadInterface},
      {"map", &CScrScript::ReadControl},
      {"edit", &CScrScript::ReadControl},
      {"knob", &CScrScript::ReadControl},
      {"part", &CScrScript::ReadControl},
      {"slider", &CScrScript::ReadControl},
      {"area", &CScrScript::ReadControl},
      {"message", &CScrScript::ReadSceneObject},
      {"tick", &CScrScript::ReadAnimation},
      {"key_map", &CScrScript::ReadControl},
      {"keymap", &CScrScript::ReadControl},
      {"text", &CScrScript::ReadText},
      {"text3d", &CScrScript::ReadText},
      {"multitext", &CScrScript::ReadText},
      {"image", &CScrScript::ReadImage},
      {"chart", &CScrScript::ReadDisplayObject},
      {"table", &CScrScript::ReadDisplayObject},
      {"generator", &CScrScript::ReadSceneObject},
      {"stencil", &CScrScript::ReadDisplayObject},
      {"menu", &CScrScript::ReadInterface},
      {"settings", &CScrScript::ReadSettings},
      {"background", &CScrScript::ReadBackground},
      {"include", &CScrScript::ReadInclude},
      {"quick", &CScrScript::ReadAnimation},
      {"variable", &CScrScript::ReadVariable},
      {"coord", &CScrScript::ReadGeometry},
      {"check_coord", &CScrScript::ReadGeometry},
      {"screw", &CScrScript::ReadGeometry},
      {"vector", &CScrScript::ReadGeometry},
      {"pole", &CScrScript::ReadGeometry},
      {"light", &CScrScript::ReadSceneObject},
      {"viewport", &CScrScript::ReadInterface},
      {"projector", &CScrScript::ReadDisplayObject},
      {"sky", &CScrScript::ReadSceneObject},
      {"page", &CScrScript::ReadInterface},
      {"body", &CScrScript::ReadMechanism},
      {"texture", &CScrScript::ReadSceneObject},
      {"route", &CScrScript::ReadSceneObject},
      {"wrench", &CScrScript::ReadMechanism},
      {"nut", &CScrScript::ReadMechanism},
      {"define", &CScrScript::ReadDefine},
      {"import", &CScrScript::ReadImport},
      {"zrect", &CScrScript::ReadZRect},
      {"program", &CScrScript::ReadProgram},
      {"trigger", &CScrScript::ReadAnimation},
      {"check_trigger", &CScrScript::ReadAnimation},
      {"timer", &CScrScript::ReadAnimation},
      {"anim_trigger", &CScrScript::ReadAnimation},
      {"window", &CScrScript::ReadInterface},
      {"step", &CScrScript::ReadProcedure},
      {"fault", &CScrScript::ReadProcedure},
      {"manipulation", &CScrScript::ReadProcedure},
  };
  static const std::unordered_map<std::string, CScrScript::Handler> map = [] {
    std::unordered_map<std::string, CScrScript::Handler> m;
    for (const Row& r : kRows) m.emplace(r.keyword, r.handler);  // the first row of a word wins
    return m;
  }();
  return map;
}

// ---------------------------------------------------------------------------------------------

CScrScript::CScrScript(CScriptReader* reader) : CScrObject(reader) {}

CScrScript::~CScrScript() = default;

// script [{] keyword ... }
int CScrScript::Read(CScrStream* f) {
  ScrTickScope ticks(&m_totalTick);
  OpenBrace(f);
  std::string tok;
  for (;;) {
    int r = ScrReadKeyword(f, tok);
    if (!r) {
      if (tok.empty() && ScrInputEnded(f)) {  // the file ended inside the block
        Finish();
        return 1;
      }
      ReportNotKeyword(f, tok.c_str());
      return 0;
    }
    if (tok == "}") {
      Finish();
      return 1;
    }
    if (!Dispatch(f, tok)) return 0;
  }
}

int CScrScript::Dispatch(CScrStream* f, const std::string& token) {
  std::string name;
  if (ScrIsModuleToken(token, &name)) return ReadModule(f, name);

  const auto& rows = ScrScriptTable::Rows();
  auto it = rows.find(token);
  if (it != rows.end()) {
    Handler h = it->second;
    return h ? (this->*h)(f, token) : Unreadable(f, token);
  }

  // Shapes rather than words: script functions, classes, typed functions, declarations.
  if (ScrIsCallShaped(token.c_str()) && !ScrStartsWithFunctionType(token))
    return ReadScriptFunction(f, token);
  // Classes, typed function definitions (compiled into the module's "local" program) and typed
  // declarations, in this order: `int f(int a)` is a function, `int a` a declaration.
  if (StartsWith(token, "class ") || StartsWith(token, "segment ")) return ReadClass(f, token);
  if (ScrStartsWithFunctionType(token) && token.find('(') != std::string::npos && token[0] != '(')
    return ReadTypedFunction(f, token);
  if (ScrIsTopLevelDeclaration(token, ScriptReader()->CurrentModule()))
    return ScrReadDeclaration(ScriptReader(), f, token);
  //
  // A recognised word that matches no row is reported and its block skipped; reading goes on, so
  // that nothing after it is lost without a word.
  return Unreadable(f, token);
}

int CScrScript::Unreadable(CScrStream* f, const std::string& token) {
  ReportInvalidKeyword(f, token.c_str());
  SkipBlock(f);
  return 1;
}

// ---------------------------------------------------------------------------------------------
// Directives

// version [{] number [}]
int CScrScript::ReadVersion(CScrStream* f, const std::string&) {
  float v = 0;
  ReadValueNumbers(f, &v, 1);
  m_version = ScrNarrow<int>(v * 100.0f);
  return 1;
}

int CScrScript::ReadModule(CScrStream* f, const std::string& name) {
  return ScrReadModuleBlock(ScriptReader(), f, name);
}

// define [{] name value [}]
//
// Tokens do not end at blanks, so `define { N 3 }` arrives as the one token "N 3": the name and
// the value are split at the first blank; a name that stands alone takes the next token as value.
int CScrScript::ReadDefine(CScrStream* f, const std::string&) {
  std::string name, value;
  OpenBrace(f);
  ScrReadString(f, name);
  ScrTrimString(name);
  CScriptReader* reader = ScriptReader();
  const int line = reader->LineOf(f);  // where the name stands, for the tools that list macros
  size_t blank = name.find_first_of(" \t");
  if (blank != std::string::npos) {
    value = name.substr(blank + 1);
    name.resize(blank);
  } else {
    ScrReadString(f, value);
  }
  CloseBrace(f);
  ScrTrimString(value);
  // A value with a '.' is a real, kept truncated (flag 2); otherwise an integer (flag 1).
  const char* file = reader->FileName();
  if (value.find('.') != std::string::npos)
    reader->AddMacro(name.c_str(), static_cast<DWORD>(ScrNarrow<long long>(std::atof(value.c_str()))), 2, file, line);
  else
    reader->AddMacro(name.c_str(), static_cast<DWORD>(ScrNarrow<int>(std::strtoll(value.c_str(), nullptr, 10))), 1, file,
                     line);
  return 1;
}

namespace {

// background { bitmap {file} color {r g b r g b} }
class CScrBackground : public CScrObject {
 public:
  using CScrObject::CScrObject;
  int Read(CScrStream* f) override { return ReadBlock(f); }

 protected:
  int ReadSubKeyword(CScrStream* f, const char* kw) override { return kSubs.Dispatch(this, f, kw); }

 private:
  int ReadBitmap(CScrStream* f, const char*) {
    std::string name;
    ReadValueString(f, name);
    std::string path = ScrGetWholePathname(ScriptReader()->WorkDirectory(), name.c_str());
    SgSetBackgroundImage(path.c_str());
    return SCR_SUB_OK;
  }
  int ReadColor(CScrStream* f, const char*) {
    float c[16] = {};
    int count = 0;
    int braced = OpenBrace(f);
    ScrReadAllValues(f, c, count, 16);
    if (braced) CloseBrace(f);
    if (count != 6) {
      Report(ScrTextId::err_background_color_count, f);
      return SCR_SUB_OK;
    }
    SgSetBackgroundColor(c, c + 3);
    return SCR_SUB_OK;
  }
  static const ScrSubKeywords<CScrBackground> kSubs;
};

const ScrSubKeywords<CScrBackground> CScrBackground::kSubs = {
    {"bitmap", &CScrBackground::ReadBitmap},
    {"color", &CScrBackground::ReadColor},
};

// zrect { bitmap {file} field {path} position {x y} size {w h} transparency {t} }
class CScrZRect : public CScrObject {
 public:
  using CScrObject::CScrObject;
  int Read(CScrStream* f) override { return ReadBlock(f); }

 protected:
  int ReadSubKeyword(CScrStream* f, const char* kw) override { return kSubs.Dispatch(this, f, kw); }

  void Finish() override {
    std::string bitmap;
    if (!m_bitmap.empty()) bitmap = ScrGetWholePathname(ScriptReader()->WorkDirectory(), m_bitmap.c_str());
    SGKEY key = SgOpenField(m_field.c_str());
    if (!bitmap.empty()) SgSetTexture(bitmap.c_str());
    const float white[4] = {1, 1, 1, 1};
    SgSetMaterialDiffuse(white);
    SgSetTransparency(m_transparency);
    SgInsertZRect(m_position, m_size);
    SgCloseField();
    ScriptReader()->CurrentModule()->SgView()->AddScriptField(key);
  }

 private:
  int ReadBitmap(CScrStream* f, const char*) { return ReadValueString(f, m_bitmap) ? SCR_SUB_OK : SCR_SUB_FAIL; }
  int ReadField(CScrStream* f, const char*) { return ReadValueString(f, m_field) ? SCR_SUB_OK : SCR_SUB_FAIL; }
  int ReadPosition(CScrStream* f, const char*) { return ReadValueNumbers(f, m_position, 2) ? SCR_SUB_OK : SCR_SUB_FAIL; }
  int ReadSize(CScrStream* f, const char*) { return ReadValueNumbers(f, m_size, 2) ? SCR_SUB_OK : SCR_SUB_FAIL; }
  int ReadTransparency(CScrStream* f, const char*) {
    return ReadValueNumbers(f, &m_transparency, 1) ? SCR_SUB_OK : SCR_SUB_FAIL;
  }

  std::string m_bitmap;
  std::string m_field = "/scene/zrects";
  float m_position[2] = {0, 0};
  float m_size[2] = {0, 0};
  float m_transparency = 0;
  static const ScrSubKeywords<CScrZRect> kSubs;
};

const ScrSubKeywords<CScrZRect> CScrZRect::kSubs = {
    {"bitmap", &CScrZRect::ReadBitmap},
    {"field", &CScrZRect::ReadField},
    {"position", &CScrZRect::ReadPosition},
    {"size", &CScrZRect::ReadSize},
    {"transparency", &CScrZRect::ReadTransparency},
};

}  // namespace

int CScrScript::ReadBackground(CScrStream* f, const std::string&) {
  CScrBackground r(ScriptReader());
  return ReadNested(r, f);
}

int CScrScript::ReadZRect(CScrStream* f, const std::string&) {
  CScrZRect r(ScriptReader());
  return ReadNested(r, f);
}

// include [{] file [}]
int CScrScript::ReadInclude(CScrStream* f, const std::string&) {
  CScriptReader* outer = ScriptReader();
  std::string name;
  ReadValueString(f, name);
  // Where the include stands, for the notes of the messages in the included file.
  ScrSite site{outer->FileName(), outer->LineOf(f), -1};
  site.column = outer->ColumnOf(f, site.line);
  if (ScrFindIncludeFilename(outer, name.c_str())) {
    Report(ScrTextId::err_include_twice, f, {name});
    return 1;
  }
  // The work directory first, then the directory of the including file.
  std::string path = ScrGetWholePathname(outer->WorkDirectory(), name.c_str());
  ScrOpenError error = ScrOpenError::None;
  std::unique_ptr<CScrStream> file = ScrOpenScriptFile(path.c_str(), outer->Encoding(), nullptr, &error);
  if (!file && error == ScrOpenError::NotFound) {
    std::string dir = outer->FileName();
    size_t cut = dir.find_last_of('/');
    if (cut == std::string::npos) cut = dir.find_last_of('\\');
    dir = cut == std::string::npos ? std::string() : dir.substr(0, cut + 1);
    path = dir + name;
    file = ScrOpenScriptFile(path.c_str(), outer->Encoding(), nullptr, &error);
  }
  if (!file) {
    if (error == ScrOpenError::NotRegular) Report(ScrTextId::err_not_regular_file, f, {path});
    else Report(ScrTextId::err_include_not_found, f, {path});
    return 1;
  }

  if (outer->IncludeDepth() >= SCR_MAX_INCLUDE_DEPTH) {
    Report(ScrTextId::err_include_too_deep, f, {name, SCR_MAX_INCLUDE_DEPTH});
    return 0;
  }
  if (!outer->ChargeText(static_cast<long long>(file->Source().Size()), f)) return 0;
  if (!outer->EnterBlock(f)) return 0;

  ScrLexMark includer = ScrBeginNestedRead(f);
  long savedTick = m_totalTick;
  int result;
  {
    CScriptReader inner(outer->CurrentModule());
    inner.SetModuleStack(outer->GetModuleStack());
    inner.SetLoadImageDataDefault(outer->bLoadImageDataDefault());
    inner.SetReactionLocalDeafult(outer->bReactionLocalDeafult());
    inner.SetWorkDirectory(outer->WorkDirectory());
    inner.SetEncoding(outer->Encoding());
    inner.Functions() = outer->Functions();
    // Macros are one table for the includer and what it includes: moved in, and back below.
    inner.m_macroList = std::move(outer->m_macroList);
    inner.m_macros = std::move(outer->m_macros);
    inner.SetIncludeDepth(outer->IncludeDepth() + 1);
    inner.m_blockDepth = outer->m_blockDepth;
    inner.ShareBudget(*outer);
    inner.SetKeepSuppressed(outer->KeepSuppressed());
    std::vector<ScrSite> chain{site};
    chain.insert(chain.end(), outer->IncludedFrom().begin(), outer->IncludedFrom().end());
    inner.SetIncludedFrom(std::move(chain));
    // The inner reader names the file by its filesystem path, so its messages point at it. The
    // file was read once, above; the grammar check, when asked for, walks the same text first.
    const std::string fsPath = ScrToFsPath(path);
    if (outer->bCheckGrammar() && !inner.CheckGrammarStream(file.get(), fsPath.c_str())) {
      result = 0;
    } else {
      file->Seek(file->Begin());
      inner.m_lastEncoding = outer->m_lastEncoding;
      result = inner.ReadStream(file.get(), fsPath.c_str(), outer->bLoadModel(), outer->bCheckGrammar());
    }

    ScrRestoreLexState(f, includer);
    outer->Functions() = inner.Functions();
    outer->m_macroList = std::move(inner.m_macroList);
    outer->m_macros = std::move(inner.m_macros);
    outer->AddMessages(inner.Messages());
    outer->Suppressed().MoveFrom(inner.Suppressed());
    ScrSetCurrentReader(outer);
    ScrSetCurrentStream(f);
  }
  ScrSetCurrentReader(outer);
  m_totalTick = savedTick;
  outer->LeaveBlock();
  return result;
}

// variable { ... }: the variable it made is filed in the current module.
int CScrScript::ReadVariable(CScrStream* f, const std::string&) {
  CScrVariable r(ScriptReader());
  int result = ReadNested(r, f);
  if (CKvoObject* v = r.TakeObject())
    if (!ScriptReader()->AddObject(v)) delete v;
  return result;
}

// program { ... }: the compiled program is kept in this block's objects; its module owns it.
int CScrScript::ReadProgram(CScrStream* f, const std::string&) {
  CSgProgram* program = nullptr;
  int result = ScrReadProgramBlock(ScriptReader(), f, &program);
  if (program) m_objects.push_back(program);
  return result;
}

int CScrScript::ReadClass(CScrStream* f, const std::string& token) {
  return ScrReadClassDefinition(ScriptReader(), f, token, &m_objects);
}

int CScrScript::ReadTypedFunction(CScrStream* f, const std::string& token) {
  return ScrReadFunctionDefinition(ScriptReader(), f, token, &m_objects);
}

int CScrScript::ReadScriptFunction(CScrStream* f, const std::string& token) {
  return ScrDefineOrCallFunction(ScriptReader(), f, token, &m_objects, true);
}

// ---------------------------------------------------------------------------------------------
// Model and data files, settings, geometric variables

int CScrScript::ReadFile(CScrStream* f, const std::string&) {
  CScrFile r(ScriptReader());
  return ReadNested(r, f);
}

int CScrScript::ReadImport(CScrStream* f, const std::string&) {
  CScrImport r(ScriptReader());
  return ReadNested(r, f);
}

int CScrScript::ReadSettings(CScrStream* f, const std::string&) {
  CScrSettings r(ScriptReader());
  return ReadNested(r, f);
}

int CScrScript::ReadGeometry(CScrStream* f, const std::string& token) {
  if (token == "coord" || token == "check_coord") {
    CScrCoord r(ScriptReader(), token == "coord" ? 0 : 1);
    return ReadAndAdd(r, f);
  }
  if (token == "vector") {
    CScrVector r(ScriptReader());
    return ReadAndAdd(r, f);
  }
  if (token == "pole") {
    CScrPole r(ScriptReader());
    return ReadAndAdd(r, f);
  }
  CScrScrew r(ScriptReader());
  return ReadAndAdd(r, f);
}

// ---------------------------------------------------------------------------------------------
// Animations, ticks, quick commands and triggers. A quick command's objects are filed by the
// dispatcher; a tick files its action itself.

int CScrScript::ReadAnimation(CScrStream* f, const std::string& token) {
  CScriptReader* reader = ScriptReader();
  if (token == "animation") {
    CScrAnimation r(reader);
    return ReadAndAdd(r, f);
  }
  if (token == "tick") {
    CScrTick r(reader);
    return ReadNested(r, f);
  }
  if (token == "quick") {
    CScrQuick r(reader);
    const int result = ReadNested(r, f);
    for (CKvoObject* o : r.Objects())
      if (!reader->AddObject(o)) delete o;  // no collection takes it
    r.Objects().clear();
    return result;
  }
  const int mode = token == "check_trigger" ? 1 : token == "timer" ? 2 : token == "anim_trigger" ? 3 : 0;
  CScrTrigger r(reader, mode);
  return ReadAndAdd(r, f);
}

// ---------------------------------------------------------------------------------------------
// Images and texts: their readers file what they make themselves, at the closing brace.

int CScrScript::ReadImage(CScrStream* f, const std::string&) {
  CScrImage r(ScriptReader());
  return ReadNested(r, f);
}

int CScrScript::ReadText(CScrStream* f, const std::string& token) {
  if (token == "multitext") {
    CScrMultiText r(ScriptReader());
    return ReadNested(r, f);
  }
  CScrText r(ScriptReader());
  r.Set3d(token == "text3d");
  return ReadNested(r, f);
}

// The control reader of a keyword; its control goes to the module whatever Read gave, with what
// was set so far (a control bound to an existing one by name is filed already).
int CScrScript::ReadControl(CScrStream* f, const std::string& token) {
  CScriptReader* reader = ScriptReader();
  std::unique_ptr<CScrCtrlpt> r;
  if (token == "knob") r = std::make_unique<CScrKnob>(reader);
  else if (token == "slider") r = std::make_unique<CScrSlider>(reader);
  else if (token == "part") r = std::make_unique<CScrPart>(reader);
  else if (token == "edit") r = std::make_unique<CScrEdit>(reader);
  else if (token == "map") r = std::make_unique<CScrMap>(reader);
  else if (token == "area") r = std::make_unique<CScrArea>(reader);
  else if (token == "key_map" || token == "keymap") r = std::make_unique<CScrKeyMap>(reader);
  else r = std::make_unique<CScrCtrlpt>(reader);
  return ReadAndAdd(*r, f);
}

// Buttons, menus, pages, windows and viewports. Menus have no type code to be filed by: the module
// takes them as menus, also when their block stopped early.
int CScrScript::ReadInterface(CScrStream* f, const std::string& token) {
  CScriptReader* reader = ScriptReader();
  if (token == "menu") {
    CScrMenu r(reader);
    const int result = ReadNested(r, f);
    if (CKvoObject* menu = r.TakeObject()) reader->CurrentModule()->AddMenu(menu);
    return result;
  }
  std::unique_ptr<CScrObject> r;
  if (token == "button") r = std::make_unique<CScrButton>(reader);
  else if (token == "page") r = std::make_unique<CScrPage>(reader);
  else if (token == "window") r = std::make_unique<CScrWindow>(reader);
  else r = std::make_unique<CScrViewport>(reader);
  return ReadAndAdd(*r, f);
}

int CScrScript::ReadAndAdd(CScrObject& nested, CScrStream* f) {
  int result = ReadNested(nested, f);
  if (CKvoObject* obj = nested.TakeObject()) {
    if (!ScriptReader()->AddObject(obj)) delete obj;  // no collection takes it
  }
  return result;
}

// ---------------------------------------------------------------------------------------------
// Shared with the script-function reader

bool ScrIsModuleToken(const std::string& token, std::string* name) {
  if (!StartsWith(token, "module") && !StartsWith(token, "Module") && !StartsWith(token, "MODULE"))
    return false;
  if (name) {
    *name = token.substr(6);
    ScrTrimString(*name);
  }
  return true;
}

namespace {

// A module below `from` named by `path` ("a" or "a:b:c"), each step a child of the one before.
CSgModule* FindModuleBelow(CSgModule* from, const std::string& path) {
  size_t start = 0;
  while (from) {
    size_t colon = path.find(':', start);
    std::string part = path.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
    from = from->FindChild(part.c_str());
    if (colon == std::string::npos) break;
    start = colon + 1;
  }
  return from;
}

}  // namespace

// The names of a module block are taken below the current module: `module Inc` inside
// `module Other` is Other:Inc even when the root also has a module Inc.
int ScrReadModuleBlock(CScriptReader* reader, CScrStream* f, const std::string& name) {
  CSgModule* current = reader->CurrentModule();
  CSgModule* module = FindModuleBelow(current, name);
  if (!module) {
    size_t colon = name.rfind(':');
    CSgModule* parent = current;
    std::string own = name;
    if (colon != std::string::npos) {
      std::string parentName = name.substr(0, colon);
      parent = FindModuleBelow(current, parentName);
      if (!parent) {
        reader->Report(ScrTextId::err_parent_module_not_found, f, {parentName});
        reader->SkipBlock(f);
        return 1;
      }
      own = name.substr(colon + 1);
    }
    // The tree grows no deeper than blocks may nest: reopening a qualified path adds a level at
    // block depth 1, and a very deep tree costs every walk over it.
    int depth = 1;
    for (CSgModule* m = parent; m->Parent(); m = m->Parent()) ++depth;
    if (depth > SCR_MAX_BLOCK_DEPTH) {
      reader->Report(ScrTextId::err_block_too_deep, f, {SCR_MAX_BLOCK_DEPTH, ScrGetCurKeyWord()});
      reader->SkipBlock(f);
      return 0;
    }
    module = new CSgModule(own.c_str());
    parent->AddChild(module);
  }
  if (!reader->EnterBlock(f)) {
    reader->SkipBlock(f);
    return 0;
  }
  reader->PushModule(module);
  int result;
  {
    CScrScript block(reader);
    result = block.Read(f);
  }
  reader->PopModule();
  reader->LeaveBlock();
  return result;
}

int ScrDefineOrCallFunction(CScriptReader* reader, CScrStream* f, const std::string& token,
                            std::vector<CKvoObject*>* objects, bool bMayDefine,
                            std::list<ActPrm*>* records) {
  auto rec = std::make_shared<SCRFUNCTION>();
  rec->module = reader->CurrentModule();
  rec->instance = 0;
  if (!ScrReadHeaderAndBody(f, *rec, token, reader, ScrHeaderKind::ScriptFunction)) {
    reader->SkipBlock(f);  // a dropped definition takes its body with it
    return 1;
  }
  rec->fileName = reader->FileName();

  SCRFUNCTION* fn = reader->FindFunction(rec->name.c_str());
  if (!fn && bMayDefine) {  // the first header of a name is its definition
    reader->AddFunction(std::move(rec));
    return 1;
  }

  // A call: the header's parameter texts are the arguments. Inside an expansion an argument that
  // names a parameter of the enclosing call takes that call's value.
  std::vector<std::string> args = rec->params;
  if (SCRFUNCTION* outer = ScrTopCallContext()) {
    for (std::string& a : args)
      for (size_t i = 0; i < outer->params.size() && i < outer->args.size(); ++i)
        if (a == outer->params[i]) {
          a = outer->args[i];
          break;
        }
  }
  if (!fn) {
    reader->Report(ScrTextId::err_function_not_defined, f, {rec->name});
    return 0;
  }
  if (args.size() != fn->params.size()) {
    reader->Report(ScrTextId::err_function_arg_count, f, {fn->name, fn->ParamCount()});
    return 0;
  }

  if (!fn->source) {
    reader->Report(ScrTextId::err_function_file_not_found, f, {fn->fileName});
    return 1;
  }
  if (ScrCallContextDepth() >= SCR_MAX_EXPANSION_DEPTH) {
    reader->Report(ScrTextId::err_expansion_too_deep, f, {fn->name, SCR_MAX_EXPANSION_DEPTH});
    return 0;
  }
  // The body is read again from the text kept with the record: a window on it, so that messages
  // name the lines where the body is written.
  CScrStream body(fn->source, fn->bodyStart, fn->bodyEnd);
  if (!reader->ChargeText(body.End() - body.Begin() + SCR_EXPANSION_COST, f)) return 0;
  if (!reader->EnterBlock(f)) return 0;

  // A function that calls itself gets its own arguments back when the inner call is done.
  std::vector<std::string> outerArgs = std::move(fn->args);
  fn->args = args;
  ++fn->instance;
  std::string savedName = reader->FileName();
  CScrStream* savedStream = ScrGetCurrentStream();
  {
    const int callLine = reader->LineOf(f);
    std::string joined;
    for (const std::string& a : args) joined += (joined.empty() ? "" : ", ") + a;
    reader->PushCallSite({fn->name, savedName, callLine, reader->ColumnOf(f, callLine), std::move(joined)});
  }
  ScrLexMark caller = ScrBeginNestedRead(f);
  ScrPushCallContext(fn);
  ScrSetLineId(fn->bodyLine);
  ScrSetCurrentStream(&body);
  reader->SetFileName(fn->fileName.c_str(), nullptr);
  int result;
  {
    CScrFunction expansion(reader);
    expansion.SetRecords(records);  // the acts of a body called from an action
    result = expansion.Read(&body);
    // What the body's readers created is filed here, once; calls inside the body filed theirs.
    for (CKvoObject* o : expansion.Objects()) {
      if (!reader->AddObject(o)) {
        delete o;  // no collection takes it: nobody else would free it
        continue;
      }
      if (objects) objects->push_back(o);
    }
    if (objects) objects->insert(objects->end(), expansion.Filed().begin(), expansion.Filed().end());
  }
  ScrPopCallContext();
  reader->PopCallSite();
  ScrRestoreLexState(f, caller);
  ScrSetCurrentStream(savedStream);
  reader->SetFileName(savedName.c_str(), nullptr);
  fn->args = std::move(outerArgs);
  reader->LeaveBlock();
  return result ? 1 : 0;
}
