#include "Options.h"

#include <cstring>
#include <string_view>

namespace {

struct ValueOption {
  const char* name;
  bool (*apply)(Options&, const std::string&);
  const char* expected;  // the accepted values, for the error message
};

bool ApplyDump(Options& o, const std::string& v) {
  if (v == "none") o.dump = DumpKind::None;
  else if (v == "tree") o.dump = DumpKind::Tree;
  else if (v == "json") o.dump = DumpKind::Json;
  else if (v == "dot") o.dump = DumpKind::Dot;
  else if (v == "timeline") o.dump = DumpKind::Timeline;
  else return false;
  return true;
}

bool ApplyFormat(Options& o, const std::string& v) {
  if (v == "gcc") o.format = DiagFormat::Gcc;
  else if (v == "pretty") o.format = DiagFormat::Pretty;
  else if (v == "json") o.format = DiagFormat::Json;
  else if (v == "sarif") o.format = DiagFormat::Sarif;
  else if (v == "raw") o.format = DiagFormat::Raw;
  else return false;
  return true;
}

bool ApplyEncoding(Options& o, const std::string& v) { return ScrParseEncoding(v.c_str(), &o.encoding) != 0; }

bool ApplyColor(Options& o, const std::string& v) {
  if (v == "auto") o.color = ColorMode::Auto;
  else if (v == "always") o.color = ColorMode::Always;
  else if (v == "never") o.color = ColorMode::Never;
  else return false;
  return true;
}

bool ApplyWorkdir(Options& o, const std::string& v) {
  o.workdir = v;
  return !v.empty();
}

bool ApplyTrace(Options& o, const std::string& v) {
  o.trace = v;
  return !v.empty();
}

// "a,b" adds a and b; empty items are passed over.
bool ApplyList(std::vector<std::string>& out, const std::string& v) {
  for (size_t start = 0;;) {
    size_t comma = v.find(',', start);
    std::string item = v.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    if (!item.empty()) out.push_back(item);
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return !v.empty();
}

bool ApplyExplain(Options& o, const std::string& v) {
  o.explain = v;
  return !v.empty();
}

bool ApplyIgnore(Options& o, const std::string& v) { return ApplyList(o.ignore, v); }
// The command line's entries replace those of the settings file; ignored codes add up.
bool ApplyEntry(Options& o, const std::string& v) {
  if (!o.entryGiven) o.entries.clear();
  o.entryGiven = true;
  return ApplyList(o.entries, v);
}

bool ApplyModule(Options& o, const std::string& v) {
  o.module = v;
  return !v.empty() && v.find(':') == std::string::npos;
}

bool ApplyAnim(Options& o, const std::string& v) {
  o.anim = v;
  return !v.empty();
}

bool ApplyMaxSteps(Options& o, const std::string& v) {
  if (v.empty() || v.find_first_not_of("0123456789") != std::string::npos || v.size() > 18) return false;
  o.maxSteps = std::stoll(v);
  return true;
}

const ValueOption kValueOptions[] = {
    {"--dump", ApplyDump, "none, tree, json, dot or timeline"},
    {"--anim", ApplyAnim, "an animation name"},
    {"--format", ApplyFormat, "gcc, pretty, json, sarif or raw"},
    {"--encoding", ApplyEncoding, "auto, gbk or utf-8"},
    {"--color", ApplyColor, "auto, always or never"},
    {"--colour", ApplyColor, "auto, always or never"},
    {"--workdir", ApplyWorkdir, "a directory"},
    {"--trace", ApplyTrace, "a file name"},
    {"--module", ApplyModule, "a module name without ':'"},
    {"--explain", ApplyExplain, "a message code (see --list-codes)"},
    {"--ignore", ApplyIgnore, "message codes, separated by commas"},
    {"--entry", ApplyEntry, "script names, separated by commas"},
    {"--max-steps", ApplyMaxSteps, "a whole number, 0 for no bound"},
};

// The flags that have a one-letter form; they may be combined behind one '-'.
bool ApplyShortFlag(Options& o, char c) {
  switch (c) {
    case 'h': o.help = true; return true;
    case 'V': o.version = true; return true;
    case 'q': o.quiet = true; return true;
    case 'a': o.all = true; return true;
    default: return false;
  }
}

}  // namespace

bool ParseOptions(int argc, const char* const* argv, Options& opts, std::string& error) {
  bool commandSeen = false;
  bool optionsEnded = false;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (!optionsEnded && arg.size() > 2 && arg[0] == '-' && arg[1] != '-') {
      // "-qV": every letter a flag.
      for (size_t k = 1; k < arg.size(); ++k) {
        if (!ApplyShortFlag(opts, arg[k])) {
          error = "unknown option '-" + std::string(1, arg[k]) + "' in '" + arg + "'";
          return false;
        }
      }
      continue;
    }
    if (optionsEnded || arg == "-" || arg.empty() || arg[0] != '-') {
      // The first bare word may name the command; everything else is a file.
      if (!commandSeen && !optionsEnded && opts.files.empty()) {
        commandSeen = true;
        if (arg == "read") continue;
        if (arg == "check") { opts.command = Command::Check; continue; }
        if (arg == "run") { opts.command = Command::Run; continue; }
      }
      opts.files.push_back(arg);
      continue;
    }
    if (arg == "--") { optionsEnded = true; continue; }
    if (arg == "-h" || arg == "--help") { opts.help = true; continue; }
    if (arg == "-V" || arg == "--version") { opts.version = true; continue; }
    if (arg == "-q" || arg == "--quiet") { opts.quiet = true; continue; }
    if (arg == "-a" || arg == "--all") { opts.all = true; continue; }
    if (arg == "--no-check") { opts.noCheck = true; continue; }
    if (arg == "--werror") { opts.werror = true; continue; }
    if (arg == "--list-codes") { opts.listCodes = true; continue; }
    if (arg == "--no-model") { opts.noModel = true; continue; }

    std::string name = arg, value;
    bool hasValue = false;
    if (size_t eq = arg.find('='); eq != std::string::npos && arg.compare(0, 2, "--") == 0) {
      name = arg.substr(0, eq);
      value = arg.substr(eq + 1);
      hasValue = true;
    }
    const ValueOption* opt = nullptr;
    for (const ValueOption& o : kValueOptions) {
      if (name == o.name) opt = &o;
    }
    if (!opt) {
      error = "unknown option '" + arg + "'";
      return false;
    }
    if (!hasValue) {
      if (i + 1 >= argc) {
        error = "option '" + name + "' needs a value (" + opt->expected + ")";
        return false;
      }
      value = argv[++i];
    }
    if (!opt->apply(opts, value)) {
      error = "invalid value '" + value + "' for " + name + " (expected " + opt->expected + ")";
      return false;
    }
  }
  if (!opts.help && !opts.version && !opts.listCodes && opts.explain.empty() && opts.files.empty()) {
    error = "no input files";
    return false;
  }
  // The other dumps list every object; only the animation views narrow to one animation.
  if (!opts.anim.empty() && opts.dump != DumpKind::Dot && opts.dump != DumpKind::Timeline) {
    error = "option '--anim' needs '--dump dot' or '--dump timeline'";
    return false;
  }
  return true;
}

