#include "tests/sim/KivSimHandOver.h"

#include <arpa/inet.h>
#include <linux/tcp.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>

#include <algorithm>
#include <cstdint>

#include "tests/sim/KivSimServer.h"

int QueuedBytes(int fd, short* revents)
{
  pollfd p{fd, static_cast<short>(POLLIN | POLLRDHUP), 0};
  ::poll(&p, 1, 0);
  if (revents)
    *revents = p.revents;
  int n = 0;
  if (::ioctl(fd, FIONREAD, &n) != 0)
    n = 0;
  return n;
}

namespace {
int Queued(int fd, short& revents) { return QueuedBytes(fd, &revents); }

bool Info(int fd, tcp_info& info)
{
  socklen_t length = sizeof info;
  info = {};
  return ::getsockopt(fd, IPPROTO_TCP, TCP_INFO, &info, &length) == 0 &&
         length >= offsetof(tcp_info, tcpi_bytes_retrans) + sizeof info.tcpi_bytes_retrans;
}

bool SameAddress(const sockaddr_in& a, const sockaddr_in& b)
{
  return a.sin_family == b.sin_family && a.sin_port == b.sin_port && a.sin_addr.s_addr == b.sin_addr.s_addr;
}

std::string Text(const sockaddr_in& a)
{
  return "the connection from port " + std::to_string(ntohs(a.sin_port));
}
}  // namespace

void TSimHandOver::NoteProgramFd(int fd)
{
  if (fd >= 0 && std::find(FProgramFds.begin(), FProgramFds.end(), fd) == FProgramFds.end())
    FProgramFds.push_back(fd);
}

void TSimHandOver::Mark()
{
  FPtyWrittenAtMark = FServer.PtyWritten();
  short revents = 0;
  FPtyQueuedAtMark = FServer.PtyProgramSide() >= 0 ? Queued(FServer.PtyProgramSide(), revents) : 0;
}

int TSimHandOver::ProgramEnd(const sockaddr_in& address)
{
  // A descriptor noted once may since have been closed or reused: only a socket whose own
  // address is the connection's program end counts; the others are forgotten.
  int found = -1;
  std::erase_if(FProgramFds, [&](int fd) {
    sockaddr_in own{};
    socklen_t length = sizeof own;
    if (::getsockname(fd, reinterpret_cast<sockaddr*>(&own), &length) != 0 || own.sin_family != AF_INET)
      return true;
    if (SameAddress(own, address))
      found = fd;
    return false;
  });
  return found;
}

std::string TSimHandOver::UnderWay()
{
  const int pty = FServer.PtyProgramSide();
  if (pty >= 0) {
    short revents = 0;
    const long long expected = static_cast<long long>(FPtyQueuedAtMark) +
                               static_cast<long long>(FServer.PtyWritten() - FPtyWrittenAtMark);
    const int queued = Queued(pty, revents);
    if (queued < expected && !(revents & (POLLHUP | POLLERR)))
      return std::to_string(expected - queued) + " of the bytes written to the pseudo-terminal";
  }
  for (const auto& c : FServer.Connections()) {
    const int program = ProgramEnd(c.Program);
    if (program < 0)
      continue;  // no end the program waits on: nothing there can read
    tcp_info theirs{}, ours{};
    if (!Info(program, theirs) || !Info(c.Fd, ours))
      continue;
    if (theirs.tcpi_bytes_received < c.Written)
      return std::to_string(c.Written - theirs.tcpi_bytes_received) + " bytes written to " + Text(c.Program);
    const uint64_t sent = theirs.tcpi_bytes_sent - theirs.tcpi_bytes_retrans;
    if (theirs.tcpi_notsent_bytes > 0 || ours.tcpi_bytes_received < sent)
      return "the request on " + Text(c.Program);
  }
  // Each end of stream once: a later connection may come from the same port again.
  const auto& closed = FServer.ClosedByServer();
  for (; FClosedSeen < closed.size(); ++FClosedSeen) {
    const int program = ProgramEnd(closed[FClosedSeen]);
    if (program < 0)
      continue;
    short revents = 0;
    Queued(program, revents);
    if (!(revents & (POLLRDHUP | POLLHUP | POLLERR)))
      return "the end of " + Text(closed[FClosedSeen]);
  }
  return {};
}
