#include "charts/Extgraph.h"

#include <cmath>

#include "platform/NumText.h"

long double RoundExtended(long double X)
{
  if (!std::isfinite(X))
    return X;
  const long double lower = std::floor(X);
  const long double frac = X - lower;  // exact: both lie within one unit of each other
  if (frac > 0.5L)
    return lower + 1;
  if (frac < 0.5L)
    return lower;
  return std::fmod(lower, 2.0L) == 0 ? lower : lower + 1;
}

long double MmToPixels(int PixelsPerInch, long double Mm) { return Mm * PixelsPerInch / 25.4L; }

long double PixelsToMm(int PixelsPerInch, long double Pixels)
{
  if (PixelsPerInch == 0)
    return 0;
  return Pixels * 25.4L / PixelsPerInch;
}

long double ValueToLength(long double DivLength, long double PerDiv, long double Value)
{
  if (PerDiv == 0)
    return 0;
  return DivLength * (Value / PerDiv);
}

long double ScalePercent(int WidthPixels, int PixelsPerInch, long double DivLength, long double PerDiv,
                         long double Lo, long double Hi)
{
  if (Hi == Lo || DivLength == 0 || PerDiv == 0 || WidthPixels == 0 || PixelsPerInch == 0)
    return 100;
  return PixelsToMm(PixelsPerInch, WidthPixels) * (PerDiv * 100) / DivLength / (Hi - Lo);
}

bool IsOnStep(long double Step, long double V)
{
  if (Step == 0)
    return false;
  const long double n = RoundExtended(V / Step);
  return std::fabs(V - Step * n) < Step / 100;
}

long double RoundToStep(long double Step, long double V)
{
  if (Step == 0)
    return V;
  const long double m = Step * RoundExtended(V / Step);
  return V <= m ? m : m + Step;
}

long double NextMinorTick(int MinorPerDiv, long double PerDiv, long double V)
{
  const long double parts = static_cast<long double>(MinorPerDiv) + 1;
  if (parts == 0)
    return V;
  return V + PerDiv / parts;
}

void ValueToText([[maybe_unused]] uint8_t Digits, std::string& S, double X)
{
  const double rounded = static_cast<double>(RoundExtended(X));
  int64_t whole = 0;
  if (TryDoubleToInt64(rounded, whole))
    S = IntToStr(whole);
  else
    S = FloatToStr(rounded, LibraryFormat());
}
