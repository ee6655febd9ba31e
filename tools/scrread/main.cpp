// scrread: reads scene scripts without a 3D host, prints what went wrong and where in the way
// compilers do, and dumps what the reader built.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "Config.h"
#include "Diagnostics.h"
#include "Dump.h"
#include "Options.h"
#include "Report.h"
#include "SourceLines.h"
#include "compiler/ScrRun.h"
#include "lexer/ScrEncoding.h"
#include "lexer/ScrPath.h"
#include "reader/ScrText.h"
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

namespace fs = std::filesystem;

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

// The files to read: each FILE as given, a directory replaced by every .scr file under it, sorted
// by path so that runs agree.
// With `entries`, a directory gives only the scripts they name (by file name or by path below it):
// the files those include are read as part of them, not again alone.
std::vector<std::string> ExpandFiles(const std::vector<std::string>& given, const std::vector<std::string>& entries) {
  auto isEntry = [&entries](const fs::path& p, const fs::path& dir) {
    if (entries.empty()) return true;
    for (const std::string& e : entries)
      if (p.filename() == e || p.lexically_relative(dir) == fs::path(e).lexically_normal()) return true;
    return false;
  };
  std::vector<std::string> out;
  for (const std::string& g : given) {
    std::error_code ec;
    if (g == "-" || !fs::is_directory(g, ec)) {
      out.push_back(g);
      continue;
    }
    std::vector<std::string> found;
    for (fs::recursive_directory_iterator it(g, ec), end; !ec && it != end; it.increment(ec)) {
      if (it->is_regular_file(ec) && it->path().extension() == ".scr" && isEntry(it->path(), g))
        found.push_back(it->path().string());
    }
    std::sort(found.begin(), found.end());
    out.insert(out.end(), found.begin(), found.end());
  }
  return out;
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
    out += ScrGbkToUtf8(v->GetString());  // the runtime holds GBK; the tool speaks UTF-8
    out += '"';
  } else {
    out += v->GetString();
  }
}

std::string RunVariables(const CSgModule& root) {
  std::string out;
  for (int i = 0; i < root.variables().Count(); ++i) {
    const CSgVariable* v = root.variables().At(i);
    // Plain variables hold values; coordinates and their kin are shown by the dumps.
    if (v->TypeCode() != SGT_VARIABLE) continue;
    out += ScrGbkToUtf8(v->Name());
    out += " = ";
    AppendValue(out, v, 0);
    out += '\n';
  }
  return out;
}

// The size of a file, 0 when it has none yet.
off_t FileSize(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 ? st.st_size : 0;
}

// The trace writer writes the lines as the reader holds them, in GBK. A script written in UTF-8
// gets its part of the trace (from `from` on) back in UTF-8.
void TraceToUtf8(const std::string& path, off_t from) {
  int fd = open(path.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) return;
  std::string gbk;
  char buf[65536];
  for (off_t at = from;;) {
    ssize_t n = pread(fd, buf, sizeof buf, at);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    gbk.append(buf, static_cast<size_t>(n));
    at += n;
  }
  std::string utf8 = ScrGbkToUtf8(gbk);
  if (ftruncate(fd, from) == 0) {
    for (size_t done = 0; done < utf8.size();) {
      ssize_t n = pwrite(fd, utf8.data() + done, utf8.size() - done, from + static_cast<off_t>(done));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      done += static_cast<size_t>(n);
    }
  }
  close(fd);
}

// --list-codes: every code, its severity and the message as the catalogue writes it.
int ListCodes() {
  for (int i = 0; i < SCR_TEXT_COUNT; ++i) {
    ScrTextId id = static_cast<ScrTextId>(i);
    ScrTextCodeInfo info = ScrTextCode(id);
    if (!*info.code) continue;
    std::string text = ScrTextUtf8(id);
    std::replace(text.begin(), text.end(), '\n', ' ');
    text.erase(0, text.find_first_not_of(' '));
    std::printf("%-36s %-8s %s\n", info.code, ScrSeverityName(ScrTextSeverity(id)), text.c_str());
  }
  return std::fflush(stdout) == 0 && !std::ferror(stdout) ? kExitClean : kExitUsage;
}

