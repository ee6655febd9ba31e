#include "CliSupport.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>

#include "support/ScriptFixture.h"

extern char** environ;

namespace {

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace

std::string Fixture(const char* name) { return std::string(SCR_CLI_FIXTURES) + "/" + name; }

RunResult RunScrread(const std::vector<std::string>& args, const std::string& stdinBytes,
                     const std::vector<std::string>& env, const std::vector<std::string>& unset) {
  TempDir io;
  std::string inPath = io.WriteBytes("stdin", stdinBytes);
  std::string outPath = io.path() + "/stdout", errPath = io.path() + "/stderr";

  std::vector<std::string> argStore{SCRREAD_EXE};
  argStore.insert(argStore.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : argStore) argv.push_back(a.data());
  argv.push_back(nullptr);

  std::vector<std::string> envStore;
  for (char** e = environ; *e; ++e) {
    std::string v = *e;
    std::string name = v.substr(0, v.find('='));
    bool drop = false;
    for (const std::string& u : unset) drop = drop || u == name;
    for (const std::string& n : env) drop = drop || n.substr(0, n.find('=')) == name;
    if (!drop) envStore.push_back(v);
  }
  envStore.insert(envStore.end(), env.begin(), env.end());
  std::vector<char*> envp;
  for (std::string& e : envStore) envp.push_back(e.data());
  envp.push_back(nullptr);

  posix_spawn_file_actions_t fa;
  posix_spawn_file_actions_init(&fa);
  posix_spawn_file_actions_addopen(&fa, 0, inPath.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&fa, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&fa, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  pid_t pid = 0;
  RunResult r;
  int rc = posix_spawn(&pid, SCRREAD_EXE, &fa, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&fa);
  if (rc != 0) {
    r.err = std::string("posix_spawn failed: ") + std::strerror(rc);
    return r;
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status)) r.status = WEXITSTATUS(status);
  r.out = Slurp(outPath);
  r.err = Slurp(errPath);
  return r;
}

// ---------------------------------------------------------------------------------------------
// JSON

bool Json::Has(const std::string& key) const {
  for (const std::string& k : keys) {
    if (k == key) return true;
  }
  return false;
}

const Json& Json::operator[](const std::string& key) const {
  static const Json none;
  for (size_t i = 0; i < keys.size(); ++i) {
    if (keys[i] == key) return members[i];
  }
  return none;
}

namespace {

class JsonParser {
 public:
  explicit JsonParser(const std::string& t) : s(t) {}

  bool Document(Json& out, std::string& error) {
    bool ok = Value(out, 0) && (Space(), i == s.size() || Fail("trailing text"));
    if (!ok) error = err + " at byte " + std::to_string(i);
    return ok;
  }

