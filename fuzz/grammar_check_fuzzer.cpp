// libFuzzer target: the grammar pre-pass alone, on a script held in memory.
//
// The check walks the whole text with the token reader and recurses once per nested block, so
// what it must survive is text of any shape: unbalanced braces, calls whose ')' never comes,
// nesting far past the block limit. The input is decoded as a file would be (auto-detection).
#include <cstddef>
#include <cstdint>
#include <string>

#include "lexer/ScrPath.h"
#include "reader/ScriptReader.h"
#include "sg/Gfx.h"
#include "sg/Module.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  {
    CSgModule root("main");
    CScriptReader reader(&root);
    reader.CheckGrammarText("input.scr", std::string(reinterpret_cast<const char*>(data), size));
  }
  ScrDeleteIncludeFilenames();
  SgResetScene();
  return 0;
}
