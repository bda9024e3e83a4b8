#include "platform/FileOps.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include "platform/NumText.h"
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

bool WriteAll(int fd, std::string_view bytes, const std::function<void()>* afterWrite = nullptr)
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
    if (afterWrite && *afterWrite)
      (*afterWrite)();
  }
  return true;
}

// The start of the hidden names a new file has beside its target before the rename:
// ".NAME.tmp", which six characters complete.
std::string HiddenTemporaryStem(const std::string& target)
{
  const size_t slash = target.find_last_of('/');
  const size_t name = slash == std::string::npos ? 0 : slash + 1;
  return target.substr(0, name) + "." + target.substr(name) + ".tmp";
}

// Six characters of a file name that no other save is likely to pick at the same time.
std::string RandomSuffix()
{
  static const char Letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  uint64_t bits = 0;
  if (::getrandom(&bits, sizeof bits, GRND_NONBLOCK) != ssize_t(sizeof bits)) {
    struct timespec now {};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    static std::atomic<uint64_t> calls{0};
    bits =
        uint64_t(now.tv_nsec) ^ (uint64_t(now.tv_sec) << 30) ^ (uint64_t(::getpid()) << 40) ^ (++calls << 20);
  }
  std::string s(6, ' ');
  for (char& c : s) {
    c = Letters[bits % (sizeof Letters - 1)];
    bits /= sizeof Letters - 1;
  }
  return s;
}

// A new file without a name in folder, for writing; -1 with errno set when there is none. The
// name it gets later is made through /proc, so without /proc there is none either.
int OpenUnnamed(const std::string& folder)
{
  if (::access("/proc/self/fd", X_OK) != 0) {
    errno = EOPNOTSUPP;
    return -1;
  }
  return ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
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
                              std::string* error, const TReplaceSeam* seam)
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

  // How a folder says it makes no file without a name: EISDIR from a kernel that knows only
  // the O_DIRECTORY bit of O_TMPFILE, EOPNOTSUPP from a file system without such files, EINVAL
  // from one that refuses the flags.
  const auto noUnnamedFiles = [](int err) { return err == EOPNOTSUPP || err == EISDIR || err == EINVAL; };
  const std::string stem = HiddenTemporaryStem(target);
  std::string temp;  // the new file's name, once it has one
  int fd = -1;
  if (!(seam && seam->NamedTemporary)) {
    fd = OpenUnnamed(FolderOf(target));
    if (fd < 0 && !noUnnamedFiles(errno))
      return fail("Cannot create a temporary file beside", target, SysErrorMessage(errno));
  }
  const bool unnamed = fd >= 0;
  const auto openNamed = [&] {
    temp = stem + "XXXXXX";
    fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
      temp.clear();
    return fd >= 0;
  };
  if (!unnamed && !openNamed())
    return fail("Cannot create a temporary file beside", target, SysErrorMessage(errno));
  // Whatever ends the save before the rename (a failed step, or a backup name that throws)
  // takes the new file with it.
  const auto drop = [&] {
    if (fd >= 0)
      ::close(fd);
    fd = -1;
    if (!temp.empty())
      ::unlink(temp.c_str());
    temp.clear();
  };
  struct TDropOnExit {
    const decltype(drop)& Drop;
    ~TDropOnExit() { Drop(); }
  } dropOnExit{drop};
  const auto abandon = [&](const std::string& what, const std::string& where, const std::string& reason) {
    drop();
    return fail(what, where, reason);
  };
  // The step that failed, or nullptr once the bytes are on disk with the target's permissions.
  const auto writeNew = [&]() -> const char* {
    if (!WriteAll(fd, bytes, seam ? &seam->AfterWrite : nullptr))
      return "Cannot write";
    if (::fchmod(fd, mode) != 0)
      return "Cannot set the permissions of";
    if (::fsync(fd) != 0)
      return "Cannot flush";
    return nullptr;
  };
  const auto closeFile = [&] {
    const int closing = fd;
    fd = -1;
    return ::close(closing) == 0;
  };
  if (const char* step = writeNew())
    return abandon(step, target, SysErrorMessage(errno));
  // A file without a name stays open until it has one.
  if (!unnamed && !closeFile())
    return abandon("Cannot close", target, SysErrorMessage(errno));

  if (backupName && exists) {
    const std::string backup = backupName(target);
    if (::unlink(backup.c_str()) != 0 && errno != ENOENT)
      return abandon("Cannot remove", backup, SysErrorMessage(errno));
    std::string reason;
    if (::link(target.c_str(), backup.c_str()) != 0 && !CopyFile(target, backup, mode, reason))
      return abandon("Cannot make the backup", backup, reason);
  }
  if (unnamed) {
    const std::string self = "/proc/self/fd/" + IntToStr(fd);
    for (int tries = 1;; ++tries) {
      const std::string name = stem + RandomSuffix();
      const bool refused = seam && seam->LinkError;
      if (!refused && ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
        temp = name;
        break;
      }
      const int err = refused ? seam->LinkError : errno;
      if (err != EEXIST)
        break;
      if (tries == 100)
        return abandon("Cannot name the new file of", target, SysErrorMessage(err));
    }
    if (temp.empty()) {
      // A /proc that is there but will not lend the file a name (restricted, or another
      // system's): the bytes go again to a hidden file of their own. The backup stands as made.
      ::close(fd);
      fd = -1;
      if (!openNamed())
        return abandon("Cannot create a temporary file beside", target, SysErrorMessage(errno));
      if (const char* step = writeNew())
        return abandon(step, target, SysErrorMessage(errno));
      if (!closeFile())
        return abandon("Cannot close", target, SysErrorMessage(errno));
    }
  }
  if (::rename(temp.c_str(), target.c_str()) != 0)
    return abandon("Cannot replace", target, SysErrorMessage(errno));
  temp.clear();  // the name is the target's now
  // The unnamed file stays open until here, so only the rename stands between its naming and
  // its taking the target's place. The bytes were flushed before: a failing close loses none.
  if (fd >= 0)
    (void)closeFile();
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
