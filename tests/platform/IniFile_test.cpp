#include "platform/IniFile.h"

#include "platform/Codepage.h"
#include "platform/SysUtil.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include "tests/platform/SpecialFiles.h"
#include "tests/support/TempDir.h"

namespace {

const char* Sample = "; leading comment\n"
                     "[Kivssn]\n"
                     "MBTCPComm=1\n"
                     "MBTCPIP = 192.168.100.200 \n"
                     "Port=3\n"
                     "Empty=\n"
                     "Text=abc\n"
                     "Mixed=12abc\n"
                     "Neg=-5\n"
                     "Hex=$10\n"
                     "CHex=0x1F\n"
                     "Real=2,5\n"
                     "Dot=2.5\n"
                     "\n"
                     "[Second]\n"
                     "; a comment in the section\n"
                     "b=2\n"
                     "a=1\n"
                     "A=shadowed\n"
                     "[third]\n"
                     "key=v=w\n";

}  // namespace

TEST(IniFile, CaseInsensitiveSectionsAndKeys)
{
  TIniFile ini;
  ini.LoadFromString(Sample);
  struct Case {
    const char* Section;
    const char* Key;
    const char* Expected;
  };
  const Case cases[] = {
      {"Kivssn", "MBTCPIP", "192.168.100.200"},
      {"KIVSSN", "mbtcpip", "192.168.100.200"},
      {"kivssn", "Port", "3"},
      {"kivssn", "Empty", ""},
      {"SECOND", "A", "1"},     // the first of two spellings wins
      {"Third", "KEY", "v=w"},  // only the first '=' separates
      {"Third", "missing", "def"},
      {"Nowhere", "key", "def"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ini.ReadString(c.Section, c.Key, "def"), c.Expected) << c.Section << '/' << c.Key;
  EXPECT_TRUE(ini.SectionExists("SeCoNd"));
  EXPECT_FALSE(ini.SectionExists("Secon"));
  EXPECT_TRUE(ini.ValueExists("kivssn", "EMPTY"));
  EXPECT_FALSE(ini.ValueExists("kivssn", "Nothing"));
}

TEST(IniFile, PolishNamesCompareByTheCodePage)
{
  TIniFile ini;
  ini.LoadFromString("[Zażółć]\r\nGęŚlą=jaźń\r\n"_cp);
  EXPECT_EQ(ini.ReadString("ZAŻÓŁĆ"_cp, "gęślą"_cp, ""), std::string("jaźń"_cp));
  EXPECT_EQ(ini.LineBreak(), "\r\n");
}

TEST(IniFile, OrderIsKept)
{
  TIniFile ini;
  ini.LoadFromString(Sample);
  EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"Kivssn", "Second", "third"}));
  EXPECT_EQ(ini.ReadSection("second"), (std::vector<std::string>{"b", "a", "A"}));
  const auto values = ini.ReadSectionValues("third");
  ASSERT_EQ(values.size(), 1u);
  EXPECT_EQ(values[0].first, "key");
  EXPECT_EQ(values[0].second, "v=w");
  EXPECT_TRUE(ini.ReadSection("none").empty());
}

