#include "charts/ui/GraphRender.h"

#include <QImage>
#include <QPainter>

#include "tests/ui/GraphFixture.h"

namespace {

constexpr QRgb WHITE = 0xFFFFFFFF;
constexpr QRgb BLACK = 0xFF000000;
constexpr QRgb RED = 0xFFFF0000;
constexpr QRgb BLUE = 0xFF0000FF;
constexpr QRgb GREEN = 0xFF00FF00;

QImage Blank(int W, int H, int Ppi)
{
  QImage Img(W, H, QImage::Format_RGB32);
  Img.fill(Qt::white);
  const int Dpm = static_cast<int>(Ppi / 0.0254 + 0.5);
  Img.setDotsPerMeterX(Dpm);
  Img.setDotsPerMeterY(Dpm);
  return Img;
}

int64_t Px(int Ppi, long double Mm) { return PixelRound(Mm * Ppi / 25.4L); }

class RenderAtResolution : public TQtTest, public ::testing::WithParamInterface<int> {
protected:
  void SetUp() override
  {
    Ppi = GetParam();
    M.SetAutoscale(false);
    M.SetScaleX(100);
    Plot = TGraphRect{40, 30, 40 + 5 * static_cast<int>(Px(Ppi, 10)), 30 + 3 * static_cast<int>(Px(Ppi, 10))};
    H = Px(Ppi, 7);
    T = Px(Ppi, 1);
    Div = Px(Ppi, 10);
  }
  QImage Render(double Start = 0, double End = 5)
  {
    QImage Img = Blank(Plot.Right + 60, Plot.Bottom + 80, Ppi);
    QPainter P(&Img);
    TDrawRequest R;
    R.Target = TDrawTarget::Screen;
    R.PpiX = R.PpiY = Ppi;
    R.Plot = Plot;
    R.FirstTrace = 1;
    R.LastTrace = M.TraceCount();
    R.Start = Start;
    R.End = End;
    RenderChart(P, M, R);
    return Img;
  }
  // x of a value on the plot, for a view that starts at 0.
  int X(double V) { return static_cast<int>(Plot.Left + Px(Ppi, 10.0L * V)); }

  int Ppi = 96;
  TGraphModel M;
  TGraphRect Plot;
  int64_t H = 0, T = 0, Div = 0;
};

}  // namespace

TEST_P(RenderAtResolution, BarsStandOnTheBandBottomInTheSampleColour)
{
  M.AddSample(ChartSample(0, 0x0000FF), 1);  // red from 0 to 2
  M.AddSample(ChartSample(2, 0xFF0000), 1);  // blue from 2 to 3
  M.AddSample(ChartSample(3, 0xFF0000), 1);  // the end
  const QImage Img = Render();
  const int Bottom = static_cast<int>(Plot.Top + H);
  const int InRed = X(2) - 2;
  for (int Y = Bottom - static_cast<int>(T); Y < Bottom; ++Y) {
    EXPECT_EQ(Img.pixel(InRed, Y), RED) << Y;
    EXPECT_EQ(Img.pixel(X(2) - 1, Y), RED) << Y;  // the bar leaves out its end point
    EXPECT_EQ(Img.pixel(X(2), Y), BLUE) << Y;     // where the next one begins
    EXPECT_EQ(Img.pixel(X(3) - 1, Y), BLUE) << Y;
  }
  EXPECT_EQ(Img.pixel(InRed, Bottom - static_cast<int>(T) - 1), WHITE);
  // Nothing after the last sample.
  for (int Y = Bottom - static_cast<int>(T); Y < Bottom; ++Y)
    EXPECT_EQ(Img.pixel(X(3) + 2, Y), WHITE) << Y;
  // The separator row below the band, left end in, right end out.
  EXPECT_EQ(Img.pixel(Plot.Left + 5, Bottom), BLACK);
  EXPECT_EQ(Img.pixel(Plot.Right - 1, Bottom), BLACK);
  EXPECT_EQ(Img.pixel(Plot.Right, Bottom), WHITE);
  EXPECT_EQ(Img.pixel(Plot.Left + 5, Bottom + 1), WHITE);
  // The axis's left edge in the major width.
  const int W = static_cast<int>(std::max<int64_t>(1, Px(Ppi, 0.2L)));
  EXPECT_EQ(Img.pixel(Plot.Left, Plot.Bottom - 5), BLACK);
  EXPECT_EQ(Img.pixel(Plot.Left - W / 2, Plot.Bottom - 5), BLACK);
  EXPECT_EQ(Img.pixel(Plot.Left - W / 2 + W, Plot.Bottom - 5), WHITE);
  EXPECT_EQ(Img.pixel(Plot.Left - W / 2 - 1, Plot.Bottom - 5), WHITE);
}

