// The keyword table: every keyword of the script format, what kind it is, and which keywords may
// stand directly inside it.
//
// The records are read-only and kept in table order; a search by name takes the first record
// that matches and looks at no more than SCR_KEYWORD_TABLE_BOUND records. The table ends with a
// record named "*".
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

// 1 when `token` equals a keyword ignoring ASCII letter case (answered from a hash built once).
int ScrIsKeyword(const char* token);

// May `child` stand directly inside `parent`? Calls and code blocks take anything; otherwise the
// parent's record decides: the child must occur in its allowed list (as a substring, the way the
// list has always been matched) or the list must contain "all".
int ScrKeywordAllows(const char* parent, const char* child);
