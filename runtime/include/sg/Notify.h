// CPENotify: the host's notifier. Every call is recorded (for tests and tools); a host may
// register a callback for each kind of call, which is then called as well.
#pragma once

#include <functional>
#include <string>
#include <vector>

class CSgModule;

struct SgNotifyRecord {
  enum Kind { Graph, Output };
  Kind kind;
  CSgModule* module;  // not owned
  std::string text;   // GBK
  int code;           // NotifyGraph only
  int flag;           // NotifyGraph only
};

class CPENotify {
 public:
  using GraphCallback = std::function<void(CSgModule*, const char* title, int code, int flag)>;
  using OutputCallback = std::function<void(CSgModule*, const char* text)>;

  void NotifyGraph(CSgModule* module, const char* title, int code, int flag);
  void NotifyOutput(CSgModule* module, const char* text);

  // Host callbacks; an empty function unregisters.
  void SetHostCallback(GraphCallback cb) { m_graph = std::move(cb); }
  void SetHostCallback(OutputCallback cb) { m_output = std::move(cb); }
  void SetGraphCallback(GraphCallback cb) { m_graph = std::move(cb); }
  void SetOutputCallback(OutputCallback cb) { m_output = std::move(cb); }

  const std::vector<SgNotifyRecord>& Records() const { return m_records; }
  void ClearRecords() { m_records.clear(); }

 private:
  std::vector<SgNotifyRecord> m_records;
  GraphCallback m_graph;
  OutputCallback m_output;
};
