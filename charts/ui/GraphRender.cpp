#include "charts/ui/GraphRender.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPaintDevice>
#include <QPalette>
#include <algorithm>
#include <array>
#include <span>

#include "platform/qt/QtText.h"

namespace {

// Coordinates handed to Qt stay well inside int; anything beyond is off every device anyway.
constexpr int64_t COORD_LIMIT = 1 << 28;

int ToCoord(int64_t V) { return static_cast<int>(std::clamp<int64_t>(V, -COORD_LIMIT, COORD_LIMIT)); }

// Dash patterns of the cosmetic pens, in pixels: on, off, on, off...
constexpr std::array<int, 2> DASH{18, 6};
constexpr std::array<int, 2> DOT{3, 3};
constexpr std::array<int, 4> DASH_DOT{9, 6, 3, 6};
constexpr std::array<int, 6> DASH_DOT_DOT{9, 3, 3, 3, 3, 3};

std::span<const int> PatternOf(TPenStyle S)
{
  switch (S) {
  case TPenStyle::Dash:
    return DASH;
  case TPenStyle::Dot:
    return DOT;
  case TPenStyle::DashDot:
    return DASH_DOT;
  case TPenStyle::DashDotDot:
    return DASH_DOT_DOT;
  default:
    return {};
  }
}

QPalette::ColorRole SystemColorRole(unsigned Index)
{
  switch (Index) {
  case 1:
    return QPalette::Window;  // desktop
  case 5:
    return QPalette::Base;  // window
  case 6:
    return QPalette::Shadow;  // window frame
  case 8:
    return QPalette::Text;  // window text
  case 9:
    return QPalette::WindowText;  // caption text
  case 13:
    return QPalette::Highlight;
  case 14:
    return QPalette::HighlightedText;
  case 15:
    return QPalette::Button;  // button face
  case 16:
    return QPalette::Dark;  // button shadow
  case 17:
    return QPalette::PlaceholderText;  // grey text
  case 18:
    return QPalette::ButtonText;
  case 20:
    return QPalette::Light;  // button highlight
  case 21:
    return QPalette::Shadow;  // 3D dark shadow
  case 22:
    return QPalette::Midlight;  // 3D light
  case 23:
    return QPalette::ToolTipText;
  case 24:
    return QPalette::ToolTipBase;
  default:
    return QPalette::Window;
  }
}

}  // namespace

QColor ColorRefToQColor(TColorRef Color)
{
  if ((Color >> 24) == 0xFF) {
    const QPalette Pal = QApplication::palette();
    return Pal.color(QPalette::Active, SystemColorRole(Color & 0xFF));
  }
  return QColor(static_cast<int>(Color & 0xFF), static_cast<int>((Color >> 8) & 0xFF),
                static_cast<int>((Color >> 16) & 0xFF));
}

QFont ChartFont(int PpiY)
{
  QFont F(QStringLiteral("Liberation Sans"));
  F.setStyleHint(QFont::SansSerif);
  // A point size turned into device pixels the way the font height was always computed:
  // 9 * ppi / 72, rounded half up.
  F.setPixelSize(std::max(1, (9 * std::max(PpiY, 1) + 36) / 72));
  F.setWeight(QFont::Normal);
  F.setItalic(false);
  F.setKerning(false);
  return F;
}

TQtChartCanvas::TQtChartCanvas(QPainter& Painter, int PpiY)
    : FPainter(Painter), FPpiY(PpiY), FFont(ChartFont(PpiY))
{
  const QPaintDevice* D = Painter.device();
  FBounds = D ? QRect(0, 0, D->width(), D->height()) : QRect(0, 0, COORD_LIMIT, COORD_LIMIT);
  FPainter.setRenderHint(QPainter::Antialiasing, false);
  FPainter.setRenderHint(QPainter::TextAntialiasing, true);
}

TCharMetrics TQtChartCanvas::SelectChartFont()
{
  FPainter.setFont(FFont);
  const QFontMetrics FM(FFont, FPainter.device());
  return TCharMetrics{FM.horizontalAdvance(QLatin1Char('A')), FM.height()};
}

