// CScriptReader: reads one script (and the files it includes) into one runtime module.
//
// A host creates a reader on its root module and calls ReadXScript. The reader owns what the
// keyword readers share while a file is read: the message list, the stack of modules into which
// objects are created, the work directory and file name, the macro table, the script functions
// and the multi-text documents, and the CScrScript of the last `script` block.
#pragma once

#include <deque>
#include <list>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "lexer/ScrApi.h"
#include "lexer/ScrEncoding.h"
#include "lexer/ScrFunctionRecord.h"
#include "lexer/ScrLex.h"
#include "reader/ScrFormat.h"
#include "reader/ScrMessage.h"
#include "reader/ScrText.h"
#include "sg/MultiText.h"
#include "sg/Types.h"

class CAnimation;

class CSgModule;
class CKvoObject;
class CScrScript;

// The script functions a reader knows, in order of definition. Records are shared: a reader that
// reads an included file hands its list to the inner reader and takes the inner one's back, so
// both lists name the same records. The last list that names a record frees it.
class SCR_API ScrFunctionList {
 public:
  void Add(std::shared_ptr<SCRFUNCTION> rec);
  SCRFUNCTION* Find(const char* name) const;  // first record of that name, exact comparison
  void Clear();
  int Count() const { return static_cast<int>(m_list.size()); }
  const std::vector<std::shared_ptr<SCRFUNCTION>>& Records() const { return m_list; }

 private:
  std::vector<std::shared_ptr<SCRFUNCTION>> m_list;
  std::unordered_map<std::string, SCRFUNCTION*> m_byName;
};

class SCR_API CScriptReader {
 public:
  explicit CScriptReader(CSgModule* root);
  virtual ~CScriptReader();
  CScriptReader(const CScriptReader&) = delete;
  CScriptReader& operator=(const CScriptReader&) = delete;

  // Reads the file at `path` (a script path: '\' or '/' separate directories). Returns the result
  // of the last `script` block (1 when the file holds none), 0 when the file cannot be opened, the
  // grammar check fails, or a keyword reader stops the script.
  int ReadXScript(const char* path, int bLoadModel = 1, int bCheckGrammar = 1);

  // Reads a script held in memory (standard input, a host's buffer), named `name` in messages;
  // the bytes are decoded as ReadXScript decodes a file, and the grammar check runs first when
  // `bCheckGrammar` is set.
  int ReadXScriptText(const char* name, std::string bytes, int bLoadModel = 1, int bCheckGrammar = 0);

  // The grammar pre-pass over a whole file (reader/ScrGrammar.cpp): 1 when it passed, 0 at the
  // first error, whose message (and the missing-'}' messages of the blocks around it) has been
  // reported. It builds nothing.
  int CheckGrammar(const char* path);
  // The same over a script held in memory, named `name` in messages.
  int CheckGrammarText(const char* name, std::string bytes);

  void SetFileName(const char* name, CScrStream* f);
  const char* FileName() const { return m_fileName.c_str(); }
  const char* WorkDirectory() const { return m_workDir.c_str(); }
  void SetWorkDirectory(const char* dir) { m_workDir = dir ? dir : ""; }

  // --- modules ---
  CSgModule* RootModule() const { return m_root; }
  void PushModule(CSgModule* m) { m_modules.push_back(m); }
  void PopModule() {
    if (m_modules.size() > 1) m_modules.pop_back();
  }
  CSgModule* CurrentModule() const { return m_modules.empty() ? m_root : m_modules.back(); }
  CSgModule* ModuleStackTop() const { return CurrentModule(); }
  std::vector<CSgModule*>& GetModuleStack() { return m_modules; }
  void SetModuleStack(const std::vector<CSgModule*>& s) { m_modules = s; }

  // --- animations being read, the innermost last (shared by every reader of this script) ---
  std::deque<CAnimation*>& AnimationStack() { return m_animations; }
  CAnimation* CurrentAnimation() const { return m_animations.empty() ? nullptr : m_animations.back(); }
  // The module of the animation being read, else the current module: where the programs of
  // animations, controllers and actions are registered.
  CSgModule* CurrentAnimationModule() const;

  // --- steps ---
  void StepInto() { ++m_stepLevel; }
  void StepOut() { --m_stepLevel; }
  void GetStepLevel(char* out) const;  // (2 * level + 4) spaces; out must hold that many + 1
  std::string StepIndent() const;

  CScrScript* Script() const { return m_script.get(); }

  // --- macros (`define`) ---
  // A macro as the reader keeps it: the first definition of its name, and where that stands.
  struct Macro {
    std::string name;
    DWORD value;
    BYTE flag;         // 1: integer, 2: real (kept truncated)
    std::string file;  // the file the definition is written in ("" when not known)
    int line;          // its line there, -1 when not known
  };
  void AddMacro(const char* name, DWORD value, BYTE flag, const char* file = nullptr, int line = -1);
  int FindMacro(const char* name, DWORD& value, BYTE& flag) const;
  // Every macro, in the order of the first definitions.
  const std::vector<Macro>& Macros() const { return m_macroList; }

