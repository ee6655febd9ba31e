// Collects what an object's Describe lists as short display texts (for the tree and the DOT
// graph): scalars formatted, lists inline as [a, b, [c]], and the objects it links to.
#pragma once

#include <string>
#include <vector>

#include "sg/Describe.h"

class CKvoObject;

struct CollectedProperty {
  std::string key;
  std::string value;  // UTF-8 display text ("\"text\"" for texts, "-> main:x" for links)
};

struct CollectedLink {
  std::string key;  // "key", or "key[2]" for an item of a list
  const CKvoObject* object;
  bool owned;  // printed in place (Object) rather than referred to (Ref)
};

class PropertyCollector : public CDescriber {
 public:
  void Int(const char* key, long long v) override;
  void Real(const char* key, double v) override;
  void Bool(const char* key, bool v) override;
  void Text(const char* key, const char* gbk) override;
  void Null(const char* key) override;
  void Ref(const char* key, const CKvoObject* obj) override;
  void Object(const char* key, const CKvoObject* obj) override;
  void BeginList(const char* key) override;
  void EndList() override;

  std::vector<CollectedProperty> properties;
  std::vector<CollectedLink> links;

  // A text quoted and escaped for one line of display.
  static std::string QuoteText(const std::string& utf8);
  // "varType" and the runtime type read better by name: "int (2)".
  static std::string Annotate(const std::string& key, long long v);

 private:
  void Value(const char* key, const std::string& text);
  std::string LinkKey(const char* key) const;
  void Link(const char* key, const CKvoObject* obj, bool owned);

  struct OpenList {
    std::string key;
    std::string text;
    int count;
  };
  std::vector<OpenList> m_lists;
};
