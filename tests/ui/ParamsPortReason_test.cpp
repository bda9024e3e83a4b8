// The communication dialog's status names, as its tool tip, why the serial port did not
// open; the user types the port into the box as they would.
#include "app/ui/Params.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <cerrno>
#include <grp.h>
#include <unistd.h>

#include <string>

#include "app/link/KivLink.h"
#include "app/link/RsdUnit.h"
#include "platform/SerialPort.h"
#include "tests/support/TempDir.h"
#include "tests/ui/QtTestApp.h"

namespace {

// The platform's open refuses every device as it would a user outside the device's group
// (the tests run as root, whom permissions never stop).
int RefusedForPermission(const char*, int)
{
  errno = EACCES;
  return -1;
}

class TPortReasonTest : public TQtAppTest {
protected:
  void SetUp() override
  {
    TQtAppTest::SetUp();
    Link.SetSysfsClassDir(Dir.File("no-sysfs"));
  }
  void TearDown() override
  {
    SetDeviceOpenCall(nullptr);
    TQtAppTest::TearDown();
  }
  // Types a port into the port box and leaves it with Tab, as the user does (Enter would
  // also press the dialog's default button).
  static void TypePort(TCommDlg& dlg, const QString& port)
  {
    QLineEdit* edit = dlg.PortComboBox()->lineEdit();
    QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(4, 4));
    QWidget* focused = QApplication::focusWidget();
    ASSERT_TRUE(focused == edit || focused == dlg.PortComboBox());
    QTest::keyClick(focused, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(focused, port);
    QTest::keyClick(focused, Qt::Key_Tab);
    EXPECT_NE(QApplication::focusWidget(), focused);
    QApplication::processEvents();
  }
  TTempDir Dir;
  TRsdHan Link;
  TCommSettings Tcp;
};

QString Utf8(const std::string& s) { return QString::fromUtf8(s.c_str()); }

}  // namespace

TEST_F(TPortReasonTest, MissingDeviceAndNoPermissionAreNamedWhileTheSerialLinkIsChosen)
{
  // A device file that belongs to a group of its own, as /dev/ttyUSB0 belongs to dialout
  // (crw-rw----). Without dialout it stays root's, whose group is never worth joining.
  const std::string device = Dir.Write("ttyUSB0", "");
  const group* dialout = ::getgrnam("dialout");
  const gid_t gid = dialout ? dialout->gr_gid : 0;
  ASSERT_EQ(::chown(device.c_str(), uid_t(-1), gid), 0);
  ASSERT_EQ(::chmod(device.c_str(), 0660), 0);
  const std::string noPermission =
      dialout ? "brak uprawnień do portu: dodaj użytkownika do grupy dialout i zaloguj się ponownie"
              : "brak uprawnień do portu: " + device;
  const std::string missing = Dir.File("ttyUSB9");

  TCommDlg dlg(Link, Tcp);
  dlg.show();
  dlg.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dlg));
  QLabel* status = dlg.StatusLabel();
  EXPECT_EQ(status->text(), Utf8("Brak połączenia"));
  EXPECT_EQ(status->toolTip(), Utf8("nie wybrano portu"));

  TypePort(dlg, QString::fromStdString(missing));
  EXPECT_EQ(status->text(), Utf8("Brak połączenia"));
  EXPECT_EQ(status->toolTip(), Utf8("nie ma takiego portu: " + missing));

  SetDeviceOpenCall(&RefusedForPermission);
  TypePort(dlg, QString::fromStdString(device));
  EXPECT_EQ(status->text(), Utf8("Brak połączenia"));
  EXPECT_EQ(status->toolTip(), Utf8(noPermission));

  EXPECT_TRUE(dlg.isVisible());
  // With TCP chosen the serial port's reason is not shown.
  QTest::mouseClick(dlg.TcpCheckBox(), Qt::LeftButton, {}, QPoint(4, dlg.TcpCheckBox()->height() / 2));
  ASSERT_TRUE(dlg.TcpCheckBox()->isChecked());
  EXPECT_EQ(status->toolTip(), QString());
  dlg.reject();
}

TEST_F(TPortReasonTest, NoReasonWithTcpOrAnOpenPort)
{
  TFdHandle master;
  std::string slave;
  int err = 0;
  ASSERT_TRUE(OpenPtyPair(master, slave, err)) << err;
  struct TCase {
    bool TcpAtShow;
    std::string Port;
    const char* Status;
  };
  const TCase cases[] = {
      {true, Dir.File("ttyUSB9"), "Brak połączenia"},
      {false, slave, "Połączony"},
  };
  for (const TCase& c : cases) {
    Tcp.MBTCPComm = c.TcpAtShow;
    Link.SetCommPort(c.Port);
    TCommDlg dlg(Link, Tcp);
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    EXPECT_EQ(dlg.StatusLabel()->text(), Utf8(c.Status)) << c.Port;
    EXPECT_EQ(dlg.StatusLabel()->toolTip(), QString()) << c.Port;
    dlg.reject();
    Link.Close();
  }
}

TEST_F(TPortReasonTest, UntickingTcpShowsNoReasonFromAnOpenTheDialogDidNotTry)
{
  // The link failed once before the dialog (at the program's start, say), then TCP was chosen.
  const std::string missing = Dir.File("ttyUSB9");
  Link.SetCommPort(missing);
  Link.Open();
  ASSERT_EQ(Link.OpenFailure(), "nie ma takiego portu: " + missing);
  Tcp.MBTCPComm = true;

  TCommDlg dlg(Link, Tcp);
  dlg.show();
  dlg.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dlg));
  QCheckBox* tcp = dlg.TcpCheckBox();
  QTest::mouseClick(tcp, Qt::LeftButton, {}, QPoint(4, tcp->height() / 2));
  ASSERT_FALSE(tcp->isChecked());
  QLabel* status = dlg.StatusLabel();
  EXPECT_EQ(status->text(), Utf8("Brak połączenia"));
  EXPECT_EQ(status->toolTip(), QString());

  // Once the dialog tries the port, its reason shows.
  const std::string other = Dir.File("ttyUSB8");
  TypePort(dlg, QString::fromStdString(other));
  EXPECT_EQ(status->toolTip(), Utf8("nie ma takiego portu: " + other));
  dlg.reject();
}
