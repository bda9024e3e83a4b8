// Recorder files of this format from arbitrary bytes (see RecorderFuzz.h for what is checked).
#include "tests/fuzz/RecorderFuzz.h"
#include "ternik/DataFileParsersUnitLx3.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  FuzzInterface(Lx3Interface(), data, size, int64_t(size) / 2 + 2);
  return 0;
}
