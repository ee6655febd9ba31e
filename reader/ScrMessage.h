// CScrMessage: the reader's message list.
//
// Every entry is one GBK text of at most SCR_MESSAGE_ENTRY_MAX bytes, as hosts have always received it.
// Beside the text each entry carries what tools need without parsing the text back: the severity,
// the file name and the line the message speaks of.
#pragma once

#include <string>
#include <vector>

#include "lexer/ScrApi.h"

enum class ScrSeverity : int { Error = 0, Warning = 1, Other = 2 };

SCR_API const char* ScrSeverityName(ScrSeverity s);  // "error", "warning", "other"

// A place in a script: the file as the reader names it, the 1-based line and the 1-based column
// in characters of the file as written (-1 when unknown).
struct ScrSite {
  std::string file;
  int line = -1;
  int column = -1;
};

// Where a script function whose body a message speaks of was called from.
struct ScrCallSite {
  std::string function;   // the function called
  std::string file;       // the file of the call, as the reader names it
  int line = -1;          // the line of the call
  int column = -1;        // the column of the call, -1 when unknown
  std::string arguments;  // the arguments as the call gave them, joined by ", " (GBK)
};

struct ScrMessageEntry {
  std::string text;          // GBK bytes, at most SCR_MESSAGE_ENTRY_MAX
  ScrSeverity severity = ScrSeverity::Other;
  std::string file;          // the file the message speaks of (as the reader names it); may be empty
  int line = -1;             // 1-based line, -1 when the message has no line
  bool continuation = false;  // the second entry of a message that was split at the entry size
  // Byte offset in `text` where the statement of the problem begins, after the severity, file and
  // line ("错误: (f) 第3行" is the part before it); 0 when the text has no such part.
  int statementAt = 0;
  // For a message about a line of a script-function body: the calls being expanded, innermost
  // first (the body's own line is `line`). Empty elsewhere.
  std::vector<ScrCallSite> calledFrom;
  // 1-based column of the token the message is about, counted in characters of the file as
  // written (a GBK or UTF-8 character is one column); -1 when unknown.
  int column = -1;
  // For a message about a line of an included file: the include lines that led there, innermost
  // first. Empty in the file the host asked for.
  std::vector<ScrSite> includedFrom;
  int textId = -1;       // the catalogue entry (ScrTextId) it was made from; -1 for a finished text
  long long order = 0;   // when it was made, counted over the process: kept and suppressed
                         // messages of several readers merge back into reading order by it
};

class SCR_API CScrMessage {
 public:
  CScrMessage() = default;
  virtual ~CScrMessage();

  void Append(ScrMessageEntry entry) { m_entries.push_back(std::move(entry)); }
  int Count() const { return static_cast<int>(m_entries.size()); }
  bool Empty() const { return m_entries.empty(); }
  const ScrMessageEntry& Back() const { return m_entries.back(); }
  void PopBack() { m_entries.pop_back(); }
  const std::vector<ScrMessageEntry>& Entries() const { return m_entries; }
  void Clear() { m_entries.clear(); }

  // Moves every entry of `other`, in order, to the end of this list; `other` is left empty.
  void MoveFrom(CScrMessage& other);

 private:
  std::vector<ScrMessageEntry> m_entries;
};
