#include "platform/FileOps.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "tests/platform/SpecialFiles.h"
#include "tests/support/TempDir.h"

namespace {

namespace fs = std::filesystem;

// The scratch folder, with its own bits given back before it is removed (a test makes it
// read-only).
struct TDir {
  TTempDir Tmp;
  fs::path Path{Tmp.Path()};
  ~TDir()
  {
    std::error_code ec;
    fs::permissions(Path, fs::perms::owner_all, fs::perm_options::add, ec);
  }
  std::string operator/(const std::string& name) const { return Tmp / name; }
};

void Write(const std::string& path, const std::string& bytes)
{
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::string Read(const std::string& path)
{
  std::ifstream f(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

mode_t Mode(const std::string& path)
{
  struct stat st {};
  EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
  return st.st_mode & 07777;
}

std::vector<std::string> Names(const fs::path& dir)
{
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir))
    names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::string BesideWithTilde(const std::string& target) { return target + "~"; }

// How many descriptors this process has open.
std::ptrdiff_t OpenDescriptors()
{
  return std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator());
}

}  // namespace

TEST(FileOps, OpenRefusesWhatIsNoRegularFileWithoutWaiting)
{
  TDir dir;
  const std::string fifo = MakeFifo(dir / "fifo");
  const std::string file = dir / "file";
  Write(file, "contents");
  struct Case {
    std::string Path;
    int Flags;
    const char* Reason;  // nullptr: opened
  };
  const Case cases[] = {
      {fifo, O_RDONLY, "Not a regular file"},
      {fifo, O_RDWR, "Not a regular file"},
      {fifo, O_RDWR | O_CREAT | O_TRUNC, "Not a regular file"},
      {fifo, O_WRONLY, ""},  // no reader: the open itself says no
      {dir.Path.string(), O_RDONLY, "Is a directory"},
      {"/dev/null", O_RDONLY, "Not a regular file"},
      {dir / "missing", O_RDONLY, "No such file"},
      {file, O_RDONLY, nullptr},
      {file, O_RDWR | O_CREAT | O_TRUNC, nullptr},
      {dir / "new", O_RDWR | O_CREAT, nullptr},
  };
  const THangGuard guard;
  for (const Case& c : cases) {
    std::string reason;
    const int fd = FileOpsOpenRegular(c.Path, c.Flags, &reason);
    if (!c.Reason) {
      ASSERT_GE(fd, 0) << c.Path << ": " << reason;
      // Reads after the open wait for data as usual, and a started program does not inherit it.
      EXPECT_EQ(::fcntl(fd, F_GETFL) & O_NONBLOCK, 0) << c.Path;
      EXPECT_NE(::fcntl(fd, F_GETFD) & FD_CLOEXEC, 0) << c.Path;
      ::close(fd);
      continue;
    }
    EXPECT_EQ(fd, -1) << c.Path;
    EXPECT_NE(reason.find(c.Reason), std::string::npos) << c.Path << ": " << reason;
    EXPECT_FALSE(reason.empty()) << c.Path;
  }
  // Truncation waits until the file is known to be regular: the FIFO is still one.
  struct stat st {};
  ASSERT_EQ(::lstat(fifo.c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
  EXPECT_EQ(Read(file), "");
}

TEST(FileOps, ReplaceFollowsLinksKeepsPermissionsAndBacksUpBesideTheTarget)
{
  struct Case {
    const char* Name;
    std::vector<std::pair<std::string, std::string>> Links;  // link name, what it points to
    std::string Saved;                                       // the name the save is given
  };
  const Case cases[] = {
      {"relative link", {{"link.xml", "real/x.xml"}}, "link.xml"},
      {"absolute link", {{"link.xml", "@/real/x.xml"}}, "link.xml"},
      {"link to a link", {{"link.xml", "real/x.xml"}, {"second.xml", "link.xml"}}, "second.xml"},
      {"no link", {}, "real/x.xml"},
  };
  for (const Case& c : cases) {
    TDir dir;
    fs::create_directory(dir.Path / "real");
    const std::string target = dir / "real/x.xml";
    Write(target, "old");
    ASSERT_EQ(::chmod(target.c_str(), 0444), 0);
    for (const auto& [name, to] : c.Links) {
      const std::string dest = to[0] == '@' ? dir.Path.string() + to.substr(1) : to;
      ASSERT_EQ(::symlink(dest.c_str(), (dir / name).c_str()), 0);
    }
    std::string error;
    ASSERT_TRUE(FileOpsReplaceWithBackup(dir / c.Saved, "new", BesideWithTilde, &error))
        << c.Name << ": " << error;
    EXPECT_EQ(Read(target), "new") << c.Name;
    EXPECT_EQ(Mode(target), 0444u) << c.Name;
    EXPECT_EQ(Read(target + "~"), "old") << c.Name;
    EXPECT_EQ(Mode(target + "~"), 0444u) << c.Name;
    // The links stay links, and nothing but the backup is left beside the target.
    for (const auto& [name, to] : c.Links)
      EXPECT_TRUE(fs::is_symlink(dir.Path / name)) << c.Name << ": " << name;
    EXPECT_EQ(Names(dir.Path / "real"), (std::vector<std::string>{"x.xml", "x.xml~"})) << c.Name;
    EXPECT_EQ(Names(dir.Path).size(), 1 + c.Links.size()) << c.Name;
  }
}

TEST(FileOps, ReplaceOfANewFileTakesTheUmask)
{
  TDir dir;
  const mode_t old = ::umask(027);
  std::string error;
  const bool ok = FileOpsReplaceWithBackup(dir / "n.xml", "x", BesideWithTilde, &error);
  ::umask(old);
  ASSERT_TRUE(ok) << error;
  EXPECT_EQ(Mode(dir / "n.xml"), 0640u);
  EXPECT_EQ(Names(dir.Path), std::vector<std::string>{"n.xml"}) << "no backup of a file that was not there";
}

TEST(FileOps, ReplaceRefusesWhatIsNoRegularFile)
{
  TDir dir;
  const std::string fifo = MakeFifo(dir / "fifo");
  ASSERT_EQ(::symlink("fifo", (dir / "to-fifo").c_str()), 0);
  fs::create_directory(dir.Path / "folder");
  struct Case {
    std::string Path;
    const char* Mentions;
  };
  const Case cases[] = {
      {fifo, "Not a regular file"},
      {dir / "to-fifo", "Not a regular file"},
      {dir / "folder", "Is a directory"},
  };
  const THangGuard guard;
  for (const Case& c : cases) {
    std::string error;
    EXPECT_FALSE(FileOpsReplaceWithBackup(c.Path, "x", BesideWithTilde, &error)) << c.Path;
    EXPECT_NE(error.find(c.Mentions), std::string::npos) << error;
  }
  struct stat st {};
  ASSERT_EQ(::lstat(fifo.c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
  EXPECT_EQ(Names(dir.Path), (std::vector<std::string>{"fifo", "folder", "to-fifo"}));
}

namespace {

// Whether the folder's file system makes files without a name, and /proc can give them one.
bool MakesUnnamedFiles(const fs::path& folder)
{
  if (::access("/proc/self/fd", X_OK) != 0)
    return false;
  const int fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
  if (fd < 0)
    return false;
  ::close(fd);
  return true;
}

struct TKilledSave {
  bool Stopped = false;  // the save stopped after its first write
  bool Killed = false;
  std::vector<std::string> WhileStopped;  // the folder's names then
  std::vector<std::string> AfterKill;
};

// Saves a megabyte over path in a child process that stops itself after the save's first
// write, looks at the folder, and kills the child with SIGKILL.
TKilledSave KillASaveInItsWrite(const TDir& dir, const std::string& path, bool named)
{
  TKilledSave r;
  std::fflush(nullptr);
  const pid_t child = ::fork();
  if (child == 0) {
    TReplaceSeam seam;
    seam.NamedTemporary = named;
    seam.AfterWrite = [] { ::raise(SIGSTOP); };
    (void)FileOpsReplaceWithBackup(path, std::string(1 << 20, 'n'), BesideWithTilde, nullptr, &seam);
    ::_exit(0);  // the save ended without the stop: the parent sees an exit
  }
  EXPECT_GT(child, 0);
  if (child <= 0)
    return r;
  int status = 0;
  EXPECT_EQ(::waitpid(child, &status, WUNTRACED), child);
  r.Stopped = WIFSTOPPED(status);
  r.WhileStopped = Names(dir.Path);
  ::kill(child, SIGKILL);
  EXPECT_EQ(::waitpid(child, &status, 0), child);
  r.Killed = WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
  r.AfterKill = Names(dir.Path);
  return r;
}

}  // namespace

TEST(FileOps, ASaveKilledInItsWriteLeavesNothingButTheTarget)
{
  TDir dir;
  if (!MakesUnnamedFiles(dir.Path))
    GTEST_SKIP() << "the file system of " << dir.Path
                 << " makes no file without a name (O_TMPFILE), or /proc is missing";
  const std::string target = dir / "doc.kiv";
  Write(target, "old");
  const TKilledSave save = KillASaveInItsWrite(dir, target, false);
  ASSERT_TRUE(save.Stopped) << "the save never wrote";
  EXPECT_TRUE(save.Killed);
  EXPECT_EQ(save.WhileStopped, std::vector<std::string>{"doc.kiv"})
      << "the new bytes have no name while written";
  EXPECT_EQ(save.AfterKill, std::vector<std::string>{"doc.kiv"});
  EXPECT_EQ(Read(target), "old");
}

TEST(FileOps, WithoutUnnamedFilesTheTemporaryFileIsHidden)
{
  TDir dir;
  const std::string target = dir / "doc.kiv";
  Write(target, "old");
  const TKilledSave save = KillASaveInItsWrite(dir, target, true);
  ASSERT_TRUE(save.Stopped) << "the save never wrote";
  EXPECT_TRUE(save.Killed);
  ASSERT_EQ(save.WhileStopped.size(), 2u);
  EXPECT_EQ(save.WhileStopped[1], "doc.kiv");
  const std::string& temp = save.WhileStopped[0];
  EXPECT_EQ(temp.size(), std::string(".doc.kiv.tmpXXXXXX").size()) << temp;
  EXPECT_EQ(temp.rfind(".doc.kiv.tmp", 0), 0u) << temp;
  // The kill leaves the hidden file: only a file without a name can spare the folder that.
  EXPECT_EQ(save.AfterKill, save.WhileStopped);
  EXPECT_EQ(Read(target), "old");
}

TEST(FileOps, EitherTemporaryFileKeepsPermissionsTheBackupAndAFolderOfTheTargetAlone)
{
  struct Case {
    const char* Name;
    bool Named;
  };
  const Case cases[] = {{"without a name", false}, {"hidden name", true}};
  for (const Case& c : cases) {
    TDir dir;
    if (!c.Named && !MakesUnnamedFiles(dir.Path))
      continue;  // that path is the named one here, which the other case takes
    const std::string target = dir / "x.ini";
    Write(target, "old");
    ASSERT_EQ(::chmod(target.c_str(), 0604), 0);
    int writes = 0;
    TReplaceSeam seam;
    seam.NamedTemporary = c.Named;
    seam.AfterWrite = [&] { ++writes; };
    std::string error;
    ASSERT_TRUE(FileOpsReplaceWithBackup(target, "new", BesideWithTilde, &error, &seam))
        << c.Name << ": " << error;
    EXPECT_EQ(writes, 1) << c.Name;
    EXPECT_EQ(Read(target), "new") << c.Name;
    EXPECT_EQ(Mode(target), 0604u) << c.Name;
    EXPECT_EQ(Read(target + "~"), "old") << c.Name;
    EXPECT_EQ(Names(dir.Path), (std::vector<std::string>{"x.ini", "x.ini~"})) << c.Name;
    // A folder that refuses new entries refuses the save, and the old file stays.
    if (geteuid() != 0) {
      ASSERT_EQ(::chmod(dir.Path.c_str(), 0555), 0);
      EXPECT_FALSE(FileOpsReplaceWithBackup(target, "newer", BesideWithTilde, &error, &seam)) << c.Name;
      EXPECT_NE(error.find("Permission denied"), std::string::npos) << c.Name << ": " << error;
      EXPECT_EQ(Read(target), "new") << c.Name;
      ASSERT_EQ(::chmod(dir.Path.c_str(), 0755), 0);
      EXPECT_EQ(Names(dir.Path), (std::vector<std::string>{"x.ini", "x.ini~"})) << c.Name;
    }
  }
}

// Where /proc is mounted but will not name the unnamed file, the save writes the bytes again
// under a hidden name and succeeds, with the backup made once and no descriptor left open.
TEST(FileOps, AProcThatWillNotNameTheNewFileLeavesTheSaveToTheHiddenName)
{
  for (const int refusal : {EPERM, EACCES, ENOENT}) {
    TDir dir;
    if (!MakesUnnamedFiles(dir.Path))
      GTEST_SKIP() << "this folder makes no file without a name, so there is none to name";
    const std::string target = dir / "doc.kiv";
    Write(target, "old");
    ASSERT_EQ(::chmod(target.c_str(), 0604), 0);
    std::vector<std::string> seen;  // the folder after each write of the new bytes
    TReplaceSeam seam;
    seam.LinkError = refusal;
    seam.AfterWrite = [&] {
      for (const std::string& name : Names(dir.Path))
        seen.push_back(name);
      seen.push_back("|");
    };
    int backups = 0;
    const TBackupName counted = [&](const std::string& t) {
      ++backups;
      return BesideWithTilde(t);
    };
    const auto before = OpenDescriptors();
    std::string error;
    ASSERT_TRUE(FileOpsReplaceWithBackup(target, "new", counted, &error, &seam)) << refusal << ": " << error;
    // The first write went to the file without a name, the second to the hidden one, after
    // the backup.
    ASSERT_EQ(std::count(seen.begin(), seen.end(), "|"), 2) << refusal;
    const auto second = std::find(seen.begin(), seen.end(), "|") + 1;
    EXPECT_EQ(std::vector<std::string>(seen.begin(), second), (std::vector<std::string>{"doc.kiv", "|"}));
    const std::vector<std::string> atSecond(second, seen.end() - 1);
    ASSERT_EQ(atSecond.size(), 3u) << refusal;
    EXPECT_EQ(atSecond[0].rfind(".doc.kiv.tmp", 0), 0u) << atSecond[0];
    EXPECT_EQ(atSecond[1], "doc.kiv");
    EXPECT_EQ(atSecond[2], "doc.kiv~");
    EXPECT_EQ(backups, 1) << refusal;
    EXPECT_EQ(Read(target), "new");
    EXPECT_EQ(Mode(target), 0604u);
    EXPECT_EQ(Read(target + "~"), "old");
    EXPECT_EQ(Names(dir.Path), (std::vector<std::string>{"doc.kiv", "doc.kiv~"})) << refusal;
    EXPECT_EQ(OpenDescriptors(), before) << refusal;
  }
}

// A backup name that throws ends the save: the old file stays, and neither the new file nor
// its descriptor is left behind.
TEST(FileOps, ABackupNameThatThrowsLeavesNoFileAndNoDescriptor)
{
  const bool named[] = {false, true};
  for (const bool n : named) {
    TDir dir;
    const std::string target = dir / "doc.kiv";
    Write(target, "old");
    TReplaceSeam seam;
    seam.NamedTemporary = n;
    const auto before = OpenDescriptors();
    const TBackupName throwing = [](const std::string&) -> std::string {
      throw std::runtime_error("no name");
    };
    EXPECT_THROW((void)FileOpsReplaceWithBackup(target, "new", throwing, nullptr, &seam), std::runtime_error);
    EXPECT_EQ(OpenDescriptors(), before) << "named " << n;
    EXPECT_EQ(Names(dir.Path), std::vector<std::string>{"doc.kiv"}) << "named " << n;
    EXPECT_EQ(Read(target), "old");
  }
}
