// CSgView and CPENotify: the host-facing side of the runtime. Both record what they are
// told, so tests and tools can see it, and pass it on to the host when it registered a hook.
#include "sg/View.h"

#include "sg/Notify.h"

// Bounds-checked access to what the scripts registered.
SGKEY CSgView::ScriptField(int i) const {
  if (i < 0 || i >= (int)m_scriptFields.size()) return SG_NO_KEY;
  return m_scriptFields[(size_t)i];
}

void CSgView::RegisterDynamicObject(CKvoObject* obj) {
  if (obj) m_dynamic.push_back(obj);
}

CKvoObject* CSgView::DynamicObject(int i) const {
  if (i < 0 || i >= (int)m_dynamic.size()) return nullptr;
  return m_dynamic[(size_t)i];
}

// The map control reads this to decide whether its picture is laid out in z.
void CSgView::GetVerticalAxis(float v[3]) const {
  if (!v) return;
  for (int i = 0; i < 3; ++i) v[i] = m_vertical[i];
}

void CSgView::SetVerticalAxis(const float v[3]) {
  if (!v) return;
  for (int i = 0; i < 3; ++i) m_vertical[i] = v[i];
}

// Hosts receive a non-null text even when the caller passes null.
void CSgView::SendHostMessage(int msg, const char* text) {
  m_hostMessages.push_back({msg, text ? text : ""});
  if (m_hostHook) m_hostHook(msg, text ? text : "");
}

int CSgView::RunPluginCommand(const char* plugin, const char* command, void* params) {
  m_pluginCalls.push_back({plugin ? plugin : "", command ? command : ""});
  return m_pluginHook ? m_pluginHook(plugin ? plugin : "", command ? command : "", params) : 0;
}

// Recorded first, so a callback that inspects the records sees its own call.
void CPENotify::NotifyGraph(CSgModule* module, const char* title, int code, int flag) {
  m_records.push_back({SgNotifyRecord::Graph, module, title ? title : "", code, flag});
  if (m_graph) m_graph(module, title ? title : "", code, flag);
}

void CPENotify::NotifyOutput(CSgModule* module, const char* text) {
  m_records.push_back({SgNotifyRecord::Output, module, text ? text : "", 0, 0});
  if (m_output) m_output(module, text ? text : "");
}
