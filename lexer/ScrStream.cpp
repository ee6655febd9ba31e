#include "lexer/ScrStream.h"

#include <algorithm>
#include <cstring>

ScrSource::ScrSource(std::string name, std::string text) : m_name(std::move(name)), m_text(std::move(text)) {
  static uint64_t next = 0;
  m_id = ++next;
  // Starts of the lines after the first; a lone CR, LF and CR LF each end a line. A line is
  // entered one byte past its start, so the position just after a terminator still belongs to
  // the line it ends. A terminator at the very end begins no line.
  const char* p = m_text.data();
  const size_t n = m_text.size();
  m_entries.reserve(1 + static_cast<size_t>(std::count(p, p + n, '\n')));
  m_entries.push_back(0);
  if (!std::memchr(p, '\r', n)) {
    // LF only, the common case: one memchr per line.
    for (const char* q = p; (q = static_cast<const char*>(std::memchr(q, '\n', static_cast<size_t>(p + n - q))));) {
      ++q;
      if (q < p + n) m_entries.push_back(static_cast<size_t>(q - p) + 1);
    }
    return;
  }
  for (size_t i = 0; i < n; ++i) {
    char c = p[i];
    if (c == '\n') {
      if (i + 1 < n) m_entries.push_back(i + 2);
    } else if (c == '\r') {
      if (i + 1 < n && p[i + 1] == '\n') continue;  // CR LF: the LF ends the line
      if (i + 1 < n) m_entries.push_back(i + 2);
    }
  }
}

int ScrSource::LineOfPosition(long pos) const {
  if (pos < 0) return 1;
  auto it = std::upper_bound(m_entries.begin(), m_entries.end(), static_cast<size_t>(pos));
  return std::max(1, static_cast<int>(it - m_entries.begin()));
}

namespace {

// The last column counted: in which source, on which line, where, and its value. Reading is
// single-threaded, and source ids are never reused, so one cache serves every source.
struct ColumnCache {
  uint64_t source = 0;
  size_t lineStart = 0;
  size_t pos = 0;
  int column = 1;
};
ColumnCache g_columnCache;

}  // namespace

int ScrSource::ColumnOfPosition(long pos) const {
  if (pos < 0) return 1;
  size_t end = std::min(static_cast<size_t>(pos), m_text.size());
  int line = LineOfCharacter(pos);
  size_t start = line > 1 ? m_entries[static_cast<size_t>(line) - 1] - 1 : 0;
  // Messages come in reading order: on a long line, go on counting from the last column asked
  // for instead of from the line's start, so that many messages on one line stay linear.
  size_t i = start;
  int column = 1;
  ColumnCache& cache = g_columnCache;
  if (cache.source == m_id && cache.lineStart == start && cache.pos <= end && cache.pos >= start) {
    i = cache.pos;
    column = cache.column;
  }
  // A GBK lead byte takes its trail byte with it: one character, one column.
  while (i < end) {
    unsigned char c = static_cast<unsigned char>(m_text[i]);
    i += (c >= 0x81 && c <= 0xFE && i + 1 < end) ? 2 : 1;
    ++column;
  }
  cache = {m_id, start, i, column};
  return column;
}

std::string_view ScrSource::LineText(int line) const {
  if (line < 1 || line > LineCount()) return {};
  size_t b = line > 1 ? m_entries[static_cast<size_t>(line) - 1] - 1 : 0;
  size_t e = b;
  while (e < m_text.size() && m_text[e] != '\n' && m_text[e] != '\r') ++e;
  return std::string_view(m_text).substr(b, e - b);
}

CScrStream::CScrStream(std::shared_ptr<const ScrSource> src, long begin, long end) : m_src(std::move(src)) {
  if (!m_src) m_src = std::make_shared<ScrSource>(std::string(), std::string());
  m_text = m_src->Text();
  const size_t size = m_text.size();
  m_end = end < 0 ? size : std::min(static_cast<size_t>(end), size);
  m_begin = begin < 0 ? 0 : std::min(static_cast<size_t>(begin), m_end);
  m_pos = m_begin;
}

std::unique_ptr<CScrStream> CScrStream::FromText(std::string text, std::string name) {
  return std::make_unique<CScrStream>(std::make_shared<ScrSource>(std::move(name), std::move(text)));
}

void CScrStream::Seek(long pos) {
  size_t p = pos < 0 ? 0 : static_cast<size_t>(pos);
  m_pos = std::clamp(p, m_begin, m_end);
}
