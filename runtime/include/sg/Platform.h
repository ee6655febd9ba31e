// Every platform dependence of the runtime in one place.
#pragma once

#include <cstdio>
#include <string>

// The directory of the running executable, without a trailing separator ("." if unknown).
std::string SgHostDirectory();
// A monotonic millisecond clock.
unsigned long SgTickCount();
// The system's temporary directory ($TMPDIR, else /tmp), without a trailing separator.
std::string SgTempDirectory();
// Creates a new, uniquely named file under the temporary directory (mkstemp), opened for
// reading and writing in binary mode; path receives its name. The caller closes and removes
// it. nullptr on failure.
FILE* SgCreateTempFile(std::string& path);
// Creates a new, uniquely named directory under the temporary directory (mkdtemp); "" on failure.
std::string SgCreateTempDirectory();
bool SgPathExists(const char* fsPath);
// True when fsPath is a regular file this process may open for reading (never blocks on a
// pipe or a device: those are not regular files).
bool SgIsReadableFile(const char* fsPath);
// The process's current directory ("." if unknown).
std::string SgCurrentDirectory();
