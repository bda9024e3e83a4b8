#include "charts/ui/Graph.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyle>
#include <cmath>
#include <algorithm>

#include "charts/ui/GraphRender.h"
#include "charts/ui/Markers.h"
#include "platform/qt/QtText.h"

TGraph::TGraph(QWidget* Parent) : QWidget(Parent)
{
  setGeometry(0, 200, 325, 145);
  setFont(ChartFont(logicalDpiY()));
  setFocusPolicy(Qt::ClickFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);

  FVScroll = new QScrollBar(Qt::Vertical, this);
  FVScroll->setSingleStep(1);
  FVScroll->setMaximum(10);
  FHScroll = new QScrollBar(Qt::Horizontal, this);
  FHScroll->setMinimum(0);
  FHScroll->setMaximum(1000);
  FHScroll->setSingleStep(1);
  FHScroll->setPageStep(100);
  // Only the end of a scroll redraws: dragging the thumb would otherwise redraw per pixel.
  for (QScrollBar* S : {FVScroll, FHScroll}) {
    connect(S, &QScrollBar::valueChanged, this, [this, S] {
      if (!S->isSliderDown())
        ScrollMoved();
    });
    connect(S, &QScrollBar::sliderReleased, this, &TGraph::ScrollMoved);
  }

  FX1Caption = new QLabel(QStringLiteral("x1= "), this);
  FX1Readout = new QLabel(this);
  FX2Caption = new QLabel(QStringLiteral("x2= "), this);
  FX2Readout = new QLabel(this);
  FDtLabel = new QLabel(QStringLiteral("dt"), this);

  FMarker1 = new TMarker(this);
  FMarker2 = new TMarker(this);
  for (TMarker* M : {FMarker1, FMarker2}) {
    connect(M, &TMarker::Changed, this, &TGraph::MarkerChanged);
    connect(M, &TMarker::StartDrag, this, [](TMarker* S) { S->grabMouse(); });
    connect(M, &TMarker::EndDrag, this, [](TMarker* S) { S->releaseMouse(); });
  }

  FModel.SetView(this);
  LayoutLabels();
  LayoutScrollBars();
  FBackBitmap = QImage(size(), QImage::Format_RGB32);
  ReadMetrics();
  LayoutCursors();
}

TGraph::~TGraph() { FModel.SetView(nullptr); }

QColor TGraph::PanelColor() const { return palette().color(QPalette::Button); }

void TGraph::LayoutLabels()
{
  const int Top = 2 * FBevel + 1;
  for (QLabel* L : {FX1Caption, FX1Readout, FX2Caption, FX2Readout, FDtLabel}) {
    L->setFont(font());
    L->setContentsMargins(0, 0, 0, 0);
    L->adjustSize();
  }
  FX1Caption->move(30, Top);
  FX1Readout->move(30 + FX1Caption->width(), Top);
  FX2Caption->move(150, Top);
  FX2Readout->move(150 + FX2Caption->width(), Top);
  FDtLabel->move(2 * FX2Readout->x() - FX1Readout->x(), Top);
}

void TGraph::LayoutScrollBars()
{
  const int Sb = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
  FVScroll->setGeometry(width() - FBevel - Sb, FBevel, Sb, std::max(0, height() - 2 * FBevel - Sb));
  FHScroll->setGeometry(FBevel, height() - FBevel - Sb, std::max(0, width() - 2 * FBevel - Sb), Sb);
}

void TGraph::ReadMetrics()
{
  const int PpiX = logicalDpiX();
  const int PpiY = logicalDpiY();
  const QFontMetrics FM(ChartFont(PpiY));
  TPanelLayout P;
  P.Width = width();
  P.Height = height();
  P.Bevel = FBevel;
  P.ReadoutLabelHeight = FX1Readout->height();
  P.TextHeight = FM.height();
  P.VScrollWidth = FVScroll->width();
  P.HScrollHeight = FHScroll->height();
  FModel.SetScreenMetrics(PpiX, PpiY, FM.height(), ComputePlotRect(P));
}

void TGraph::LayoutCursors()
{
  const TGraphRect& R = FModel.PlotRect();
  for (TMarker* M : {FMarker1, FMarker2}) {
    M->BeginLayout();
    M->SetTrack(R);
    M->SetRange(FModel.ValueAtX(R.Left), FModel.ValueAtX(R.Right));
    M->EndLayout();
  }
}

void TGraph::ScrollRangesChanged()
{
  // A position beyond the new maximum is pulled back quietly: the caller redraws anyway.
  const QSignalBlocker Block(FHScroll);
  FHScroll->setSingleStep(1);
  FHScroll->setPageStep(FModel.HScrollLarge());
  FHScroll->setMaximum(FModel.HScrollMax());
  FModel.SetHScrollPos(FHScroll->value());
}

