// Settings value tools: every tool's check, the list and port helpers, the messages.
#include "ternik/SettingsTools.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <typeinfo>
#include <vector>

#include "TernikTestSupport.h"
#include "platform/Codepage.h"
#include "platform/NumText.h"
#include "ternik/LangUnit.h"

namespace {

// A fake sysfs tty class folder.
struct TFakeTtyDir {
  TFakeTtyDir() : Old(SerialPortClassDir()) { SetSerialPortClassDir(Dir.Path()); }
  ~TFakeTtyDir() { SetSerialPortClassDir(Old); }
  void Add(const std::string& name, bool device, const char* type = nullptr)
  {
    std::filesystem::create_directories(Dir.File(name));
    if (device)
      std::filesystem::create_directories(Dir.File(name) + "/device");
    if (type)
      WriteBytes(Dir.File(name) + "/type", std::string(type) + "\n");
  }
  TTempDir Dir;
  std::string Old;
};

std::string Msg(const char* key, const std::string& path = "ROOT\\X")
{
  return SettTranslate(key) + ":" + path;
}

struct TAttr {
  const char* Name;
  const char* Value;
};

}  // namespace

TEST(SettingsTools, StartUpRegistersClassesAndTheFirstDictionaryGroup)
{
  TLibraryScope lib;
  ASSERT_NE(RegNodeList(), nullptr);
  EXPECT_EQ(RegNodeList()->FindExact("ITEM"), &TSettItem::StaticClass());
  EXPECT_EQ(RegNodeList()->FindExact("GROUP"), &TSettGroup::StaticClass());
  int itemAt = -1, groupAt = -1;
  for (size_t i = 0; i < RegNodeList()->Count(); ++i) {
    if (&RegNodeList()->Item(i) == &TSettItem::StaticClass())
      itemAt = static_cast<int>(i);
    if (&RegNodeList()->Item(i) == &TSettGroup::StaticClass())
      groupAt = static_cast<int>(i);
  }
  EXPECT_LT(itemAt, groupAt);

  const TXLangCfg& dict = LangDictionary();
  ASSERT_GT(dict.ChildCount(), 0u);
  EXPECT_EQ(dict.GetChildObject(0).GetName(), "SettingsTools");
  TXLangGroup* g = SettingsToolsGroup();
  ASSERT_EQ(g, &dict.GetChildObject(0));
  ASSERT_EQ(g->ChildCount(), 28u);
  for (size_t i = 0; i < SettingsToolsMessages.size(); ++i) {
    const auto& item = static_cast<const TXLangItem&>(g->GetChildObject(i));
    EXPECT_EQ(item.GetName(), SettingsToolsMessages[i].Key);
    EXPECT_EQ(item.Text, SettingsToolsMessages[i].DefaultText);
  }
  EXPECT_EQ(SettTranslate("txt019"), "Porównywany plik nie jest plikiem konfiguracji."_cp);
  EXPECT_EQ(SettTranslate("TXT026"), "Obcięcie napisu '%s' do '%s'"_cp);
  EXPECT_EQ(SettTranslate("TXT028_s"), "Plik nie istnieje %s");
  EXPECT_EQ(SettTranslate("TXT099"), "!!Not found in dictionary:SettingsTools\\TXT099");
}

TEST(SettingsTools, MessagesWithoutTheLibraryUseTheDefaults)
{
  ASSERT_FALSE(LibraryInitialized());
  EXPECT_EQ(SettTranslate("TXT010"), "Nie znany typ danych");
  EXPECT_EQ(SettTranslate("TXT001"), "Brak danych dla nastawy ");
}

