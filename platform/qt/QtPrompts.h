// The GUI's prompts: message boxes, questions, input queries and file dialogs.
#pragma once

#include "platform/Prompts.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <memory>
#include <vector>

class TQtPrompts : public IPrompts {
public:
  explicit TQtPrompts(QWidget* parent = nullptr) : FParent(parent) {}
  ~TQtPrompts() override;
  TQtPrompts(const TQtPrompts&) = delete;
  TQtPrompts& operator=(const TQtPrompts&) = delete;
  // The window the prompts belong to; the file dialogs kept for the old one go.
  void SetParent(QWidget* parent);
  // Caption of messages and errors (the application's title).
  void SetTitle(const std::string& cp1250Title) { FTitle = cp1250Title; }

  void Message(const std::string& text) override;
  void Error(const std::string& text) override;
  void Warning(const std::string& text) override;
  TPromptAnswer Confirm(const std::string& text, const std::string& caption, TPromptButtons buttons,
                        TPromptKind kind) override;
  bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value) override;
  bool OpenFileName(const std::string& caption, const std::string& filter, std::string& path) override;
  bool SaveFileName(const std::string& caption, const std::string& filter, std::string& path,
                    TOverwriteQuery query = TOverwriteQuery::Dialog) override;
  bool ChooseColor(uint32_t& color) override;
  // Options every file dialog takes besides its own (tests: QFileDialog::DontUseNativeDialog).
  void SetFileDialogOptions(QFileDialog::Options options) { FFileDialogOptions = options; }

  // The box a prompt shows, built but not run (the caller owns it).
  std::unique_ptr<QMessageBox> MakeBox(const std::string& text, const std::string& caption,
                                       TPromptButtons buttons, TPromptKind kind) const;

private:
  // One file dialog per purpose (open or save, caption, filter, options), made at its first
  // use and shown again afterwards: a dialog made afresh each time leaves the pixmaps of its
  // own icons in Qt's pixmap cache.
  struct TFileDialog {
    QFileDialog::AcceptMode Mode;
    QString Caption;
    QString Filter;
    QFileDialog::Options Options;
    QPointer<QFileDialog> Dialog;
  };
  QString Title() const;
  QFileDialog& FileDialog(QFileDialog::AcceptMode mode, const QString& caption, const QString& filter,
                          QFileDialog::Options options);
  bool RunFileDialog(QFileDialog::AcceptMode mode, const std::string& caption, const std::string& filter,
                     QFileDialog::Options options, std::string& path);
  void DropFileDialogs();

  QPointer<QWidget> FParent;
  std::string FTitle;
  std::vector<TFileDialog> FFileDialogs;
  QFileDialog::Options FFileDialogOptions;
  QString FLastFolder;  // the folder the last file dialog showed
};

// Where a file dialog starts for a proposed path, as Qt's own file functions choose it: the
// path's folder (the path itself when it is a folder) with its file name proposed; when the
// folder does not exist, `lastFolder` (empty: the dialog stays where it is).
struct TFileDialogStart {
  QString Folder;
  QString File;
};
TFileDialogStart FileDialogStart(const QString& path, const QString& lastFolder);

// "Pliki rejestracji|*.kiv|Wszystkie pliki|*.*" -> "Pliki rejestracji (*.kiv);;Wszystkie pliki (*)".
QString QtFileFilter(const std::string& cp1250Filter);
// The answer of a box's button (Escape or the close button give DismissAnswer).
TPromptAnswer AnswerOfButton(QMessageBox::StandardButton button, TPromptButtons buttons);

// Installs TQtPrompts for its lifetime.
class TQtPromptsInstaller {
public:
  explicit TQtPromptsInstaller(QWidget* parent = nullptr);
  ~TQtPromptsInstaller();
  TQtPromptsInstaller(const TQtPromptsInstaller&) = delete;
  TQtPromptsInstaller& operator=(const TQtPromptsInstaller&) = delete;
  TQtPrompts& Prompts() { return FPrompts; }

private:
  TQtPrompts FPrompts;
  IPrompts* FPrevious = nullptr;
};
