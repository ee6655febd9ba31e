// What scrread learned about each file it was given, in a form the printers share.
#pragma once

#include <string>
#include <vector>

#include "reader/ScrMessage.h"

// One message of the reader, its continuation entries joined, converted to UTF-8.
struct Diagnostic {
  ScrSeverity severity = ScrSeverity::Other;
  std::string file;       // the file the message speaks of ("" when it names none)
  int line = -1;          // -1 when the message has no line
  std::string text;       // the whole message
  std::string statement;  // the message from its statement on (after severity, file and line)
};

struct FileReport {
  std::string given;       // the path as given on the command line ("-" for standard input)
  std::string shown;       // the name diagnostics use ("<stdin>" for standard input)
  int result = 0;          // what ReadXScript returned (0 when the file could not be read)
  bool ioError = false;    // the file could not be opened or copied; nothing was read
  std::string encoding;    // "gbk", "utf-8", "ascii"; empty after an I/O error
  std::vector<Diagnostic> diagnostics;
};

// Turns the reader's entries into diagnostics. Continuation entries are joined to the entry
// before them as GBK bytes before conversion, since the cut may fall inside a character.
// Every occurrence of `tempPath` (when not empty) is shown as `shownForTemp`, so a script read
// from standard input is reported under that name rather than its temporary copy's.
std::vector<Diagnostic> CollectDiagnostics(const std::vector<ScrMessageEntry>& entries,
                                           const std::string& tempPath, const std::string& shownForTemp);
