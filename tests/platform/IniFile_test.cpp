#include "platform/IniFile.h"

#include "platform/Codepage.h"
#include "platform/NumText.h"
#include "platform/SysUtil.h"

#include <gtest/gtest.h>

#include <iterator>
#include <random>
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

namespace {

// One edit of the table below: WriteString, DeleteKey or EraseSection.
struct TEdit {
  char Kind;  // 'w', 'd', 'e'
  const char* Section;
  const char* Key = "";
  const char* Value = "";
};

void Apply(TIniFile& ini, const TEdit& e)
{
  if (e.Kind == 'w')
    ini.WriteString(e.Section, e.Key, e.Value);
  else if (e.Kind == 'd')
    ini.DeleteKey(e.Section, e.Key);
  else
    ini.EraseSection(e.Section);
}

struct TRead {
  const char* Section;
  const char* Key;
  const char* Expected;  // "-" when the key is not there
};

}  // namespace

TEST(IniFile, AFileReadAndWrittenComesOutAsBefore)
{
  // Comments before the first section, blank and odd lines, padding around names and values,
  // a repeated header and a repeated key, trailing blank lines: each comes out as it always
  // did (padding trimmed, the repeated header's lines merged into the first section).
  struct Case {
    const char* Name;
    const char* In;
    const char* Out;
  };
  const Case cases[] = {
      {"clean file", "[a]\nk=1\n\n[b]\nk=2\n", "[a]\nk=1\n\n[b]\nk=2\n"},
      {"preamble and padding", "; top\n\n  x = y  \n[ a ]\n  k =  1 \n; c  \n\n\n",
       "; top\n\n  x = y\n[a]\nk=1\n; c\n"},
      {"repeated header merges", "[A]\nx=1\n[B]\ny=2\n\n[a]\nx=3\n;tail\n",
       "[A]\nx=1\nx=3\n;tail\n\n[B]\ny=2\n"},
      {"repeated key kept", "[s]\nk=1\nK=2\nk=3\n", "[s]\nk=1\nK=2\nk=3\n"},
      {"carriage returns", "[s]\r\nk=1\r\n;c\r\n\r\n[t]\r\n", "[s]\r\nk=1\r\n;c\r\n\r\n[t]\r\n"},
      {"no last line break", "[s]\nk=1", "[s]\nk=1\n"},
      {"empty section name", "[]\nk=1\n[ ]\nj=2\n", "[]\nk=1\nj=2\n"},
  };
  for (const auto& c : cases) {
    TIniFile ini;
    ini.LoadFromString(c.In);
    EXPECT_EQ(ini.ToString(), c.Out) << c.Name;
    TIniFile again;
    again.LoadFromString(ini.ToString());
    EXPECT_EQ(again.ToString(), c.Out) << c.Name << ": a second round changes nothing";
  }
}

