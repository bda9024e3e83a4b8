#include "tests/sim/KivSimServer.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>

#include "app/link/Mbusfun.h"

namespace {
// An RTU frame that stops arriving for this long is dropped, as a line device resynchronises.
constexpr std::chrono::milliseconds FrameGap{50};

std::string Hex(const std::vector<uint8_t>& b)
{
  static const char digits[] = "0123456789ABCDEF";
  std::string s;
  for (uint8_t c : b) {
    s += digits[c >> 4];
    s += digits[c & 15];
    s += ' ';
  }
  return s;
}
}  // namespace

void TKivSimServer::Log(const char* what, const std::vector<uint8_t>& bytes)
{
  if (OnLog)
    OnLog(std::string(what) + Hex(bytes));
}

bool TKivSimServer::OpenPty(std::string& slavePath)
{
  int err = 0;
  if (!OpenPtyPair(FMaster, slavePath, err))
    return false;
  FSlaveHold.Reset(::open(slavePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
  if (FSlaveHold.Valid()) {
    termios t{};
    if (::tcgetattr(FSlaveHold.Get(), &t) == 0) {
      ::cfmakeraw(&t);
      ::tcsetattr(FSlaveHold.Get(), TCSANOW, &t);
    }
  }
  return true;
}

bool TKivSimServer::ListenTcp(uint16_t port, uint16_t& actual)
{
  TFdHandle s(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
  if (!s.Valid())
    return false;
  const int one = 1;
  ::setsockopt(s.Get(), SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(port);
  sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::bind(s.Get(), reinterpret_cast<const sockaddr*>(&sa), sizeof sa) != 0 || ::listen(s.Get(), 8) != 0)
    return false;
  socklen_t len = sizeof sa;
  if (::getsockname(s.Get(), reinterpret_cast<sockaddr*>(&sa), &len) != 0)
    return false;
  actual = ntohs(sa.sin_port);
  FListen = std::move(s);
  return true;
}

void TKivSimServer::Queue(int fd, TClock::time_point now, TSimAnswer answer)
{
  TClock::time_point due = now;
  for (auto& c : answer.Chunks) {
    due += c.Delay;
    Log("out ", c.Bytes);
    FOutputs.push_back({due, fd, std::move(c.Bytes)});
  }
}

void TKivSimServer::ServiceRtu(TClock::time_point now)
{
  if (!FMaster.Valid())
    return;
  uint8_t buf[512];
  for (;;) {
    const ssize_t n = ::read(FMaster.Get(), buf, sizeof buf);
    if (n <= 0)
      break;
    if (!FRtuIn.empty() && now - FRtuLast > FrameGap)
      FRtuIn.clear();
    FRtuIn.insert(FRtuIn.end(), buf, buf + n);
    FRtuLast = now;
  }
  while (FRtuIn.size() >= 2) {
    size_t need = 8;
    if (FRtuIn[1] == 16) {
      if (FRtuIn.size() < 7)
        break;
      need = 9u + FRtuIn[6];
    }
    if (FRtuIn.size() < need)
      break;
    std::vector<uint8_t> frame(FRtuIn.begin(), FRtuIn.begin() + static_cast<std::ptrdiff_t>(need));
    if (!CheckCRC(frame, frame.size())) {
      Log("bad ", FRtuIn);
      FRtuIn.clear();  // lost sync: wait for the next request
      break;
    }
    FRtuIn.erase(FRtuIn.begin(), FRtuIn.begin() + static_cast<std::ptrdiff_t>(need));
    Log("in  ", frame);
    Queue(FMaster.Get(), now, FDevice.AnswerRtu(frame));
  }
  if (!FRtuIn.empty() && now - FRtuLast > FrameGap)
    FRtuIn.clear();
}

void TKivSimServer::ServiceTcp(TClock::time_point now)
{
  if (FListen.Valid())
    for (;;) {
      sockaddr_in program{};
      socklen_t length = sizeof program;
      TFdHandle c(::accept4(FListen.Get(), reinterpret_cast<sockaddr*>(&program), &length,
                            SOCK_NONBLOCK | SOCK_CLOEXEC));
      if (!c.Valid())
        break;
      const int one = 1;
      ::setsockopt(c.Get(), IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
      auto client = std::make_unique<TClient>();
      client->Fd = std::move(c);
      client->Program = program;
      FClients.push_back(std::move(client));
      ++FAccepted;
    }
  for (auto& c : FClients) {
    uint8_t buf[512];
    bool closed = false;
    for (;;) {
      const ssize_t n = ::recv(c->Fd.Get(), buf, sizeof buf, MSG_DONTWAIT);
      if (n > 0) {
        c->In.insert(c->In.end(), buf, buf + n);
        continue;
      }
      closed = n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR);
      break;
    }
    while (!closed && c->In.size() >= 7) {
      const size_t len = static_cast<size_t>((c->In[4] << 8) | c->In[5]);
      if (c->In[2] != 0 || c->In[3] != 0 || len < 2 || len > 254) {
        FClosedByServer.push_back(c->Program);
        closed = true;
        break;
      }
      if (c->In.size() < 6 + len)
        break;
      const uint16_t tid = static_cast<uint16_t>((c->In[0] << 8) | c->In[1]);
      const uint8_t unit = c->In[6];
      std::vector<uint8_t> frame(c->In.begin(), c->In.begin() + static_cast<std::ptrdiff_t>(6 + len));
      c->In.erase(c->In.begin(), c->In.begin() + static_cast<std::ptrdiff_t>(6 + len));
      Log("tcp in  ", frame);
      TSimAnswer a = FDevice.AnswerTcp(tid, unit, std::span<const uint8_t>(frame).subspan(7));
      if (a.CloseConnection) {
        FClosedByServer.push_back(c->Program);
        closed = true;
        break;
      }
      Queue(c->Fd.Get(), now, std::move(a));
    }
    if (closed) {
      const int fd = c->Fd.Get();
      std::erase_if(FOutputs, [fd](const TOutput& o) { return o.Fd == fd; });
      c->Fd.Reset();
    }
  }
  std::erase_if(FClients, [](const std::unique_ptr<TClient>& c) { return !c->Fd.Valid(); });
}

void TKivSimServer::Service(TClock::time_point now)
{
  ServiceRtu(now);
  ServiceTcp(now);
  // Due pieces go out in order; a piece that does not fit waits for the next round.
  std::stable_sort(FOutputs.begin(), FOutputs.end(),
                   [](const TOutput& a, const TOutput& b) { return a.Due < b.Due; });
  while (!FOutputs.empty() && FOutputs.front().Due <= now) {
    TOutput& o = FOutputs.front();
    const ssize_t n = ::send(o.Fd, o.Bytes.data(), o.Bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    ssize_t written = n;
    if (n < 0 && errno == ENOTSOCK)
      written = ::write(o.Fd, o.Bytes.data(), o.Bytes.size());
    if (written < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
      break;
    if (written > 0)
      CountWritten(o.Fd, static_cast<size_t>(written));
    if (written > 0 && static_cast<size_t>(written) < o.Bytes.size()) {
      o.Bytes.erase(o.Bytes.begin(), o.Bytes.begin() + written);
      break;
    }
    FOutputs.erase(FOutputs.begin());
  }
}

void TKivSimServer::CountWritten(int fd, size_t bytes)
{
  if (fd == FMaster.Get())
    FPtyWritten += bytes;
  for (auto& c : FClients)
    if (c->Fd.Get() == fd)
      c->Written += bytes;
}

std::vector<TKivSimServer::TConnection> TKivSimServer::Connections() const
{
  std::vector<TConnection> out;
  for (const auto& c : FClients)
    out.push_back({c->Fd.Get(), c->Program, c->Written});
  return out;
}

std::optional<TKivSimServer::TClock::time_point> TKivSimServer::NextDue() const
{
  std::optional<TClock::time_point> next;
  for (const auto& o : FOutputs)
    if (!next || o.Due < *next)
      next = o.Due;
  if (!FRtuIn.empty()) {
    const auto drop = FRtuLast + FrameGap + std::chrono::milliseconds(1);
    if (!next || drop < *next)
      next = drop;
  }
  return next;
}

std::vector<pollfd> TKivSimServer::PollFds() const
{
  std::vector<pollfd> fds;
  if (FMaster.Valid())
    fds.push_back({FMaster.Get(), POLLIN, 0});
  if (FListen.Valid())
    fds.push_back({FListen.Get(), POLLIN, 0});
  for (const auto& c : FClients)
    fds.push_back({c->Fd.Get(), POLLIN, 0});
  return fds;
}
