#include "app/link/RsdUnit.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <fstream>

#include "app/link/Mbusfun.h"
#include "platform/Codepage.h"
#include "platform/SysUtil.h"
#include "tests/app/LinkTestSupport.h"
#include "tests/support/TempDir.h"

namespace {

struct TPathCase {
  const char* port;
  const char* path;
};

TEST(RsdUnit, PortNamesToDevicePaths)
{
  const TPathCase cases[] = {
      {"1", "/dev/ttyS0"},
      {"COM1", "/dev/ttyS0"},
      {"com3", "/dev/ttyS2"},
      {"COM10", "/dev/ttyS9"},
      {"0", ""},
      {"COM0", ""},
      {"/dev/ttyUSB0", "/dev/ttyUSB0"},
      {"/dev/ttyACM1", "/dev/ttyACM1"},
      {"COMX", "COMX"},
      {"", ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(SerialDevicePath(c.port), c.path) << c.port;
}

TEST(RsdUnit, SpeedTable)
{
  const std::pair<int, uint32_t> cases[] = {{0, 110},    {6, 9600},   {7, 14400},
                                            {10, 56000}, {11, 57600}, {12, 115200}};
  for (const auto& [index, baud] : cases) {
    uint32_t got = 0;
    ASSERT_TRUE(BaudRateValue(index, got));
    EXPECT_EQ(got, baud);
  }
  uint32_t got = 0;
  EXPECT_FALSE(BaudRateValue(-1, got));
  EXPECT_FALSE(BaudRateValue(13, got));
}

// A fake sysfs tty folder built by the test.
class TFakeSysfs {
public:
  void Add(const std::string& name, bool device, const char* type = nullptr)
  {
    FRoot.Folder(name);
    if (device)
      FRoot.Folder(name + "/device");
    if (type)
      FRoot.Write(name + "/type", std::string(type) + "\n");
  }
  std::string Dir() const { return FRoot.Path(); }

private:
  TTempDir FRoot;
};

TEST(RsdUnit, PortListFromSysfs)
{
  TFakeSysfs sys;
  sys.Add("ttyUSB0", true);
  sys.Add("ttyS1", true, "0");  // a UART slot with nothing behind it
  sys.Add("ttyS0", true, "4");
  sys.Add("tty0", false);
  sys.Add("ptmx", false);
  std::vector<std::string> names{"stale"};
  ASSERT_TRUE(GetSerialPortNames(names, sys.Dir()));
  EXPECT_EQ(names, (std::vector<std::string>{"/dev/ttyS0", "/dev/ttyUSB0"}));

  TRsdHan link;
  link.SetSysfsClassDir(sys.Dir());
  EXPECT_EQ(link.CommList(), names);

  EXPECT_FALSE(GetSerialPortNames(names, sys.Dir() + "/missing"));
  EXPECT_TRUE(names.empty());
}

// A pseudo-terminal whose slave the link opens; the master is not served.
struct TPty {
  TFdHandle Master;
  std::string Slave;
  TPty()
  {
    int err = 0;
    EXPECT_TRUE(OpenPtyPair(Master, Slave, err)) << err;
  }
};

TEST(RsdUnit, OpenReportsStatusAndEvents)
{
  std::vector<std::string> debug;
  SetDebugSink([&](std::string_view s) { debug.emplace_back(s); });
  struct TCase {
    std::string port;
    uint8_t status;
    bool sysText;
  };
  TPty pty;
  const TCase cases[] = {
      {"", 14, false},
      {"/dev/kivssn-no-such-port", 14, true},
      {pty.Slave, 0, false},
  };
  for (const auto& c : cases) {
    debug.clear();
    TRsdHan link;
    int opened = 0, shown = 0;
    link.OnOpen = [&] { ++opened; };
    link.OnShowSt = [&] { ++shown; };
    link.SetCommPort(c.port);
    EXPECT_EQ(link.Open(), c.status) << c.port;
    EXPECT_EQ(link.Status(), c.status);
    EXPECT_EQ(link.IsOpen(), c.status == 0);
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(shown, 1);
    if (c.sysText) {
      ASSERT_EQ(debug.size(), 1u);
      EXPECT_NE(debug[0].find("No such file or directory"), std::string::npos) << debug[0];
    }
  }
  SetDebugSink(nullptr);
}

TEST(RsdUnit, PortIsExclusiveAndClosesForGood)
{
  TPty pty;
  TRsdHan first, second;
  first.SetCommPort(pty.Slave);
  second.SetCommPort(pty.Slave);
  int closed = 0;
  first.OnClose = [&] { ++closed; };
  ASSERT_EQ(first.Open(), 0);
  EXPECT_EQ(second.Open(), 14);
  first.SetIsOpen(false);
  EXPECT_EQ(closed, 1);
  first.SetIsOpen(false);  // no change, no event
  EXPECT_EQ(closed, 1);
  EXPECT_EQ(second.Open(), 0);
}

TEST(RsdUnit, EverySpeedOfTheTableIsSet)
{
  TPty pty;
  for (int index = 0; index < BaudRateCount; ++index) {
    TRsdHan link;
    link.SetCommPort(pty.Slave);
    link.SetBaudRate(index);
    ASSERT_EQ(link.Open(), 0) << index;
    uint32_t want = 0, got = 0;
    ASSERT_TRUE(BaudRateValue(index, want));
    ASSERT_TRUE(SerialGetSpeed(link.Handle(), got));
    EXPECT_EQ(got, want) << index;
  }
}

TEST(RsdUnit, SpeedOutsideTheTableFailsConfigurationAndCloses)
{
  TPty pty;
  for (int index : {-1, 13, 99}) {
    TRsdHan link;
    link.SetCommPort(pty.Slave);
    link.SetBaudRate(index);
    try {
      link.Open();
      ADD_FAILURE() << "no EComState for index " << index;
    } catch (const EComState& e) {
      EXPECT_STREQ(e.what(), "Unable to set com state: 22");
      EXPECT_EQ(e.ErrorNumber(), 22);
    }
    EXPECT_FALSE(link.IsOpen());
    EXPECT_EQ(link.Handle(), -1);
    // The port was really let go: another opener gets it.
    TRsdHan other;
    other.SetCommPort(pty.Slave);
    EXPECT_EQ(other.Open(), 0);
  }
}

// The link against the simulated controller on a pseudo-terminal, on the fake clock.
class RsdLink : public ::testing::Test {
protected:
  void SetUp() override
  {
    ASSERT_TRUE(Server.OpenPty(Slave));
    Pump.Install();
    Link.SetCommPort(Slave);
    ASSERT_EQ(Link.Open(), 0);
    Link.SetSilenceTime(0);
    for (size_t i = 0; i < 16; ++i)
      Device.Set(1)[i] = static_cast<uint8_t>(0xA0 + i);
  }

  static std::vector<uint8_t> Request(std::vector<uint8_t> head)
  {
    head.resize(head.size() + 2);
    AddCRC(head, head.size() - 2);
    return head;
  }

  // One request and its reply; returns the fake milliseconds the read took.
  long long Exchange(const std::vector<uint8_t>& req, bool& ok, size_t& length)
  {
    EXPECT_TRUE(Link.WriteFrame(req, req.size()));
    const long long before = Pump.ElapsedMs();
    ok = Link.ReadFrame(Reply, length);
    return Pump.ElapsedMs() - before;
  }

  TKivSimDevice Device;
  TKivSimServer Server{Device};
  TSimPump Pump{Server};
  std::string Slave;
  TRsdHan Link;
  std::array<uint8_t, 300> Reply{};
};

TEST_F(RsdLink, ReadOfEightRegistersPassesAsSoonAsComplete)
{
  bool ok = false;
  size_t length = 0;
  const long long ms = Exchange(Request({0x1F, 3, 0x08, 0x80, 0, 8}), ok, length);
  EXPECT_TRUE(ok);
  EXPECT_EQ(length, 21u);
  EXPECT_LT(ms, 50);
  EXPECT_EQ(Reply[2], 16);
  EXPECT_EQ(Reply[3], 0xA0);
  EXPECT_EQ(Reply[18], 0xAF);
}

TEST_F(RsdLink, WriteReplyPassesOnlyAtTheDeadline)
{
  bool ok = false;
  size_t length = 0;
  const long long ms = Exchange(Request({0x1F, 16, 0x08, 0x80, 0, 1, 2, 0x12, 0x34}), ok, length);
  EXPECT_TRUE(ok);
  EXPECT_EQ(length, 8u);
  EXPECT_GE(ms, 500);
  EXPECT_LT(ms, 600);
  EXPECT_EQ(Device.Set(1)[0], 0x12);
  EXPECT_EQ(Device.Set(1)[1], 0x34);
}

struct TFaultCase {
  const char* fault;
  bool ok;
  size_t length;
  long long minMs, maxMs;
};

TEST_F(RsdLink, FaultsOnTheLine)
{
  const TFaultCase cases[] = {
      {"silence@set1", false, 0, 500, 600},  {"badcrc@set1", false, 21, 0, 50},
      {"split@set1:40", true, 21, 80, 130},  {"late@set1:700", false, 0, 500, 600},
      {"exception@set1", true, 5, 500, 600},  // short reply: valid only when the time is up
  };
  for (const auto& c : cases) {
    const auto fault = ParseSimFault(c.fault);
    ASSERT_TRUE(fault) << c.fault;
    Device.Faults = {*fault};
    bool ok = false;
    size_t length = 0;
    const long long ms = Exchange(Request({0x1F, 3, 0x08, 0x80, 0, 8}), ok, length);
    EXPECT_EQ(Device.Faults[0].Played, 1u) << c.fault;
    EXPECT_EQ(ok, c.ok) << c.fault;
    EXPECT_EQ(length, c.length) << c.fault;
    EXPECT_GE(ms, c.minMs) << c.fault;
    EXPECT_LE(ms, c.maxMs) << c.fault;
    EXPECT_TRUE(Link.Error().empty());
    Pump.PumpFor(std::chrono::milliseconds(1000));  // let a late reply land before the next case
  }
}

TEST_F(RsdLink, LateReplyNeverAnswersTheNextRequest)
{
  Device.Faults = {*ParseSimFault("late@set1:700")};
  bool ok = true;
  size_t length = 0;
  Exchange(Request({0x1F, 3, 0x08, 0x80, 0, 8}), ok, length);
  EXPECT_FALSE(ok);
  Pump.PumpFor(std::chrono::milliseconds(400));  // the late reply lands in the input queue
  Device.Set(1)[0] = 0x55;
  Exchange(Request({0x1F, 3, 0x08, 0x80, 0, 1}), ok, length);
  EXPECT_TRUE(ok);
  EXPECT_EQ(length, 7u);
  EXPECT_EQ(Reply[3], 0x55);
  EXPECT_EQ(Device.Faults[0].Played, 1u);  // the second read was answered in time
}

TEST_F(RsdLink, WriteOnAClosedLinkFails)
{
  Link.Close();
  const auto req = Request({0x1F, 3, 0x08, 0x80, 0, 8});
  EXPECT_FALSE(Link.WriteFrame(req, req.size()));
  EXPECT_EQ(Link.Error(), std::string("Błąd zapisu do portu"_cp));
  size_t length = 9;
  EXPECT_FALSE(Link.ReadFrame(Reply, length));
  EXPECT_EQ(length, 0u);
  EXPECT_TRUE(Link.Error().empty());
}

TEST_F(RsdLink, SilenceAfterWriteAndDelayUseThePump)
{
  Link.SetSilenceTime(10);
  const auto req = Request({0x1F, 3, 0x08, 0x80, 0, 8});
  const long long before = Pump.ElapsedMs();
  ASSERT_TRUE(Link.WriteFrame(req, req.size()));
  EXPECT_EQ(Pump.ElapsedMs() - before, 10);
  Link.Delay(25);
  EXPECT_EQ(Pump.ElapsedMs() - before, 35);
}

}  // namespace

namespace {

// The seam's stand-in for open(2): every open fails with the error set here.
int GRefusal = 0;
int RefusingOpen(const char*, int)
{
  errno = GRefusal;
  return -1;
}

}  // namespace

namespace {

// A group other than root that the test may give its files to: its own where it has one,
// else (as root) the first other group the system knows.
gid_t SomeGroupButRoot(std::string& name)
{
  gid_t gid = ::getgid();
  if (gid == 0) {
    ::setgrent();
    while (const group* g = ::getgrent())
      if (g->gr_gid != 0) {
        gid = g->gr_gid;
        break;
      }
    ::endgrent();
  }
  const group* g = ::getgrgid(gid);
  name = g ? g->gr_name : std::to_string(gid);
  return gid;
}

}  // namespace

TEST(RsdUnit, AFailedOpenSaysWhyInPolish)
{
  TTempDir dir;
  const std::string plainFile = dir.Write("ttyUSB3", "not a line");
  const std::string groupFile = dir.Write("ttyUSB4", "not a line");
  const std::string missing = dir.File("ttyUSB9");
  TPty pty;
  TRsdHan holder;
  holder.SetCommPort(pty.Slave);
  ASSERT_EQ(holder.Open(), TRsdHan::StatusOpen);
  EXPECT_EQ(holder.OpenFailure(), "");
  ASSERT_EQ(::chown(plainFile.c_str(), uid_t(-1), gid_t(0)), 0);
  std::string groupName;
  const gid_t gid = SomeGroupButRoot(groupName);
  ASSERT_NE(gid, 0u) << "no group but root to give the device to";
  ASSERT_EQ(::chown(groupFile.c_str(), uid_t(-1), gid), 0);
  const std::string noGroupNamed = "brak uprawnień do portu: "_cp + plainFile;
  const std::string joinGroup =
      "brak uprawnień do portu: dodaj użytkownika do grupy "_cp + groupName + " i zaloguj się ponownie"_cp;
  const std::string joinDialout =
      "brak uprawnień do portu: dodaj użytkownika do grupy dialout i zaloguj się ponownie"_cp;

  struct TCase {
    std::string Port;
    int Refusal;  // 0: the system's own open
    mode_t Mode;  // 0: the file as it was written
    std::string Reason;
  };
  const TCase cases[] = {
      {"", 0, 0, "nie wybrano portu"},
      {"COM0", 0, 0, "nie wybrano portu"},
      {missing, 0, 0, "nie ma takiego portu: " + missing},
      {plainFile, 0, 0, "to nie jest port szeregowy: " + plainFile},
      {pty.Slave, 0, 0, "port zajęty przez inny program: "_cp + pty.Slave},
      {"COM4", ENODEV, 0, "nie ma takiego portu: /dev/ttyS3"},
      {"COM1", EIO, 0, "nie ma takiego portu: /dev/ttyS0"},
      // Only a group other than root that may read and write the device is worth joining.
      {plainFile, EACCES, 0, noGroupNamed},
      {plainFile, EPERM, 0, noGroupNamed},
      {plainFile, EACCES, 0600, noGroupNamed},
      {plainFile, EACCES, 0660, noGroupNamed},
      {groupFile, EACCES, 0600, "brak uprawnień do portu: "_cp + groupFile},
      {groupFile, EACCES, 0640, "brak uprawnień do portu: "_cp + groupFile},
      {groupFile, EACCES, 0660, joinGroup},
      {groupFile, EPERM, 0660, joinGroup},
      // A device that cannot be looked at gets the usual group.
      {missing, EACCES, 0, joinDialout},
      {plainFile, EBUSY, 0, "port zajęty przez inny program: "_cp + plainFile},
      {plainFile, EMFILE, 0, Utf8ToCp1250(SysErrorMessage(EMFILE))},
  };
  for (const TCase& c : cases) {
    if (c.Mode) {
      ASSERT_EQ(::chmod(c.Port.c_str(), c.Mode), 0) << c.Port;
    }
    GRefusal = c.Refusal;
    const TDeviceOpenCall previous = c.Refusal ? SetDeviceOpenCall(&RefusingOpen) : nullptr;
    TRsdHan link;
    link.SetCommPort(c.Port);
    EXPECT_EQ(link.Open(), TRsdHan::StatusNoPort) << c.Port;
    if (c.Refusal)
      SetDeviceOpenCall(previous);
    EXPECT_EQ(link.OpenFailure(), c.Reason) << c.Port << " " << c.Refusal << " " << std::oct << c.Mode;
  }
  // An open that works clears the reason.
  holder.Close();
  TRsdHan link;
  link.SetCommPort(missing);
  link.Open();
  EXPECT_NE(link.OpenFailure(), "");
  link.SetCommPort(pty.Slave);
  EXPECT_EQ(link.Open(), TRsdHan::StatusOpen);
  EXPECT_EQ(link.OpenFailure(), "");
}
