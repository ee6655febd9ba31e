// Placeholder: the quick-command reader is being written.
#include "animation/ScrQuick.h"

#include "sg/Kvo.h"

CScrQuick::CScrQuick(CScriptReader* reader) : CScrObject(reader) {}

CScrQuick::~CScrQuick() {
  for (CKvoObject* o : m_objects) delete o;
}

int CScrQuick::Read(CScrStream* f) {
  SkipBlock(f);
  return 1;
}