TEST(IniFile, TypedReads)
{
  TIniFile ini;
  ini.LoadFromString(Sample);
  struct IntCase {
    const char* Key;
    int32_t Integer;  // ReadInteger, default 77
    int32_t Profile;  // ReadProfileInt, default 77
  };
  const IntCase ints[] = {
      {"MBTCPComm", 1, 1}, {"Port", 3, 3}, {"Empty", 77, 77}, {"Text", 77, 0}, {"Mixed", 77, 12},
      {"Neg", -5, -5},     {"Hex", 16, 0}, {"CHex", 31, 0},   {"Real", 77, 2}, {"Missing", 77, 77},
  };
  for (const auto& c : ints) {
    EXPECT_EQ(ini.ReadInteger("kivssn", c.Key, 77), c.Integer) << c.Key;
    EXPECT_EQ(ReadProfileInt(ini, "kivssn", c.Key, 77), c.Profile) << c.Key;
  }
  EXPECT_TRUE(ini.ReadBool("kivssn", "MBTCPComm", false));
  EXPECT_TRUE(ini.ReadBool("kivssn", "Neg", false));
  EXPECT_FALSE(ini.ReadBool("third", "key", false));  // not a number: the default
  EXPECT_TRUE(ini.ReadBool("third", "key", true));
  EXPECT_FALSE(ini.ReadBool("kivssn", "missing", false));
  EXPECT_EQ(ini.ReadFloat("kivssn", "Real", 1.0, ','), 2.5);
  EXPECT_EQ(ini.ReadFloat("kivssn", "Dot", 1.0, ','), 1.0);  // wrong separator: default
  EXPECT_EQ(ini.ReadFloat("kivssn", "Dot", 1.0, '.'), 2.5);
  EXPECT_EQ(ini.ReadFloat("kivssn", "Empty", 1.0, ','), 1.0);
}

TEST(IniFile, WritesKeepEverythingElse)
{
  TIniFile ini;
  ini.LoadFromString(Sample);
  ini.WriteString("SECOND", "B", "20");  // existing key, other spelling
  ini.WriteInteger("second", "c", -3);   // new key after the last key
  ini.WriteBool("New Section", "Flag", true);
  ini.WriteFloat("third", "x", 0.25, ',');
  ini.WriteString("third", "bad", "two\nlines");
  EXPECT_EQ(ini.ReadString("second", "b", ""), "20");
  EXPECT_EQ(ini.ReadSection("second"), (std::vector<std::string>{"b", "a", "A", "c"}));
  EXPECT_EQ(ini.ReadInteger("new section", "flag", 0), 1);
  EXPECT_EQ(ini.ReadString("third", "x", ""), "0,25");
  EXPECT_EQ(ini.ReadString("third", "bad", ""), "two lines");
  const std::string text = ini.ToString();
  EXPECT_EQ(text, "; leading comment\n"
                  "[Kivssn]\n"
                  "MBTCPComm=1\n"
                  "MBTCPIP=192.168.100.200\n"
                  "Port=3\n"
                  "Empty=\n"
                  "Text=abc\n"
                  "Mixed=12abc\n"
                  "Neg=-5\n"
                  "Hex=$10\n"
                  "CHex=0x1F\n"
                  "Real=2,5\n"
                  "Dot=2.5\n"
                  "\n"
                  "[Second]\n"
                  "; a comment in the section\n"
                  "b=20\n"
                  "a=1\n"
                  "A=shadowed\n"
                  "c=-3\n"
                  "\n"
                  "[third]\n"
                  "key=v=w\n"
                  "x=0,25\n"
                  "bad=two lines\n"
                  "\n"
                  "[New Section]\n"
                  "Flag=1\n");
  // What is written reads back the same.
  TIniFile again;
  again.LoadFromString(text);
  EXPECT_EQ(again.ToString(), text);
}

TEST(IniFile, EraseAndDelete)
{
  TIniFile ini;
  ini.LoadFromString(Sample);
  ini.DeleteKey("SECOND", "a");
  EXPECT_EQ(ini.ReadString("second", "a", "gone"), "shadowed");  // the second spelling remains
  ini.DeleteKey("second", "a");
  EXPECT_FALSE(ini.ValueExists("second", "a"));
  ini.DeleteKey("nowhere", "a");
  ini.EraseSection("KIVSSN");
  EXPECT_FALSE(ini.SectionExists("kivssn"));
  EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"Second", "third"}));
  ini.Clear();
  EXPECT_TRUE(ini.ReadSections().empty());
}