TEST(IniFile, EveryEditKeepsTheLookUpsRight)
{
  struct Case {
    const char* Name;
    const char* In;
    std::vector<TEdit> Edits;
    const char* Out;
    std::vector<TRead> Reads;
  };
  const Case cases[] = {
      {"deleting a repeated key uncovers the next",
       "[s]\na=1\nb=2\nA=3\na=4\n",
       {{'d', "S", "a"}},
       "[s]\nb=2\nA=3\na=4\n",
       {{"s", "a", "3"}, {"s", "b", "2"}}},
      {"deleting every spelling of a key",
       "[s]\na=1\nA=2\n",
       {{'d', "s", "a"}, {'d', "s", "A"}, {'d', "s", "a"}},
       "[s]\n",
       {{"s", "a", "-"}}},
      {"writing a repeated key changes its first",
       "[s]\na=1\nA=2\n",
       {{'w', "s", "A", "9"}, {'d', "s", "a"}},
       "[s]\nA=2\n",
       {{"s", "a", "2"}}},
      {"a new key goes after the last key, before trailing comments",
       "[s]\n;head\na=1\n;c1\n\n;c2\n[t]\nx=1\n",
       {{'w', "s", "b", "2"}, {'w', "s", "c", "3"}, {'d', "s", "a"}, {'w', "S", "B", "20"}},
       "[s]\n;head\nb=20\nc=3\n;c1\n\n;c2\n\n[t]\nx=1\n",
       {{"s", "b", "20"}, {"s", "c", "3"}, {"s", "a", "-"}, {"t", "x", "1"}}},
      {"a section of comments only gets its key at the end",
       "[s]\n;c\n",
       {{'w', "s", "k", "v"}},
       "[s]\n;c\nk=v\n",
       {{"s", "k", "v"}}},
      {"erasing a section shifts the ones after it",
       "[A]\nk=a\n[B]\nk=b\n[C]\nk=c\n",
       {{'e', "b"}, {'w', "c", "j", "1"}, {'e', "A"}, {'w', "New", "k", "n"}},
       "[C]\nk=c\nj=1\n\n[New]\nk=n\n",
       {{"a", "k", "-"}, {"b", "k", "-"}, {"c", "k", "c"}, {"c", "j", "1"}, {"new", "k", "n"}}},
      {"an erased section written again comes back at the end",
       "[A]\nk=a\n[B]\nk=b\n",
       {{'e', "a"}, {'w', "a", "k", "again"}},
       "[B]\nk=b\n\n[a]\nk=again\n",
       {{"A", "k", "again"}, {"b", "k", "b"}}},
      {"erasing a merged section removes both headers' lines",
       "[A]\nx=1\n[B]\ny=2\n[a]\nz=3\n",
       {{'e', "a"}},
       "[B]\ny=2\n",
       {{"A", "x", "-"}, {"A", "z", "-"}, {"B", "y", "2"}}},
      // A padded name is not found as it is given, so the write makes a second section of
      // the trimmed name; reads find the first, and erasing the first uncovers the second.
      {"a second section of the same name",
       "[s]\nk=1\n",
       {{'w', " s ", "k", "2"}, {'w', "s", "j", "3"}},
       "[s]\nk=1\nj=3\n\n[s]\nk=2\n",
       {{"S", "k", "1"}, {"s", "j", "3"}}},
      {"erasing the first of two sections of a name",
       "[s]\nk=1\n[t]\n",
       {{'w', " s ", "k", "2"}, {'e', "s"}, {'w', "s", "j", "3"}},
       "[t]\n\n[s]\nk=2\nj=3\n",
       {{"s", "k", "2"}, {"s", "j", "3"}}},
      {"a long section through its edits",
       "[s]\n;0\na=1\nb=2\nA=3\n;1\nc=4\nB=5\nd=6\n;2\na=7\n;3\n",
       {{'d', "s", "a"},
        {'w', "s", "e", "8"},
        {'d', "s", "b"},
        {'d', "s", "A"},
        {'w', "s", "a", "9"},
        {'d', "s", ";1"},
        {'d', "s", "c"},
        {'d', "s", "B"},
        {'w', "s", "f", "10"}},
       "[s]\n;0\n;1\nd=6\n;2\na=9\ne=8\nf=10\n;3\n",
       {{"s", "a", "9"},
        {"s", "b", "-"},
        {"s", "c", "-"},
        {"s", "d", "6"},
        {"s", "e", "8"},
        {"s", "f", "10"}}},
      {"deleting in a missing section or a missing key changes nothing",
       "[s]\nk=1\n",
       {{'d', "t", "k"}, {'d', "s", "j"}, {'e', "t"}},
       "[s]\nk=1\n",
       {{"s", "k", "1"}}},
  };
  for (const auto& c : cases) {
    TIniFile ini;
    ini.LoadFromString(c.In);
    for (const auto& e : c.Edits)
      Apply(ini, e);
    EXPECT_EQ(ini.ToString(), c.Out) << c.Name;
    for (const auto& r : c.Reads) {
      EXPECT_EQ(ini.ReadString(r.Section, r.Key, "-"), r.Expected)
          << c.Name << ": " << r.Section << '/' << r.Key;
      EXPECT_EQ(ini.ValueExists(r.Section, r.Key), std::string(r.Expected) != "-") << c.Name;
    }
  }
}

TEST(IniFile, ACopyLooksUpItsOwnLines)
{
  TIniFile original;
  original.LoadFromString("[a]\nk=1\nK=2\n[b]\nk=3\n");
  TIniFile copy(original);
  copy.DeleteKey("a", "k");
  copy.EraseSection("b");
  copy.WriteString("a", "j", "4");
  EXPECT_EQ(copy.ToString(), "[a]\nK=2\nj=4\n");
  EXPECT_EQ(copy.ReadString("a", "k", ""), "2");
  EXPECT_EQ(original.ToString(), "[a]\nk=1\nK=2\n\n[b]\nk=3\n");
  EXPECT_EQ(original.ReadString("a", "k", ""), "1");
  EXPECT_EQ(original.ReadString("b", "k", ""), "3");

  TIniFile assigned;
  assigned = copy;
  assigned.DeleteKey("a", "k");
  EXPECT_FALSE(assigned.ValueExists("a", "k"));
  EXPECT_TRUE(copy.ValueExists("a", "k"));
  TIniFile moved(std::move(assigned));
  moved.WriteString("A", "J", "5");
  EXPECT_EQ(moved.ToString(), "[a]\nj=5\n");
}

