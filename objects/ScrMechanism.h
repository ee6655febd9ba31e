// Bodies, wrenches and nuts: one reader each on one shared sub-keyword table.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "reader/ScrObject.h"

class CSgMechanism;

// The shared reader. Every sub-keyword handler lives here; a reader takes a word only when the
// keyword table lists it inside the reader's own keyword and its object has the property (so a
// body does not take a wrench's `point`). The object is built before the block is read and handed
// over with what was read, also when the block failed.
class SCR_API CScrMechanism : public CScrObject {
 public:
  ~CScrMechanism() override;
  int Read(CScrStream* f) override;
  CKvoObject* TakeObject() override;
  // The object read so far (null once taken).
  CSgMechanism* Object() const { return m_object.get(); }

  // The most numbers one list (initial, force, dial) keeps; more are passed over.
  static constexpr int kMaxNumbers = 256;

 protected:
  CScrMechanism(CScriptReader* reader, const char* keyword, std::unique_ptr<CSgMechanism> object);
  int ReadSubKeyword(CScrStream* f, const char* kw) override;
  int UnknownSubKeyword(CScrStream* f, const char* kw) override;

 private:
  int ReadName(CScrStream* f, const char*);
  int ReadField(CScrStream* f, const char*);
  int ReadTruss(CScrStream* f, const char*);
  int ReadInitial(CScrStream* f, const char*);
  int ReadAxis(CScrStream* f, const char*);
  int ReadPoint(CScrStream* f, const char*);
  int ReadModelType(CScrStream* f, const char*);
  int ReadMaxDistance(CScrStream* f, const char*);
  int ReadSubForward(CScrStream* f, const char*);
  int ReadSubLeft(CScrStream* f, const char*);
  int ReadForce(CScrStream* f, const char*);
  int ReadAngleVar(CScrStream* f, const char*);
  int ReadDial(CScrStream* f, const char*);

  // Numbers up to the closing brace; *refused when a word was no number (reported).
  std::vector<float> ReadNumbers(CScrStream* f, bool* refused = nullptr);
  bool ReadExactly(CScrStream* f, float* out, size_t n);
  long long ResolveField(CScrStream* f, const std::string& path);

  const char* m_keyword;
  std::unique_ptr<CSgMechanism> m_object;
  friend struct ScrMechanismSubs;
};

class SCR_API CScrBody : public CScrMechanism {
 public:
  explicit CScrBody(CScriptReader* reader);
};

class SCR_API CScrWrench : public CScrMechanism {
 public:
  explicit CScrWrench(CScriptReader* reader);
};

class SCR_API CScrNut : public CScrMechanism {
 public:
  explicit CScrNut(CScriptReader* reader);
};