TEST(IniFile, DuplicateSectionsMergeIntoTheFirst)
{
  TIniFile ini;
  ini.LoadFromString("[A]\nx=1\n[B]\ny=2\n[a]\nx=3\nz=4\n");
  EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"A", "B"}));
  EXPECT_EQ(ini.ReadString("A", "x", ""), "1");
  EXPECT_EQ(ini.ReadString("A", "z", ""), "4");
}

TEST(IniFile, OddLines)
{
  TIniFile ini;
  ini.LoadFromString("key=before any section\n[ S ]\n=novalue\nplain line\n#hash=comment\n;x=1\nk=1");
  EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"S"}));
  EXPECT_EQ(ini.ReadSection("s"), (std::vector<std::string>{"k"}));
  EXPECT_EQ(ini.ReadString("s", "k", ""), "1");  // the last line has no line break
  EXPECT_FALSE(ini.ValueExists("s", ";x"));
}

TEST(IniFile, SaveIsAtomicAndLoadReadsBack)
{
  const TTempDir dir;
  const std::string path = dir / "kiv.ini";
  TIniFile ini;
  ini.LoadFromString(Sample);
  std::string error;
  ASSERT_TRUE(ini.SaveToFile(path, &error)) << error;
  TIniFile loaded;
  ASSERT_TRUE(loaded.LoadFromFile(path));
  EXPECT_EQ(loaded.FileName(), path);
  EXPECT_EQ(loaded.ReadString("kivssn", "mbtcpip", ""), "192.168.100.200");
  EXPECT_EQ(loaded.ToString(), ini.ToString());

  // A save that cannot complete leaves the previous file as it was.
  std::string before;
  ASSERT_TRUE(ReadWholeFile(path, before, 1 << 20));
  ini.WriteString("kivssn", "Port", "9");
  const std::string badPath = dir / "missing-folder/kiv.ini";
  EXPECT_FALSE(ini.SaveToFile(badPath, &error));
  EXPECT_NE(error.find("missing-folder"), std::string::npos) << error;
  std::string after;
  ASSERT_TRUE(ReadWholeFile(path, after, 1 << 20));
  EXPECT_EQ(after, before);
  // No temporary files are left behind.
  EXPECT_EQ(dir.Count(), 1);

  TIniFile none;
  std::string why;
  EXPECT_FALSE(none.LoadFromFile(dir / "nofile.ini", &why));
  EXPECT_FALSE(why.empty());
  EXPECT_TRUE(none.ReadSections().empty());
  EXPECT_EQ(none.ReadInteger("a", "b", 5), 5);
}

TEST(IniFile, ASpecialFileIsNeitherWaitedOnNorReplaced)
{
  const TTempDir dir;
  const std::string fifo = MakeFifo(dir / "kiv.ini");
  const THangGuard guard;
  TIniFile ini;
  ini.LoadFromString("[s]\na=1\n");
  std::string why;
  EXPECT_FALSE(ini.LoadFromFile(fifo, &why));
  EXPECT_NE(why.find("Not a regular file"), std::string::npos) << why;
  EXPECT_TRUE(ini.ReadSections().empty());
  ini.WriteString("s", "a", "2");
  EXPECT_FALSE(ini.SaveToFile(fifo, &why));
  EXPECT_TRUE(std::filesystem::is_fifo(fifo));
}

TEST(IniFile, ProfileStringsLoseTheirQuotes)
{
  TIniFile ini;
  ini.LoadFromString("[s]\na=\"COM1\"\nb='x y'\nc=\"open\nd=\"\ne=plain\nf=\n");
  struct Case {
    const char* Key;
    const char* Expected;
  };
  const Case cases[] = {{"a", "COM1"},  {"b", "x y"}, {"c", "\"open"}, {"d", "\""},
                        {"e", "plain"}, {"f", ""},    {"g", "def"}};
  for (const auto& c : cases)
    EXPECT_EQ(ReadProfileString(ini, "S", c.Key, "def"), c.Expected) << c.Key;
  EXPECT_EQ(ini.ReadString("s", "a", ""), "\"COM1\"");  // the in-memory reader keeps them
}
