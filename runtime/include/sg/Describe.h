// The property sink every runtime object describes itself into. The dumps (JSON, an
// indented tree, Graphviz DOT) implement it; objects never know which one they feed.
// Text values are GBK bytes; the dumper converts them for output.
#pragma once

class CKvoObject;

class CDescriber {
 public:
  virtual ~CDescriber() = default;
  virtual void Int(const char* key, long long v) = 0;
  virtual void Real(const char* key, double v) = 0;
  virtual void Bool(const char* key, bool v) = 0;
  virtual void Text(const char* key, const char* gbk) = 0;          // nullptr prints null
  virtual void Null(const char* key) = 0;
  virtual void Ref(const char* key, const CKvoObject* obj) = 0;     // a link to an object printed elsewhere
  virtual void Object(const char* key, const CKvoObject* obj) = 0;  // an owned object printed in place
  virtual void BeginList(const char* key) = 0;  // items inside a list are given with key == nullptr
  virtual void EndList() = 0;
};
