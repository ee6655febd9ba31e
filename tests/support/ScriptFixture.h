// Test support: scripts written in UTF-8 in the test, stored as GBK files, read by a real reader,
// and the messages handed back in UTF-8.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "reader/ScriptReader.h"
#include "sg/Module.h"

std::string Gbk(const std::string& utf8);
std::string Utf8(const std::string& gbk);

// A private directory under the system temporary directory, removed with everything in it.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return m_path; }
  // Writes `bytes` as they are to dir/name (sub-directories are made); returns the full path.
  std::string WriteBytes(const std::string& name, const std::string& bytes) const;
  // Writes UTF-8 `text` converted to GBK.
  std::string WriteGbk(const std::string& name, const std::string& utf8) const {
    return WriteBytes(name, Gbk(utf8));
  }

 private:
  std::string m_path;
};

struct ReadOutcome {
  int result = 0;
  std::vector<std::string> messages;  // UTF-8, one per entry
  std::vector<ScrMessageEntry> entries;
};

// A fresh scene, root module and reader for every test.
class ScriptTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Writes `utf8` as GBK to main.scr in the temporary directory and reads it.
  ReadOutcome Read(const std::string& utf8, const char* fileName = "main.scr");
  // Reads a file that is already there (path as given to ReadXScript).
  ReadOutcome ReadFile(const std::string& path);
  ReadOutcome Collect(int result);

  TempDir dir;
  std::unique_ptr<CSgModule> root;
  std::unique_ptr<CScriptReader> reader;
};

// The messages of an outcome joined by newlines, for assertion output.
std::string Joined(const ReadOutcome& o);
