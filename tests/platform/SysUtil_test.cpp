#include "platform/SysUtil.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

#include "tests/platform/SpecialFiles.h"
#include "tests/support/TempDir.h"

TEST(SysUtil, ErrorTexts)
{
  EXPECT_EQ(SysErrorMessage(ENOENT), "No such file or directory");
  EXPECT_EQ(SysErrorMessage(EACCES), "Permission denied");
  EXPECT_FALSE(SysErrorMessage(123456).empty());
}

TEST(SysUtil, AtomicWriteReplacesWholeFile)
{
  TTempDir dir;
  const std::string path = dir / "doc.kiv";
  std::string error;
  const std::string first(20486, '\x5A');
  ASSERT_TRUE(AtomicWriteFile(path, first, &error)) << error;
  std::string back;
  ASSERT_TRUE(ReadWholeFile(path, back, 1 << 20));
  EXPECT_EQ(back, first);
  chmod(path.c_str(), 0640);
  const std::string second("short\0with nul", 14);
  ASSERT_TRUE(AtomicWriteFile(path, second, &error)) << error;
  ASSERT_TRUE(ReadWholeFile(path, back, 1 << 20));
  EXPECT_EQ(back, second);
  struct stat st {};
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u) << "an existing file keeps its permissions";
  EXPECT_EQ(dir.Count(), 1) << "no temporary file left";
  ASSERT_TRUE(AtomicWriteFile(path, "", &error));
  ASSERT_TRUE(ReadWholeFile(path, back, 10));
  EXPECT_TRUE(back.empty());
}

TEST(SysUtil, AtomicWriteThroughASymlinkReplacesTheTarget)
{
  TTempDir dir;
  const std::string target = dir / "real.ini";
  const std::string link = dir / "link.ini";
  ASSERT_TRUE(AtomicWriteFile(target, "old"));
  ASSERT_EQ(symlink("real.ini", link.c_str()), 0);
  ASSERT_TRUE(AtomicWriteFile(link, "new"));
  struct stat st {};
  ASSERT_EQ(lstat(link.c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  std::string back;
  ASSERT_TRUE(ReadWholeFile(target, back, 100));
  EXPECT_EQ(back, "new");
}

TEST(SysUtil, FailedWritesLeaveThePreviousFile)
{
  TTempDir dir;
  struct Case {
    std::string Path;
    const char* Mentions;
  };
  const Case cases[] = {
      {dir / "no/such/folder/x.bin", "no/such/folder"},
      {dir.Path(), "Is a directory"},  // a folder as target
      {"", "No such file"},
  };
  for (const auto& c : cases) {
    std::string error;
    EXPECT_FALSE(AtomicWriteFile(c.Path, "data", &error)) << c.Path;
    EXPECT_NE(error.find(c.Mentions), std::string::npos) << error;
  }
  if (geteuid() != 0) {
    // A read-only folder: the temporary file cannot be made; the old file stays.
    const std::string sub = dir / "ro";
    ASSERT_EQ(mkdir(sub.c_str(), 0755), 0);
    const std::string path = sub + "/f.txt";
    ASSERT_TRUE(AtomicWriteFile(path, "before"));
    chmod(sub.c_str(), 0555);
    std::string error;
    EXPECT_FALSE(AtomicWriteFile(path, "after", &error));
    EXPECT_NE(error.find("Permission denied"), std::string::npos) << error;
    std::string back;
    ASSERT_TRUE(ReadWholeFile(path, back, 100));
    EXPECT_EQ(back, "before");
    chmod(sub.c_str(), 0755);
  }
}

TEST(SysUtil, ReadWholeFileLimits)
{
  TTempDir dir;
  const std::string path = dir / "f.bin";
  ASSERT_TRUE(AtomicWriteFile(path, std::string(100, 'a')));
  std::string out = "stale";
  EXPECT_TRUE(ReadWholeFile(path, out, 100));
  EXPECT_EQ(out.size(), 100u);
  std::string error;
  EXPECT_FALSE(ReadWholeFile(path, out, 99, &error));
  EXPECT_TRUE(out.empty());
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(ReadWholeFile(dir / "missing", out, 100, &error));
  EXPECT_NE(error.find("No such file"), std::string::npos);
  EXPECT_FALSE(ReadWholeFile(dir.Path(), out, 100, &error));
  EXPECT_TRUE(FileExists(path));
  EXPECT_FALSE(FileExists(dir.Path()));
  EXPECT_TRUE(DirectoryExists(dir.Path()));
  EXPECT_FALSE(DirectoryExists(path));
}

TEST(SysUtil, ReadsRefuseWhatIsNoRegularFileWithoutWaiting)
{
  TTempDir dir;
  const std::string fifo = MakeFifo(dir / "fifo");
  struct Case {
    std::string Path;
    const char* Mentions;
  };
  const Case cases[] = {
      {fifo, "Not a regular file"},
      {"/dev/zero", "Not a regular file"},  // would never end
      {dir.Path(), "Is a directory"},
  };
  const THangGuard guard;
  for (const Case& c : cases) {
    for (const bool whole : {true, false}) {
      std::string out = "stale", error;
      EXPECT_FALSE(whole ? ReadWholeFile(c.Path, out, 100, &error) : ReadFileHead(c.Path, out, 100, &error))
          << c.Path;
      EXPECT_TRUE(out.empty()) << c.Path;
      EXPECT_NE(error.find(c.Mentions), std::string::npos) << error;
      EXPECT_NE(error.find(c.Path), std::string::npos) << error;
    }
  }
}

TEST(SysUtil, ReadFileHeadStopsAtItsLimit)
{
  TTempDir dir;
  const std::string path = dir / "f.bin";
  std::string bytes(200000, '\0');
  for (size_t i = 0; i < bytes.size(); ++i)
    bytes[i] = char(i * 7);
  ASSERT_TRUE(AtomicWriteFile(path, bytes));
  struct Case {
    size_t Max;
    size_t Size;
  };
  for (const Case c :
       {Case{0, 0}, Case{1, 1}, Case{65537, 65537}, Case{200000, 200000}, Case{1u << 30, 200000}}) {
    std::string out = "stale";
    ASSERT_TRUE(ReadFileHead(path, out, c.Max)) << c.Max;
    EXPECT_EQ(out, bytes.substr(0, c.Size)) << c.Max;
  }
}

TEST(SysUtil, DebugSink)
{
  std::vector<std::string> seen;
  auto previous = SetDebugSink([&](std::string_view t) { seen.emplace_back(t); });
  DebugOutput("one");
  DebugOutput("two\n");
  auto mine = SetDebugSink(std::move(previous));
  EXPECT_TRUE(static_cast<bool>(mine));
  EXPECT_EQ(seen, (std::vector<std::string>{"one", "two\n"}));
  // The default sink writes the line to stderr.
  testing::internal::CaptureStderr();
  DebugOutput("to stderr");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "to stderr\n");
}
