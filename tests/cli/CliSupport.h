// Helpers of the command-line tests: running scrread as a process, a small JSON reader to parse
// its output back, and a checker of DOT syntax (Graphviz need not be installed).
#pragma once

#include <string>
#include <utility>
#include <vector>

struct RunResult {
  int status = -1;  // the exit status; -1 when the process did not exit normally
  std::string out;
  std::string err;
};

// Runs scrread with `args`; `stdinBytes` is its standard input; `env` adds or replaces
// environment variables ("NAME=value"); `unset` removes them.
RunResult RunScrread(const std::vector<std::string>& args, const std::string& stdinBytes = "",
                     const std::vector<std::string>& env = {}, const std::vector<std::string>& unset = {});

// The path of a fixture script.
std::string Fixture(const char* name);

// --- JSON ---
struct Json {
  enum class Type { Null, Bool, Number, String, Array, Object } type = Type::Null;
  bool boolean = false;
  double number = 0;
  bool integral = false;  // written without fraction or exponent
  std::string string;
  std::vector<Json> array;
  std::vector<std::string> keys;  // an object's keys, in order
  std::vector<Json> members;      // an object's values, in the order of keys

  bool Has(const std::string& key) const;
  // The member of that key; a null value when there is none.
  const Json& operator[](const std::string& key) const;
  const Json& operator[](size_t i) const { return array.at(i); }
  size_t size() const { return type == Type::Array ? array.size() : members.size(); }
  bool IsNull() const { return type == Type::Null; }
};

// Parses one JSON document (surrounding white space allowed). Returns false with `error` set
// on any syntax error, on a duplicate key, or on bytes that are not valid UTF-8 in a string.
bool ParseJson(const std::string& text, Json& out, std::string& error);

// --- DOT ---
// Checks `text` against the DOT grammar (graph/digraph, statements, attribute lists, edges,
// subgraphs, quoted strings with escapes). Also checks that every edge of a digraph uses "->",
// and that every node an edge names has been declared by a node statement when
// `requireDeclared` is true. Returns "" when valid, else what is wrong.
std::string CheckDot(const std::string& text, bool requireDeclared = true);
