// Number text that never depends on the C locale.
//
// The GUI toolkit sets the process locale from the environment at start-up, so the C
// conversion functions would follow whatever the user's desktop says. Every number text
// the program writes or reads goes through these functions with an explicit separator.
#pragma once

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/Codepage.h"

struct TFormatSettings {
  char DecimalSeparator = ',';
  char ThousandSeparator = '\xA0';  // the no-break space of Polish number text
  char DateSeparator = '-';
  char TimeSeparator = ':';
  std::string ShortDateFormat = "yyyy-mm-dd";
  std::string LongTimeFormat = "hh:nn:ss";
  std::string ShortTimeFormat = "hh:nn";
  // Names for the format letters mmm, mmmm, ddd and dddd (Polish, as the users' desktops
  // had them); days start with Sunday.
  std::array<std::string, 12> ShortMonthNames = {"sty", "lut", "mar", "kwi",    "maj", "cze",
                                                 "lip", "sie", "wrz", "paź"_cp, "lis", "gru"};
  std::array<std::string, 12> LongMonthNames = {"styczeń"_cp,  "luty",           "marzec",   "kwiecień"_cp,
                                                "maj",         "czerwiec",       "lipiec",   "sierpień"_cp,
                                                "wrzesień"_cp, "październik"_cp, "listopad", "grudzień"_cp};
  std::array<std::string, 7> ShortDayNames = {"N", "Pn", "Wt", "Śr"_cp, "Cz", "Pt", "So"};
  std::array<std::string, 7> LongDayNames = {"niedziela", "poniedziałek"_cp, "wtorek", "środa"_cp,
                                             "czwartek",  "piątek"_cp,       "sobota"};
};

// The utility's process-wide settings (',' "yyyy-mm-dd" "hh:nn:ss" until the main window
// sets them).
TFormatSettings& UtilityFormat();
// The library's own fixed settings: '.' as decimal separator.
const TFormatSettings& LibraryFormat();

// Raised by the throwing conversions (StrToInt, StrToFloat, EncodeDate, ...).
class EConvertError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

enum class TFloatFormat { General, Exponent, Fixed, Number };

// The general float text: at most `precision` significant digits, trailing zeros dropped,
// fixed form unless the decimal exponent is >= precision or below -4 (1E-5 -> "1E-5",
// 0.0001 -> "0,0001", 1E15 -> "1E15"). -0 gives "0"; infinities "INF"/"-INF", NaN "NAN".
std::string FloatToStr(double v, const TFormatSettings& fs, int precision = 15);
// General: as FloatToStr, `digits` = minimum exponent digits.
// Exponent: "-d,ddddE+ddd" with `precision` digits and at least `digits` exponent digits.
// Fixed: rounded to `precision` significant digits, then shown with `digits` decimals
//   (12.5, 7, 3 -> "12,500"); a value with more than `precision` integer digits falls back
//   to the general exponent form.
// Number: as Fixed, with thousand separators.
// Rounding is half away from zero on the exact binary value.
std::string FloatToStrF(double v, TFloatFormat f, int precision, int digits, const TFormatSettings& fs);
// "%.Nf"-style text: `decimals` digits after the separator; 15 significant digits, so the
// exponent form only appears from 16 integer digits on.
std::string FormatFixed(double v, int decimals, const TFormatSettings& fs);

// Parses "[blanks][sign]digits[sep digits][E[sign]digits][blanks]" with the given decimal
// separator. Anything else after the number, a second separator, an empty mantissa or a
// value beyond the double range is an error; a value below the smallest double reads 0.
[[nodiscard]] bool TryStrToFloat(std::string_view s, double& out, char decimalSeparator);
// Throws EConvertError "'<s>' is not a valid floating point value".
double StrToFloat(std::string_view s, char decimalSeparator);
double StrToFloatDef(std::string_view s, double def, char decimalSeparator);

// Pascal integer text: leading blanks, an optional sign, decimal digits or '$' (also "0x")
// followed by hexadecimal digits. Hexadecimal wraps to the type's width ("$FFFFFFFF" is
// -1); decimal must lie in range. Trailing characters of any kind are an error.
[[nodiscard]] bool TryStrToInt(std::string_view s, int32_t& out);
[[nodiscard]] bool TryStrToInt64(std::string_view s, int64_t& out);
int32_t StrToIntDef(std::string_view s, int32_t def);
int64_t StrToInt64Def(std::string_view s, int64_t def);
// Throws EConvertError "'<s>' is not a valid integer value".
int32_t StrToInt(std::string_view s);

// Text to Boolean: a number (0 is false, any other true) or the words True / False in any
// letter case. Throws EConvertError "'<s>' is not a valid boolean value".
[[nodiscard]] bool TryStrToBool(std::string_view s, bool& out, char decimalSeparator = ',');
bool StrToBool(std::string_view s, char decimalSeparator = ',');
// "-1" / "0", or "True" / "False" with useBoolStrs.
std::string BoolToStr(bool b, bool useBoolStrs = false);

std::string IntToStr(int64_t v);
// Upper-case hexadecimal with at least `digits` digits.
std::string IntToHex(uint64_t v, int digits);

// The runtime's Round: halves go to the even neighbour (2.5 -> 2, 3.5 -> 4, -2.5 -> -2).
// NaN reads 0; values beyond the int64 range saturate (use TryRoundHalfEven to detect).
int64_t RoundHalfEven(double v);
[[nodiscard]] bool TryRoundHalfEven(double v, int64_t& out);
[[nodiscard]] bool TryRoundToInt32(double v, int32_t& out);

// Truncation toward zero; false for NaN and for results outside the type, never UB.
[[nodiscard]] bool TryDoubleToInt32(double v, int32_t& out);
[[nodiscard]] bool TryDoubleToInt64(double v, int64_t& out);
// As above, throwing EConvertError when the value does not fit.
int32_t TruncToInt32Checked(double v);
int64_t TruncToInt64Checked(double v);
// Truncation that clamps to the type's range (NaN reads 0).
int32_t TruncToInt32Saturated(double v);
