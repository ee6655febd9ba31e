// CScrFault reads a fault exercise (`fault`) or a manipulation exercise (`manipulation`);
// CScrExamine reads one node of its examination tree.
//
//     fault {
//       name { pump_leak }  id { 1 }  rect { 0, 0, 640, 480 }  property { record }
//       independent { 1, 2 }                         steps that stand outside the tree
//       phenomenon { ... }  error { ... }            animation blocks
//       examine { name { check } steps { 3 } mark { 5 } animation { ... }
//         branch (pressure < 2) { steps { 4 } leaf { steps { 5 } } }
//       }
//     }
//
// A node that is not a leaf may begin with a parenthesised condition (compiled over the script's
// variables). A fault files itself with the module at its closing brace, unless something in
// its block was refused.
#pragma once

#include <memory>

#include "reader/ScrObject.h"

class CSgFault;
class CSgExamine;
class CScrAnimation;

class CScrExamine : public CScrObject {
 public:
  // Makes the runtime node for the current module; a leaf reads no condition.
  CScrExamine(CScriptReader* reader, bool bLeaf);
  ~CScrExamine() override;

  // 1 when read to the closing brace; 0 after a failed animation or child.
  int Read(CScrStream* f) override;
  CSgExamine* Node() const { return m_node.get(); }
  // The node (the caller owns it from then on).
  CSgExamine* TakeNode() { return m_node.release(); }

 protected:
  int ReadSubKeyword(CScrStream* f, const char* kw) override;
  int UnknownSubKeyword(CScrStream* f, const char* kw) override;

 private:
  int ReadName(CScrStream* f, const char*);
  int ReadId(CScrStream* f, const char*);
  int ReadMark(CScrStream* f, const char*);
  int ReadSteps(CScrStream* f, const char*);
  int ReadAnimation(CScrStream* f, const char*);
  int ReadChild(CScrStream* f, const char* kw);

  bool m_leaf;
  std::unique_ptr<CSgExamine> m_node;
};

class CScrFault : public CScrObject {
 public:
  // Makes the runtime fault for the current module (process type 1 until told otherwise).
  explicit CScrFault(CScriptReader* reader);
  ~CScrFault() override;

  // 1 when read to the closing brace and filed; 0 otherwise (the fault is then dropped).
  int Read(CScrStream* f) override;
  // The fault; null once the module has taken it.
  CSgFault* Fault() const { return m_fault.get(); }

 protected:
  int ReadSubKeyword(CScrStream* f, const char* kw) override;
  int UnknownSubKeyword(CScrStream* f, const char* kw) override;
  void Finish() override;

 private:
  int ReadName(CScrStream* f, const char*);
  int ReadId(CScrStream* f, const char*);
  int ReadRect(CScrStream* f, const char*);
  int ReadProperty(CScrStream* f, const char*);
  int ReadIndependent(CScrStream* f, const char*);
  int ReadPhenomenon(CScrStream* f, const char*);
  int ReadError(CScrStream* f, const char*);
  int ReadNode(CScrStream* f, const char* kw);

  std::unique_ptr<CSgFault> m_fault;
  int m_result = 1;
  int m_record = 0;
};
