#include "JsonWriter.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

// Length of the valid UTF-8 sequence at s[i], or 0 when the bytes there are not one
// (overlong forms, surrogates and code points beyond U+10FFFF are rejected).
size_t Utf8SequenceLength(std::string_view s, size_t i) {
  const auto b = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
  unsigned char c = b(i);
  if (c < 0x80) return 1;
  size_t n;
  unsigned int cp;
  if (c >= 0xC2 && c <= 0xDF) n = 2, cp = c & 0x1F;
  else if (c >= 0xE0 && c <= 0xEF) n = 3, cp = c & 0x0F;
  else if (c >= 0xF0 && c <= 0xF4) n = 4, cp = c & 0x07;
  else return 0;
  if (i + n > s.size()) return 0;
  for (size_t k = 1; k < n; ++k) {
    if ((b(i + k) & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (b(i + k) & 0x3F);
  }
  if ((n == 3 && cp < 0x800) || (n == 4 && (cp < 0x10000 || cp > 0x10FFFF))) return 0;
  if (cp >= 0xD800 && cp <= 0xDFFF) return 0;
  return n;
}

}  // namespace

std::string JsonWriter::Quote(std::string_view s) {
  std::string r;
  r.reserve(s.size() + 2);
  r += '"';
  for (size_t i = 0; i < s.size();) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (c >= 0x80) {
      size_t n = Utf8SequenceLength(s, i);
      if (n == 0) {
        r += "\xEF\xBF\xBD";
        ++i;
      } else {
        r.append(s.substr(i, n));
        i += n;
      }
      continue;
    }
    switch (c) {
      case '"': r += "\\\""; break;
      case '\\': r += "\\\\"; break;
      case '\b': r += "\\b"; break;
      case '\f': r += "\\f"; break;
      case '\n': r += "\\n"; break;
      case '\r': r += "\\r"; break;
      case '\t': r += "\\t"; break;
      default:
        if (c < 0x20 || c == 0x7F) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          r += buf;
        } else {
          r += static_cast<char>(c);
        }
    }
    ++i;
  }
  r += '"';
  return r;
}

void JsonWriter::Newline() {
  if (!m_pretty) return;
  m_out += '\n';
  m_out.append(2 * m_stack.size(), ' ');
}

void JsonWriter::BeforeValue() {
  if (m_afterKey) {
    m_afterKey = false;
    return;
  }
  if (m_stack.empty()) return;
  Level& top = m_stack.back();
  if (!top.empty) m_out += ',';
  top.empty = false;
  Newline();
}

void JsonWriter::Key(std::string_view key) {
  if (!m_stack.empty()) {
    Level& top = m_stack.back();
    if (!top.empty) m_out += ',';
    top.empty = false;
  }
  Newline();
  m_out += Quote(key);
  m_out += m_pretty ? ": " : ":";
  m_afterKey = true;
}

void JsonWriter::BeginObject() {
  BeforeValue();
  m_out += '{';
  m_stack.push_back({false, true});
}

void JsonWriter::BeginArray() {
  BeforeValue();
  m_out += '[';
  m_stack.push_back({true, true});
}

void JsonWriter::EndObject() {
  bool empty = m_stack.back().empty;
  m_stack.pop_back();
  if (!empty) Newline();
  m_out += '}';
}

void JsonWriter::EndArray() {
  bool empty = m_stack.back().empty;
  m_stack.pop_back();
  if (!empty) Newline();
  m_out += ']';
}

void JsonWriter::String(std::string_view utf8) {
  BeforeValue();
  m_out += Quote(utf8);
}

void JsonWriter::Int(long long v) {
  BeforeValue();
  m_out += std::to_string(v);
}

void JsonWriter::Real(double v) {
  BeforeValue();
  if (!std::isfinite(v)) {
    m_out += "null";
    return;
  }
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.17g", v);
  // The shortest form that reads back to the same double keeps the output readable.
  for (int prec = 1; prec <= 17; ++prec) {
    char shorter[40];
    std::snprintf(shorter, sizeof shorter, "%.*g", prec, v);
    if (std::strtod(shorter, nullptr) == v) {
      std::snprintf(buf, sizeof buf, "%s", shorter);
      break;
    }
  }
  std::string s = buf;
  // JSON has no bare "1e+10"-style problem, but "1" would read back as an integer: keep a
  // real recognisable as one.
  if (s.find_first_of(".eE") == std::string::npos) s += ".0";
  m_out += s;
}

void JsonWriter::Bool(bool v) {
  BeforeValue();
  m_out += v ? "true" : "false";
}

void JsonWriter::Null() {
  BeforeValue();
  m_out += "null";
}
