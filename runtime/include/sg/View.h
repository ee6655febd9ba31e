// CSgView, the host's view of a module tree, and CSgEnvironment, the tree's shared options.
// The root module owns one of each; every module of the tree returns its root's.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "sg/Notify.h"
#include "sg/Types.h"

class CSgModule;
class CKvoObject;
class CSlvConstrainSystem;  // sg/Loaders.h

// Option bits of the environment.
enum : DWORD {
  SG_OPT_NO_LINE_TRACE = 0x8,  // the token reader does not trace script lines
};

class CSgEnvironment {
 public:
  DWORD Options() const { return m_options; }
  void SetOptions(DWORD options) { m_options = options; }
  // The constraint solver of the tree, made on first need (runtime/src/Loaders.cpp).
  CSlvConstrainSystem* Solver();

 private:
  DWORD m_options = 0;
  std::shared_ptr<CSlvConstrainSystem> m_solver;
};

// A host window message sent through the view (e.g. before a source file is compiled).
struct SgHostMessage {
  int msg;
  std::string text;
};

// A plug-in command run through the view (e.g. ExportImage of the plug-in ProjectMgr).
struct SgPluginCall {
  std::string plugin;
  std::string command;
};

class CSgView {
 public:
  explicit CSgView(CSgModule* mainModule) : m_main(mainModule) {}
  CSgView(const CSgView&) = delete;
  CSgView& operator=(const CSgView&) = delete;

  CSgModule* MainModule() const { return m_main; }

  // Scene nodes the scripts registered as script fields.
  void AddScriptField(SGKEY key) { m_scriptFields.push_back(key); }
  int ScriptFieldCount() const { return (int)m_scriptFields.size(); }
  SGKEY ScriptField(int i) const;  // -1 outside the range
  const std::vector<SGKEY>& ScriptFields() const { return m_scriptFields; }

  // Dynamic objects (not owned: they live in their module's collections).
  void RegisterDynamicObject(CKvoObject* obj);  // null is ignored
  int DynamicObjectCount() const { return (int)m_dynamic.size(); }
  CKvoObject* DynamicObject(int i) const;  // nullptr outside the range

  // The direction that is "up" in the scene; (0, 1, 0) by default.
  void GetVerticalAxis(float v[3]) const;
  void SetVerticalAxis(const float v[3]);

  // The host's main window. Unregistered, SendHostMessage records the call and does nothing;
  // registered, it records and calls the hook.
  void SetHostMessageHook(std::function<void(int msg, const char* text)> hook) { m_hostHook = std::move(hook); }
  void SendHostMessage(int msg, const char* text);
  const std::vector<SgHostMessage>& HostMessages() const { return m_hostMessages; }

  // The plug-in command runner: runs `command` of `plugin` with the command's parameter record.
  // Unregistered, RunPluginCommand records the call and yields 0; registered, it records the
  // call and yields the hook's result.
  using PluginHook = std::function<int(const char* plugin, const char* command, void* params)>;
  void SetPluginCommandHook(PluginHook hook) { m_pluginHook = std::move(hook); }
  int RunPluginCommand(const char* plugin, const char* command, void* params);
  const std::vector<SgPluginCall>& PluginCalls() const { return m_pluginCalls; }

  // The macro reader a host may attach (opaque to the runtime, not owned).
  void SetMacroReader(void* reader) { m_macroReader = reader; }
  void* MacroReader() const { return m_macroReader; }

  CPENotify* Notifier() { return &m_notify; }

 private:
  CSgModule* m_main;
  std::vector<SGKEY> m_scriptFields;
  std::vector<CKvoObject*> m_dynamic;
  float m_vertical[3] = {0.0f, 1.0f, 0.0f};
  std::function<void(int, const char*)> m_hostHook;
  std::vector<SgHostMessage> m_hostMessages;
  PluginHook m_pluginHook;
  std::vector<SgPluginCall> m_pluginCalls;
  void* m_macroReader = nullptr;
  CPENotify m_notify;
};
