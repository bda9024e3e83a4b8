#include "app/ui/Params.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>

#include "app/logic/MainLogic.h"
#include "platform/qt/QtText.h"
#include "platform/Codepage.h"
#include "platform/NumText.h"

void SetSpinValueKept(QSpinBox& spin, int value, int min, int max)
{
  spin.setRange(std::min(min, value), std::max(max, value));
  spin.setValue(value);
}

TCommDlg::TCommDlg(TRsdHan& link, TCommSettings& tcp, QWidget* parent) : QDialog(parent), FState(link, tcp)
{
  setObjectName(QStringLiteral("CommDlg"));
  setWindowTitle(ToQ("Parametry programu"_cp));

  FNotebook = new QTabWidget(this);
  FNotebook->setObjectName(QStringLiteral("Notebook"));
  FNotebook->setTabPosition(QTabWidget::South);

  // Port page.
  auto* portPage = new QWidget(FNotebook);
  auto* portGroup = new QGroupBox(ToQ("Port COM"_cp), portPage);
  FPort = new QComboBox(portGroup);
  FPort->setObjectName(QStringLiteral("PortComboBox"));
  FPort->setEditable(true);
  FPort->setInsertPolicy(QComboBox::NoInsert);
  FPort->setCompleter(nullptr);
  FPort->setMaxVisibleItems(4);
  FPort->setToolTip(ToQ("Wybór portu szeregowego"_cp));
  FPort->setMinimumContentsLength(12);
  FSpeed = new QComboBox(portGroup);
  FSpeed->setObjectName(QStringLiteral("SpeedComboBox"));
  FSpeed->setToolTip(ToQ("Prędkość portu"_cp));
  for (const std::string& item : TCommSetupState::SpeedItems())
    FSpeed->addItem(QString::fromStdString(item));
  FStatus = new QLabel(portGroup);
  FStatus->setObjectName(QStringLiteral("lbStatus"));
  auto* portForm = new QGridLayout(portGroup);
  portForm->addWidget(new QLabel(ToQ("Port"_cp), portGroup), 0, 0);
  portForm->addWidget(FPort, 0, 1);
  portForm->addWidget(new QLabel(ToQ("Prędkość"_cp), portGroup), 1, 0);
  portForm->addWidget(FSpeed, 1, 1);
  portForm->addWidget(FStatus, 2, 0, 1, 2);

  auto* tcpGroup = new QGroupBox(ToQ("Port TCP"_cp), portPage);
  FTcpIp = new QLineEdit(tcpGroup);
  FTcpIp->setObjectName(QStringLiteral("edtMBTCPIP"));
  FTcpIp->setMaxLength(int(KivIni::IP_MAX));
  FTcpPort = new QLineEdit(tcpGroup);
  FTcpPort->setObjectName(QStringLiteral("edtMBTCPPort"));
  FTcpPort->setMaxLength(5);
  auto* tcpForm = new QGridLayout(tcpGroup);
  tcpForm->addWidget(new QLabel(ToQ("IP:"_cp), tcpGroup), 0, 0);
  tcpForm->addWidget(FTcpIp, 0, 1);
  tcpForm->addWidget(new QLabel(ToQ("Port:"_cp), tcpGroup), 1, 0);
  tcpForm->addWidget(FTcpPort, 1, 1);
  FTcpComm = new QCheckBox(ToQ("Komunikacja TCP"_cp), portPage);
  FTcpComm->setObjectName(QStringLiteral("cbxMBTCPComm"));
  auto* portLayout = new QVBoxLayout(portPage);
  portLayout->addWidget(portGroup);
  portLayout->addWidget(tcpGroup);
  portLayout->addWidget(FTcpComm);
  portLayout->addStretch();
  FNotebook->addTab(portPage, ToQ("Parametry portu"_cp));

  // Times page.
  auto* timesPage = new QWidget(FNotebook);
  FTimeOutEdit = new QSpinBox(timesPage);
  FTimeOutEdit->setObjectName(QStringLiteral("tbTimeOut"));
  FTimeOutEdit->setRange(1, 3000);
  FTimeOutEdit->setSingleStep(10);
  FTimeOutEdit->setValue(500);
  FTimeSilenceEdit = new QSpinBox(timesPage);
  FTimeSilenceEdit->setObjectName(QStringLiteral("tbTimeSilence"));
  FTimeSilenceEdit->setRange(1, 1000);
  FTimeSilenceEdit->setSingleStep(5);
  FTimeSilenceEdit->setValue(1);
  auto* timesForm = new QFormLayout(timesPage);
  timesForm->addRow(ToQ("Czas oczekiwania [ms]"_cp), FTimeOutEdit);
  timesForm->addRow(ToQ("Czas ciszy na łączu [ms]"_cp), FTimeSilenceEdit);
  FNotebook->addTab(timesPage, ToQ("Czasy"_cp));

  // Buttons on the right.
  FOk = new QPushButton(QStringLiteral("OK"), this);
  FOk->setObjectName(QStringLiteral("OKBtn"));
  FOk->setDefault(true);
  auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
  cancel->setObjectName(QStringLiteral("CancelBtn"));
  auto* help = new QPushButton(QStringLiteral("Help"), this);
  help->setObjectName(QStringLiteral("HelpBtn"));
  // There is no help viewer; the button stays for the layout users know, and does nothing.
  auto* buttons = new QVBoxLayout;
  buttons->addWidget(FOk);
  buttons->addWidget(cancel);
  buttons->addWidget(help);
  buttons->addStretch();
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(FNotebook, 1);
  layout->addLayout(buttons);

  connect(FOk, &QPushButton::clicked, this, &TCommDlg::OKBtnClick);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  // A typed port name is applied when the typing is done (Enter or leaving the box), not at
  // each key: a half-typed name such as /dev/tty would open the terminal itself.
  connect(FPort, &QComboBox::activated, this, [this](int) { ApplyPort(); });
  connect(FPort->lineEdit(), &QLineEdit::editingFinished, this, &TCommDlg::PortEdited);
  connect(FSpeed, &QComboBox::activated, this, [this](int) { ApplyPort(); });
  connect(FTcpComm, &QCheckBox::clicked, this, &TCommDlg::TcpCommClick);
  connect(FTcpIp, &QLineEdit::textChanged, this,
          [this](const QString& text) { FState.SetTcpIp(FromQ(text)); });
  connect(FTcpPort, &QLineEdit::textChanged, this,
          [this](const QString& text) { FState.SetTcpPortText(FromQ(text)); });
  FOk->setFocus();
}

