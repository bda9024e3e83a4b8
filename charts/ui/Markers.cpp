#include "charts/ui/Markers.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "charts/ui/GraphRender.h"

TMarker::TMarker(QWidget* Parent) : QWidget(Parent)
{
  setFixedSize(MARKER_WIDTH, MARKER_WIDTH);
  setAutoFillBackground(false);
  setCursor(Qt::SizeHorCursor);
}

void TMarker::EndLayout()
{
  FLayoutLock = false;
  Reposition();
}

void TMarker::SetTrack(const TGraphRect& Track)
{
  FTrack.Track = Track;
  Reposition();
}

void TMarker::SetRange(long double Min, long double Max)
{
  FTrack.Min = Min;
  FTrack.Max = Max;
  Reposition();
}

void TMarker::SetValue(long double V)
{
  FValue = V;
  Reposition();
  emit Changed(this);
}

void TMarker::Reposition()
{
  if (FLayoutLock)
    return;
  // With an empty range there is no place for a value: the cursor stays where it is instead of
  // creeping left by half its width at every layout, and sits on the track's bottom line.
  const std::optional<int64_t> X = MarkerXForValue(FTrack, FValue);
  const int64_t Left = X ? MarkerLeftForX(FTrack, *X, width()) : x();
  const int64_t Top = static_cast<int64_t>(FTrack.Track.Bottom) + (X ? 1 : 0);
  move(static_cast<int>(std::clamp<int64_t>(Left, -(1 << 20), 1 << 20)),
       static_cast<int>(std::clamp<int64_t>(Top, -(1 << 20), 1 << 20)));
}

void TMarker::paintEvent(QPaintEvent*)
{
  QPainter P(this);
  P.fillRect(rect(), palette().color(QPalette::Button));
  P.setRenderHint(QPainter::Antialiasing, false);
  P.setPen(QPen(ColorRefToQColor(FLineColor), 0));
  const int W = width(), H = height();
  const QPoint Pts[] = {{0, H - 1}, {W / 2, 0}, {W, H - 1}, {0, H - 1}};
  P.drawPolyline(Pts, 4);
}

void TMarker::mousePressEvent(QMouseEvent* E)
{
  E->accept();
  if (E->button() != Qt::LeftButton || FDragging)
    return;
  FDragging = true;
  emit StartDrag(this);
  FLastMouseX = -32000;
}

void TMarker::mouseMoveEvent(QMouseEvent* E)
{
  E->accept();
  if (!FDragging)
    return;
  const QPoint P = mapToParent(E->position().toPoint());
  if (P.x() == FLastMouseX)
    return;
  FLastMouseX = P.x();
  const std::optional<long double> V = MarkerValueAtX(FTrack, P.x());
  if (V && FTrack.Min <= *V && *V <= FTrack.Max)
    FValue = *V;
  const int64_t Left = MarkerLeftForX(FTrack, P.x(), width());
  move(static_cast<int>(std::clamp<int64_t>(Left, -(1 << 20), 1 << 20)), y());
  emit Changed(this);
}

void TMarker::mouseReleaseEvent(QMouseEvent* E)
{
  E->accept();
  if (E->button() != Qt::LeftButton)
    return;
  FDragging = false;
  emit EndDrag(this);
}

void TMarker::mouseDoubleClickEvent(QMouseEvent* E) { E->accept(); }
