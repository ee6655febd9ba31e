// The libFuzzer main of every target: built once per entry of FuzzEntries.h, with
// SCR_FUZZ_ENTRY naming the entry (fuzz/CMakeLists.txt).
#include <cstddef>
#include <cstdint>

#include "FuzzEntries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  scrfuzz::SCR_FUZZ_ENTRY(data, size);
  return 0;
}
