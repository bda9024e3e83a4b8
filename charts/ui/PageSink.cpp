#include "charts/ui/PageSink.h"

#include <QCoreApplication>
#include <QPageLayout>
#include <QPrinter>
#include <QPrinterInfo>

#include <cmath>

QPrinter& AppPrinter()
{
  // Made on first use, since a printer needs the application object, and let go when the
  // application ends, before the print system it talks to is torn down.
  static std::unique_ptr<QPrinter> printer;
  if (!printer) {
    printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    qAddPostRoutine([] { printer.reset(); });
  }
  return *printer;
}

bool PrinterCanBegin(const QPrinter& printer)
{
  return printer.outputFormat() != QPrinter::PdfFormat || !printer.outputFileName().isEmpty();
}

QString PrintJobFileName(const QString& first, int job)
{
  if (job <= 1)
    return first;
  const QString number = QStringLiteral("-") + QString::number(job);
  const qsizetype slash = first.lastIndexOf(QLatin1Char('/'));
  const qsizetype dot = first.lastIndexOf(QLatin1Char('.'));
  // A dot that starts the file's name (a hidden file) is no extension.
  if (dot > slash + 1)
    return first.left(dot) + number + first.mid(dot);
  return first + number;
}

namespace {
TPrintRun* OpenRun = nullptr;
}

TPrintRun::TPrintRun() : FOuter(OpenRun) { OpenRun = this; }

TPrintRun::~TPrintRun()
{
  for (const TUsed& used : FUsed)
    if (used.Printer->outputFileName() != used.FirstFile && used.Printer->printerState() != QPrinter::Active)
      used.Printer->setOutputFileName(used.FirstFile);
  OpenRun = FOuter;
}

void TPrintRun::JobBegins(QPrinter& printer)
{
  if (OpenRun == nullptr || printer.outputFormat() != QPrinter::PdfFormat ||
      printer.outputFileName().isEmpty())
    return;
  for (TUsed& used : OpenRun->FUsed)
    if (used.Printer == &printer) {
      printer.setOutputFileName(PrintJobFileName(used.FirstFile, ++used.Jobs));
      return;
    }
  OpenRun->FUsed.push_back({&printer, printer.outputFileName(), 1});
}

// --- printer --------------------------------------------------------------------------------

TPrinterPageSink::TPrinterPageSink(QPrinter& Printer)
    : DefaultPrinterExists([] { return !QPrinterInfo::defaultPrinter().isNull(); }), FPrinter(Printer)
{}

TPrinterPageSink::~TPrinterPageSink()
{
  if (FPainter && FPainter->isActive())
    FPainter->end();
}

bool TPrinterPageSink::IsSystemPrinter() const
{
  // Without a print system Qt turns a native printer into a PDF printer without a file:
  // that is still the system's printer, only one that is not there.
  return FPrinter.outputFormat() == QPrinter::NativeFormat || FPrinter.outputFileName().isEmpty();
}

bool TPrinterPageSink::HasDefaultPrinter() const { return DefaultPrinterExists && DefaultPrinterExists(); }

bool TPrinterPageSink::ReadPage(int& WidthMm, int& HeightMm, bool& Landscape)
{
  if (IsSystemPrinter() && !HasDefaultPrinter())
    return false;
  WidthMm = FPrinter.widthMM();
  HeightMm = FPrinter.heightMM();
  Landscape = FPrinter.pageLayout().orientation() == QPageLayout::Landscape;
  return true;
}

bool TPrinterPageSink::Printing() const { return FPainter && FPainter->isActive(); }

void TPrinterPageSink::SetTitle(const QString& Title) { FPrinter.setDocName(Title); }

bool TPrinterPageSink::BeginJob()
{
  if (!PrinterCanBegin(FPrinter))
    return false;
  TPrintRun::JobBegins(FPrinter);
  FPainter = std::make_unique<QPainter>();
  if (!FPainter->begin(&FPrinter)) {
    FPainter.reset();
    return false;
  }
  return true;
}

QPainter* TPrinterPageSink::Painter() { return Printing() ? FPainter.get() : nullptr; }

int TPrinterPageSink::PpiX() const { return FPrinter.logicalDpiX(); }

int TPrinterPageSink::PpiY() const { return FPrinter.logicalDpiY(); }

bool TPrinterPageSink::NewPage() { return Printing() && FPrinter.newPage(); }

bool TPrinterPageSink::Aborted() const
{
  return FPrinter.printerState() == QPrinter::Aborted || FPrinter.printerState() == QPrinter::Error;
}

void TPrinterPageSink::EndJob()
{
  if (FPainter && FPainter->isActive())
    FPainter->end();
  FPainter.reset();
}

// --- images ---------------------------------------------------------------------------------

TImagePageSink::TImagePageSink(int WidthMm, int HeightMm, int Dpi, bool Landscape)
    : FWidthMm(WidthMm), FHeightMm(HeightMm), FDpi(Dpi), FLandscape(Landscape)
{}

TImagePageSink::~TImagePageSink()
{
  if (FPainter)
    FPainter->end();
}

bool TImagePageSink::ReadPage(int& WidthMm, int& HeightMm, bool& Landscape)
{
  WidthMm = FWidthMm;
  HeightMm = FHeightMm;
  Landscape = FLandscape;
  return true;
}

void TImagePageSink::StartImage()
{
  if (FPainter)
    FPainter->end();
  FPainter.reset();
  const auto Px = [this](int Mm) { return static_cast<int>(std::lround(Mm * FDpi / 25.4)); };
  QImage Page(Px(FWidthMm), Px(FHeightMm), QImage::Format_RGB32);
  Page.fill(Qt::white);
  const int Dpm = static_cast<int>(std::lround(FDpi / 0.0254));
  Page.setDotsPerMeterX(Dpm);
  Page.setDotsPerMeterY(Dpm);
  Images.push_back(std::move(Page));
  FPainter = std::make_unique<QPainter>(&Images.back());
  if (AbortAfterPages > 0 && static_cast<int>(Images.size()) >= AbortAfterPages)
    FAborted = true;
}

bool TImagePageSink::BeginJob()
{
  ++FJobs;
  FAborted = false;
  StartImage();
  return true;
}

bool TImagePageSink::NewPage()
{
  if (!FPainter)
    return false;
  StartImage();
  return true;
}

void TImagePageSink::EndJob()
{
  ++FEnded;
  if (FPainter)
    FPainter->end();
  FPainter.reset();
}
