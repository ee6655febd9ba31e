// CMultiTextDoc: a multi-text document, paragraphs of lines that multi-texts lay out one remark
// per line.
//
// The document is plain text (GBK once it reaches the runtime; the reader decodes UTF-8 files as
// it decodes scripts). A line that is `[name]` after trimming begins the paragraph `name`; the
// lines that follow, up to the next such line, are its lines, each with its trailing blanks and
// line ending removed. Lines before the first paragraph are ignored (a place for notes), blank
// lines inside a paragraph are kept and blank lines at its end dropped:
//
//     [/scene/panel/help]
//     第一行
//     第二行
//
// Paragraph names are compared exactly, except that '\' counts as '/' and a trailing separator
// is ignored, as in scene paths. The first paragraph of a name wins.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

class CMultiTextParagraph {
 public:
  explicit CMultiTextParagraph(std::string name) : m_name(std::move(name)) {}
  const std::string& Name() const { return m_name; }
  int LineCount() const { return static_cast<int>(m_lines.size()); }
  // Line i, 1-based; "" outside the paragraph.
  const std::string& Line(int i) const;
  // Every line, joined by line feeds.
  std::string JoinedText() const;
  void AddLine(std::string line) { m_lines.push_back(std::move(line)); }
  void DropTrailingBlankLines();

 private:
  std::string m_name;
  std::vector<std::string> m_lines;
};

class CMultiTextDoc {
 public:
  // `name` is the file name the scripts use for the document.
  explicit CMultiTextDoc(const char* name = nullptr) : m_name(name ? name : "") {}
  virtual ~CMultiTextDoc();
  CMultiTextDoc(const CMultiTextDoc&) = delete;
  CMultiTextDoc& operator=(const CMultiTextDoc&) = delete;

  const char* Name() const { return m_name.c_str(); }
  // Replaces the paragraphs with those of `text`. Returns the number of paragraphs.
  int Parse(const std::string& text);
  // The paragraph of a name (spelled as above); nullptr when none.
  const CMultiTextParagraph* FindParagrah(const char* name) const;
  int ParagraphCount() const { return static_cast<int>(m_paragraphs.size()); }
  const CMultiTextParagraph& Paragraph(int i) const { return m_paragraphs[static_cast<size_t>(i)]; }

 private:
  std::string m_name;
  std::vector<CMultiTextParagraph> m_paragraphs;
  std::unordered_map<std::string, size_t> m_index;  // canonical name -> paragraph
};
