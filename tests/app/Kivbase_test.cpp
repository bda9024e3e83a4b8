#include "app/document/Kivbase.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "DocTestSupport.h"
#include "app/document/KivFiles.h"
#include "platform/Bytes.h"
#include "platform/Codepage.h"
#include "platform/Prompts.h"
#include "tests/platform/SpecialFiles.h"

namespace {

using TLines = std::vector<std::string>;
using TKind = TScriptedPrompts::TKind;

std::string ImageBytes(const TKiv& kiv) { return std::string(kiv.Image().begin(), kiv.Image().end()); }

// An older packed-layout file, laid out here from its field table.
struct TPacked {
  uint8_t Model = 2;
  uint8_t VerMajor = 3;
  double Created = 37653.75;
  TLines Notes = {"notatka", "", "koniec"};
  double EvRegDate = 37653, Zns1Date = 37652, Zns2Date = 37651;
  TReadOptions Options = DEFAULT_READ_OPTIONS;
  std::string EvReg = std::string("\xF3\x1E\x0C\x11\x05\x18", 6);
  std::string Zns1 = std::string(238, '\x11');
  std::string Zns2 = std::string(238, '\x22');
  std::string Ident = "K3-0302 SZR";
  bool IdentNul = true;

  std::string Build() const
  {
    std::string f("\0KIVS", 5);
    f += char(Model);
    f += char(VerMajor);
    f += char(Notes.size());
    AppendF64LE(f, Created);
    for (const std::string& n : Notes)
      f += char(n.size());
    f.resize(260, '\0');
    for (const std::string& n : Notes)
      f += char(n.size()) + n;
    AppendF64LE(f, EvRegDate);
    AppendF64LE(f, Zns1Date);
    AppendF64LE(f, Zns2Date);
    f.append(Options.begin(), Options.end());
    for (const std::string* block : {&EvReg, &Zns1, &Zns2}) {
      AppendU16LE(f, uint16_t(block->size()));
      f += *block;
    }
    if (VerMajor > 2) {
      f += Ident;
      if (IdentNul)
        f += '\0';
    }
    return f;
  }
};

// An image whose header agrees with its identification (a load rewrites the header from it).
std::string MakeImage(const std::string& ident, char modelChar)
{
  std::string img(KivImage::SIZE, '\0');
  img.replace(0, 7, std::string("KIVS-") + modelChar + '\0');
  img.replace(KivImage::IDENT, ident.size(), ident);
  PutU16LE(img, KivImage::VER_MAJOR, 4);
  return img;
}

class KivbaseTest : public ::testing::Test {
protected:
  void SetUp() override
  {
    SetPrompts(&FPrompts);
    FKiv.SetInstallDir(FDefs.Path());
    FKiv.OnCompleteZestawNastaw1 = [this](TKiv& k) { Record("zns1", k); };
    FKiv.OnCompleteZestawNastaw2 = [this](TKiv& k) { Record("zns2", k); };
    FKiv.OnEvRegCompleted = [this](TKiv& k) { Record("evreg", k); };
    FKiv.OnCompleteAll = [this](TKiv& k) { Record("all", k); };
  }
  void TearDown() override { SetPrompts(nullptr); }
  void Record(const char* name, TKiv& sender)
  {
    EXPECT_EQ(&sender, &FKiv);
    FEvents.push_back(name);
  }
  const std::vector<std::string> LoadEvents = {"zns1", "evreg", "all"};

