// CScrFile and the `import` directive: model and data files by their extension.
#include "reader/ScrFile.h"

#include <memory>

#include "lexer/ScrEncoding.h"
#include "lexer/ScrLex.h"
#include "lexer/ScrPath.h"
#include "reader/ScriptReader.h"
#include "sg/Display.h"
#include "sg/Gfx.h"
#include "sg/Loaders.h"
#include "sg/Module.h"
#include "sg/Platform.h"

long CScrFile::m_totalTick = 0;

namespace {

// The file types a script may load, told by the lowercased extension of the file's name.
enum class FileKind { Unknown, SceneModel, Animation, AnimationList, State, Model3ds, AssemblyModel };

struct KindRow {
  const char* extension;
  FileKind kind;
  const char* format;  // as the load record shows it
};

const KindRow kKinds[] = {
    {"sgv", FileKind::SceneModel, "scene model"},
    {"anm", FileKind::Animation, "animation"},
    {"anb", FileKind::AnimationList, "animation list"},
    {"sta", FileKind::State, "state"},
    {"env", FileKind::State, "state"},
    {"3ds", FileKind::Model3ds, "3ds model"},
    {"sgam", FileKind::AssemblyModel, "assembly model"},
};

// The extension of the path's last component, lowercased; "" when it has no '.'.
std::string ExtensionOf(const std::string& path) {
  std::string name = SgFileNameOf(path.c_str());
  size_t dot = name.rfind('.');
  if (dot == std::string::npos) return std::string();
  std::string ext = name.substr(dot + 1);
  for (char& c : ext)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return ext;
}

const KindRow* RowOf(const std::string& ext) {
  for (const KindRow& r : kKinds)
    if (ext == r.extension) return &r;
  return nullptr;
}

std::string FieldPath(SGKEY key) {
  SgFieldInfo info;
  return SgGetFieldInfo(key, &info) ? info.path : std::string();
}

void Record(CSgModule* module, const std::string& path, const char* format, const std::string& target, int loaded) {
  module->AddLoadedFile(new CSgLoadedFile(path.c_str(), format, target.c_str(), loaded));
}

// A model loaded under the field `field` (opened around the load). Returns the new node's key.
SGKEY LoadModelUnder(const char* field, FileKind kind, const std::string& fsPath, const std::string& path,
                     CSgModule* module) {
  SgOpenField(field);
  SGKEY key = kind == FileKind::SceneModel
                  ? VtkReadStreamFile(fsPath.c_str(), module->Environment(), path.c_str())
                  : SgUtRead3dsFile(fsPath.c_str(), path.c_str());
  SgCloseField();
  return key;
}

// Loads a file of a known kind for the `file` block into the current module; the loaders report
// their own failures (the runtime's error message).
void LoadFile(CScriptReader* reader, const KindRow& row, const std::string& path, const std::string& fsPath) {
  CSgModule* module = reader->CurrentModule();
  // Objects are named after the path as the script wrote it: the file may have been found under
  // its name converted to UTF-8, but names in the module are the script's.
  const std::string stem = SgFileStemOf(path.c_str());
  switch (row.kind) {
    case FileKind::SceneModel: {
      // Without models the file is only checked (above); the record says it was not loaded.
      if (!reader->bLoadModel()) {
        Record(module, path, row.format, "/", 0);
        return;
      }
      SGKEY key = LoadModelUnder("/", row.kind, fsPath, path, module);
      SgInvalidate();
      if (key != SG_NO_KEY) Record(module, path, row.format, FieldPath(key), 1);
      return;
    }
    case FileKind::Animation: {
      auto anim = std::make_unique<CAnimation>(stem.c_str());
      if (!ImportAnimFile(fsPath.c_str(), anim.get(), 20, 0.0)) return;
      CAnimation* a = anim.release();
      if (!reader->AddObject(a)) {
        delete a;
        return;
      }
      Record(module, path, row.format, a->FullName(), 1);
      return;
    }
    case FileKind::AnimationList: {
      std::list<CAnimation*> list;
      ReadAnimationListFromFile(fsPath.c_str(), list, 0, module);
      const std::string fsStem = SgFileStemOf(fsPath.c_str());
      for (CAnimation* a : list) {
        if (fsStem == a->Name()) a->SetName(stem.c_str());
        module->AddAnimation(a);
        Record(module, path, row.format, a->FullName(), 1);
      }
      ClearAnimationList(list);
      return;
    }
    case FileKind::State: {
      CSgStatus* status = nullptr;
      ReadEnviromentFile(fsPath.c_str(), status, module);
      if (!status) return;
      status->SetName(stem.c_str());
      module->AddStatus(status);
      Record(module, path, row.format, status->FullName(), 1);
      return;
    }
    case FileKind::Model3ds: {
      SgOpenField("/scene");
      SGKEY key = LoadModelUnder("/scene/3ds", row.kind, fsPath, path, module);
      SgCloseField();
      if (key != SG_NO_KEY) Record(module, path, row.format, FieldPath(key), 1);
      return;
    }
    case FileKind::AssemblyModel:
      if (module->Environment()->Solver()->LoadSlvModel(fsPath.c_str()))
        Record(module, path, row.format, "solver", 1);
      return;
    case FileKind::Unknown:
      return;
  }
}

}  // namespace

