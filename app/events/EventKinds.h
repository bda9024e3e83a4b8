#pragma once
// Event-kind tables of the two controller models.
//
// Nothing in the controller's event register says how long a record is or what it means:
// for every one of the 256 event codes the program carries, per model, the record length,
// the text decoder, the description, whether the event is listed, which time correction
// applies and where it goes on the state chart. The rows are constant data (generated from
// the maker's tables, see EventKindsData.cpp); the 157-byte entry layout below is the one the
// controller object copies and every reader indexes by code.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// One defined code of a model, as given by the maker. Text is Windows-1250.
struct TEventKindRow {
  uint8_t Code;
  uint8_t Length;  // bytes of the record including the code byte
  uint8_t Kind;    // decoder kind (TEventDecoderKind)
  uint8_t Show;    // 1 = listed; 0 = listed only with "show all events"
  uint8_t Corr;    // 0 none, 1 DI, 2 DO, 3 AI correction
  uint8_t Track;   // chart track 1..171, 0 = not charted
  uint8_t State;   // state the track takes: 1 appears/closed, 0 disappears/opened
  std::string_view Text;
};

// Decoder kinds (entry byte 1). 2, 12 and 17 are carried by no table entry; their decoders
// exist all the same.
namespace EventDecoderKind {
constexpr uint8_t Signal = 1;    // plain event line
constexpr uint8_t Logic2 = 2;    // "LOG" signal, only with ImplementsSysLogick
constexpr uint8_t Logic3 = 3;    // "LOG" signal, only with ImplementsSysLogick
constexpr uint8_t Clock = 4;     // clock record, sets the time base
constexpr uint8_t Skip = 5;      // buffer skip, variable length
constexpr uint8_t Sys = 6;       // supervisory-system events and commands
constexpr uint8_t Restart1 = 7;  // restart, model 1 reasons
constexpr uint8_t Restart2 = 8;  // restart, model 2 reasons
constexpr uint8_t Voltage1 = 9;
constexpr uint8_t Blocking1 = 10;
constexpr uint8_t Switchgear1 = 11;
constexpr uint8_t ClockChange12 = 12;
constexpr uint8_t Voltage2 = 14;
constexpr uint8_t Blocking2 = 15;
constexpr uint8_t Switchgear2 = 16;
constexpr uint8_t SerialCommand = 17;
constexpr uint8_t ClockChange18 = 18;
constexpr uint8_t Plain19 = 19;
}  // namespace EventDecoderKind

// Special event codes shared by both models.
namespace EventCode {
constexpr uint8_t Skip = 240;  // byte 1 = n; 127 ends the register, else n filler bytes
constexpr uint8_t Clock = 243;
constexpr uint8_t Restart = 245;
constexpr uint8_t VoltageState = 246;
constexpr uint8_t BlockingState = 247;
constexpr uint8_t SwitchgearState = 251;
constexpr uint8_t SerialCommand = 252;  // model 2 only
constexpr uint8_t ClockChange = 253;    // model 2 only
constexpr uint8_t Keyboard = 254;       // model 2 only
constexpr uint8_t SkipEndMarker = 127;
}  // namespace EventCode

// Layout of one entry of an event-kind table.
constexpr size_t EVENT_KIND_CODES = 256;
constexpr size_t EVENT_KIND_ENTRY_SIZE = 157;
constexpr size_t EVENT_KIND_TABLE_SIZE = EVENT_KIND_CODES * EVENT_KIND_ENTRY_SIZE;  // 40192
constexpr size_t EK_LENGTH = 0;
constexpr size_t EK_KIND = 1;
constexpr size_t EK_DESCRIPTION = 2;  // length byte, then up to 150 characters
constexpr size_t EK_DESCRIPTION_MAX = 150;
constexpr size_t EK_SHOW = 153;
constexpr size_t EK_CORR = 154;
constexpr size_t EK_TRACK = 155;
constexpr size_t EK_STATE = 156;

constexpr int CHART_TRACK_COUNT = 171;

using TEventKindTable = std::array<uint8_t, EVENT_KIND_TABLE_SIZE>;

// Restart reasons: 53 entries, a length byte and up to 85 characters each; a RESTART
// record's reason code selects entry min(code, 52).
constexpr size_t RESTART_REASON_COUNT = 53;
constexpr size_t RESTART_REASON_ENTRY_SIZE = 86;
constexpr size_t RESTART_REASON_TEXT_MAX = 85;
using TRestartReasonTable = std::array<uint8_t, RESTART_REASON_COUNT * RESTART_REASON_ENTRY_SIZE>;

