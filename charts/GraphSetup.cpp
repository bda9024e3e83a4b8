#include "charts/GraphSetup.h"

#include <cmath>

#include "platform/Codepage.h"
#include "platform/NumText.h"
#include "platform/Prompts.h"

namespace {

// The number in an edit, or the conversion message and false.
bool ReadNumber(std::string_view Text, double& V)
{
  if (TryStrToFloat(Text, V, UtilityFormat().DecimalSeparator) && std::isfinite(V))
    return true;
  Prompts().Error(ConversionErrorText(Text));
  return false;
}

// A number rounded the runtime's way into Lo..Hi, or the conversion message and false.
bool ReadRounded(std::string_view Text, int64_t Lo, int64_t Hi, uint16_t& Out)
{
  double V = 0;
  if (!ReadNumber(Text, V))
    return false;
  // Beyond the 64-bit integers the value is out of range before it is rounded.
  int64_t Unused = 0;
  const int64_t R = TryDoubleToInt64(V, Unused) ? RoundHalfEven(V) : Lo - 1;
  if (R < Lo || R > Hi) {
    Prompts().Error(RangeErrorText(Text));
    return false;
  }
  Out = static_cast<uint16_t>(R);
  return true;
}

std::string WidthText(long double W)
{
  std::string S = FloatToStr(static_cast<double>(W), UtilityFormat());
  if (S.size() > 4)
    S.resize(4);
  return S;
}

}  // namespace

std::string ConversionErrorText(std::string_view Text)
{
  return "'" + std::string(Text) + "' is not a valid floating point value";
}

std::string RangeErrorText(std::string_view Text) { return "Wartość spoza zakresu: "_cp + Text; }

bool SpinText(std::string& Text, bool Up)
{
  double V = 0;
  if (!ReadNumber(Text, V))
    return false;
  Text = FloatToStr(V + (Up ? 0.1 : -0.1), UtilityFormat());
  return true;
}

void TGraphSetupState::Load(const TGraphModel& M)
{
  CopyRange = M.CopyRangeAll() ? 1 : 0;
  MajorColor = M.MajorGridColor();
  MinorColor = M.MinorGridColor();
  MajorWidthText = WidthText(M.MajorGridWidth());
  MinorWidthText = WidthText(M.MinorGridWidth());
  ShowMajor = M.ShowMajorGrid();
  ShowMinor = M.ShowMinorGrid();
  dXPerDiv = M.dXPerDiv();
  dXLen = M.dXLen();
  MinorGridCnt = M.MinorGridCnt();
}

std::string TGraphSetupState::dXPerDivText() const { return FloatToStr(dXPerDiv, UtilityFormat()); }
std::string TGraphSetupState::dXLenText() const { return IntToStr(dXLen); }
std::string TGraphSetupState::MinorGridCntText() const { return IntToStr(MinorGridCnt); }

bool TGraphSetupState::TakedXPerDiv(std::string_view Text)
{
  double V = 0;
  if (!ReadNumber(Text, V))
    return false;
  // A division of 0 or less never reaches the end of the axis.
  if (!(V > 0)) {
    Prompts().Error(RangeErrorText(Text));
    return false;
  }
  dXPerDiv = V;
  return true;
}

bool TGraphSetupState::TakedXLen(std::string_view Text) { return ReadRounded(Text, 1, 65535, dXLen); }

bool TGraphSetupState::TakeMinorGridCnt(std::string_view Text)
{
  return ReadRounded(Text, 0, 65535, MinorGridCnt);
}

bool TGraphSetupState::Apply(TGraphModel& M) const
{
  double Major = 0, Minor = 0;
  if (!ReadNumber(MajorWidthText, Major) || !ReadNumber(MinorWidthText, Minor))
    return false;
  M.SetCopyRangeAll(CopyRange == 1);
  M.SetMajorGridColor(MajorColor);
  M.SetMinorGridColor(MinorColor);
  M.SetMajorGridWidth(std::fabs(Major));
  M.SetMinorGridWidth(std::fabs(Minor));
  M.SetShowMajorGrid(ShowMajor);
  M.SetShowMinorGrid(ShowMinor);
  M.SetdXPerDiv(dXPerDiv);
  M.SetdXLen(dXLen);
  M.SetMinorGridCnt(MinorGridCnt);
  // A new division changes the fitting zoom and the scroll range: both follow now, or the
  // chart would scroll and fit by the old values.
  const bool Was = M.UpdateLock();
  M.SetUpdateLock(true);
  M.SetScaleX(M.Autoscale() ? M.FittingScaleX() : M.ScaleX());
  M.SetUpdateLock(Was);
  return true;
}

void AfterSetupDialog(TGraphModel& M)
{
  const bool Was = M.UpdateLock();
  M.SetUpdateLock(true);
  M.NotifyLayoutCursors();
  M.SetUpdateLock(Was);
  M.NotifyRedraw();
}
