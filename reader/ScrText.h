// The catalogue of system texts.
//
// Every message the reader emits and every Chinese word it compares against or hands on lives in
// reader/ScrTexts.def, written in UTF-8 and named by an identifier (err_*, warn_*, msg_*, word_*).
// At run time the texts are GBK bytes: the whole catalogue is converted once, at first use.
#pragma once

#include "lexer/ScrApi.h"
#include "reader/ScrMessage.h"

enum class ScrTextId : int {
#define SCR_TEXT(id, text) id,
#include "reader/ScrTexts.def"
#undef SCR_TEXT
  Count_
};

constexpr int SCR_TEXT_COUNT = static_cast<int>(ScrTextId::Count_);

// The text in GBK bytes (converted from the catalogue's UTF-8 once, at first use). "" for an id
// outside the catalogue.
SCR_API const char* ScrText(ScrTextId id);
// The text as written in the catalogue (UTF-8).
SCR_API const char* ScrTextUtf8(ScrTextId id);
// The identifier, e.g. "err_invalid_keyword".
SCR_API const char* ScrTextName(ScrTextId id);
// Error when the text contains "错误:" (ASCII colon), else Warning when it contains "警告:", else Other.
SCR_API ScrSeverity ScrTextSeverity(ScrTextId id);
// True when the text's first two conversions are the file name and the line: it contains
// "(%s) 第%d行" before any other conversion.
SCR_API bool ScrTextIsLocated(ScrTextId id);
// Looks a text up by its identifier; 1 when found (and *out set), 0 otherwise.
SCR_API int ScrTextFind(const char* name, ScrTextId* out);

// The rule code of a message entry and what tools say about it (SCR_CODE lines of the catalogue):
// all "" for an entry without one. Example and fix are UTF-8 scripts, "" when there is none.
struct ScrTextCodeInfo {
  const char* code;
  const char* explanation;
  const char* example;
  const char* fix;
};
SCR_API ScrTextCodeInfo ScrTextCode(ScrTextId id);
// Looks an entry up by its rule code; 1 when found (and *out set), 0 otherwise.
SCR_API int ScrTextFindCode(const char* code, ScrTextId* out);
