#include "app/logic/MainLogic.h"

#include <gtest/gtest.h>

#include <set>

#include "platform/IniFile.h"
#include "tests/app/DocTestSupport.h"

namespace {

constexpr const char* SEC = "kivssn";

TMainConfig FromText(const std::string& text)
{
  TIniFile ini;
  ini.LoadFromString(text);
  return ReadKivIni(ini, SEC);
}

}  // namespace

TEST(KivIni, DefaultsWhenMissingOrEmpty)
{
  const TMainConfig defaults;
  EXPECT_EQ(defaults.Comm.MBTCPComm, false);
  EXPECT_EQ(defaults.Comm.MBTCPIP, "127.0.0.1");
  EXPECT_EQ(defaults.Comm.MBTCPPort, 502);
  EXPECT_EQ(defaults.Port, "COM1");
  EXPECT_EQ(defaults.Speed, 6);
  EXPECT_EQ(defaults.Comm.Time_Out, 500);
  EXPECT_EQ(defaults.Comm.TimeSilence, 300);
  EXPECT_EQ(FromText(""), defaults);
  EXPECT_EQ(FromText("[other]\nPort=7\n"), defaults);
  EXPECT_EQ(LoadKivIni("/nonexistent/kiv.ini", SEC), defaults);
  TTempDir dir;
  EXPECT_EQ(LoadKivIni(dir.Write("kiv.ini", ""), SEC), defaults);
}

TEST(KivIni, ValuesRead)
{
  struct TCase {
    const char* Text;
    std::function<void(const TMainConfig&)> Check;
  } cases[] = {
      {"[kivssn]\nPort=3\n", [](const TMainConfig& c) { EXPECT_EQ(c.Port, "COM3"); }},
      {"[kivssn]\nPort=\n", [](const TMainConfig& c) { EXPECT_EQ(c.Port, ""); }},
      {"[kivssn]\nPort=/dev/ttyUSB0\n", [](const TMainConfig& c) { EXPECT_EQ(c.Port, "/dev/ttyUSB0"); }},
      {"[kivssn]\nPort=0\n", [](const TMainConfig& c) { EXPECT_EQ(c.Port, "0"); }},
      {"[KIVSSN]\nmbtcpip=192.168.100.200\n",
       [](const TMainConfig& c) { EXPECT_EQ(c.Comm.MBTCPIP, "192.168.100.200"); }},
      {"[kivssn]\nMBTCPIP=192.168.100.2001\n",
       [](const TMainConfig& c) { EXPECT_EQ(c.Comm.MBTCPIP, "192.168.100.200"); }},
      {"[kivssn]\nMBTCPComm=1\n", [](const TMainConfig& c) { EXPECT_TRUE(c.Comm.MBTCPComm); }},
      {"[kivssn]\nMBTCPComm=2\n", [](const TMainConfig& c) { EXPECT_FALSE(c.Comm.MBTCPComm); }},
      {"[kivssn]\nMBTCPComm=yes\n", [](const TMainConfig& c) { EXPECT_FALSE(c.Comm.MBTCPComm); }},
      {"[kivssn]\nMBTCPPort=1502\n", [](const TMainConfig& c) { EXPECT_EQ(c.Comm.MBTCPPort, 1502); }},
      {"[kivssn]\nMBTCPPort=abc\n", [](const TMainConfig& c) { EXPECT_EQ(c.Comm.MBTCPPort, 502); }},
      {"[kivssn]\nMBTCPPort=70000\n", [](const TMainConfig& c) { EXPECT_EQ(c.Comm.MBTCPPort, 502); }},
      {"[kivssn]\nMBTCPPort=0\n", [](const TMainConfig& c) { EXPECT_EQ(c.Comm.MBTCPPort, 502); }},
      {"[kivssn]\nSpeed=11\nTime_Out=5000\nTimeSilence=0\n",
       [](const TMainConfig& c) {
         EXPECT_EQ(c.Speed, 11);
         EXPECT_EQ(c.Comm.Time_Out, 5000);
         EXPECT_EQ(c.Comm.TimeSilence, 0);
       }},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Text);
    c.Check(FromText(c.Text));
  }
}

