#include "app/document/KivFiles.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "DocTestSupport.h"
#include "platform/Codepage.h"
#include "platform/Prompts.h"
#include "tests/platform/SpecialFiles.h"

namespace {

using TLines = std::vector<std::string>;

std::string Bytes(const uint8_t* b, size_t n) { return std::string(b, b + n); }

TEST(KivFiles, StringsToBufferLayout)
{
  struct Case {
    TLines lines;
    size_t size;
    std::string bytes;
  };
  const Case cases[] = {
      {{"a", "", "bc"}, 10, std::string("a\0\r\nbc\0\0\0\0", 10)},
      {{}, 4, std::string(4, '\0')},
      {{"", ""}, 6, std::string("\r\n\r\n\0\0", 6)},
      // A line running past the area is cut; the last byte stays NUL.
      {{"abcdef"}, 4, std::string("abc\0", 4)},
      {{"ab", "cdef"}, 6, std::string("ab\0cd\0", 6)},
      {{"abcd", ""}, 6, std::string("abcd\0\0", 6)},
      {{"abc", ""}, 6, std::string("abc\0\r\0", 6)},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> buf(c.size, 0xEE);
    StringsToBuffer(c.lines, buf.data(), buf.size());
    EXPECT_EQ(Bytes(buf.data(), buf.size()), c.bytes) << c.lines.size();
  }
}

TEST(KivFiles, BufferToStringsReading)
{
  struct Case {
    std::string bytes;
    TLines lines;
  };
  const Case cases[] = {
      {std::string("a\0\r\nbc\0", 7) + std::string(3, '\0'), {"a", "", "bc"}},
      {std::string(8, '\0'), {}},
      {std::string("\r\n\r\n\0\0", 6), {"", ""}},
      {std::string("ab\0\0cd\0\0", 8), {"ab"}},     // NUL with nothing pending ends it
      {std::string("ab\ncd\0\0", 7), {"ab", "d"}},  // LF skips the byte after it
      {std::string("abcdefgh", 8), {"abcdefg"}},    // the last byte counts as NUL
      {std::string("\r", 1), {}},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> buf(c.bytes.begin(), c.bytes.end());
    EXPECT_EQ(BufferToStrings(buf.data(), buf.size()), c.lines) << c.bytes;
  }
}

TEST(KivFiles, NotesRoundTripAndShorterListsLeaveNothingBehind)
{
  std::vector<uint8_t> area(2048, 0);
  const TLines longList = {"Pierwsza notatka"_cp, "", "druga", "trzecia linia", "czwarta"};
  StringsToBuffer(longList, area.data(), area.size());
  EXPECT_EQ(BufferToStrings(area.data(), area.size()), longList);
  const TLines shortList = {"x"};
  StringsToBuffer(shortList, area.data(), area.size());
  EXPECT_EQ(BufferToStrings(area.data(), area.size()), shortList);
  EXPECT_TRUE(std::all_of(area.begin() + 2, area.end(), [](uint8_t b) { return b == 0; }));
}

TEST(KivFiles, FullAreaKeepsLastByteNul)
{
  std::vector<uint8_t> area(2048, 0);
  StringsToBuffer(TLines(300, std::string(50, 'x')), area.data(), area.size());
  EXPECT_EQ(area.back(), 0);
  const TLines back = BufferToStrings(area.data(), area.size());
  ASSERT_FALSE(back.empty());
  size_t total = 0;
  for (const std::string& l : back)
    total += l.size() + 1;
  EXPECT_EQ(total, 2048u);  // every byte used, the last one as the final NUL
}

class KivFilesSave : public ::testing::Test {
protected:
  void SetUp() override { SetPrompts(&FPrompts); }
  void TearDown() override { SetPrompts(nullptr); }
  TScriptedPrompts FPrompts;
  TTempDir FDir;
};

TEST_F(KivFilesSave, WritesAndReplaces)
{
  const std::string path = FDir.Write("doc.kiv", "old contents");
  const std::vector<uint8_t> data = {1, 2, 3, 0, 4};
  ASSERT_TRUE(SaveBufferToFile(path, data));
  EXPECT_EQ(ReadBytes(path), std::string("\1\2\3\0\4", 5));
  EXPECT_TRUE(FPrompts.Records.empty());
}

TEST_F(KivFilesSave, FailureShowsTheMessageAndKeepsTheOldFile)
{
  std::filesystem::create_directory(FDir.File("folder"));
  const std::string cases[] = {FDir.File("missing/doc.kiv"), FDir.File("folder")};
  for (const std::string& path : cases) {
    FPrompts.Clear();
    const std::vector<uint8_t> data(100, 7);
    EXPECT_FALSE(SaveBufferToFile(path, data)) << path;
    EXPECT_EQ(FPrompts.Texts(TScriptedPrompts::TKind::Error),
              std::vector<std::string>{"Zapis nie powiódł się."_cp});
  }
  EXPECT_TRUE(std::filesystem::is_directory(FDir.File("folder")));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(FDir.Path()), {}), 1);  // no temporary left
}

TEST_F(KivFilesSave, ReadFileStart)
{
  const std::string big(200000, 'b');
  const std::string path = FDir.Write("big", big);
  struct Case {
    std::string file;
    size_t max;
    bool ok;
    size_t size;
  };
  const Case cases[] = {
      {FDir.File("none"), 10, false, 0},
      {FDir.Write("empty", ""), 10, false, 0},
      {FDir.Write("one", "x"), 10, true, 1},
      {path, 15360, true, 15360},
      {path, 200000, true, 200000},
      {path, 1u << 30, true, 200000},
      {FDir.Path(), 10, false, 0},                  // a folder
      {MakeFifo(FDir.File("fifo")), 10, false, 0},  // no writer: refused, not waited on
      {"/dev/zero", 10, false, 0},                  // a device, endless
  };
  const THangGuard guard;
  for (const Case& c : cases) {
    std::string data = "stale";
    EXPECT_EQ(ReadFileStart(c.file, c.max, data), c.ok) << c.file << " " << c.max;
    EXPECT_EQ(data.size(), c.size) << c.file << " " << c.max;
  }
}

}  // namespace
