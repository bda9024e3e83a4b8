#include "platform/SerialPort.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <asm/termbits.h>  // termios2, to read both speeds back
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

bool ExclusiveFlag(int fd)
{
  int excl = -1;
  EXPECT_EQ(::ioctl(fd, TIOCGEXCL, &excl), 0);
  return excl != 0;
}

}  // namespace

// A program that holds the line by a lock only: our refused open must leave the line as it
// found it, or nobody (that program included) could open it again until it is closed.
TEST(SerialPort, RefusedOpenLeavesTheLineShared)
{
  TFdHandle master;
  std::string slave;
  int err = 0;
  ASSERT_TRUE(OpenPtyPair(master, slave, err)) << err;
  TFdHandle holder(::open(slave.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC));
  ASSERT_TRUE(holder.Valid());
  ASSERT_EQ(::flock(holder.Get(), LOCK_EX | LOCK_NB), 0);
  ASSERT_FALSE(ExclusiveFlag(holder.Get()));

  TFdHandle refused = SerialOpenExclusive(slave, err);
  EXPECT_FALSE(refused.Valid());
  EXPECT_EQ(err, EWOULDBLOCK);
  EXPECT_FALSE(ExclusiveFlag(holder.Get()));

  // Once the holder lets go, the line opens exclusively.
  holder.Reset();
  TFdHandle mine = SerialOpenExclusive(slave, err);
  ASSERT_TRUE(mine.Valid()) << err;
  EXPECT_TRUE(ExclusiveFlag(mine.Get()));
}

// Going back to a common speed after one set through termios2 must move the input speed too;
// a line left at 9600 out and 14400 in would garble every reply on hardware that honours it.
TEST(SerialPort, BothDirectionsFollowEverySpeedChange)
{
  TFdHandle master;
  std::string slave;
  int err = 0;
  ASSERT_TRUE(OpenPtyPair(master, slave, err)) << err;
  TFdHandle line = SerialOpenExclusive(slave, err);
  ASSERT_TRUE(line.Valid()) << err;
  for (const uint32_t baud : {14400u, 9600u, 56000u, 115200u, 56000u, 110u}) {
    ASSERT_TRUE(SerialConfigureRaw(line.Get(), baud, err)) << baud << " " << err;
    struct termios2 t {};
    ASSERT_EQ(::ioctl(line.Get(), TCGETS2, &t), 0);
    EXPECT_EQ(t.c_ospeed, baud);
    EXPECT_EQ(t.c_ispeed, baud) << "after setting " << baud;
  }
}

// The exclusive claim ends with our handle, however it goes: closed, or moved and then closed.
TEST(SerialPort, ClosingGivesTheLineBack)
{
  TFdHandle master;
  std::string slave;
  int err = 0;
  ASSERT_TRUE(OpenPtyPair(master, slave, err)) << err;
  auto flagSeenByOthers = [&] {
    TFdHandle other(::open(slave.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC));
    EXPECT_TRUE(other.Valid());
    return other.Valid() && ExclusiveFlag(other.Get());
  };
  {
    TFdHandle line = SerialOpenExclusive(slave, err);
    ASSERT_TRUE(line.Valid()) << err;
    ASSERT_TRUE(ExclusiveFlag(line.Get()));
    line.Reset();
  }
  EXPECT_FALSE(flagSeenByOthers());
  {
    TFdHandle moved;
    moved = SerialOpenExclusive(slave, err);
    ASSERT_TRUE(moved.Valid()) << err;
    TFdHandle owner(std::move(moved));
    EXPECT_FALSE(moved.Valid());
    EXPECT_TRUE(ExclusiveFlag(owner.Get()));
  }
  EXPECT_FALSE(flagSeenByOthers());
  // The line opens exclusively again afterwards.
  TFdHandle again = SerialOpenExclusive(slave, err);
  EXPECT_TRUE(again.Valid()) << err;
}
