// Geometric variables tied to scene nodes: coordinates, check coordinates, vectors, poles and
// screws.
//
//     coord       { name { p } values { 1, 2, 3 } field { /scene/a } }
//     check_coord { name { c } values { 1, 2, 3, 0.5 } field { probe } }
//     vector      { name { v } values { 0, 0, 1 } }
//     pole        { name { q } values { 0, 0, 0, 1, 1, 1 } }
//     screw       { name { s } axis { 0, 0, 1 } values { 90 } field { bolt } }
//
// Each reader finds the variable of its name in the current module or makes it, fills it from
// the block and hands a new one to the dispatcher (TakeObject), which files it with the module's
// variables. Inside a script-function expansion names take the instance suffix, so every
// expansion makes its own variables.
#pragma once

#include <memory>
#include <string>

#include "lexer/ScrApi.h"
#include "reader/ScrObject.h"
#include "sg/Types.h"

class CSgFieldVariable;

// The shared reader; the kinds differ in the variable they make, the values they need and
// what they do with them.
class CScrGeometry : public CScrObject {
 public:
  // A token that is not a recognised word ends the block silently with the result so far.
  int Read(CScrStream* f) override;
  CKvoObject* TakeObject() override;
  ~CScrGeometry() override;

  // The variable the block named (or the nameless one it made); null before Read.
  CSgFieldVariable* Variable() const { return m_var; }

 protected:
  explicit CScrGeometry(CScriptReader* reader);

  // A new variable of this reader's kind.
  virtual std::unique_ptr<CSgFieldVariable> Make(const char* name) const = 0;
  // True when `var` (found by name) is of this reader's kind.
  virtual bool IsOwnKind(CSgVariable* var) const = 0;
  // The fewest values `values` needs (3 or 6).
  virtual int MinValues() const { return 3; }
  // Gives the values read (at most 8; the others are 0) to the variable.
  virtual void ApplyValues(CSgFieldVariable* var, const float* values, int count) = 0;
  // Called once the block has been read, for what is set only at its end.
  virtual void ApplyEnd(CSgFieldVariable*) {}
  // The line of this reader's messages: the stream position's, or the running line id.
  virtual bool ReportsStreamLine() const { return false; }

  int ReadSubKeyword(CScrStream* f, const char* kw) override;
  void Finish() override { m_closed = true; }
  // Reports a message of this reader at its line.
  void ReportHere(ScrTextId id, CScrStream* f, std::initializer_list<ScrArg> args);
  // Reads the numbers up to the closing brace into out[0..7] (zeroed first); returns the count.
  int ReadFloats(CScrStream* f, float* out);

 private:
  int ReadName(CScrStream* f, const char*);
  int ReadValues(CScrStream* f, const char*);
  int ReadField(CScrStream* f, const char*);

  std::unique_ptr<CSgFieldVariable> m_made;  // a variable made here, until it is taken
  CSgFieldVariable* m_var = nullptr;         // the variable the block fills
  bool m_named = false;                      // a `name` was read (even one that was refused)
  float m_values[8] = {};
  int m_count = 0;
  bool m_hasValues = false;
  SGKEY m_key = SG_NO_KEY;
  bool m_hasKey = false;
  bool m_closed = false;  // the block's closing brace was read
};

// coord (mode 0) and check_coord (mode 1).
class CScrCoord : public CScrGeometry {
 public:
  CScrCoord(CScriptReader* reader, int mode) : CScrGeometry(reader), m_mode(mode) {}
  int Mode() const { return m_mode; }

 protected:
  std::unique_ptr<CSgFieldVariable> Make(const char* name) const override;
  bool IsOwnKind(CSgVariable* var) const override;
  void ApplyValues(CSgFieldVariable* var, const float* values, int count) override;
  bool ReportsStreamLine() const override { return true; }

 private:
  int m_mode;
};

class CScrVector : public CScrGeometry {
 public:
  explicit CScrVector(CScriptReader* reader) : CScrGeometry(reader) {}

 protected:
  std::unique_ptr<CSgFieldVariable> Make(const char* name) const override;
  bool IsOwnKind(CSgVariable* var) const override;
  void ApplyValues(CSgFieldVariable* var, const float* values, int count) override;
};

class CScrPole : public CScrGeometry {
 public:
  explicit CScrPole(CScriptReader* reader) : CScrGeometry(reader) {}

 protected:
  std::unique_ptr<CSgFieldVariable> Make(const char* name) const override;
  bool IsOwnKind(CSgVariable* var) const override;
  int MinValues() const override { return 6; }
  void ApplyValues(CSgFieldVariable* var, const float* values, int count) override;
};

// A screw takes one turning value and an `axis`; both are given to it when the block ends.
class CScrScrew : public CScrGeometry {
 public:
  explicit CScrScrew(CScriptReader* reader) : CScrGeometry(reader) {}

 protected:
  std::unique_ptr<CSgFieldVariable> Make(const char* name) const override;
  bool IsOwnKind(CSgVariable* var) const override;
  int MinValues() const override { return 0; }
  void ApplyValues(CSgFieldVariable* var, const float* values, int count) override;
  void ApplyEnd(CSgFieldVariable* var) override;
  int ReadSubKeyword(CScrStream* f, const char* kw) override;

 private:
  int ReadScrewValues(CScrStream* f, const char*);
  int ReadAxis(CScrStream* f, const char*);
  float m_axis[8] = {};
  float m_value = 0;
};