TEST(KivIni, WriteBackKeepsOtherSectionsAndReadsBack)
{
  TTempDir dir;
  const std::string path = dir.Write("kiv.ini", "; mine\n[other]\nA=1\n[kivssn]\nPort=COM1\nExtra=x\n");
  TMainConfig c;
  c.Comm.MBTCPComm = true;
  c.Comm.MBTCPIP = "10.0.0.1";
  c.Comm.MBTCPPort = 1502;
  c.Comm.Time_Out = 700;
  c.Comm.TimeSilence = 20;
  c.Port = "";
  c.Speed = 9;
  ASSERT_TRUE(SaveKivIni(path, SEC, c));
  EXPECT_EQ(LoadKivIni(path, SEC), c);
  TIniFile ini;
  ASSERT_TRUE(ini.LoadFromFile(path));
  EXPECT_EQ(ini.ReadString("other", "A", ""), "1");
  EXPECT_EQ(ini.ReadString(SEC, "Extra", ""), "x");
  EXPECT_EQ(ini.ReadString(SEC, "MBTCPComm", ""), "1");
  EXPECT_NE(ReadBytes(path).find("; mine"), std::string::npos);
  EXPECT_EQ(ini.ReadSection(SEC).size(), 8u);
}

TEST(KivIni, SaveMakesTheFolderAndRefusesAnUnreadableFile)
{
  TTempDir dir;
  const std::string path = dir.Path() + "/a/b/kiv.ini";
  ASSERT_TRUE(SaveKivIni(path, SEC, TMainConfig{}));
  EXPECT_EQ(LoadKivIni(path, SEC), TMainConfig{});
  // A folder where the file should be: nothing is replaced.
  const std::string folder = dir.Path() + "/x.ini";
  std::filesystem::create_directory(folder);
  std::string error;
  EXPECT_FALSE(SaveKivIni(folder, SEC, TMainConfig{}, &error));
  EXPECT_TRUE(std::filesystem::is_directory(folder));
}

TEST(KivIni, PathFollowsTheUserConfigurationFolder)
{
  EXPECT_EQ(KivIniPathFor("/x/cfg", "/home/u"), "/x/cfg/kivssn/kiv.ini");
  EXPECT_EQ(KivIniPathFor("", "/home/u"), "/home/u/.config/kivssn/kiv.ini");
  EXPECT_EQ(KivIniPathFor("relative", "/home/u"), "/home/u/.config/kivssn/kiv.ini");
  EXPECT_EQ(KivIniPathFor(nullptr, nullptr), "kiv.ini");
}

TEST(KivIni, TcpPortText)
{
  const std::pair<const char*, int> cases[] = {{"502", 502}, {"1", 1},    {"65535", 65535}, {"65536", 502},
                                               {"0", 502},   {"-1", 502}, {"", 502},        {"12a", 502}};
  for (const auto& [text, port] : cases)
    EXPECT_EQ(TcpPortFromText(text), port) << text;
}

TEST(InstallDir, ProgramFolderWithDefinitionsElseShare)
{
  TTempDir dir;
  std::filesystem::create_directories(dir.Path() + "/bin");
  EXPECT_EQ(FindInstallDir(dir.Path() + "/bin"), dir.Path() + "/bin");
  std::filesystem::create_directories(dir.Path() + "/share/kivssn");
  EXPECT_EQ(FindInstallDir(dir.Path() + "/bin/"), dir.Path() + "/share/kivssn");
  dir.Write("bin/KIVS3.SET", "[GLOBAL]\n");
  EXPECT_EQ(FindInstallDir(dir.Path() + "/bin"), dir.Path() + "/bin");
  EXPECT_EQ(FindHelpFile(dir.Path() + "/bin"), "");
  dir.Write("bin/KIVS32.HLP", "x");
  EXPECT_EQ(FindHelpFile(dir.Path() + "/bin"), dir.Path() + "/bin/KIVS32.HLP");
}