TEST(SettingsTools, SubstituteSNeverInterpretsOtherDirectives)
{
  struct TCase {
    const char* Pattern;
    std::vector<std::string> Args;
    const char* Want;
  };
  const TCase cases[] = {
      {"Plik nie istnieje %s", {"/tmp/a b"}, "Plik nie istnieje /tmp/a b"},
      {"%s : [%s]<->[%s]", {"R\\A", "1", "2"}, "R\\A : [1]<->[2]"},
      {"%n%d%x %s", {"v"}, "%n%d%x v"},
      {"100%% %s", {"ok"}, "100% ok"},
      {"%s and %s", {"one"}, "one and %s"},
      {"no args %s", {}, "no args %s"},
      {"trailing %", {"x"}, "trailing %"},
      {"%s", {"%s%n"}, "%s%n"},  // an argument is copied, never scanned again
  };
  for (const TCase& c : cases) {
    std::string got;
    switch (c.Args.size()) {
    case 0:
      got = SubstituteS(c.Pattern, {});
      break;
    case 1:
      got = SubstituteS(c.Pattern, {c.Args[0]});
      break;
    default:
      got = SubstituteS(c.Pattern, {c.Args[0], c.Args[1], c.Args[2]});
      break;
    }
    EXPECT_EQ(got, c.Want) << c.Pattern;
  }
}

TEST(SettingsTools, ListHelpers)
{
  EXPECT_EQ(GetListItem("a|b|c", 0), "a");
  EXPECT_EQ(GetListItem("a|b|c", 2), "c");
  EXPECT_EQ(GetListItem("a|b|c", 3), "");
  EXPECT_EQ(GetListItem("a|b|c", -1), "");
  EXPECT_EQ(GetListItem("", 0), "");
  EXPECT_EQ(GetListItem("a||c", 1), "");
  EXPECT_EQ(IndexInList("4800|9600|19200", "9600"), 1);
  EXPECT_EQ(IndexInList("Alpha|Beta", "BETA"), 1);
  EXPECT_EQ(IndexInList("Źle|Dobrze"_cp, "źle"_cp), 0);
  EXPECT_EQ(IndexInList("Alpha|Beta", "Bet"), -1);
  EXPECT_EQ(IndexInList("", "x"), -1);
}