TEST_P(RenderAtResolution, BarsClipAtThePlotEdges)
{
  M.AddSample(ChartSample(-20, 0x0000FF), 1);
  M.AddSample(ChartSample(200, 0x0000FF), 1);
  const QImage Img = Render();
  const int Row = static_cast<int>(Plot.Top + H - 1);
  EXPECT_EQ(Img.pixel(Plot.Left, Row), RED);
  EXPECT_EQ(Img.pixel(Plot.Right - 1, Row), RED);
  EXPECT_EQ(Img.pixel(Plot.Right, Row), WHITE);
  EXPECT_EQ(Img.pixel(Plot.Left - 2, Row), WHITE);
}

TEST_P(RenderAtResolution, GridColumnsAxisAndTicks)
{
  M.SetShowMajorGrid(true);
  M.SetMajorGridColor(0x00FF00);
  M.AddSample(ChartSample(0, 0x0000FF), 1);
  M.AddSample(ChartSample(5, 0x0000FF), 1);
  const QImage Img = Render();
  const int W = static_cast<int>(Px(Ppi, 0.2L) < 1 ? 1 : Px(Ppi, 0.2L));
  const int Y = Plot.Bottom - 5;  // below the band
  const int Gx = X(2);
  const int First = Gx - W / 2;
  for (int C = First; C < First + W; ++C)
    EXPECT_EQ(Img.pixel(C, Y), GREEN) << C;
  EXPECT_EQ(Img.pixel(First - 1, Y), WHITE);
  EXPECT_EQ(Img.pixel(First + W, Y), WHITE);
  // The first tick's grid line lies over the axis's left edge.
  EXPECT_EQ(Img.pixel(Plot.Left, Y), GREEN);
  // The bottom edge in the major width, its end left out.
  EXPECT_EQ(Img.pixel(Plot.Left + 10, Plot.Bottom), BLACK);
  EXPECT_EQ(Img.pixel(Plot.Right - 1, Plot.Bottom), BLACK);
  EXPECT_EQ(Img.pixel(Plot.Right, Plot.Bottom), WHITE);
  // A major tick mark hangs 2 mm below the axis, a minor one 1 mm.
  const int Mm = static_cast<int>(Px(Ppi, 1));
  EXPECT_EQ(Img.pixel(Gx, Plot.Bottom + 2 * Mm - 1), BLACK);
  EXPECT_EQ(Img.pixel(Gx, Plot.Bottom + 2 * Mm), WHITE);
  const int Minor = X(0.2);
  EXPECT_EQ(Img.pixel(Minor, Plot.Bottom + Mm - 1), BLACK);
  EXPECT_EQ(Img.pixel(Minor, Plot.Bottom + Mm), WHITE);
}

INSTANTIATE_TEST_SUITE_P(Dpi, RenderAtResolution, ::testing::Values(96, 300));

class CanvasPrimitives : public TQtTest {};

TEST_F(CanvasPrimitives, DashedLinesKeepTheirPatternAndLeaveOutTheEnd)
{
  struct TCase {
    TPenStyle Style;
    std::vector<int> Pattern;
  };
  const TCase Cases[] = {
      {TPenStyle::Solid, {100}},
      {TPenStyle::Dash, {18, 6}},
      {TPenStyle::Dot, {3, 3}},
      {TPenStyle::DashDot, {9, 6, 3, 6}},
      {TPenStyle::DashDotDot, {9, 3, 3, 3, 3, 3}},
      {TPenStyle::Clear, {0, 100}},
  };
  for (const TCase& C : Cases) {
    QImage Img = Blank(120, 10, 96);
    {
      QPainter P(&Img);
      TQtChartCanvas Canvas(P, 96);
      Canvas.Line(10, 5, 60, 5, 1, 0x000000, C.Style);
    }
    std::vector<bool> Expected;
    while (Expected.size() < 50)
      for (size_t K = 0; K < C.Pattern.size(); ++K)
        for (int I = 0; I < C.Pattern[K]; ++I)
          Expected.push_back(K % 2 == 0);
    for (int X = 0; X < 50; ++X)
      EXPECT_EQ(Img.pixel(10 + X, 5) == BLACK, Expected[static_cast<size_t>(X)])
          << static_cast<int>(C.Style) << " at " << X;
    EXPECT_EQ(Img.pixel(60, 5), WHITE);
    EXPECT_EQ(Img.pixel(9, 5), WHITE);
    EXPECT_EQ(Img.pixel(20, 4), WHITE);
  }
}

