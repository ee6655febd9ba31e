// scrread: reads scene scripts without a 3D host, prints what went wrong and where in the way
// compilers do, and dumps what the reader built.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "Diagnostics.h"
#include "Dump.h"
#include "Options.h"
#include "Report.h"
#include "compiler/ScrRun.h"
#include "lexer/ScrEncoding.h"
#include "reader/ScriptReader.h"
#include "sg/Gfx.h"
#include "sg/Module.h"
#include "sg/Variable.h"

#ifndef SCRREAD_VERSION
#define SCRREAD_VERSION "unknown"
#endif

namespace {

constexpr int kExitClean = 0;
constexpr int kExitScriptErrors = 1;
constexpr int kExitUsage = 2;

// Reads all of standard input; false with `error` set when it cannot be read. The script is
// read from memory: nothing is written anywhere.
bool ReadStdin(std::string& bytes, std::string& error) {
  bytes.clear();
  char buf[65536];
  for (;;) {
    ssize_t n = read(STDIN_FILENO, buf, sizeof buf);
    if (n == 0) return true;
    if (n < 0) {
      if (errno == EINTR) continue;
      error = std::string("cannot read standard input: ") + std::strerror(errno);
      return false;
    }
    bytes.append(buf, static_cast<size_t>(n));
  }
}

FileReport IoFailure(const std::string& given, const std::string& shown, const std::string& why) {
  FileReport r;
  r.given = given;
  r.shown = shown;
  r.ioError = true;
  Diagnostic d;
  d.severity = ScrSeverity::Error;
  d.file = shown;
  d.statement = why;
  d.text = shown + ": " + why;
  r.diagnostics.push_back(std::move(d));
  return r;
}

// Why a file given on the command line cannot be read as a script; "" when it can be opened.
// Only regular files hold scripts: a directory, a device or a pipe is refused here.
std::string Unreadable(const std::string& path) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return std::string("cannot open: ") + std::strerror(errno);
  struct stat st;
  int statted = fstat(fd, &st);
  close(fd);
  if (statted != 0) return std::string("cannot open: ") + std::strerror(errno);
  if (S_ISDIR(st.st_mode)) return std::string("cannot open: ") + std::strerror(EISDIR);
  if (!S_ISREG(st.st_mode)) return "cannot open: not a regular file";
  return std::string();
}

// What the root module's variables hold after a run: "name = value", arrays as {a, b}.
void AppendValue(std::string& out, const CSgVariable* v, int depth) {
  if (v->IsArray() && depth < 64) {
    out += '{';
    for (int i = 0; i < v->GetSize(); ++i) {
      if (i) out += ", ";
      if (const CSgVariable* e = v->Element(i)) AppendValue(out, e, depth + 1);
    }
    out += '}';
  } else if (v->VarType() == SGVT_STRING) {
    out += '"';
    out += v->GetString();
    out += '"';
  } else {
    out += v->GetString();
  }
}

