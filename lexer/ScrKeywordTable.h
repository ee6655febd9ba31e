// The keyword table: every keyword of the script format, what kind it is, and which keywords may
// stand directly inside it.
//
// One table serves the token reader (is this token a keyword, to be lower-cased?) and the grammar
// check (may this child stand in that block?). The records are read-only data in table order,
// ending with a record named "*"; a search takes the first record whose name matches and looks
// at no more than SCR_KEYWORD_TABLE_BOUND records. The searches themselves are hashed: the
// first-match rule and the bound are applied once, when the indexes are built.
#pragma once

#include "lexer/ScrApi.h"

struct ScrKeywordRecord {
  const char* name;     // lower case
  unsigned kind;        // 3 = the root block (script), 2 = block keyword, 1 = value keyword
  const char* allowed;  // comma-separated children, as stored; "none" for value keywords,
                        // "all" where any keyword may stand inside
};

enum : unsigned { SCR_KW_VALUE = 1, SCR_KW_BLOCK = 2, SCR_KW_ROOT = 3 };

// The whole table, the "*" record included; `count` receives the number of records.
const ScrKeywordRecord* ScrKeywordTable(int* count);

// The first record whose name equals `name` byte for byte; null when none.
const ScrKeywordRecord* ScrFindKeywordRecord(const char* name);

// 1 when `token` equals a keyword ignoring ASCII letter case.
int ScrIsKeyword(const char* token);

// What a block lets stand directly inside it: looked up once for the block (ScrKeywordParentOf),
// asked for each child (ScrKeywordParentAllows).
struct ScrKeywordParent {
  bool any = false;               // calls, code blocks, modules, classes and segments
  bool controller = false;        // a controller holds no `act`
  bool takesAll = false;          // the allowed list contains "all"
  const char* allowed = nullptr;  // the parent's allowed list; null for a word the table lacks
};
ScrKeywordParent ScrKeywordParentOf(const char* parent);
// The same for a record ScrFindKeywordRecord returned, without a second search.
ScrKeywordParent ScrKeywordParentOfRecord(const ScrKeywordRecord* rec);
int ScrKeywordParentAllows(const ScrKeywordParent& parent, const char* child);

// May `child` stand directly inside `parent`? Calls and code blocks take anything; otherwise the
// parent's record decides: the child must occur in its allowed list (as a substring, the way the
// list has always been matched) or the list must contain "all".
int ScrKeywordAllows(const char* parent, const char* child);
