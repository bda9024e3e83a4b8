#include "platform/SysUtil.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>

#include "platform/FileOps.h"

namespace {

// strerror_r comes in two flavours (XSI returns int, GNU returns char*); both are handled.
[[maybe_unused]] std::string FromStrerror(int rc, const char* buf, int err)
{
  if (rc == 0 && buf[0] != '\0')
    return buf;
  return "Unknown error " + std::to_string(err);
}
[[maybe_unused]] std::string FromStrerror(const char* r, const char*, int err)
{
  if (r && r[0] != '\0')
    return r;
  return "Unknown error " + std::to_string(err);
}

std::string Describe(const std::string& what, const std::string& path, int err)
{
  return what + " \"" + path + "\": " + SysErrorMessage(err);
}

std::function<void(std::string_view)>& Sink()
{
  static std::function<void(std::string_view)> sink;
  return sink;
}

}  // namespace

std::string SysErrorMessage(int err)
{
  char buf[256] = {};
  return FromStrerror(strerror_r(err, buf, sizeof buf), buf, err);
}

bool AtomicWriteFile(const std::string& path, std::string_view bytes, std::string* error)
{
  return FileOpsReplaceWithBackup(path, bytes, {}, error);
}

namespace {

// Reads a regular file from its start: all of it, or up to maxBytes. A longer file is an
// error when whole is set, else it is read only that far.
bool ReadRegularFile(const std::string& path, std::string& out, size_t maxBytes, bool whole,
                     std::string* error)
{
  out.clear();
  std::string reason;
  const int fd = FileOpsOpenRegular(path, O_RDONLY, &reason);
  if (fd < 0) {
    if (error)
      *error = "Cannot open \"" + path + "\": " + reason;
    return false;
  }
  // Every failure once the file is open: closed again, nothing kept, the reason told.
  const auto fail = [&](const char* what, int err) {
    close(fd);
    out.clear();
    if (error)
      *error = Describe(what, path, err);
    return false;
  };
  struct stat st {};
  if (fstat(fd, &st) != 0)
    return fail("Cannot read", errno);
  if (whole && uint64_t(st.st_size) > maxBytes)
    return fail("Too large to read", EFBIG);
  out.reserve(size_t(std::min<uint64_t>(uint64_t(st.st_size), maxBytes)));
  char buf[65536];
  for (;;) {
    // A head read stops at maxBytes; a whole read goes on to the end, so a file that grew
    // past maxBytes since fstat is still refused.
    const size_t room = maxBytes - out.size();
    if (!whole && room == 0)
      break;
    const ssize_t n = read(fd, buf, whole ? sizeof buf : std::min(sizeof buf, room));
    if (n < 0) {
      if (errno == EINTR)
        continue;
      return fail("Cannot read", errno);
    }
    if (n == 0)
      break;
    if (size_t(n) > room)
      return fail("Too large to read", EFBIG);
    out.append(buf, size_t(n));
  }
  close(fd);
  return true;
}

}  // namespace

bool ReadWholeFile(const std::string& path, std::string& out, size_t maxBytes, std::string* error)
{
  return ReadRegularFile(path, out, maxBytes, true, error);
}

bool ReadFileHead(const std::string& path, std::string& out, size_t maxBytes, std::string* error)
{
  return ReadRegularFile(path, out, maxBytes, false, error);
}

bool FileExists(const std::string& path)
{
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DirectoryExists(const std::string& path)
{
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

void DebugOutput(std::string_view text)
{
  auto& sink = Sink();
  if (sink) {
    sink(text);
    return;
  }
  std::string line(text);
  if (line.empty() || line.back() != '\n')
    line += '\n';
  std::fwrite(line.data(), 1, line.size(), stderr);
}

std::function<void(std::string_view)> SetDebugSink(std::function<void(std::string_view)> sink)
{
  auto previous = std::move(Sink());
  Sink() = std::move(sink);
  return previous;
}
