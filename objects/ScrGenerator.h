// CScrGenerator: the `generator` block reader.
//
//     generator {
//       name { wave }  type { sin }  property { continuous }
//       range { 0 10 }  values { 5 }  period { 2000 }  string { level }
//     }
//
// The generator drives the variable `string` names with values between the bounds of `range`,
// starting at `values`, one cycle per `period` milliseconds.
#pragma once

#include <memory>
#include <string>

#include "reader/ScrObject.h"

class CGenerator;

class SCR_API CScrGenerator : public CScrObject {
 public:
  // Creates the generator for the current module: it exists even when its block holds errors.
  explicit CScrGenerator(CScriptReader* reader);
  ~CScrGenerator() override;

  // 1 when the block was read without error; 0 when something was reported.
  int Read(CScrStream* f) override;
  CKvoObject* TakeObject() override;
  CGenerator* Generator() const { return m_generator.get(); }

  // The most numbers a range list holds; later ones are passed over.
  static constexpr int kMaxValues = 255;

 protected:
  int ReadSubKeyword(CScrStream* f, const char* kw) override;
  void Finish() override;

 private:
  int ReadName(CScrStream* f, const char*);
  int ReadType(CScrStream* f, const char*);
  int ReadProperty(CScrStream* f, const char*);
  int ReadRange(CScrStream* f, const char*);
  int ReadValues(CScrStream* f, const char*);
  int ReadPeriod(CScrStream* f, const char*);
  int ReadString(CScrStream* f, const char*);
  // One number token (a quotient such as 1/3 too); false, `out` unchanged, for anything else.
  bool ReadOneNumber(CScrStream* f, float& out);

  std::unique_ptr<CGenerator> m_generator;
  int m_type = 1;
  int m_continuous = 0;
};
