#include "platform/qt/QtPrompts.h"

#include "platform/qt/QtText.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QStringList>

namespace {

QMessageBox::Icon IconOf(TPromptKind kind)
{
  switch (kind) {
  case TPromptKind::Information:
    return QMessageBox::Information;
  case TPromptKind::Warning:
    return QMessageBox::Warning;
  case TPromptKind::Error:
    return QMessageBox::Critical;
  case TPromptKind::Confirmation:
    return QMessageBox::Question;
  }
  return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons ButtonsOf(TPromptButtons b)
{
  switch (b) {
  case TPromptButtons::Ok:
    return QMessageBox::Ok;
  case TPromptButtons::OkCancel:
    return QMessageBox::Ok | QMessageBox::Cancel;
  case TPromptButtons::YesNo:
    return QMessageBox::Yes | QMessageBox::No;
  case TPromptButtons::YesNoCancel:
    return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
  }
  return QMessageBox::Ok;
}

int RunBox(QMessageBox* box) { return box->exec(); }

}  // namespace

QString TQtPrompts::Title() const
{
  if (!FTitle.empty())
    return ToQ(FTitle);
  return QApplication::applicationDisplayName();
}

std::unique_ptr<QMessageBox> TQtPrompts::MakeBox(const std::string& text, const std::string& caption,
                                                 TPromptButtons buttons, TPromptKind kind) const
{
  auto box = std::make_unique<QMessageBox>(IconOf(kind), caption.empty() ? Title() : ToQ(caption), ToQ(text),
                                           ButtonsOf(buttons), FParent.data());
  // Escape answers as the closed box does.
  switch (buttons) {
  case TPromptButtons::Ok:
    box->setEscapeButton(QMessageBox::Ok);
    break;
  case TPromptButtons::OkCancel:
  case TPromptButtons::YesNoCancel:
    box->setEscapeButton(QMessageBox::Cancel);
    break;
  case TPromptButtons::YesNo:
    box->setEscapeButton(QMessageBox::No);
    break;
  }
  return box;
}

TPromptAnswer AnswerOfButton(QMessageBox::StandardButton button, TPromptButtons buttons)
{
  switch (button) {
  case QMessageBox::Yes:
    return TPromptAnswer::Yes;
  case QMessageBox::No:
    return TPromptAnswer::No;
  case QMessageBox::Ok:
    return TPromptAnswer::Ok;
  case QMessageBox::Cancel:
    return TPromptAnswer::Cancel;
  default:
    return DismissAnswer(buttons);
  }
}

void TQtPrompts::Message(const std::string& text)
{
  auto box = MakeBox(text, {}, TPromptButtons::Ok, TPromptKind::Information);
  box->setIcon(QMessageBox::NoIcon);
  RunBox(box.get());
}

void TQtPrompts::Error(const std::string& text)
{
  auto box = MakeBox(text, {}, TPromptButtons::Ok, TPromptKind::Error);
  RunBox(box.get());
}

void TQtPrompts::Warning(const std::string& text)
{
  auto box = MakeBox(text, {}, TPromptButtons::Ok, TPromptKind::Warning);
  RunBox(box.get());
}

TPromptAnswer TQtPrompts::Confirm(const std::string& text, const std::string& caption, TPromptButtons buttons,
                                  TPromptKind kind)
{
  auto box = MakeBox(text, caption, buttons, kind);
  const int r = RunBox(box.get());
  return AnswerOfButton(static_cast<QMessageBox::StandardButton>(r), buttons);
}

bool TQtPrompts::InputQuery(const std::string& caption, const std::string& prompt, std::string& value)
{
  bool ok = false;
  const QString r =
      QInputDialog::getText(FParent.data(), ToQ(caption), ToQ(prompt), QLineEdit::Normal, ToQ(value), &ok);
  if (ok)
    value = FromQ(r);
  return ok;
}

QString QtFileFilter(const std::string& cp1250Filter)
{
  const QStringList parts = ToQ(cp1250Filter).split(QLatin1Char('|'));
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString patterns = parts[i + 1];
    patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
    patterns.replace(QStringLiteral("*.*"), QStringLiteral("*"));
    filters << parts[i] + QStringLiteral(" (") + patterns + QLatin1Char(')');
  }
  if (parts.size() % 2 == 1 && !parts.back().isEmpty())
    filters << parts.back();  // a bare pattern without a description
  return filters.join(QStringLiteral(";;"));
}

bool TQtPrompts::OpenFileName(const std::string& caption, const std::string& filter, std::string& path)
{
  const QString r =
      QFileDialog::getOpenFileName(FParent.data(), ToQ(caption), PathToQ(path), QtFileFilter(filter));
  if (r.isEmpty())
    return false;
  path = PathFromQ(r);
  return true;
}

bool TQtPrompts::ChooseColor(uint32_t& color)
{
  const QColor shown(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF));
  const QColor chosen = QColorDialog::getColor(shown, FParent.data());
  if (!chosen.isValid())
    return false;
  color = uint32_t(chosen.red()) | (uint32_t(chosen.green()) << 8) | (uint32_t(chosen.blue()) << 16);
  return true;
}

bool TQtPrompts::SaveFileName(const std::string& caption, const std::string& filter, std::string& path)
{
  const QString r =
      QFileDialog::getSaveFileName(FParent.data(), ToQ(caption), PathToQ(path), QtFileFilter(filter));
  if (r.isEmpty())
    return false;
  path = PathFromQ(r);
  return true;
}

TQtPromptsInstaller::TQtPromptsInstaller(QWidget* parent) : FPrompts(parent), FPrevious(SetPrompts(&FPrompts))
{}

TQtPromptsInstaller::~TQtPromptsInstaller() { SetPrompts(FPrevious); }