TEST(SettingsTools, FindInList)
{
  struct TCase {
    const char* List;
    const char* Text;
    bool IgnoreCase, AllowPartial;
    int Want;
  };
  const TCase cases[] = {
      {"Alpha|Beta|Gamma", "Beta", false, false, 1},
      {"Alpha|Beta|Gamma", "beta", false, false, -1},
      {"Alpha|Beta|Gamma", "beta", true, false, 1},
      {"Alpha|Beta|Gamma", "be", true, true, 1},  // only Beta begins with it
      {"Alpha|Beta|Gamma", "a", true, true, 0},   // only Alpha begins; Gamma merely contains
      {"Alpha|Beta|Gamma", "m", true, true, 2},   // only Gamma contains it
      {"Alpha|Beta|Gamma", "x", true, true, -1},
      {"Alpha|Beta|Gamma", "be", true, false, -1},  // no partial matches asked for
      {"Alpha|Alpine|Beta", "al", true, true, -1},  // two begin with it: ambiguous at once
      {"Alpha|Alpine|Beta", "lp", true, true, -1},  // two contain it: ambiguous
      {"xAB|yAB|AB2", "AB", false, true, 2},        // one begins with it; the others only contain
      {"ab|abc|xabx", "ab", true, true, 0},         // the equal entry wins over the partial ones
      {"Low|High", "", true, true, -1},             // an empty text begins every entry
      {"", "a", true, true, -1},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(FindInList(c.List, c.Text, c.IgnoreCase, c.AllowPartial), c.Want) << c.List << " / " << c.Text;
}

TEST(SettingsTools, TextToFloat)
{
  struct TCase {
    const char* Text;
    bool Ok;
    double Want;
  };
  const TCase cases[] = {
      {"1.5", true, 1.5}, {"1,5", true, 1.5}, {" -2.25 ", true, -2.25}, {"1E3", true, 1000},
      {"abc", false, 0},  {"", false, 0},     {"1.5.2", false, 0},      {"INF", false, 0},
  };
  for (const TCase& c : cases) {
    double x = -1;
    EXPECT_EQ(TBaseXCfgTool::TryTextToFloat(c.Text, x), c.Ok) << c.Text;
    if (c.Ok) {
      EXPECT_DOUBLE_EQ(x, c.Want) << c.Text;
    }
    if (std::string_view(c.Text) != "INF") {
      EXPECT_DOUBLE_EQ(TBaseXCfgTool::TextToFloatDef(c.Text, 7), c.Ok ? c.Want : 7) << c.Text;
    }
  }
  for (const char* nan : {"INF", "inf", "-INF", "1INF2", "NAN", "nan"}) {
    EXPECT_TRUE(std::isnan(TBaseXCfgTool::TextToFloatDef(nan, 3))) << nan;
    EXPECT_TRUE(std::isnan(TSettItem::TextToFloatDef(nan, 3))) << nan;
  }
  // The item's reading is the file's: '.' only.
  EXPECT_DOUBLE_EQ(TSettItem::TextToFloatDef("2.5", 3), 2.5);
  EXPECT_DOUBLE_EQ(TSettItem::TextToFloatDef("2,5", 3), 3);
  EXPECT_DOUBLE_EQ(TSettItem::TextToFloat("x"), 0);
}

TEST(SettingsTools, CheckTextOfEveryTool)
{
  TLibraryScope lib;
  TDecimalScope comma(',');
  TFakeTtyDir tty;
  tty.Add("ttyS0", true, "4");
  tty.Add("ttyS2", true, "4");
  TTempDir dir;
  const std::string existing = dir.File("present.cfg");
  WriteBytes(existing, "x");
  const std::string missing = dir.File("absent.cfg");
  const std::string turtle = "żółw"_cp;  // four bytes, each one character

  struct TCase {
    uint8_t Kind;
    std::vector<TAttr> Attrs;
    std::string Input;
    bool Ok;
    std::string Text;     // the text after the check
    std::string Message;  // empty: none given
  };
  const std::vector<TCase> cases = {
      // Kinds without a tool of their own.
      {SK_UNKNOWN, {}, "1", false, "1", "Nie znany typ danych"},
      {SK_DATE, {}, "01/02/2020", false, "01/02/2020", "Nie znany typ danych"},
      {SK_TIME, {}, "10:00", false, "10:00", "Nie znany typ danych"},
      // Bool: the exact Boolean words only; an unknown word gives no message.
      {SK_BOOL, {}, "TAK", true, "1", ""},
      {SK_BOOL, {}, "false", true, "0", ""},
      {SK_BOOL, {}, "on", true, "1", ""},
      {SK_BOOL, {}, "t", true, "1", ""},  // the pair ("n", "t") holds it exactly
      {SK_BOOL, {}, "fa", false, "fa", ""},
      {SK_BOOL, {}, "", false, "", ""},
      // Int.
      {SK_INT, {{"MIN", "5"}, {"MAX", "10"}}, "3", false, "5", Msg("TXT002")},
      {SK_INT, {{"MIN", "5"}, {"MAX", "10"}}, "12", false, "10", Msg("TXT003")},
      {SK_INT, {{"MIN", "5"}, {"MAX", "10"}}, " 7 ", true, "7", ""},
      {SK_INT, {{"MIN", "5"}, {"MAX", "10"}}, "abc", false, "0", Msg("TXT005")},
      {SK_INT, {}, "0.5", true, "2000", ""},  // -1000 + 2000 * 1.5, no bound present
      {SK_INT, {{"MIN", "0"}, {"MAX", "10"}}, "0,5", false, "10", Msg("TXT003")},  // 0 + 10 * 1.5
      {SK_INT, {{"MIN", "0"}, {"MAX", "100"}}, "-0.5", true, "50", ""},
      {SK_INT, {}, "$1F", true, "$1F", ""},
      {SK_INT, {}, "1E300", false, "0", Msg("TXT005")},  // no integer can hold it
      {SK_INT, {{"MIN", "x"}}, "3", false, "0", Msg("TXT005")},
      {SK_INT, {{"MIN", "10"}, {"MAX", "5"}}, "7", false, "5", Msg("TXT003")},  // the later wins
      // Float, shown with the utility's comma.
      {SK_FLOAT, {{"MAX", "10"}}, "12,5", false, "10", Msg("TXT003")},
      {SK_FLOAT, {{"MAX", "10"}}, "2.5", true, "2,5", ""},
      {SK_FLOAT, {{"MIN", "-1.5"}}, "-2", false, "-1,5", Msg("TXT002")},
      {SK_FLOAT, {{"MIN", "abc"}}, "-150", false, "-100", Msg("TXT002")},  // MIN counts -100
      {SK_FLOAT, {{"MAX", "abc"}}, "99", true, "99", ""},
      {SK_FLOAT, {}, "abc", false, "0", Msg("TXT004")},
      {SK_FLOAT, {}, "", false, "0", Msg("TXT004")},
      {SK_FLOAT, {{"MAX", "10"}}, "NAN", true, "NAN", ""},  // a loaded "INF" passes as it is
      {SK_FLOAT, {{"MAX", "10"}}, "INF", true, "INF", ""},
      // Str.
      {SK_STR,
       {},
       "12345678901234567890",
       false,
       "1234567890123456",
       "ROOT\\X:" + SettTranslate("TXT007") + "16"},
      {SK_STR, {}, "1234567890123456", true, "1234567890123456", ""},
      {SK_STR,
       {{"MAX", "3"}},
       turtle,
       false,
       turtle.substr(0, 3),
       "ROOT\\X:" + SettTranslate("TXT007") + "3"},
      {SK_STR, {{"MAX", "-1"}}, "ab", false, "", "ROOT\\X:" + SettTranslate("TXT007") + "-1"},
      // Select.
      {SK_SELECT, {{"ITEMS", "a|b|c"}}, "B", true, "b", ""},
      {SK_SELECT, {{"ITEMS", "a|b|c"}}, "d", false, "", Msg("TXT006")},
      {SK_SELECT, {}, "a", false, "", Msg("TXT006")},
      // IP.
      {SK_IP, {}, "192.168.1.10", true, "192.168.1.10", ""},
      {SK_IP, {}, "300.1.1.1", false, "0.0.0.0", Msg("TXT008")},
      {SK_IP, {}, "1.2.3", false, "0.0.0.0", Msg("TXT008")},
      // Comm nr: COM1 and COM3 are present. A text that is no number fails without raising.
      {SK_COM_NR, {}, "1", true, "1", ""},
      {SK_COM_NR, {}, "3", true, "3", ""},
      {SK_COM_NR, {}, "2", false, "2", SettTranslate("TXT009") + ":2"},
      {SK_COM_NR, {}, "COM1", false, "COM1", SettTranslate("TXT009") + ":COM1"},
      {SK_COM_NR, {}, "", false, "", SettTranslate("TXT009") + ":"},
      // Date-time: day first, written back in the normal form.
      {SK_DATE_TIME, {}, "1/2/2020,10:00:00", true, "01/02/2020,10:00:00.000000", ""},
      {SK_DATE_TIME, {}, "31/02/2020,10:00:00", false, "31/02/2020,10:00:00", "*"},
      // File name.
      {SK_FILE_NAME, {}, existing, true, existing, ""},
      {SK_FILE_NAME, {}, missing, false, missing, "Plik nie istnieje " + missing},
  };
  for (const TCase& c : cases) {
    auto root = NewXmlNode<TSettGroup>();
    root->WriteAttrib("NAME", "Root");
    TSettItem& item = root->AddItem("X", c.Kind);
    for (const TAttr& a : c.Attrs)
      item.WriteAttrib(a.Name, a.Value);
    std::string text = c.Input;
    std::string message;
    const bool ok = item.Tool().CheckText(text, message);
    const std::string where = std::string(SettTypeWords[c.Kind]) + " [" + c.Input + "]";
    EXPECT_EQ(ok, c.Ok) << where;
    EXPECT_EQ(text, c.Text) << where;
    if (c.Message == "*")
      EXPECT_NE(message.find(":ROOT\\X"), std::string::npos) << where << ": " << message;
    else
      EXPECT_EQ(message, c.Message) << where;
  }
}

TEST(SettingsTools, FloatCheckUnderAPointLocale)
{
  TLibraryScope lib;
  TDecimalScope point('.');
  auto root = NewXmlNode<TSettGroup>();
  TSettItem& item = root->AddItem("F", SK_FLOAT);
  std::string text = "2,5", message;
  EXPECT_TRUE(item.Tool().CheckText(text, message));
  EXPECT_EQ(text, "2.5");
}

TEST(SettingsTools, FileNameMessageComesFromATranslatedPatternSafely)
{
  TLibraryScope lib;
  TXLangItem* m = SettingsToolsGroup()->FindItem("TXT028_s");
  ASSERT_NE(m, nullptr);
  m->Text = "%n%x brak: %s %s";
  auto root = NewXmlNode<TSettGroup>();
  TSettItem& item = root->AddItem("F", SK_FILE_NAME);
  std::string text = "/nonexistent/%s%n", message;
  EXPECT_FALSE(item.Tool().CheckText(text, message));
  EXPECT_EQ(message, "%n%x brak: /nonexistent/%s%n %s");
}

TEST(SettingsTools, SerialPortsAreComNamesOfTheUarts)
{
  TFakeTtyDir tty;
  tty.Add("ttyS0", true, "4");
  tty.Add("ttyS1", true, "0");  // a slot with no UART behind it
  tty.Add("ttyS9", true, "4");
  tty.Add("ttyS12", true, "4");
  tty.Add("ttyUSB0", true);  // no COM name for it
  tty.Add("ttySx", true);
  tty.Add("tty0", false);
  std::vector<std::string> ports{"stale"};
  GetSerialPorts(ports);
  EXPECT_EQ(ports, (std::vector<std::string>{"COM1", "COM10", "COM13"}));
  EXPECT_TRUE(PortExists(1));
  EXPECT_TRUE(PortExists(10));
  EXPECT_FALSE(PortExists(2));
  EXPECT_FALSE(PortExists(0));
  EXPECT_FALSE(PortExists(-1));

  SetSerialPortClassDir(tty.Dir.File("missing"));
  GetSerialPorts(ports);
  EXPECT_TRUE(ports.empty());
  EXPECT_FALSE(PortExists(1));
}

TEST(SettingsTools, BoolTool)
{
  TLibraryScope lib;
  auto root = NewXmlNode<TSettGroup>();
  TSettItem& item = root->AddItem("B", SK_BOOL);
  TBaseXCfgTool& tool = item.Tool();
  std::string message;

  struct TCase {
    const char* Text;
    bool Ok;
    const char* Stored;
  };
  const TCase cases[] = {{"t", true, "1"},   {"TA", true, "1"}, {"n", true, "0"},
                         {"NIE", true, "0"}, {"x", false, ""},  {"", false, ""}};
  for (const TCase& c : cases) {
    item.SetValueText("");
    message.clear();
    EXPECT_EQ(tool.SetTextUnchecked(c.Text, message), c.Ok) << c.Text;
    EXPECT_EQ(item.ValueText(), c.Stored) << c.Text;
    if (!c.Ok) {
      EXPECT_EQ(message, CpLowerCase(c.Text) + " not a bool value, allowed values: NIE,TAK") << c.Text;
    }
  }

  item.SetValueText("1");
  EXPECT_TRUE(tool.GetAsBoolean());
  EXPECT_EQ(tool.GetText(), "TAK");
  EXPECT_EQ(tool.GetValueText(), "1");
  item.SetValueText("-3");
  EXPECT_TRUE(tool.GetAsBoolean());
  EXPECT_EQ(tool.GetValueText(), "1");
  item.SetValueText("false");
  EXPECT_FALSE(tool.GetAsBoolean());
  EXPECT_EQ(tool.GetText(), "NIE");
  item.SetValueText("maybe");
  EXPECT_THROW(tool.GetAsBoolean(), EConvertError);

  item.WriteAttrib("LOW_STR", "Wył."_cp);
  item.WriteAttrib("HIGH_STR", "Zał."_cp);
  message.clear();
  EXPECT_TRUE(tool.SetTextUnchecked("ZA"_cp, message));
  EXPECT_EQ(item.ValueText(), "1");
  EXPECT_EQ(tool.GetText(), "Zał."_cp);
  EXPECT_TRUE(tool.SetTextUnchecked("w"_cp, message));
  EXPECT_EQ(tool.GetText(), "Wył."_cp);
  EXPECT_FALSE(tool.SetTextUnchecked("TAK", message));
  EXPECT_EQ(message, "tak not a bool value, allowed values: Wył.,Zał."_cp);

  tool.SetAsBoolean(true);
  EXPECT_EQ(item.ValueText(), "1");
  item.SetDefValueText("0");
  EXPECT_FALSE(tool.GetDefaultAsBoolean());
}

TEST(SettingsTools, SelectTool)
{
  TLibraryScope lib;
  std::vector<std::string> errors;
  auto root = NewXmlNode<TSettGroup>(nullptr, {}, [&](const std::string& m) { errors.push_back(m); });
  root->WriteAttrib("NAME", "Root");
  TSettItem& item = root->AddItem("S", SK_SELECT);
  item.WriteAttrib("ITEMS", "a|b|c");
  item.WriteAttrib("ITEMDESCR", "Alpha|Beta|Gamma");
  auto& tool = static_cast<TSelectXCfgTool&>(item.Tool());
  std::string message;

  struct TCase {
    const char* Text;
    bool Ok;
    const char* Stored;
  };
  const TCase cases[] = {
      {"be", true, "b"}, {"a", true, "a"}, {"m", true, "c"}, {"GAMMA", true, "c"}, {"x", false, "c"}};
  for (const TCase& c : cases) {
    message.clear();
    EXPECT_EQ(tool.SetTextUnchecked(c.Text, message), c.Ok) << c.Text;
    EXPECT_EQ(item.ValueText(), c.Stored) << c.Text;
    EXPECT_EQ(message, c.Ok ? "" : Msg("TXT006", "ROOT\\S")) << c.Text;
  }
  item.SetValueText("B");
  EXPECT_EQ(tool.GetIndex(), 1);
  EXPECT_EQ(tool.GetText(), "Beta");
  EXPECT_TRUE(errors.empty());
  EXPECT_FALSE(root->HasErrors);

  // An invalid value is reported, marks the root and shows the first entry.
  item.SetValueText("z");
  EXPECT_EQ(tool.GetIndex(), 0);
  EXPECT_EQ(tool.GetText(), "Alpha");
  ASSERT_EQ(errors.size(), 2u);
  EXPECT_EQ(errors[0], Msg("TXT006", "ROOT\\S") + "\\e");
  EXPECT_TRUE(root->HasErrors);

  // Without descriptions the stored values are shown.
  item.DeleteAttrib("ITEMDESCR");
  item.SetValueText("c");
  EXPECT_EQ(tool.GetText(), "c");

  // Languages: every entry ends a language section.
  item.WriteAttrib("ITEMDESCR", "&P_Jeden&E_One|&P_Dwa&E_Two|&!Trzy");
  tool.SetLanguage("E_");
  EXPECT_EQ(item.ReadAttrib("ITEMDESCR"), "One|Two|Trzy");
  item.WriteAttrib("ITEMDESCR", "&P_Jeden");
  tool.SetLanguage("E_");
  EXPECT_EQ(item.FindAttrib("ITEMDESCR"), nullptr);
}

TEST(SettingsTools, BaseConversions)
{
  TLibraryScope lib;
  TDecimalScope comma(',');
  auto root = NewXmlNode<TSettGroup>();
  TSettItem& item = root->AddItem("V", SK_UNKNOWN);
  TBaseXCfgTool& tool = item.Tool();
  EXPECT_EQ(typeid(tool), typeid(TBaseXCfgTool));
  tool.SetAsFloat(2.5);
  EXPECT_EQ(item.ValueText(), "2,5");
  tool.SetAsInteger(-42);
  EXPECT_EQ(item.ValueText(), "-42");
  EXPECT_EQ(tool.GetText(), "-42");
  tool.SetAsBoolean(true);
  EXPECT_EQ(item.ValueText(), "1");
  EXPECT_FALSE(tool.GetAsBoolean());
  item.SetDefValueText("1,25");
  EXPECT_DOUBLE_EQ(tool.GetDefaultAsFloat(), 1.25);
  item.SetDefValueText("x");
  EXPECT_DOUBLE_EQ(tool.GetDefaultAsFloat(), 0);
  EXPECT_EQ(tool.GetDefaultText(), "x");

  TDateTime t = 0;
  ASSERT_TRUE(TryEncodeDate(2020, 2, 1, t));
  t += 0.5;
  tool.SetAsDateTime(t);
  EXPECT_EQ(item.ValueText(), "01/02/2020,12:00:00.000000");
  EXPECT_DOUBLE_EQ(tool.GetAsDateTime(), t);
  item.SetValueText("not a date");
  EXPECT_ANY_THROW(tool.GetAsDateTime());

  std::string message;
  EXPECT_TRUE(tool.SetTextUnchecked("free", message));
  EXPECT_EQ(item.ValueText(), "free");
  std::string text;
  EXPECT_FALSE(tool.CheckCurrent(text, message));
  EXPECT_EQ(text, "free");
  EXPECT_EQ(message, "Nie znany typ danych");
}

TEST(SettingsTools, ToolClassByKind)
{
  TLibraryScope lib;
  auto root = NewXmlNode<TSettGroup>();
  TSettItem& item = root->AddItem("K", SK_UNKNOWN);
  const std::vector<const std::type_info*> want = {
      &typeid(TBaseXCfgTool),  &typeid(TBoolXCfgTool),     &typeid(TIntXCfgTool),
      &typeid(TFloatXCfgTool), &typeid(TStrXCfgTool),      &typeid(TSelectXCfgTool),
      &typeid(TIpXCfgTool),    &typeid(TCommNrXCfgTool),   &typeid(TBaseXCfgTool),
      &typeid(TBaseXCfgTool),  &typeid(TDateTimeXCfgTool), &typeid(TFileNameXCfgTool)};
  for (uint8_t k = 0; k < want.size(); ++k) {
    item.SetKind(k);
    EXPECT_EQ(item.Kind(), k);
    const TBaseXCfgTool& tool = item.Tool();
    EXPECT_EQ(typeid(tool), *want[k]) << int(k);
    EXPECT_EQ(&tool.Item(), &item);
    EXPECT_EQ(item.TypeWord(), SettTypeWords[k]);
  }
  item.SetKind(40);
  const TBaseXCfgTool& fallback = item.Tool();
  EXPECT_EQ(typeid(fallback), typeid(TBaseXCfgTool));
  EXPECT_EQ(item.TypeWord(), "?");
  EXPECT_NE(dynamic_cast<TBaseMinMaxXCfgTool*>(NewSettTool(SK_INT, item).get()), nullptr);
  EXPECT_NE(dynamic_cast<TBaseMinMaxXCfgTool*>(NewSettTool(SK_FLOAT, item).get()), nullptr);
}
