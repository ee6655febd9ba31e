#include "reader/ScrFormat.h"

#include <cstdio>
#include <cstring>

long long ScrArg::AsInt() const {
  switch (m_kind) {
    case Kind::Int: return m_int;
    case Kind::Real: return static_cast<long long>(m_real);
    case Kind::Text: return std::strtoll(m_text.c_str(), nullptr, 10);
  }
  return 0;
}

double ScrArg::AsReal() const {
  switch (m_kind) {
    case Kind::Int: return static_cast<double>(m_int);
    case Kind::Real: return m_real;
    case Kind::Text: return std::strtod(m_text.c_str(), nullptr);
  }
  return 0;
}

const std::string& ScrArg::AsText() const {
  if (m_kind == Kind::Int) m_text = std::to_string(m_int);
  else if (m_kind == Kind::Real) m_text = std::to_string(m_real);
  return m_text;
}

namespace {

// Formats one conversion `conversion` (e.g. "%-5d") with one argument into `out`.
template <class T>
void AppendOne(std::string& out, const std::string& convSpec, T value) {
  int n = std::snprintf(nullptr, 0, convSpec.c_str(), value);
  if (n <= 0) return;
  size_t at = out.size();
  out.resize(at + static_cast<size_t>(n) + 1);
  std::snprintf(&out[at], static_cast<size_t>(n) + 1, convSpec.c_str(), value);
  out.resize(at + static_cast<size_t>(n));
}

}  // namespace

std::string ScrFormatV(const char* fmt, const ScrArg* args, size_t count) {
  std::string out;
  if (!fmt) return out;
  size_t next = 0;
  for (const char* p = fmt; *p;) {
    if (*p != '%') {
      out += *p++;
      continue;
    }
    if (p[1] == '%') {
      out += '%';
      p += 2;
      continue;
    }
    // Collect flags, width, precision and length modifiers up to the conversion letter.
    const char* start = p++;
    while (*p && std::strchr("-+ #0123456789.", *p)) ++p;
    while (*p && std::strchr("hlLqjzt", *p)) ++p;
    if (!*p) {  // a dangling '%' at the end is printed as it stands
      out.append(start);
      break;
    }
    char conv = *p++;
    // The conversion without length modifiers; we pass the widest type ourselves.
    std::string convSpec;
    for (const char* q = start; q < p - 1; ++q)
      if (!std::strchr("hlLqjzt", *q)) convSpec += *q;
    if (next >= count) continue;  // no argument left: the conversion prints nothing
    const ScrArg& a = args[next++];
    switch (conv) {
      case 'd': case 'i':
        if (a.kind() == ScrArg::Kind::Text) AppendOne(out, convSpec + "s", a.AsText().c_str());
        else AppendOne(out, convSpec + "lld", a.AsInt());
        break;
      case 'u': case 'x': case 'X': case 'o':
        if (a.kind() == ScrArg::Kind::Text) AppendOne(out, convSpec + "s", a.AsText().c_str());
        else AppendOne(out, convSpec + "ll" + conv, static_cast<unsigned long long>(a.AsInt()));
        break;
      case 'c':
        if (a.kind() == ScrArg::Kind::Text) AppendOne(out, convSpec + "s", a.AsText().c_str());
        else AppendOne(out, convSpec + "c", static_cast<int>(a.AsInt()));
        break;
      case 'f': case 'F': case 'g': case 'G': case 'e': case 'E':
        if (a.kind() == ScrArg::Kind::Text) AppendOne(out, convSpec + "s", a.AsText().c_str());
        else AppendOne(out, convSpec + conv, a.AsReal());
        break;
      case 's':
        AppendOne(out, convSpec + "s", a.AsText().c_str());
        break;
      default:  // an unknown conversion is printed as it stands and uses no argument
        out.append(start, p);
        --next;
        break;
    }
  }
  return out;
}

std::string ScrFormat(const char* fmt, std::initializer_list<ScrArg> args) {
  return ScrFormatV(fmt, args.begin(), args.size());
}
