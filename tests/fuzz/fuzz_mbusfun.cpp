// Frame check and expected reply length over arbitrary bytes: no fault, and a frame given
// its check always passes.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "app/link/Mbusfun.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  const std::span<const uint8_t> in(data, size);
  for (size_t length = 0; length <= size + 1 && length < 300; length += 1 + length / 8) {
    (void)CheckCRC(in, length);
    const int32_t reply = ModbusReplyLength(in, length);
    if (reply != -1 && (reply < 5 || reply > 131075))
      __builtin_trap();
  }
  std::vector<uint8_t> frame(data, data + size);
  frame.resize(size + 2);
  if (!AddCRC(frame, size) || !CheckCRC(frame, frame.size()))
    __builtin_trap();
  return 0;
}
