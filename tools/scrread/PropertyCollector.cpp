#include "PropertyCollector.h"

#include <cstdio>

#include "Dump.h"
#include "lexer/ScrEncoding.h"
#include "sg/Kvo.h"

std::string PropertyCollector::QuoteText(const std::string& s) {
  std::string r = "\"";
  for (char c : s) {
    switch (c) {
      case '"': r += "\\\""; break;
      case '\\': r += "\\\\"; break;
      case '\n': r += "\\n"; break;
      case '\r': r += "\\r"; break;
      case '\t': r += "\\t"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) r += '?';
        else r += c;
    }
  }
  return r + "\"";
}

std::string PropertyCollector::Annotate(const std::string& key, long long v) {
  std::string n = std::to_string(v);
  if (key == "varType") {
    if (const char* name = SgVarTypeName(static_cast<int>(v))) return std::string(name) + " (" + n + ")";
  }
  return n;
}

void PropertyCollector::Value(const char* key, const std::string& text) {
  if (!m_lists.empty()) {
    OpenList& l = m_lists.back();
    if (l.count++) l.text += ", ";
    l.text += text;
    return;
  }
  properties.push_back({key ? key : "", text});
}

std::string PropertyCollector::LinkKey(const char* key) const {
  if (m_lists.empty()) return key ? key : "";
  // An item of a list: the outermost list's key and the item's place in its own list.
  return m_lists.front().key + "[" + std::to_string(m_lists.back().count) + "]";
}

void PropertyCollector::Link(const char* key, const CKvoObject* obj, bool owned) {
  if (!obj) {
    Value(key, "null");
    return;
  }
  links.push_back({LinkKey(key), obj, owned});
  Value(key, (owned ? "" : "-> ") + FullNameUtf8(*obj));
}

void PropertyCollector::Int(const char* key, long long v) { Value(key, Annotate(key ? key : "", v)); }

void PropertyCollector::Real(const char* key, double v) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%g", v);
  Value(key, buf);
}

void PropertyCollector::Bool(const char* key, bool v) { Value(key, v ? "true" : "false"); }

void PropertyCollector::Text(const char* key, const char* gbk) {
  Value(key, gbk ? QuoteText(ScrGbkToUtf8(gbk)) : "null");
}

void PropertyCollector::Null(const char* key) { Value(key, "null"); }

void PropertyCollector::Ref(const char* key, const CKvoObject* obj) { Link(key, obj, false); }

void PropertyCollector::Object(const char* key, const CKvoObject* obj) { Link(key, obj, true); }

void PropertyCollector::BeginList(const char* key) {
  // The key of a nested list is its parent's; the count of the parent is taken by the item.
  std::string k = key ? key : "";
  if (!m_lists.empty()) {
    OpenList& parent = m_lists.back();
    k = parent.key;
  }
  m_lists.push_back({k, "[", 0});
}

void PropertyCollector::EndList() {
  if (m_lists.empty()) return;
  OpenList done = std::move(m_lists.back());
  m_lists.pop_back();
  done.text += "]";
  if (m_lists.empty()) properties.push_back({done.key, done.text});
  else Value(nullptr, done.text);
}
