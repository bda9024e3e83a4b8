// The Qt controls the event lister writes to: the sequence list box, the event text and
// the printer. They show what the lister computes; texts arrive as Windows-1250 bytes and
// are written as plain text (they hold '<' and '>', so never as markup).
#pragma once

#include <functional>
#include <memory>

#include <QFont>

#include "app/events/Lister.h"

class QListWidget;
class QTextEdit;
class QPrinter;
class QPainter;

// The sequence list: one line per sequence.
class TEvListBoxSink : public IEvListSink {
public:
  explicit TEvListBoxSink(QListWidget* list) : FList(list) {}
  void Clear() override;
  void AddLine(std::string_view line) override;
  int Count() const override;
  void SetMultiSelect(bool on) override;
  void SelectOnly(int index) override;
  void Click() override;
  // The document window's click handler.
  std::function<void()> OnClick;

private:
  QListWidget* FList;
};

// The event text, filled through a text cursor with a normal or bold character format.
class TEvRichEditSink : public IEvTextSink {
public:
  explicit TEvRichEditSink(QTextEdit* edit) : FEdit(edit) {}
  void BeginUpdate() override;
  void EndUpdate() override;
  void Clear() override;
  void AddLine(std::string_view line, TEvFontStyle style) override;
  void CaretToStart() override;

private:
  QTextEdit* FEdit;
  int FUpdates = 0;
  bool FWasEnabled = true;
};

// A listing printed line by line, with a new page whenever the next line would not fit.
class TEvPrinterSink : public IEvPrintSink {
public:
  explicit TEvPrinterSink(QPrinter* printer);
  ~TEvPrinterSink() override;
  bool BeginJob(std::string_view title) override;
  bool Aborted() const override;
  void PrintLine(std::string_view line, TEvFontStyle style) override;
  void EndJob() override;
  int PagesPrinted() const { return FPages; }

private:
  QPrinter* FPrinter;
  std::unique_ptr<QPainter> FPainter;
  QFont FFont;
  int FY = 0;
  int FPages = 0;
};
