#include "app/ui/Fileprop.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/logic/FilePropLogic.h"
#include "app/document/Kivbase.h"
#include "platform/qt/QtText.h"
#include "platform/Codepage.h"

TFileInfoDlg::TFileInfoDlg(QWidget* parent) : QDialog(parent)
{
  setObjectName(QStringLiteral("FileInfoDlg"));
  setWindowTitle(ToQ("Właściwości pliku"_cp));
  FDateCreate = new QLineEdit(this);
  FDateCreate->setObjectName(QStringLiteral("edDateCreate"));
  FDateCreate->setReadOnly(true);
  FKivType = new QLineEdit(this);
  FKivType->setObjectName(QStringLiteral("EditKivType"));
  FKivType->setReadOnly(true);
  FVersion = new QLabel(ToQ("Wersja programu"_cp), this);
  FVersion->setObjectName(QStringLiteral("labVer"));
  FKivVersion = new QLabel(ToQ("Wersja automatu"_cp), this);
  FKivVersion->setObjectName(QStringLiteral("lbKivVersion"));
  auto* backupHeader = new QLabel(ToQ("Podtrzymanie zasilania:"_cp), this);
  backupHeader->setObjectName(QStringLiteral("lbPodtrzymanieHdr"));
  FBackup = new QLabel(this);
  FBackup->setObjectName(QStringLiteral("lbPodtrzymanieDat"));
  FStation = new QLineEdit(this);
  FStation->setObjectName(QStringLiteral("tbStationInfo"));
  FStation->setMaxLength(int(KivImage::TEXT_MAX));
  FMemo = new QPlainTextEdit(this);
  FMemo->setObjectName(QStringLiteral("Memo1"));
  FMemo->setLineWrapMode(QPlainTextEdit::NoWrap);
  FMemo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  FMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel(ToQ("Data utworzenia pliku"_cp), this), 0, 0);
  grid->addWidget(FDateCreate, 0, 1);
  grid->addWidget(new QLabel(ToQ("Typ automatu"_cp), this), 1, 0);
  grid->addWidget(FKivType, 1, 1);
  grid->addWidget(FVersion, 2, 0, 1, 2);
  grid->addWidget(FKivVersion, 3, 0, 1, 2);
  grid->addWidget(backupHeader, 4, 0);
  grid->addWidget(FBackup, 4, 1);
  grid->addWidget(new QLabel(ToQ("Informacje o automacie"_cp), this), 5, 0, 1, 2);
  grid->addWidget(FStation, 6, 0, 1, 2);
  grid->addWidget(new QLabel(ToQ("Notatki:"_cp), this), 7, 0, 1, 2);
  auto* buttons = new QDialogButtonBox(this);
  QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
  ok->setObjectName(QStringLiteral("OKButton"));
  ok->setDefault(true);
  QPushButton* cancel = buttons->addButton(ToQ("Anuluj"_cp), QDialogButtonBox::RejectRole);
  cancel->setObjectName(QStringLiteral("CancelBtn"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addWidget(FMemo, 1);
  layout->addWidget(buttons);
  connect(FMemo, &QPlainTextEdit::textChanged, this, [this] { FChanged = true; });
  resize(460, 480);
}

void TFileInfoDlg::Fill(const TKiv& kiv)
{
  const TFileInfoView v = FileInfoFromDocument(kiv);
  QStringList lines;
  for (const std::string& line : v.Notes)
    lines << ToQ(line);
  FMemo->setPlainText(lines.join(QLatin1Char('\n')));
  FDateCreate->setText(ToQ(v.DateCreate));
  FKivType->setText(ToQ(v.KivType));
  // Filling is not an edit.
  FChanged = false;
  FVersion->setText(ToQ(v.VersionText));
  FKivVersion->setText(ToQ(v.KivVersionText));
  FBackup->setText(ToQ(v.BackupText));
  FStation->setText(ToQ(v.StationInfo));
  // A byte the code page gives no letter shows as a stand-in character that would not
  // convert back to it: the field is judged by what the user saw, not by its bytes.
  FShownStation = FStation->text();
}

bool TFileInfoDlg::Apply(TKiv& kiv)
{
  TFileInfoEdits edits;
  if (FChanged) {
    QString text = FMemo->toPlainText();
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    edits.Notes = NotesFromMemoText(FromQ(text));
  }
  if (FStation->text() != FShownStation)
    edits.StationInfo = FromQ(FStation->text());
  return ApplyFileInfo(kiv, edits);
}

bool TFileInfoDlg::Execute(TKiv& kiv)
{
  Fill(kiv);
  const int result = FRun ? FRun(*this) : exec();
  return result == QDialog::Accepted && Apply(kiv);
}