  TScriptedPrompts FPrompts;
  TTempDir FDefs;  // the definitions folder
  TTempDir FDir;   // documents
  TKiv FKiv;
  std::vector<std::string> FEvents;
};

TEST_F(KivbaseTest, NewDocument)
{
  const TKiv kiv;
  const auto img = kiv.Image();
  EXPECT_EQ(img.size(), 20486u);
  EXPECT_EQ(std::string(img.begin(), img.begin() + 7), std::string("KIVS-0\0", 7));
  EXPECT_EQ(kiv.GetReadOptions(), (TReadOptions{0x1F, 1, 1, 1, 1, 0}));
  EXPECT_EQ(kiv.GetVerMajor(), 4);
  EXPECT_EQ(kiv.GetVerMinor(), 0);
  EXPECT_EQ(kiv.GetKivType(), 0);
  EXPECT_EQ(kiv.GetIdent(), "");
  EXPECT_EQ(kiv.GetEvRegSize(), 0);
  EXPECT_EQ(kiv.GetZns1Size(), 0);
  EXPECT_EQ(kiv.GetZns2Size(), 0);
  EXPECT_EQ(kiv.GetEvRegDate(), 0.0);
  EXPECT_GT(kiv.GetCreateDate(), 45000.0);  // now
  EXPECT_FALSE(kiv.Modified());
  EXPECT_TRUE(kiv.TraceMessages);
  EXPECT_EQ(kiv.EventKinds(), EventKindTable(0));
  EXPECT_EQ(kiv.Defs().GroupCount(), 0);
  EXPECT_EQ(kiv.Defs().LoadedFileName(), "");
}

TEST_F(KivbaseTest, AccessorsUseTheirOffsets)
{
  struct Case {
    const char* what;
    std::function<void(TKiv&)> set;
    size_t offset;
    std::string bytes;
  };
  std::string created(8, '\0'), evreg(8, '\0'), zns1(8, '\0'), zns2(8, '\0');
  PutF64LE(created, 0, 45000.5);
  PutF64LE(evreg, 0, 45001.0);
  PutF64LE(zns1, 0, 45002.0);
  PutF64LE(zns2, 0, 45003.0);
  const Case cases[] = {
      {"ev size", [](TKiv& k) { k.SetEvRegSize(0x1234); }, 4096, "\x34\x12"},
      {"zns1 size", [](TKiv& k) { k.SetZns1Size(238); }, 19458, std::string("\xEE\0", 2)},
      {"zns2 size", [](TKiv& k) { k.SetZnsSize(2, 0x0201); }, 19972, "\x01\x02"},
      {"ver major", [](TKiv& k) { k.SetVerMajor(0x0305); }, 30, "\x05\x03"},
      {"ver minor", [](TKiv& k) { k.SetVerMinor(7); }, 32, std::string("\x07\0", 2)},
      {"created", [](TKiv& k) { k.SetCreateDate(45000.5); }, 300, created},
      {"evreg date", [](TKiv& k) { k.SetEvRegDate(45001.0); }, 316, evreg},
      {"zns1 date", [](TKiv& k) { k.SetZns1Date(45002.0); }, 332, zns1},
      {"zns2 date", [](TKiv& k) { k.SetZns2Date(45003.0); }, 348, zns2},
      {"station", [](TKiv& k) { k.SetStationInfo("Stacja"); }, 40, std::string("Stacja\0", 7)},
      {"ident", [](TKiv& k) { k.SetIdent("K3"); }, 140, std::string("K3\0", 3)},
      {"options",
       [](TKiv& k) {
         k.SetReadOptions({2, 0, 1, 0, 1, 1});
       },
       10, std::string("\2\0\1\0\1\1", 6)},
  };
  for (const Case& c : cases) {
    TKiv kiv;
    c.set(kiv);
    EXPECT_EQ(ImageBytes(kiv).substr(c.offset, c.bytes.size()), c.bytes) << c.what;
  }
  TKiv kiv;
  kiv.SetVerMajor(0x0305);
  EXPECT_EQ(kiv.GetVerMajor(), 5);  // read through its low byte
  kiv.SetZns1Size(10);
  EXPECT_EQ(kiv.GetZnsSize(1), 10);
  EXPECT_EQ(kiv.GetZnsSize(3), 0);
  EXPECT_EQ(kiv.GetZnsData(3), nullptr);
  EXPECT_EQ(kiv.GetZnsData(2) - kiv.Image().data(), 19974);
  EXPECT_EQ(kiv.GetEvRegData() - kiv.Image().data(), 4098);
  EXPECT_EQ(kiv.GetNotesBuf() - kiv.Image().data(), 2048);
}

TEST_F(KivbaseTest, SlaveAddressChangeMarksModified)
{
  TReadOptions o = FKiv.GetReadOptions();
  o[ReadOption::ShowAllEvents] = 1;
  FKiv.SetReadOptions(o);
  EXPECT_FALSE(FKiv.Modified());
  o[ReadOption::SlaveAddress] = 2;
  FKiv.SetReadOptions(o);
  EXPECT_TRUE(FKiv.Modified());
  EXPECT_EQ(FKiv.GetReadOptions(), o);
}

TEST_F(KivbaseTest, TextFieldsAreCutTo99)
{
  FKiv.SetStationInfo(std::string(150, 'S'));
  FKiv.SetIdent(std::string(120, 'I'));
  EXPECT_EQ(FKiv.GetStationInfo(), std::string(99, 'S'));
  EXPECT_EQ(FKiv.GetIdent(), std::string(99, 'I'));
  EXPECT_EQ(FKiv.Image()[139], 0);
  EXPECT_EQ(FKiv.Image()[239], 0);
  FKiv.SetIdent("AB");  // a shorter text leaves nothing of the longer one behind
  EXPECT_EQ(ImageBytes(FKiv).substr(140, 100), std::string("AB") + std::string(98, '\0'));
}

TEST_F(KivbaseTest, IdentificationNameAndModel)
{
  // headerModel: the model whose character SetKivType writes into the header.
  struct Case {
    const char* ident;
    int headerModel;
    const char* name;
    int model;
  };
  const Case cases[] = {
      {"", 2, "", 2},  // no identification: the header decides
      {"", 1, "", 1},           {"", 0, "", 0},
      {"A", 2, "_", 2},          // a name of fewer than 3 characters: the header
      {"K3", 1, "K_3", 0},       // the name's second character is '_'
      {"ABCDE", 2, "AB_CD", 0},  // an odd last character is dropped
      {"K2 v1", 2, "K2_ v", 1}, {"K3 v2.07 ABC", 0, "K3 v2._07 ABC", 2},
      {"X3", 2, "X_3", 0},
  };
  for (const Case& c : cases) {
    TKiv kiv;
    kiv.SetIdent(c.ident);
    kiv.SetKivType(c.headerModel);
    EXPECT_EQ(kiv.GetIdentName(), c.name) << c.ident;
    EXPECT_EQ(kiv.GetKivType(), c.model) << c.ident;
  }
}

TEST_F(KivbaseTest, SetKivTypeWritesHeaderAndCopiesTheTable)
{
  struct Case {
    int model;
    const char* header;
  };
  for (const Case c : {Case{1, "KIVS-2"}, Case{2, "KIVS-3"}, Case{0, "KIVS-0"}, Case{7, "KIVS-0"}}) {
    FKiv.SetKivType(c.model);
    EXPECT_EQ(ImageBytes(FKiv).substr(0, 7), std::string(c.header) + '\0');
    EXPECT_EQ(FKiv.EventKinds(), EventKindTable(c.model)) << c.model;
  }
}

TEST_F(KivbaseTest, ImageFixtureRoundTripsByteForByte)
{
  const std::string fixture = ReadBytes(FixturePath("image_kivs3.kiv"));
  ASSERT_EQ(fixture.size(), KivImage::SIZE);
  ASSERT_TRUE(FKiv.LoadFromFile(FixturePath("image_kivs3.kiv")));
  EXPECT_EQ(FEvents, LoadEvents);
  EXPECT_EQ(FKiv.GetKivType(), 2);
  EXPECT_EQ(FKiv.EventKinds(), EventKindTable(2));
  EXPECT_EQ(FKiv.GetIdent(), "K3 v2.07 ABC");
  EXPECT_EQ(FKiv.GetStationInfo(), "Stacja Północ - rozdzielnia 6 kV"_cp);
  EXPECT_EQ(FKiv.GetNotes(), (TLines{"Pomiar po przeglądzie"_cp, "", "Zestaw 2 bez zmian"}));
  EXPECT_EQ(FKiv.GetReadOptions(), (TReadOptions{5, 1, 0, 1, 0, 1}));
  EXPECT_EQ(FKiv.GetEvRegSize(), 14);
  EXPECT_FALSE(FKiv.Modified());
  EXPECT_EQ(ImageBytes(FKiv), fixture);

  const std::string out = FDir.File("copy.kiv");
  ASSERT_TRUE(FKiv.SaveToFile(out));
  EXPECT_EQ(ReadBytes(out), fixture);
}

TEST_F(KivbaseTest, ImageWithShortIdentificationTakesTheHeadersModel)
{
  const std::string path = FDir.Write("a.kiv", MakeImage("K", '3'));
  ASSERT_TRUE(FKiv.LoadFromFile(path));
  EXPECT_EQ(FKiv.GetKivType(), 2);
  EXPECT_EQ(FKiv.EventKinds(), EventKindTable(2));
  EXPECT_EQ(FEvents, LoadEvents);
}

TEST_F(KivbaseTest, KivsFileOfAnotherSizeIsAnUnknownFormat)
{
  const std::string before = ImageBytes(FKiv);
  FKiv.SetModified(true);
  const std::string image = MakeImage("K3 x", '3');
  for (size_t size : {size_t(86022), KivImage::SIZE - 1, KivImage::SIZE + 1, size_t(7)}) {
    std::string data = image;
    data.resize(size, '\x55');
    FPrompts.Clear();
    FEvents.clear();
    EXPECT_FALSE(FKiv.LoadFromFile(FDir.Write("bad.kiv", data))) << size;
    EXPECT_EQ(FPrompts.Texts(TKind::Error), TLines{"Nieznany format pliku"});
    EXPECT_TRUE(FEvents.empty());
    EXPECT_EQ(ImageBytes(FKiv), before);
    EXPECT_TRUE(FKiv.Modified());
  }
}

TEST_F(KivbaseTest, AnUnreadableOrEmptyFileSaysWhyAndChangesNothing)
{
  FKiv.SetIdent("K2 abc");
  FKiv.SetKivType(1);
  FKiv.SetModified(true);
  const std::string before = ImageBytes(FKiv);
  std::filesystem::create_directory(FDir.File("folder.kiv"));
  const auto cannotLoad = [](const std::string& path) {
    return Utf8ToCp1250("Nie udało się załadować pliku: " + path);
  };
  struct Case {
    std::string Path;
    std::string Message;
  };
  const Case cases[] = {
      {FDir.File("missing.kiv"), cannotLoad(FDir.File("missing.kiv"))},
      {FDir.File("zażółć.kiv"), cannotLoad(FDir.File("zażółć.kiv"))},  // the path is shown as it was given
      {FDir.File("folder.kiv"), cannotLoad(FDir.File("folder.kiv"))},
      {MakeFifo(FDir.File("fifo.kiv")), cannotLoad(FDir.File("fifo.kiv"))},  // no writer: never waited on
      {"/dev/zero", cannotLoad("/dev/zero")},                                // endless
      {FDir.Write("empty.kiv", ""), "Nieznany format pliku"},                // neither layout
  };
  const THangGuard guard;
  for (const Case& c : cases) {
    FEvents.clear();
    FPrompts.Clear();
    EXPECT_FALSE(FKiv.LoadFromFile(c.Path)) << c.Path;
    EXPECT_EQ(FPrompts.Texts(TKind::Error), TLines{c.Message}) << c.Path;
    EXPECT_EQ(FPrompts.Records.size(), 1u) << c.Path;
    EXPECT_TRUE(FEvents.empty()) << c.Path;
    EXPECT_EQ(ImageBytes(FKiv), before) << c.Path;
    EXPECT_TRUE(FKiv.Modified()) << c.Path;
    EXPECT_EQ(FKiv.GetKivType(), 1) << c.Path;
  }
}

TEST_F(KivbaseTest, PackedFixturesLoadWithTheirFields)
{
  ASSERT_TRUE(FKiv.LoadFromFile(FixturePath("packed_v3.kiv")));
  EXPECT_EQ(FEvents, LoadEvents);
  EXPECT_EQ(FKiv.GetKivType(), 2);
  EXPECT_EQ(FKiv.GetIdent(), "K3-0302 SZR");
  EXPECT_EQ(FKiv.GetVerMajor(), 3);
  EXPECT_EQ(FKiv.GetVerMinor(), 0);
  EXPECT_EQ(FKiv.GetNotes(), (TLines{"Stara notatka", "", "Łódź"_cp}));
  EXPECT_EQ(FKiv.GetCreateDate(), 37653.75);
  EXPECT_EQ(FKiv.GetEvRegDate(), 37653.0);
  EXPECT_EQ(FKiv.GetZns1Date(), 37652.0);
  EXPECT_EQ(FKiv.GetZns2Date(), 37651.0);
  EXPECT_EQ(FKiv.GetZns1Size(), 238);
  EXPECT_EQ(FKiv.GetZns2Size(), 200);
  EXPECT_EQ(FKiv.GetEvRegSize(), 14);
  EXPECT_EQ(FKiv.GetEvRegData()[0], 243);
  EXPECT_EQ(FKiv.GetEvRegData()[13], 127);
  EXPECT_FALSE(FKiv.Modified());

  TKiv v2;
  ASSERT_TRUE(v2.LoadFromFile(FixturePath("packed_v2.kiv")));
  EXPECT_EQ(v2.GetKivType(), 1);
  EXPECT_EQ(v2.GetIdent(), "");
  EXPECT_EQ(v2.GetVerMajor(), 2);
  EXPECT_EQ(v2.GetNotes(), TLines{"Kivs2 z roku 2003"});
  EXPECT_EQ(v2.GetReadOptions(), (TReadOptions{0x1F, 0, 1, 1, 1, 0}));
  EXPECT_EQ(v2.GetZns1Size(), 0);
  EXPECT_EQ(v2.GetZns2Size(), 238);
  EXPECT_EQ(v2.GetEvRegSize(), 6);
  EXPECT_EQ(v2.EventKinds(), EventKindTable(1));
}

// Cut short anywhere, a packed file changes nothing: every length is checked against the
// bytes that are there.
TEST_F(KivbaseTest, TruncatedPackedFileChangesNothing)
{
  const std::string full = ReadBytes(FixturePath("packed_v2.kiv"));
  ASSERT_GT(full.size(), 300u);
  const std::string before = ImageBytes(FKiv);
  for (size_t size = 1; size < full.size(); ++size) {
    FEvents.clear();
    FPrompts.Clear();
    ASSERT_FALSE(FKiv.LoadFromFile(FDir.Write("cut.kiv", full.substr(0, size)))) << size;
    ASSERT_EQ(FPrompts.Texts(TKind::Error), TLines{"Nieznany format pliku"}) << size;
    ASSERT_TRUE(FEvents.empty());
    ASSERT_EQ(ImageBytes(FKiv), before) << size;
  }
}

TEST_F(KivbaseTest, PackedFileWithLyingLengths)
{
  struct Case {
    const char* what;
    std::function<void(std::string&)> spoil;
  };
  const size_t blocksAt = 260 + (1 + 7) + 1 + (1 + 6) + 24 + 6;  // after the notes, dates, options
  const Case cases[] = {
      {"event register longer than the file", [&](std::string& f) { PutU16LE(f, blocksAt, 0xFFFF); }},
      {"set 1 longer than the file", [&](std::string& f) { PutU16LE(f, blocksAt + 2 + 6, 0x8000); }},
      {"note line longer than the file",
       [](std::string& f) {
         f[260] = char(0xFF);
         f.resize(300);
       }},
      {"note length table disagrees", [](std::string& f) { f[16] = 3; }},
      {"too many note lines", [](std::string& f) { f[7] = char(245); }},
      {"no KIVS", [](std::string& f) { f[2] = 'X'; }},
      {"NUL inside KIVS", [](std::string& f) { f[3] = '\0'; }},
  };
  for (const Case& c : cases) {
    TPacked p;
    p.Notes = {"notatka", "", "koniec"};
    std::string f = p.Build();
    c.spoil(f);
    FPrompts.Clear();
    FEvents.clear();
    EXPECT_FALSE(FKiv.LoadFromFile(FDir.Write("lie.kiv", f))) << c.what;
    EXPECT_EQ(FPrompts.Texts(TKind::Error), TLines{"Nieznany format pliku"}) << c.what;
    EXPECT_TRUE(FEvents.empty()) << c.what;
  }
}

TEST_F(KivbaseTest, PackedBlocksLongerThanTheirFieldsAreCut)
{
  TPacked p;
  p.EvReg = std::string(16000, '\x07');
  p.Zns1 = std::string(600, '\x01');
  p.Zns2 = std::string(300, '\x02');
  ASSERT_TRUE(FKiv.LoadFromFile(FDir.Write("big.kiv", p.Build())));
  EXPECT_EQ(FKiv.GetEvRegSize(), 15360);
  EXPECT_EQ(FKiv.GetZns1Size(), 512);
  EXPECT_EQ(FKiv.GetZns2Size(), 300);
  EXPECT_EQ(FKiv.GetZns1Data()[511], 1);
  EXPECT_EQ(FKiv.GetZns2Data()[0], 2);  // read from where the file holds it, after all 600 bytes
  EXPECT_EQ(FKiv.GetIdent(), "K3-0302 SZR");
}

TEST_F(KivbaseTest, PackedIdentificationMayEndAtTheEndOfTheFile)
{
  TPacked p;
  p.IdentNul = false;
  p.Ident = "K2 bez zera";
  ASSERT_TRUE(FKiv.LoadFromFile(FDir.Write("nonul.kiv", p.Build())));
  EXPECT_EQ(FKiv.GetIdent(), "K2 bez zera");
  EXPECT_EQ(FKiv.GetKivType(), 1);

  p.Ident = std::string(150, 'K');  // cut to the field
  ASSERT_TRUE(FKiv.LoadFromFile(FDir.Write("long.kiv", p.Build())));
  EXPECT_EQ(FKiv.GetIdent(), std::string(99, 'K'));
}

TEST_F(KivbaseTest, PackedSlaveAddressIsStoredAsBySetReadOptions)
{
  TPacked p;
  p.Options = {7, 1, 1, 1, 0, 0};
  ASSERT_TRUE(FKiv.LoadFromFile(FDir.Write("slave.kiv", p.Build())));
  EXPECT_EQ(FKiv.GetReadOptions(), p.Options);
  EXPECT_TRUE(FKiv.Modified());
}

TEST_F(KivbaseTest, SaveClearsModified)
{
  FKiv.SetModified(true);
  ASSERT_TRUE(FKiv.SaveToFile(FDir.File("doc.kiv")));
  EXPECT_FALSE(FKiv.Modified());
  EXPECT_EQ(ReadBytes(FDir.File("doc.kiv")), ImageBytes(FKiv));
}

TEST_F(KivbaseTest, FailedSaveKeepsTheOldFileAndTheModifiedFlag)
{
  const std::string path = FDir.Write("doc.kiv", "previous");
  std::filesystem::create_directory(FDir.File("dir.kiv"));
  FKiv.SetModified(true);
  for (const std::string& target : {FDir.File("missing/doc.kiv"), FDir.File("dir.kiv")}) {
    FPrompts.Clear();
    EXPECT_FALSE(FKiv.SaveToFile(target));
    EXPECT_EQ(FPrompts.Texts(TKind::Error), TLines{"Zapis nie powiódł się."_cp});
    EXPECT_TRUE(FKiv.Modified());
  }
  EXPECT_EQ(ReadBytes(path), "previous");
}

TEST_F(KivbaseTest, NotesThroughTheDocument)
{
  FKiv.SetNotes({"a", "", "bc"});
  EXPECT_EQ(ImageBytes(FKiv).substr(2048, 8), std::string("a\0\r\nbc\0\0", 8));
  EXPECT_EQ(FKiv.GetNotes(), (TLines{"a", "", "bc"}));
  FKiv.SetNotes({"x"});
  EXPECT_EQ(FKiv.GetNotes(), TLines{"x"});
}

class KivbaseCommandLine : public KivbaseTest {};

TEST_F(KivbaseCommandLine, Cases)
{
  const std::string big = FDir.Write("my-buf.bin", std::string(20000, '\x0A'));
  const std::string set = FDir.Write("Zns.BIN", std::string(600, '\x0B'));
  const std::string small = FDir.Write("zns2.bin", std::string(10, '\x0C'));
  const std::string fifo = MakeFifo(FDir.File("ev.fifo"));
  struct Case {
    std::string options;
    bool ok;
    std::string message;
    int model;
    int evreg, zns1, zns2;
    bool events;
  };
  const std::string help = CommandLineHelp();
  const Case cases[] = {
      {"-buffile " + big + " -kivtype kivs3", true, "", 2, 15360, 0, 0, true},
      {"-BUFFILE " + big + " -KivType KIVS2", true, "", 1, 15360, 0, 0, true},
      {"  -zns1file " + set + "  -zns2file " + small + " ", true, "", 0, 0, 512, 10, true},
      {"-kivtype k3abc", true, "", 2, 0, 0, 0, true},
      {"-kivtype kivs2", true, "", 1, 0, 0, 0, true},
      {"-x", false, "Nieznane polecenie: x", 0, 0, 0, 0, false},
      {"abc", false, "oczekiwano znaku \"-\" :abc", 0, 0, 0, 0, false},
      {"-h", true, help, 0, 0, 0, 0, false},
      {"", true, "", 0, 0, 0, 0, false},
      {"-h -kivtype kivs3", true, help, 2, 0, 0, 0, true},
      {"-buffile " + FDir.File("none.bin"), false,
       "Nie udało się załadować pliku: "_cp + FDir.File("none.bin"), 0, 0, 0, 0, false},
      {"-kivtype kivs3 -zns1file " + set + " -zns2file " + FDir.File("gone"), false,
       "Nie udało się załadować pliku: "_cp + FDir.File("gone"), 2, 0, 512, 0, false},
      // A FIFO with no writer or an endless device is refused at once, as a file that cannot be read.
      {"-kivtype kivs3 -buffile " + fifo, false, "Nie udało się załadować pliku: "_cp + fifo, 2, 0, 0, 0,
       false},
      {"-zns1file /dev/zero", false, "Nie udało się załadować pliku: /dev/zero"_cp, 0, 0, 0, 0, false},
      {"-zns1file " + FDir.Path(), false, "Nie udało się załadować pliku: "_cp + FDir.Path(), 0, 0, 0, 0,
       false},
  };
  const THangGuard guard;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.options);
    TKiv kiv;
    kiv.SetInstallDir(FDefs.Path());
    int events = 0;
    kiv.OnCompleteAll = [&](TKiv&) { ++events; };
    bool ok = !c.ok;
    std::string message = "stale";
    kiv.ParseCommandLine(c.options, ok, message);
    EXPECT_EQ(ok, c.ok);
    EXPECT_EQ(message, c.message);
    EXPECT_EQ(kiv.GetKivType(), c.model);
    EXPECT_EQ(kiv.GetEvRegSize(), c.evreg);
    EXPECT_EQ(kiv.GetZns1Size(), c.zns1);
    EXPECT_EQ(kiv.GetZns2Size(), c.zns2);
    EXPECT_EQ(events, c.events ? 1 : 0);
  }
}

