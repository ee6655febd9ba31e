// CScrStream: what every keyword reader reads from. One script's decoded text is held in memory
// for the whole read (ScrSource); a stream is a read position in it, limited to a window of the
// text (the whole file, or the body of a script function being expanded).
//
// Positions are byte offsets in the whole source text, also inside a window, so the line of any
// position is the line the author wrote in the file where it is written. Readers remember a
// position with Tell and go back with Seek; the token reader's whole state (position, pending
// pieces, line id) is saved and restored together with ScrSaveLexState / ScrRestoreLexState
// (lexer/ScrLex.h), which is what a look-ahead must use.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "lexer/ScrApi.h"

// A character of a UTF-8 script that GBK cannot hold: it stands as '?' in the decoded text.
struct ScrLostChar {
  size_t offset;       // where the '?' stands in the decoded text
  uint32_t codepoint;  // the character written
};

// Where a script forced to be read as UTF-8 first breaks the encoding.
struct ScrBadByte {
  int line = -1;  // -1: no bad byte
  int column = 0;
  unsigned char value = 0;
};

// One script text, decoded to GBK (or ASCII), with its line index.
class SCR_API ScrSource {
 public:
  ScrSource(std::string name, std::string text);

  const std::string& Name() const { return m_name; }
  const std::string& Text() const { return m_text; }
  size_t Size() const { return m_text.size(); }

  // The 1-based line of a byte offset. LF, CR LF and a lone CR each end a line; a position just
  // after a line's terminator still reports the line the terminator ends, and the position just
  // after a token reports the token's own line. Positions before 0 report line 1.
  int LineOfPosition(long pos) const;
  // The 1-based line of the character at byte offset `pos` (a token's first byte, a bad byte):
  // unlike a stream position, a character at the start of a line belongs to that line.
  int LineOfCharacter(long pos) const { return LineOfPosition(pos < 0 ? pos : pos + 1); }
  int LineCount() const { return static_cast<int>(m_entries.size()); }
  // The 1-based column of the character at byte offset `pos`: the characters from its line's
  // start, a GBK double-byte character counting one, as the author's file (GBK or UTF-8) has it.
  int ColumnOfPosition(long pos) const;
  // The text of line `line` (1-based), without its terminator; empty outside the text.
  std::string_view LineText(int line) const;

  // What decoding found: characters replaced because GBK lacks them, and the first byte that
  // broke a forced UTF-8 decoding (the text is then empty: nothing of it is read).
  const std::vector<ScrLostChar>& LostChars() const { return m_lost; }
  const ScrBadByte& BadByte() const { return m_bad; }
  void SetDecodeFindings(std::vector<ScrLostChar> lost, ScrBadByte bad) {
    m_lost = std::move(lost);
    m_bad = bad;
  }
  // A number no other source of this process has had (caches must not take a new source made at
  // the address of a freed one for the old one).
  uint64_t Id() const { return m_id; }

 private:
  uint64_t m_id;
  std::string m_name;
  std::string m_text;
  std::vector<size_t> m_entries;     // ascending; entry 0 is 0, then each line's start plus one
  std::vector<ScrLostChar> m_lost;
  ScrBadByte m_bad;
};

class SCR_API CScrStream {
 public:
  // A stream over `src` limited to [begin, end) (clamped to the text), positioned at `begin`.
  explicit CScrStream(std::shared_ptr<const ScrSource> src, long begin = 0, long end = -1);
  // A stream over text that no file holds (tests, standard input, hosts compiling strings).
  static std::unique_ptr<CScrStream> FromText(std::string text, std::string name = std::string());

  long Tell() const { return static_cast<long>(m_pos); }
  // Moves to `pos`, clamped to the window.
  void Seek(long pos);
  bool AtEnd() const { return m_pos >= m_end; }

  long Begin() const { return static_cast<long>(m_begin); }
  long End() const { return static_cast<long>(m_end); }
  // The whole source text; the stream reads only [Begin(), End()) of it.
  std::string_view Text() const { return m_text; }
  const ScrSource& Source() const { return *m_src; }
  const std::shared_ptr<const ScrSource>& SharedSource() const { return m_src; }
  const std::string& Name() const { return m_src->Name(); }

  int LineOfPosition(long pos) const { return m_src->LineOfPosition(pos); }
  int Line() const { return m_src->LineOfPosition(Tell()); }

 private:
  std::shared_ptr<const ScrSource> m_src;
  std::string_view m_text;
  size_t m_begin = 0, m_end = 0, m_pos = 0;
};