void TGraph::ScrollMoved()
{
  FModel.SetHScrollPos(FHScroll->value());
  FModel.SetVScrollPos(FVScroll->value());
  if (FModel.UpdateLock())
    return;
  Redraw();
  LayoutCursors();
}

void TGraph::Redraw()
{
  if (!isVisible())
    return;
  if (FModel.PpiX() < 1)
    ReadMetrics();
  FModel.ResetBandRects();
  {
    const QSignalBlocker Block(FVScroll);
    FVScroll->setMaximum(FModel.TraceCount());
    FModel.SetVScrollPos(FVScroll->value());
  }
  if (FBackBitmap.size() != size())
    FBackBitmap = QImage(size(), QImage::Format_RGB32);
  if (FBackBitmap.isNull())
    return;
  FBackDirty = false;

  const TGraphRect& R = FModel.PlotRect();
  const QColor Back = ColorRefToQColor(FModel.DataBackGround());
  {
    QPainter P(&FBackBitmap);
    P.fillRect(FBackBitmap.rect(), PanelColor());
    // The panel's raised bevel.
    P.fillRect(QRect(0, 0, width(), FBevel), palette().color(QPalette::Light));
    P.fillRect(QRect(0, 0, FBevel, height()), palette().color(QPalette::Light));
    P.fillRect(QRect(0, height() - FBevel, width(), FBevel), palette().color(QPalette::Dark));
    P.fillRect(QRect(width() - FBevel, 0, FBevel, height()), palette().color(QPalette::Dark));
    TQtChartCanvas::GdiRectangle(P, QRect(R.Left, R.Top, R.Width(), R.Height()), Qt::black, Back);

    TDrawRequest Q;
    Q.Target = TDrawTarget::Screen;
    Q.PpiX = FModel.PpiX();
    Q.PpiY = FModel.PpiY();
    Q.Plot = R;
    Q.FirstTrace = FModel.VScrollPos() + 1;
    Q.LastTrace = FModel.TraceCount();
    Q.Start = FModel.ValueAtX(R.Left);
    Q.End = FModel.ValueAtX(R.Right);
    std::vector<TBandRecord> Bands;
    RenderChart(P, FModel, Q, &Bands);
    for (const TBandRecord& B : Bands)
      FModel.StoreBandRect(B.Trace, B.Rect);

    // The left border: the background colour on the edge, a contrasting line beside it.
    TQtChartCanvas C(P, Q.PpiY);
    C.Line(R.Left, R.Top, R.Left, R.Bottom, 1, FModel.DataBackGround(), TPenStyle::Solid);
    C.Line(R.Left + 1, R.Top, R.Left + 1, R.Bottom, 1,
           FModel.DataBackGround() == CLR_WHITE ? CLR_BLACK : CLR_WHITE, TPenStyle::Solid);
  }
  if (!FModel.UpdateLock())
    DrawMarks();
}

void TGraph::DrawMarks()
{
  if (FModel.UpdateLock())
    return;
  FFrame = FBackBitmap.copy();
  if (FFrame.isNull())
    return;
  {
    QPainter P(&FFrame);
    // Pen OR NOT destination, on the outline and the fill: a second pass restores nothing,
    // so the marks are always drawn onto a fresh copy of the back buffer.
    P.setCompositionMode(QPainter::RasterOp_SourceOrNotDestination);
    const QColor Pen = ColorRefToQColor(CLR_BTNFACE);
    const QColor Brush = ColorRefToQColor(CLR_HIGHLIGHT);
    for (uint32_t T = FModel.TraceCount(); T >= 1; --T) {
      TGraphRect B;
      if (!FModel.TraceSelected(static_cast<uint16_t>(T)) || !FModel.BandRect(static_cast<uint16_t>(T), B) ||
          B.IsEmpty())
        continue;
      TQtChartCanvas::GdiRectangle(P, QRect(B.Left, B.Top, B.Width(), B.Height()), Pen, Brush);
    }
  }
  if (!FInPaint)
    update();
}

void TGraph::SetAllSelected(bool Value)
{
  FModel.SetAllSelectedMarks(Value);
  DrawMarks();
}

void TGraph::paintEvent(QPaintEvent*)
{
  if (FBackDirty || FBackBitmap.size() != size()) {
    FInPaint = true;
    Redraw();
    FInPaint = false;
  }
  QPainter P(this);
  if (!FFrame.isNull() && FFrame.size() == size())
    P.drawImage(0, 0, FFrame);
  else if (!FBackBitmap.isNull())
    P.drawImage(0, 0, FBackBitmap);
}

