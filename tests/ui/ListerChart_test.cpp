// The event charts on the time chart widget: a restart sequence of a transfer from WA to WR
// and the legend, as screenshots (saved beside the tests) checked by their pixels.
#include <QApplication>
#include <gtest/gtest.h>

#include "GraphFixture.h"
#include "app/events/Lister.h"
#include "app/events/ListerChart.h"
#include "charts/ui/Graph.h"
#include "charts/ui/GraphRender.h"
#include "tests/app/ListerFixture.h"

using listerfx::TFixtureDocument;
using listerfx::TRegisterBuilder;

namespace {

class ListerChartUi : public TQtTest {
protected:
  void SetUp() override
  {
    G = std::make_unique<TGraph>();
    G->resize(900, 420);
    G->show();
    Chart = std::make_unique<TEvGraphChart>(G->Model());
    Doc.Correct(false);
    Lister.SetDocument(&Doc);
    Lister.SetGraph(Chart.get(), &EvChart::BuildEventChart);
  }
  // The colour at the middle of trace T's bar row just above its band's bottom, at value V.
  QColor BarColor(const QImage& Shot, uint16_t T, double V)
  {
    TGraphRect R;
    EXPECT_TRUE(G->Model().BandRect(T, R)) << T;
    const TGraphRect& P = G->Model().PlotRect();
    const double X0 = G->Model().ValueAtX(P.Left), X1 = G->Model().ValueAtX(P.Right);
    const int X = P.Left + int((V - X0) / (X1 - X0) * (P.Right - P.Left));
    return Shot.pixelColor(X, R.Bottom - 1);
  }

  std::unique_ptr<TGraph> G;
  TFixtureDocument Doc{2};
  TEvLister Lister;
  std::unique_ptr<TEvGraphChart> Chart;
};

// Voltage-state record of model 2: UszB bytes 3/5, UszA 4/6, UB 7, UA 8.
std::vector<uint8_t> Voltages(uint16_t ticks, uint8_t ua, uint8_t usza, uint8_t ub, uint8_t uszb)
{
  return {246, uint8_t(ticks >> 8), uint8_t(ticks), uszb, usza, uszb, usza, ub, ua};
}

// Switchgear state: WA byte 13, WR byte 12, WB byte 11 (bit 2 closed, bit 3 open), voltages
// in bytes 3..8, the auxiliary voltage in byte 15 bit 0.
std::vector<uint8_t> Switchgear(uint16_t ticks, uint8_t wa, uint8_t wr, uint8_t wb, uint8_t ua, uint8_t usza)
{
  return {251, uint8_t(ticks >> 8), uint8_t(ticks), 0x0F, usza, 0x0F, usza, 0x0F, ua, 0, 0, wb, wr, wa, 0,
          0x01};
}

constexpr uint8_t Closed = 0x04, Open = 0x08;

}  // namespace

TEST_F(ListerChartUi, RestartSequenceReadsAsATimingDiagram)
{
  // Ticks of 2.5 ms: 200 = 0.5 s.
  Doc.Register = TRegisterBuilder()
                     .Clock(2024, 6, 1, 12, 0)
                     .Raw({245, 0, 0, 0x01, 0x05})
                     .Raw(Switchgear(0, Closed, Open, Closed, 0x0F, 0x0F))
                     .Raw(Voltages(200, 0x01, 0x01, 0x0F, 0x0F))  // 0.5 s: UA sags
                     .Raw(Voltages(160, 0x00, 0x00, 0x0F, 0x0F))  // 0.9 s: UA gone
                     .Event(136, 40)                              // 1.0 s: U<t relay of section A
                     .Event(37, 80)                               // 1.2 s: WA closed contact gone
                     .Event(38, 20)                               // 1.25 s: WA open contact
                     .Event(55, 100)                              // 1.5 s: WR open contact gone
                     .Event(52, 20)                               // 1.55 s: WR closed
                     .Raw(Voltages(100, 0x00, 0x0F, 0x0F, 0x0F))  // 1.8 s: section A fed again
                     .Event(137, 80)                              // 2.0 s: relay off
                     .Raw(Switchgear(200, Open, Closed, Closed, 0x00, 0x0F))
                     .Bytes();
  Lister.RefreshSequences();
  Lister.SetSequence(1);
  ASSERT_EQ(Lister.SequenceCount(), 1);
  ASSERT_EQ(Lister.SequenceInfo(1).Kind, TEvSequenceKind::Restart);
  G->Redraw();
  QApplication::processEvents();

  // Drawn: the breakers, the four voltages and the relay; the quiet snapshot tracks not.
  ASSERT_EQ(G->Model().TraceCount(), 8);
  EXPECT_EQ(G->Model().TraceCaptionText(1), "1. Stan WA");
  EXPECT_EQ(G->Model().TraceCaptionText(8), "8. Stan przekaźnika U<t sekcji A 2 stopień"_cp);
  const QImage Shot = G->grab().toImage();
  EXPECT_TRUE(Shot.save(QStringLiteral(KIV_BINARY_DIR "/event_chart_restart.png")));

  const QColor Red(255, 0, 0), Yellow(255, 255, 0), Green(0, 128, 0), Black(0, 0, 0);
  EXPECT_EQ(BarColor(Shot, 1, 0.6), Red);      // WA closed
  EXPECT_EQ(BarColor(Shot, 1, 1.22), Yellow);  // in transit
  EXPECT_EQ(BarColor(Shot, 1, 2.0), Black);    // open
  EXPECT_EQ(BarColor(Shot, 2, 0.6), Black);    // WR open
  EXPECT_EQ(BarColor(Shot, 2, 2.0), Red);      // WR closed
  EXPECT_EQ(BarColor(Shot, 3, 1.0), Red);      // WB closed throughout
  EXPECT_EQ(BarColor(Shot, 4, 0.2), Green);    // UA above Ur
  EXPECT_EQ(BarColor(Shot, 4, 0.7), Red);      // UA between Uw and Ug
  EXPECT_EQ(BarColor(Shot, 4, 2.0), Black);    // UA gone
  EXPECT_EQ(BarColor(Shot, 8, 1.5), Red);      // relay on
}

TEST_F(ListerChartUi, LegendShowsEveryStyle)
{
  Lister.DrawLegend();
  G->Redraw();
  QApplication::processEvents();
  ASSERT_EQ(G->Model().TraceCount(), 9);
  const QImage Shot = G->grab().toImage();
  EXPECT_TRUE(Shot.save(QStringLiteral(KIV_BINARY_DIR "/event_legend.png")));
  const QColor Want[] = {QColor(0, 0, 0),     QColor(255, 0, 0), QColor(255, 255, 0),
                         QColor(0, 0, 0),     QColor(0, 0, 0),   QColor(255, 0, 0),
                         QColor(255, 255, 0), QColor(0, 128, 0), QColor(0, 128, 0)};
  for (uint16_t T = 1; T <= 9; ++T)
    EXPECT_EQ(BarColor(Shot, T, 5.0), Want[T - 1]) << T;
  // The unknown state is dotted: along its bar both black and background pixels appear.
  TGraphRect R;
  ASSERT_TRUE(G->Model().BandRect(4, R));
  int Dark = 0, Light = 0;
  for (int X = R.Left + 20; X < R.Left + 120; ++X)
    (Shot.pixelColor(X, R.Bottom - 1) == QColor(0, 0, 0) ? Dark : Light)++;
  EXPECT_GT(Dark, 10);
  EXPECT_GT(Light, 10);
  EXPECT_EQ(G->Model().PrintTitle(), "Legenda");
}
