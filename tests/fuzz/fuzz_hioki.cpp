// Recorder files of this format from arbitrary bytes (see RecorderFuzz.h for what is checked).
#include "tests/fuzz/RecorderFuzz.h"
#include "ternik/DataFileParsersUnitHioki.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  FuzzInterface(HiokiInterface(), data, size, int64_t(size) + 1);
  return 0;
}
