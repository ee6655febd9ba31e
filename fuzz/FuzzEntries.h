// The entry points the fuzz targets drive, shared with the test that replays what the fuzzer found
// (tests/reader/FuzzRegressionTest.cpp), so a regression file is replayed exactly as it was found.
//
// Each entry takes one input, runs it and cleans up after itself: the scene, the include list and
// any files it wrote are gone when it returns, so inputs stay independent.
#pragma once

#include <cstddef>
#include <cstdint>

namespace scrfuzz {

// One fuzz target: its name (the fuzzer is <name>_fuzzer, its files live in fuzz/*/<name>/) and
// what it does with one input.
struct Entry {
  const char* name;
  void (*run)(const uint8_t* data, size_t size);
};

// The whole input is a script, read with ReadXScriptText. The first byte's low bit turns the
// grammar pre-pass on. Virtual include files may follow the script (see below).
void ReadScript(const uint8_t* data, size_t size);
// The same read with the grammar pre-pass chosen by the caller (the regression test replays each
// input both ways).
void ReadScriptText(const char* data, size_t size, int checkGrammar);
// The grammar pre-pass alone (CheckGrammarText), in memory.
void GrammarCheck(const uint8_t* data, size_t size);
// The input compiled as a program body (ScrReadProgramFromString), not run.
void ProgramString(const uint8_t* data, size_t size);
// The input compiled as a condition (ScrReadConditionsFromString).
void ConditionsString(const uint8_t* data, size_t size);
// The input read as a script (grammar check off, virtual include files as for ReadScript), then
// its programs run once each with a small step budget.
void CompileRun(const uint8_t* data, size_t size);

// Every entry, in a fixed order; null-terminated.
const Entry* Entries();
const Entry* FindEntry(const char* name);

// Virtual files: a line beginning "//@file NAME" ends the text before it and starts a file NAME
// that the script may include; it holds the lines up to the next such line. NAME keeps only
// letters, digits, '.', '_' and '-' (at most 40 of them, and not "." or ".."), so every file lands
// in the private folder the entry makes for the input and is removed afterwards. At most 8 files.
inline constexpr const char* kVirtualFileMark = "//@file ";
inline constexpr int kMaxVirtualFiles = 8;

}  // namespace scrfuzz
