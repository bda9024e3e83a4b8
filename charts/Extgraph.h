#pragma once
// Length and scale arithmetic of the time chart: millimetres and pixels, chart values and
// millimetres, the zoom that fits a range into a width, and the tick rules of the time axis.
//
// Everything is computed in extended precision (long double), as the chart's positions were
// always computed; "rounded" is to the nearest integer with ties to even. A zero divisor never
// reaches a division: each function states what it gives instead.

#include <cstdint>
#include <string>

// The time unit of the chart's values.
enum class TIntervalTimeType : uint8_t { None, mSeconds, Seconds, Minutes, Hours };

// Mm * PixelsPerInch / 25.4.
long double MmToPixels(int PixelsPerInch, long double Mm);
// Pixels * 25.4 / PixelsPerInch; 0 for a resolution of 0.
long double PixelsToMm(int PixelsPerInch, long double Pixels);
// DivLength * (Value / PerDiv): the length Value spans when one division of PerDiv units is
// DivLength long; 0 when PerDiv is 0.
long double ValueToLength(long double DivLength, long double PerDiv, long double Value);
// The zoom in percent at which Lo..Hi fills WidthPixels; 100 when any of the sizes is 0 or
// Lo equals Hi.
long double ScalePercent(int WidthPixels, int PixelsPerInch, long double DivLength, long double PerDiv,
                         long double Lo, long double Hi);
// True when V lies within a hundredth of Step of a multiple of Step; false for Step 0.
bool IsOnStep(long double Step, long double V);
// The multiple of Step nearest V, or the next one up when that lies below V; V for Step 0.
long double RoundToStep(long double Step, long double V);
// V + PerDiv / (MinorPerDiv + 1); V when MinorPerDiv is -1.
long double NextMinorTick(int MinorPerDiv, long double PerDiv, long double V);
// S := X rounded to an integer, as decimal text (sign and digits). Digits would limit the
// characters after a decimal separator, which an integer text never holds. A value beyond the
// 64-bit integers (or not a number) gives the general float text instead.
void ValueToText(uint8_t Digits, std::string& S, double X);

// Rounds to the nearest integer, ties to even, staying in extended precision.
long double RoundExtended(long double X);
