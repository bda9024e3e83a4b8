#include "platform/FileOps.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/stat.h>
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
