// A small streaming JSON writer: objects, arrays, strings, numbers, booleans and null, indented
// two spaces a level. Strings must be UTF-8; they are escaped as JSON requires (quotes,
// backslashes, control characters), and bytes that are not valid UTF-8 become U+FFFD, so the
// output is always valid JSON whatever it is handed.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class JsonWriter {
 public:
  explicit JsonWriter(std::string& out, bool pretty = true) : m_out(out), m_pretty(pretty) {}

  // Inside an object every value is preceded by Key(); inside an array it is not.
  void Key(std::string_view key);
  void BeginObject();
  void EndObject();
  void BeginArray();
  void EndArray();
  void String(std::string_view utf8);
  void Int(long long v);
  void Real(double v);  // non-finite values are written as null
  void Bool(bool v);
  void Null();

  int Depth() const { return static_cast<int>(m_stack.size()); }

  // `utf8` as a JSON string literal, quotes included.
  static std::string Quote(std::string_view utf8);

 private:
  void BeforeValue();
  void Newline();
  struct Level {
    bool array;
    bool empty;
  };
  std::string& m_out;
  bool m_pretty;
  bool m_afterKey = false;
  std::vector<Level> m_stack;
};