TEST_F(KivbaseCommandLine, IdentificationIsUpperCasedAndFileNamesKeepTheirCase)
{
  const std::string path = FDir.Write("Set-One.Bin", std::string(4, '\x01'));
  bool ok = false;
  std::string message;
  FKiv.ParseCommandLine("-kivtype k3 żółw -zns1file " + path, ok, message);
  ASSERT_TRUE(ok) << message;
  EXPECT_EQ(FKiv.GetIdent(), "K3 ŻÓŁW"_cp);
  EXPECT_EQ(FKiv.GetKivType(), 2);
  EXPECT_EQ(FKiv.GetZns1Size(), 4);
  EXPECT_EQ(FEvents, LoadEvents);
}

TEST_F(KivbaseCommandLine, HelpText)
{
  EXPECT_EQ(
      CommandLineHelp(),
      "Parametry wywołania programu:\n-buffile buffilename\n-zns1file zns1filename\n-zns2file zns2filename\n"
      "-kivtype [kivs2|kivs3|eproms string]\n-h -szhow this message"_cp);
}

class KivbaseDefinitions : public KivbaseTest {};

TEST_F(KivbaseDefinitions, ModelFilesAreFoundRegardlessOfLetterCase)
{
  FDefs.Write("kivs3.SET", "[GLOBAL]\nZNS_SIZE=77\n");
  FDefs.Write("Kivs2.set", "[GLOBAL]\nZNS_SIZE=66\n");
  FKiv.SetKivType(2);
  EXPECT_EQ(FKiv.Defs().ZNS_SIZE, 77);
  EXPECT_EQ(FKiv.Defs().DefFileName(), FDefs.File("kivs3.SET"));
  FKiv.SetKivType(1);
  EXPECT_EQ(FKiv.Defs().ZNS_SIZE, 66);
  EXPECT_EQ(FKiv.Defs().DefFileName(), FDefs.File("Kivs2.set"));
}

