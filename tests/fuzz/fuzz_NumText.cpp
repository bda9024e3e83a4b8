// Any bytes as number text: the parsers never misbehave, and every double they return
// survives the way back through the float text.
#include "platform/NumText.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  int32_t i32 = 0;
  int64_t i64 = 0;
  if (TryStrToInt(text, i32) && StrToIntDef(IntToStr(i32), i32 + 1) != i32)
    std::abort();
  (void)TryStrToInt64(text, i64);
  double v = 0;
  if (TryStrToFloat(text, v, ',')) {
    TFormatSettings fs;
    double back = 0;
    if (!TryStrToFloat(FloatToStr(v, fs, 17), back, ',') || back != v)
      std::abort();
    (void)FloatToStrF(v, TFloatFormat::Fixed, 15, int(size % 20), fs);
    (void)FloatToStrF(v, TFloatFormat::Number, 7, 3, fs);
    (void)FloatToStrF(v, TFloatFormat::Exponent, int(size % 19), 2, fs);
    int64_t r = 0;
    (void)TryRoundHalfEven(v, r);
    (void)RoundHalfEven(v);
    (void)TryDoubleToInt32(v, i32);
  }
  if (size >= 8) {
    // The raw bytes as a double: every bit pattern, NaNs and subnormals included.
    double raw = 0;
    uint64_t bits = 0;
    for (int k = 0; k < 8; ++k)
      bits |= uint64_t(data[k]) << (8 * k);
    static_assert(sizeof raw == sizeof bits);
    __builtin_memcpy(&raw, &bits, sizeof raw);
    TFormatSettings fs;
    const std::string s = FloatToStr(raw, fs, 17);
    double back = 0;
    if (std::isfinite(raw) && (!TryStrToFloat(s, back, ',') || back != raw))
      std::abort();
    (void)FloatToStrF(raw, TFloatFormat::Fixed, 15, data[0] % 19, fs);
    (void)FormatFixed(raw, data[1] % 10, fs);
  }
  return 0;
}