 private:
  bool Fail(const std::string& why) {
    if (err.empty()) err = why;
    return false;
  }
  void Space() {
    while (i < s.size() && (s[i] == ' ' || s[i] == '\n' || s[i] == '\r' || s[i] == '\t')) ++i;
  }
  bool Literal(const char* word) {
    size_t n = std::strlen(word);
    if (s.compare(i, n, word) != 0) return Fail("bad literal");
    i += n;
    return true;
  }
  bool Value(Json& v, int depth) {
    if (depth > 4000) return Fail("nesting too deep");
    Space();
    if (i >= s.size()) return Fail("unexpected end");
    char c = s[i];
    if (c == '{') return ObjectValue(v, depth);
    if (c == '[') return ArrayValue(v, depth);
    if (c == '"') return v.type = Json::Type::String, String(v.string);
    if (c == 't') return v.type = Json::Type::Bool, v.boolean = true, Literal("true");
    if (c == 'f') return v.type = Json::Type::Bool, Literal("false");
    if (c == 'n') return Literal("null");
    return Number(v);
  }
  bool ObjectValue(Json& v, int depth) {
    v.type = Json::Type::Object;
    ++i;
    Space();
    if (i < s.size() && s[i] == '}') return ++i, true;
    for (;;) {
      Space();
      std::string key;
      if (i >= s.size() || s[i] != '"' || !String(key)) return Fail("expected a key");
      if (v.Has(key)) return Fail("duplicate key " + key);
      Space();
      if (i >= s.size() || s[i++] != ':') return Fail("expected ':'");
      Json member;
      if (!Value(member, depth + 1)) return false;
      v.keys.push_back(key);
      v.members.push_back(std::move(member));
      Space();
      if (i < s.size() && s[i] == ',') { ++i; continue; }
      if (i < s.size() && s[i] == '}') return ++i, true;
      return Fail("expected ',' or '}'");
    }
  }
  bool ArrayValue(Json& v, int depth) {
    v.type = Json::Type::Array;
    ++i;
    Space();
    if (i < s.size() && s[i] == ']') return ++i, true;
    for (;;) {
      Json item;
      if (!Value(item, depth + 1)) return false;
      v.array.push_back(std::move(item));
      Space();
      if (i < s.size() && s[i] == ',') { ++i; continue; }
      if (i < s.size() && s[i] == ']') return ++i, true;
      return Fail("expected ',' or ']'");
    }
  }
  bool Number(Json& v) {
    size_t start = i;
    if (i < s.size() && s[i] == '-') ++i;
    if (i >= s.size() || !std::isdigit(static_cast<unsigned char>(s[i]))) return Fail("bad value");
    if (s[i] == '0') ++i;
    else while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i;
    v.integral = true;
    if (i < s.size() && s[i] == '.') {
      v.integral = false;
      ++i;
      if (i >= s.size() || !std::isdigit(static_cast<unsigned char>(s[i]))) return Fail("bad fraction");
      while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i;
    }
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
      v.integral = false;
      ++i;
      if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
      if (i >= s.size() || !std::isdigit(static_cast<unsigned char>(s[i]))) return Fail("bad exponent");
      while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i;
    }
    v.type = Json::Type::Number;
    v.number = std::strtod(s.substr(start, i - start).c_str(), nullptr);
    return true;
  }
  static void PutUtf8(std::string& out, unsigned cp) {
    if (cp < 0x80) out += static_cast<char>(cp);
    else if (cp < 0x800) out += static_cast<char>(0xC0 | (cp >> 6)), out += static_cast<char>(0x80 | (cp & 0x3F));
    else if (cp < 0x10000)
      out += static_cast<char>(0xE0 | (cp >> 12)), out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F)),
          out += static_cast<char>(0x80 | (cp & 0x3F));
    else
      out += static_cast<char>(0xF0 | (cp >> 18)), out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F)),
          out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F)), out += static_cast<char>(0x80 | (cp & 0x3F));
  }
  bool Hex4(unsigned& cp) {
    if (i + 4 > s.size()) return Fail("short \\u escape");
    cp = 0;
    for (int k = 0; k < 4; ++k) {
      char c = s[i++];
      cp <<= 4;
      if (c >= '0' && c <= '9') cp |= static_cast<unsigned>(c - '0');
      else if (c >= 'a' && c <= 'f') cp |= static_cast<unsigned>(c - 'a' + 10);
      else if (c >= 'A' && c <= 'F') cp |= static_cast<unsigned>(c - 'A' + 10);
      else return Fail("bad \\u escape");
    }
    return true;
  }
  bool String(std::string& out) {
    ++i;  // the opening quote
    for (;;) {
      if (i >= s.size()) return Fail("unterminated string");
      unsigned char c = static_cast<unsigned char>(s[i]);
      if (c == '"') return ++i, true;
      if (c < 0x20) return Fail("control character in string");
      if (c == '\\') {
        if (++i >= s.size()) return Fail("unterminated escape");
        char e = s[i++];
        switch (e) {
          case '"': out += '"'; break;
          case '\\': out += '\\'; break;
          case '/': out += '/'; break;
          case 'b': out += '\b'; break;
          case 'f': out += '\f'; break;
          case 'n': out += '\n'; break;
          case 'r': out += '\r'; break;
          case 't': out += '\t'; break;
          case 'u': {
            unsigned cp;
            if (!Hex4(cp)) return false;
            if (cp >= 0xD800 && cp <= 0xDBFF) {
              unsigned lo;
              if (s.compare(i, 2, "\\u") != 0 || (i += 2, !Hex4(lo)) || lo < 0xDC00 || lo > 0xDFFF)
                return Fail("lone surrogate");
              cp = 0x10000 + ((cp - 0xD800) << 10) + (lo - 0xDC00);
            } else if (cp >= 0xDC00 && cp <= 0xDFFF) {
              return Fail("lone surrogate");
            }
            PutUtf8(out, cp);
            break;
          }
          default: return Fail("bad escape");
        }
        continue;
      }
      // A UTF-8 sequence: checked strictly.
      size_t n = c < 0x80 ? 1 : (c >= 0xC2 && c <= 0xDF) ? 2 : (c >= 0xE0 && c <= 0xEF) ? 3 : (c >= 0xF0 && c <= 0xF4) ? 4 : 0;
      if (n == 0 || i + n > s.size()) return Fail("invalid UTF-8");
      for (size_t k = 1; k < n; ++k) {
        if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return Fail("invalid UTF-8");
      }
      out.append(s, i, n);
      i += n;
    }
  }

  const std::string& s;
  size_t i = 0;
  std::string err;
};

}  // namespace

