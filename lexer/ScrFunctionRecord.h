// SCRFUNCTION: the record of one script function (a reader-level macro `name(p1, p2) { ... }`).
//
// The reader keeps one record per defined function. Each call copies its arguments into the
// record, raises the instance number and pushes the record on the call-context stack while the
// body is read again from the text kept with the record.
#pragma once

#include <memory>
#include <string>
#include <vector>

class CSgModule;
class ScrSource;

struct SCRFUNCTION {
  std::string name;                 // function name (at most SCR_NAME_MAX bytes)
  std::vector<std::string> params;  // parameter names, at most SCR_MAX_PARAMS
  std::vector<std::string> args;    // argument values of the call being expanded
  std::string fileName;             // the file that holds the body
  std::shared_ptr<const ScrSource> source;  // its text, kept for the expansions
  long bodyStart = -1;              // byte offset just after the header
  long bodyEnd = -1;                // byte offset just after the body's closing brace; -1: no braces,
                                    // the body runs to the end of the text
  int bodyLine = 0;                 // line of the body start
  CSgModule* module = nullptr;      // module current when the function was defined
  int instance = 0;                 // 0 at definition, +1 for every expansion

  int ParamCount() const { return static_cast<int>(params.size()); }
};
