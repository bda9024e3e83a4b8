#include "platform/qt/QtPrompts.h"

#include "platform/qt/QtText.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QColorDialog>
#include <QCompleter>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLineEdit>
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

QLineEdit* NameBox(QFileDialog& dialog)
{
  return dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
}

// The name box's completion list is a window of its own, not a child of the dialog: an Enter
// that accepts the dialog while the list shows would leave it on the screen, over the window
// below, where it takes the user's next click.
void HideCompletionList(QFileDialog& dialog)
{
  if (QLineEdit* edit = NameBox(dialog))
    if (QCompleter* completer = edit->completer(); completer && completer->popup()->isVisible())
      completer->popup()->hide();
}

// A showing with no name proposed: an empty name box, and nothing picked in the list or the
// detail view. The views keep the pick of the showing before (setDirectory with the folder
// they show already leaves them as they are), and Enter would take that pick. Cleared after
// the name box, whose change may select the folder itself.
void StartWithoutName(QFileDialog& dialog)
{
  if (QLineEdit* edit = NameBox(dialog))
    edit->clear();
  for (const char* name : {"listView", "treeView"})
    if (auto* view = dialog.findChild<QAbstractItemView*>(QLatin1String(name)))
      view->selectionModel()->clear();
}

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

TFileDialogStart FileDialogStart(const QString& path, const QString& lastFolder)
{
  TFileDialogStart start;
  if (path.isEmpty()) {
    start.Folder = lastFolder;
    return start;
  }
  const QFileInfo info(QDir::current(), path);
  if (!info.isDir())
    start.File = info.fileName();
  const QFileInfo folder(info.absolutePath());
  if (info.isDir())
    start.Folder = QDir::cleanPath(info.absoluteFilePath());
  else if (folder.isDir())
    start.Folder = folder.absoluteFilePath();
  else
    start.Folder = lastFolder;
  return start;
}

TQtPrompts::~TQtPrompts() { DropFileDialogs(); }

void TQtPrompts::SetParent(QWidget* parent)
{
  if (parent != FParent)
    DropFileDialogs();
  FParent = parent;
}

void TQtPrompts::DropFileDialogs()
{
  for (const TFileDialog& d : FFileDialogs)
    delete d.Dialog.data();
  FFileDialogs.clear();
}

QFileDialog& TQtPrompts::FileDialog(QFileDialog::AcceptMode mode, const QString& caption,
                                    const QString& filter, QFileDialog::Options options)
{
  std::erase_if(FFileDialogs, [](const TFileDialog& d) { return d.Dialog.isNull(); });
  // A dialog still showing (asked for again from inside its own run) is not taken over.
  for (const TFileDialog& d : FFileDialogs)
    if (d.Mode == mode && d.Caption == caption && d.Filter == filter && d.Options == options &&
        !d.Dialog->isVisible())
      return *d.Dialog;
  // Made as QFileDialog's static functions make theirs.
  auto* dialog = new QFileDialog(FParent.data(), caption, QString(), filter);
  dialog->setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  dialog->setOptions(options);
  dialog->setAcceptMode(mode);
  QObject::connect(dialog, &QDialog::finished, dialog, [dialog] { HideCompletionList(*dialog); });
  FFileDialogs.push_back({mode, caption, filter, options, dialog});
  return *dialog;
}

bool TQtPrompts::RunFileDialog(QFileDialog::AcceptMode mode, const std::string& caption,
                               const std::string& filter, QFileDialog::Options options, std::string& path)
{
  QFileDialog& dialog = FileDialog(mode, ToQ(caption), QtFileFilter(filter), options | FFileDialogOptions);
  // Each showing starts as a new dialog would: the first filter, only the proposed name, and
  // no pick.
  const TFileDialogStart start = FileDialogStart(PathToQ(path), FLastFolder);
  if (!dialog.nameFilters().isEmpty())
    dialog.selectNameFilter(dialog.nameFilters().front());
  if (!start.Folder.isEmpty())
    dialog.setDirectory(start.Folder);
  if (!start.File.isEmpty())
    dialog.selectFile(start.File);
  else
    StartWithoutName(dialog);
  const QPointer<QFileDialog> alive(&dialog);
  const bool accepted = dialog.exec() == QDialog::Accepted;
  if (!alive)  // its parent went while it was showing
    return false;
  FLastFolder = dialog.directory().absolutePath();
  const QStringList chosen = dialog.selectedFiles();
  if (!accepted || chosen.isEmpty() || chosen.front().isEmpty())
    return false;
  path = PathFromQ(chosen.front());
  return true;
}

bool TQtPrompts::OpenFileName(const std::string& caption, const std::string& filter, std::string& path)
{
  return RunFileDialog(QFileDialog::AcceptOpen, caption, filter, {}, path);
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

bool TQtPrompts::SaveFileName(const std::string& caption, const std::string& filter, std::string& path,
                              TOverwriteQuery query)
{
  // A caller with a question of its own must not have the user asked twice.
  const QFileDialog::Options options =
      query == TOverwriteQuery::Caller ? QFileDialog::DontConfirmOverwrite : QFileDialog::Options();
  return RunFileDialog(QFileDialog::AcceptSave, caption, filter, options, path);
}

TQtPromptsInstaller::TQtPromptsInstaller(QWidget* parent) : FPrompts(parent), FPrevious(SetPrompts(&FPrompts))
{}

TQtPromptsInstaller::~TQtPromptsInstaller() { SetPrompts(FPrevious); }