std::string ScrReadableFilePath(const std::string& scriptPath) {
  if (scriptPath.empty()) return std::string();
  std::string fs = ScrToFsPath(scriptPath);
  if (SgIsReadableFile(fs.c_str())) return fs;
  std::string utf8 = ScrGbkToUtf8(scriptPath);
  if (utf8 != scriptPath) {
    fs = ScrToFsPath(utf8);
    if (SgIsReadableFile(fs.c_str())) return fs;
  }
  return std::string();
}

// ---------------------------------------------------------------------------------------------
// CScrFile

CScrFile::CScrFile(CScriptReader* reader) : CScrObject(reader) {}

CScrFile::~CScrFile() = default;

int CScrFile::Read(CScrStream* f) {
  ScrTickScope ticks(&m_totalTick);
  CScriptReader* reader = ScriptReader();
  // In braces the first token is the name and the rest up to the brace is passed over. Without
  // them the name alone is the block: reading on to a '}' would take the keywords after it, and
  // the brace that closes the script, for further names.
  std::string name;
  if (OpenBrace(f)) {
    std::string tok;
    for (;;) {
      ScrLexMark mark = ScrSaveLexState(f);
      int ok = ScrReadString(f, tok);
      if (!tok.empty() && tok[0] == '}') {
        ScrRestoreLexState(f, mark);
        break;
      }
      if (!ok && tok.empty() && ScrInputEnded(f)) break;
      if (name.empty()) name = tok;
    }
    CloseBrace(f);
  } else {
    ReadValueString(f, name);
  }

  const std::string path = ScrGetWholePathname(reader->WorkDirectory(), name.c_str());
  const std::string fsPath = ScrReadableFilePath(path);
  if (fsPath.empty()) {
    Report(ScrTextId::msg_fail_to_load_file, f, {reader->FileName(), path});
    return 0;
  }
  const KindRow* row = RowOf(ExtensionOf(path));
  if (!row) {
    Report(ScrTextId::msg_unknown_file_format, f, {reader->FileName(), path});
    return 1;
  }
  LoadFile(reader, *row, path, fsPath);
  return 1;
}

// ---------------------------------------------------------------------------------------------
// import

int CScrImport::ReadSubKeyword(CScrStream* f, const char* kw) {
  static const ScrSubKeywords<CScrImport> kSubs = {
      {"filename", &CScrImport::ReadFileName},
      {"field", &CScrImport::ReadField},
  };
  return kSubs.Dispatch(this, f, kw);
}

int CScrImport::ReadFileName(CScrStream* f, const char*) {
  return ReadValueString(f, m_name) ? SCR_SUB_OK : SCR_SUB_FAIL;
}

int CScrImport::ReadField(CScrStream* f, const char*) {
  return ReadValueString(f, m_field) ? SCR_SUB_OK : SCR_SUB_FAIL;
}

// At the closing brace: a 3DS model is loaded under the field and smoothed, a scene model loaded
// under it. A file that cannot be read, or of another type, is reported (as the `file` block
// reports them) instead of being passed over without a word; the script goes on.
void CScrImport::Finish() {
  if (m_name.empty()) return;  // nothing named, nothing to load
  CScriptReader* reader = ScriptReader();
  CSgModule* module = reader->CurrentModule();
  const std::string path = ScrGetWholePathname(reader->WorkDirectory(), m_name.c_str());
  const KindRow* row = RowOf(ExtensionOf(path));
  if (!row || (row->kind != FileKind::Model3ds && row->kind != FileKind::SceneModel)) {
    Report(ScrTextId::msg_unknown_file_format, nullptr, {reader->FileName(), path});
    return;
  }
  const std::string fsPath = ScrReadableFilePath(path);
  if (fsPath.empty()) {
    Report(ScrTextId::msg_fail_to_load_file, nullptr, {reader->FileName(), path});
    return;
  }
  SGKEY field = SgOpenField(m_field.c_str());
  SgCloseField();
  SGKEY key = LoadModelUnder(m_field.c_str(), row->kind, fsPath, path, module);
  if (key == SG_NO_KEY) return;
  if (row->kind == FileKind::Model3ds) SgFieldCommand("smoothen", field, 0);
  Record(module, path, row->format, FieldPath(key), 1);
}
