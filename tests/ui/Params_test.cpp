#include "app/ui/Params.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

#include "app/link/KivLink.h"
#include "app/link/RsdUnit.h"
#include "tests/app/DocTestSupport.h"
#include "tests/ui/QtTestApp.h"

namespace {

// A link that opens every named port except "COM9", and counts.
class TFakeRsd : public TRsdHan {
public:
  uint8_t Open() override
  {
    ++Opens;
    OpenedWith.push_back(CommPort());
    return !CommPort().empty() && CommPort() != "COM9" ? StatusOpen : StatusNoPort;
  }
  void Close() override { ++Closes; }
  int Opens = 0;
  int Closes = 0;
  std::vector<std::string> OpenedWith;
};

class TCommDlgTest : public TQtAppTest {
protected:
  void SetUp() override
  {
    TQtAppTest::SetUp();
    std::filesystem::create_directories(Sysfs.File("ttyUSB0/device"));
    std::filesystem::create_directories(Sysfs.File("ttyS0/device"));
    std::filesystem::create_directories(Sysfs.File("tty1"));
    Link.SetSysfsClassDir(Sysfs.Path());
    Link.SetCommPort("COM2");
    Link.SetBaudRate(6);
  }
  TTempDir Sysfs;
  TFakeRsd Link;
  TCommSettings Tcp;
};

QString Text(const char* utf8) { return QString::fromUtf8(utf8); }

}  // namespace

TEST_F(TCommDlgTest, FillAndTexts)
{
  TCommDlg dlg(Link, Tcp);
  dlg.SetTimeOut(700);
  dlg.SetTimeSilence(30);
  dlg.FormShow();
  EXPECT_EQ(dlg.windowTitle(), Text("Parametry programu"));
  QComboBox* port = dlg.PortComboBox();
  ASSERT_EQ(port->count(), 3);
  EXPECT_EQ(port->itemText(0), QStringLiteral("None"));
  EXPECT_EQ(port->itemText(1), QStringLiteral("/dev/ttyS0"));
  EXPECT_EQ(port->itemText(2), QStringLiteral("/dev/ttyUSB0"));
  // The link's name shows also when the list lacks it.
  EXPECT_EQ(port->currentText(), QStringLiteral("COM2"));
  EXPECT_EQ(dlg.SpeedComboBox()->count(), 10);
  EXPECT_EQ(dlg.SpeedComboBox()->currentText(), QStringLiteral("9600"));
  EXPECT_EQ(dlg.TcpIpEdit()->text(), QStringLiteral("127.0.0.1"));
  EXPECT_EQ(dlg.TcpPortEdit()->text(), QStringLiteral("502"));
  EXPECT_FALSE(dlg.TcpCheckBox()->isChecked());
  EXPECT_FALSE(dlg.TcpIpEdit()->isEnabled());
  EXPECT_TRUE(port->isEnabled());
  // Filling opened the port once, nothing more.
  EXPECT_EQ(Link.Opens, 1);
  EXPECT_EQ(dlg.StatusLabel()->text(), Text("Połączony"));
  EXPECT_EQ(dlg.TimeOutEdit()->value(), 700);
  EXPECT_EQ(dlg.TimeSilenceEdit()->value(), 30);
  EXPECT_EQ(dlg.Notebook()->tabText(0), Text("Parametry portu"));
  EXPECT_EQ(dlg.Notebook()->tabText(1), Text("Czasy"));
}

TEST_F(TCommDlgTest, TcpOnAtShowOpensNothing)
{
  Tcp.MBTCPComm = true;
  TCommDlg dlg(Link, Tcp);
  dlg.FormShow();
  EXPECT_EQ(Link.Opens, 0);
  EXPECT_EQ(dlg.StatusLabel()->text(), Text("Brak połączenia"));
  EXPECT_FALSE(dlg.PortComboBox()->isEnabled());
  EXPECT_FALSE(dlg.SpeedComboBox()->isEnabled());
  EXPECT_TRUE(dlg.TcpIpEdit()->isEnabled());
  EXPECT_TRUE(dlg.TcpPortEdit()->isEnabled());
  EXPECT_TRUE(dlg.TcpCheckBox()->isChecked());
  dlg.TcpCheckBox()->click();
  EXPECT_FALSE(Tcp.MBTCPComm);
  EXPECT_TRUE(dlg.PortComboBox()->isEnabled());
}

