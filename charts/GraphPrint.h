#pragma once
// Printing the time chart over as many pages as its length and its traces need: the time
// axis is cut into page-wide spans, the traces into page rows, and every page is drawn by the
// chart's one drawing routine with the page as target.
//
// The printer is an interface (`IChartPageSink`): the GUI answers it with the process-wide
// printer, a PDF file or a list of images (charts/ui/PageSink.h), tests with a recorder.
// Pages are numbered row by row: pages 1 .. across show the first row of traces from the
// start of the data to its end, the next pages the next row.

#include <cstdint>
#include <string>
#include <vector>

#include "charts/GraphDraw.h"
#include "charts/GraphModel.h"

class IChartPageSink {
public:
  virtual ~IChartPageSink() = default;
  // The paper's size in mm and its orientation; false when there is no printer to ask
  // (the chart's page set-up then stays as it is).
  virtual bool ReadPage(int& WidthMm, int& HeightMm, bool& Landscape) = 0;
  // True for the system's printer, which needs a default printer to print at all; a PDF
  // file or an image list print without one.
  virtual bool IsSystemPrinter() const = 0;
  virtual bool HasDefaultPrinter() const = 0;
  // A job is already under way (it is then continued, not begun).
  virtual bool Printing() const = 0;
  // Named before the job begins, so the job carries it.
  virtual void SetTitle(const std::string& Title) = 0;
  // False when no job could be begun: nothing is printed then.
  virtual bool BeginJob() = 0;
  virtual int PpiX() const = 0;
  virtual int PpiY() const = 0;
  // Draws one page's request onto the current page.
  virtual void DrawPage(TGraphModel& Model, const TDrawRequest& Request) = 0;
  // False when the next page could not be begun (the job then counts as aborted).
  virtual bool NewPage() = 0;
  virtual bool Aborted() const = 0;
  virtual void EndJob() = 0;
  // Lets pending window messages run between pages (the abort button among them).
  virtual void ProcessEvents() {}
};

// One page row: the traces First..Last and the sum of their band heights in mm.
struct TPageRow {
  int First = 1;
  int Last = 0;
  int64_t BandsMm = 0;
};

// Band height of a trace on paper in mm: `BandHeight`, or 0 for a trace without samples or
// with band flag 0.
int64_t PrintedBandMm(TGraphModel& Model, uint16_t Trace);
// Page set-up lengths.
int64_t PrintableWidthMm(const TPageSetup& S);
int64_t PrintableHeightMm(const TPageSetup& S);

// The traces packed greedily into rows: a row takes the next trace while its band heights
// plus `ScaleHeight` stay within the printable height; every row takes at least one trace,
// so a band taller than the page still gets a page of its own.
std::vector<TPageRow> PackPageRows(TGraphModel& Model);
// The number of page rows: the row holding the last trace, not counting it when its band
// heights sum to 0.
int PageRowCount(const std::vector<TPageRow>& Rows);
// Pages across: the chart length over the printable width, rounded up; 0 when there is no
// length or no width to print on.
int PagesAcross(const TGraphModel& Model);
// The value span of one page.
double PageSpan(const TGraphModel& Model);

// Page width, height and orientation from the printer when there is one.
void ReadPrinterPage(TGraphModel& Model, IChartPageSink& Sink);
// ReadPrinterPage, then pages across x page rows (held at INT32_MAX).
int ChartPages(TGraphModel& Model, IChartPageSink& Sink);

// The plot rectangle of a page row on the printer, in the sink's pixels.
TGraphRect PrintedPlotRect(const TGraphModel& Model, const TPageRow& Row, int PpiX, int PpiY);

// Prints pages FromPage..ToPage (held at the page count). Nothing is printed, and no job
// begun, when the range holds no page. For the system printer without a default printer the
// message "Brak domyślnej drukarki" is shown and nothing printed. Returns the pages drawn.
int PrintChart(TGraphModel& Model, int FromPage, int ToPage, IChartPageSink& Sink);
