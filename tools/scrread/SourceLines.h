// The lines of the scripts diagnostics speak of, in UTF-8, for the excerpts under messages.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

class SourceLines {
 public:
  // Makes the text of `name` known without reading a file (standard input).
  void Add(const std::string& name, const std::string& bytes);
  // Line `line` (1-based) of the file named `name` (as diagnostics name it), in UTF-8 without its
  // terminator; false when the file cannot be read or has no such line. Files are read once.
  bool Line(const std::string& name, int line, std::string& out);

 private:
  std::unordered_map<std::string, std::vector<std::string>> m_files;
};

// The caret line under `line` for a 1-based column counted in characters: blanks as wide as what
// stands before the column (a tab is kept as a tab, a wide CJK character takes two cells), then '^'.
std::string CaretLine(const std::string& line, int column);
