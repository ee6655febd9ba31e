// The multi-text document: parsing its paragraphs and finding them by name.
#include "sg/MultiText.h"

namespace {

// '\' and '/' are one separator, and a trailing one is dropped: "\scene\a\" is "/scene/a".
std::string Canonical(std::string name) {
  for (char& c : name)
    if (c == '\\') c = '/';
  while (name.size() > 1 && name.back() == '/') name.pop_back();
  return name;
}

// Trailing blanks and a carriage return never belong to a line.
void TrimRight(std::string& s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.pop_back();
}

}  // namespace

const std::string& CMultiTextParagraph::Line(int i) const {
  static const std::string empty;
  return i >= 1 && i <= LineCount() ? m_lines[static_cast<size_t>(i - 1)] : empty;
}

std::string CMultiTextParagraph::JoinedText() const {
  std::string out;
  for (size_t i = 0; i < m_lines.size(); ++i) {
    if (i) out += '\n';
    out += m_lines[i];
  }
  return out;
}

void CMultiTextParagraph::DropTrailingBlankLines() {
  while (!m_lines.empty() && m_lines.back().empty()) m_lines.pop_back();
}

CMultiTextDoc::~CMultiTextDoc() = default;

// One pass over the text; a header line is recognised by its brackets alone, so a paragraph
// line may hold anything else, brackets inside included.
int CMultiTextDoc::Parse(const std::string& text) {
  m_paragraphs.clear();
  m_index.clear();
  CMultiTextParagraph* current = nullptr;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    TrimRight(line);
    size_t lead = line.find_first_not_of(" \t");
    if (lead != std::string::npos && line[lead] == '[' && line.back() == ']' && line.size() - lead > 2) {
      if (current) current->DropTrailingBlankLines();
      std::string name = Canonical(line.substr(lead + 1, line.size() - lead - 2));
      m_paragraphs.emplace_back(name);
      current = &m_paragraphs.back();
      m_index.emplace(name, m_paragraphs.size() - 1);  // the first of a name stays
    } else if (current) {
      current->AddLine(std::move(line));
    }
    if (end == text.size()) break;
    start = end + 1;
  }
  if (current) current->DropTrailingBlankLines();
  return ParagraphCount();
}

const CMultiTextParagraph* CMultiTextDoc::FindParagrah(const char* name) const {
  if (!name) return nullptr;
  auto it = m_index.find(Canonical(name));
  return it == m_index.end() ? nullptr : &m_paragraphs[it->second];
}
