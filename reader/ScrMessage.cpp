#include "reader/ScrMessage.h"

const char* ScrSeverityName(ScrSeverity s) {
  switch (s) {
    case ScrSeverity::Error: return "error";
    case ScrSeverity::Warning: return "warning";
    case ScrSeverity::Other: return "other";
  }
  return "other";
}

CScrMessage::~CScrMessage() = default;

void CScrMessage::MoveFrom(CScrMessage& other) {
  if (&other == this) return;
  m_entries.reserve(m_entries.size() + other.m_entries.size());
  for (auto& e : other.m_entries) m_entries.push_back(std::move(e));
  other.m_entries.clear();
}
