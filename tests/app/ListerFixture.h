// Builds event registers for the lister tests.
//
// Tests describe what happened in time order (a clock record, then events with the ticks
// since the event before them); the controller stores its register newest first, so the
// builder writes the records in reverse order and closes the data with the end marker.
// Ticks are written big-endian, in units of 2.5 ms, as the controller does.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

namespace listerfx {

class TRegisterBuilder {
public:
  // Clock record 243: minute, hour, day, month, year byte (year 1900 + v for v >= 99,
  // else 2000 + v).
  TRegisterBuilder& Clock(int year, int month, int day, int hour, int minute)
  {
    int y = year >= 2000 && year < 2099 ? year - 2000 : year - 1900;
    return Raw({243, uint8_t(minute), uint8_t(hour), uint8_t(day), uint8_t(month), uint8_t(y)});
  }
  // Any timed record: code, ticks (big-endian), then the payload bytes 3...
  TRegisterBuilder& Event(uint8_t code, uint16_t ticks, std::initializer_list<uint8_t> payload = {})
  {
    std::vector<uint8_t> r{code, uint8_t(ticks >> 8), uint8_t(ticks & 0xFF)};
    r.insert(r.end(), payload.begin(), payload.end());
    FRecords.push_back(std::move(r));
    return *this;
  }
  // Skip record 240: n filler bytes follow the length byte.
  TRegisterBuilder& Skip(uint8_t n, uint8_t filler = 0xEE)
  {
    std::vector<uint8_t> r{240, n};
    r.insert(r.end(), n, filler);
    FRecords.push_back(std::move(r));
    return *this;
  }
  // Bytes taken as one record, as given.
  TRegisterBuilder& Raw(std::initializer_list<uint8_t> bytes)
  {
    FRecords.emplace_back(bytes);
    return *this;
  }
  TRegisterBuilder& Raw(const std::vector<uint8_t>& bytes)
  {
    FRecords.push_back(bytes);
    return *this;
  }
  // Leaves the end marker off (a register that runs to the end of its data).
  TRegisterBuilder& NoEndMarker()
  {
    FEndMarker = false;
    return *this;
  }

  // The register as stored: newest record first, then the end marker (240, 127).
  std::vector<uint8_t> Bytes() const
  {
    std::vector<uint8_t> out;
    for (auto it = FRecords.rbegin(); it != FRecords.rend(); ++it)
      out.insert(out.end(), it->begin(), it->end());
    if (FEndMarker) {
      out.push_back(240);
      out.push_back(127);
    }
    return out;
  }

private:
  std::vector<std::vector<uint8_t>> FRecords;
  bool FEndMarker = true;
};

}  // namespace listerfx

#include <array>
#include <span>
#include <cctype>
#include <string>
#include <utility>

#include "app/events/EventKinds.h"
#include "app/events/Lister.h"
#include "platform/NumText.h"

namespace listerfx {

// The number and date formats the main window sets (decimal comma, year-first dates).
inline void SetFormats()
{
  UtilityFormat().DecimalSeparator = ',';
  UtilityFormat().ShortDateFormat = "yyyy-mm-dd";
  UtilityFormat().LongTimeFormat = "hh:nn:ss";
}

// A case's description as a test name: letters and digits kept, anything else '_'.
inline std::string TestName(std::string description)
{
  for (char& ch : description)
    if (!std::isalnum(static_cast<unsigned char>(ch)))
      ch = '_';
  return description;
}

// A document as the lister reads it, from plain fields.
class TFixtureDocument : public IEvDocument {
public:
  explicit TFixtureDocument(int model = 2) : Model(model), Table(::EventKindTable(model)) {}

  std::vector<uint8_t> Register;
  std::array<uint8_t, 6> Options{0x1F, 1, 1, 1, 1, 0};
  int Model;
  TEventKindTable Table;
  int Corrections[4] = {0, -5, 15, -30};
  bool SysLogic = false;
  bool StnBelch = false;

  std::span<const uint8_t> EvRegister() const override { return Register; }
  std::array<uint8_t, 6> ReadOptions() const override { return Options; }
  int KivType() const override { return Model; }
  std::span<const uint8_t> EventKindTable() const override { return Table; }
  int Correction(int kind) const override { return kind >= 1 && kind <= 3 ? Corrections[kind] : 0; }
  bool ImplementsSysLogick() const override { return SysLogic; }
  bool UseStnBelch() const override { return StnBelch; }

  void ShowAll(bool on) { Options[5] = on ? 1 : 0; }
  void Correct(bool on) { Options[4] = on ? 1 : 0; }
  // Gives a code another decoder kind (and length), as no shipped row does.
  void Patch(uint8_t code, uint8_t kind, uint8_t length)
  {
    Table[size_t(code) * EVENT_KIND_ENTRY_SIZE + EK_KIND] = kind;
    Table[size_t(code) * EVENT_KIND_ENTRY_SIZE + EK_LENGTH] = length;
  }
  void SetShow(uint8_t code, uint8_t show) { Table[size_t(code) * EVENT_KIND_ENTRY_SIZE + EK_SHOW] = show; }
};

// Collects lines with their style; bold lines carry "* " in front.
struct TLineCollector {
  std::vector<std::string> Lines;
  TEvLineFn Fn()
  {
    return [this](std::string_view line, TEvFontStyle style) {
      Lines.push_back((style == TEvFontStyle::Bold ? "* " : "") + std::string(line));
    };
  }
};

}  // namespace listerfx
