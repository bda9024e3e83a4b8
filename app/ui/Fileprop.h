#pragma once
// TFileInfoDlg ("Właściwości pliku"): a document's creation date, model, versions and
// power-backup kind, with its notes and station text to edit.

#include <QDialog>
#include <QString>

#include <functional>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class TKiv;

class TFileInfoDlg : public QDialog {
  Q_OBJECT
public:
  explicit TFileInfoDlg(QWidget* parent = nullptr);

  // Fills the dialog from the document, runs it, and on OK writes notes and station text
  // back. Returns whether the document changed.
  bool Execute(TKiv& kiv);
  // Fills only (Execute's first step).
  void Fill(const TKiv& kiv);
  // Writes back (Execute's step on OK); true when anything changed.
  bool Apply(TKiv& kiv);
  bool Changed() const { return FChanged; }

  // Runs the dialog (default: exec); tests replace it.
  void SetRunner(std::function<int(TFileInfoDlg&)> run) { FRun = std::move(run); }

  QLineEdit* DateEdit() const { return FDateCreate; }
  QLineEdit* KivTypeEdit() const { return FKivType; }
  QLabel* VersionLabel() const { return FVersion; }
  QLabel* KivVersionLabel() const { return FKivVersion; }
  QLabel* BackupLabel() const { return FBackup; }
  QLineEdit* StationEdit() const { return FStation; }
  QPlainTextEdit* NotesMemo() const { return FMemo; }

private:
  bool FChanged = false;
  QString FShownStation;
  std::function<int(TFileInfoDlg&)> FRun;
  QLineEdit* FDateCreate = nullptr;
  QLineEdit* FKivType = nullptr;
  QLabel* FVersion = nullptr;
  QLabel* FKivVersion = nullptr;
  QLabel* FBackup = nullptr;
  QLineEdit* FStation = nullptr;
  QPlainTextEdit* FMemo = nullptr;
};
