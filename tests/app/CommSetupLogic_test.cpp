#include "app/logic/CommSetupLogic.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/Codepage.h"
#include "platform/Prompts.h"
#include "tests/support/TempDir.h"

namespace {

// Opens every named port but "COM9"; "/dev/bad" opens and cannot be configured.
class TFakeRsd : public TRsdHan {
public:
  uint8_t Open() override
  {
    OpenedWith.push_back(CommPort());
    if (CommPort() == "/dev/bad")
      throw EComState(EIO);
    return !CommPort().empty() && CommPort() != "COM9" ? StatusOpen : StatusNoPort;
  }
  void Close() override {}
  std::vector<std::string> OpenedWith;
};

class CommSetupState : public ::testing::Test {
protected:
  void SetUp() override
  {
    SetPrompts(&Script);
    std::filesystem::create_directories(Sysfs.File("ttyUSB0/device"));
    std::filesystem::create_directories(Sysfs.File("tty1"));  // no device: not a serial port
    Link.SetSysfsClassDir(Sysfs.Path());
    Link.SetCommPort("COM2");
    Link.SetBaudRate(6);
    Link.SetReadTotalTimeoutConstant(400);
  }
  void TearDown() override { SetPrompts(nullptr); }

  TScriptedPrompts Script;
  TTempDir Sysfs;
  TFakeRsd Link;
  TCommSettings Tcp;
};

TEST_F(CommSetupState, ShowOpensTheSerialPortOnly)
{
  TCommSetupState state(Link, Tcp);
  EXPECT_EQ(state.PortItems(), (std::vector<std::string>{"None", "/dev/ttyUSB0"}));
  EXPECT_EQ(state.SpeedIndex(), 6);
  state.Show();
  EXPECT_EQ(Link.OpenedWith, std::vector<std::string>{"COM2"});
  EXPECT_TRUE(state.Connected());
  EXPECT_EQ(state.StatusText(), "Połączony"_cp);
  EXPECT_TRUE(state.PortFieldsEnabled());
  EXPECT_FALSE(state.TcpFieldsEnabled());

  Tcp.MBTCPComm = true;
  TCommSetupState tcp(Link, Tcp);
  tcp.Show();
  EXPECT_EQ(Link.OpenedWith.size(), 1u);
  EXPECT_FALSE(tcp.Connected());
  EXPECT_EQ(tcp.StatusText(), "Brak połączenia"_cp);
  EXPECT_FALSE(tcp.PortFieldsEnabled());
  EXPECT_TRUE(tcp.TcpFieldsEnabled());
}

TEST_F(CommSetupState, ApplyingAPortSetsTheLinkAndOpensIt)
{
  struct Case {
    const char* Shown;
    int Speed;
    const char* LinkPort;
    int LinkSpeed;
    bool Connected;
  };
  const Case cases[] = {
      {"None", 3, "", 3, false},
      {"/dev/ttyUSB0", 9, "/dev/ttyUSB0", 9, true},
      // The list selects no speed (a stored one beyond it): the link keeps its own.
      {"/dev/ttyACM3", -1, "/dev/ttyACM3", 9, true},
      {"COM9", 2, "COM9", 2, false},
  };
  TCommSetupState state(Link, Tcp);
  state.Show();
  int timeOut = 600;
  for (const Case& c : cases) {
    state.ApplyPort(c.Shown, c.Speed, timeOut);
    EXPECT_EQ(Link.CommPort(), c.LinkPort) << c.Shown;
    EXPECT_EQ(Link.BaudRate(), c.LinkSpeed) << c.Shown;
    EXPECT_EQ(Link.ReadTotalTimeoutConstant(), timeOut) << c.Shown;
    EXPECT_EQ(Link.OpenedWith.back(), c.LinkPort) << c.Shown;
    EXPECT_EQ(state.Connected(), c.Connected) << c.Shown;
    timeOut += 100;
  }
  EXPECT_EQ(Script.Records.size(), 0u);
}

TEST_F(CommSetupState, APortThatCannotBeConfiguredIsReportedAndNotConnected)
{
  TCommSetupState state(Link, Tcp);
  state.Show();
  ASSERT_TRUE(state.Connected());
  state.ApplyPort("/dev/bad", 6, 500);
  ASSERT_EQ(Link.OpenedWith.back(), "/dev/bad");
  EXPECT_EQ(Script.Texts(TScriptedPrompts::TKind::Error).size(), 1u);
  EXPECT_FALSE(state.Connected());
}

TEST_F(CommSetupState, LeavingThePortBoxAppliesOnlyAChange)
{
  TCommSetupState state(Link, Tcp);
  EXPECT_FALSE(state.PortChanged("COM2"));
  EXPECT_TRUE(state.PortChanged("COM3"));
  EXPECT_TRUE(state.PortChanged("None"));
  Link.SetCommPort("");
  EXPECT_FALSE(state.PortChanged("None"));
  EXPECT_TRUE(state.PortChanged("COM2"));
}

TEST_F(CommSetupState, OkKeepsWhatWasAppliedAndCancelPutsItBack)
{
  Tcp.Time_Out = 700;
  Tcp.TimeSilence = 30;
  for (const bool ok : {true, false}) {
    TCommSettings tcp = Tcp;
    Link.SetCommPort("COM2");
    Link.SetBaudRate(6);
    Link.SetReadTotalTimeoutConstant(400);
    Link.SetSilenceTime(20);
    TCommSetupState state(Link, tcp);
    state.SetTimeOut(900);
    state.SetTimeSilence(50);
    state.Show();
    state.ApplyPort("/dev/ttyUSB0", 8, 1000);
    state.SetTcpComm(true);
    state.SetTcpIp("10.0.0.2");
    state.SetTcpPortText("abc");
    EXPECT_EQ(tcp.MBTCPPort, 502);  // no number: the default port
    state.SetTcpPortText("1502");
    if (ok) {
      state.Commit();
      EXPECT_EQ(Link.CommPort(), "/dev/ttyUSB0");
      EXPECT_EQ(Link.BaudRate(), 8);
      EXPECT_EQ(Link.ReadTotalTimeoutConstant(), 900);
      EXPECT_EQ(Link.SilenceTime(), 50);
      EXPECT_EQ(tcp.Time_Out, 900);
      EXPECT_EQ(tcp.TimeSilence, 50);
      EXPECT_TRUE(tcp.MBTCPComm);
      EXPECT_EQ(tcp.MBTCPIP, "10.0.0.2");
      EXPECT_EQ(tcp.MBTCPPort, 1502);
    } else {
      state.Revert();
      EXPECT_EQ(Link.CommPort(), "COM2");
      EXPECT_EQ(Link.BaudRate(), 6);
      EXPECT_EQ(Link.ReadTotalTimeoutConstant(), 400);
      EXPECT_EQ(Link.SilenceTime(), 20);
      EXPECT_EQ(tcp, Tcp);
    }
  }
}

TEST_F(CommSetupState, ASpeedBeyondTheListSelectsNothing)
{
  Link.SetBaudRate(br115200);
  EXPECT_EQ(TCommSetupState(Link, Tcp).SpeedIndex(), -1);
  EXPECT_EQ(TCommSetupState::SpeedItems().size(), 10u);
  EXPECT_EQ(TCommSetupState::SpeedItems()[6], "9600");
}

}  // namespace
