#include "charts/ui/Graph.h"

#include <QClipboard>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <set>

#include "charts/ui/GraphRender.h"
#include "charts/ui/Markers.h"
#include "platform/NumText.h"
#include "tests/ui/GraphFixture.h"

namespace {

class GraphTest : public TQtTest {
protected:
  void SetUp() override
  {
    FSavedSep = UtilityFormat().DecimalSeparator;
    G = std::make_unique<TGraph>();
    G->resize(900, 420);
    G->show();
    QApplication::processEvents();
  }
  void TearDown() override
  {
    G.reset();
    UtilityFormat().DecimalSeparator = FSavedSep;
  }
  // The middle of trace T's recorded band.
  QPoint BandPoint(uint16_t T)
  {
    TGraphRect R;
    EXPECT_TRUE(G->Model().BandRect(T, R)) << T;
    return QPoint((R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2);
  }
  void Send(QWidget* W, QEvent::Type Type, QPoint P, Qt::KeyboardModifiers Mods = {},
            Qt::MouseButtons Held = Qt::LeftButton)
  {
    const Qt::MouseButton B = Type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent E(Type, QPointF(P), QPointF(W->mapToGlobal(P)), B, Held, Mods);
    QApplication::sendEvent(W, &E);
  }
  std::set<uint16_t> Selected()
  {
    std::set<uint16_t> S;
    for (uint16_t T = 1; T <= G->Model().TraceCount(); ++T)
      if (G->TraceSelected(T))
        S.insert(T);
    return S;
  }

  std::unique_ptr<TGraph> G;
  char FSavedSep = ',';
};

}  // namespace

TEST_F(GraphTest, NineTraceScreenshotIsATimingDiagram)
{
  G->Model().SetShowMajorGrid(true);
  G->Model().SetMajorGridColor(0xE0C0C0);
  FillNineTraces(G->Model());
  G->Marker1()->SetValue(4.2);
  G->Marker2()->SetValue(21.5);
  G->SelectTrace(7, 1);
  G->Redraw();
  QApplication::processEvents();

  // Every trace got a band of its own, one below the other.
  int64_t LastBottom = G->Model().PlotRect().Top;
  for (uint16_t T = 1; T <= 9; ++T) {
    TGraphRect R;
    ASSERT_TRUE(G->Model().BandRect(T, R));
    EXPECT_EQ(R.Top, LastBottom) << T;
    EXPECT_EQ(R.Height(), 26) << T;
    LastBottom = R.Bottom;
  }
  const QImage Shot = G->grab().toImage();
  EXPECT_EQ(Shot.size(), QSize(900, 420));
  EXPECT_TRUE(Shot.save(QStringLiteral(KIV_BINARY_DIR "/chart_nine_traces.png")));

  // The same chart as a 300-dpi page would get it: every trace, transparent captions.
  QImage Page(2480, 1200, QImage::Format_RGB32);
  Page.fill(Qt::white);
  QPainter P(&Page);
  TDrawRequest R;
  R.Target = TDrawTarget::Printer;
  R.PpiX = R.PpiY = 300;
  R.Plot = TGraphRect{177, 295, 2303, 295 + 9 * 83};
  R.LastTrace = 9;
  R.Start = 0;
  R.End = 30;
  G->Model().SetPrintTitle("Wydruk próbny"_cp);
  RenderChart(P, G->Model(), R);
  P.end();
  EXPECT_TRUE(Page.save(QStringLiteral(KIV_BINARY_DIR "/chart_nine_traces_300dpi.png")));
}

TEST_F(GraphTest, MouseRulesSelectTraces)
{
  enum TKind { Click, Move };
  struct TStep {
    TKind Kind;
    int Trace;  // 0: inside the plot below every band
    Qt::KeyboardModifiers Mods = {};
  };
  struct TCase {
    const char* Name;
    std::vector<TStep> Steps;
    std::set<uint16_t> Selected;
    uint16_t Anchor;
  };
  const Qt::KeyboardModifiers Ctrl = Qt::ControlModifier, Shift = Qt::ShiftModifier;
  const TCase Cases[] = {
      {"plain click", {{Click, 3}}, {3}, 3},
      {"plain click replaces", {{Click, 1}, {Click, 2, Shift}, {Click, 8}}, {8}, 8},
      {"ctrl toggles", {{Click, 3}, {Click, 5, Ctrl}}, {3, 5}, 3},
      {"ctrl deselects only that trace", {{Click, 3}, {Click, 5, Ctrl}, {Click, 3, Ctrl}}, {5}, 3},
      {"shift extends from the anchor", {{Click, 2}, {Click, 5, Shift}}, {2, 3, 4, 5}, 2},
      {"shift upwards", {{Click, 6}, {Click, 4, Shift}}, {4, 5, 6}, 6},
      {"shift keeps other marks", {{Click, 2}, {Click, 7, Ctrl}, {Click, 4, Shift}}, {2, 3, 4, 7}, 2},
      {"ctrl shift extends", {{Click, 7}, {Click, 9, Ctrl | Shift}}, {7, 8, 9}, 7},
      {"empty click clears and drops the anchor", {{Click, 3}, {Click, 0}}, {}, 0},
      {"shift after an empty click", {{Click, 3}, {Click, 0}, {Click, 4, Shift}}, {4}, 4},
      {"drag marks the range", {{Click, 2}, {Move, 5}}, {2, 3, 4, 5}, 2},
      {"drag back shrinks it", {{Click, 2}, {Move, 5}, {Move, 3}}, {2, 3}, 2},
      {"drag over no trace changes nothing", {{Click, 2}, {Move, 0}}, {2}, 2},
      {"drag from an empty click anchors on the first hit", {{Click, 0}, {Move, 6}, {Move, 8}}, {6, 7, 8}, 6},
  };
  FillNineTraces(G->Model());
  const TGraphRect& R = G->Model().PlotRect();
  for (const TCase& C : Cases) {
    G->UnselectAll();
    Send(G.get(), QEvent::MouseButtonPress, QPoint(R.Left + 50, R.Bottom - 3));  // no anchor
    Send(G.get(), QEvent::MouseButtonRelease, QPoint(R.Left + 50, R.Bottom - 3));
    for (const TStep& S : C.Steps) {
      const QPoint P = S.Trace == 0 ? QPoint(R.Left + 50, R.Bottom - 3) : BandPoint(S.Trace);
      if (S.Kind == Click) {
        Send(G.get(), QEvent::MouseButtonPress, P, S.Mods);
        Send(G.get(), QEvent::MouseButtonRelease, P, S.Mods, Qt::NoButton);
      } else {
        Send(G.get(), QEvent::MouseMove, P, {}, Qt::LeftButton);
      }
    }
    EXPECT_EQ(Selected(), C.Selected) << C.Name;
    EXPECT_EQ(G->Model().Anchor(), C.Anchor) << C.Name;
  }
  EXPECT_TRUE(G->Focused());
  // Outside the plot nothing is hit.
  G->UnselectAll();
  Send(G.get(), QEvent::MouseButtonPress, QPoint(2, 2));
  EXPECT_EQ(Selected(), std::set<uint16_t>{});
}

TEST_F(GraphTest, SelectionMarksInvertOverTheBackBuffer)
{
  FillNineTraces(G->Model());
  G->Redraw();
  EXPECT_EQ(G->Frame(), G->BackBitmap());
  TGraphRect B;
  ASSERT_TRUE(G->Model().BandRect(4, B));
  G->SelectTrace(4, 1);
  G->SetAllSelected(false);
  G->SelectTrace(4, 1);
  G->Redraw();
  // A white pixel inside the band takes the highlight (source OR NOT white = source); a black
  // caption pixel turns white; outside the band nothing changes.
  const QPoint White(B.Right - 3, B.Top + 3);
  ASSERT_EQ(G->BackBitmap().pixel(White), 0xFFFFFFFFu);
  EXPECT_EQ(QColor(G->Frame().pixel(White)), ColorRefToQColor(CLR_HIGHLIGHT));
  const QColor Face = ColorRefToQColor(CLR_BTNFACE);
  ASSERT_EQ(G->BackBitmap().pixel(B.Left, B.Top + 10), 0xFFFFFFFFu);
  EXPECT_EQ(QColor(G->Frame().pixel(B.Left, B.Top + 10)), Face);  // the outline over white
  bool SawInvertedBlack = false;
  for (int X = B.Left + 1; X < B.Left + 100 && !SawInvertedBlack; ++X)
    for (int Y = B.Top + 1; Y < B.Bottom - 1; ++Y)
      if (G->BackBitmap().pixel(X, Y) == 0xFF000000u) {
        EXPECT_EQ(G->Frame().pixel(X, Y), 0xFFFFFFFFu);
        SawInvertedBlack = true;
        break;
      }
  EXPECT_TRUE(SawInvertedBlack);
  EXPECT_EQ(G->Frame().pixel(B.Right - 3, B.Bottom + 3), G->BackBitmap().pixel(B.Right - 3, B.Bottom + 3));
  G->UnselectAll();
  EXPECT_EQ(G->Frame(), G->BackBitmap());
}

TEST_F(GraphTest, PlotFrameAndLeftBorderOnTheBackBuffer)
{
  FillNineTraces(G->Model());
  const TGraphRect& R = G->Model().PlotRect();
  const QImage& B = G->BackBitmap();
  const int Mid = R.Bottom - 4;  // below the bands
  EXPECT_EQ(B.pixel(R.Right - 1, Mid), 0xFF000000u);
  EXPECT_EQ(QColor(B.pixel(R.Right, Mid)), G->palette().color(QPalette::Button));
  EXPECT_EQ(B.pixel((R.Left + R.Right) / 2, R.Top), 0xFF000000u);
  EXPECT_EQ(B.pixel(R.Left, Mid), 0xFFFFFFFFu);      // the background on the edge
  EXPECT_EQ(B.pixel(R.Left + 1, Mid), 0xFF000000u);  // black beside it on white
  EXPECT_EQ(B.pixel(R.Left + 2, Mid), 0xFFFFFFFFu);
  G->Model().SetDataBackGround(0x808000);
  EXPECT_EQ(B.pixel(R.Left + 1, Mid), 0xFFFFFFFFu);  // white beside a coloured background
  EXPECT_EQ(QColor(B.pixel(R.Left, Mid)), QColor(0, 0x80, 0x80));
}

TEST_F(GraphTest, ReadoutsShowFixedTextWithTheUsersSeparator)
{
  struct TCase {
    char Sep;
    double V1, V2;
    const char *T1, *T2, *Dt;
  };
  const TCase Cases[] = {
      {'.', 1, 3.25, "1.000", "3.250", "dt=2.250"},
      {',', 1, 3.25, "1,000", "3,250", "dt=2,250"},
      {',', 86400.1234, 0, "86400,120", "0,000", "dt=-86400,120"},
  };
  for (const TCase& C : Cases) {
    UtilityFormat().DecimalSeparator = C.Sep;
    G->Marker1()->SetValue(C.V1);
    G->Marker2()->SetValue(C.V2);
    EXPECT_EQ(G->X1Readout()->text(), QString::fromLatin1(C.T1));
    EXPECT_EQ(G->X2Readout()->text(), QString::fromLatin1(C.T2));
    EXPECT_EQ(G->DtLabel()->text(), QString::fromLatin1(C.Dt));
  }
}

TEST_F(GraphTest, CursorDragFollowsTheMouseAndStopsAtTheTrack)
{
  FillNineTraces(G->Model());
  TMarker* M = G->Marker1();
  const TGraphRect& R = G->Model().PlotRect();
  EXPECT_EQ(M->Track(), R);
  EXPECT_EQ(M->y(), R.Bottom + 1);
  M->SetValue(0);
  EXPECT_EQ(M->x(), R.Left - M->width() / 2);

  auto ToMarker = [&](int ParentX) { return QPoint(ParentX - M->x(), 5); };
  Send(M, QEvent::MouseButtonPress, QPoint(5, 5));
  EXPECT_TRUE(M->Dragging());
  EXPECT_EQ(QWidget::mouseGrabber(), M);
  const int X = R.Left + 200;
  Send(M, QEvent::MouseMove, ToMarker(X));
  const long double Expect = (M->Max() - M->Min()) / (R.Right - R.Left) * (X - R.Left) + M->Min();
  EXPECT_NEAR(static_cast<double>(M->Value()), static_cast<double>(Expect), 1e-9);
  EXPECT_EQ(M->x(), X - 5);
  EXPECT_EQ(G->X1Readout()->text().toStdString(), CursorReadoutText(M->Value()));

  // Beyond the track: the value keeps its last in-range value, the window stops half its
  // width right of the track's end.
  Send(M, QEvent::MouseMove, ToMarker(R.Right + 300));
  EXPECT_NEAR(static_cast<double>(M->Value()), static_cast<double>(Expect), 1e-9);
  EXPECT_EQ(M->x(), R.Right + 5);
  Send(M, QEvent::MouseMove, ToMarker(-5000));
  EXPECT_EQ(M->x(), 0);
  Send(M, QEvent::MouseButtonRelease, ToMarker(-5000), {}, Qt::NoButton);
  EXPECT_FALSE(M->Dragging());
  EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
  // Without a button down, moves do nothing.
  const long double Kept = M->Value();
  Send(M, QEvent::MouseMove, ToMarker(R.Left + 10), {}, Qt::NoButton);
  EXPECT_EQ(M->Value(), Kept);
}

TEST_F(GraphTest, CursorOfAnEmptyRangeSitsOnTheTrackBottom)
{
  FillNineTraces(G->Model());
  TMarker* M = G->Marker1();
  const TGraphRect R = G->Model().PlotRect();
  ASSERT_EQ(M->y(), R.Bottom + 1);
  const int Left = M->x();
  // No value has a place on an empty range: the cursor keeps its left and sits on the bottom.
  M->SetRange(3, 3);
  EXPECT_EQ(M->y(), R.Bottom);
  EXPECT_EQ(M->x(), Left);
  M->SetRange(0, 30);
  EXPECT_EQ(M->y(), R.Bottom + 1);
}

TEST_F(GraphTest, HeldCtrlCCopiesOnce)
{
  FillNineTraces(G->Model());
  G->SelectTrace(2, 1);
  QClipboard* Clip = QApplication::clipboard();
  Clip->clear();
  int Changes = 0;
  QObject Context;  // the connection ends with the test
  QObject::connect(Clip, &QClipboard::dataChanged, &Context, [&] { ++Changes; });
  auto Key = [&](bool Repeat) {
    QKeyEvent E(QEvent::KeyPress, Qt::Key_C, Qt::ControlModifier, QStringLiteral("\x03"), Repeat);
    QApplication::sendEvent(G.get(), &E);
  };
  Key(false);
  Key(true);
  Key(true);
  Key(true);
  EXPECT_EQ(Changes, 1);
  EXPECT_FALSE(Clip->image().isNull());
  Key(false);
  EXPECT_EQ(Changes, 2);
}

TEST_F(GraphTest, ClipboardImageHoldsTheSelectedTraces)
{
  FillNineTraces(G->Model());
  TGraphModel& M = G->Model();
  QClipboard* Clip = QApplication::clipboard();
  Clip->clear();
  EXPECT_FALSE(G->CopyToClipboard());  // nothing selected
  EXPECT_TRUE(Clip->image().isNull());

  G->SelectTrace(2, 1);
  G->SelectTrace(5, 1);
  ASSERT_TRUE(G->CopyToClipboard());
  const QImage Img = Clip->image().convertToFormat(QImage::Format_RGB32);
  const long double DivMm = M.DivLengthMm();
  auto Px = [&](long double Value) { return PixelRound(Value / M.dXPerDiv() * DivMm * 96 / 25.4L); };
  EXPECT_EQ(Img.width(), 10 + Px(30));
  EXPECT_EQ(Img.height(), 10 + 2 * 26 + 38);
  EXPECT_EQ(Img.pixel(0, 0), 0xFF000000u);  // the frame of the white fill
  EXPECT_EQ(Img.pixel(Img.width() - 1, Img.height() - 1), 0xFF000000u);
  EXPECT_EQ(Img.pixel(5, 5), 0xFFFFFFFFu);
  // Trace 2 is red from 4.8 to 21 (1.2 mm = 5 px), trace 5 dark blue after 18.6 (4 px).
  EXPECT_EQ(Img.pixel(static_cast<int>(10 + Px(10)), 10 + 26 - 1), 0xFFFF0000u);
  EXPECT_EQ(Img.pixel(static_cast<int>(10 + Px(10)), 10 + 26 - 6), 0xFFFFFFFFu);
  EXPECT_EQ(Img.pixel(static_cast<int>(10 + Px(25)), 10 + 52 - 1), 0xFF0000C0u);
  // Two bands, each closed by its separator; below them the axis.
  const int MidX = static_cast<int>(10 + Px(15));
  EXPECT_EQ(Img.pixel(MidX, 10 + 26), 0xFF000000u);
  EXPECT_EQ(Img.pixel(MidX, 10 + 52), 0xFF000000u);
  int AxisDark = 0;
  for (int Y = 10 + 52 + 1; Y < Img.height() - 1; ++Y)
    for (int X = 1; X < Img.width() - 1; ++X)
      AxisDark += Img.pixel(X, Y) == 0xFF000000u;
  EXPECT_GT(AxisDark, 100);

  // Between the cursors, when asked so.
  M.SetCopyRangeAll(false);
  G->Marker1()->SetValue(20);
  G->Marker2()->SetValue(10);
  ASSERT_TRUE(G->CopyToClipboard());
  EXPECT_EQ(Clip->image().width(), 10 + Px(10));
  G->Marker2()->SetValue(20);
  Clip->clear();
  EXPECT_FALSE(G->CopyToClipboard());
  EXPECT_TRUE(Clip->image().isNull());
}

TEST_F(GraphTest, OversizedClipboardBitmapIsNotMade)
{
  FillNineTraces(G->Model());
  G->Model().SetAutoscale(false);
  G->Model().SetScaleX(1000000);
  G->SelectAll();
  EXPECT_EQ(G->SelectedCount(), 9);
  QClipboard* Clip = QApplication::clipboard();
  Clip->clear();
  EXPECT_FALSE(G->CopyToClipboard());
  EXPECT_TRUE(Clip->image().isNull());
}

TEST_F(GraphTest, ScrollingMovesTheViewAndTheFirstTrace)
{
  FillNineTraces(G->Model());
  TGraphModel& M = G->Model();
  EXPECT_EQ(G->VScrollBar()->maximum(), 9);
  EXPECT_EQ(G->HScrollBar()->maximum(), M.HScrollMax());
  G->VScrollBar()->setValue(3);
  TGraphRect R;
  ASSERT_TRUE(M.BandRect(4, R));
  EXPECT_EQ(R.Top, M.PlotRect().Top);  // trace 4 now heads the plot
  const double Before = M.ValueAtX(M.PlotRect().Left);
  G->HScrollBar()->setValue(10);
  EXPECT_NEAR(M.ValueAtX(M.PlotRect().Left) - Before, 10 * M.dXPerDiv() / (M.MinorGridCnt() + 1), 1e-9);
  EXPECT_NEAR(static_cast<double>(G->Marker1()->Min()), M.ValueAtX(M.PlotRect().Left), 1e-9);
}

TEST_F(GraphTest, ClearPullsTheScrollBackAndResizeRefitsTheZoom)
{
  FillNineTraces(G->Model());
  TGraphModel& M = G->Model();
  G->VScrollBar()->setValue(5);
  EXPECT_EQ(M.VScrollPos(), 5);
  G->Clear();
  EXPECT_EQ(G->VScrollBar()->value(), 0);
  EXPECT_EQ(M.VScrollPos(), 0);
  FillNineTraces(M);
  const int32_t Wide = M.ScaleX();
  EXPECT_EQ(Wide, M.FittingScaleX());
  G->resize(500, 300);
  QApplication::processEvents();
  EXPECT_LT(M.ScaleX(), Wide);
  EXPECT_EQ(M.ScaleX(), M.FittingScaleX());
  EXPECT_EQ(G->Marker1()->Track(), M.PlotRect());
  EXPECT_EQ(M.PlotRect().Right, 500 - 1 - G->VScrollBar()->width() - 15);
  EXPECT_EQ(G->BackBitmap().size(), QSize(500, 300));
}

TEST_F(GraphTest, TinyPanelStillPaints)
{
  FillNineTraces(G->Model());
  for (const QSize S : {QSize(12, 12), QSize(1, 300), QSize(300, 1)}) {
    G->resize(S);
    QApplication::processEvents();
    G->Redraw();
    EXPECT_EQ(G->BackBitmap().size(), S);
    EXPECT_GE(G->Model().ScaleX(), 1);
  }
}
