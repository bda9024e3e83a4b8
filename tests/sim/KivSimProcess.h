#pragma once
// Runs kivsim (or any program) as a child process for tests and benchmarks: its output is
// read with deadlines, and it is stopped by closing its input (kivsim --stop-on-eof) and,
// should it not go, killed by its process id. Nothing here waits without a bound.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

extern char** environ;

class TChildProcess {
public:
  TChildProcess() = default;
  ~TChildProcess() { Stop(); }
  TChildProcess(const TChildProcess&) = delete;
  TChildProcess& operator=(const TChildProcess&) = delete;

  // Starts `args[0]` with its standard input and output on pipes (stderr is inherited).
  bool Start(const std::vector<std::string>& args)
  {
    int in[2], out[2];
    if (::pipe2(in, O_CLOEXEC) != 0)
      return false;
    if (::pipe2(out, O_CLOEXEC) != 0) {
      ::close(in[0]);
      ::close(in[1]);
      return false;
    }
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_adddup2(&fa, in[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&fa, out[1], STDOUT_FILENO);
    std::vector<char*> argv;
    for (const auto& a : args)
      argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const int rc = posix_spawn(&FPid, argv[0], &fa, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&fa);
    ::close(in[0]);
    ::close(out[1]);
    FIn = in[1];
    FOut = out[0];
    if (rc != 0) {
      FPid = -1;
      return false;
    }
    return true;
  }

  // The next line of output, within `ms` milliseconds.
  std::optional<std::string> ReadLine(int ms)
  {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
      const size_t nl = FBuffer.find('\n');
      if (nl != std::string::npos) {
        std::string line = FBuffer.substr(0, nl);
        FBuffer.erase(0, nl + 1);
        return line;
      }
      if (!Fill(deadline))
        return std::nullopt;
    }
  }

  // Everything until the output ends, within `ms` milliseconds.
  std::string ReadAll(int ms)
  {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (Fill(deadline)) {
    }
    std::string all;
    all.swap(FBuffer);
    return all;
  }

  // Closes the child's input, waits up to `ms` for it to end (then kills it); its exit code,
  // or -1.
  int Stop(int ms = 5000)
  {
    if (FIn >= 0) {
      ::close(FIn);
      FIn = -1;
    }
    int code = -1;
    if (FPid > 0) {
      const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
      int status = 0;
      pid_t r = 0;
      while ((r = ::waitpid(FPid, &status, WNOHANG)) == 0 && std::chrono::steady_clock::now() < deadline)
        ::usleep(2000);
      if (r == 0) {
        ::kill(FPid, SIGKILL);
        ::waitpid(FPid, &status, 0);
      } else if (r == FPid && WIFEXITED(status)) {
        code = WEXITSTATUS(status);
      }
      FPid = -1;
    }
    if (FOut >= 0) {
      // What the child printed last stays readable after it ended.
      ::close(FOut);
      FOut = -1;
    }
    return code;
  }

  // Stops the child but keeps what it printed before going.
  int StopKeepingOutput(std::string& rest, int ms = 5000)
  {
    if (FIn >= 0) {
      ::close(FIn);
      FIn = -1;
    }
    rest = ReadAll(ms);
    return Stop(ms);
  }

private:
  bool Fill(std::chrono::steady_clock::time_point deadline)
  {
    if (FOut < 0)
      return false;
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now())
            .count();
    if (left <= 0)
      return false;
    pollfd p{FOut, POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(left)) <= 0)
      return false;
    char buf[4096];
    const ssize_t n = ::read(FOut, buf, sizeof buf);
    if (n <= 0)
      return false;
    FBuffer.append(buf, static_cast<size_t>(n));
    return true;
  }

  pid_t FPid = -1;
  int FIn = -1;
  int FOut = -1;
  std::string FBuffer;
};

// kivsim started for a test: the slave path of its pseudo-terminal and its TCP port.
struct TKivSimProcess {
  TChildProcess Process;
  std::string Pty;
  uint16_t TcpPort = 0;

  bool Start(const std::string& kivsim, std::vector<std::string> args)
  {
    args.insert(args.begin(), {kivsim, "--stop-on-eof"});
    if (!Process.Start(args))
      return false;
    for (int i = 0; i < 3; ++i) {
      const auto line = Process.ReadLine(5000);
      if (!line)
        return false;
      if (line->rfind("rtu ", 0) == 0)
        Pty = line->substr(4);
      else if (line->rfind("tcp 127.0.0.1:", 0) == 0)
        for (char c : line->substr(14))
          if (c >= '0' && c <= '9')
            TcpPort = static_cast<uint16_t>(TcpPort * 10 + (c - '0'));
    }
    return !Pty.empty() && TcpPort != 0;
  }
};
