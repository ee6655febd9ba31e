// CScrCtrlpt: the reader of a control point, and the template every control reader follows.
//
//     ctrlpt {
//       name { valve }          names the control, or configures the one of that name
//       field { /scene/valve }  its scene node (a plain control point gathers every field)
//       group { 0X1F }          a number, TRUE/FALSE or a macro name
//       enable { FALSE }        applied when the block closes
//       reaction { ... }        what it does when operated (elements/ScrReaction.h)
//       otherwise { ... }       a reaction that runs when no other reaction takes the event
//     }
//
// Read runs the loop all controls share and hands every other sub-keyword to the virtual
// OtherKeyword of the concrete reader; Finish is called when the block closes, before the
// enable state is applied. Derived readers make their runtime control in their constructor
// (SetControl) and override only Finish and OtherKeyword.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "lexer/ScrApi.h"
#include "reader/ScrObject.h"
#include "sg/Types.h"

class COpCtrlPoint;

class SCR_API CScrCtrlpt : public CScrObject {
 public:
  explicit CScrCtrlpt(CScriptReader* reader);
  ~CScrCtrlpt() override;

  // Reads one control block; 1 when it was read to its closing brace, 0 otherwise (the
  // control keeps what was set so far).
  int Read(CScrStream* f) override;
  // The control being configured: the reader's own, or the existing one `name` bound it to.
  COpCtrlPoint* CtrlPoint() const { return m_ctrl; }
  // Hands the reader's own new control to the caller; null once bound to an existing one.
  CKvoObject* TakeObject() override;

  // The milliseconds spent in all control reads.
  static long m_totalTick;

 protected:
  // Makes `ctrl` the reader's own control (derived constructors).
  void SetControl(std::unique_ptr<COpCtrlPoint> ctrl);
  // The enable state the block asked for: 1 (the default), 0, or -1 after a word other than
  // TRUE or FALSE when no earlier `enable` was read. Derived Finish reads it.
  int EnableField() const { return m_enable; }
  // Whether `found`, a control of the name read, may be configured by this reader. A derived
  // reader takes only its own kind: its sub-keywords write fields only that kind has.
  virtual bool Accepts(const COpCtrlPoint* found) const;
  // Whether `otherwise` is a sub-keyword of this control; where it is not, it goes to
  // OtherKeyword like any word the control does not know.
  virtual bool TakesOtherwise() const { return true; }
  // Reports a sub-keyword a control does not know in the controls' own form (file name and
  // keyword) and skips its block.
  void ReportUnknownControlKeyword(CScrStream* f, const char* keyword);

  // Values of the controls' own sub-keywords. A number list is read up to the '}' that closes
  // it, at most `max` numbers (more are passed over); a quoted string ends it. Returns the count.
  int ReadNumberList(CScrStream* f, float* out, int max);
  // One number (a/b and a*b too); `out` is unchanged when none could be read.
  void ReadNumber(CScrStream* f, float& out);
  // A name for the messages: the control's, as set so far.
  const char* ControlName() const;

  // The shared sub-keywords; everything else goes to OtherKeyword.
  int ReadSubKeyword(CScrStream* f, const char* kw) final;
  int UnknownSubKeyword(CScrStream* f, const char* kw) final;

 private:
  int ReadName(CScrStream* f, const char*);
  int ReadField(CScrStream* f, const char*);
  int ReadGroup(CScrStream* f, const char*);
  int ReadEnable(CScrStream* f, const char*);
  int ReadReaction(CScrStream* f, const char*);
  int ReadOtherwise(CScrStream* f, const char*);

  std::unique_ptr<COpCtrlPoint> m_own;  // the control made by this reader, until taken
  COpCtrlPoint* m_ctrl = nullptr;
  int m_enable = 1;
  int m_running = -1;  // what to apply when the block closes: 1 enable, 0 disable, -1 nothing
};

// The words of a list value (`property { local }`, `tool { a, b }`): tokens up to the '}' that
// closes the value, or the block when the value has no braces (that '}' is left to be read), or
// the end of the input. Empty tokens are passed over.
void ScrReadWordList(CScrStream* f, std::vector<std::string>& words);
