// Value readers, string utilities and literal tests of the lexical layer.
//
// A value token is a quoted string, a quotient `a/b` (the first '/' splits), a product `a*b` (no
// '/' but a '*'), or a plain number converted like strtod/strtol (leading blanks skipped, the
// conversion stops at the first character that does not fit, an empty or non-numeric token
// gives 0). The readers report nothing: they return 0 and leave the stream where the caller can
// report.
#pragma once

#include <cmath>
#include <limits>
#include <list>
#include <string>
#include <type_traits>
#include <utility>

#include "lexer/ScrApi.h"

class CScriptReader;
class CScrStream;
class CSgVariable;

// Reads n values into out[0..n-1]. A quoted string leaves its slot unchanged. Returns 0 at the
// end of the input or when a token cannot be read (the values already stored stay); 1 otherwise,
// also for n < 1 without reading. Integer quotients by zero give 0; integer results outside the
// type's range saturate.
SCR_API int ScrReadValues(CScrStream* f, float* out, int n);
SCR_API int ScrReadValues(CScrStream* f, double* out, int n);
SCR_API int ScrReadValues(CScrStream* f, int* out, int n);
SCR_API int ScrReadValues(CScrStream* f, long* out, int n);

// Reads values up to the next '}' into out[0..max-1]; `count` receives how many were stored.
// The float form skips empty tokens, the int form stores 0 for them. Values beyond `max` are
// passed over. Afterwards the next token read is the '}'. Returns 0 (stream back where it began)
// when a value is a quoted string; 1 otherwise, with count 0 and the stream at the end when no
// '}' follows.
SCR_API int ScrReadAllValues(CScrStream* f, float* out, int& count, int max);
SCR_API int ScrReadAllValues(CScrStream* f, int* out, int& count, int max);

// Reads TRUE or FALSE (any letter case) into `out`; 0 for anything else (`out` unchanged).
SCR_API int ScrReadBool(CScrStream* f, int& out);

// Reads values up to the next '}' as runtime variables of the current reader's current module:
// literals become temporary variables (string, int, float for fewer than 6 decimals, else
// double), other tokens name existing variables. Returns 0 (stream back where it began) when a
// name is not found or no reader is current.
SCR_API int ScrReadAllVariables(CScrStream* f, std::list<CSgVariable*>& vars);

// --- the checked narrowing of script numbers --------------------------------------------------
// Every conversion of a script number to a narrower type goes through ScrNarrow: a real is
// truncated towards zero, NaN gives 0, and a value outside the range of T gives T's nearest
// bound (1e40 -> INT_MAX, -1e40 -> INT_MIN). A plain static_cast of such values is undefined.
template <class T, class S>
  requires(std::is_integral_v<T> && std::is_floating_point_v<S>)
T ScrNarrow(S value) {
  const double d = static_cast<double>(value);
  if (std::isnan(d)) return 0;
  // The bounds as doubles are exact powers of two (or their negatives), or exact small values.
  if (d <= static_cast<double>(std::numeric_limits<T>::min())) return std::numeric_limits<T>::min();
  if (d >= static_cast<double>(std::numeric_limits<T>::max())) return std::numeric_limits<T>::max();
  return static_cast<T>(d);
}
template <class T, class S>
  requires(std::is_integral_v<T> && std::is_integral_v<S>)
T ScrNarrow(S value) {
  if (std::cmp_less(value, std::numeric_limits<T>::min())) return std::numeric_limits<T>::min();
  if (std::cmp_greater(value, std::numeric_limits<T>::max())) return std::numeric_limits<T>::max();
  return static_cast<T>(value);
}

// --- string utilities -------------------------------------------------------------------------
// Trim: leading tabs, line feeds and spaces; trailing tabs, line feeds, carriage returns, spaces.
SCR_API void ScrTrimString(char* s);
SCR_API void ScrTrimString(std::string& s);
// Shrink: removes every space outside double quotes (tabs stay).
SCR_API void ScrShrinkString(char* s);
SCR_API void ScrShrinkString(std::string& s);
// Normalize: lowercases ASCII letters outside double quotes; each '"' toggles the inside state.
// The two bytes of a GBK character are passed over together, so its trail byte is never changed.
SCR_API void ScrNormalizeString(char* s);
SCR_API void ScrNormalizeString(std::string& s);
// 1 when `s`, with its spaces outside quotes removed, begins with `word`.
SCR_API int ScrWordAlike(const char* s, const char* word);

// Rewrites `src` as statements (i++ -> "i=i+1;", "int a, b" -> "int a;int b;", a+=1 ->
// "a=a+(1);"), each piece followed by ';'. Text with several statements is rewritten statement by
// statement. When `out` is null it is allocated with KVOAllocString (at least strlen(src) + 4095
// bytes, more when the result needs it; release with KVOFreeString). A caller's buffer must hold
// strlen(src) + 4095 bytes; the result is truncated to fit that. Always returns 1.
SCR_API int ScrExpandString(const char* src, char*& out);
SCR_API std::string ScrExpandString(const char* src);

// In every `var[X]` of `text` (X up to ']' and cut at a '%'): while a call context is active, X
// is replaced by X plus the instance suffix when the reader's current module has a local
// variable of that longer name. The current reader is used when `reader` is null.
void ScrQualifyVariableNames(std::string& text, CScriptReader* reader);

// --- literal tests ----------------------------------------------------------------------------
// "..." whose first inner quote is the closing one or is doubled ("a""b").
int ScrIsQuotedString(const char* s);
// Empty, true, false, 0X..., or a number with at most one '.'.
int ScrIsConstant(const char* s);
// 1 for a real literal with fewer than 6 characters after the point, 2 with 6 or more, else 0.
int ScrIsReal(const char* s);
// Empty, or a digit/sign followed by digits.
int ScrIsInteger(const char* s);
// The first character of `s` that belongs to `set`, or null.
const char* ScrFirstOf(const char* s, const char* set);