// --explain CODE: the message, what it means, and a script that causes it with its fix.
int Explain(const std::string& code) {
  ScrTextId id;
  if (!ScrTextFindCode(code.c_str(), &id)) {
    std::fprintf(stderr, "scrread: error: no message has the code '%s' (see --list-codes)\n", code.c_str());
    return kExitUsage;
  }
  ScrTextCodeInfo info = ScrTextCode(id);
  std::printf("%s (%s)\n\n  %s\n\n%s\n", info.code, ScrSeverityName(ScrTextSeverity(id)), ScrTextUtf8(id),
              info.explanation);
  if (*info.example) {
    std::printf("\nFor example:\n\n%s\nFixed:\n\n%s", info.example, info.fix);
    // Examples that pass a limit of hundreds are written short (the catalogue's notation).
    if (std::strstr(info.example, "<<") && std::strstr(info.example, ">>"))
      std::printf("\n(<<N x TEXT>> stands for N copies of TEXT.)\n");
  }
  return std::fflush(stdout) == 0 && !std::ferror(stdout) ? kExitClean : kExitUsage;
}

// Includes found through a work directory that scrread made whole (a relative --workdir, the
// current directory for standard input) are named relative to the current directory again, as
// the user named the work directory. `madeWhole` is that directory, "" when there is none.
void ShortenUnder(const std::string& cwd, const std::string& madeWhole, std::string& path) {
  auto under = [&path](const std::string& dir) {
    return !dir.empty() && path.size() > dir.size() + 1 && path.compare(0, dir.size(), dir) == 0 &&
           path[dir.size()] == '/';
  };
  if (under(madeWhole) && under(cwd)) path.erase(0, cwd.size() + 1);
}

