// Placeholder: the keywords of this handler are reported as invalid until their readers land.
#include "reader/ScrScript.h"

int CScrScript::ReadSceneObject(CScrStream* f, const std::string& token) { return NotYetReadable(f, token); }
