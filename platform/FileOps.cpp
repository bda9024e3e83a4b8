#include "platform/FileOps.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/SysUtil.h"

namespace {

void SetError(std::string* error, const std::string& what, int err) {
  if (error) *error = what + ": " + SysErrorMessage(err);
}

std::string FolderOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

bool WriteAll(int fd, std::string_view bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t w = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (w < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<size_t>(w);
  }
  return true;
}

// Copies the file at from to a new file at to (used where hard links are refused).
bool CopyFile(const std::string& from, const std::string& to, int& err) {
  int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) {
    err = errno;
    return false;
  }
  int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (out < 0) {
    err = errno;
    ::close(in);
    return false;
  }
  char buf[65536];
  bool ok = true;
  for (;;) {
    ssize_t r = ::read(in, buf, sizeof buf);
    if (r < 0 && errno == EINTR) continue;
    if (r < 0) {
      err = errno;
      ok = false;
      break;
    }
    if (r == 0) break;
    if (!WriteAll(out, std::string_view(buf, static_cast<size_t>(r)))) {
      err = errno;
      ok = false;
      break;
    }
  }
  if (ok && ::fsync(out) != 0) {
    err = errno;
    ok = false;
  }
  ::close(in);
  if (::close(out) != 0 && ok) {
    err = errno;
    ok = false;
  }
  if (!ok) ::unlink(to.c_str());
  return ok;
}

}  // namespace

bool FileOpsMoveReplacing(const std::string& from, const std::string& to, std::string* error) {
  if (::rename(from.c_str(), to.c_str()) != 0) {
    SetError(error, from, errno);
    return false;
  }
  return true;
}

bool FileOpsReplaceWithBackup(const std::string& path, std::string_view bytes,
                              const std::string& backupPath, std::string* error) {
  std::string temp = path + ".tmpXXXXXX";
  int fd = ::mkstemp(temp.data());
  if (fd < 0) {
    SetError(error, path, errno);
    return false;
  }
  // mkstemp makes 0600; a saved document should get the usual permissions.
  mode_t mask = ::umask(0);
  ::umask(mask);
  (void)::fchmod(fd, 0666 & ~mask);
  bool ok = WriteAll(fd, bytes) && ::fsync(fd) == 0;
  int err = errno;
  if (::close(fd) != 0 && ok) {
    ok = false;
    err = errno;
  }
  if (!ok) {
    ::unlink(temp.c_str());
    SetError(error, path, err);
    return false;
  }
  struct stat st;
  if (!backupPath.empty() && ::stat(path.c_str(), &st) == 0) {
    if (::unlink(backupPath.c_str()) != 0 && errno != ENOENT) {
      err = errno;
      ::unlink(temp.c_str());
      SetError(error, backupPath, err);
      return false;
    }
    if (::link(path.c_str(), backupPath.c_str()) != 0) {
      err = errno;
      if (!CopyFile(path, backupPath, err)) {
        ::unlink(temp.c_str());
        SetError(error, backupPath, err);
        return false;
      }
    }
  }
  if (::rename(temp.c_str(), path.c_str()) != 0) {
    err = errno;
    ::unlink(temp.c_str());
    SetError(error, path, err);
    return false;
  }
  int dir = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    (void)::fsync(dir);
    ::close(dir);
  }
  return true;
}

bool FileOpsClose(int fd, int* code) {
  if (::close(fd) != 0) {
    if (code) *code = errno;
    return false;
  }
  return true;
}

bool FileOpsSeek(int fd, int64_t position, int* code) {
  if (::lseek(fd, static_cast<off_t>(position), SEEK_SET) < 0) {
    if (code) *code = errno;
    return false;
  }
  return true;
}

bool FileOpsTruncate(int fd, int64_t size, int* code) {
  if (size < 0) {
    if (code) *code = EINVAL;
    return false;
  }
  if (::ftruncate(fd, static_cast<off_t>(size)) != 0) {
    if (code) *code = errno;
    return false;
  }
  return true;
}
