// A describer that writes a compact one-line rendering, so tests can compare what an
// object describes about itself.
#pragma once

#include <cstdio>
#include <string>

#include "sg/Describe.h"
#include "sg/Kvo.h"

class CRecordingDescriber : public CDescriber {
 public:
  std::string out;

  void Int(const char* key, long long v) override { Key(key) += std::to_string(v); }
  void Real(const char* key, double v) override {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%g", v);
    Key(key) += buf;
  }
  void Bool(const char* key, bool v) override { Key(key) += v ? "true" : "false"; }
  void Text(const char* key, const char* gbk) override { Key(key) += gbk ? "\"" + std::string(gbk) + "\"" : "null"; }
  void Null(const char* key) override { Key(key) += "null"; }
  void Ref(const char* key, const CKvoObject* obj) override { Key(key) += "&" + std::string(obj ? obj->Name() : "null"); }
  void Object(const char* key, const CKvoObject* obj) override { Key(key) += "{" + std::string(obj ? obj->Name() : "") + "}"; }
  void BeginList(const char* key) override {
    Key(key) += "[";
    m_fresh = true;
  }
  void EndList() override {
    out += "]";
    m_fresh = false;
  }

 private:
  std::string& Key(const char* key) {
    if (!m_fresh && !out.empty()) out += ",";
    m_fresh = false;
    if (key) out += std::string(key) + "=";
    return out;
  }
  bool m_fresh = true;
};
