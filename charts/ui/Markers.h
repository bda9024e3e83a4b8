#pragma once
// TMarker: a small triangle under the plot that the user drags along the time axis. The value
// arithmetic is in charts/GraphModel.h; this widget only moves itself and reports.

#include <QWidget>

#include "charts/GraphModel.h"

class TMarker : public QWidget {
  Q_OBJECT
public:
  explicit TMarker(QWidget* Parent);

  TColorRef LineColor() const { return FLineColor; }
  void SetLineColor(TColorRef C)
  {
    FLineColor = C;
    update();
  }

  void BeginLayout() { FLayoutLock = true; }
  void EndLayout();
  bool LayoutLock() const { return FLayoutLock; }
  void SetTrack(const TGraphRect& Track);
  void SetRange(long double Min, long double Max);
  const TGraphRect& Track() const { return FTrack.Track; }
  long double Min() const { return FTrack.Min; }
  long double Max() const { return FTrack.Max; }
  long double Value() const { return FValue; }
  // Places the cursor on a value (the document window and tests); reports like a drag.
  void SetValue(long double V);
  bool Dragging() const { return FDragging; }

signals:
  void Changed(TMarker* Sender);
  void StartDrag(TMarker* Sender);
  void EndDrag(TMarker* Sender);

protected:
  void paintEvent(QPaintEvent* E) override;
  void mousePressEvent(QMouseEvent* E) override;
  void mouseMoveEvent(QMouseEvent* E) override;
  void mouseReleaseEvent(QMouseEvent* E) override;
  void mouseDoubleClickEvent(QMouseEvent* E) override;

private:
  void Reposition();

  TColorRef FLineColor = 0x008000;
  bool FLayoutLock = false;
  bool FDragging = false;
  TMarkerTrack FTrack;
  long double FValue = 0;
  int FLastMouseX = -32000;
};