TEST_F(CanvasPrimitives, LinesRunBothWaysAndClipToTheDevice)
{
  QImage Img = Blank(50, 50, 96);
  {
    QPainter P(&Img);
    TQtChartCanvas Canvas(P, 96);
    Canvas.Line(30, 10, 20, 10, 1, 0x0000FF, TPenStyle::Solid);  // leftwards: 21..30
    Canvas.Line(5, 40, 5, 30, 3, 0xFF0000, TPenStyle::Solid);    // upwards, 3 wide: 31..40
    Canvas.Line(-(int64_t{1} << 40), 20, int64_t{1} << 40, 20, 1, 0x000000, TPenStyle::Dash);
  }
  EXPECT_EQ(Img.pixel(20, 10), WHITE);
  EXPECT_EQ(Img.pixel(21, 10), RED);
  EXPECT_EQ(Img.pixel(30, 10), RED);
  EXPECT_EQ(Img.pixel(5, 30), WHITE);
  for (int X = 4; X <= 6; ++X)
    EXPECT_EQ(Img.pixel(X, 35), BLUE) << X;
  EXPECT_EQ(Img.pixel(3, 35), WHITE);
  EXPECT_EQ(Img.pixel(7, 35), WHITE);
  int Dark = 0;
  for (int X = 0; X < 50; ++X)
    Dark += Img.pixel(X, 20) == BLACK;
  EXPECT_GT(Dark, 20);
  EXPECT_LT(Dark, 50);
}

TEST_F(CanvasPrimitives, TextIsPlacedByItsTop)
{
  for (int Ppi : {96, 300}) {
    QImage Img = Blank(300, 120, Ppi);
    int Height = 0;
    {
      QPainter P(&Img);
      TQtChartCanvas Canvas(P, Ppi);
      Height = Canvas.SelectChartFont().CharHeight;
      Canvas.Text(10, 30, "Napięcie A"_cp, 0x000000, true, 0x00FFFF);
    }
    int Top = 1000, Bottom = -1;
    for (int Y = 0; Y < Img.height(); ++Y)
      for (int X = 0; X < Img.width(); ++X)
        if (Img.pixel(X, Y) != WHITE) {
          Top = std::min(Top, Y);
          Bottom = std::max(Bottom, Y);
        }
    // The opaque box starts exactly at the given top and is one text height tall.
    EXPECT_EQ(Top, 30) << Ppi;
    EXPECT_EQ(Bottom, 30 + Height - 1) << Ppi;
    EXPECT_EQ(Img.pixel(10, 30), 0xFFFFFF00u);  // the yellow background
  }
}

TEST_F(CanvasPrimitives, ColourReferencesAndSystemColours)
{
  EXPECT_EQ(ColorRefToQColor(0x0000FF), QColor(255, 0, 0));
  EXPECT_EQ(ColorRefToQColor(0x00FF00), QColor(0, 255, 0));
  EXPECT_EQ(ColorRefToQColor(0xFF0000), QColor(0, 0, 255));
  EXPECT_EQ(ColorRefToQColor(0x123456), QColor(0x56, 0x34, 0x12));
  const QPalette Pal = QApplication::palette();
  EXPECT_EQ(ColorRefToQColor(CLR_BTNFACE), Pal.color(QPalette::Active, QPalette::Button));
  EXPECT_EQ(ColorRefToQColor(CLR_HIGHLIGHT), Pal.color(QPalette::Active, QPalette::Highlight));
}

TEST_F(CanvasPrimitives, ChartFontIsArialNineAtTheDeviceResolution)
{
  const QFont F96 = ChartFont(96);
  EXPECT_EQ(F96.pixelSize(), 12);
  EXPECT_EQ(ChartFont(300).pixelSize(), 38);
  EXPECT_EQ(QFontInfo(F96).family(), QStringLiteral("Liberation Sans"));
}