TEST_F(TCommDlgTest, PortChoices)
{
  TCommDlg dlg(Link, Tcp);
  dlg.SetTimeOut(500);
  dlg.FormShow();
  QComboBox* port = dlg.PortComboBox();
  struct TCase {
    int Index;  // -1: typed
    const char* Typed;
    const char* LinkPort;
    const char* Status;
  } cases[] = {
      {0, "", "", "Brak połączenia"},
      {2, "", "/dev/ttyUSB0", "Połączony"},
      {-1, "/dev/ttyACM3", "/dev/ttyACM3", "Połączony"},
      {-1, "COM9", "COM9", "Brak połączenia"},
  };
  for (const TCase& c : cases) {
    if (c.Index >= 0) {
      port->setCurrentIndex(c.Index);
      emit port->activated(c.Index);
    } else {
      port->setEditText(QString::fromLatin1(c.Typed));
      emit port->lineEdit()->editingFinished();
    }
    EXPECT_EQ(Link.CommPort(), c.LinkPort);
    EXPECT_EQ(dlg.StatusLabel()->text(), Text(c.Status));
  }
  // Leaving the box with the same text applies nothing again.
  const int opens = Link.Opens;
  emit port->lineEdit()->editingFinished();
  EXPECT_EQ(Link.Opens, opens);
}

TEST_F(TCommDlgTest, SpeedAndTimeOutAreApplied)
{
  TCommDlg dlg(Link, Tcp);
  dlg.SetTimeOut(500);
  dlg.FormShow();
  dlg.TimeOutEdit()->setValue(1000);
  dlg.SpeedComboBox()->setCurrentIndex(9);
  emit dlg.SpeedComboBox()->activated(9);
  EXPECT_EQ(Link.BaudRate(), 9);
  EXPECT_EQ(Link.ReadTotalTimeoutConstant(), 1000);
}

TEST_F(TCommDlgTest, AStoredSpeedBeyondTheListIsKept)
{
  Link.SetBaudRate(br115200);
  TCommDlg dlg(Link, Tcp);
  dlg.FormShow();
  EXPECT_EQ(dlg.SpeedComboBox()->currentIndex(), -1);
  dlg.ApplyPort();
  EXPECT_EQ(Link.BaudRate(), br115200);
}

TEST_F(TCommDlgTest, TcpFieldsAreWrittenAsEdited)
{
  TCommDlg dlg(Link, Tcp);
  dlg.FormShow();
  const std::pair<const char*, int> ports[] = {
      {"1502", 1502}, {"", 502}, {"abc", 502}, {"65536", 502}, {"1", 1}};
  for (const auto& [text, port] : ports) {
    dlg.TcpPortEdit()->setText(QString::fromLatin1(text));
    EXPECT_EQ(Tcp.MBTCPPort, port) << text;
  }
  dlg.TcpIpEdit()->setText(QStringLiteral("192.168.100.200"));
  EXPECT_EQ(Tcp.MBTCPIP, "192.168.100.200");
  EXPECT_EQ(dlg.TcpIpEdit()->maxLength(), 15);
}

TEST_F(TCommDlgTest, TimesOutsideTheEditRangesComeBackUnchanged)
{
  TCommDlg dlg(Link, Tcp);
  dlg.SetTimeOut(5000);
  dlg.SetTimeSilence(0);
  dlg.FormShow();
  dlg.OKBtnClick();
  EXPECT_EQ(dlg.result(), QDialog::Accepted);
  EXPECT_EQ(dlg.TimeOut(), 5000);
  EXPECT_EQ(dlg.TimeSilence(), 0);
}

TEST_F(TCommDlgTest, TypingAPortNameOpensNothingUntilItIsDone)
{
  TCommDlg dlg(Link, Tcp);
  dlg.FormShow();
  const int opens = Link.Opens;
  dlg.PortComboBox()->lineEdit()->clear();
  // On the way to /dev/ttyUSB3 the text is /dev/tty, the terminal itself: never opened.
  QTest::keyClicks(dlg.PortComboBox()->lineEdit(), QStringLiteral("/dev/ttyUSB3"));
  EXPECT_EQ(Link.Opens, opens);
  QTest::keyClick(dlg.PortComboBox()->lineEdit(), Qt::Key_Return);
  EXPECT_EQ(Link.Opens, opens + 1);
  EXPECT_EQ(Link.OpenedWith.back(), "/dev/ttyUSB3");
}