  // --- script functions ---
  void AddFunction(std::shared_ptr<SCRFUNCTION> rec) { m_functions.Add(std::move(rec)); }
  ScrFunctionList& Functions() { return m_functions; }
  SCRFUNCTION* FindFunction(const char* name) const { return m_functions.Find(name); }
  void DeleteAllFunctions() { m_functions.Clear(); }

  // --- multi-text documents (owned) ---
  void AddMultiTextDoc(CMultiTextDoc* doc);
  CMultiTextDoc* FindMultiTextDoc(const char* name) const;

  // --- filing runtime objects into the current module ---
  // Files obj into the collection of the current module that its type code selects; 1 when the
  // module took it (and owns it from then on), 0 when the code selects none (the caller keeps it).
  int AddObject(CKvoObject* obj);
  void AddObjects(std::list<CKvoObject*>& objs);
  void AddAnimations(std::list<CKvoObject*>& anims);

  // --- options ---
  int bLoadModel() const { return m_bLoadModel; }
  int bCheckGrammar() const { return m_bCheckGrammar; }
  int bLoadImageDataDefault() const { return m_bLoadImageDataDefault; }
  int bReactionLocalDeafult() const { return m_bReactionLocalDeafult; }
  void SetLoadImageDataDefault(int v) { m_bLoadImageDataDefault = v; }
  void SetReactionLocalDeafult(int v) { m_bReactionLocalDeafult = v; }
  // How script files are decoded (auto-detection by default) and what the last file was.
  void SetEncoding(ScrEncoding e) { m_encoding = e; }
  ScrEncoding Encoding() const { return m_encoding; }
  ScrDetectedEncoding LastEncoding() const { return m_lastEncoding; }

  int ReadHeader(CScrStream*) { return 1; }
  void Clear() {}
  void SkipBlock(CScrStream* f);
  virtual void OtherKeyword(CScrStream* f, const char* keyword);

  // --- messages ---
  // PushMessage takes a finished text; its severity is taken from the text ("错误:" / "警告:").
  void PushMessage(const char* text);
  void PopMessage();
  void GetMessageA(char* out) const;  // out must hold SCR_MESSAGE_ENTRY_MAX + 1 bytes
  int MessageCount() const { return m_messages.Count(); }
  CScrMessage& Messages() { return m_messages; }
  void AddMessages(CScrMessage& other) { m_messages.MoveFrom(other); }
  void SetNotificationTitle(const char* t) { m_notifyTitle = t ? t : ""; }

  // After the first error the list above takes nothing more (hosts rely on one notification).
  // A reader asked to keep them puts what that rule drops here instead, for tools that show every
  // problem in one run (at most SCR_MAX_SUPPRESSED entries); hosts never see this list. Notes
  // about where reading stopped also go here only.
  void SetKeepSuppressed(int keep) { m_keepSuppressed = keep != 0; }
  int KeepSuppressed() const { return m_keepSuppressed ? 1 : 0; }
  CScrMessage& Suppressed() { return m_suppressed; }

  // The include lines that led to the file this reader reads, innermost first (set by the reader
  // of the including file); every message of this reader carries them.
  void SetIncludedFrom(std::vector<ScrSite> sites) { m_includedFrom = std::move(sites); }
  const std::vector<ScrSite>& IncludedFrom() const { return m_includedFrom; }

  // Reports a catalogue text about the place the stream `f` stands at (the current stream when
  // null). Texts that begin with a file-and-line part get the file name and line put in front of
  // `args`.
  void Report(ScrTextId id, CScrStream* f, std::initializer_list<ScrArg> args = {});
  // The same with an explicit line (the grammar check reports by the running line id); the column
  // is that of the last token read from the current stream when it stands on that line.
  void ReportAtLine(ScrTextId id, int line, std::initializer_list<ScrArg> args = {});
  // The same with an explicit line and column (-1 when unknown).
  void ReportAt(ScrTextId id, int line, int column, std::initializer_list<ScrArg> args = {});
  // The line of a stream position in the file being read.
  int LineOf(CScrStream* f) const;
  // The column of the last token read from `f` (the current stream when null) when it stands on
  // `line`, else -1.
  int ColumnOf(CScrStream* f, int line) const;

  // --- bounded recursion ---
  // Nested keyword readers, includes and script-function expansions each have a depth bound
  // (lexer/ScrLimits.h). Enter* reports the bound and returns 0 when it would be passed.
  int EnterBlock(CScrStream* f);
  void LeaveBlock() { --m_blockDepth; }
  int IncludeDepth() const { return m_includeDepth; }
  void SetIncludeDepth(int d) { m_includeDepth = d; }
  int ExpansionDepth() const { return m_expansionDepth; }
  void SetExpansionDepth(int d) { m_expansionDepth = d; }

