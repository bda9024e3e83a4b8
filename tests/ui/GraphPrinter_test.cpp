// Chart printing on real page sinks: a PDF file read back with pdfinfo and pdftotext, a list
// of images, and the system printer without a default printer.
#include "charts/ui/GraphPrinter.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "GraphFixture.h"
#include "PdfTools.h"
#include "platform/Codepage.h"
#include "platform/NumText.h"
#include "platform/Prompts.h"
#include "tests/support/TempDir.h"

using pdftools::InfoField;

namespace {

class GraphPrinter : public TQtTest {};

// Traces 1..Count with a two-state bar over 0..End, no autoscale, 10 mm per unit.
void FillTraces(TGraphModel& M, int Count, double End)
{
  M.BeginUpdate();
  M.Clear();
  M.SetAutoscale(false);
  M.SetScaleX(100);
  for (int T = 1; T <= Count; ++T) {
    M.AddSample(ChartSample(0, 0x0000FF, 15), uint16_t(T));
    M.AddSample(ChartSample(End / 2, 0x008000, 6), uint16_t(T));
    M.AddSample(ChartSample(End, 0x008000, 6), uint16_t(T));
    M.SetTraceCaption(T, "Ślad "_cp + IntToStr(T));
  }
  M.EndUpdate();
}

// An A4 portrait PDF printer without margins, so the page is 210 x 297 mm.
void MakeA4Pdf(QPrinter& P, const QString& Path)
{
  P.setOutputFormat(QPrinter::PdfFormat);
  P.setOutputFileName(Path);
  P.setPageSize(QPageSize(QPageSize::A4));
  P.setPageOrientation(QPageLayout::Portrait);
  P.setFullPage(true);
  P.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

// A page sink printing to an A4 PDF file in a folder of its own.
struct TA4PdfSink {
  explicit TA4PdfSink(const char* Name) : Path(QString::fromStdString(Dir.File(Name))) {}
  TTempDir Dir;
  QString Path;
  QPrinter Printer{QPrinter::HighResolution};
  bool Made = (MakeA4Pdf(Printer, Path), true);
  TPrinterPageSink Sink{Printer};
};

}  // namespace

TEST_F(GraphPrinter, PdfPagesAcrossAndDown)
{
  TA4PdfSink Pdf("chart.pdf");
  const TTempDir& Dir = Pdf.Dir;
  const QString& Path = Pdf.Path;
  TPrinterPageSink& Sink = Pdf.Sink;

  TGraphModel M;
  FillTraces(M, 40, 100);  // 1000 mm long: 6 pages across; 34 + 6 traces: 2 rows
  M.SetPrintTitle("Sekwencja nr.3 - wykres"_cp);
  ASSERT_EQ(GraphPages(M, Sink), 12);
  EXPECT_EQ(M.PageSetup().Width, 210);
  EXPECT_EQ(M.PageSetup().Height, 297);
  EXPECT_EQ(PrintGraph(M, 1, GraphPages(M, Sink), Sink), 12);
  EXPECT_FALSE(Sink.Printing());

  const std::string File = Path.toStdString();
  const std::string Info = pdftools::PdfInfo(File);
  EXPECT_EQ(InfoField(Info, "Pages"), "12") << Info;
  EXPECT_EQ(InfoField(Info, "Title"), "Sekwencja nr.3 - wykres") << Info;
  for (int Page = 1; Page <= 12; ++Page) {
    const std::string Text = pdftools::PdfText(File, Page);
    EXPECT_NE(Text.find("Sekwencja nr.3 - wykres"), std::string::npos) << "page " << Page;
    EXPECT_NE(Text.find("[s]"), std::string::npos) << "page " << Page;
  }
  // Row 1 holds traces 1..34, row 2 traces 35..40; every page of a row shows its captions.
  const std::string First = pdftools::PdfText(File, 1);
  EXPECT_NE(First.find("1. Ślad 1"), std::string::npos);
  EXPECT_NE(First.find("34. Ślad 34"), std::string::npos);
  EXPECT_EQ(First.find("35. Ślad 35"), std::string::npos);
  const std::string Second = pdftools::PdfText(File, 2);
  EXPECT_NE(Second.find("34. Ślad 34"), std::string::npos);
  EXPECT_NE(Second.find("20"), std::string::npos);  // its axis runs on from 18
  const std::string Seventh = pdftools::PdfText(File, 7);
  EXPECT_NE(Seventh.find("35. Ślad 35"), std::string::npos);
  EXPECT_NE(Seventh.find("40. Ślad 40"), std::string::npos);
  EXPECT_EQ(Seventh.find("34. Ślad 34"), std::string::npos);

  // Rendered back to pixels, the time axis of each row lies where the page layout puts it:
  // 25 mm + 34 x 7 mm + 10 mm down on page 1, 25 + 6 x 7 + 10 mm on page 7.
  for (const auto& [Page, AxisMm] : {std::pair{1, 273.0}, std::pair{7, 77.0}}) {
    const QString Png = QString::fromStdString(Dir.File("page" + std::to_string(Page)));
    pdftools::RunCommand("pdftoppm -r 100 -gray -png -singlefile -f " + std::to_string(Page) + " -l " +
                         std::to_string(Page) + " '" + File + "' '" + Png.toStdString() + "'");
    const QImage Img(Png + QStringLiteral(".png"));
    ASSERT_FALSE(Img.isNull()) << Page;
    const int Y = int(AxisMm * 100 / 25.4 + 0.5);
    int Darkest = 255;
    for (int Dy = -2; Dy <= 2; ++Dy)
      Darkest = std::min(Darkest, qGray(Img.pixel(Img.width() / 2, Y + Dy)));
    EXPECT_LT(Darkest, 128) << "page " << Page;
    // Below the axis strip the page is empty.
    EXPECT_EQ(qGray(Img.pixel(Img.width() / 2, Y + 60)), 255) << "page " << Page;
  }
}

TEST_F(GraphPrinter, ImagePagesOfARange)
{
  TGraphModel M;
  FillTraces(M, 40, 36);  // 2 across, 2 rows
  M.SetPrintTitle("Legenda");
  TImagePageSink Sink(210, 297, 100);
  EXPECT_EQ(GraphPages(M, Sink), 4);
  EXPECT_EQ(PrintGraph(M, 2, 99, Sink), 3);
  ASSERT_EQ(Sink.Images.size(), 3u);
  EXPECT_EQ(Sink.Title(), "Legenda");
  EXPECT_EQ(Sink.JobsBegun(), 1);
  EXPECT_EQ(Sink.JobsEnded(), 1);
  const QImage& Page = Sink.Images[0];
  EXPECT_EQ(Page.width(), 827);  // 210 mm at 100 dpi
  EXPECT_EQ(Page.height(), 1169);
  // Page 2 (row 1): the left axis edge at 15 mm runs from the top margin to the plot bottom,
  // and a red bar stands on the first band's bottom line.
  const int Left = 59, Top = 98;     // 15 mm, 25 mm
  const int Bottom = 98 + 937 + 39;  // + 34 x 7 mm + 10 mm
  EXPECT_EQ(Page.pixelColor(Left, Top + 5), QColor(Qt::black));
  EXPECT_EQ(Page.pixelColor(Left, Bottom - 5), QColor(Qt::black));
  EXPECT_EQ(Page.pixelColor(Left + 100, Bottom), QColor(Qt::black));  // the time axis
  EXPECT_EQ(Page.pixelColor(Left + 100, Bottom + 40), QColor(Qt::white));
  // Page 3 (row 2) holds 6 traces: its axis is higher up.
  const int Bottom3 = 98 + 165 + 39;
  EXPECT_EQ(Sink.Images[1].pixelColor(Left + 100, Bottom3), QColor(Qt::black));

  // A range without pages begins no job.
  EXPECT_EQ(PrintGraph(M, 1, 0, Sink), 0);
  EXPECT_EQ(PrintGraph(M, 4, 3, Sink), 0);
  EXPECT_EQ(Sink.JobsBegun(), 1);
}

TEST_F(GraphPrinter, AbortStopsAtOnce)
{
  TGraphModel M;
  FillTraces(M, 40, 36);
  TImagePageSink Sink(210, 297, 50);
  // The abort comes while page 2 is begun: page 1 alone is drawn, and the loop ends there.
  Sink.AbortAfterPages = 2;
  EXPECT_EQ(PrintGraph(M, 1, 4, Sink), 1);
  EXPECT_EQ(Sink.Images.size(), 2u);
  EXPECT_EQ(Sink.JobsEnded(), 0);
}

TEST_F(GraphPrinter, SystemPrinterWithoutDefaultPrinter)
{
  TScriptedPrompts P;
  IPrompts* Old = SetPrompts(&P);
  QPrinter Printer(QPrinter::HighResolution);
  Printer.setOutputFormat(QPrinter::NativeFormat);
  TPrinterPageSink Sink(Printer);
  Sink.DefaultPrinterExists = [] { return false; };
  ASSERT_TRUE(Sink.IsSystemPrinter());

  TGraphModel M;
  FillTraces(M, 3, 10);
  M.PageSetup().Width = 200;
  GraphReadPrinterPage(M, Sink);
  EXPECT_EQ(M.PageSetup().Width, 200);  // nothing to read the page from
  EXPECT_EQ(PrintGraph(M, 1, 9, Sink), 0);
  EXPECT_FALSE(Sink.Printing());
  ASSERT_EQ(P.Records.size(), 1u);
  EXPECT_EQ(P.Records[0].Text, "Brak domyślnej drukarki"_cp);
  EXPECT_EQ(P.Records[0].Caption, "Błąd"_cp);
  SetPrompts(Old);
}

TEST_F(GraphPrinter, OneProcessWidePrinter)
{
  QPrinter& A = AppPrinter();
  EXPECT_EQ(&A, &AppPrinter());
  EXPECT_EQ(A.resolution(), QPrinter(QPrinter::HighResolution).resolution());
}

TEST_F(GraphPrinter, PrintedAxisReadsTheDecimalsOfTheDivision)
{
  TA4PdfSink Pdf("quarter.pdf");
  TPrinterPageSink& Sink = Pdf.Sink;
  TGraphModel M;
  FillTraces(M, 3, 1.9);
  M.SetScaleX(200);  // a quarter second per 20 mm division: room for every label, one page
  M.SetdXPerDiv(0.25);
  ASSERT_EQ(GraphPages(M, Sink), 1);
  EXPECT_EQ(PrintGraph(M, 1, 1, Sink), 1);
  const std::string Text = pdftools::PdfText(Pdf.Path.toStdString(), 1);
  // The axis line: the labels in their order.
  const size_t At = Text.find("0,25");
  ASSERT_NE(At, std::string::npos) << Text;
  const size_t LineStart = Text.rfind('\n', At) + 1;
  std::string Line = Text.substr(LineStart, Text.find('\n', At) - LineStart);
  std::vector<std::string> Words;
  for (size_t I = 0; I < Line.size();) {
    const size_t From = Line.find_first_not_of(' ', I);
    if (From == std::string::npos)
      break;
    const size_t To = Line.find(' ', From);
    Words.push_back(Line.substr(From, To - From));
    I = To == std::string::npos ? Line.size() : To;
  }
  const std::vector<std::string> Expected{"0", "0,25", "0,5", "0,75", "1", "1,25", "1,5", "1,75"};
  ASSERT_GE(Words.size(), Expected.size()) << Line;
  EXPECT_EQ(std::vector<std::string>(Words.begin(), Words.begin() + long(Expected.size())), Expected) << Line;
}
