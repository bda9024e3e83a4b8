#pragma once
// Sample records for the chart tests, built field by field.

#include "charts/GraphModel.h"

inline TChartSample ChartSample(double Time, int32_t Color = 0x0000FF, uint8_t Thickness = 10,
                                uint8_t Style = 0)
{
  TChartSample S;
  S.Time = Time;
  S.Color = Color;
  S.Thickness = Thickness;
  S.PenStyle = Style;
  return S;
}

// Zoom, division, division length and resolution, one of them 0: nothing to measure with.
struct TZeroLengthCase {
  int32_t ScaleX;
  double PerDiv;
  uint16_t Len;
  int Ppi;
};
inline constexpr TZeroLengthCase ZERO_LENGTH_CASES[] = {
    {0, 1, 10, 96}, {100, 0, 10, 96}, {100, 1, 0, 96}, {100, 1, 10, 0}};

#include "platform/NumText.h"
#include "platform/Prompts.h"

// For one test: scripted prompts installed and the utility's decimal comma, both put back
// when the scope ends.
struct TScriptedCommaScope {
  TScriptedCommaScope() : Old(SetPrompts(&P)), Saved(UtilityFormat())
  {
    UtilityFormat().DecimalSeparator = ',';
  }
  ~TScriptedCommaScope()
  {
    UtilityFormat() = Saved;
    SetPrompts(Old);
  }
  TScriptedCommaScope(const TScriptedCommaScope&) = delete;
  TScriptedCommaScope& operator=(const TScriptedCommaScope&) = delete;
  std::vector<std::string> Errors() const { return P.Texts(TScriptedPrompts::TKind::Error); }

  TScriptedPrompts P;
  IPrompts* Old;
  TFormatSettings Saved;
};
