// The readers of faults, manipulations and their examination nodes.
#include "procedures/ScrFault.h"

#include <string>
#include <vector>

#include "animation/ScrAnimation.h"
#include "compiler/ScrStrings.h"
#include "elements/ScrCtrlpt.h"
#include "lexer/ScrLex.h"
#include "lexer/ScrValues.h"
#include "reader/ScriptReader.h"
#include "sg/Animation.h"
#include "sg/Module.h"
#include "sg/Procedure.h"

namespace {

// Files the animation a block made (when it made one) with the module, and gives the animation
// the block stands for: made, or an existing one re-opened; null when there is none.
CKvoObject* FileAnimation(CScriptReader* reader, CScrAnimation& a) {
  CKvoObject* anim = a.Animation();
  if (a.IsNew()) {
    CKvoObject* own = a.TakeObject();
    if (own && !reader->AddObject(own)) {
      delete own;
      anim = nullptr;
    }
  }
  return anim;
}

// Integers up to the '}' that closes the value (or the block), at most `max`; more are passed
// over. Returns how many were read.
int ReadIntList(CScrStream* f, std::vector<int>& out, int max) {
  out.assign((size_t)max, 0);
  int count = 0;
  const int braced = ScrTakeBrace(f, '{');
  ScrReadAllValues(f, out.data(), count, max);
  if (braced) ScrTakeBrace(f, '}');
  out.resize((size_t)count);
  return count;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Examination nodes

CScrExamine::CScrExamine(CScriptReader* reader, bool bLeaf)
    : CScrObject(reader), m_leaf(bLeaf), m_node(std::make_unique<CSgExamine>(reader->CurrentModule())) {
  m_node->SetLeaf(bLeaf);
}

CScrExamine::~CScrExamine() = default;

// examine|branch [(condition)] [{] sub-keyword ... }   leaf [{] sub-keyword ... }
//
// The condition is the text between the parentheses, compiled over the script's variables. A
// first token that is not a condition is read again as the start of the block, so that a node
// written without braces loses nothing.
int CScrExamine::Read(CScrStream* f) {
  if (!m_leaf) {
    const ScrLexMark start = ScrSaveLexState(f);
    std::string tok;
    ScrReadString(f, tok);
    if (!tok.empty() && tok[0] == '(') {
      ScrShrinkString(tok);
      if (!tok.empty() && tok.back() == ')') tok.pop_back();
      const std::string text = tok.substr(1);
      m_node->SetConditions(ScrReadConditionsFromString(text.c_str(), ScriptReader()->CurrentModule(), nullptr));
    } else {
      ScrRestoreLexState(f, start);
    }
  }
  return ReadBlock(f);
}

int CScrExamine::ReadSubKeyword(CScrStream* f, const char* kw) {
  static const ScrSubKeywords<CScrExamine> kSubs = {
      {"name", &CScrExamine::ReadName},   {"id", &CScrExamine::ReadId},
      {"mark", &CScrExamine::ReadMark},   {"steps", &CScrExamine::ReadSteps},
      {"animation", &CScrExamine::ReadAnimation},
      {"examine", &CScrExamine::ReadChild}, {"branch", &CScrExamine::ReadChild},
      {"leaf", &CScrExamine::ReadChild},
  };
  return kSubs.Dispatch(this, f, kw);
}

// Other words are passed over with their blocks, silently.
int CScrExamine::UnknownSubKeyword(CScrStream* f, const char* kw) {
  OtherKeyword(f, kw);
  return SCR_SUB_OK;
}

int CScrExamine::ReadName(CScrStream* f, const char*) {
  std::string name;
  ReadValueString(f, name);
  m_node->SetName(name.c_str(), 1);
  return SCR_SUB_OK;
}

int CScrExamine::ReadId(CScrStream* f, const char*) {
  int id = m_node->Id();
  ReadValueNumbers(f, &id, 1);
  m_node->SetId(id);
  return SCR_SUB_OK;
}

int CScrExamine::ReadMark(CScrStream* f, const char*) {
  float mark = m_node->Mark();
  ReadValueNumbers(f, &mark, 1);
  m_node->SetMark(mark);
  return SCR_SUB_OK;
}

// steps { 1, 2, 3 }: replaces the node's earlier list.
int CScrExamine::ReadSteps(CScrStream* f, const char*) {
  std::vector<int> ids;
  const int n = ReadIntList(f, ids, CSgExamine::SG_MAX_EXAMINE_STEPS);
  m_node->SetSteps(ids.data(), n);
  return SCR_SUB_OK;
}

// animation { ... }: the node's animation, also when its block failed (as far as it was read);
// the failure then stops the node.
int CScrExamine::ReadAnimation(CScrStream* f, const char*) {
  CScrAnimation a(ScriptReader());
  const int ok = ReadNested(a, f);
  m_node->SetAnimation(FileAnimation(ScriptReader(), a));
  return ok ? SCR_SUB_OK : SCR_SUB_STOP;
}

// examine, branch, leaf: a child appended after the last one; a failed child is dropped and
// stops this node.
int CScrExamine::ReadChild(CScrStream* f, const char* kw) {
  CScrExamine child(ScriptReader(), std::string(kw) == "leaf");
  if (!ReadNested(child, f)) return SCR_SUB_STOP;
  m_node->AppendChild(child.TakeNode());
  return SCR_SUB_OK;
}

// ---------------------------------------------------------------------------------------------
// Faults and manipulations

CScrFault::CScrFault(CScriptReader* reader)
    : CScrObject(reader), m_fault(std::make_unique<CSgFault>(reader->CurrentModule())) {}

CScrFault::~CScrFault() = default;

// fault [{] sub-keyword ... }
int CScrFault::Read(CScrStream* f) {
  m_result = 1;
  const int r = ReadBlock(f);
  return r && m_result;
}

int CScrFault::ReadSubKeyword(CScrStream* f, const char* kw) {
  static const ScrSubKeywords<CScrFault> kSubs = {
      {"name", &CScrFault::ReadName},
      {"id", &CScrFault::ReadId},
      {"rect", &CScrFault::ReadRect},
      {"property", &CScrFault::ReadProperty},
      {"independent", &CScrFault::ReadIndependent},
      {"animation", &CScrFault::ReadPhenomenon},
      {"phenomenon", &CScrFault::ReadPhenomenon},
      {"error", &CScrFault::ReadError},
      {"leaf", &CScrFault::ReadNode},
      {"branch", &CScrFault::ReadNode},
      {"examine", &CScrFault::ReadNode},
      {"procedure", &CScrFault::ReadNode},
  };
  return kSubs.Dispatch(this, f, kw);
}

// Other words are passed over with their blocks, silently.
int CScrFault::UnknownSubKeyword(CScrStream* f, const char* kw) {
  OtherKeyword(f, kw);
  return SCR_SUB_OK;
}

// name { N }: the exercise's name; an animation of that name is made empty when the module has
// none, so that the runtime always finds one to play under the exercise's name.
int CScrFault::ReadName(CScrStream* f, const char*) {
  std::string name;
  ReadValueString(f, name);
  m_fault->SetName(name.c_str(), 1);
  CSgModule* module = ScriptReader()->CurrentModule();
  if (!module->FindAnimation(name.c_str())) {
    auto* anim = new CAnimation(name.c_str());
    anim->SetName(name.c_str());
    module->AddAnimation(anim);
  }
  return SCR_SUB_OK;
}

int CScrFault::ReadId(CScrStream* f, const char*) {
  int id = m_fault->Id();
  ReadValueNumbers(f, &id, 1);
  m_fault->SetId(id);
  return SCR_SUB_OK;
}

// rect { left, top, right, bottom }: numbers up to the closing brace; the first four count.
int CScrFault::ReadRect(CScrStream* f, const char*) {
  float v[4] = {0, 0, 0, 0};
  int count = 0;
  const int braced = OpenBrace(f);
  ScrReadAllValues(f, v, count, 4);
  if (braced) CloseBrace(f);
  m_fault->SetRect(v, 4);
  return SCR_SUB_OK;
}

// property { record }: another word is reported, ends the list and keeps the exercise out of
// the module; the block goes on.
int CScrFault::ReadProperty(CScrStream* f, const char*) {
  std::vector<std::string> words;
  ScrReadWordList(f, words);
  for (const std::string& w : words) {
    if (!straccord(w.c_str(), "record")) {
      ReportInvalidString(f, w.c_str());
      m_result = 0;
      return SCR_SUB_FAIL;
    }
    m_record = 1;
  }
  return SCR_SUB_OK;
}

// independent { 1, 2, ... }: at most 128 identifiers; more are passed over.
int CScrFault::ReadIndependent(CScrStream* f, const char*) {
  std::vector<int> ids;
  const int n = ReadIntList(f, ids, CSgFault::SG_MAX_INDEPENDENT);
  m_fault->SetIndependent(ids.data(), n);
  return SCR_SUB_OK;
}

// animation / phenomenon { ... }: what the trainee sees of the fault.
int CScrFault::ReadPhenomenon(CScrStream* f, const char*) {
  CScrAnimation a(ScriptReader());
  const int ok = ReadNested(a, f);
  CKvoObject* anim = FileAnimation(ScriptReader(), a);
  if (!ok) return SCR_SUB_STOP;
  m_fault->SetPhenomenon(anim);
  return SCR_SUB_OK;
}

// error { ... }: played when the trainee goes wrong.
int CScrFault::ReadError(CScrStream* f, const char*) {
  CScrAnimation a(ScriptReader());
  const int ok = ReadNested(a, f);
  CKvoObject* anim = FileAnimation(ScriptReader(), a);
  if (!ok) return SCR_SUB_STOP;
  m_fault->SetError(anim);
  return SCR_SUB_OK;
}

// leaf, branch, examine, procedure: a node appended to the root's children.
int CScrFault::ReadNode(CScrStream* f, const char* kw) {
  CScrExamine node(ScriptReader(), std::string(kw) == "leaf");
  if (!ReadNested(node, f)) return SCR_SUB_STOP;
  m_fault->Root()->AppendChild(node.TakeNode());
  return SCR_SUB_OK;
}

// The closing brace: the exercise gathers its steps' controls and goes to the module, unless a
// property word was refused.
void CScrFault::Finish() {
  if (!m_fault) return;
  m_fault->SetRecord(m_record);
  m_fault->BuildCtrlPoints();
  if (m_result) ScriptReader()->CurrentModule()->AddFault(m_fault.release());
}