  // --- the text includes and expansions may read ---
  // One ReadXScript, with the files it includes and the script-function bodies it expands, reads
  // at most SCR_EXPANDED_TEXT_FACTOR times its own size (at least SCR_EXPANDED_TEXT_MIN bytes) of
  // included and expanded text (lexer/ScrLimits.h). ChargeText takes `bytes` from that allowance; past it, it reports
  // the limit (once) and returns 0.
  int ChargeText(long long bytes, CScrStream* f);
  // An included file's reader draws on the allowance of the reader that includes it.
  void ShareBudget(CScriptReader& outer);
  // The arrays one read makes hold at most SCR_MAX_ARRAY_ELEMENTS elements together, in at most
  // SCR_MAX_ARRAY_DIMENSIONS dimensions each. ChargeArray takes an array of these sizes from that
  // allowance; when it does not fit it reports "array-too-large" for `name` and returns 0.
  // A compile from a string outside any read starts a fresh allowance (ResetArrayAllowance).
  int ChargeArray(const std::string& name, const int* dims, int ndims, CScrStream* f);
  void ResetArrayAllowance() { Budget().arrayElements = 0; }
  // The copies the repeat blocks of one read unroll, together, are at most
  // SCR_MAX_REPEAT_UNROLL_PER_READ (lexer/ScrLimits.h). ChargeRepeat takes `copies` from that
  // allowance; when they do not fit it reports "repeat-read-too-long" and returns 0.
  int ChargeRepeat(long long copies, CScrStream* f);

  // --- script-function calls being expanded (for the call sites of messages) ---
  void PushCallSite(ScrCallSite site) { m_callSites.push_back(std::move(site)); }
  void PopCallSite() {
    if (!m_callSites.empty()) m_callSites.pop_back();
  }

  // Number of live readers in the process.
  static int m_instanceNum;

 protected:
  // Checks the construct that begins with `keyword`, whose token has just been read from `f`,
  // against the keyword table, and leaves the stream after it; 1 when it passed.
  int CheckKeyWordGrammar(CScrStream* f, const char* keyword);

 private:
  friend class CScrScript;
  // Opens a script file as ReadXScript does; null (with the message reported) when it cannot.
  std::unique_ptr<CScrStream> OpenScript(const char* path);
  // Reads an open script; `name` is the file name its messages give.
  int ReadStream(CScrStream* f, const char* name, int bLoadModel, int bCheckGrammar);
  // The grammar check over an open script, from its start.
  int CheckGrammarStream(CScrStream* f, const char* name);
  struct ScrReadBudget {
    long long limit = 0;
    long long used = 0;
    bool reported = false;
    long long arrayElements = 0;  // elements of the arrays made so far (ChargeArray)
    long long repeatCopies = 0;   // copies the repeat blocks unrolled so far (ChargeRepeat)
  };
  ScrReadBudget& Budget() { return m_budget ? *m_budget : m_ownBudget; }
  ScrReadBudget m_ownBudget;
  std::vector<ScrCallSite> m_callSites;  // outermost first
  ScrReadBudget* m_budget = nullptr;

  void PushEntry(const std::string& text, ScrSeverity sev, const std::string& file, int line,
                 int statementAt = 0, int column = -1, int textId = -1);
  // Says what decoding the source found (characters GBK lacks, a byte that is not UTF-8); 0 when
  // the source cannot be read.
  int ReportDecodeFindings(const ScrSource& src);
  // Notes, for tools, that reading stopped at `f` with lines of the file left unread.
  void NoteReadingStopped(CScrStream* f);

  bool m_keepSuppressed = false;
  CScrMessage m_suppressed;
  std::vector<ScrSite> m_includedFrom;

  int m_errorNotified = 0;
  CLineCounter m_lineCounter;
  std::string m_notifyTitle;
  std::unique_ptr<CScrScript> m_script;
  CScrMessage m_messages;
  CSgModule* m_root;
  std::vector<CSgModule*> m_modules;
  std::deque<CAnimation*> m_animations;
  std::string m_workDir;
  int m_bLoadModel = 1;
  int m_bCheckGrammar = 1;
  std::string m_fileName;
  int m_bLoadImageDataDefault = 0;
  int m_bReactionLocalDeafult = 0;
  std::vector<Macro> m_macroList;                    // the first definition of each name, in order
  std::unordered_map<std::string, size_t> m_macros;  // name -> its place in m_macroList
  ScrFunctionList m_functions;
  std::vector<std::unique_ptr<CMultiTextDoc>> m_docs;
  std::unordered_map<std::string, CMultiTextDoc*> m_docIndex;
  int m_stepLevel = 0;
  ScrEncoding m_encoding = ScrEncoding::Auto;
  ScrDetectedEncoding m_lastEncoding = ScrDetectedEncoding::Ascii;
  int m_blockDepth = 0;
  int m_includeDepth = 0;
  int m_expansionDepth = 0;
};
