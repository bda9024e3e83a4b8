// Registries of file interfaces and data-file parsers, stream look-up by name, and the
// streams themselves.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TernikTestSupport.h"
#include "tests/platform/SpecialFiles.h"
#include "ternik/ComTrade3Unit.h"
#include "ternik/DataFileParsersUnit.h"
#include "ternik/ComTrade3UnitInterface.h"
#include "ternik/VersionListUnit.h"

namespace {

class TNamedParser : public TComtradeDataFileParser {
public:
  TNamedParser(std::string name, int32_t caps) : FName(std::move(name)), FCaps(caps) {}
  std::string ParserName() const override { return FName; }
  int32_t Capabilities() const override { return FCaps; }

private:
  std::string FName;
  int32_t FCaps;
};

class TNamedInterface : public TFileInterface {
public:
  explicit TNamedInterface(std::string name) : FName(std::move(name)) {}
  std::string InterfaceName() const override { return FName; }

private:
  std::string FName;
};

std::vector<std::string> InterfaceNames()
{
  std::vector<std::string> out;
  for (const TFileInterface* i : FileInterfaces())
    out.push_back(i->InterfaceName());
  return out;
}

TEST(ComTrade3Registry, StartUpPutsComtradeFirstAfterEarlierAppends)
{
  TLibraryScope lib;
  ASSERT_FALSE(FileInterfaces().empty());
  EXPECT_EQ(FileInterfaces().front(), &ComtradeInterface());
  EXPECT_EQ(FileInterfaces().front()->InterfaceName(), "COMTRADE");
  bool listed = false;
  for (const std::string& line : VersionList())
    listed = listed || line.find("/ternik/ComTrade3Unit.pas,v") != std::string::npos;
  EXPECT_TRUE(listed);
}

TEST(ComTrade3Registry, FinaliseEmptiesBothRegistries)
{
  static const TNamedParser p("X", 3);
  {
    TLibraryScope lib;
    RegisterDataFileParser(p);
    EXPECT_FALSE(DataFileParsers().empty());
  }
  EXPECT_TRUE(FileInterfaces().empty());
  EXPECT_TRUE(DataFileParsers().empty());
  EXPECT_EQ(FindDataFileParser("X"), nullptr);
}

TEST(ComTrade3Registry, InsertAtIndexZeroShiftsTheRest)
{
  TLibraryScope lib;
  static const TNamedInterface e("E"), f("F");
  // The classes of start-up before the insertion: COMTRADE and the five recorder formats.
  const std::vector<std::string> startUp = InterfaceNames();
  ASSERT_EQ(startUp.size(), 6u);
  RegisterFileInterface(e, 0);
  std::vector<std::string> expected = startUp;
  expected.insert(expected.begin(), "E");
  EXPECT_EQ(InterfaceNames(), expected);
  RegisterFileInterface(f, 7);  // at the end is allowed
  EXPECT_EQ(InterfaceNames().back(), "F");
  EXPECT_THROW(RegisterFileInterface(f, 9), EComtrade);
  EXPECT_THROW(RegisterFileInterface(f, -2), EComtrade);
  EXPECT_EQ(FileInterfaces().size(), 8u);
}

TEST(ComTrade3Registry, FindIsExactAndFirstWins)
{
  TLibraryScope lib;
  // The library's own parsers are registered at start-up and come first.
  static const TNamedParser bin1("XBINARY", 3), bin2("XBINARY", 1), ascii("XASCII", 3), late("BINARY", 3);
  RegisterDataFileParser(bin1);
  RegisterDataFileParser(ascii);
  RegisterDataFileParser(bin2);
  RegisterDataFileParser(late);
  EXPECT_EQ(FindDataFileParser("XBINARY"), &bin1);
  EXPECT_EQ(FindDataFileParser("XASCII"), &ascii);
  EXPECT_EQ(FindDataFileParser("BINARY"), &BinaryDataFileParser());
  EXPECT_EQ(FindDataFileParser("xbinary"), nullptr);
  EXPECT_EQ(FindDataFileParser("XBINARY "), nullptr);
  EXPECT_EQ(FindDataFileParser(""), nullptr);
}

TEST(ComTrade3Registry, AbstractSlotsRaiseAndBaseFileListIsTheName)
{
  const TFileInterface base;
  TComtrade rec;
  TMemoryStream s;
  TStringArray names;
  TStreamArray streams;
  EXPECT_THROW(base.InterfaceName(), EAbstractError);
  EXPECT_THROW(base.Description(), EAbstractError);
  EXPECT_THROW(base.FileMask(), EAbstractError);
  EXPECT_THROW(base.SaveInfToStream(rec, s), EAbstractError);
  EXPECT_THROW(base.CanLoad(s, nullptr), EAbstractError);
  EXPECT_THROW(base.SaveViewToStream(rec, s), EAbstractError);
  EXPECT_THROW(base.SaveToStreams(rec, names, false, false, "", streams, 0, 0), EAbstractError);
  EXPECT_THROW(base.LoadFromStreams(rec, names, "", streams, nullptr), EAbstractError);
  try {
    base.InterfaceName();
  } catch (const EAbstractError& e) {
    EXPECT_STREQ(e.what(), "Abstract Error");
  }
  const TComtradeDataFileParser parser;
  EXPECT_THROW(parser.ParserName(), EAbstractError);
  EXPECT_THROW(parser.Capabilities(), EAbstractError);
  EXPECT_THROW(parser.LoadDataFromStream(rec, names, streams, nullptr), EAbstractError);
  EXPECT_THROW(parser.SaveDataToStream(rec, names, false, false, streams, 0, 0, nullptr), EAbstractError);

  for (const char* name : {"C:\\rec\\a.cfg", "/home/u/a.cfg", "", "x"})
    for (bool existing : {false, true}) {
      names = {"stale", "entries"};
      base.GetFileList(name, names, existing);
      EXPECT_EQ(names, TStringArray{name});
    }
}

TEST(ComTrade3Registry, ComtradeInterfaceNames)
{
  const TComtradeInterface& ci = ComtradeInterface();
  EXPECT_EQ(ci.InterfaceName(), "COMTRADE");
  EXPECT_EQ(ci.Description(), "Plik commtrade");
  EXPECT_EQ(ci.FileMask(), "*.cfg;*.zip");
  EXPECT_EQ(ci.ClassName(), "TComtradeInterface");
}

struct TIndexCase {
  const char* Text;
  std::vector<std::string> Names;
  int32_t Ext;
  int32_t Name;
};

TEST(ComTrade3Registry, IndexOfFileExtAndName)
{
  const TIndexCase cases[] = {
      {".cfg", {"x.DAT", "X.Cfg"}, 1, -1},
      {".HDR", {".HDR"}, 0, 0},
      {".DAT", {"/home/u/rec/a.cfg", "/home/u/rec/a.dat"}, 1, -1},
      {".INF", {"/home/u.v/rec"}, -1, -1},  // a dot in a folder is no extension
      {".INF", {"C:\\a.b\\rec", "C:\\a\\r.inf"}, 1, -1},
      {"DEFAULT.INF", {"/r/a.INF", "/r/Default.inf"}, -1, 1},
      {"DEFAULT.INF", {"C:\\r\\a.INF", "C:\\r\\default.INF"}, -1, 1},
      {"default.inf", {"Default.inf"}, 0, 0},
      {".CFG", {}, -1, -1},
      {".DAT", {"a.dat.bak", "b.DAT"}, 1, -1},
  };
  for (const TIndexCase& c : cases) {
    EXPECT_EQ(IndexOfFileExt(c.Text, c.Names), c.Ext) << c.Text;
    EXPECT_EQ(IndexOfFileName(c.Text, c.Names), c.Name) << c.Text;
  }
}

TEST(ComTrade3Stream, MemorySeekReadWriteTruncate)
{
  TMemoryStream m;
  m.Write("abcdef");
  EXPECT_EQ(m.Size(), 6);
  EXPECT_EQ(m.Position(), 6);
  m.Seek(2);
  char buf[8] = {};
  EXPECT_EQ(m.Read(buf, 3), 3u);
  EXPECT_EQ(std::string(buf, 3), "cde");
  EXPECT_EQ(m.Read(buf, 8), 1u);
  EXPECT_EQ(m.Read(buf, 8), 0u);
  m.Seek(8);
  m.Write("Z");  // past the end: the gap is zeros
  EXPECT_EQ(m.Data(), std::string("abcdef\0\0Z", 9));
  m.Seek(3);
  m.Truncate();
  EXPECT_EQ(m.Data(), "abc");
  EXPECT_EQ(m.ReadAll(), "abc");
  EXPECT_THROW(m.ReadAll(2), EStreamError);
  EXPECT_THROW(m.Seek(-1), EStreamError);
  m.Clear();
  EXPECT_EQ(m.Size(), 0);
}

TEST(ComTrade3Stream, FileStreamCreatesReadsAndTruncates)
{
  TTempDir dir;
  const std::string path = dir.File("s.bin");
  {
    TFileStream f(path, TFileStream::TMode::Create);
    f.Write("hello world");
    f.Seek(5);
    f.Truncate();
    EXPECT_EQ(f.Size(), 5);
  }
  EXPECT_EQ(ReadBytes(path), "hello");
  TFileStream r(path, TFileStream::TMode::Read);
  EXPECT_EQ(r.ReadAll(), "hello");
  EXPECT_THROW(r.Write("x"), EStreamError);
  EXPECT_THROW(TFileStream(dir.File("missing"), TFileStream::TMode::Read), EStreamError);
}

TEST(ComTrade3Stream, OnlyARegularFileBacksAFileStream)
{
  TTempDir dir;
  const std::string fifo = MakeFifo(dir.File("rec.dat"));
  const THangGuard guard;
  struct TCase {
    std::string Path;
    TFileStream::TMode Mode;
  };
  // A system device only for reading: a regression must not write to one.
  std::vector<TCase> cases{{"/dev/zero", TFileStream::TMode::Read}};
  for (const std::string& path : {fifo, dir.Path()})
    for (TFileStream::TMode mode :
         {TFileStream::TMode::Read, TFileStream::TMode::ReadWrite, TFileStream::TMode::Create})
      cases.push_back({path, mode});
  for (const auto& [path, mode] : cases) {
    try {
      TFileStream f(path, mode);
      ADD_FAILURE() << path << " opened";
    } catch (const EStreamError& e) {
      EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
    }
  }
  EXPECT_TRUE(std::filesystem::is_fifo(fifo));
  // The configuration reader's own file read refuses it the same way.
  TSourceList src;
  EXPECT_FALSE(src.LoadFromFile(fifo));
}

}  // namespace
