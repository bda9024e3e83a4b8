#pragma once
// The chart options dialog's state and rules, without a toolkit: the working copies the
// dialog edits, what it loads from the chart, what leaving an edit or a spin button does to
// its text, and what OK gives back. The dialog (charts/ui/Graphdlg.h) only wires widgets to it.
//
// Texts are Windows-1250 bytes; numbers are read and written with the utility's settings.

#include <cstdint>
#include <string>
#include <string_view>

#include "charts/GraphModel.h"

// The message a text that is no number gets, as the number parser words it.
std::string ConversionErrorText(std::string_view Text);
// The message a number the chart cannot work with gets: "Wartość spoza zakresu: " and the text.
std::string RangeErrorText(std::string_view Text);

// A spin button: the number in Text plus (Up) or minus 0.1, written back as the general float
// text, without bounds. A text that is no number gets the conversion message and stays.
[[nodiscard]] bool SpinText(std::string& Text, bool Up);

class TGraphSetupState {
public:
  uint8_t CopyRange = 1;  // 1 the whole time axis, 0 between the cursors
  TColorRef MajorColor = 0;
  TColorRef MinorColor = 0;
  bool ShowMajor = false;
  bool ShowMinor = false;
  double dXPerDiv = 1.0;
  uint16_t dXLen = 10;
  uint16_t MinorGridCnt = 4;
  // The grid widths live only as the texts of their edits.
  std::string MajorWidthText;
  std::string MinorWidthText;

  // Copies the chart's values; each width as the general float text cut to 4 characters.
  void Load(const TGraphModel& Model);

  // The texts the scaling edits show.
  std::string dXPerDivText() const;
  std::string dXLenText() const;
  std::string MinorGridCntText() const;

  // Leaving a scaling edit. A text that is no number gets the conversion message; a value
  // the chart cannot work with (a division of 0 or less, a length outside 1..65535 once
  // rounded, a minor count outside 0..65535) gets the range message. The old value stays
  // then, and the result is false.
  [[nodiscard]] bool TakedXPerDiv(std::string_view Text);
  [[nodiscard]] bool TakedXLen(std::string_view Text);
  [[nodiscard]] bool TakeMinorGridCnt(std::string_view Text);

  // OK: both width texts are read first; when either is no number its message is shown
  // and nothing is taken (false). Otherwise the chart takes every value (widths as their
  // absolute values), and then its zoom: the fitting one with autoscale, under the update
  // lock so the scroll range follows without a redraw.
  bool Apply(TGraphModel& Model) const;
};

// After the dialog, OK or Cancel: the cursors are laid out under the update lock and the
// chart is drawn again in full.
void AfterSetupDialog(TGraphModel& Model);
