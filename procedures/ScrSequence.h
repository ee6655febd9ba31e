// CScrSequence: the reader of a sequence of control points.
//
//     sequence {
//       name { startup }
//       type { serial }              serial (the default) or parallel
//       property { cycle }           plays again from the start when done
//       ctrlpt { name { valve } }    the control point this sequence plays, by name
//       sequence { ... }             nested sequences, to any depth
//     }
//
// The control block only names the control: it is resolved when the module builds its
// sequences once the script is read (CSgModule::BuildSequence).
#pragma once

#include <memory>

#include "reader/ScrObject.h"

class CSequence;

class CScrSequence : public CScrObject {
 public:
  explicit CScrSequence(CScriptReader* reader);
  ~CScrSequence() override;

  // 1 when read to the closing brace; 0 after a bad type or a failed nested block. The
  // sequence exists after Read either way, with what was read.
  int Read(CScrStream* f) override;
  CSequence* Sequence() const { return m_sequence.get(); }
  // The sequence (the caller owns it from then on); null before Read.
  CKvoObject* TakeObject() override;
  CSequence* TakeSequence() { return m_sequence.release(); }

 protected:
  int ReadSubKeyword(CScrStream* f, const char* kw) override;
  int UnknownSubKeyword(CScrStream* f, const char* kw) override;

 private:
  int ReadName(CScrStream* f, const char*);
  int ReadType(CScrStream* f, const char*);
  int ReadProperty(CScrStream* f, const char*);
  int ReadCtrlpt(CScrStream* f, const char*);
  int ReadChild(CScrStream* f, const char*);

  std::unique_ptr<CSequence> m_sequence;
};
