#include "platform/FileOps.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/SysUtil.h"

namespace {

std::string Describe(const std::string& what, const std::string& path, const std::string& reason)
{
  return what + " \"" + path + "\": " + reason;
}

// Why a file that is there cannot be used as a document: errno has no word for a FIFO or a
// device, so the text says it.
std::string NotRegularReason(mode_t mode)
{
  return S_ISDIR(mode) ? SysErrorMessage(EISDIR) : std::string("Not a regular file");
}

std::string FolderOf(const std::string& path)
{
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos)
    return ".";
  if (slash == 0)
    return "/";
  return path.substr(0, slash);
}

// Follows symbolic links so that a save replaces the file the link names, not the link.
std::string ResolveTarget(const std::string& path)
{
  std::string p = path;
  for (int hops = 0; hops < 16; ++hops) {
    struct stat st {};
    if (::lstat(p.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
      return p;
    std::string buf(PATH_MAX, '\0');
    const ssize_t n = ::readlink(p.c_str(), buf.data(), buf.size());
    if (n <= 0)
      return p;
    buf.resize(size_t(n));
    p = buf[0] == '/' ? buf : FolderOf(p) + "/" + buf;
  }
  return p;
}

bool WriteAll(int fd, std::string_view bytes)
{
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t w = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (w < 0) {
      if (errno == EINTR)
        continue;
      return false;
    }
    done += size_t(w);
  }
  return true;
}

// Copies the file at from to a new file at to with the given permissions (used where hard
// links are refused).
bool CopyFile(const std::string& from, const std::string& to, mode_t mode, std::string& reason)
{
  const int in = FileOpsOpenRegular(from, O_RDONLY, &reason);
  if (in < 0)
    return false;
  const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (out < 0) {
    reason = SysErrorMessage(errno);
    ::close(in);
    return false;
  }
  char buf[65536];
  int err = 0;
  for (;;) {
    const ssize_t r = ::read(in, buf, sizeof buf);
    if (r < 0 && errno == EINTR)
      continue;
    if (r < 0) {
      err = errno;
      break;
    }
    if (r == 0)
      break;
    if (!WriteAll(out, std::string_view(buf, size_t(r)))) {
      err = errno;
      break;
    }
  }
  if (err == 0 && (::fchmod(out, mode) != 0 || ::fsync(out) != 0))
    err = errno;
  ::close(in);
  if (::close(out) != 0 && err == 0)
    err = errno;
  if (err != 0) {
    reason = SysErrorMessage(err);
    ::unlink(to.c_str());
    return false;
  }
  return true;
}

}  // namespace

int FileOpsOpenRegular(const std::string& path, int flags, std::string* reason, mode_t mode)
{
  const auto refuse = [&](const std::string& why) {
    if (reason)
      *reason = why;
    return -1;
  };
  // Truncating waits until the file is known to be a regular one.
  const bool truncate = (flags & O_TRUNC) != 0;
  const int fd = ::open(path.c_str(), (flags & ~O_TRUNC) | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, mode);
  if (fd < 0)
    return refuse(SysErrorMessage(errno));
  const auto drop = [&](const std::string& why) {
    ::close(fd);
    return refuse(why);
  };
  struct stat st {};
  if (::fstat(fd, &st) != 0)
    return drop(SysErrorMessage(errno));
  if (!S_ISREG(st.st_mode))
    return drop(NotRegularReason(st.st_mode));
  const int status = ::fcntl(fd, F_GETFL);
  if (status < 0 || ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK) != 0)
    return drop(SysErrorMessage(errno));
  if (truncate && ::ftruncate(fd, 0) != 0)
    return drop(SysErrorMessage(errno));
  return fd;
}

bool FileOpsMoveReplacing(const std::string& from, const std::string& to, std::string* error)
{
  if (::rename(from.c_str(), to.c_str()) != 0) {
    if (error)
      *error = Describe("Cannot rename", from, SysErrorMessage(errno));
    return false;
  }
  return true;
}

bool FileOpsReplaceWithBackup(const std::string& path, std::string_view bytes, const TBackupName& backupName,
                              std::string* error)
{
  const auto fail = [&](const std::string& what, const std::string& where, const std::string& reason) {
    if (error)
      *error = Describe(what, where, reason);
    return false;
  };
  if (path.empty())
    return fail("Cannot write", path, SysErrorMessage(ENOENT));
  const std::string target = ResolveTarget(path);

  mode_t mode = 0;
  struct stat st {};
  const bool exists = ::stat(target.c_str(), &st) == 0;
  if (exists) {
    if (!S_ISREG(st.st_mode))
      return fail("Cannot replace", target, NotRegularReason(st.st_mode));
    mode = st.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }

  std::string temp = target + ".tmpXXXXXX";
  const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0)
    return fail("Cannot create a temporary file beside", target, SysErrorMessage(errno));
  const auto abandon = [&](const std::string& what, const std::string& where, const std::string& reason) {
    ::unlink(temp.c_str());
    return fail(what, where, reason);
  };
  int err = 0;
  const char* step = nullptr;
  if (!WriteAll(fd, bytes))
    step = "Cannot write";
  else if (::fchmod(fd, mode) != 0)
    step = "Cannot set the permissions of";
  else if (::fsync(fd) != 0)
    step = "Cannot flush";
  if (step)
    err = errno;
  if (::close(fd) != 0 && !step) {
    err = errno;
    step = "Cannot close";
  }
  if (step)
    return abandon(step, target, SysErrorMessage(err));

  if (backupName && exists) {
    const std::string backup = backupName(target);
    if (::unlink(backup.c_str()) != 0 && errno != ENOENT)
      return abandon("Cannot remove", backup, SysErrorMessage(errno));
    std::string reason;
    if (::link(target.c_str(), backup.c_str()) != 0 && !CopyFile(target, backup, mode, reason))
      return abandon("Cannot make the backup", backup, reason);
  }
  if (::rename(temp.c_str(), target.c_str()) != 0)
    return abandon("Cannot replace", target, SysErrorMessage(errno));
  // The rename is durable only once the folder's entry is on disk.
  const int dir = ::open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    (void)::fsync(dir);
    ::close(dir);
  }
  return true;
}

bool FileOpsClose(int fd, int* code)
{
  if (::close(fd) != 0) {
    if (code)
      *code = errno;
    return false;
  }
  return true;
}

bool FileOpsSeek(int fd, int64_t position, int* code)
{
  if (::lseek(fd, off_t(position), SEEK_SET) < 0) {
    if (code)
      *code = errno;
    return false;
  }
  return true;
}

bool FileOpsTruncate(int fd, int64_t size, int* code)
{
  if (size < 0) {
    if (code)
      *code = EINVAL;
    return false;
  }
  if (::ftruncate(fd, off_t(size)) != 0) {
    if (code)
      *code = errno;
    return false;
  }
  return true;
}
