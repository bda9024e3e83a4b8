// The Modbus TCP reply parser over an arbitrary received stream, delivered in pieces whose
// sizes the input also chooses, as the socket would.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "app/link/MbTcp.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  if (size < 3)
    return 0;
  const uint16_t tid = uint16_t((data[0] << 8) | data[1]);
  const size_t room = data[2];  // room for the PDU, smaller than a frame at times
  std::vector<uint8_t> pending;
  std::vector<uint8_t> pdu(room);
  size_t at = 3;
  while (at < size) {
    const size_t piece = std::min<size_t>(size - at, 1 + data[at] % 64);
    pending.insert(pending.end(), data + at, data + at + piece);
    at += piece;
    size_t length = 0;
    const TMbapPick pick = PickMbapReply(pending, tid, pdu, length);
    if (pick == TMbapPick::Found && (length < MbapMinPdu || length > MbapMaxPdu || length > room))
      __builtin_trap();
    if (pick == TMbapPick::Bad)
      break;
    if (pending.size() > MbapHeaderSize + MbapMaxPdu + 64)
      __builtin_trap();  // a whole frame is always taken off
    (void)ScanMbapFrame(pending);
  }
  return 0;
}
