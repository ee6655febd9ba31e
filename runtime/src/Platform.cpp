// The platform dependences of the runtime: host directory, clock, temporary files.
#include "sg/Platform.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <vector>

// The executable's directory, from /proc/self/exe; "/" for a program in the root.
namespace {
std::string FindHostDirectory() {
  // readlink does not terminate; grow the buffer until the whole path fits.
  std::vector<char> buf(256);
  for (;;) {
    ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size());
    if (n < 0) return ".";
    if ((size_t)n < buf.size()) {
      std::string path(buf.data(), (size_t)n);
      size_t slash = path.rfind('/');
      if (slash == std::string::npos) return ".";
      return slash == 0 ? std::string("/") : path.substr(0, slash);
    }
    if (buf.size() >= (1u << 20)) return ".";
    buf.resize(buf.size() * 2);
  }
}
}  // namespace

// The executable does not move while it runs: its directory is looked up once.
std::string SgHostDirectory() {
  static const std::string dir = FindHostDirectory();
  return dir;
}

// steady_clock never goes backwards, unlike the wall clock.
unsigned long SgTickCount() {
  using namespace std::chrono;
  return (unsigned long)duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// $TMPDIR when set, as the other tools of the system do.
std::string SgTempDirectory() {
  const char* dir = std::getenv("TMPDIR");
  std::string d = dir && *dir ? dir : "/tmp";
  while (d.size() > 1 && d.back() == '/') d.pop_back();
  return d;
}

// mkstemp makes the name and the file at once, so no other process can take the name
// between choosing and opening it.
FILE* SgCreateTempFile(std::string& path) {
  std::string templ = SgTempDirectory() + "/sgtmpXXXXXX";
  std::vector<char> name(templ.begin(), templ.end());
  name.push_back('\0');
  int fd = mkstemp(name.data());
  if (fd < 0) {
    path.clear();
    return nullptr;
  }
  FILE* f = fdopen(fd, "w+b");
  if (!f) {
    close(fd);
    unlink(name.data());
    path.clear();
    return nullptr;
  }
  path = name.data();
  return f;
}

std::string SgCreateTempDirectory() {
  std::string templ = SgTempDirectory() + "/sgdirXXXXXX";
  std::vector<char> name(templ.begin(), templ.end());
  name.push_back('\0');
  if (!mkdtemp(name.data())) return std::string();
  return name.data();
}

// Any kind of file system entry counts.
bool SgPathExists(const char* fsPath) {
  struct stat st;
  return fsPath && *fsPath && stat(fsPath, &st) == 0;
}

// Opened without blocking, then asked what it is: a FIFO named as a model file must not stall
// the reader, and a directory is not a file.
bool SgIsReadableFile(const char* fsPath) {
  if (!fsPath || !*fsPath) return false;
  int fd = open(fsPath, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  struct stat st;
  bool regular = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  close(fd);
  return regular;
}

std::string SgCurrentDirectory() {
  std::vector<char> buf(256);
  while (!getcwd(buf.data(), buf.size())) {
    if (errno != ERANGE || buf.size() >= (1u << 20)) return ".";
    buf.resize(buf.size() * 2);
  }
  return buf.data();
}
