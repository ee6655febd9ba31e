// Paths of script files and the include list.
//
// Paths in scripts are Windows-style strings: '\' joins directories, and a whole path begins with
// a drive letter and ':' or, on this platform, with '/'. The filesystem is only ever reached
// through ScrToFsPath, which turns every '\' into '/'.
#pragma once

#include <string>
#include <string_view>

#include "lexer/ScrApi.h"

class CScriptReader;

// A script path as a filesystem path: every '\' becomes '/'.
std::string ScrToFsPath(std::string_view scriptPath);

// 1 when something (file or directory) exists at the script path, tried as given and, failing
// that, with the path converted from GBK to UTF-8.
int ScrScriptPathExists(const std::string& scriptPath);

// Makes `name` a whole path against `workdir`, and the host directory when that is not whole
// either. When nothing exists there, the result is the host directory's "\Resource\Script\"
// folder followed by `name` as given. Never fails. The char* form writes at most SCR_PATH_MAX
// bytes plus the NUL into `out` (SCR_PATH_BUFFER bytes); a longer path is truncated.
SCR_API void ScrGetWholePathname(const char* workdir, const char* name, char* out);
SCR_API std::string ScrGetWholePathname(const char* workdir, const char* name);

// The include list: 1 when `name` was already included into the reader's current module;
// otherwise it is recorded and 0 is returned. Keys are "<module path>:<name as written>", held
// in a hashed set for the whole process (reading a file does not empty it). The current reader
// is used when `reader` is null.
SCR_API int ScrFindIncludeFilename(CScriptReader* reader, const char* name);
// Forgets every include.
SCR_API void ScrDeleteIncludeFilenames();