int UsageError(const std::string& why) {
  std::fprintf(stderr, "scrread: error: %s\n", why.c_str());
  return kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
  Options opts;
  std::string error, config;
  if (!LoadProjectConfig(opts, config, error)) return UsageError(error);
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
  if (opts.listCodes) return ListCodes();
  if (!opts.explain.empty()) return Explain(opts.explain);

  // A relative work directory is the user's, relative to where scrread was started; the library
  // would take it relative to its own directory.
  std::error_code ec;
  const std::string cwd = fs::current_path(ec).string();
  std::string madeWhole;  // a relative --workdir made whole
  if (!opts.workdir.empty()) {
    fs::path wd = fs::absolute(opts.workdir, ec);
    if (ec || !fs::is_directory(wd, ec)) return UsageError("work directory '" + opts.workdir + "' is not a directory");
    madeWhole = fs::path(opts.workdir).is_absolute() ? std::string() : wd.lexically_normal().string();
    if (!madeWhole.empty() && madeWhole.back() == '/') madeWhole.pop_back();
    opts.workdir = wd.lexically_normal().string();
  }
  if (!opts.trace.empty()) {
    int fd = open(opts.trace.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
    if (fd < 0) return UsageError("cannot write the trace file '" + opts.trace + "': " + std::strerror(errno));
    close(fd);
    SgSetTraceTarget(opts.trace.c_str(), 0);
  }
  if (opts.format == DiagFormat::Auto) opts.format = isatty(STDERR_FILENO) ? DiagFormat::Pretty : DiagFormat::Gcc;

  SourceLines sources;
  DiagnosticPrinter printer(stderr, opts.format, UseColor(opts.color, stderr), opts.all, &sources);
  printer.SetVersion(SCRREAD_VERSION);
  // Each file is read into a root module of its own, so that the objects of two files given
  // together never merge. The roots outlive the readers: objects may point into what a reader
  // keeps. roots[i] belongs to reports[i]; a file that could not be read has an empty one.
  std::vector<std::unique_ptr<CSgModule>> roots;
  std::vector<std::unique_ptr<CScriptReader>> readers;
  std::vector<size_t> readerReport;  // readers[i] read the file of reports[readerReport[i]]
  std::vector<FileReport> reports;
  bool ioError = false;

  for (const std::string& given : ExpandFiles(opts.files, opts.entries)) {
    const bool isStdin = given == "-";
    const std::string shown = isStdin ? "<stdin>" : given;  // one name for it everywhere
    std::string path = given;
    std::string stdinBytes;
    if (isStdin) {
      if (!ReadStdin(stdinBytes, error)) {
        reports.push_back(IoFailure(given, shown, error));
        roots.push_back(std::make_unique<CSgModule>(opts.module.c_str()));
        ioError = true;
        printer.PrintFile(reports.back());
        continue;
      }
    } else if (std::string why = Unreadable(path); !why.empty()) {
      reports.push_back(IoFailure(given, shown, why));
      roots.push_back(std::make_unique<CSgModule>(opts.module.c_str()));
      ioError = true;
      printer.PrintFile(reports.back());
      continue;
    }

    auto root = std::make_unique<CSgModule>(opts.module.c_str());
    auto reader = std::make_unique<CScriptReader>(root.get());
    reader->SetEncoding(opts.encoding);
    reader->SetKeepSuppressed(1);
    // Includes of a script from standard input are looked for where the user stands.
    if (!opts.workdir.empty()) reader->SetWorkDirectory(opts.workdir.c_str());
    else if (isStdin) reader->SetWorkDirectory(cwd.c_str());
    // Each file given is checked on its own: what another file included is no include of this one.
    ScrDeleteIncludeFilenames();
    if (isStdin) sources.Add(shown, stdinBytes);
    const off_t traceFrom = opts.trace.empty() ? 0 : FileSize(opts.trace);
    FileReport r;
    r.given = given;
    r.shown = shown;
    if (opts.command == Command::Check) {
      // The grammar check alone: nothing is built.
      if (isStdin) r.result = reader->CheckGrammarText(shown.c_str(), std::move(stdinBytes));
      else r.result = reader->CheckGrammar(path.c_str());
    } else if (isStdin) {
      r.result = reader->ReadXScriptText(shown.c_str(), std::move(stdinBytes), opts.noModel ? 0 : 1, opts.noCheck ? 0 : 1);
    } else {
      r.result = reader->ReadXScript(path.c_str(), opts.noModel ? 0 : 1, opts.noCheck ? 0 : 1);
    }
    r.encoding = ScrEncodingName(reader->LastEncoding());
    r.functions = CollectFunctions(*reader);
    r.macros = CollectMacros(*reader);
    r.diagnostics = CollectDiagnostics(reader->Messages().Entries(), reader->Suppressed().Entries());
    std::erase_if(r.diagnostics, [&opts](const Diagnostic& d) {
      return !d.code.empty() && std::find(opts.ignore.begin(), opts.ignore.end(), d.code) != opts.ignore.end();
    });
    for (Diagnostic& d : r.diagnostics) {
      // Standard input's work directory, unless one is given, is the current directory.
      const std::string& whole = opts.workdir.empty() && isStdin ? cwd : madeWhole;
      ShortenUnder(cwd, whole, d.file);
      for (DiagnosticNote& n : d.notes) ShortenUnder(cwd, whole, n.file);
    }
    // An ignored first error does not hide the rest: the first-error rule starts again after what
    // is left, as though the ignored messages had never been made.
    for (bool seenError = false; Diagnostic& d : r.diagnostics) {
      if (!seenError && !d.toolNote) d.suppressed = false;
      if (d.severity == ScrSeverity::Error) seenError = true;
    }
    if (!opts.trace.empty() && reader->LastEncoding() == ScrDetectedEncoding::Utf8) TraceToUtf8(opts.trace, traceFrom);
    reports.push_back(std::move(r));
    roots.push_back(std::move(root));
    readers.push_back(std::move(reader));
    readerReport.push_back(reports.size() - 1);
    printer.PrintFile(reports.back());
  }

  // No file at all (an empty directory) still dumps one, empty, root.
  if (roots.empty()) roots.push_back(std::make_unique<CSgModule>(opts.module.c_str()));
  // The dump goes out first: on a terminal the summary then stands last, under it.
  // run: the program blocks of each file that read without an error, in order; what the root
  // module's variables hold afterwards is printed (or dumped) below.
  bool runFailed = false;
  if (opts.command == Command::Run) {
    const long long budget = opts.maxSteps == 0 ? std::numeric_limits<long long>::max() : opts.maxSteps;
    for (size_t i = 0; i < readers.size() && !runFailed; ++i) {
      ScrRunResult r = ScrRunPrograms(readers[i].get(), budget);
      if (!r.ok) {
        runFailed = true;
        std::fprintf(stderr, "%s: error: run-time error in '%s': %s\n", reports[readerReport[i]].shown.c_str(),
                     r.program.c_str(), r.error.c_str());
      }
    }
    // Each file's root module holds its own variables; with several files, each list is headed
    // by the file's name.
    if (opts.dump == DumpKind::None) {
      for (size_t i = 0; i < readerReport.size(); ++i) {
        if (reports.size() > 1) std::printf("%s:\n", reports[readerReport[i]].shown.c_str());
        std::fputs(RunVariables(*roots[readerReport[i]]).c_str(), stdout);
      }
    }
  }

  // The animation views: with --anim, the animation of that name in each file that has one;
  // without, the timeline shows every top-level animation. A name no file has is a usage error.
  std::vector<AnimationGroup> animations;
  bool animMissing = false;
  if (opts.dump == DumpKind::Timeline || !opts.anim.empty()) {
    for (size_t i = 0; i < roots.size(); ++i) {
      AnimationGroup g;
      if (roots.size() > 1 && i < reports.size()) g.title = reports[i].shown;
      if (opts.anim.empty()) g.animations = TopLevelAnimations(*roots[i]);
      else if (const CAnimation* a = FindAnimationForView(*roots[i], opts.anim)) g.animations.push_back(a);
      if (opts.anim.empty() || !g.animations.empty()) animations.push_back(std::move(g));
    }
    if (!opts.anim.empty() && animations.empty()) {
      animMissing = true;
      std::fprintf(stderr, "scrread: error: no animation named '%s'\n", opts.anim.c_str());
    }
  }

  switch (animMissing ? DumpKind::None : opts.dump) {
    case DumpKind::None: break;
    case DumpKind::Json: std::fputs(DumpJson(reports, roots, opts.all).c_str(), stdout); break;
    case DumpKind::Tree: std::fputs(DumpTree(reports, roots).c_str(), stdout); break;
    case DumpKind::Dot:
      if (opts.anim.empty()) std::fputs(DumpDot(reports, roots).c_str(), stdout);
      else std::fputs(DumpAnimationDot(animations).c_str(), stdout);
      break;
    case DumpKind::Timeline: std::fputs(DumpTimeline(animations).c_str(), stdout); break;
  }
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    std::fprintf(stderr, "scrread: error: cannot write standard output\n");
    return kExitUsage;
  }
  printer.Finish(reports, opts.quiet);
  if (std::ferror(stderr)) return kExitUsage;  // the diagnostics did not get out
  readers.clear();
  roots.clear();
  if (!opts.trace.empty()) SgSetTraceTarget(nullptr, 0);

  if (ioError || animMissing) return kExitUsage;
  if (runFailed) return kExitScriptErrors;
  for (const FileReport& r : reports) {
    if (r.result == 0) return kExitScriptErrors;
    for (const Diagnostic& d : r.diagnostics) {
      if (d.suppressed) continue;
      if (d.severity == ScrSeverity::Error || (opts.werror && d.severity == ScrSeverity::Warning))
        return kExitScriptErrors;
    }
  }
  return kExitClean;
}
