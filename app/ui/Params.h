#pragma once
// TCommDlg ("Parametry programu"): the serial port and its speed, or Modbus TCP with its
// address and port, and the two protocol times. Port and speed are applied to the link while
// the dialog is open, so its status line tells whether the chosen port opens; the TCP
// settings are the caller's and are written as they are edited.

#include <QDialog>

#include <cstdint>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;
class TRsdHan;
struct TCommSettings;

class TCommDlg : public QDialog {
    Q_OBJECT
public:
    TCommDlg(TRsdHan& link, TCommSettings& tcp, QWidget* parent = nullptr);

    void SetTimeOut(int value);
    void SetTimeSilence(int value);
    // Valid after OK.
    int TimeOut() const { return FTimeOut; }
    int TimeSilence() const { return FTimeSilence; }
    bool Connected() const { return FConnected; }

    // Fills the dialog from the link and the settings and opens the port (done on show).
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
    // Opens the port as set; a port that cannot be opened is reported and reads as not
    // connected.
    void OpenPort();
    void TcpCommClick();
    void EnableFields();
    void PortEdited();

    TRsdHan& FLink;
    TCommSettings& FTcp;
    int FTimeOut = 500;
    int FTimeSilence = 1;
    bool FConnected = false;
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
