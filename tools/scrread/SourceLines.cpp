#include "SourceLines.h"

#include <fstream>
#include <sstream>

#include "lexer/ScrEncoding.h"

namespace {

// Splits decoded text at LF, CR LF and lone CR, as the reader counts lines.
std::vector<std::string> SplitLines(const std::string& utf8) {
  std::vector<std::string> lines;
  std::string cur;
  for (size_t i = 0; i < utf8.size(); ++i) {
    char c = utf8[i];
    if (c == '\n' || c == '\r') {
      if (c == '\r' && i + 1 < utf8.size() && utf8[i + 1] == '\n') ++i;
      lines.push_back(std::move(cur));
      cur.clear();
    } else {
      cur += c;
    }
  }
  if (!cur.empty()) lines.push_back(std::move(cur));
  return lines;
}

// The script's bytes as UTF-8, decoded as the reader decodes them.
std::string ToUtf8(const std::string& bytes) {
  switch (ScrDetectEncoding(bytes)) {
    case ScrDetectedEncoding::Utf8:
      return bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? bytes.substr(3) : bytes;
    case ScrDetectedEncoding::Gbk: return ScrGbkToUtf8(bytes);
    case ScrDetectedEncoding::Ascii: break;
  }
  return bytes;
}

// Cells a code point takes on a terminal: two for the wide East Asian ranges, else one.
int Cells(unsigned cp) {
  return (cp >= 0x1100 && cp <= 0x115F) || (cp >= 0x2E80 && cp <= 0xA4CF) || (cp >= 0xAC00 && cp <= 0xD7A3) ||
                 (cp >= 0xF900 && cp <= 0xFAFF) || (cp >= 0xFE30 && cp <= 0xFE4F) || (cp >= 0xFF00 && cp <= 0xFF60) ||
                 (cp >= 0xFFE0 && cp <= 0xFFE6) || (cp >= 0x1F300 && cp <= 0x1F64F) ||
                 (cp >= 0x1F900 && cp <= 0x1F9FF) || (cp >= 0x20000 && cp <= 0x3FFFD)
             ? 2
             : 1;
}

}  // namespace

void SourceLines::Add(const std::string& name, const std::string& bytes) { m_files[name] = SplitLines(ToUtf8(bytes)); }

bool SourceLines::Line(const std::string& name, int line, std::string& out) {
  auto it = m_files.find(name);
  if (it == m_files.end()) {
    std::ifstream in(name, std::ios::binary);
    std::ostringstream s;
    if (in) s << in.rdbuf();
    // A file that cannot be read has no lines; it is not tried again.
    it = m_files.emplace(name, in ? SplitLines(ToUtf8(s.str())) : std::vector<std::string>{}).first;
  }
  if (line < 1 || static_cast<size_t>(line) > it->second.size()) return false;
  out = it->second[static_cast<size_t>(line) - 1];
  return true;
}

std::string CaretLine(const std::string& line, int column) {
  std::string out;
  int chars = 0;
  for (size_t i = 0; i < line.size() && chars < column - 1; ++chars) {
    unsigned char c = static_cast<unsigned char>(line[i]);
    size_t n = c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
    unsigned cp = n == 1 ? c : c & (0x7F >> n);
    for (size_t k = 1; k < n && i + k < line.size(); ++k) cp = (cp << 6) | (static_cast<unsigned char>(line[i + k]) & 0x3F);
    i += n;
    if (c == '\t') out += '\t';
    else out.append(static_cast<size_t>(Cells(cp)), ' ');
  }
  return out + '^';
}