std::string RunVariables(const CSgModule& root) {
  std::string out;
  for (int i = 0; i < root.variables().Count(); ++i) {
    const CSgVariable* v = root.variables().At(i);
    out += v->Name();
    out += " = ";
    AppendValue(out, v, 0);
    out += '\n';
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  Options opts;
  std::string error;
  if (!ParseOptions(argc, argv, opts, error)) {
    std::fprintf(stderr, "scrread: error: %s\nTry 'scrread --help' for more information.\n", error.c_str());
    return kExitUsage;
  }
  if (opts.help) {
    std::fputs(UsageText(), stdout);
    return std::fflush(stdout) == 0 && !std::ferror(stdout) ? kExitClean : kExitUsage;
  }
  if (opts.version) {
    std::printf("scrread %s\n", SCRREAD_VERSION);
    return std::fflush(stdout) == 0 && !std::ferror(stdout) ? kExitClean : kExitUsage;
  }
  if (opts.command == Command::Check) {
    std::fprintf(stderr, "scrread: the 'check' command is not available yet (the grammar check alone); "
                         "use 'scrread read' instead\n");
    return kExitUsage;
  }

  if (!opts.trace.empty()) SgSetTraceTarget(opts.trace.c_str(), 0);

  DiagnosticPrinter printer(stderr, opts.format, UseColor(opts.color, stderr));
  // The root outlives the readers: objects may point into what a reader keeps.
  auto root = std::make_unique<CSgModule>(opts.module.c_str());
  std::vector<std::unique_ptr<CScriptReader>> readers;
  std::vector<FileReport> reports;
  bool ioError = false;

  for (const std::string& given : opts.files) {
    const bool isStdin = given == "-";
    const std::string shown = isStdin ? "<stdin>" : given;
    std::string path = given;
    std::string stdinBytes;
    if (isStdin) {
      if (!ReadStdin(stdinBytes, error)) {
        reports.push_back(IoFailure(given, shown, error));
        ioError = true;
        printer.PrintFile(reports.back());
        continue;
      }
    } else if (std::string why = Unreadable(path); !why.empty()) {
      reports.push_back(IoFailure(given, shown, why));
      ioError = true;
      printer.PrintFile(reports.back());
      continue;
    }

    auto reader = std::make_unique<CScriptReader>(root.get());
    reader->SetEncoding(opts.encoding);
    if (!opts.workdir.empty()) reader->SetWorkDirectory(opts.workdir.c_str());
    FileReport r;
    r.given = given;
    r.shown = shown;
    if (isStdin)
      r.result = reader->ReadXScriptText(shown.c_str(), std::move(stdinBytes), opts.noModel ? 0 : 1, opts.noCheck ? 0 : 1);
    else
      r.result = reader->ReadXScript(path.c_str(), opts.noModel ? 0 : 1, opts.noCheck ? 0 : 1);
    r.encoding = ScrEncodingName(reader->LastEncoding());
    r.diagnostics = CollectDiagnostics(reader->Messages().Entries(), std::string(), shown);
    reports.push_back(std::move(r));
    readers.push_back(std::move(reader));
    printer.PrintFile(reports.back());
  }

  printer.Finish(reports, opts.quiet);

  // run: the program blocks of each file that read without an error, in order.
  bool runFailed = false;
  if (opts.command == Command::Run) {
    const long long budget = opts.maxSteps == 0 ? std::numeric_limits<long long>::max() : opts.maxSteps;
    for (size_t i = 0; i < readers.size() && !runFailed; ++i) {
      ScrRunResult r = ScrRunPrograms(readers[i].get(), budget);
      if (!r.ok) {
        runFailed = true;
        std::fprintf(stderr, "%s: error: run-time error in '%s': %s\n", reports[i].shown.c_str(),
                     r.program.c_str(), r.error.c_str());
      }
    }
    if (opts.dump == DumpKind::None) std::fputs(RunVariables(*root).c_str(), stdout);
  }

  switch (opts.dump) {
    case DumpKind::None: break;
    case DumpKind::Json: std::fputs(DumpJson(reports, *root).c_str(), stdout); break;
    case DumpKind::Tree: std::fputs(DumpTree(*root).c_str(), stdout); break;
    case DumpKind::Dot: std::fputs(DumpDot(*root).c_str(), stdout); break;
  }
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    std::fprintf(stderr, "scrread: error: cannot write standard output\n");
    return kExitUsage;
  }
  readers.clear();
  root.reset();
  if (!opts.trace.empty()) SgSetTraceTarget(nullptr, 0);

  if (ioError) return kExitUsage;
  if (runFailed) return kExitScriptErrors;
  for (const FileReport& r : reports) {
    if (r.result == 0) return kExitScriptErrors;
    for (const Diagnostic& d : r.diagnostics) {
      if (d.severity == ScrSeverity::Error) return kExitScriptErrors;
    }
  }
  return kExitClean;
}
