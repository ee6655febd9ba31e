// Small text helpers shared by the files of the lexical layer (not part of its API).
#pragma once

#include <cstring>
#include <string>
#include <string_view>

namespace scrlex {

// `c` is one of the characters of `set` (a NUL byte never is).
inline bool InSet(char c, const char* set) {
  for (; *set; ++set)
    if (*set == c) return true;
  return false;
}

// A set of bytes tested by one table lookup, for the loops that look at every byte of a line.
struct CharSet {
  bool has[256] = {};
  constexpr explicit CharSet(const char* set) {
    for (; *set; ++set) has[static_cast<unsigned char>(*set)] = true;
  }
  constexpr bool operator()(char c) const { return has[static_cast<unsigned char>(c)]; }
};

inline bool StartsWith(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && s.compare(0, prefix.size(), prefix) == 0;
}

inline bool Contains(std::string_view s, std::string_view part) { return s.find(part) != std::string_view::npos; }

// Blanks (spaces and tabs) off both ends.
inline std::string TrimBlanks(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
  return std::string(s.substr(b, e - b));
}

// Index of the first `c` outside double quotes and at nesting depth 0, where '(' (and '[' with
// `brackets`) raise and ')' (and ']') lower the depth (a stray closer never takes it below 0);
// npos when there is none.
inline size_t FindTopLevel(std::string_view s, char c, bool brackets = false) {
  bool quoted = false;
  size_t depth = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    char ch = s[i];
    if (ch == '"') {
      quoted = !quoted;
      continue;
    }
    if (quoted) continue;
    if (ch == c && depth == 0) return i;
    if (ch == '(' || (brackets && ch == '[')) {
      ++depth;
    } else if (ch == ')' || (brackets && ch == ']')) {
      if (depth > 0) --depth;
    }
  }
  return std::string_view::npos;
}

// Index of the first `c` outside double quotes; npos when there is none.
inline size_t FindUnquoted(std::string_view s, char c) {
  bool quoted = false;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '"') quoted = !quoted;
    else if (!quoted && s[i] == c) return i;
  }
  return std::string_view::npos;
}

inline int CountChar(std::string_view s, char c) {
  int n = 0;
  for (char ch : s) n += (ch == c);
  return n;
}

}  // namespace scrlex
