#pragma once
// Paints the chart's drawing requests with QPainter while keeping GDI's geometry: a line
// leaves out its end point and covers Width pixels centred on it, text is placed by its top,
// colours arrive as COLORREF integers. One entry point serves the panel's back buffer, the
// clipboard image and a printer page: the caller names the device's resolution in the request.

#include <QColor>
#include <QFont>
#include <QPainter>
#include <vector>

#include "charts/GraphDraw.h"

// $00BBGGRR as a colour; $FF0000nn, a system colour, as the matching palette role.
QColor ColorRefToQColor(TColorRef Color);

// The chart's font (Arial 9 points, served by the metric-compatible Liberation Sans) sized in
// pixels for a device of the given vertical resolution.
QFont ChartFont(int PpiY);

class TQtChartCanvas : public IChartCanvas {
public:
  TQtChartCanvas(QPainter& Painter, int PpiY);
  TCharMetrics SelectChartFont() override;
  void Line(int64_t X1, int64_t Y1, int64_t X2, int64_t Y2, int Width, TColorRef Color,
            TPenStyle Style) override;
  void Bar(int64_t X1, int64_t X2, int64_t RowTop, int64_t Rows, TColorRef Color, TPenStyle Style) override;
  void Text(int64_t X, int64_t Y, std::string_view Bytes, TColorRef Color, bool Opaque,
            TColorRef Background) override;

  // A GDI Rectangle: outline in the pen colour over Left..Right-1 x Top..Bottom-1, the inside
  // filled with the brush.
  static void GdiRectangle(QPainter& P, const QRect& R, const QColor& Pen, const QColor& Brush);

private:
  // One pixel-wide run from A towards B (B left out) along the line's axis, dashed by Style.
  void Run(bool Horizontal, int64_t Fixed, int64_t A, int64_t B, int Width, const QColor& C, TPenStyle Style);
  QPainter& FPainter;
  int FPpiY;
  QFont FFont;
  QRect FBounds;
};

// Draws one request onto the painter's device.
void RenderChart(QPainter& Painter, TGraphModel& Model, const TDrawRequest& Request,
                 std::vector<TBandRecord>* Recorded = nullptr);
