// The small support units: version list, start-up order, system texts, version classifier,
// string helpers, letter folding, the file base class and the constant tables.
#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "platform/Codepage.h"
#include "platform/SysUtil.h"
#include "TernikTestSupport.h"
#include "ternik/FastStrings.h"
#include "ternik/RNTools.h"
#include "ternik/VersionListUnit.h"
#include "ternik/WbComp/ColourDefaults.h"
#include "ternik/WbComp/ConnectorKinds.h"
#include "ternik/WbComp/MeasListUnit.h"
#include "ternik/XmlLight/XmlLight2Unit.h"
#include "ternik/uDateTimeEx.h"
#include "ternik/uFileAccess.h"
#include "ternik/uWin32Tools.h"

namespace {

TEST(VersionList, HeadersInStartUpOrderWithoutTheirEnd)
{
  std::vector<std::string> units;
  {
    TLibraryScope lib;
    for (const std::string& line : VersionList()) {
      EXPECT_EQ(line.substr(0, 9), "$Header: ") << line;
      EXPECT_EQ(line.substr(line.size() - 4), " Exp") << line;
      size_t slash = line.rfind('/', line.find(",v "));
      units.push_back(line.substr(slash + 1, line.find(".pas") - slash - 1));
    }
    EXPECT_EQ(VersionList()[1],
              "$Header: /ternik/XmlLight/XmlLight2Unit.pas,v 1.111 2016/11/16 00:00:00 ternik Exp");
    EXPECT_TRUE(LibraryInitialized());
  }
  // Units of later issues slot in between; these keep their relative order.
  std::vector<std::string> expected = {"VersionListUnit", "XmlLight2Unit", "WbStrUtils",  "MeasListUnit",
                                       "uWin32Tools",     "uDateTimeEx",   "uMappedFile", "RNTools"};
  std::vector<std::string> seen;
  for (const std::string& u : units)
    for (const std::string& e : expected)
      if (u == e)
        seen.push_back(u);
  EXPECT_EQ(seen, expected);
  EXPECT_TRUE(VersionList().empty());
  EXPECT_FALSE(LibraryInitialized());
}

// Each unit's line carries its own revision and date, in start-up order.
TEST(VersionList, EveryUnitWithItsRevisionAndDate)
{
  struct TRow {
    const char* Unit;
    const char* RevisionAndDate;
  };
  const std::vector<TRow> rows = {
      {"VersionListUnit", "1.6 2011/03/03"}, {"XmlLight2Unit", "1.111 2016/11/16"},
      {"ObjectXUnit", "1.30 2018/11/08"},    {"WbStrUtils", "1.20 2009/01/29"},
      {"MeasListUnit", "1.41 2018/11/22"},   {"ComTrade3Unit", "1.62 2019/03/30"},
      {"uWin32Tools", "1.12 2017/10/18"},    {"uDateTimeEx", "1.16 2013/05/14"},
      {"uMappedFile", "1.6 2017/10/18"},     {"RNTools", "1.82 2013/04/24"},
  };
  TLibraryScope lib;
  std::vector<std::string> seen;
  for (const std::string& line : VersionList())
    for (const TRow& r : rows)
      if (line.find("/" + std::string(r.Unit) + ".pas,v ") != std::string::npos) {
        seen.push_back(r.Unit);
        EXPECT_NE(line.find(".pas,v " + std::string(r.RevisionAndDate) + " "), std::string::npos) << line;
      }
  std::vector<std::string> expected;
  for (const TRow& r : rows)
    expected.push_back(r.Unit);
  EXPECT_EQ(seen, expected);
}

TEST(VersionList, AddCutsTheClosingTwoCharacters)
{
  TLibraryScope lib;
  AddVersionHeader("$Id: X.pas,v 1.1 2001/01/01 10:00:00 a Exp $");
  EXPECT_EQ(VersionList().back(), "$Id: X.pas,v 1.1 2001/01/01 10:00:00 a Exp");
  AddVersionHeader("$");
  EXPECT_EQ(VersionList().back(), "");
}

TEST(LibraryInit, SecondInitialiseDoesNothing)
{
  TLibraryScope lib;
  const size_t n = VersionList().size();
  const size_t classes = RegNodeList()->Count();
  InitializeLibrary();
  EXPECT_EQ(VersionList().size(), n);
  EXPECT_EQ(RegNodeList()->Count(), classes);
  EXPECT_EQ(&RegNodeList()->Item(0), &TLhXMLNode::StaticClass());
}

TEST(SysErrorText, MessageWithCode)
{
  const std::string t = SysErrorText(2);
  EXPECT_EQ(t, SysErrorMessage(2) + " [SysErr: 2]");
  EXPECT_EQ(SysErrorText(987654), "");
  errno = ENOENT;
  EXPECT_EQ(LastSysErrorText(), t);
}

TEST(WindowsVersion, Classifier)
{
  struct TCase {
    TWinPlatform P;
    uint32_t Major, Minor;
    const char* Service;
    uint8_t Kind;
  } cases[] = {
      {TWinPlatform::Win9x, 4, 0, "", 1},     {TWinPlatform::Win9x, 4, 10, "", 2},
      {TWinPlatform::Win9x, 4, 10, " A ", 3}, {TWinPlatform::Win9x, 4, 10, "B", 2},
      {TWinPlatform::Win9x, 4, 90, "", 4},    {TWinPlatform::Win9x, 4, 50, "", 0},
      {TWinPlatform::NT, 4, 0, "", 5},        {TWinPlatform::NT, 5, 0, "", 6},
      {TWinPlatform::NT, 5, 1, "", 7},        {TWinPlatform::NT, 5, 2, "", 8},
      {TWinPlatform::NT, 6, 0, "", 9},        {TWinPlatform::NT, 6, 1, "", 10},
      {TWinPlatform::NT, 6, 2, "", 0},        {TWinPlatform::NT, 10, 0, "", 0},
      {TWinPlatform::Unknown, 5, 1, "", 0},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(ClassifyWindowsVersion(c.P, c.Major, c.Minor, c.Service), c.Kind) << c.Major << "." << c.Minor;
  TLibraryScope lib;
  EXPECT_EQ(WindowsVersionKind(), 0);
  EXPECT_EQ(DateTimeExSettings().First, 19);
  EXPECT_EQ(DateTimeExSettings().Second, 10);
  EXPECT_EQ(DateTimeExSettings().Third, 1);
}

TEST(FastStrings, CopyClamped)
{
  struct TCase {
    const char* S;
    int Index, Count;
    const char* Out;
  } cases[] = {
      {"abcde", 4, 9, "de"}, {"abcde", 1, 5, "abcde"}, {"abcde", 2, 2, "bc"},
      {"abcde", 5, 1, "e"},  {"abcde", 6, 1, ""},      {"abcde", 0, 3, ""},
      {"abcde", 2, 0, ""},   {"abcde", 2, -1, ""},     {"", 1, 1, ""},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(CopyClamped(c.S, c.Index, c.Count), c.Out) << c.Index << "," << c.Count;
}

TEST(FastStrings, ByteCopyRunsFrontToBack)
{
  char buf[] = "abcdefgh";
  FastByteCopy(buf, buf + 2, 4);  // overlapping forwards repeats the first bytes
  EXPECT_STREQ(buf, "abababgh");
  char buf2[] = "abcdefgh";
  FastByteCopy(buf2 + 2, buf2, 4);
  EXPECT_STREQ(buf2, "cdefefgh");
  char dst[4] = "xyz";
  FastByteCopy("q", dst, 0);
  EXPECT_STREQ(dst, "xyz");
}

TEST(Tables, UpperCaseAndLetterFold)
{
  TLibraryScope lib;
  const auto& up = UpperCaseTable();
  EXPECT_EQ(up['a'], 'A');
  EXPECT_EQ(up[0xB3], 0xA3);  // ł
  EXPECT_EQ(up[0xE4], 0xC4);  // ä: the whole code page, unlike the name fold
  EXPECT_EQ(up['1'], '1');
  const auto& fold = LetterFoldTable();
  const std::string polish = "ŚŹśźŁĄŻłążĆĘŃÓćęńó"_cp;
  const std::string ascii = "SZszLAZlazCENOceno";
  size_t changed = 0;
  for (int i = 0; i < 256; ++i)
    if (fold[static_cast<size_t>(i)] != i)
      ++changed;
  EXPECT_EQ(changed, 18u);
  for (size_t i = 0; i < polish.size(); ++i)
    EXPECT_EQ(fold[static_cast<unsigned char>(polish[i])], static_cast<unsigned char>(ascii[i])) << i;
}

TEST(Tables, StartUpOffTheMainThreadIsRefused)
{
  std::string what;
  std::thread t([&] {
    try {
      RNToolsInitialize();
    } catch (const std::logic_error& e) {
      what = e.what();
    }
  });
  t.join();
  EXPECT_EQ(what, "MainThreadID <> GetCurrentThreadID()");
  EXPECT_TRUE(IsMainThread());
}

TEST(LibraryInit, FailedStartUpUndoesTheUnitsBefore)
{
  ASSERT_FALSE(LibraryInitialized());
  std::string what;
  std::thread t([&] {
    try {
      InitializeLibrary();
    } catch (const std::logic_error& e) {
      what = e.what();
    }
  });
  t.join();
  EXPECT_EQ(what, "MainThreadID <> GetCurrentThreadID()");
  EXPECT_FALSE(LibraryInitialized());
  EXPECT_EQ(RegNodeList(), nullptr);
  EXPECT_TRUE(VersionList().empty());
  TLibraryScope lib;  // and a later start-up on the main thread works
  EXPECT_NE(RegNodeList(), nullptr);
}

TEST(Tables, MeasuringRanges)
{
  TLibraryScope lib;
  const auto& k = KnvInfo();
  struct TRow {
    double Range;
    int Exponent, IntDigits, Decimals;
    const char* Prefix;
    bool Rounded;
    double Factor;
  } rows[KNV_INFO_COUNT] = {
      {0, 0, 0, 0, "", true, 1},           {0.01, 3, 1, 3, "m", true, 1000},
      {0.1, 3, 2, 2, "m", true, 1000},     {1, 3, 3, 1, "m", true, 1000},
      {10, 0, 1, 3, "", true, 1},          {100, 0, 2, 2, "", true, 1},
      {1000, 0, 3, 1, "", true, 1},        {1000, 0, 4, 0, "", false, 1},
      {10000, -3, 1, 3, "k", true, 0.001}, {100000, -3, 2, 2, "k", true, 0.001},
      {1e6, -3, 3, 1, "k", true, 0.001},   {1e6, -3, 4, 0, "k", false, 0.001},
      {1e7, -6, 1, 3, "M", true, 1e-6},    {1e8, -6, 2, 2, "M", true, 1e-6},
      {1e48, -6, 3, 1, "M", true, 1e-6},
  };
  for (int i = 0; i < KNV_INFO_COUNT; ++i) {
    const TKnvInfo& r = k[static_cast<size_t>(i)];
    EXPECT_EQ(r.Range, rows[i].Range) << i;
    EXPECT_EQ(r.Used, i == 0 ? 0 : 1) << i;
    EXPECT_EQ(r.Exponent, rows[i].Exponent) << i;
    EXPECT_EQ(r.IntDigits, rows[i].IntDigits) << i;
    EXPECT_EQ(r.Decimals, rows[i].Decimals) << i;
    EXPECT_EQ(r.Prefix, rows[i].Prefix) << i;
    EXPECT_TRUE(r.Enabled) << i;
    EXPECT_EQ(r.Rounded, rows[i].Rounded) << i;
    EXPECT_EQ(r.Factor, rows[i].Factor) << i;
  }
}

TEST(Tables, ConnectorKindsAndColours)
{
  TLibraryScope lib;
  EXPECT_EQ(ConnectorKindTexts(0).InputName, std::string("Złącze puste"_cp));
  EXPECT_EQ(ConnectorKindTexts(1).CardDescription,
            std::string("Karta cyfrowa  8 wejściowa (każdy wejście na osobnym potencjale)"_cp));
  EXPECT_EQ(ConnectorKindTexts(3).CardDescription,
            std::string("Karta cyfrowa 16 wejściowa (16 wejść na wspólnym potencjale)"_cp));
  EXPECT_EQ(ConnectorKindTexts(4).Unit, "[V]");
  EXPECT_EQ(ConnectorKindTexts(5).ShortName, std::string("wej.prąd.I"_cp));
  EXPECT_EQ(ConnectorKindTexts(5).Symbol, "I");
  EXPECT_EQ(ConnectorKindTexts(6).InputName, "Nieznana wielkosc");
  EXPECT_EQ(ConnectorKindTexts(2).Unit, "");
  EXPECT_EQ(ConnectorKindTexts(99).InputName, "Nieznana wielkosc");
  EXPECT_EQ(ConnectorKindNote(), "");
  const TColourDefaults& c = ColourDefaults();
  EXPECT_EQ(c.First, 64u);
  EXPECT_EQ(c.Second, 0xFFFFFFu);
  EXPECT_EQ(c.Third, 0xD3D3D3u);
  EXPECT_EQ(c.Fourth, 0u);
  EXPECT_EQ(c.Fifth, 0u);
}

// --- TBaseFile ---

struct TErrors {
  static std::vector<std::string>& Lines()
  {
    static std::vector<std::string> l;
    return l;
  }
};

TEST(BaseFile, SetSizeKeepsPositionInsideAndDestroyKeepsLength)
{
  TLibraryScope lib;
  TTempDir dir;
  const std::string path = dir.File("f.bin");
  WriteBytes(path, std::string(100, 'x'));
  {
    TBaseFile f;
    f.FileName = path;
    f.Handle = ::open(path.c_str(), O_RDWR);
    ASSERT_GE(f.Handle, 0);
    f.Size = 100;
    f.Position = 80;
    f.SetSize(50);
    EXPECT_EQ(f.Size, 50);
    EXPECT_EQ(f.Position, 50);
    f.Position = 10;
    f.SetSize(60);
    EXPECT_EQ(f.Position, 10);
    EXPECT_EQ(::lseek(f.Handle, 0, SEEK_CUR), 10);
  }
  struct stat st;
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_size, 60);  // freeing the object never truncates the file
}

TEST(BaseFile, FailuresGoToTheCallback)
{
  TLibraryScope lib;
  TFileErrorCallback old = TBaseFile::GetErrorCallback();
  ASSERT_TRUE(old);
  TErrors::Lines().clear();
  TBaseFile::SetErrorCallback([](const std::string& m, int32_t a, int32_t b) {
    TErrors::Lines().push_back(m + "|" + std::to_string(a) + "|" + std::to_string(b));
  });
  {
    TBaseFile f;
    f.FileName = "gone.bin";
    f.Handle = 987;  // not an open descriptor
    f.Size = 10;
    f.SetSize(5);
    EXPECT_EQ(f.Size, 10);
    f.Close();
    EXPECT_EQ(f.Handle, -1);
    f.Close();  // a closed file reports nothing
  }
  const std::string ebadf = SysErrorText(EBADF);
  // Truncating, moving back to the position, closing: each failure reported.
  const std::string line = "gone.bin: " + ebadf + "|0|0";
  EXPECT_EQ(TErrors::Lines(), (std::vector<std::string>{line, line, line}));
  TBaseFile::SetErrorCallback(old);
  // The default callback passes the text to the debug output.
  std::vector<std::string> debug;
  auto oldSink = SetDebugSink([&](std::string_view t) { debug.emplace_back(t); });
  {
    TBaseFile f;
    f.FileName = "d.bin";
    f.Handle = 988;
  }
  SetDebugSink(oldSink);
  EXPECT_EQ(debug, (std::vector<std::string>{"d.bin: " + ebadf}));
  EXPECT_EQ(TBaseFile().Text(), "");
  EXPECT_GT(SystemPageSize(), 0);
}

}  // namespace
