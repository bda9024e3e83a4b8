#pragma once
// The read page's message memo: the controller object writes its protocol log into it.

#include <string>

#include "app/document/KivMemo.h"

class QPlainTextEdit;

class TMemoMessage : public IKivMemo {
public:
  explicit TMemoMessage(QPlainTextEdit* edit) : FEdit(edit) {}
  size_t LineCount() const override;
  void AppendLine(std::string_view line) override;
  void DeleteFirstLines(size_t count) override;
  void DeleteLastLine() override;
  void TypeAtEnd(std::string_view text) override;
  void BeginUpdate() override;
  void EndUpdate() override;
  // Line i as Windows-1250 (tests, the window's checks).
  std::string Line(size_t i) const;
  // The memo is cleared by the window (a new read).
  void Clear();

private:
  QPlainTextEdit* FEdit;
  int FUpdates = 0;
  size_t FCount = 0;  // an empty document and one empty line look alike in the widget
};
