// Placeholder: the animation reader is being written. It reads `name` and `controller` only.
#include "animation/ScrAnimation.h"

#include "animation/ScrController.h"
#include "reader/ScriptReader.h"
#include "sg/Animation.h"
#include "sg/Event.h"

long CScrAnimation::m_totalTick = 0;

namespace {

class Placeholder : public CScrObject {
 public:
  Placeholder(CScriptReader* r, CAnimation* a) : CScrObject(r), m_a(a) {}
  int Read(CScrStream* f) override { return ReadBlock(f); }
  int ReadSubKeyword(CScrStream* f, const char* kw) override {
    if (std::string(kw) == "name") {
      std::string v;
      ReadValueString(f, v);
      m_a->SetName(v.c_str());
      return SCR_SUB_OK;
    }
    if (std::string(kw) == "controller") {
      CScrController c(ScriptReader());
      const int ok = ReadNested(c, f);
      m_a->AddController(c.TakeController());
      return ok ? SCR_SUB_OK : SCR_SUB_STOP;
    }
    return SCR_SUB_UNKNOWN;
  }
  CAnimation* m_a;
};

}  // namespace

CScrAnimation::CScrAnimation(CScriptReader* reader) : CScrObject(reader) {}

CScrAnimation::~CScrAnimation() {
  if (m_new && !m_taken) delete m_animation;
}

int CScrAnimation::Read(CScrStream* f) {
  m_animation = new CAnimation();
  m_animation->SetModule(ScriptReader()->CurrentModule());
  m_new = 1;
  ScriptReader()->AnimationStack().push_back(m_animation);
  Placeholder p(ScriptReader(), m_animation);
  const int ok = p.Read(f);
  ScriptReader()->AnimationStack().pop_back();
  return ok;
}

CKvoObject* CScrAnimation::TakeObject() {
  if (!m_new || m_taken) return nullptr;
  m_taken = true;
  return m_animation;
}
