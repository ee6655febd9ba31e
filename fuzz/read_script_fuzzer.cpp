// libFuzzer target: one script file read through CScriptReader::ReadXScript.
//
// The first byte's low bit turns the grammar pre-pass on or off; the whole input (that byte
// included) is the file. Models are never loaded. Includes are looked for under a private,
// empty work directory made once per process.
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "lexer/ScrPath.h"
#include "reader/ScriptReader.h"
#include "sg/Gfx.h"
#include "sg/Module.h"

namespace {

std::string TempBase() {
  const char* base = getenv("TMPDIR");
  return base && *base ? base : "/tmp";
}

const std::string& WorkDirectory() {
  static const std::string dir = [] {
    std::string templ = TempBase() + "/scrfuzz-work.XXXXXX";
    return std::string(mkdtemp(templ.data()) ? templ.c_str() : "");
  }();
  return dir;
}

// Writes the input to a fresh file of its own; returns its path, empty on failure.
std::string WriteTemp(const uint8_t* data, size_t size) {
  std::string templ = TempBase() + "/scrfuzz-in.XXXXXX";
  int fd = mkstemp(templ.data());
  if (fd < 0) return {};
  size_t done = 0;
  while (done < size) {
    ssize_t n = write(fd, data + done, size - done);
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  close(fd);
  if (done != size) {
    unlink(templ.c_str());
    return {};
  }
  return templ;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const int checkGrammar = size > 0 ? (data[0] & 1) : 0;

  // Once the reader reads from memory, the input goes straight in here and the file goes.
  const std::string path = WriteTemp(data, size);
  if (path.empty()) return 0;

  {
    CSgModule root("main");
    CScriptReader reader(&root);
    reader.SetWorkDirectory(WorkDirectory().c_str());
    reader.ReadXScript(path.c_str(), /*bLoadModel=*/0, checkGrammar);
  }

  // The include list and the scene are process-wide: empty them so inputs stay independent.
  ScrDeleteIncludeFilenames();
  SgResetScene();
  unlink(path.c_str());
  return 0;
}