TEST(CommandLine, Plans)
{
  const std::set<std::string> present = {"a.kiv", "B.KIV", "Dir/C.Kiv", ".kiv", "Dir/.KIV"};
  const TFileExists exists = [&](const std::string& f) { return present.count(f) > 0; };
  struct TCase {
    std::vector<std::string> Params;
    std::vector<std::string> Open;
    std::optional<std::string> Missing;
    bool Service;
    std::string Options;
  } cases[] = {
      {{}, {}, std::nullopt, false, ""},
      {{"a.kiv", "B.KIV", "Dir/C.Kiv"}, {"a.kiv", "B.KIV", "Dir/C.Kiv"}, std::nullopt, false, ""},
      {{"a.kiv", "x.kiv", "-buffile", "b.bin"}, {"a.kiv"}, "x.kiv", false, ""},
      {{"-service", "a.kiv"}, {"a.kiv"}, std::nullopt, true, ""},
      {{"SERVICE"}, {}, std::nullopt, true, ""},
      {{"-Service"}, {}, std::nullopt, true, ""},
      {{"-buffile", "X.bin", "-KIVTYPE", "kivs3"}, {}, std::nullopt, false, "-buffile X.bin -KIVTYPE kivs3"},
      {{"-h"}, {}, std::nullopt, false, "-h"},
      {{"-x", "", "a.kiv"}, {}, std::nullopt, false, "-x"},
      // A file named only by the extension is a document, whatever a path library says.
      {{".kiv", "Dir/.KIV"}, {".kiv", "Dir/.KIV"}, std::nullopt, false, ""},
      {{".Kiv"}, {}, ".Kiv", false, ""},
      {{"kiv", "a.kiv.bak"}, {}, std::nullopt, false, "kiv a.kiv.bak"},
  };
  for (const TCase& c : cases) {
    const TCommandLinePlan plan = PlanCommandLine(c.Params, exists);
    EXPECT_EQ(plan.OpenFiles, c.Open);
    EXPECT_EQ(plan.MissingFile, c.Missing);
    EXPECT_EQ(plan.Service, c.Service);
    EXPECT_EQ(plan.Options, c.Options);
  }
  // The files after the first service word open in service mode.
  const struct {
    std::vector<std::string> Params;
    size_t ServiceFrom;
  } order[] = {
      {{"-service", "a.kiv"}, 0},
      {{"a.kiv", "service", "B.KIV"}, 1},
      {{"a.kiv", "B.KIV", "SERVICE", "service"}, 2},
  };
  for (const auto& c : order) {
    const TCommandLinePlan plan = PlanCommandLine(c.Params, exists);
    EXPECT_TRUE(plan.Service);
    EXPECT_EQ(plan.ServiceFromFile, c.ServiceFrom) << c.Params.size();
  }
  EXPECT_TRUE(HasServiceSwitch({"a", "-service"}));
  EXPECT_FALSE(HasServiceSwitch({"-SERVICE", "service"}));
}

TEST(CommandLine, DocumentNameFromTheOptionSplit)
{
  const std::pair<const char*, const char*> cases[] = {
      {"-buffile x.bin", "x.bin"},
      {"-buffile my-file.bin", "my-file.bin"},
      {"-kivtype kivs3 -ZNS1FILE  Set One.bin  -buffile e.bin", "Set One.bin"},
      {"-kivtype kivs3", ""},
      {"-h", ""},
      {"", ""},
  };
  for (const auto& [options, name] : cases)
    EXPECT_EQ(DocumentNameFromOptions(options), name) << options;
}

TEST(DocumentNames, CounterSkipsExistingFilesAndRestarts)
{
  std::set<std::string> present = {"Dokument3.kiv"};
  const TFileExists exists = [&](const std::string& f) { return present.count(f) > 0; };
  int counter = 0;
  EXPECT_EQ(NextDocumentName(counter, 0, exists), "Dokument1.kiv");
  EXPECT_EQ(NextDocumentName(counter, 1, exists), "Dokument2.kiv");
  EXPECT_EQ(NextDocumentName(counter, 2, exists), "Dokument4.kiv");
  EXPECT_EQ(NextDocumentName(counter, 0, exists), "Dokument1.kiv");
}

TEST(XScale, Choices)
{
  struct TCase {
    const char* Text;
    bool Counts;
    std::optional<TXScaleChoice> Want;
  } cases[] = {
      {"20", true, TXScaleChoice{false, 20}},
      {"20", false, std::nullopt},
      {"", true, std::nullopt},
      {"5", true, TXScaleChoice{true, 0}},
      {"10", true, TXScaleChoice{false, 10}},
      {"50000", true, TXScaleChoice{false, 50000}},
      {"50001", true, TXScaleChoice{true, 0}},
      {"Dopasuj", true, TXScaleChoice{true, 0}},
      {"abc", true, TXScaleChoice{true, 0}},
      {"1,5", true, TXScaleChoice{true, 0}},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(ChooseXScale(c.Text, c.Counts), c.Want) << c.Text;
  EXPECT_EQ(XScaleText(true, 300), "Dopasuj");
  EXPECT_EQ(XScaleText(false, 300), "300");
}

TEST(Toolbar, States)
{
  EXPECT_EQ(ToolbarState(false, false, false), (TToolbarState{false, true, true}));
  EXPECT_EQ(ToolbarState(true, false, false), (TToolbarState{true, false, true}));
  EXPECT_EQ(ToolbarState(true, true, true), (TToolbarState{false, false, false}));
  // Another document's transfer closes the communication settings too.
  EXPECT_EQ(ToolbarState(true, false, true), (TToolbarState{true, false, false}));
}

TEST(RussianNotices, FileNotFound) { EXPECT_EQ(FileNotFoundNotice("x.kiv"), "x.kiv Файл не найден"); }