void TCommDlg::SetTimeOut(int value)
{
  FState.SetTimeOut(value);
  SetSpinValueKept(*FTimeOutEdit, value, 1, 3000);
}

void TCommDlg::SetTimeSilence(int value)
{
  FState.SetTimeSilence(value);
  SetSpinValueKept(*FTimeSilenceEdit, value, 1, 1000);
}

void TCommDlg::showEvent(QShowEvent* event)
{
  QDialog::showEvent(event);
  if (!FFilled)
    FormShow();
}

void TCommDlg::FormShow()
{
  FFilled = true;
  {
    // Filling must not apply anything: that would reopen the port for every field.
    const QSignalBlocker b1(FPort), b2(FSpeed), b3(FTcpComm), b4(FTcpIp), b5(FTcpPort);
    FPort->clear();
    for (const std::string& name : FState.PortItems())
      FPort->addItem(PathToQ(name));
    FPort->setCurrentIndex(-1);
    FPort->setEditText(PathToQ(FState.LinkPort()));
    FSpeed->setCurrentIndex(FState.SpeedIndex());
    const TCommSettings& tcp = FState.Tcp();
    FTcpComm->setChecked(tcp.MBTCPComm);
    FTcpIp->setText(ToQ(tcp.MBTCPIP));
    FTcpPort->setText(QString::fromStdString(IntToStr(tcp.MBTCPPort)));
  }
  EnableFields();
  FState.Show();
  ShowStatus();
}

std::string TCommDlg::ShownPort() const { return PathFromQ(FPort->currentText()); }

void TCommDlg::PortEdited()
{
  // Leaving the box without a change applies nothing.
  if (FState.PortChanged(ShownPort()))
    ApplyPort();
}

void TCommDlg::ApplyPort()
{
  FState.ApplyPort(ShownPort(), FSpeed->currentIndex(), FTimeOutEdit->value());
  ShowStatus();
}

void TCommDlg::ShowStatus()
{
  FStatus->setText(ToQ(FState.StatusText()));
  FStatus->setToolTip(ToQ(FState.StatusHint()));
}

void TCommDlg::TcpCommClick()
{
  FState.SetTcpComm(FTcpComm->isChecked());
  EnableFields();
  // The serial port's reason means nothing while TCP is chosen.
  FStatus->setToolTip(ToQ(FState.StatusHint()));
}

void TCommDlg::EnableFields()
{
  FPort->setEnabled(FState.PortFieldsEnabled());
  FSpeed->setEnabled(FState.PortFieldsEnabled());
  FTcpIp->setEnabled(FState.TcpFieldsEnabled());
  FTcpPort->setEnabled(FState.TcpFieldsEnabled());
}

void TCommDlg::OKBtnClick()
{
  // The edits' own texts count, so a stored value beyond the usual range comes back as it was.
  FState.SetTimeSilence(FTimeSilenceEdit->value());
  FState.SetTimeOut(FTimeOutEdit->value());
  accept();
}
