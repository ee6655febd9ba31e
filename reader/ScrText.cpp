// The catalogue of system texts: the table expanded from reader/ScrTexts.def, its GBK form made
// once at first use, and lookups by identifier.
#include "reader/ScrText.h"

#include <cstring>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "lexer/ScrEncoding.h"

namespace {

struct Entry {
  const char* name;
  const char* utf8;
};

constexpr Entry kEntries[] = {
#define SCR_TEXT(id, text) {#id, text},
#include "reader/ScrTexts.def"
#undef SCR_TEXT
};

struct CodeEntry {
  ScrTextId id;
  ScrTextCodeInfo info;
};

constexpr CodeEntry kCodes[] = {
#define SCR_CODE(id, code, explanation, example, fix) {ScrTextId::id, {code, explanation, example, fix}},
#include "reader/ScrTexts.def"
#undef SCR_CODE
};

// Each entry's code, by entry, and each code's entry, by code; made once.
struct CodeIndex {
  std::vector<ScrTextCodeInfo> byId;
  std::unordered_map<std::string_view, ScrTextId> byCode;
};

const CodeIndex& Codes() {
  static const CodeIndex index = [] {
    CodeIndex c;
    c.byId.assign(SCR_TEXT_COUNT, ScrTextCodeInfo{"", "", "", ""});
    for (const CodeEntry& e : kCodes) {
      c.byId[static_cast<int>(e.id)] = e.info;
      c.byCode.emplace(e.info.code, e.id);
    }
    return c;
  }();
  return index;
}
static_assert(sizeof(kEntries) / sizeof(kEntries[0]) == SCR_TEXT_COUNT);

bool Valid(ScrTextId id) {
  return static_cast<int>(id) >= 0 && static_cast<int>(id) < SCR_TEXT_COUNT;
}

// The GBK forms of all entries, converted together on first use. A text GBK cannot represent is a
// fault of the catalogue (a test guards against it); it is still handed out, with '?' in place.
const std::vector<std::string>& GbkTexts() {
  static const std::vector<std::string> texts = [] {
    std::vector<std::string> v;
    v.reserve(SCR_TEXT_COUNT);
    for (const Entry& e : kEntries) {
      std::string gbk;
      if (!ScrConvert("UTF-8", "GBK", e.utf8, gbk)) gbk = ScrUtf8ToGbk(e.utf8);
      v.push_back(std::move(gbk));
    }
    return v;
  }();
  return texts;
}

const std::unordered_map<std::string_view, ScrTextId>& NameIndex() {
  static const std::unordered_map<std::string_view, ScrTextId> index = [] {
    std::unordered_map<std::string_view, ScrTextId> m;
    m.reserve(SCR_TEXT_COUNT);
    for (int i = 0; i < SCR_TEXT_COUNT; ++i) m.emplace(kEntries[i].name, static_cast<ScrTextId>(i));
    return m;
  }();
  return index;
}

}  // namespace

const char* ScrText(ScrTextId id) {
  return Valid(id) ? GbkTexts()[static_cast<int>(id)].c_str() : "";
}

const char* ScrTextUtf8(ScrTextId id) {
  return Valid(id) ? kEntries[static_cast<int>(id)].utf8 : "";
}

const char* ScrTextName(ScrTextId id) {
  return Valid(id) ? kEntries[static_cast<int>(id)].name : "";
}

ScrSeverity ScrTextSeverity(ScrTextId id) {
  const char* text = ScrTextUtf8(id);
  if (strstr(text, ScrTextUtf8(ScrTextId::word_error_tag))) return ScrSeverity::Error;
  if (strstr(text, ScrTextUtf8(ScrTextId::word_warning_tag))) return ScrSeverity::Warning;
  return ScrSeverity::Other;
}

bool ScrTextIsLocated(ScrTextId id) {
  std::string_view text = ScrTextUtf8(id);
  size_t at = text.find(ScrTextUtf8(ScrTextId::word_located_part));
  return at != std::string_view::npos && text.substr(0, at).find('%') == std::string_view::npos;
}

int ScrTextFind(const char* name, ScrTextId* out) {
  if (!name) return 0;
  const auto& index = NameIndex();
  auto it = index.find(name);
  if (it == index.end()) return 0;
  if (out) *out = it->second;
  return 1;
}

ScrTextCodeInfo ScrTextCode(ScrTextId id) {
  return Valid(id) ? Codes().byId[static_cast<int>(id)] : ScrTextCodeInfo{"", "", "", ""};
}

int ScrTextFindCode(const char* code, ScrTextId* out) {
  if (!code) return 0;
  auto it = Codes().byCode.find(code);
  if (it == Codes().byCode.end()) return 0;
  if (out) *out = it->second;
  return 1;
}
