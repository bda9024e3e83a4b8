#pragma once
// The chart's one drawing routine, written against a small canvas interface so the same
// geometry serves the screen's back buffer, a clipboard bitmap and the printer. The canvas
// keeps GDI's rules: a line leaves out its end point, text is placed by its top-left corner.
//
// A drawing request names the target, its resolution, the plot rectangle, the traces and the
// value range. Every pixel position is computed in 64 bits; only positions clipped to the plot
// reach the canvas, so long sequences at high zoom on a fine printer cannot overflow.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "charts/GraphModel.h"

enum class TDrawTarget {
  Screen,   // the panel's back buffer: records the band rectangles, opaque captions
  Bitmap,   // another bitmap (the clipboard copy): only the selected traces
  Printer,  // a printed page: every trace of the page, transparent captions, the title
};

struct TDrawRequest {
  TDrawTarget Target = TDrawTarget::Screen;
  int PpiX = 96;
  int PpiY = 96;
  TGraphRect Plot;
  int FirstTrace = 1;  // 1-based, inclusive
  int LastTrace = 0;   // inclusive; clamped to the trace count
  double Start = 0;    // value at the plot's left edge
  double End = 0;      // value at the plot's right edge
  // Asked between ticks on the printer; true ends the drawing.
  std::function<bool()> Aborted;
};

// Width and height of "A" in the chart's font on the target.
struct TCharMetrics {
  int CharWidth = 0;
  int CharHeight = 0;
};

class IChartCanvas {
public:
  virtual ~IChartCanvas() = default;
  // Selects the chart's font at the target's resolution and tells its metrics.
  virtual TCharMetrics SelectChartFont() = 0;
  // A horizontal or vertical line from (X1, Y1) towards (X2, Y2), the end point left out;
  // Width in pixels, centred on the line.
  virtual void Line(int64_t X1, int64_t Y1, int64_t X2, int64_t Y2, int Width, TColorRef Color,
                    TPenStyle Style) = 0;
  // Rows RowTop .. RowTop + Rows - 1, each a one-pixel line from X1 towards X2.
  virtual void Bar(int64_t X1, int64_t X2, int64_t RowTop, int64_t Rows, TColorRef Color, TPenStyle Style);
  // Windows-1250 text with its top-left at (X, Y); Opaque fills the text box with Background.
  virtual void Text(int64_t X, int64_t Y, std::string_view Bytes, TColorRef Color, bool Opaque,
                    TColorRef Background) = 0;
};

// One band rectangle as recorded while drawing the screen.
struct TBandRecord {
  uint16_t Trace = 0;
  TGraphRect Rect;
};

// Draws the chart onto the canvas. With a Screen target the band rectangles are appended to
// Recorded (when given) for the caller to store.
void DrawChart(TGraphModel& Model, const TDrawRequest& Request, IChartCanvas& Canvas,
               std::vector<TBandRecord>* Recorded = nullptr);

// The tick marks of the time axis, as the drawing routine walks them.
struct TTick {
  double Value = 0;
  int64_t X = 0;  // pixels right of the plot's left edge
  bool Major = false;
  std::string Label;  // the label text of a major tick
  bool LabelDrawn = false;
  int64_t LabelX = 0;  // left of the label on the target
};
struct TTickParams {
  long double DivLengthMm = 0;  // one major division at the current zoom
  double PerDiv = 0;
  uint16_t MinorPerDiv = 0;
  int PpiX = 0;
  double Start = 0, End = 0;
  int64_t PlotLeft = 0, PlotRight = 0;
  int CharWidth = 0;
  size_t UnitTextLen = 0;
};
// The label of a major tick at Value on an axis of PerDiv per division. A whole PerDiv gives
// the whole numbers of ValueToText. Any other shows Value with as many decimals as PerDiv
// needs (the fewest that hold it within a relative 1e-9, looked for up to two places past its
// first significant decimal and at least up to three, else that many), without trailing
// zeros and with the utility's decimal separator: at 0.25 per division "0", "0,25", "0,5",
// ..., at 0.0005 "-0,2", "-0,1995", "-0,199", ...
std::string TickLabel(double PerDiv, double Value);

// The ticks from the first multiple of the minor step at or after Start up to the last one not
// above End and not right of the plot, in ascending order. Of the ticks that fall into one pixel
// column only the first major and the first minor one are returned, so there are at most two per
// column of the plot, and the work follows the plot's width, not the number of ticks. The walk
// also ends when a step no longer advances the value, or when Aborted says so.
std::vector<TTick> GenerateTicks(const TTickParams& P, const std::function<bool()>& Aborted = {});

// The clipboard copy's layout: span, sizes and the plot rectangle inside the bitmap.
struct TCopyPlan {
  double Start = 0, End = 0;
  int64_t SpanWidth = 0;    // W
  int64_t BandsHeight = 0;  // B
  int64_t AxisHeight = 0;   // A
  int64_t ImageWidth() const { return 10 + SpanWidth; }
  int64_t ImageHeight() const { return 10 + BandsHeight + AxisHeight; }
  TGraphRect Plot;  // meaningful only when the sizes fit 32 bits
};
// Nothing to copy (no trace selected, an empty span or no band height) gives nullopt.
std::optional<TCopyPlan> PlanClipboardCopy(TGraphModel& Model, double Cursor1, double Cursor2, int PpiX,
                                           int PpiY);
