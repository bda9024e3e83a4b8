#include "charts/ui/GraphPrinter.h"

#include <QCoreApplication>

#include "platform/qt/QtText.h"
#include "charts/ui/GraphRender.h"

bool TChartPageSink::ReadPage(int& WidthMm, int& HeightMm, bool& Landscape)
{
  return FSink.ReadPage(WidthMm, HeightMm, Landscape);
}

void TChartPageSink::SetTitle(const std::string& Title) { FSink.SetTitle(ToQ(Title)); }

void TChartPageSink::DrawPage(TGraphModel& Model, const TDrawRequest& Request)
{
  if (QPainter* P = FSink.Painter())
    RenderChart(*P, Model, Request);
}

void TChartPageSink::ProcessEvents() { QCoreApplication::processEvents(); }

int GraphPages(TGraphModel& Model, TPageSink& Sink)
{
  TChartPageSink Pages(Sink);
  return ChartPages(Model, Pages);
}

void GraphReadPrinterPage(TGraphModel& Model, TPageSink& Sink)
{
  TChartPageSink Pages(Sink);
  ReadPrinterPage(Model, Pages);
}

int PrintGraph(TGraphModel& Model, int FromPage, int ToPage, TPageSink& Sink)
{
  TChartPageSink Pages(Sink);
  return PrintChart(Model, FromPage, ToPage, Pages);
}

int GraphPages(TGraphModel& Model)
{
  TPrinterPageSink Sink(AppPrinter());
  return GraphPages(Model, Sink);
}

void GraphReadPrinterPage(TGraphModel& Model)
{
  TPrinterPageSink Sink(AppPrinter());
  GraphReadPrinterPage(Model, Sink);
}

int PrintGraph(TGraphModel& Model, int FromPage, int ToPage)
{
  TPrinterPageSink Sink(AppPrinter());
  return PrintGraph(Model, FromPage, ToPage, Sink);
}
