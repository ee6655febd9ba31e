// The JSON dump. Every runtime object becomes {"kind", "type", "name", then its own properties};
// a module adds "modules" and one array per non-empty collection. An object met a second time,
// and every Ref, is written as {"ref": "FULL NAME"}.
#include <unordered_set>

#include "Diagnostics.h"
#include "Dump.h"
#include "lexer/ScrEncoding.h"
#include "sg/Describe.h"
#include "sg/Module.h"

std::string FullNameUtf8(const CKvoObject& obj) { return ScrGbkToUtf8(obj.FullName()); }

namespace {

class JsonDescriber : public CDescriber {
 public:
  explicit JsonDescriber(JsonWriter& w) : m_w(w) {}

  void Int(const char* key, long long v) override { At(key), m_w.Int(v); }
  void Real(const char* key, double v) override { At(key), m_w.Real(v); }
  void Bool(const char* key, bool v) override { At(key), m_w.Bool(v); }
  void Text(const char* key, const char* gbk) override {
    At(key);
    if (gbk) m_w.String(ScrGbkToUtf8(gbk));
    else m_w.Null();
  }
  void Null(const char* key) override { At(key), m_w.Null(); }
  void Ref(const char* key, const CKvoObject* obj) override {
    At(key);
    WriteRef(obj);
  }
  void Object(const char* key, const CKvoObject* obj) override {
    At(key);
    if (!obj || m_printed.count(obj) || m_depth >= SCRREAD_MAX_DUMP_DEPTH) WriteRef(obj);
    else WriteObject(*obj);
  }
  void BeginList(const char* key) override { At(key), m_w.BeginArray(); }
  void EndList() override { m_w.EndArray(); }

  void WriteModule(const CSgModule& m) {
    m_printed.insert(&m);
    ++m_depth;
    m_w.BeginObject();
    Header(m);
    m.Describe(*this);
    m_w.Key("modules");
    m_w.BeginArray();
    for (int i = 0; i < m.ChildCount(); ++i) {
      const CSgModule* child = m.Child(i);
      if (m_printed.count(child) || m_depth >= SCRREAD_MAX_DUMP_DEPTH) WriteRef(child);
      else WriteModule(*child);
    }
    m_w.EndArray();
    m.ForEachCollection([this](const char* name, const std::vector<CKvoObject*>& items) {
      if (items.empty()) return;
      m_w.Key(name);
      m_w.BeginArray();
      for (const CKvoObject* obj : items) Object(nullptr, obj);
      m_w.EndArray();
    });
    m_w.EndObject();
    --m_depth;
  }

 private:
  void At(const char* key) {
    if (key) m_w.Key(key);
  }
  void Header(const CKvoObject& obj) {
    m_w.Key("kind");
    m_w.String(obj.KindName());
    m_w.Key("type");
    if (obj.TypeCode() != 0) m_w.Int(obj.TypeCode());
    else m_w.Null();
    m_w.Key("name");
    m_w.String(ScrGbkToUtf8(obj.Name()));
  }
  void WriteRef(const CKvoObject* obj) {
    if (!obj) {
      m_w.Null();
      return;
    }
    m_w.BeginObject();
    m_w.Key("ref");
    m_w.String(FullNameUtf8(*obj));
    m_w.EndObject();
  }
  void WriteObject(const CKvoObject& obj) {
    m_printed.insert(&obj);
    ++m_depth;
    m_w.BeginObject();
    Header(obj);
    obj.Describe(*this);
    m_w.EndObject();
    --m_depth;
  }

  JsonWriter& m_w;
  std::unordered_set<const CKvoObject*> m_printed;
  int m_depth = 0;
};

}  // namespace

void WriteModuleJson(JsonWriter& w, const CSgModule& module) {
  JsonDescriber d(w);
  d.WriteModule(module);
}

namespace {

// `single`: the one root, written as the top-level "module"; null when each file carries its own.
std::string WriteDump(const std::vector<FileReport>& reports, const CSgModule* single, const RootList* perFile,
                      bool all) {
  std::string text;
  JsonWriter w(text);
  w.BeginObject();
  w.Key("format");
  w.String("scrread-dump");
  w.Key("version");
  w.Int(SCRREAD_DUMP_VERSION);
  w.Key("files");
  if (perFile) {
    WriteFilesJson(w, reports, all, [&](JsonWriter& out, size_t i) {
      out.Key("module");
      WriteModuleJson(out, *(*perFile)[i]);
    });
  } else {
    WriteFilesJson(w, reports, all);
  }
  if (single) {
    w.Key("module");
    WriteModuleJson(w, *single);
  }
  w.Key("scene");
  WriteSceneJson(w);
  w.EndObject();
  text += '\n';
  return text;
}

}  // namespace

std::string DumpJson(const std::vector<FileReport>& reports, const CSgModule& root, bool all) {
  return WriteDump(reports, &root, nullptr, all);
}

std::string DumpJson(const std::vector<FileReport>& reports, const RootList& roots, bool all) {
  // One root keeps the document as it always was: no module is written twice.
  if (roots.size() == 1) return WriteDump(reports, roots[0].get(), nullptr, all);
  return WriteDump(reports, nullptr, &roots, all);
}
