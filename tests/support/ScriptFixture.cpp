#include "support/ScriptFixture.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "lexer/ScrEncoding.h"
#include "lexer/ScrLex.h"
#include "lexer/ScrPath.h"
#include "sg/Gfx.h"

std::string Gbk(const std::string& utf8) { return ScrUtf8ToGbk(utf8); }
std::string Utf8(const std::string& gbk) { return ScrGbkToUtf8(gbk); }

TempDir::TempDir() {
  const char* base = std::getenv("TMPDIR");
  std::string templ = std::string(base && *base ? base : "/tmp") + "/scrtest.XXXXXX";
  std::vector<char> buf(templ.begin(), templ.end());
  buf.push_back('\0');
  if (mkdtemp(buf.data())) m_path = buf.data();
}

TempDir::~TempDir() {
  if (m_path.empty()) return;
  std::error_code ec;
  std::filesystem::remove_all(m_path, ec);
}

std::string TempDir::WriteBytes(const std::string& name, const std::string& bytes) const {
  std::filesystem::path p = std::filesystem::path(m_path) / name;
  std::filesystem::create_directories(p.parent_path());
  std::ofstream out(p, std::ios::binary);
  out << bytes;
  return p.string();
}

void ScriptTest::SetUp() {
  SgResetScene();
  ScrDeleteIncludeFilenames();
  root = std::make_unique<CSgModule>("main");
  reader = std::make_unique<CScriptReader>(root.get());
  reader->SetWorkDirectory(dir.path().c_str());
}

void ScriptTest::TearDown() {
  reader.reset();
  root.reset();
  ScrDeleteIncludeFilenames();
}

ReadOutcome ScriptTest::Read(const std::string& utf8, const char* fileName) {
  return ReadFile(dir.WriteGbk(fileName, utf8));
}

ReadOutcome ScriptTest::ReadFile(const std::string& path) {
  return Collect(reader->ReadXScript(path.c_str(), 1, 0));
}

ReadOutcome ScriptTest::Collect(int result) {
  ReadOutcome o;
  o.result = result;
  for (const ScrMessageEntry& e : reader->Messages().Entries()) {
    o.messages.push_back(Utf8(e.text));
    o.entries.push_back(e);
  }
  return o;
}

std::string Joined(const ReadOutcome& o) {
  std::string s;
  for (const std::string& m : o.messages) s += m + "\n";
  return s;
}
