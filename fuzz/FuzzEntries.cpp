#include "FuzzEntries.h"

#include <stdlib.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "compiler/ScrRun.h"
#include "compiler/ScrStrings.h"
#include "lexer/ScrPath.h"
#include "reader/ScriptReader.h"
#include "sg/Gfx.h"
#include "sg/Module.h"
#include "sg/Program.h"
#include "sg/Variable.h"

namespace scrfuzz {

namespace {

namespace fs = std::filesystem;

// Steps each program of CompileRun may take: enough for loops to turn a few hundred times, small
// enough that an endless loop costs a millisecond or two.
constexpr long long kRunStepBudget = 20000;
// The string entries skip longer inputs: what they exercise is shape, not length, and a long text
// through the expression splitter is the read target's business.
constexpr size_t kMaxStringInput = 8192;

struct VirtualFile {
  std::string name;
  std::string bytes;
};

// Cuts the input into the main script and its virtual files.
std::string SplitVirtualFiles(std::string_view input, std::vector<VirtualFile>& files) {
  const std::string_view mark = kVirtualFileMark;
  std::string main;
  VirtualFile* current = nullptr;
  size_t pos = 0;
  while (pos < input.size()) {
    size_t end = input.find('\n', pos);
    end = end == std::string_view::npos ? input.size() : end + 1;
    std::string_view line = input.substr(pos, end - pos);
    pos = end;
    if (line.substr(0, mark.size()) == mark && static_cast<int>(files.size()) < kMaxVirtualFiles) {
      std::string name;
      for (char c : line.substr(mark.size())) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                        c == '.' || c == '_' || c == '-';
        if (ok && name.size() < 40) name += c;
      }
      if (name.empty() || name == "." || name == "..") name = "unnamed";
      files.push_back({std::move(name), {}});
      current = &files.back();
      continue;
    }
    (current ? current->bytes : main).append(line);
  }
  return main;
}

std::string TempBase() {
  const char* base = getenv("TMPDIR");
  return base && *base ? base : "/tmp";
}

// A private folder for one input's files, removed with everything in it when the input is done.
class InputFolder {
 public:
  explicit InputFolder(const std::vector<VirtualFile>& files) {
    std::string templ = TempBase() + "/scrfuzz-work.XXXXXX";
    if (!mkdtemp(templ.data())) return;
    m_path = templ;
    for (const VirtualFile& f : files) {
      std::ofstream out(fs::path(m_path) / f.name, std::ios::binary | std::ios::trunc);
      out.write(f.bytes.data(), static_cast<std::streamsize>(f.bytes.size()));
    }
  }
  ~InputFolder() {
    std::error_code ec;
    if (!m_path.empty()) fs::remove_all(m_path, ec);
  }
  InputFolder(const InputFolder&) = delete;
  InputFolder& operator=(const InputFolder&) = delete;
  const std::string& path() const { return m_path; }

 private:
  std::string m_path;
};

// The process-wide state a read leaves behind: the include list and the scene.
void ResetProcessState() {
  ScrDeleteIncludeFilenames();
  SgResetScene();
}

// Reads the input as a script in a folder of its own; `after` runs on the reader before it goes.
template <class After>
void ReadInFolder(std::string_view input, int checkGrammar, After after) {
  std::vector<VirtualFile> files;
  std::string main = SplitVirtualFiles(input, files);
  InputFolder folder(files);
  if (folder.path().empty()) return;
  {
    CSgModule root("main");
    CScriptReader reader(&root);
    reader.SetWorkDirectory(folder.path().c_str());
    reader.ReadXScriptText("main.scr", std::move(main), /*bLoadModel=*/0, checkGrammar);
    after(reader);
  }
  ResetProcessState();
}

// A root module with a few variables of each kind for compiled texts to name.
void AddSampleVariables(CSgModule& root) {
  const std::pair<const char*, int> vars[] = {{"a", 0x2}, {"b", 0x2}, {"x", 0x8}, {"s", 0x1}, {"f", 0x4}};
  for (const auto& [name, type] : vars) {
    auto* v = new CSgVariable();
    v->SetName(name);
    v->SetVarType(type, 0);
    root.AddVariable(v);
  }
}

bool StringInput(const uint8_t* data, size_t size, std::string& text) {
  if (size > kMaxStringInput) return false;
  text.assign(reinterpret_cast<const char*>(data), size);
  return text.find('\0') == std::string::npos;  // the entry points take C strings
}

}  // namespace

void ReadScriptText(const char* data, size_t size, int checkGrammar) {
  ReadInFolder({data, size}, checkGrammar, [](CScriptReader&) {});
}

void ReadScript(const uint8_t* data, size_t size) {
  ReadScriptText(reinterpret_cast<const char*>(data), size, size > 0 ? (data[0] & 1) : 0);
}

void GrammarCheck(const uint8_t* data, size_t size) {
  {
    CSgModule root("main");
    CScriptReader reader(&root);
    reader.CheckGrammarText("input.scr", std::string(reinterpret_cast<const char*>(data), size));
  }
  ResetProcessState();
}

void ProgramString(const uint8_t* data, size_t size) {
  std::string text;
  if (!StringInput(data, size, text)) return;
  CSgModule root;
  AddSampleVariables(root);
  delete ScrReadProgramFromString(text.c_str(), &root, nullptr);
}

void ConditionsString(const uint8_t* data, size_t size) {
  std::string text;
  if (!StringInput(data, size, text)) return;
  CSgModule root;
  AddSampleVariables(root);
  delete ScrReadConditionsFromString(text.c_str(), &root, nullptr);
}

void CompileRun(const uint8_t* data, size_t size) {
  ReadInFolder({reinterpret_cast<const char*>(data), size}, /*checkGrammar=*/0,
               [](CScriptReader& reader) { ScrRunPrograms(&reader, kRunStepBudget); });
}

const Entry* Entries() {
  static const Entry kEntries[] = {
      {"read_script", &ReadScript},
      {"grammar_check", &GrammarCheck},
      {"program_string", &ProgramString},
      {"conditions_string", &ConditionsString},
      {"compile_run", &CompileRun},
      {nullptr, nullptr},
  };
  return kEntries;
}

const Entry* FindEntry(const char* name) {
  for (const Entry* e = Entries(); e->name; ++e)
    if (std::strcmp(e->name, name) == 0) return e;
  return nullptr;
}

}  // namespace scrfuzz
