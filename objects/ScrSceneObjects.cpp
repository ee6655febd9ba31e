// The top-level keywords of the scene objects: generator, sky, texture, light, route and message.
#include "objects/ScrCurve.h"
#include "objects/ScrGenerator.h"
#include "objects/ScrMsg.h"
#include "objects/ScrSky.h"
#include "reader/ScrScript.h"
#include "reader/ScriptReader.h"
#include "sg/Module.h"

// A generator is filed by its type code (a dynamic object: the module keeps it and the view runs
// it). Textures and routes have collections of their own, filed whatever their blocks gave. Sky,
// light and message handle what they make themselves.
int CScrScript::ReadSceneObject(CScrStream* f, const std::string& token) {
  CScriptReader* reader = ScriptReader();
  if (token == "generator") {
    CScrGenerator r(reader);
    return ReadAndAdd(r, f);
  }
  if (token == "texture" || token == "route") {
    std::unique_ptr<CScrObject> r;
    if (token == "texture") r = std::make_unique<CScrTexture>(reader);
    else r = std::make_unique<CScrRoute>(reader);
    const int result = ReadNested(*r, f);
    if (CKvoObject* obj = r->TakeObject()) {
      if (token == "texture") reader->CurrentModule()->AddTexture(obj);
      else reader->CurrentModule()->AddRoute(obj);
    }
    return result;
  }
  if (token == "sky") {
    CScrSky r(reader);
    return ReadNested(r, f);
  }
  if (token == "light") {
    CScrLight r(reader);
    return ReadNested(r, f);
  }
  CScrMsg r(reader);
  return ReadNested(r, f);
}
