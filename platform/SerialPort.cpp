#include "platform/SerialPort.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

void TFdHandle::Reset(int fd)
{
  if (FFd >= 0) {
    if (FExclusiveLine)
      ::ioctl(FFd, TIOCNXCL);
    ::close(FFd);
  }
  FFd = fd;
  FExclusiveLine = false;
}

namespace {

int SystemOpen(const char* path, int flags) { return ::open(path, flags); }

TDeviceOpenCall& DeviceOpen()
{
  static TDeviceOpenCall call = &SystemOpen;
  return call;
}

}  // namespace

TDeviceOpenCall SetDeviceOpenCall(TDeviceOpenCall call)
{
  const TDeviceOpenCall previous = DeviceOpen();
  DeviceOpen() = call ? call : &SystemOpen;
  return previous;
}

TDeviceGroup DeviceGroup(const std::string& path)
{
  TDeviceGroup result;
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0)
    return result;
  result.Examined = true;
  result.Gid = st.st_gid;
  result.Mode = st.st_mode;
  group entry{};
  group* found = nullptr;
  std::vector<char> buf(4096);
  while (::getgrgid_r(st.st_gid, &entry, buf.data(), buf.size(), &found) == ERANGE && buf.size() < (1u << 20))
    buf.resize(buf.size() * 2);
  result.Name = found ? std::string(found->gr_name) : std::to_string(st.st_gid);
  return result;
}

TFdHandle SerialOpenExclusive(const std::string& path, int& err)
{
  err = 0;
  TFdHandle fd(DeviceOpen()(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
  if (!fd.Valid()) {
    err = errno;
    return fd;
  }
  if (!::isatty(fd.Get())) {
    err = ENOTTY;
    return TFdHandle();
  }
  // TIOCEXCL keeps other opens out (root excepted); the lock covers cooperating programs too.
  // The lock comes first: the exclusive flag belongs to the line, not to our descriptor, so
  // setting it and then finding the line locked by another program would leave that
  // program's line closed to every later open.
  if (::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0 || ::ioctl(fd.Get(), TIOCEXCL) != 0) {
    err = errno;
    return TFdHandle();
  }
  fd.FExclusiveLine = true;
  return fd;
}

namespace {
bool StandardSpeed(uint32_t baud, speed_t& out)
{
  struct TPair {
    uint32_t baud;
    speed_t code;
  };
  static constexpr TPair table[] = {
      {110, B110},   {300, B300},     {600, B600},     {1200, B1200},   {2400, B2400},     {4800, B4800},
      {9600, B9600}, {19200, B19200}, {38400, B38400}, {57600, B57600}, {115200, B115200},
  };
  for (const auto& p : table)
    if (p.baud == baud) {
      out = p.code;
      return true;
    }
  return false;
}
}  // namespace

bool SerialConfigureRaw(int fd, uint32_t baud, int& err)
{
  err = 0;
  if (baud == 0) {
    err = EINVAL;  // speed 0 would hang up the line
    return false;
  }
  termios t{};
  if (::tcgetattr(fd, &t) != 0) {
    err = errno;
    return false;
  }
  ::cfmakeraw(&t);
  t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
  t.c_cflag |= CS8 | CLOCAL | CREAD;
  t.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
  // VMIN 1 with O_NONBLOCK: an empty queue reads as EAGAIN, a hang-up as end of file
  // (VMIN 0 would read both as 0 bytes).
  t.c_cc[VMIN] = 1;
  t.c_cc[VTIME] = 0;
  speed_t code = B9600;
  const bool standard = StandardSpeed(baud, code);
  if (standard) {
    ::cfsetispeed(&t, code);
    ::cfsetospeed(&t, code);
    // A speed set earlier through termios2 leaves its mark in the input-speed bits, which
    // the calls above do not touch: cleared, the input follows the output speed again.
    t.c_cflag &= ~static_cast<tcflag_t>(CIBAUD);
  }
  if (::tcsetattr(fd, TCSANOW, &t) != 0) {
    err = errno;
    return false;
  }
  if (!standard)
    return SerialSetOtherSpeed(fd, baud, err);
  return true;
}

void SerialDiscardInput(int fd)
{
  ::tcflush(fd, TCIFLUSH);
  // A pseudo-terminal may still hold bytes in transit; read them off, boundedly.
  uint8_t scratch[512];
  for (int i = 0; i < 256; ++i) {
    const ssize_t n = ::read(fd, scratch, sizeof scratch);
    if (n <= 0)
      break;
  }
}

bool OpenPtyPair(TFdHandle& master, std::string& slavePath, int& err)
{
  err = 0;
  TFdHandle m(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC));
  if (!m.Valid() || ::grantpt(m.Get()) != 0 || ::unlockpt(m.Get()) != 0) {
    err = errno;
    return false;
  }
  char name[128];
  if (::ptsname_r(m.Get(), name, sizeof name) != 0) {
    err = errno;
    return false;
  }
  const int flags = ::fcntl(m.Get(), F_GETFL);
  if (flags < 0 || ::fcntl(m.Get(), F_SETFL, flags | O_NONBLOCK) != 0) {
    err = errno;
    return false;
  }
  slavePath = name;
  master = std::move(m);
  return true;
}

namespace {
bool ReadSmallFile(const std::string& path, std::string& out)
{
  TFdHandle fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd.Valid())
    return false;
  char buf[64];
  const ssize_t n = ::read(fd.Get(), buf, sizeof buf);
  if (n < 0)
    return false;
  out.assign(buf, static_cast<size_t>(n));
  while (!out.empty() && (out.back() == '\n' || out.back() == ' '))
    out.pop_back();
  return true;
}
}  // namespace

std::vector<std::string> ListSerialDevices(const std::string& classTtyDir, bool& ok)
{
  std::vector<std::string> names;
  DIR* dir = ::opendir(classTtyDir.c_str());
  ok = dir != nullptr;
  if (!dir)
    return names;
  while (dirent* e = ::readdir(dir)) {
    const std::string name = e->d_name;
    if (name.empty() || name[0] == '.')
      continue;
    const std::string entry = classTtyDir + "/" + name;
    struct stat st {};
    if (::stat((entry + "/device").c_str(), &st) != 0)
      continue;  // virtual terminals and pseudo-terminals have no device
    std::string type;
    if (ReadSmallFile(entry + "/type", type) && type == "0")
      continue;  // an 8250 slot with no UART behind it
    names.push_back("/dev/" + name);
  }
  ::closedir(dir);
  std::sort(names.begin(), names.end());
  return names;
}
