// Projectors, stencils, charts and tables. Projectors and stencils set the graphics library up
// and keep nothing; a chart files itself (it may update a chart instead of making one); a new
// table is filed here.
#include "objects/ScrChart.h"
#include "objects/ScrProjector.h"
#include "reader/ScrScript.h"

int CScrScript::ReadDisplayObject(CScrStream* f, const std::string& token) {
  if (token == "projector") {
    CScrProjector r(ScriptReader());
    return ReadNested(r, f);
  }
  if (token == "stencil") {
    CScrStencil r(ScriptReader());
    return ReadNested(r, f);
  }
  if (token == "chart") {
    CScrChart r(ScriptReader());
    return ReadNested(r, f);
  }
  CScrTable r(ScriptReader());
  return ReadAndAdd(r, f);
}
