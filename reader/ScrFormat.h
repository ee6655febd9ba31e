// Type-safe formatting of catalogue texts.
//
// Catalogue texts are printf-style formats ("%s", "%d", "%.2f", ...). Arguments are carried as
// ScrArg values and each conversion is formatted on its own, so a text whose conversions do not
// match its arguments prints what it has instead of reading past them: a missing argument prints
// nothing, a string given for %d prints the string.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "lexer/ScrApi.h"

class SCR_API ScrArg {
 public:
  enum class Kind { Int, Real, Text };
  ScrArg(int v) : m_kind(Kind::Int), m_int(v) {}
  ScrArg(long v) : m_kind(Kind::Int), m_int(v) {}
  ScrArg(long long v) : m_kind(Kind::Int), m_int(v) {}
  ScrArg(unsigned v) : m_kind(Kind::Int), m_int(v) {}
  ScrArg(unsigned long v) : m_kind(Kind::Int), m_int(static_cast<long long>(v)) {}
  ScrArg(char v) : m_kind(Kind::Int), m_int(static_cast<unsigned char>(v)) {}
  ScrArg(double v) : m_kind(Kind::Real), m_real(v) {}
  ScrArg(float v) : m_kind(Kind::Real), m_real(v) {}
  ScrArg(const char* v) : m_kind(Kind::Text), m_text(v ? v : "") {}
  ScrArg(const std::string& v) : m_kind(Kind::Text), m_text(v) {}
  ScrArg(std::string_view v) : m_kind(Kind::Text), m_text(v) {}

  Kind kind() const { return m_kind; }
  long long AsInt() const;
  double AsReal() const;
  const std::string& AsText() const;  // numbers are rendered on demand

 private:
  Kind m_kind;
  long long m_int = 0;
  double m_real = 0;
  mutable std::string m_text;
};

// Formats `fmt` with `args`. Supports the conversions d i u x X c s f g e with flags, width and
// precision, and %%. The result is never truncated.
SCR_API std::string ScrFormat(const char* fmt, std::initializer_list<ScrArg> args);
SCR_API std::string ScrFormatV(const char* fmt, const ScrArg* args, size_t count);
