#pragma once
// TGraph: the time-chart panel. It owns the chart model (charts/GraphModel.h), an off-screen
// back buffer, the scroll bars, the two cursors with their five read-out labels, and forwards
// the mouse and the keyboard to the model's rules. Drawing goes through RenderChart, the same
// routine a printer page or a clipboard copy uses.

#include <QImage>
#include <QWidget>
#include <vector>

#include "charts/GraphDraw.h"
#include "charts/GraphModel.h"

class QLabel;
class QScrollBar;
class TMarker;

class TGraph : public QWidget, public IGraphView {
  Q_OBJECT
public:
  explicit TGraph(QWidget* Parent = nullptr);
  ~TGraph() override;

  TGraphModel& Model() { return FModel; }

  // The chart's operations, as the document window and the event lister call them.
  void AddSample(const TChartSample& Sample, uint16_t Trace) { FModel.AddSample(Sample, Trace); }
  void SetTraceCaption(int Trace, std::string_view Caption) { FModel.SetTraceCaption(Trace, Caption); }
  void Clear() { FModel.Clear(); }
  void BeginUpdate() { FModel.BeginUpdate(); }
  void EndUpdate() { FModel.EndUpdate(); }

  void SelectTrace(uint16_t Trace, uint8_t Mark) { FModel.SelectTrace(Trace, Mark); }
  bool TraceSelected(uint16_t Trace) const { return FModel.TraceSelected(Trace); }
  uint16_t SelectedCount() const { return FModel.SelectedCount(); }
  void SetAllSelected(bool Value);
  void SelectAll() { SetAllSelected(true); }
  void UnselectAll() { SetAllSelected(false); }
  // Copies the selected traces as one bitmap; false when there was nothing to copy or the
  // bitmap would be too large to allocate.
  bool CopyToClipboard();
  // The image CopyToClipboard would put on the clipboard (null when it would copy nothing).
  QImage RenderClipboardImage();

  TMarker* Marker1() const { return FMarker1; }
  TMarker* Marker2() const { return FMarker2; }
  QLabel* X1Readout() const { return FX1Readout; }
  QLabel* X2Readout() const { return FX2Readout; }
  QLabel* DtLabel() const { return FDtLabel; }
  QScrollBar* HScrollBar() const { return FHScroll; }
  QScrollBar* VScrollBar() const { return FVScroll; }
  bool Focused() const { return FFocused; }
  int BevelWidth() const { return FBevel; }
  // The screen back buffer as last drawn, and the frame with the selection marks on top.
  const QImage& BackBitmap() const { return FBackBitmap; }
  const QImage& Frame() const { return FFrame; }

  // IGraphView
  void ReadMetrics() override;
  void Redraw() override;
  void LayoutCursors() override;
  void ScrollRangesChanged() override;

  // A clipboard bitmap larger than this many bytes, or wider or taller than the painter can
  // address, is not made.
  static constexpr int64_t MAX_COPY_BYTES = 256LL * 1024 * 1024;
  static constexpr int64_t MAX_COPY_SIDE = 32767;

protected:
  void paintEvent(QPaintEvent* E) override;
  void resizeEvent(QResizeEvent* E) override;
  void showEvent(QShowEvent* E) override;
  void mousePressEvent(QMouseEvent* E) override;
  void mouseMoveEvent(QMouseEvent* E) override;
  void mouseReleaseEvent(QMouseEvent* E) override;
  void mouseDoubleClickEvent(QMouseEvent* E) override;
  void keyPressEvent(QKeyEvent* E) override;
  void enterEvent(QEnterEvent* E) override;
  void leaveEvent(QEvent* E) override;

private:
  void DrawMarks();
  void LayoutScrollBars();
  void LayoutLabels();
  void MarkerChanged(TMarker* Sender);
  void ScrollMoved();
  QColor PanelColor() const;

  TGraphModel FModel;
  QImage FBackBitmap;
  QImage FFrame;
  bool FBackDirty = true;
  bool FInPaint = false;
  int FBevel = 1;
  bool FFocused = false;
  QScrollBar* FVScroll = nullptr;
  QScrollBar* FHScroll = nullptr;
  QLabel* FX1Caption = nullptr;
  QLabel* FX1Readout = nullptr;
  QLabel* FX2Caption = nullptr;
  QLabel* FX2Readout = nullptr;
  QLabel* FDtLabel = nullptr;
  TMarker* FMarker1 = nullptr;
  TMarker* FMarker2 = nullptr;
};
