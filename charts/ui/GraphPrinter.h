#pragma once
// The time chart's printing on a page sink: the page count, the printer's page set-up and
// the print loop (charts/GraphPrint.h) with RenderChart drawing each page.

#include "charts/GraphPrint.h"
#include "charts/ui/PageSink.h"

class TChartPageSink : public IChartPageSink {
public:
  explicit TChartPageSink(TPageSink& Sink) : FSink(Sink) {}
  bool ReadPage(int& WidthMm, int& HeightMm, bool& Landscape) override;
  bool IsSystemPrinter() const override { return FSink.IsSystemPrinter(); }
  bool HasDefaultPrinter() const override { return FSink.HasDefaultPrinter(); }
  bool Printing() const override { return FSink.Printing(); }
  void SetTitle(const std::string& Title) override;
  bool BeginJob() override { return FSink.BeginJob(); }
  int PpiX() const override { return FSink.PpiX(); }
  int PpiY() const override { return FSink.PpiY(); }
  void DrawPage(TGraphModel& Model, const TDrawRequest& Request) override;
  bool NewPage() override { return FSink.NewPage(); }
  bool Aborted() const override { return FSink.Aborted(); }
  void EndJob() override { FSink.EndJob(); }
  void ProcessEvents() override;

private:
  TPageSink& FSink;
};

// The chart's Pages, ReadPrinterPage and Print on a sink; without one, on AppPrinter().
int GraphPages(TGraphModel& Model, TPageSink& Sink);
int GraphPages(TGraphModel& Model);
void GraphReadPrinterPage(TGraphModel& Model, TPageSink& Sink);
void GraphReadPrinterPage(TGraphModel& Model);
int PrintGraph(TGraphModel& Model, int FromPage, int ToPage, TPageSink& Sink);
int PrintGraph(TGraphModel& Model, int FromPage, int ToPage);
