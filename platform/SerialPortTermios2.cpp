// termios2 lives in a kernel header that cannot share a file with <termios.h>.
#include "platform/SerialPort.h"

#include <asm/termbits.h>
#include <cerrno>
#include <sys/ioctl.h>

bool SerialSetOtherSpeed(int fd, uint32_t baud, int& err)
{
  err = 0;
  struct termios2 t {};
  if (::ioctl(fd, TCGETS2, &t) != 0) {
    err = errno;
    return false;
  }
  t.c_cflag &= ~static_cast<tcflag_t>(CBAUD | (CBAUD << IBSHIFT));
  t.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
  t.c_ispeed = baud;
  t.c_ospeed = baud;
  if (::ioctl(fd, TCSETS2, &t) != 0) {
    err = errno;
    return false;
  }
  return true;
}

bool SerialGetSpeed(int fd, uint32_t& baud)
{
  struct termios2 t {};
  if (::ioctl(fd, TCGETS2, &t) != 0)
    return false;
  baud = t.c_ospeed;
  return true;
}
