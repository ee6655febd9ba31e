// What scrread learned about each file it was given, in a form the printers share.
#pragma once

#include <string>
#include <vector>

#include "reader/ScrMessage.h"

// A place that led to a message: an include line, a script-function call.
struct DiagnosticNote {
  std::string file;
  int line = -1;
  int column = -1;
  std::string text;  // English, like a compiler's notes: "in file included from here"
};

// One message of the reader, its continuation entries joined, converted to UTF-8.
struct Diagnostic {
  ScrSeverity severity = ScrSeverity::Other;
  std::string file;       // the file the message speaks of ("" when it names none)
  int line = -1;          // -1 when the message has no line
  int column = -1;        // 1-based, in characters; -1 when unknown
  std::string text;       // the whole message
  std::string statement;  // the message from its statement on (after severity, file and line)
  int textId = -1;        // the catalogue entry, -1 when unknown
  std::string code;       // its short stable code ("parent-module-not-found"); "" when unknown
  // Dropped for hosts by the first-error rule, kept for tools (shown with --all).
  bool suppressed = false;
  // A note for tools alone (where reading stopped): shown even without --all.
  bool toolNote = false;
  std::vector<DiagnosticNote> notes;  // how reading got there, innermost first
};

// A script function the reader of a file knows, in UTF-8.
struct FunctionInfo {
  std::string name;
  std::vector<std::string> params;
  std::string file;    // where its body is written
  int line = 0;        // the line its body begins on
  int expansions = 0;  // how many times it was expanded
};

// A macro the reader of a file knows (its first definition), in UTF-8.
struct MacroInfo {
  std::string name;
  long long value = 0;
  bool real = false;  // written with a '.': a real, kept truncated
  std::string file;   // where it is defined
  int line = -1;
};

struct FileReport {
  std::string given;       // the path as given on the command line
  std::string shown;       // the name diagnostics use ("<stdin>" for standard input)
  int result = 0;          // what ReadXScript returned (0 when the file could not be read)
  bool ioError = false;    // the file could not be opened or copied; nothing was read
  std::string encoding;    // "gbk", "utf-8", "ascii"; empty after an I/O error
  std::vector<Diagnostic> diagnostics;
  std::vector<FunctionInfo> functions;  // the script functions its reader knew at the end
  std::vector<MacroInfo> macros;        // the macros it knew, in the order they were defined
};