void TGraph::resizeEvent(QResizeEvent*)
{
  FBackBitmap = QImage(size(), QImage::Format_RGB32);
  FBackDirty = true;
  LayoutScrollBars();
  ReadMetrics();
  if (FModel.Autoscale()) {
    const int32_t F = FModel.FittingScaleX();
    if (F != FModel.ScaleX()) {
      const bool Was = FModel.UpdateLock();
      FModel.SetUpdateLock(true);
      FModel.SetScaleX(F);
      FModel.SetUpdateLock(Was);
    }
  }
  LayoutCursors();
}

void TGraph::showEvent(QShowEvent*)
{
  ReadMetrics();
  LayoutCursors();
  FBackDirty = true;
}

void TGraph::MarkerChanged(TMarker* Sender)
{
  QLabel* L = Sender == FMarker1 ? FX1Readout : FX2Readout;
  L->setText(ToQ(CursorReadoutText(Sender->Value())));
  L->adjustSize();
  FDtLabel->setText(QStringLiteral("dt=") + ToQ(CursorReadoutText(FMarker2->Value() - FMarker1->Value())));
  FDtLabel->adjustSize();
}

void TGraph::mousePressEvent(QMouseEvent* E)
{
  E->accept();
  if (E->button() != Qt::LeftButton)
    return;
  const QPoint P = E->position().toPoint();
  const Qt::KeyboardModifiers Mods = E->modifiers();
  const auto R =
      FModel.MouseDown(P.x(), P.y(), Mods.testFlag(Qt::ShiftModifier), Mods.testFlag(Qt::ControlModifier));
  if (R.DrawMarks)
    DrawMarks();
  if (R.TakeFocus)
    setFocus(Qt::MouseFocusReason);
  if (R.SetFocused)
    FFocused = true;
}

void TGraph::mouseMoveEvent(QMouseEvent* E)
{
  E->accept();
  if (!E->buttons().testFlag(Qt::LeftButton))
    return;
  const QPoint P = E->position().toPoint();
  const auto R = FModel.MouseMoveHeld(P.x(), P.y());
  if (R.DrawMarks)
    DrawMarks();
  if (R.TakeFocus)
    setFocus(Qt::MouseFocusReason);
}

void TGraph::mouseReleaseEvent(QMouseEvent* E) { E->accept(); }

void TGraph::mouseDoubleClickEvent(QMouseEvent* E) { E->accept(); }

void TGraph::keyPressEvent(QKeyEvent* E)
{
  E->accept();
  // A held Ctrl+C repeats the key: only the first press copies.
  const bool CtrlC = E->key() == Qt::Key_C && E->modifiers().testFlag(Qt::ControlModifier);
  if (CtrlC && !E->isAutoRepeat())
    CopyToClipboard();
}

void TGraph::enterEvent(QEnterEvent*) { FFocused = true; }

void TGraph::leaveEvent(QEvent*) { FFocused = false; }

QImage TGraph::RenderClipboardImage()
{
  const std::optional<TCopyPlan> Plan =
      PlanClipboardCopy(FModel, static_cast<double>(FMarker1->Value()),
                        static_cast<double>(FMarker2->Value()), FModel.PpiX(), FModel.PpiY());
  if (!Plan)
    return {};
  const int64_t W = Plan->ImageWidth(), H = Plan->ImageHeight();
  if (W < 1 || H < 1 || W > MAX_COPY_SIDE || H > MAX_COPY_SIDE || W * H * 4 > MAX_COPY_BYTES)
    return {};
  QImage Img(static_cast<int>(W), static_cast<int>(H), QImage::Format_RGB32);
  if (Img.isNull())
    return {};
  const int Dpm = static_cast<int>(std::lround(FModel.PpiX() / 0.0254));
  Img.setDotsPerMeterX(Dpm);
  Img.setDotsPerMeterY(static_cast<int>(std::lround(FModel.PpiY() / 0.0254)));
  QPainter P(&Img);
  TQtChartCanvas::GdiRectangle(P, Img.rect(), Qt::black, Qt::white);
  TDrawRequest Q;
  Q.Target = TDrawTarget::Bitmap;
  Q.PpiX = FModel.PpiX();
  Q.PpiY = FModel.PpiY();
  Q.Plot = Plan->Plot;
  Q.FirstTrace = 1;
  Q.LastTrace = FModel.TraceCount();
  Q.Start = Plan->Start;
  Q.End = Plan->End;
  RenderChart(P, FModel, Q);
  return Img;
}

bool TGraph::CopyToClipboard()
{
  const QImage Img = RenderClipboardImage();
  if (Img.isNull())
    return false;
  QApplication::clipboard()->setImage(Img);
  return true;
}
