// Reads the script named on the command line into a fresh module and prints how many child
// modules it made and how many messages the reader left: enough to prove that the installed
// headers compile and the installed libraries link and load.
#include <cstdio>

#include "reader/ScriptReader.h"
#include "sg/Module.h"

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  CSgModule root("main");
  int result;
  int messages;
  {
    CScriptReader reader(&root);
    result = reader.ReadXScript(argv[1], 0, 0);
    messages = reader.MessageCount();
  }
  std::printf("result=%d modules=%d messages=%d\n", result, root.ChildCount(), messages);
  return result == 1 ? 0 : 1;
}