namespace {

// The rules of sections and keys told the slow way: every look-up walks the lines in order.
class TNaiveIni {
public:
  void Header(std::string_view name)
  {
    FCurrent = FindSection(name);
    if (FCurrent == FSections.size())
      FSections.push_back({std::string(name), {}});
  }
  void Line(bool isKey, std::string_view text, std::string_view value = "")
  {
    FSections[FCurrent].Lines.push_back({isKey, std::string(text), std::string(value)});
  }
  void Write(std::string_view section, std::string_view key, std::string_view value)
  {
    size_t s = FindSection(section);
    if (s == FSections.size())
      FSections.push_back({std::string(CpTrim(section)), {}});
    auto& lines = FSections[s].Lines;
    for (auto& l : lines)
      if (l.IsKey && CpSameText(l.Text, key)) {
        l.Value = std::string(value);
        return;
      }
    size_t at = lines.size();
    while (at > 0 && !lines[at - 1].IsKey)
      --at;
    lines.insert(lines.begin() + std::ptrdiff_t(at == 0 ? lines.size() : at),
                 {true, std::string(key), std::string(value)});
  }
  void Delete(std::string_view section, std::string_view key)
  {
    const size_t s = FindSection(section);
    if (s == FSections.size())
      return;
    auto& lines = FSections[s].Lines;
    for (size_t i = 0; i < lines.size(); ++i)
      if (lines[i].IsKey && CpSameText(lines[i].Text, key)) {
        lines.erase(lines.begin() + std::ptrdiff_t(i));
        return;
      }
  }
  void Erase(std::string_view section)
  {
    const size_t s = FindSection(section);
    if (s < FSections.size())
      FSections.erase(FSections.begin() + std::ptrdiff_t(s));
  }
  std::string Read(std::string_view section, std::string_view key) const
  {
    const size_t s = FindSection(section);
    if (s < FSections.size())
      for (const auto& l : FSections[s].Lines)
        if (l.IsKey && CpSameText(l.Text, key))
          return l.Value;
    return "-";
  }
  std::vector<std::string> Names() const
  {
    std::vector<std::string> names;
    for (const auto& s : FSections)
      names.push_back(s.Name);
    return names;
  }
  // The file as it is written: a blank line between sections, "key=value" for keys.
  std::string Text() const
  {
    std::string out;
    for (size_t s = 0; s < FSections.size(); ++s) {
      out += (s ? "\n[" : "[") + FSections[s].Name + "]\n";
      for (const auto& l : FSections[s].Lines)
        out += l.IsKey ? l.Text + "=" + l.Value + "\n" : l.Text + "\n";
    }
    return out;
  }

private:
  struct TNaiveLine {
    bool IsKey;
    std::string Text;  // the key, or the whole line
    std::string Value;
  };
  struct TNaiveSection {
    std::string Name;
    std::vector<TNaiveLine> Lines;
  };
  size_t FindSection(std::string_view name) const
  {
    size_t s = 0;
    while (s < FSections.size() && !CpSameText(FSections[s].Name, name))
      ++s;
    return s;
  }
  std::vector<TNaiveSection> FSections;
  size_t FCurrent = 0;
};

}  // namespace

TEST(IniFile, EditsReadAsTheLinesSayAgainstANaiveReader)
{
  // Few names in several spellings, so that repeated headers, repeated keys and sections of
  // one name come up often; each round loads a file, edits it at random and compares. The
  // sections run from none to some dozens of lines, short and long ones are looked up alike.
  const char* const sections[] = {"a", "A", "b", "B", "c", "ą"_cp.c_str(), "Ą"_cp.c_str(), " a "};
  const char* const keys[] = {"k", "K", "j", "ł"_cp.c_str(), "Ł"_cp.c_str(), "m", "n", "o"};
  std::mt19937 random(28);
  const auto pick = [&](const auto& pool) { return pool[random() % std::size(pool)]; };
  for (int round = 0; round < 100; ++round) {
    TNaiveIni naive;
    std::string text;
    const int lines = int(random() % 80);
    for (int i = 0; i < lines; ++i) {
      const unsigned what = i == 0 ? 0 : random() % 4;
      if (what == 0) {
        const std::string name(CpTrim(pick(sections)));
        text += "[" + name + "]\n";
        naive.Header(name);
      } else if (what == 3) {
        const std::string comment = ";" + IntToStr(i);
        text += comment + "\n";
        naive.Line(false, comment);
      } else {
        const std::string key = pick(keys), value = IntToStr(i);
        text += key + "=" + value + "\n";
        naive.Line(true, key, value);
      }
    }
    TIniFile ini;
    ini.LoadFromString(text);
    ASSERT_EQ(ini.ToString(), naive.Text()) << text;
    for (int step = 0; step < 40; ++step) {
      const char* section = pick(sections);
      const char* key = pick(keys);
      const unsigned what = random() % 6;
      std::string edit;
      if (what < 3) {
        const std::string value = IntToStr(round * 100 + step);
        ini.WriteString(section, key, value);
        naive.Write(section, key, value);
        edit = "write";
      } else if (what < 5) {
        ini.DeleteKey(section, key);
        naive.Delete(section, key);
        edit = "delete";
      } else {
        ini.EraseSection(section);
        naive.Erase(section);
        edit = "erase";
      }
      const std::string where = text + "round " + IntToStr(round) + ", step " + IntToStr(step) + ": " + edit +
                                " [" + section + "] " + key;
      ASSERT_EQ(ini.ToString(), naive.Text()) << where;
      ASSERT_EQ(ini.ReadSections(), naive.Names()) << where;
      for (const char* s : sections)
        for (const char* k : keys)
          ASSERT_EQ(ini.ReadString(s, k, "-"), naive.Read(s, k)) << where << " / read [" << s << "] " << k;
    }
  }
}
