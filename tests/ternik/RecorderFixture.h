// Builds recorder files for the tests from their field layouts: each field is written at its
// offset in the chosen byte order, so a fixture reads as the layout table it comes from.
#pragma once

#include <bit>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ternik/ComTrade3Unit.h"
#include "ternik/ComTrade3UnitInterface.h"
#include "ternik/ComTrade3UnitModel.h"
#include "ternik/ComTrade3UnitStream.h"

#include <cmath>
#include <gtest/gtest.h>

#include "tests/ternik/TernikTestSupport.h"

class TFixture {
public:
  explicit TFixture(bool bigEndian = false, size_t size = 0) : BigEndian(bigEndian), Bytes(size, '\0') {}

  bool BigEndian;
  std::string Bytes;

  size_t Size() const { return Bytes.size(); }
  TFixture& U8(size_t off, uint8_t v) { return Raw(off, v, 1); }
  TFixture& U16(size_t off, uint16_t v) { return Raw(off, v, 2); }
  TFixture& I16(size_t off, int16_t v) { return Raw(off, uint16_t(v), 2); }
  TFixture& U32(size_t off, uint32_t v) { return Raw(off, v, 4); }
  TFixture& I32(size_t off, int32_t v) { return Raw(off, uint32_t(v), 4); }
  TFixture& F32(size_t off, float v) { return Raw(off, std::bit_cast<uint32_t>(v), 4); }
  TFixture& F64(size_t off, double v) { return Raw(off, std::bit_cast<uint64_t>(v), 8); }
  // Characters without a terminator (a zero-filled field ends them).
  TFixture& Text(size_t off, std::string_view s)
  {
    Grow(off + s.size());
    Bytes.replace(off, s.size(), s);
    return *this;
  }
  // A length byte, then the characters.
  TFixture& LenText(size_t off, std::string_view s, int lengthByte = -1)
  {
    U8(off, uint8_t(lengthByte < 0 ? s.size() : size_t(lengthByte)));
    return Text(off + 1, s);
  }
  // Appends another fixture's bytes, or raw bytes.
  TFixture& Append(std::string_view bytes)
  {
    Bytes += bytes;
    return *this;
  }
  TFixture& Append(const TFixture& other) { return Append(other.Bytes); }
  // Offsets relative to the current end for appending fields one after another.
  size_t End() const { return Bytes.size(); }
  TFixture& Pad(size_t size)
  {
    Grow(size);
    return *this;
  }

private:
  TFixture& Raw(size_t off, uint64_t v, size_t width)
  {
    Grow(off + width);
    for (size_t i = 0; i < width; ++i) {
      const size_t shift = BigEndian ? 8 * (width - 1 - i) : 8 * i;
      Bytes[off + i] = char(uint8_t(v >> shift));
    }
    return *this;
  }
  void Grow(size_t size)
  {
    if (Bytes.size() < size)
      Bytes.resize(size, '\0');
  }
};

inline TStreamArray OneStream(const std::string& bytes)
{
  TStreamArray s;
  s.push_back(std::make_unique<TMemoryStream>(bytes));
  return s;
}

// Messages collected from a load.
struct THookLog {
  std::vector<std::string> Texts;
  TMessageHook Hook()
  {
    return [this](const std::string& t) { Texts.push_back(t); };
  }
};

// The message of the exception a call raises; empty when it raises none.
template <class F>
std::string ErrorOf(F&& f)
{
  try {
    f();
  } catch (const std::exception& e) {
    return e.what();
  }
  return {};
}

// Saves a loaded recording as a COMTRADE set (ASCII data: the raw values of some recorders
// do not fit 16 bits) and loads it back; channels, times and every sample must come back.
// Analog values are compared in the primary mode, within tolerance (0: to rounding of the
// configuration's 16 decimals).
// Answers the data stream that was written.
inline std::string ExpectComtradeRoundTrip(TComtrade& rec, double tolerance = 0,
                                           const std::string& fileType = "ASCII")
{
  TLibraryScope library;
  TStringArray names;
  TStreamArray streams;
  ComtradeInterface().SaveToStreams(rec, names, false, false, fileType, streams, 0, 0);
  const int32_t dat = IndexOfFileExt(".DAT", names);
  const std::string data =
      dat >= 0 ? static_cast<TMemoryStream&>(*streams[size_t(dat)]).Data() : std::string();
  TComtrade back;
  ComtradeInterface().LoadFromStreams(back, names, "", streams, {});
  EXPECT_EQ(back.GetSampleCount(), rec.GetSampleCount());
  EXPECT_EQ(back.Analogs->Count(), rec.Analogs->Count());
  EXPECT_EQ(back.Statuses->Count(), rec.Statuses->Count());
  if (back.GetSampleCount() != rec.GetSampleCount() || back.Analogs->Count() != rec.Analogs->Count() ||
      back.Statuses->Count() != rec.Statuses->Count())
    return data;
  // A COMTRADE configuration holds no comma inside a field.
  EXPECT_EQ(back.FileParam.StationName, TComtradeInterface::CommaToDot(rec.FileParam.StationName));
  EXPECT_EQ(back.FileParam.RecordingDeviceId, rec.FileParam.RecordingDeviceId);
  EXPECT_EQ(back.FileParam.TriggerTime.FormatText(), rec.FileParam.TriggerTime.FormatText());
  EXPECT_EQ(back.FileParam.StartTime.FormatText(), rec.FileParam.StartTime.FormatText());
  for (int32_t i = 0; i < rec.GetSampleCount(); ++i)
    EXPECT_NEAR(back.Rates->GetTime(i), rec.Rates->GetTime(i), 1e-6) << i;
  for (int32_t c = 0; c < rec.Analogs->Count(); ++c) {
    const TAnalogDescr& a = rec.Analogs->Items(c);
    const TAnalogDescr& b = back.Analogs->Items(c);
    EXPECT_EQ(b.ChannelId, a.ChannelId);
    EXPECT_EQ(b.Units, a.Units);
    for (int32_t i = 0; i < rec.GetSampleCount(); ++i) {
      bool okA = false, okB = false;
      const double va = a.GetValueEx(DataModePrimary, i, okA), vb = b.GetValueEx(DataModePrimary, i, okB);
      EXPECT_TRUE(okA && okB);
      EXPECT_NEAR(vb, va, tolerance > 0 ? tolerance : 1e-9 * (1 + std::fabs(va))) << a.ChannelId << " " << i;
    }
  }
  for (int32_t c = 0; c < rec.Statuses->Count(); ++c)
    for (int32_t i = 0; i < rec.GetSampleCount(); ++i)
      EXPECT_EQ(back.Statuses->Items(c).GetSample(i), rec.Statuses->Items(c).GetSample(i)) << c << " " << i;
  return data;
}
