// Type words are looked up by hash. The vocabulary is ordered (the first match wins) and its
// groups are entered by a substring test; the hashed lookup gives the same answer as walking
// the rows in order: a word either matches a row before any group it contains is reached, or
// the first group it contains decides (one of its rows, or no type at all).
#include "animation/ScrActionTypes.h"

#include <cctype>
#include <string>
#include <unordered_map>
#include <vector>

#include "sg/Action.h"

namespace {

std::string Lower(const char* s) {
  std::string out(s ? s : "");
  for (char& c : out) c = (char)std::tolower((unsigned char)c);
  return out;
}

struct Vocabulary {
  const SgActionWord* rows = nullptr;
  std::unordered_map<std::string, int> byWord;  // lower-case word -> first row
  struct Group {
    std::string substring;
    int first = 0;  // the group's first row
  };
  std::vector<Group> groups;  // in table order

  Vocabulary() {
    int n = 0;
    rows = SgActionWords(&n);
    for (int i = 0; i < n; ++i) {
      byWord.emplace(Lower(rows[i].word), i);
      const char* g = rows[i].group;
      if (*g && (i == 0 || std::string(rows[i - 1].group) != g)) groups.push_back({g, i});
    }
  }
};

const Vocabulary& Words() {
  static const Vocabulary v;
  return v;
}

}  // namespace

int ScrLookupActionType(const char* word, const SgActionWord** row) {
  const Vocabulary& v = Words();
  const std::string w = Lower(word);
  auto it = v.byWord.find(w);
  const int match = it == v.byWord.end() ? -1 : it->second;
  // The first group whose substring the word holds; the walk reaches it at its first row.
  for (const Vocabulary::Group& g : v.groups) {
    if (w.find(g.substring) == std::string::npos) continue;
    if (match >= 0 && match < g.first) break;  // matched before the walk got there
    // The group decides: its own row, or accepted without a type. Rows of a group all hold
    // its substring, so a match at or past the group's start is either inside it or beyond
    // a group that already took the word.
    *row = match >= 0 && std::string(v.rows[match].group) == g.substring ? &v.rows[match] : nullptr;
    return 1;
  }
  if (match < 0) return 0;
  *row = &v.rows[match];
  return 1;
}