// The maker's rows of model 1 (Kivs2) or 2 (Kivs3), in code order; empty for any other model.
std::span<const TEventKindRow> EventKindRows(int model);
// The 53 restart-reason texts (Windows-1250) of model 1 or 2; empty for any other model.
std::span<const std::string_view> RestartReasonTexts(int model);

// The 40192-byte table of model 1 or 2 in the entry layout above;
// all zero for any other model, so every code reads as undefined. Built once, never changed.
const TEventKindTable& EventKindTable(int model);

// The restart-reason table of model 1 or 2 (texts in Windows-1250); all zero otherwise.
const TRestartReasonTable& RestartReasonTable(int model);

// Restart reason text (Windows-1250) for a reason code, from the table the decoder kind
// names: kind 7 the model 1 table, kind 8 the model 2 table; empty for any other kind.
std::string RestartReasonText(uint8_t decoderKind, uint32_t reasonCode);

// Field readers over an entry table (a TKiv's copy or EventKindTable). The table must hold
// EVENT_KIND_TABLE_SIZE bytes.
inline uint8_t EvKindByte(std::span<const uint8_t, EVENT_KIND_TABLE_SIZE> table, uint8_t code, size_t field)
{
  return table[size_t(code) * EVENT_KIND_ENTRY_SIZE + field];
}
inline uint8_t EvLength(std::span<const uint8_t, EVENT_KIND_TABLE_SIZE> t, uint8_t code)
{
  return EvKindByte(t, code, EK_LENGTH);
}
inline uint8_t EvKind(std::span<const uint8_t, EVENT_KIND_TABLE_SIZE> t, uint8_t code)
{
  return EvKindByte(t, code, EK_KIND);
}
inline uint8_t EvShow(std::span<const uint8_t, EVENT_KIND_TABLE_SIZE> t, uint8_t code)
{
  return EvKindByte(t, code, EK_SHOW);
}
inline uint8_t EvCorr(std::span<const uint8_t, EVENT_KIND_TABLE_SIZE> t, uint8_t code)
{
  return EvKindByte(t, code, EK_CORR);
}
inline uint8_t EvTrack(std::span<const uint8_t, EVENT_KIND_TABLE_SIZE> t, uint8_t code)
{
  return EvKindByte(t, code, EK_TRACK);
}
inline uint8_t EvState(std::span<const uint8_t, EVENT_KIND_TABLE_SIZE> t, uint8_t code)
{
  return EvKindByte(t, code, EK_STATE);
}
// Description text of a code (Windows-1250), read through its length byte.
std::string EvDescription(std::span<const uint8_t, EVENT_KIND_TABLE_SIZE> table, uint8_t code);

// Steps through the records of an event register. A record is its code and as many bytes in
// all as the code's entry gives; a gap (decoder kind Skip) is its code, a count byte and that
// many filler bytes, or ends the register when the count is the end marker. The walker only
// knows how a step moves on: where a walk stops (a record cut by the end of the data, an
// undefined code, the end marker) is each caller's rule, and it tests it before moving on.
class TEvRecordWalker {
public:
  TEvRecordWalker(std::span<const uint8_t> data, std::span<const uint8_t, EVENT_KIND_TABLE_SIZE> table)
      : FData(data), FTable(table)
  {}
  bool AtEnd() const { return FOffset >= FData.size(); }
  size_t Offset() const { return FOffset; }
  // The code at the offset and its entry's fields; not to be asked at the end.
  uint8_t Code() const { return FData[FOffset]; }
  uint8_t Length() const { return EvLength(FTable, Code()); }  // 0: an undefined code
  bool IsGap() const { return EvKind(FTable, Code()) == EventDecoderKind::Skip; }
  // A gap's count byte; nullopt when the data ends before it.
  std::optional<uint8_t> GapCount() const;
  // A gap whose count is the end marker.
  bool IsEndMarker() const { return IsGap() && GapCount() == EventCode::SkipEndMarker; }
  // Whether the record's bytes end within the data.
  bool RecordFits() const { return FOffset + Length() <= FData.size(); }
  // The record's bytes; only when RecordFits().
  std::span<const uint8_t> Record() const { return FData.subspan(FOffset, Length()); }
  // Past the record, or past the gap and its filler. After an undefined code or a gap without
  // its count byte the walk is at its end: nothing tells how far such a step reaches.
  void Next();

private:
  std::span<const uint8_t> FData;
  std::span<const uint8_t, EVENT_KIND_TABLE_SIZE> FTable;
  size_t FOffset = 0;
};
