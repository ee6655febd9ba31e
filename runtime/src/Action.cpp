// ActPrm records and the action-type table.
#include "sg/Action.h"

#include <unordered_map>

// Both lookups expand the one table of sg/Action.h.
const char* SgActionTypeName(int type) {
  switch (type) {
#define SG_ACTION_TYPE_NAME(name, code, text, vm) \
  case code:                                      \
    return text;
    SG_ACTION_TYPES(SG_ACTION_TYPE_NAME)
#undef SG_ACTION_TYPE_NAME
    default:
      break;
  }
  // The dumps name every record: the first word of each number, hashed once.
  static const std::unordered_map<int, const char*> kFirstWord = [] {
    std::unordered_map<int, const char*> m;
    int n = 0;
    const SgActionWord* words = SgActionWords(&n);
    for (int i = 0; i < n; ++i)
      if (words[i].type != 0) m.emplace(words[i].type, words[i].word);  // emplace keeps the first
    return m;
  }();
  auto it = kFirstWord.find(type);
  return it == kFirstWord.end() ? nullptr : it->second;
}

// The vocabulary is one static array, expanded from the table once.
const SgActionWord* SgActionWords(int* count) {
  static const SgActionWord kWords[] = {
#define SG_ACTION_WORD_ROW(word, type, b, str, group, special) {word, type, b, str, group, special},
      SG_ACTION_WORDS(SG_ACTION_WORD_ROW)
#undef SG_ACTION_WORD_ROW
  };
  if (count) *count = (int)(sizeof kWords / sizeof kWords[0]);
  return kWords;
}

int SgActionIsExecutable(int type) {
  switch (type) {
#define SG_ACTION_TYPE_VM(name, code, text, vm) \
  case code:                                    \
    return vm;
    SG_ACTION_TYPES(SG_ACTION_TYPE_VM)
#undef SG_ACTION_TYPE_VM
    default:
      return 0;
  }
}

ActPrm::ActPrm(const ActPrm& other)
    : m_type(other.m_type),
      m_nvars(other.m_nvars),
      m_key(other.m_key),
      m_dword(other.m_dword),
      m_int(other.m_int),
      m_float(other.m_float),
      m_flags(other.m_flags),
      m_skip(other.m_skip),
      m_callerLine(other.m_callerLine),
      m_bool(other.m_bool),
      m_extra(other.m_extra ? std::make_unique<Extra>(*other.m_extra) : nullptr) {
  for (int i = 0; i < kInlineVars; ++i) m_vars[i] = other.m_vars[i];
}

ActPrm& ActPrm::operator=(const ActPrm& other) {
  if (this != &other) {
    ActPrm copy(other);
    *this = std::move(copy);
  }
  return *this;
}

ActPrm::Extra& ActPrm::Extras() {
  if (!m_extra) m_extra = std::make_unique<Extra>();
  return *m_extra;
}

// Clearing a text that was never set allocates nothing.
void ActPrm::SetText(std::string Extra::*field, const char* text) {
  if ((!text || !*text) && !m_extra) return;
  Extras().*field = text ? text : "";
}

const std::vector<SGKEY>& ActPrm::NoKeys() {
  static const std::vector<SGKEY> none;
  return none;
}

const std::vector<float>& ActPrm::NoFloats() {
  static const std::vector<float> none;
  return none;
}

// A negative slot is ignored; slots in between stay null. Past the inline slots every
// slot moves to the extras, so Variable() reads one place or the other, never both.
void ActPrm::SetVariable(int index, CSgVariable* var) {
  if (index < 0) return;
  if (index >= m_nvars) {
    int n = index + 1;
    if (n > kInlineVars) {
      std::vector<CSgVariable*>& all = Extras().vars;
      if (m_nvars <= kInlineVars) all.assign(m_vars, m_vars + m_nvars);
      all.resize((size_t)n, nullptr);
    }
    m_nvars = n;
  }
  if (m_nvars <= kInlineVars) m_vars[index] = var;
  else m_extra->vars[(size_t)index] = var;
}

void ActPrm::SetVariables(const std::vector<CSgVariable*>& vars) {
  m_nvars = 0;
  for (int i = 0; i < kInlineVars; ++i) m_vars[i] = nullptr;
  if (m_extra) m_extra->vars.clear();
  for (size_t i = vars.size(); i-- > 0;) SetVariable((int)i, vars[i]);
}

void ActPrm::SetVariables(std::initializer_list<CSgVariable*> vars) {
  m_nvars = 0;
  for (int i = 0; i < kInlineVars; ++i) m_vars[i] = nullptr;
  if (m_extra) m_extra->vars.clear();
  int i = (int)vars.size();
  for (auto it = vars.end(); it != vars.begin();) SetVariable(--i, *--it);
}

std::vector<CSgVariable*> ActPrm::Variables() const {
  std::vector<CSgVariable*> out;
  out.reserve((size_t)m_nvars);
  for (int i = 0; i < m_nvars; ++i) out.push_back(Variable(i));
  return out;
}

void ActPrm::SetKeyArray(const SGKEY* keys, int n) {
  if (!keys || n <= 0) {
    if (m_extra) m_extra->keys.clear();
  } else {
    Extras().keys.assign(keys, keys + n);
  }
}

void ActPrm::SetFloatArray(const float* values, int n) {
  if (!values || n <= 0) {
    if (m_extra) m_extra->floats.clear();
  } else {
    Extras().floats.assign(values, values + n);
  }
}

void SgFreeActions(std::list<ActPrm*>& actions) {
  for (ActPrm* a : actions) delete a;
  actions.clear();
}