void TQtChartCanvas::Run(bool Horizontal, int64_t Fixed, int64_t A, int64_t B, int Width, const QColor& C,
                         TPenStyle Style)
{
  if (A == B || Style == TPenStyle::Clear || Width < 1)
    return;
  const int64_t Dir = B > A ? 1 : -1;
  const int64_t N = (B - A) * Dir;  // pixels A, A + Dir, ..., B - Dir
  const int64_t Across = Fixed - Width / 2;
  // Visible part of the run, as steps from A.
  const int64_t Lo = Horizontal ? FBounds.left() : FBounds.top();
  const int64_t Hi = Horizontal ? FBounds.right() : FBounds.bottom();
  int64_t S0 = 0, S1 = N - 1;
  if (Dir > 0) {
    S0 = std::max<int64_t>(S0, Lo - A);
    S1 = std::min<int64_t>(S1, Hi - A);
  } else {
    S0 = std::max<int64_t>(S0, A - Hi);
    S1 = std::min<int64_t>(S1, A - Lo);
  }
  if (S0 > S1)
    return;
  auto Fill = [&](int64_t From, int64_t To) {  // steps From..To inclusive
    const int64_t P1 = A + Dir * From, P2 = A + Dir * To;
    const int64_t First = std::min(P1, P2);
    const int Len = static_cast<int>(std::max(P1, P2) - First + 1);
    if (Horizontal)
      FPainter.fillRect(QRect(ToCoord(First), ToCoord(Across), Len, Width), C);
    else
      FPainter.fillRect(QRect(ToCoord(Across), ToCoord(First), Width, Len), C);
  };
  const std::span<const int> Pattern = PatternOf(Style);
  if (Pattern.empty()) {
    Fill(S0, S1);
    return;
  }
  int64_t Period = 0;
  for (int L : Pattern)
    Period += L;
  // The pattern keeps its phase from the line's start, also where the start is clipped off.
  int64_t Pos = S0 - (S0 % Period);
  size_t K = 0;
  while (Pos <= S1) {
    const int64_t End = Pos + Pattern[K] - 1;
    if (K % 2 == 0 && End >= S0)
      Fill(std::max(Pos, S0), std::min(End, S1));
    Pos = End + 1;
    K = (K + 1) % Pattern.size();
  }
}

void TQtChartCanvas::Line(int64_t X1, int64_t Y1, int64_t X2, int64_t Y2, int Width, TColorRef Color,
                          TPenStyle Style)
{
  const QColor C = ColorRefToQColor(Color);
  if (Y1 == Y2) {
    Run(true, Y1, X1, X2, Width, C, Style);
  } else if (X1 == X2) {
    Run(false, X1, Y1, Y2, Width, C, Style);
  } else {
    // The chart draws only straight axis-parallel lines; anything else goes to Qt as is.
    QPen Pen(C);
    Pen.setWidth(Width);
    FPainter.setPen(Pen);
    FPainter.drawLine(ToCoord(X1), ToCoord(Y1), ToCoord(X2), ToCoord(Y2));
  }
}

void TQtChartCanvas::Bar(int64_t X1, int64_t X2, int64_t RowTop, int64_t Rows, TColorRef Color,
                         TPenStyle Style)
{
  if (Rows <= 0 || X1 == X2 || Style == TPenStyle::Clear)
    return;
  if (Style == TPenStyle::Solid) {
    // T solid one-pixel lines are one filled block.
    const int64_t Left = X1 < X2 ? X1 : X2 + 1;
    const int64_t Right = X1 < X2 ? X2 - 1 : X1;
    const int64_t Top = std::max<int64_t>(RowTop, FBounds.top());
    const int64_t Bottom = std::min<int64_t>(RowTop + Rows - 1, FBounds.bottom());
    const int64_t L = std::max<int64_t>(Left, FBounds.left());
    const int64_t R = std::min<int64_t>(Right, FBounds.right());
    if (L > R || Top > Bottom)
      return;
    FPainter.fillRect(QRect(static_cast<int>(L), static_cast<int>(Top), static_cast<int>(R - L + 1),
                            static_cast<int>(Bottom - Top + 1)),
                      ColorRefToQColor(Color));
    return;
  }
  IChartCanvas::Bar(X1, X2, RowTop, Rows, Color, Style);
}

void TQtChartCanvas::Text(int64_t X, int64_t Y, std::string_view Bytes, TColorRef Color, bool Opaque,
                          TColorRef Background)
{
  if (Bytes.empty())
    return;
  const QString S = ToQ(Bytes);
  const QFontMetrics FM(FFont, FPainter.device());
  const int Px = ToCoord(X), Py = ToCoord(Y);
  if (Opaque)
    FPainter.fillRect(QRect(Px, Py, FM.horizontalAdvance(S), FM.height()), ColorRefToQColor(Background));
  FPainter.setPen(ColorRefToQColor(Color));
  FPainter.drawText(QPoint(Px, Py + FM.ascent()), S);
}

void TQtChartCanvas::GdiRectangle(QPainter& P, const QRect& R, const QColor& Pen, const QColor& Brush)
{
  if (R.width() <= 0 || R.height() <= 0)
    return;
  // QRect(x, y, w, h) covers exactly the pixels of GDI's Rectangle(x, y, x + w, y + h). The
  // outline and the inside never overlap, so a raster operation touches each pixel once.
  const int L = R.left(), T = R.top(), W = R.width(), H = R.height();
  P.fillRect(QRect(L, T, W, 1), Pen);
  if (H > 1)
    P.fillRect(QRect(L, T + H - 1, W, 1), Pen);
  if (H > 2) {
    P.fillRect(QRect(L, T + 1, 1, H - 2), Pen);
    if (W > 1)
      P.fillRect(QRect(L + W - 1, T + 1, 1, H - 2), Pen);
    if (W > 2)
      P.fillRect(QRect(L + 1, T + 1, W - 2, H - 2), Brush);
  }
}

void RenderChart(QPainter& Painter, TGraphModel& Model, const TDrawRequest& Request,
                 std::vector<TBandRecord>* Recorded)
{
  Painter.save();
  TQtChartCanvas Canvas(Painter, Request.PpiY);
  DrawChart(Model, Request, Canvas, Recorded);
  Painter.restore();
}
