// The per-project settings file: scrread.toml (or .scrread.toml), found from the current
// directory upward. It holds defaults for the command line:
//
//   workdir = "assets"          # relative to the file's own directory
//   encoding = "utf-8"          # auto, gbk or utf-8
//   ignore = ["include-twice"]  # message codes not to report
//   entry = ["main.scr"]        # in a directory, the top-level scripts to read
#pragma once

#include <string>

#include "Options.h"

// Applies the nearest settings file to `opts` (before the command line is parsed, which then
// overrides it). Returns false with `error` set when the file cannot be parsed or holds a value
// of the wrong kind; `found` receives its path ("" when there is none).
bool LoadProjectConfig(Options& opts, std::string& found, std::string& error);
