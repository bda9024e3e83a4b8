#include "app/ui/ListerSinks.h"

#include <QFontMetrics>
#include <QListWidget>
#include <QPainter>
#include <QPrinter>
#include <QTextCursor>
#include <QTextEdit>

#include "platform/qt/QtText.h"
#include "charts/ui/PageSink.h"

// --- list box ------------------------------------------------------------------------------

void TEvListBoxSink::Clear() { FList->clear(); }

void TEvListBoxSink::AddLine(std::string_view line) { FList->addItem(ToQ(line)); }

int TEvListBoxSink::Count() const { return FList->count(); }

void TEvListBoxSink::SetMultiSelect(bool on)
{
  FList->setSelectionMode(on ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
}

void TEvListBoxSink::SelectOnly(int index)
{
  FList->clearSelection();
  if (index >= 0 && index < FList->count())
    FList->setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
}

void TEvListBoxSink::Click()
{
  if (OnClick)
    OnClick();
}

// --- text control --------------------------------------------------------------------------

void TEvRichEditSink::BeginUpdate()
{
  if (FUpdates++ == 0) {
    FWasEnabled = FEdit->updatesEnabled();
    FEdit->setUpdatesEnabled(false);
  }
}

void TEvRichEditSink::EndUpdate()
{
  if (FUpdates > 0 && --FUpdates == 0)
    FEdit->setUpdatesEnabled(FWasEnabled);
}

void TEvRichEditSink::Clear() { FEdit->clear(); }

void TEvRichEditSink::AddLine(std::string_view line, TEvFontStyle style)
{
  QTextCursor cursor(FEdit->document());
  cursor.movePosition(QTextCursor::End);
  QTextCharFormat format;
  format.setFontWeight(style == TEvFontStyle::Bold ? QFont::Bold : QFont::Normal);
  // The first line goes into the empty first block; every further line opens a block.
  if (!FEdit->document()->isEmpty())
    cursor.insertBlock(QTextBlockFormat(), format);
  else
    cursor.setBlockCharFormat(format);
  cursor.insertText(ToQ(line), format);
}

void TEvRichEditSink::CaretToStart() { FEdit->moveCursor(QTextCursor::Start); }

// --- printer -------------------------------------------------------------------------------

TEvPrinterSink::TEvPrinterSink(QPrinter* printer) : FPrinter(printer) {}

TEvPrinterSink::~TEvPrinterSink()
{
  if (FPainter && FPainter->isActive())
    FPainter->end();
}

bool TEvPrinterSink::BeginJob(std::string_view title)
{
  if (!PrinterCanBegin(*FPrinter))
    return false;
  TPrintRun::JobBegins(*FPrinter);
  FPrinter->setDocName(ToQ(title));
  FPainter = std::make_unique<QPainter>();
  if (!FPainter->begin(FPrinter)) {
    FPainter.reset();
    return false;
  }
  FFont = FPainter->font();
  FY = 0;
  FPages = 1;
  return true;
}

bool TEvPrinterSink::Aborted() const
{
  return !FPainter || FPrinter->printerState() == QPrinter::Aborted ||
         FPrinter->printerState() == QPrinter::Error;
}

void TEvPrinterSink::PrintLine(std::string_view line, TEvFontStyle style)
{
  if (Aborted())
    return;
  QFont font = FFont;
  font.setBold(style == TEvFontStyle::Bold);
  FPainter->setFont(font);
  const QFontMetrics metrics(font, FPrinter);
  const int height = metrics.lineSpacing();
  const int pageHeight = FPainter->viewport().height();
  if (FY > 0 && FY + height > pageHeight) {
    if (!FPrinter->newPage())
      return;
    ++FPages;
    FY = 0;
  }
  // Text is placed by its top line, as the printer's text file writes it.
  FPainter->drawText(QPoint(0, FY + metrics.ascent()), ToQ(line));
  FY += height;
  FPainter->setFont(FFont);
}

void TEvPrinterSink::EndJob()
{
  if (FPainter && FPainter->isActive())
    FPainter->end();
  FPainter.reset();
}
