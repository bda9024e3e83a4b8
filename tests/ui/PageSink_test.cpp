// The printer's page sink: which printer can start a job, and the files of the jobs of one
// print run on a printer that writes a file.
#include "charts/ui/PageSink.h"

#include <QPrinter>

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/app/DocTestSupport.h"
#include "tests/ui/QtTestApp.h"

namespace {

TEST(PrintJobFileName, NumbersTheJobsAfterTheFirst)
{
  struct TCase {
    const char* First;
    int Job;
    const char* Expected;
  };
  const TCase cases[] = {
      {"/tmp/out.pdf", 1, "/tmp/out.pdf"},     {"/tmp/out.pdf", 2, "/tmp/out-2.pdf"},
      {"/tmp/out.pdf", 12, "/tmp/out-12.pdf"}, {"/tmp/out", 3, "/tmp/out-3"},
      {"/tmp/a.b/out", 2, "/tmp/a.b/out-2"},   {"/tmp/.pdf", 2, "/tmp/.pdf-2"},
      {"out.tar.pdf", 2, "out.tar-2.pdf"},     {"wydruk", 2, "wydruk-2"},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(PrintJobFileName(QString::fromUtf8(c.First), c.Job).toStdString(), c.Expected)
        << c.First << " " << c.Job;
}

class PageSinkTest : public TQtAppTest {
protected:
  // Prints one page with a line on it through a sink over the printer.
  static bool PrintOnePage(QPrinter& printer)
  {
    TPrinterPageSink sink(printer);
    if (!sink.BeginJob())
      return false;
    sink.Painter()->drawLine(0, 0, 100, 100);
    sink.EndJob();
    return true;
  }
  TTempDir Dir;
};

TEST_F(PageSinkTest, APdfPrinterWithoutAFileStartsNoJobAndStaysUsable)
{
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(QString());
  EXPECT_FALSE(PrinterCanBegin(printer));
  EXPECT_FALSE(PrintOnePage(printer));
  EXPECT_NE(printer.printerState(), QPrinter::Active);
  const std::string pdf = Dir.File("later.pdf");
  printer.setOutputFileName(QString::fromStdString(pdf));
  EXPECT_TRUE(PrinterCanBegin(printer));
  EXPECT_TRUE(PrintOnePage(printer));
  EXPECT_TRUE(std::filesystem::exists(pdf));
}

TEST_F(PageSinkTest, JobsOfARunGoToFilesOfTheirOwn)
{
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  const QString first = QString::fromStdString(Dir.File("run.pdf"));
  printer.setOutputFileName(first);
  {
    const TPrintRun run;
    for (int i = 0; i < 3; ++i)
      ASSERT_TRUE(PrintOnePage(printer));
  }
  for (const char* name : {"run.pdf", "run-2.pdf", "run-3.pdf"})
    EXPECT_TRUE(std::filesystem::exists(Dir.File(name))) << name;
  EXPECT_EQ(printer.outputFileName(), first);
  // Outside a run every job writes the file chosen.
  ASSERT_TRUE(PrintOnePage(printer));
  ASSERT_TRUE(PrintOnePage(printer));
  EXPECT_EQ(printer.outputFileName(), first);
  EXPECT_FALSE(std::filesystem::exists(Dir.File("run-4.pdf")));
}

}  // namespace
