// kivsim: a simulated controller to try the program and run its tests without a device.
//
//   kivsim [--tcp-port P] [--slave N] [--ident TEXT] [--set1 FILE] [--set2 FILE]
//          [--events FILE] [--fault SPEC]... [--dump-sets DIR] [--stop-on-eof] [--log]
//
// It prints "rtu <slave path>" and "tcp 127.0.0.1:<port>", then "ready", and serves both
// until SIGINT/SIGTERM (or the end of its standard input with --stop-on-eof). At the end it
// prints "requests N" and, for each fault, "fault SPEC played N".

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <string>
#include <unistd.h>

#include "tests/sim/KivSimServer.h"

namespace {
volatile std::sig_atomic_t GStop = 0;
void OnSignal(int) { GStop = 1; }

int Usage()
{
  std::fprintf(stderr,
               "usage: kivsim [--tcp-port P] [--slave N] [--ident TEXT] [--set1 FILE] [--set2 FILE]\n"
               "              [--events FILE] [--fault SPEC]... [--dump-sets DIR] [--stop-on-eof] [--log]\n"
               "fault SPEC: kind[@WHAT][/count][:param], kind one of\n"
               "  silence wrongaddr badcrc exception split late wrongfunc wrongtid close short\n"
               "WHAT: ident, set1, set2, pageN (read at register N), fc16.N (write at register N),\n"
               "  or a request's position counted from 0\n");
  return 2;
}

bool LoadInto(const char* path, std::span<uint8_t> field)
{
  std::vector<uint8_t> data;
  if (!SimReadFile(path, data)) {
    std::fprintf(stderr, "kivsim: cannot read %s\n", path);
    return false;
  }
  std::fill(field.begin(), field.end(), 0);
  std::copy_n(data.begin(), std::min(data.size(), field.size()), field.begin());
  return true;
}

bool WriteFile(const std::string& path, std::span<const uint8_t> bytes)
{
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f)
    return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}
}  // namespace

int main(int argc, char** argv)
{
  TKivSimDevice device;
  uint16_t tcpPort = 0;
  std::string dumpDir;
  bool stopOnEof = false;
  bool log = false;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const bool hasValue = i + 1 < argc;
    if (a == "--tcp-port" && hasValue)
      tcpPort = static_cast<uint16_t>(std::strtoul(argv[++i], nullptr, 10));
    else if (a == "--slave" && hasValue)
      device.Slave = static_cast<uint8_t>(std::strtoul(argv[++i], nullptr, 10));
    else if (a == "--ident" && hasValue)
      device.Ident = argv[++i];
    else if (a == "--set1" && hasValue) {
      if (!LoadInto(argv[++i], device.Set(1)))
        return 1;
    } else if (a == "--set2" && hasValue) {
      if (!LoadInto(argv[++i], device.Set(2)))
        return 1;
    } else if (a == "--events" && hasValue) {
      if (!SimReadFile(argv[++i], device.Events)) {
        std::fprintf(stderr, "kivsim: cannot read %s\n", argv[i]);
        return 1;
      }
    } else if (a == "--fault" && hasValue) {
      auto f = ParseSimFault(argv[++i]);
      if (!f) {
        std::fprintf(stderr, "kivsim: bad fault %s\n", argv[i]);
        return Usage();
      }
      device.Faults.push_back(*f);
    } else if (a == "--dump-sets" && hasValue)
      dumpDir = argv[++i];
    else if (a == "--stop-on-eof")
      stopOnEof = true;
    else if (a == "--log")
      log = true;
    else
      return Usage();
  }

  TKivSimServer server(device);
  if (log)
    server.OnLog = [](const std::string& s) { std::fprintf(stderr, "%s\n", s.c_str()); };
  std::string slave;
  uint16_t actual = 0;
  if (!server.OpenPty(slave) || !server.ListenTcp(tcpPort, actual)) {
    std::perror("kivsim");
    return 1;
  }
  std::printf("rtu %s\ntcp 127.0.0.1:%u\nready\n", slave.c_str(), static_cast<unsigned>(actual));
  std::fflush(stdout);

  std::signal(SIGINT, OnSignal);
  std::signal(SIGTERM, OnSignal);
  std::signal(SIGPIPE, SIG_IGN);
  using TClock = std::chrono::steady_clock;
  while (!GStop) {
    auto fds = server.PollFds();
    if (stopOnEof)
      fds.push_back({STDIN_FILENO, POLLIN, 0});
    int timeout = 200;
    if (auto next = server.NextDue()) {
      const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(*next - TClock::now()).count();
      timeout = static_cast<int>(std::clamp<long long>(ms, 0, 200));
    }
    ::poll(fds.data(), fds.size(), timeout);
    if (stopOnEof && (fds.back().revents & (POLLIN | POLLHUP))) {
      char c[64];
      if (::read(STDIN_FILENO, c, sizeof c) <= 0)
        break;
    }
    server.Service(TClock::now());
  }
  if (!dumpDir.empty()) {
    if (!WriteFile(dumpDir + "/set1.bin", device.Set(1)) || !WriteFile(dumpDir + "/set2.bin", device.Set(2)))
      std::fprintf(stderr, "kivsim: cannot write the sets into %s\n", dumpDir.c_str());
  }
  std::printf("requests %u\n", device.RequestCount());
  for (const auto& f : device.Faults)
    std::printf("fault %s played %u\n", SimFaultText(f).c_str(), f.Played);
  return 0;
}