TEST_F(KivbaseDefinitions, IdentificationsOwnFileIsPreferred)
{
  FDefs.Write("Kivs3.set", "[GLOBAL]\nZNS_SIZE=77\n");
  FDefs.Write("k3 V_1.00.set", "[GLOBAL]\nZNS_SIZE=55\n");
  FKiv.SetIdent("K3 v1.00");  // name "K3 v_1.00"
  FKiv.SetKivType(2);
  EXPECT_EQ(FKiv.Defs().ZNS_SIZE, 55);
  FKiv.SetIdent("K3 v2.0");
  FKiv.SetKivType(2);
  EXPECT_EQ(FKiv.Defs().ZNS_SIZE, 77);
}

TEST_F(KivbaseDefinitions, UnsafeIdentificationNamesCountAsAbsent)
{
  std::filesystem::create_directory(FDefs.File("sub"));
  FDefs.Write("Kivs3.set", "[GLOBAL]\nZNS_SIZE=77\n");
  FDefs.Write("sub/evil.set", "[GLOBAL]\nZNS_SIZE=1\n");
  const char* idents[] = {"K3/../../etc/x", "K3ab\\cd", "K3..ab", "K3\x01x"};
  for (const char* ident : idents) {
    TKiv kiv;
    kiv.SetInstallDir(FDefs.Path());
    kiv.SetIdent(ident);
    kiv.SetKivType(2);
    EXPECT_EQ(kiv.Defs().ZNS_SIZE, 77) << ident;
    EXPECT_EQ(kiv.Defs().DefFileName(), FDefs.File("Kivs3.set")) << ident;
  }
}

TEST_F(KivbaseDefinitions, UnknownModelLoadsNothingAndMissingFileGivesDefaults)
{
  FKiv.SetKivType(0);
  EXPECT_EQ(FKiv.Defs().DefFileName(), "");
  FKiv.SetKivType(1);  // no Kivs2.set in the folder: the defaults
  EXPECT_EQ(FKiv.Defs().DefFileName(), FDefs.File("Kivs2.set"));
  EXPECT_EQ(FKiv.Defs().ZNS_SIZE, 119);
}

}  // namespace
