#include "app/ui/ChildMemo.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include "platform/qt/QtText.h"

size_t TMemoMessage::LineCount() const { return FCount; }

void TMemoMessage::AppendLine(std::string_view line)
{
  // An empty document still has its one empty block: the first line goes into it.
  if (FCount == 0)
    FEdit->setPlainText(ToQ(line));
  else
    FEdit->appendPlainText(ToQ(line));
  ++FCount;
  FEdit->verticalScrollBar()->setValue(FEdit->verticalScrollBar()->maximum());
}

void TMemoMessage::DeleteFirstLines(size_t count)
{
  if (count == 0 || FCount == 0)
    return;
  if (count >= FCount) {
    FEdit->clear();
    FCount = 0;
    return;
  }
  QTextCursor c(FEdit->document());
  c.movePosition(QTextCursor::Start);
  c.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor, int(count));
  c.removeSelectedText();
  FCount -= count;
}

void TMemoMessage::DeleteLastLine()
{
  if (FCount <= 1) {
    FEdit->clear();
    FCount = 0;
    return;
  }
  QTextCursor c(FEdit->document());
  c.movePosition(QTextCursor::End);
  c.movePosition(QTextCursor::StartOfBlock, QTextCursor::KeepAnchor);
  c.movePosition(QTextCursor::PreviousCharacter, QTextCursor::KeepAnchor);
  c.removeSelectedText();
  --FCount;
}

void TMemoMessage::TypeAtEnd(std::string_view text)
{
  QTextCursor c(FEdit->document());
  c.movePosition(QTextCursor::End);
  c.insertText(ToQ(text));
  if (FCount == 0)
    FCount = 1;
}

void TMemoMessage::BeginUpdate()
{
  if (FUpdates++ == 0)
    FEdit->setUpdatesEnabled(false);
}

void TMemoMessage::EndUpdate()
{
  if (FUpdates > 0 && --FUpdates == 0) {
    FEdit->setUpdatesEnabled(true);
    FEdit->verticalScrollBar()->setValue(FEdit->verticalScrollBar()->maximum());
  }
}

std::string TMemoMessage::Line(size_t i) const
{
  if (i >= FCount)
    return {};
  return FromQ(FEdit->document()->findBlockByNumber(int(i)).text());
}

void TMemoMessage::Clear()
{
  FEdit->clear();
  FCount = 0;
}
