// Recorder files of this format from arbitrary bytes (see RecorderFuzz.h for what is checked).
#include "tests/fuzz/RecorderFuzz.h"
#include "ternik/DataFileParsersUnitMV70.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  FuzzInterface(MV70Interface(), data, size, 8 * int64_t(size) + 16);
  return 0;
}
