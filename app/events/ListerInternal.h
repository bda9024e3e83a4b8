// Shared between the lister's walk and its decoders; not part of the lister's interface.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "app/events/EventKinds.h"

namespace ListerDetail {

// The document's event-kind table, or an all-zero one when the document gives none of the
// right size, so every code then reads as undefined.
std::span<const uint8_t, EVENT_KIND_TABLE_SIZE> KindTable(std::span<const uint8_t> table);

// Byte i of a record, 0 beyond its end: a table may give a record fewer bytes than its
// decoder reads, and nothing is read past the cell.
inline uint8_t At(std::span<const uint8_t> rec, size_t i) { return i < rec.size() ? rec[i] : 0; }
inline bool Bit(uint8_t v, int bit) { return ((v >> bit) & 1) != 0; }

// The exact time of an event cell (half milliseconds since 1899-12-30), from the day count
// in its last 8 bytes; the count was made from an exact value, so it comes back exactly.
int64_t CellHalfMs(std::span<const uint8_t> cell);
// Milliseconds of an exact half-millisecond count, halves to even (as the runtime's time
// decoding rounds); counts are never negative here.
int64_t RoundedMs(int64_t halfMs);
// The record bytes of an event cell: the cell without the time in its last 8 bytes.
inline std::span<const uint8_t> RecordOf(std::span<const uint8_t> cell)
{
  return cell.size() >= 8 ? cell.first(cell.size() - 8) : std::span<const uint8_t>();
}
// The day count stored in a cell for an exact time.
double HalfMsToDays(int64_t halfMs);

}  // namespace ListerDetail