const char* UsageText() {
  return "usage: scrread [COMMAND] [OPTIONS] FILE...\n"
         "       scrread --explain CODE | --list-codes\n"
         "\n"
         "Reads scene scripts without a 3D host, reports what went wrong and where, and shows\n"
         "what was built.\n"
         "\n"
         "Commands:\n"
         "  read     read the scripts (the default): grammar check, then the reader\n"
         "  check    the grammar check alone: blocks, braces, keywords allowed inside each block\n"
         "  run      read, then run each top-level program block once, in order, and print\n"
         "           the root module's variables (with --dump, the dump after the run)\n"
         "\n"
         "Options:\n"
         "  --dump none|tree|json|dot|timeline\n"
         "                              print what was built on standard output (default none;\n"
         "                              timeline: the animations on a time axis, as SVG)\n"
         "  --anim NAME                 with --dump dot or timeline: that animation alone, with\n"
         "                              its sub-animations, controllers, events and actions\n"
         "  --format gcc|pretty|json|sarif|raw\n"
         "                              how diagnostics are printed on standard error (default:\n"
         "                              pretty on a terminal, with the line and a caret; else gcc;\n"
         "                              sarif: SARIF 2.1.0 for code-scanning services)\n"
         "  -a, --all                   also the messages after the first error of a file\n"
         "  --encoding auto|gbk|utf-8   how the scripts are encoded (default auto)\n"
         "  --workdir DIR               the work directory models and images are found under\n"
         "  --trace FILE                append each script line read to FILE\n"
         "  --color auto|always|never   colour the diagnostics (auto: a terminal and no NO_COLOR)\n"
         "  --module NAME               the name of each file's root module (default main)\n"
         "  --werror                    warnings fail the run (exit 1) as errors do\n"
         "  --ignore CODE,...           do not report messages with these codes\n"
         "  --explain CODE              what a message code means, with an example and its fix\n"
         "  --list-codes                every message code with its message\n"
         "  --entry NAME,...            in a directory, read only these top-level scripts\n"
         "  --max-steps N               run: operations each program may execute (default\n"
         "                              100000000; 0 for no bound)\n"
         "  --no-check                  skip the grammar check\n"
         "  --no-model                  do not load models\n"
         "  -q, --quiet                 no summary line\n"
         "  -h, --help                  this text\n"
         "  -V, --version               the version\n"
         "\n"
         "FILE '-' reads the script from standard input; a directory, every .scr file under it.\n"
         "Defaults come from scrread.toml or .scrread.toml, looked for from here upward\n"
         "(workdir, encoding, ignore, entry).\n"
         "Exit status: 0 clean, 1 a script had errors (or a run failed), 2 usage or I/O error.\n";
}
