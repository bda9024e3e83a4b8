#pragma once
// Where printouts go. Every printout of the program (the chart, the setting grids, the event
// listing) draws its pages through a page sink: the process-wide printer, a PDF file (a
// QPrinter with PDF output) or, for tests and previews, a list of images.
//
// A job runs SetTitle, BeginJob, then Painter() for the current page and NewPage() between
// pages, and EndJob. Aborted() is asked between pages and ends the printout at once.

#include <QImage>
#include <QPainter>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class QPrinter;

// The program's one printer, created on first use: the printer set-up dialog, the chart, the
// grid and the listing print all use it, so a choice made in the set-up holds for each.
QPrinter& AppPrinter();

// Whether a print job can start on the printer. A PDF printer without a file (what Qt makes
// of the printer when there is no print system) refuses the job, and a refused start leaves
// the printer marked active for good: it then takes no later setting, not even the file
// chosen in the printer set-up. So no job is started on such a printer.
bool PrinterCanBegin(const QPrinter& printer);

// The print jobs of one print command. A printer that writes a file would write each job over
// the one before, leaving only the last; so while a run is open, the jobs after the first on
// the same file printer go to numbered files beside the first (out.pdf, out-2.pdf, ...).
// The end of the run gives each printer its own file name back; the printers used must
// outlive the run (the program's printer lives as long as the program).
class TPrintRun {
public:
  TPrintRun();
  ~TPrintRun();
  TPrintRun(const TPrintRun&) = delete;
  TPrintRun& operator=(const TPrintRun&) = delete;
  // Called by the page sinks just before a job begins on the printer.
  static void JobBegins(QPrinter& printer);

private:
  struct TUsed {
    QPrinter* Printer;
    QString FirstFile;
    int Jobs;
  };
  std::vector<TUsed> FUsed;
  TPrintRun* FOuter;
};

// The file of the n-th job (from 1) of a run whose first job writes first: "out.pdf" gives
// "out-2.pdf", a name without an extension gets the number at its end.
QString PrintJobFileName(const QString& first, int job);

class TPageSink {
public:
  virtual ~TPageSink() = default;
  // The system's printer needs a default printer to print at all; a PDF file or images not.
  virtual bool IsSystemPrinter() const = 0;
  virtual bool HasDefaultPrinter() const = 0;
  // The paper's printable size in mm and its orientation; false when there is no printer.
  virtual bool ReadPage(int& WidthMm, int& HeightMm, bool& Landscape) = 0;
  virtual bool Printing() const = 0;
  // Set before BeginJob: the job is named by it.
  virtual void SetTitle(const QString& Title) = 0;
  virtual bool BeginJob() = 0;
  // The current page's painter; null outside a job.
  virtual QPainter* Painter() = 0;
  virtual int PpiX() const = 0;
  virtual int PpiY() const = 0;
  virtual bool NewPage() = 0;
  virtual bool Aborted() const = 0;
  virtual void EndJob() = 0;
};

// A QPrinter: the system's printer (native output, or no output file) or a PDF file.
class TPrinterPageSink : public TPageSink {
public:
  explicit TPrinterPageSink(QPrinter& Printer);
  ~TPrinterPageSink() override;
  bool IsSystemPrinter() const override;
  bool HasDefaultPrinter() const override;
  bool ReadPage(int& WidthMm, int& HeightMm, bool& Landscape) override;
  bool Printing() const override;
  void SetTitle(const QString& Title) override;
  bool BeginJob() override;
  QPainter* Painter() override;
  int PpiX() const override;
  int PpiY() const override;
  bool NewPage() override;
  bool Aborted() const override;
  void EndJob() override;
  QPrinter& Printer() { return FPrinter; }

  // Whether the system has a default printer; asks the print system unless replaced.
  std::function<bool()> DefaultPrinterExists;

private:
  QPrinter& FPrinter;
  std::unique_ptr<QPainter> FPainter;
};

// Pages as white images of a paper size at a resolution.
class TImagePageSink : public TPageSink {
public:
  TImagePageSink(int WidthMm, int HeightMm, int Dpi, bool Landscape = false);
  ~TImagePageSink() override;
  bool IsSystemPrinter() const override { return false; }
  bool HasDefaultPrinter() const override { return true; }
  bool ReadPage(int& WidthMm, int& HeightMm, bool& Landscape) override;
  bool Printing() const override { return FPainter != nullptr; }
  void SetTitle(const QString& Title) override { FTitle = Title; }
  bool BeginJob() override;
  QPainter* Painter() override { return FPainter.get(); }
  int PpiX() const override { return FDpi; }
  int PpiY() const override { return FDpi; }
  bool NewPage() override;
  bool Aborted() const override { return FAborted; }
  void EndJob() override;

  // The pages printed, in order, and the title each job carried.
  std::vector<QImage> Images;
  QString Title() const { return FTitle; }
  int JobsBegun() const { return FJobs; }
  int JobsEnded() const { return FEnded; }
  // For tests: the job counts as aborted once this many pages have been begun (0 = never).
  int AbortAfterPages = 0;

private:
  void StartImage();
  int FWidthMm, FHeightMm, FDpi;
  bool FLandscape;
  QString FTitle;
  std::unique_ptr<QPainter> FPainter;
  int FJobs = 0;
  int FEnded = 0;
  bool FAborted = false;
};
