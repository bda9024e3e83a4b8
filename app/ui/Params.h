#pragma once
// TCommDlg ("Parametry programu"): the serial port and its speed, or Modbus TCP with its
// address and port, and the two protocol times. What it applies, opens and gives back is
// its state's (app/logic/CommSetupLogic.h); the dialog wires its widgets to it.

#include <QDialog>

#include <cstdint>
#include <string>

#include "app/logic/CommSetupLogic.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;

class TCommDlg : public QDialog {
  Q_OBJECT
public:
  TCommDlg(TRsdHan& link, TCommSettings& tcp, QWidget* parent = nullptr);

  void SetTimeOut(int value);
  void SetTimeSilence(int value);
  // Valid after OK.
  int TimeOut() const { return FState.TimeOut(); }
  int TimeSilence() const { return FState.TimeSilence(); }
  bool Connected() const { return FState.Connected(); }
  TCommSetupState& State() { return FState; }

  // Fills the dialog from the link and the settings; the state opens the port (done on show).
  void FormShow();
  // The chosen port and speed to the link, which is opened again.
  void ApplyPort();
  void OKBtnClick();

  QComboBox* PortComboBox() const { return FPort; }
  QComboBox* SpeedComboBox() const { return FSpeed; }
  QLabel* StatusLabel() const { return FStatus; }
  QCheckBox* TcpCheckBox() const { return FTcpComm; }
  QLineEdit* TcpIpEdit() const { return FTcpIp; }
  QLineEdit* TcpPortEdit() const { return FTcpPort; }
  QSpinBox* TimeOutEdit() const { return FTimeOutEdit; }
  QSpinBox* TimeSilenceEdit() const { return FTimeSilenceEdit; }
  QTabWidget* Notebook() const { return FNotebook; }
  QPushButton* OkButton() const { return FOk; }

protected:
  void showEvent(QShowEvent* event) override;

private:
  void ShowStatus();
  void TcpCommClick();
  void EnableFields();
  void PortEdited();

  // The port shown in the box, "None" included, as file-system bytes.
  std::string ShownPort() const;

  TCommSetupState FState;
  bool FFilled = false;

  QTabWidget* FNotebook = nullptr;
  QComboBox* FPort = nullptr;
  QComboBox* FSpeed = nullptr;
  QLabel* FStatus = nullptr;
  QCheckBox* FTcpComm = nullptr;
  QLineEdit* FTcpIp = nullptr;
  QLineEdit* FTcpPort = nullptr;
  QSpinBox* FTimeOutEdit = nullptr;
  QSpinBox* FTimeSilenceEdit = nullptr;
  QPushButton* FOk = nullptr;
};

// A spin edit whose range is widened to hold `value`: a stored value outside the usual
// range is shown and given back as it is.
void SetSpinValueKept(QSpinBox& spin, int value, int min, int max);
