// Helpers for the lexer tests: script text in a temporary file, and the tokens read from it.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "lexer/ScrLex.h"
#include "lexer/ScrLexState.h"

namespace lextest {

// Script text held in memory as a stream, as the reader holds every script; also written to a
// fresh temporary file (mkstemp) for the tests that open it by path, removed afterwards.
class TempScript {
 public:
  explicit TempScript(const std::string& text, const std::string& name = "test.scr")
      : m_stream(CScrStream::FromText(text, name)) {
    const char* dir = std::getenv("TMPDIR");
    m_path = std::string(dir && *dir ? dir : "/tmp") + "/lextest-XXXXXX";
    int fd = mkstemp(m_path.data());
    if (fd < 0) {
      ADD_FAILURE() << "mkstemp failed";
      return;
    }
    if (::write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size())) ADD_FAILURE() << "write failed";
    ::close(fd);
  }
  ~TempScript() { ::unlink(m_path.c_str()); }
  TempScript(const TempScript&) = delete;
  TempScript& operator=(const TempScript&) = delete;

  CScrStream* f() const { return m_stream.get(); }
  const std::string& path() const { return m_path; }

 private:
  std::unique_ptr<CScrStream> m_stream;
  std::string m_path;
};

// Puts the shared lexical state back to how a fresh read finds it.
inline void ResetLexer() {
  ScrLexResetBuffers();
  ScrResetLineId();
  while (ScrCallContextDepth() > 0) ScrPopCallContext();
  ScrSetCurrentReader(nullptr);
  ScrSetCurrentStream(nullptr);
}

// Every token ScrReadString returns for `text`, empty ones included, until the input ends.
inline std::vector<std::string> Strings(const std::string& text) {
  TempScript s(text);
  std::vector<std::string> out;
  std::string tok;
  for (int guard = 0; guard < 10000; ++guard) {
    int r = ScrReadString(s.f(), tok);
    if (!r && ScrInputEnded(s.f())) break;
    out.push_back(tok);
  }
  return out;
}

// Every token ScrReadKeyword returns for `text` until the input ends.
inline std::vector<std::string> Keywords(const std::string& text) {
  TempScript s(text);
  std::vector<std::string> out;
  std::string tok;
  for (int guard = 0; guard < 10000; ++guard) {
    ScrReadKeyword(s.f(), tok);
    if (tok.empty() && ScrInputEnded(s.f())) break;
    out.push_back(tok);
  }
  return out;
}

using Tokens = std::vector<std::string>;

// Base fixture: every test starts with an empty lexical state.
class LexTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetLexer(); }
  void TearDown() override { ResetLexer(); }
};

}  // namespace lextest
