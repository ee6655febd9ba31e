// The command line of scrread: the command, the options and the files.
#pragma once

#include <string>
#include <vector>

#include "lexer/ScrEncoding.h"

enum class Command { Read, Check, Run };
enum class DumpKind { None, Tree, Json, Dot, Timeline };
enum class DiagFormat { Auto, Gcc, Pretty, Json, Sarif, Raw };
enum class ColorMode { Auto, Always, Never };

struct Options {
  Command command = Command::Read;
  DumpKind dump = DumpKind::None;
  DiagFormat format = DiagFormat::Auto;  // Auto: pretty on a terminal, else gcc
  ScrEncoding encoding = ScrEncoding::Auto;
  ColorMode color = ColorMode::Auto;
  std::string workdir;   // empty: the reader's default
  std::string trace;     // empty: no line trace
  std::string module = "main";
  std::string anim;  // --anim: the dot and timeline dumps show this animation alone (UTF-8)
  long long maxSteps = -1;  // run: the VM's step budget per program (-1: the VM's default, 0: none)
  bool quiet = false;
  bool all = false;  // also the messages the first-error rule holds back
  bool werror = false;               // warnings fail the run as errors do
  std::vector<std::string> ignore;   // message codes not reported
  std::vector<std::string> entries;  // in a directory, only these scripts (names or paths below it)
  bool entryGiven = false;           // --entry was given: it replaces the settings file's
  bool noCheck = false;
  bool noModel = false;
  bool help = false;
  bool listCodes = false;   // --list-codes
  std::string explain;      // --explain CODE
  bool version = false;
  std::vector<std::string> files;  // "-" is standard input
};

// Parses argv. On a usage error returns false with `error` set (a sentence for the user).
// Options may come before or after the files; "--" ends the options. Values are given as
// "--opt VALUE" or "--opt=VALUE"; short flags may be combined ("-qV").
bool ParseOptions(int argc, const char* const* argv, Options& opts, std::string& error);

// The --help text.
const char* UsageText();
