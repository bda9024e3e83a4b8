#pragma once
// The operating-system side of a serial line: exclusive open, raw 8N1 at a table speed,
// pseudo-terminal pairs (the simulator's and the tests' null modem) and the port list from
// sysfs. The link in app/ builds its protocol on these and never touches termios itself.

#include <cstdint>
#include <string>
#include <vector>

// Owns one file descriptor; closes it when it goes. A line claimed by SerialOpenExclusive is
// given back on close: its exclusive flag belongs to the line and would otherwise outlive us
// (a pseudo-terminal whose other side stays open could then not be opened again).
class TFdHandle {
public:
  TFdHandle() = default;
  explicit TFdHandle(int fd) : FFd(fd) {}
  ~TFdHandle() { Reset(); }
  TFdHandle(const TFdHandle&) = delete;
  TFdHandle& operator=(const TFdHandle&) = delete;
  TFdHandle(TFdHandle&& o) noexcept : FFd(o.FFd), FExclusiveLine(o.FExclusiveLine)
  {
    o.FFd = -1;
    o.FExclusiveLine = false;
  }
  TFdHandle& operator=(TFdHandle&& o) noexcept
  {
    if (this != &o) {
      Reset();
      FFd = o.FFd;
      FExclusiveLine = o.FExclusiveLine;
      o.FFd = -1;
      o.FExclusiveLine = false;
    }
    return *this;
  }

  int Get() const { return FFd; }
  bool Valid() const { return FFd >= 0; }
  int Release()
  {
    const int fd = FFd;
    FFd = -1;
    FExclusiveLine = false;
    return fd;
  }
  void Reset(int fd = -1);

private:
  friend TFdHandle SerialOpenExclusive(const std::string& path, int& err);
  int FFd = -1;
  bool FExclusiveLine = false;
};

// The system's open(2) as the serial layer calls it. A test puts its own in its place (the
// tests run as root, whom no file permission stops) and gets back the one it replaced;
// nullptr puts the system's back.
using TDeviceOpenCall = int (*)(const char* path, int flags);
TDeviceOpenCall SetDeviceOpenCall(TDeviceOpenCall call);

// Who may open a device, read with stat: its owning group (the group's name, or its number
// when the system has no name for it) and its mode. `Examined` is false when the device
// cannot be looked at; the other fields are then empty.
struct TDeviceGroup {
  bool Examined = false;
  unsigned Gid = 0;
  unsigned Mode = 0;  // st_mode
  std::string Name;
};
TDeviceGroup DeviceGroup(const std::string& path);

// Opens a terminal device for reading and writing, non-blocking, without making it the
// controlling terminal, and claims it exclusively (TIOCEXCL and an flock), so two programs
// never share one line. On failure returns an invalid handle and sets `err` to errno.
TFdHandle SerialOpenExclusive(const std::string& path, int& err);

// Raw 8N1, no flow control, receiver on, modem lines ignored, reads never block, at `baud`.
// The common speeds go through termios; any other (14400, 56000) through termios2.
[[nodiscard]] bool SerialConfigureRaw(int fd, uint32_t baud, int& err);

// Sets an arbitrary speed through termios2 (kept apart: its kernel header clashes with termios).
[[nodiscard]] bool SerialSetOtherSpeed(int fd, uint32_t baud, int& err);
// Reads the speed back through termios2 (for checks).
[[nodiscard]] bool SerialGetSpeed(int fd, uint32_t& baud);

// Drops whatever input is waiting, so a late answer never passes for the next one.
void SerialDiscardInput(int fd);

// A new pseudo-terminal: the master side (non-blocking) and the path of its slave.
[[nodiscard]] bool OpenPtyPair(TFdHandle& master, std::string& slavePath, int& err);

// The serial devices named under a sysfs tty class folder (normally "/sys/class/tty"): the
// entries that have a `device` link, less the UART slots that report no hardware (type 0).
// Returned as device paths ("/dev/ttyUSB0"), sorted. `ok` is false when the folder cannot be read.
std::vector<std::string> ListSerialDevices(const std::string& classTtyDir, bool& ok);