bool ParseJson(const std::string& text, Json& out, std::string& error) {
  out = Json();
  return JsonParser(text).Document(out, error);
}

// ---------------------------------------------------------------------------------------------
// DOT

namespace {

struct DotToken {
  enum Kind { Id, Punct, End } kind;
  std::string text;
  bool quoted = false;
};

class DotChecker {
 public:
  DotChecker(const std::string& t, bool requireDeclared) : s(t), m_requireDeclared(requireDeclared) {}

  std::string Check() {
    if (!Lex()) return m_error;
    if (!Graph() && m_error.empty()) m_error = "syntax error";
    if (m_error.empty() && Peek().kind != DotToken::End) m_error = "text after the graph";
    if (m_error.empty() && m_requireDeclared) {
      for (const std::string& n : m_edgeNodes) {
        if (!m_declared.count(n)) return "edge names undeclared node " + n;
      }
    }
    return m_error;
  }

 private:
  bool Lex() {
    size_t i = 0;
    while (i < s.size()) {
      unsigned char c = static_cast<unsigned char>(s[i]);
      if (std::isspace(c)) { ++i; continue; }
      if (s.compare(i, 2, "//") == 0) { i = s.find('\n', i); if (i == std::string::npos) break; continue; }
      if (s.compare(i, 2, "/*") == 0) {
        size_t e = s.find("*/", i + 2);
        if (e == std::string::npos) return Error("unterminated comment");
        i = e + 2;
        continue;
      }
      if (c == '"') {
        std::string v;
        ++i;
        for (;;) {
          if (i >= s.size()) return Error("unterminated string");
          if (s[i] == '\\' && i + 1 < s.size()) { v += s[i]; v += s[i + 1]; i += 2; continue; }
          if (s[i] == '"') { ++i; break; }
          if (s[i] == '\n') return Error("line break inside a string");
          v += s[i++];
        }
        m_tokens.push_back({DotToken::Id, v, true});
        continue;
      }
      if (s.compare(i, 2, "->") == 0 || s.compare(i, 2, "--") == 0) {
        m_tokens.push_back({DotToken::Punct, s.substr(i, 2)});
        i += 2;
        continue;
      }
      if (std::strchr("{}[]=;,:", c)) {
        m_tokens.push_back({DotToken::Punct, std::string(1, static_cast<char>(c))});
        ++i;
        continue;
      }
      if (std::isalpha(c) || c == '_' || c >= 0x80) {
        size_t b = i;
        while (i < s.size() && (std::isalnum(static_cast<unsigned char>(s[i])) || s[i] == '_' ||
                                static_cast<unsigned char>(s[i]) >= 0x80))
          ++i;
        m_tokens.push_back({DotToken::Id, s.substr(b, i - b)});
        continue;
      }
      if (std::isdigit(c) || c == '-' || c == '.') {
        size_t b = i++;
        while (i < s.size() && (std::isdigit(static_cast<unsigned char>(s[i])) || s[i] == '.')) ++i;
        m_tokens.push_back({DotToken::Id, s.substr(b, i - b)});
        continue;
      }
      return Error(std::string("unexpected character '") + static_cast<char>(c) + "'");
    }
    m_tokens.push_back({DotToken::End, ""});
    return true;
  }
  bool Error(const std::string& e) {
    if (m_error.empty()) m_error = e;
    return false;
  }
  const DotToken& Peek(size_t ahead = 0) const { return m_tokens[std::min(m_pos + ahead, m_tokens.size() - 1)]; }
  bool IsPunct(const char* p, size_t ahead = 0) const {
    return Peek(ahead).kind == DotToken::Punct && Peek(ahead).text == p;
  }
  bool Keyword(const char* k) const {
    if (Peek().kind != DotToken::Id || Peek().quoted) return false;
    std::string t = Peek().text;
    for (char& ch : t) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return t == k;
  }
  bool Expect(const char* p) {
    if (!IsPunct(p)) return Error(std::string("expected '") + p + "' near token " + std::to_string(m_pos));
    ++m_pos;
    return true;
  }
  bool Graph() {
    if (Keyword("strict")) ++m_pos;
    if (Keyword("digraph")) m_directed = true;
    else if (!Keyword("graph")) return Error("expected graph or digraph");
    ++m_pos;
    if (Peek().kind == DotToken::Id) ++m_pos;
    return Expect("{") && StatementList(0) && Expect("}");
  }
  bool StatementList(int depth) {
    if (depth > 100) return Error("subgraphs nested too deep");
    while (!IsPunct("}") && Peek().kind != DotToken::End) {
      if (!Statement(depth)) return false;
      if (IsPunct(";")) ++m_pos;
    }
    return true;
  }
  bool AttrList() {
    while (IsPunct("[")) {
      ++m_pos;
      while (!IsPunct("]")) {
        if (Peek().kind != DotToken::Id) return Error("expected an attribute name");
        ++m_pos;
        if (!Expect("=")) return false;
        if (Peek().kind != DotToken::Id) return Error("expected an attribute value");
        ++m_pos;
        if (IsPunct(";") || IsPunct(",")) ++m_pos;
      }
      ++m_pos;
    }
    return true;
  }
  bool NodeId(std::string& id) {
    if (Peek().kind != DotToken::Id) return Error("expected a node id");
    id = Peek().text;
    ++m_pos;
    if (IsPunct(":")) {  // a port
      ++m_pos;
      if (Peek().kind != DotToken::Id) return Error("expected a port");
      ++m_pos;
      if (IsPunct(":")) {
        ++m_pos;
        if (Peek().kind != DotToken::Id) return Error("expected a compass point");
        ++m_pos;
      }
    }
    return true;
  }
  bool Subgraph(int depth) {
    if (Keyword("subgraph")) {
      ++m_pos;
      if (Peek().kind == DotToken::Id) ++m_pos;
    }
    return Expect("{") && StatementList(depth + 1) && Expect("}");
  }
  bool Statement(int depth) {
    if (Keyword("graph") || Keyword("node") || Keyword("edge")) {
      ++m_pos;
      return IsPunct("[") ? AttrList() : Error("expected '[' after an attribute statement");
    }
    if (Peek().kind == DotToken::Id && IsPunct("=", 1)) {
      m_pos += 2;
      if (Peek().kind != DotToken::Id) return Error("expected a value");
      ++m_pos;
      return true;
    }
    // A node or an edge chain, whose operands are node ids or subgraphs.
    std::vector<std::string> operands;
    bool first = true;
    for (;;) {
      if (Keyword("subgraph") || IsPunct("{")) {
        if (!Subgraph(depth)) return false;
      } else {
        std::string id;
        if (!NodeId(id)) return false;
        operands.push_back(id);
      }
      if (IsPunct("->") || IsPunct("--")) {
        if ((Peek().text == "->") != m_directed) return Error("wrong edge operator for the graph kind");
        ++m_pos;
        first = false;
        continue;
      }
      break;
    }
    if (first && operands.size() == 1) m_declared.insert(operands[0]);
    else m_edgeNodes.insert(operands.begin(), operands.end());
    return AttrList();
  }

  const std::string& s;
  bool m_requireDeclared;
  std::vector<DotToken> m_tokens;
  size_t m_pos = 0;
  bool m_directed = false;
  std::string m_error;
  std::set<std::string> m_declared, m_edgeNodes;
};

}  // namespace

std::string CheckDot(const std::string& text, bool requireDeclared) {
  return DotChecker(text, requireDeclared).Check();
}
