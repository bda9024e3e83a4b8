// Settings items and groups: loading, the modified flags, saving, comparing, languages.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "TernikTestSupport.h"
#include "platform/Codepage.h"
#include "platform/NumText.h"
#include "ternik/SettingsTools.h"

#ifdef KIV_HAVE_LIBXML2
#include <libxml/parser.h>
#include <libxml/tree.h>
#endif

namespace {

const std::string kHeader = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n";

// Nested groups with an item of every kind, plus the odd cases a file may hold.
std::string Fixture()
{
  return kHeader + "<GROUP NAME=\"Kivs\" DESCR=\"&amp;P_Nastawy&amp;E_Settings\" DEV_TYPE=\"Kivs3\">\r\n"
                   "  <GROUP NAME=\"Comm\" SHORTDESCR=\"Komunikacja\" SOURCE=\"dev\">\r\n"
                   "    <ITEM NAME=\"Port\" TYPE=\"COM_NR\" VALUE=\"1\" DEFVALUE=\"2\"/>\r\n"
                   "    <ITEM NAME=\"Addr\" TYPE=\"IP\" VALUE=\"192.168.1.10\" DEFVALUE=\"0.0.0.0\"/>\r\n"
                   "    <ITEM NAME=\"Speed\" TYPE=\"SELECT\" VALUE=\"9600\" ITEMS=\"4800|9600|19200\""
                   " ITEMDESCR=\"&amp;P_wolno&amp;E_slow|&amp;!9600|&amp;!19200\"/>\r\n"
                   "    <GROUP NAME=\"Deep\">\r\n"
                   "      <ITEM NAME=\"Retry\" TYPE=\"INT\" VALUE=\"3\" MIN=\"1\" MAX=\"9\"/>\r\n"
                   "    </GROUP>\r\n"
                   "  </GROUP>\r\n"
                   "  <GROUP NAME=\"Meas\">\r\n"
                   "    <ITEM NAME=\"On\" TYPE=\"BOOL\" VALUE=\"1\" LOW_STR=\"Nie\" HIGH_STR=\"Tak\"/>\r\n"
                   "    <ITEM NAME=\"Gain\" TYPE=\"FLOAT\" VALUE=\"1.5\" DEFVALUE=\"2.25\" MAX=\"10\"/>\r\n"
                   "    <ITEM NAME=\"Limit\" TYPE=\"FLOAT\" VALUE=\"INF\" DEFVALUE=\"-inf\"/>\r\n"
                   "    <ITEM NAME=\"Junk\" TYPE=\"FLOAT\" VALUE=\"abc\"/>\r\n"
                   "    <ITEM NAME=\"Label\" TYPE=\"STR\" VALUE=\"Pole "
                   "\xB3\xB9\x6B\x61"
                   "\" MAX=\"8\""
                   " CHILD_DESCR=\"&amp;P_dzieci&amp;E_children\"/>\r\n"
                   "    <ITEM NAME=\"Start\" TYPE=\"DATE_TIME\" VALUE=\"01/02/2020,10:00:00.000000\"/>\r\n"
                   "    <ITEM NAME=\"Log\" TYPE=\"FILE_NAME\" VALUE=\"/tmp/kiv.log\"/>\r\n"
                   "    <ITEM NAME=\"Day\" TYPE=\"DATE\" VALUE=\"01/02/2020\"/>\r\n"
                   "    <ITEM NAME=\"Hour\" TYPE=\"TIME\" VALUE=\"10:00\"/>\r\n"
                   "    <ITEM NAME=\"Odd\" TYPE=\"bool\" VALUE=\"1\"/>\r\n"
                   "    <ITEM NAME=\"Auto\" TYPE=\"AUTO\" VALUE=\"x\"/>\r\n"
                   "    <ITEM NAME=\"OnlyDef\" TYPE=\"INT\" DEFVALUE=\"7\"/>\r\n"
                   "    <ITEM NAME=\"NoData\" TYPE=\"INT\"/>\r\n"
                   "  </GROUP>\r\n"
                   "</GROUP>\r\n";
}

struct TLoaded {
  explicit TLoaded(const std::string& text) : Doc([this](const std::string& m) { Errors.push_back(m); })
  {
    Doc.ReadFromString(text);
  }
  TSettGroup& Root() { return *static_cast<TSettGroup*>(Doc.MainNode()); }
  TSettItem& Item(const char* group, const char* name)
  {
    TSettGroup* g = Root().FindGroup(group);
    TSettItem* i = g ? g->FindItem(name) : nullptr;
    if (!i)
      throw std::runtime_error(std::string("no item ") + group + "\\" + name);
    return *i;
  }
  std::vector<std::string> Errors;
  TLhXmlDocument Doc;
};

std::vector<std::string> Texts(const std::vector<TSettCompareLine>& lines)
{
  std::vector<std::string> r;
  for (const auto& l : lines)
    r.push_back(l.Text);
  return r;
}

void ExpectNothingModified(TLhXMLNode& n, const std::string& where)
{
  if (n.IsA(TSttObject::StaticClass())) {
    EXPECT_FALSE(static_cast<TSttObject&>(n).Modified()) << where << " " << n.GetPath();
  }
  for (size_t i = 0; i < n.ChildCount(); ++i)
    ExpectNothingModified(n.GetChild(i), where);
}

}  // namespace

TEST(SettingsItems, LoadTakesTypesNamesAndValues)
{
  TLibraryScope lib;
  TDecimalScope comma(',');
  TLoaded f(Fixture());
  ASSERT_TRUE(f.Doc.MainNode()->IsA(TSettGroup::StaticClass()));
  TSettGroup& root = f.Root();
  EXPECT_EQ(root.GetName(), "Kivs");
  EXPECT_EQ(root.Descr, "&P_Nastawy&E_Settings");
  EXPECT_EQ(root.DevType(), "Kivs3");
  TSettGroup* comm = root.FindGroup("comm");
  ASSERT_NE(comm, nullptr);
  EXPECT_EQ(comm->ShortDescr, "Komunikacja");
  EXPECT_EQ(comm->Source, "dev");
  EXPECT_EQ(root.FindItem("Comm"), nullptr);  // a group is no item
  EXPECT_EQ(root.FindGroup("Port"), nullptr);

  struct TCase {
    const char* Group;
    const char* Name;
    uint8_t Kind;
    const char* Value;
    const char* Shown;  // the tool's GetText
  };
  const TCase cases[] = {
      {"Comm", "Port", SK_COM_NR, "1", "1"},
      {"Comm", "Addr", SK_IP, "192.168.1.10", "192.168.1.10"},
      {"Comm", "Speed", SK_SELECT, "9600", "&!9600"},
      {"Meas", "On", SK_BOOL, "1", "Tak"},
      {"Meas", "Gain", SK_FLOAT, "1,5", "1,5"},
      {"Meas", "Limit", SK_FLOAT, "NAN", "NAN"},
      {"Meas", "Junk", SK_FLOAT, "0", "0"},
      {"Meas", "Label", SK_STR, "Pole łąka", "Pole łąka"},
      {"Meas", "Start", SK_DATE_TIME, "01/02/2020,10:00:00.000000", "01/02/2020,10:00:00.000000"},
      {"Meas", "Log", SK_FILE_NAME, "/tmp/kiv.log", "/tmp/kiv.log"},
      {"Meas", "Day", SK_DATE, "01/02/2020", "01/02/2020"},
      {"Meas", "Hour", SK_TIME, "10:00", "10:00"},
      {"Meas", "Odd", SK_UNKNOWN, "1", "1"},   // letter case counts in type words
      {"Meas", "Auto", SK_UNKNOWN, "x", "x"},  // a display format is no type word
  };
  for (const TCase& c : cases) {
    TSettItem& item = f.Item(c.Group, c.Name);
    EXPECT_EQ(item.Kind(), c.Kind) << c.Name;
    EXPECT_TRUE(item.HasValue()) << c.Name;
    EXPECT_EQ(item.ValueText(), Utf8ToCp1250(c.Value)) << c.Name;
    EXPECT_EQ(item.LoadedValueText(), item.ValueText()) << c.Name;
    EXPECT_EQ(item.Tool().GetText(), Utf8ToCp1250(c.Shown)) << c.Name;
  }
  EXPECT_EQ(f.Item("Meas", "Gain").DefValueText(), "2,25");
  EXPECT_EQ(f.Item("Meas", "Limit").DefValueText(), "NAN");
  EXPECT_EQ(f.Item("Meas", "Limit").Tool().GetDisplayText(), "INF");
  EXPECT_EQ(f.Item("Meas", "Gain").Tool().GetDisplayText(), "1.5");
  EXPECT_EQ(f.Item("Comm", "Port").DefValueText(), "2");
  EXPECT_EQ(f.Item("Meas", "Odd").TypeWord(), "bool");
  EXPECT_EQ(f.Item("Meas", "Label").GetChildDescr(), "&P_dzieci&E_children");

  TSettItem& onlyDef = f.Item("Meas", "OnlyDef");
  EXPECT_FALSE(onlyDef.HasValue());
  EXPECT_TRUE(onlyDef.HasDefValue());
  EXPECT_EQ(onlyDef.GetItemText(), "7");
  EXPECT_EQ(onlyDef.GetValueOrDefault(), "7");
  EXPECT_TRUE(f.Errors.empty());
  EXPECT_FALSE(root.HasErrors);
}

TEST(SettingsItems, FloatValueFollowsTheSeparatorAndSavesWithAPoint)
{
  TLibraryScope lib;
  for (char sep : {',', '.'}) {
    TDecimalScope scope(sep);
    TLoaded f(Fixture());
    TSettItem& gain = f.Item("Meas", "Gain");
    EXPECT_EQ(gain.ValueText(), sep == ',' ? "1,5" : "1.5");
    const std::string saved = f.Doc.SaveToString();
    EXPECT_NE(saved.find("<ITEM NAME=\"Gain\" TYPE=\"FLOAT\" VALUE=\"1.5\" DEFVALUE=\"2.25\" MAX=\"10\"/>"),
              std::string::npos)
        << sep;
  }
}

TEST(SettingsItems, LoadedFileIsNotModified)
{
  TLibraryScope lib;
  TLoaded f(Fixture());
  ExpectNothingModified(f.Root(), "after load");
}

TEST(SettingsItems, ModifiedFlagsFollowTheWholeChain)
{
  TLibraryScope lib;
  TLoaded f(Fixture());
  TSettGroup& root = f.Root();
  TSettGroup& comm = *root.FindGroup("Comm");
  TSettGroup& deep = *comm.FindGroup("Deep");
  TSettItem& retry = *deep.FindItem("Retry");
  TSettItem& port = f.Item("Comm", "Port");

  retry.SetValueText("4");
  EXPECT_TRUE(retry.Modified());
  EXPECT_TRUE(deep.Modified());
  EXPECT_TRUE(comm.Modified());
  EXPECT_TRUE(root.Modified());
  EXPECT_FALSE(root.FindGroup("Meas")->Modified());

  port.SetValueText("3");
  retry.SetValueText("3");  // back to the loaded text
  EXPECT_FALSE(retry.Modified());
  EXPECT_FALSE(deep.Modified());
  EXPECT_TRUE(comm.Modified());  // Port still differs
  EXPECT_TRUE(root.Modified());

  port.SetValueText("1");
  ExpectNothingModified(root, "all back");

  // The tools store through the same path.
  f.Item("Meas", "On").Tool().SetAsBoolean(false);
  EXPECT_TRUE(root.Modified());
  f.Item("Meas", "On").Tool().SetAsBoolean(true);
  EXPECT_FALSE(root.Modified());

  // A default does not count as a change.
  f.Item("Meas", "OnlyDef").SetDefValueText("8");
  EXPECT_FALSE(root.Modified());
}

TEST(SettingsItems, MissingValueIsReportedAndMarksTheRoot)
{
  TLibraryScope lib;
  TLoaded f(Fixture());
  TSettItem& item = f.Item("Meas", "NoData");
  EXPECT_FALSE(item.HasValue());
  EXPECT_FALSE(item.HasDefValue());
  EXPECT_EQ(item.GetValueOrDefault(), "");
  EXPECT_TRUE(f.Errors.empty());
  EXPECT_EQ(item.GetItemText(), "");
  ASSERT_EQ(f.Errors.size(), 1u);
  EXPECT_EQ(f.Errors[0], "Brak danych dla nastawy :KIVS\\MEAS\\NODATA\\e");
  EXPECT_TRUE(f.Root().HasErrors);
  EXPECT_FALSE(f.Root().FindGroup("Meas")->HasErrors);

  // The check of the current value reports the same way.
  std::string text, message;
  EXPECT_FALSE(item.Tool().CheckCurrent(text, message));
  EXPECT_EQ(text, "0");
  EXPECT_EQ(f.Errors.size(), 2u);

  // An item outside any group tree has no root group to mark.
  auto lone = NewXmlNode<TSettItem>();
  EXPECT_EQ(lone->GetItemText(), "");
}

TEST(SettingsItems, SaveIsWellFormedAndLoadsBackEqual)
{
  TLibraryScope lib;
  TDecimalScope comma(',');
  TLoaded f(Fixture());
  f.Item("Comm", "Port").SetValueText("3");
  f.Item("Meas", "Gain").Tool().SetAsFloat(0.1);
  const std::string saved = f.Doc.SaveToString();

  for (const char* want : {
           "<ITEM NAME=\"Port\" TYPE=\"COM_NR\" VALUE=\"3\" DEFVALUE=\"2\"/>",
           "<ITEM NAME=\"Gain\" TYPE=\"FLOAT\" VALUE=\"0.1\" DEFVALUE=\"2.25\" MAX=\"10\"/>",
           "<ITEM NAME=\"Limit\" TYPE=\"FLOAT\" VALUE=\"INF\" DEFVALUE=\"INF\"/>",
           "<ITEM NAME=\"Junk\" TYPE=\"FLOAT\" VALUE=\"0\"/>",
           "<ITEM NAME=\"Odd\" TYPE=\"bool\" VALUE=\"1\"/>",
           "<ITEM NAME=\"Auto\" TYPE=\"AUTO\" VALUE=\"x\"/>",
           "<ITEM NAME=\"OnlyDef\" TYPE=\"INT\" DEFVALUE=\"7\"/>",
           "<ITEM NAME=\"NoData\" TYPE=\"INT\"/>",
           "<GROUP NAME=\"Comm\" SHORTDESCR=\"Komunikacja\" SOURCE=\"dev\">",
       })
    EXPECT_NE(saved.find(want), std::string::npos) << want;
  EXPECT_TRUE(f.Errors.empty());

#ifdef KIV_HAVE_LIBXML2
  xmlDocPtr x = xmlReadMemory(saved.data(), static_cast<int>(saved.size()), "settings.xml", nullptr,
                              XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  ASSERT_NE(x, nullptr) << "libxml2 refused the saved file";
  xmlNode* rootEl = xmlDocGetRootElement(x);
  ASSERT_NE(rootEl, nullptr);
  EXPECT_STREQ(reinterpret_cast<const char*>(rootEl->name), "GROUP");
  xmlChar* descr = xmlGetProp(rootEl, reinterpret_cast<const xmlChar*>("DESCR"));
  ASSERT_NE(descr, nullptr);
  EXPECT_STREQ(reinterpret_cast<const char*>(descr), "&P_Nastawy&E_Settings");
  xmlFree(descr);
  xmlFreeDoc(x);
#endif

  TLoaded back(saved);
  std::vector<TSettCompareLine> lines;
  EXPECT_TRUE(f.Root().CompareWith(&back.Root(), &lines));
  EXPECT_TRUE(lines.empty()) << (lines.empty() ? "" : lines[0].Text);
  EXPECT_TRUE(back.Root().CompareWith(&f.Root(), &lines));
  EXPECT_TRUE(std::isnan(TBaseXCfgTool::TextToFloatDef(back.Item("Meas", "Limit").ValueText(), 0)));
  EXPECT_EQ(back.Item("Meas", "Label").ValueText(), "Pole łąka"_cp);
  ExpectNothingModified(back.Root(), "reloaded");
  // A second save changes nothing more.
  EXPECT_EQ(back.Doc.SaveToString(), saved);
}

TEST(SettingsItems, SaveToFileAndLoadFromFile)
{
  TLibraryScope lib;
  TTempDir dir;
  const std::string path = dir.File("kivs.xml");
  TLoaded f(Fixture());
  f.Item("Meas", "Label").Tool().SetText("Nowa");
  f.Root().SaveToFile(path);
  TLhXmlDocument doc;
  doc.LoadFromFile(path);
  ASSERT_TRUE(doc.MainNode()->IsA(TSettGroup::StaticClass()));
  auto& root = static_cast<TSettGroup&>(*doc.MainNode());
  EXPECT_EQ(root.FindGroup("Meas")->FindItem("Label")->ValueText(), "Nowa");
  EXPECT_TRUE(root.CompareWith(&f.Root(), nullptr));
}

TEST(SettingsItems, CompareWith)
{
  TLibraryScope lib;
  auto doc = [](const std::string& body) { return kHeader + body; };
  const std::string base =
      doc("<GROUP NAME=\"R\"><GROUP NAME=\"A\"><ITEM NAME=\"x\" TYPE=\"INT\" VALUE=\"1\"/>"
          "<ITEM NAME=\"y\" TYPE=\"INT\" DEFVALUE=\"2\"/></GROUP><ITEM NAME=\"z\" TYPE=\"STR\" "
          "VALUE=\"s\"/></GROUP>");
  struct TCase {
    const char* Name;
    std::string Mine, Other;
    bool Same;
    std::vector<std::string> Lines;
  };
  const std::vector<TCase> cases = {
      {"identical", base, base, true, {}},
      {"other order and letter case",
       base,
       doc("<GROUP NAME=\"R\"><ITEM NAME=\"Z\" TYPE=\"STR\" VALUE=\"s\"/><GROUP NAME=\"a\">"
           "<ITEM NAME=\"Y\" TYPE=\"INT\" VALUE=\"2\"/><ITEM NAME=\"X\" TYPE=\"INT\" "
           "VALUE=\"1\"/></GROUP></GROUP>"),
       true,
       {}},
      {"different value",
       base,
       doc("<GROUP NAME=\"R\"><GROUP NAME=\"A\"><ITEM NAME=\"x\" TYPE=\"INT\" VALUE=\"5\"/>"
           "<ITEM NAME=\"y\" TYPE=\"INT\" DEFVALUE=\"2\"/></GROUP><ITEM NAME=\"z\" TYPE=\"STR\" "
           "VALUE=\"S\"/></GROUP>"),
       false,
       {"R\\A\\X : [1]<->[5]", "R\\Z : [s]<->[S]"}},
      {"missing item and group",
       base,
       doc("<GROUP NAME=\"R\"><ITEM NAME=\"z\" TYPE=\"STR\" VALUE=\"s\"/><GROUP NAME=\"B\"/></GROUP>"),
       false,
       {"R\\A;MISS", "R\\B;MORE"}},
      {"missing item in a group",
       base,
       doc("<GROUP NAME=\"R\"><GROUP NAME=\"A\"><ITEM NAME=\"x\" TYPE=\"INT\" VALUE=\"1\"/></GROUP>"
           "<ITEM NAME=\"z\" TYPE=\"STR\" VALUE=\"s\"/></GROUP>"),
       false,
       {"R\\A\\Y;MISS"}},
      {"one extra item on the other side",
       base,
       doc("<GROUP NAME=\"R\"><GROUP NAME=\"A\"><ITEM NAME=\"x\" TYPE=\"INT\" VALUE=\"1\"/>"
           "<ITEM NAME=\"y\" TYPE=\"INT\" DEFVALUE=\"2\"/><ITEM NAME=\"w\" TYPE=\"INT\"/></GROUP>"
           "<ITEM NAME=\"z\" TYPE=\"STR\" VALUE=\"s\"/></GROUP>"),
       false,
       {"R\\A\\W;MORE"}},
      {"an item where a group was",
       doc("<GROUP NAME=\"R\"><ITEM NAME=\"A\" TYPE=\"INT\" VALUE=\"1\"/></GROUP>"),
       doc("<GROUP NAME=\"R\"><GROUP NAME=\"A\"/></GROUP>"),
       false,
       {"R\\A;MISS", "R\\A;MORE"}},
      {"empty against filled", doc("<GROUP NAME=\"R\"/>"), base, false, {"R\\A;MORE", "R\\Z;MORE"}},
      {"filled against empty", base, doc("<GROUP NAME=\"R\"/>"), false, {"R\\A;MISS", "R\\Z;MISS"}},
  };
  for (const TCase& c : cases) {
    TLoaded mine(c.Mine), other(c.Other);
    std::vector<TSettCompareLine> lines;
    EXPECT_EQ(mine.Root().CompareWith(&other.Root(), &lines), c.Same) << c.Name;
    EXPECT_EQ(Texts(lines), c.Lines) << c.Name;
    EXPECT_EQ(mine.Root().CompareWith(&other.Root(), nullptr), c.Same) << c.Name;
  }

  // The attached objects: the item for a value or missing item, the group for a missing
  // group, none for an extra one.
  TLoaded mine(base), other(cases[3].Other);
  std::vector<TSettCompareLine> lines;
  mine.Root().CompareWith(&other.Root(), &lines);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].Object, mine.Root().FindGroup("A"));
  EXPECT_EQ(lines[1].Object, nullptr);
  TLoaded changed(cases[2].Other);
  mine.Root().CompareWith(&changed.Root(), &lines);
  EXPECT_EQ(lines.back().Object, mine.Root().FindItem("z"));
  lines.clear();
  EXPECT_FALSE(mine.Root().CompareWith(nullptr, &lines));
  EXPECT_EQ(Texts(lines), std::vector<std::string>{"R;MISS"});
  EXPECT_EQ(lines[0].Object, &mine.Root());
}

TEST(SettingsItems, CompareSlot)
{
  TLibraryScope lib;
  TDecimalScope comma(',');
  TLoaded a(Fixture()), b(Fixture());
  std::vector<std::string> reported;
  auto report = [&](const std::string& t) { reported.push_back(t); };
  EXPECT_TRUE(a.Root().Compare(b.Root(), report));
  EXPECT_TRUE(reported.empty());

  b.Item("Meas", "Gain").SetValueText("2");
  TLhXMLNode& asNode = a.Root();
  EXPECT_FALSE(asNode.Compare(b.Root(), report));
  EXPECT_EQ(reported, std::vector<std::string>{"KIVS\\MEAS\\GAIN : [1,5]<->[2]\\n"});

  // A file that is no settings file.
  reported.clear();
  TLhXmlDocument foreign;
  foreign.ReadFromString(kHeader + "<LANG_CFG LANGUAGE=\"PL\"/>");
  EXPECT_FALSE(a.Root().Compare(*foreign.MainNode(), report));
  EXPECT_EQ(reported, std::vector<std::string>{"Porównywany plik nie jest plikiem konfiguracji."_cp});
  EXPECT_FALSE(a.Root().Compare(*foreign.MainNode(), {}));
}

TEST(SettingsItems, LanguageFiltersTheTexts)
{
  TLibraryScope lib;
  TLoaded f(Fixture());
  TSettItem& label = f.Item("Meas", "Label");
  label.SetChildShortDescr("&P_krótko&E_short"_cp);
  label.SetDefValueText("&P_domyślna&E_default"_cp);
  f.Root().ShortDescr = "&!wspólny&E_common"_cp;
  f.Root().SetLanguage("E_");
  EXPECT_EQ(f.Root().Descr, "Settings");
  EXPECT_EQ(f.Root().ShortDescr, "wspólnycommon"_cp);
  EXPECT_EQ(label.GetChildDescr(), "children");
  EXPECT_EQ(label.GetChildShortDescr(), "short");
  EXPECT_EQ(label.DefValueText(), "default");
  EXPECT_EQ(f.Item("Meas", "Label").ValueText(), "Pole łąka"_cp);  // values stay as they are
  EXPECT_EQ(f.Item("Comm", "Speed").ReadAttrib("ITEMDESCR"), "slow|9600|19200");
  EXPECT_EQ(f.Item("Comm", "Speed").Tool().GetText(), "9600");

  // A text with no part for the language goes; so does its attribute.
  label.SetChildDescr("&P_tylko");
  label.SetLanguage("E_");
  EXPECT_EQ(label.FindAttrib("CHILD_DESCR"), nullptr);
  label.SetChildShortDescr("");
  EXPECT_EQ(label.FindAttrib("CHILD_SHORTDESCR"), nullptr);
}

TEST(SettingsItems, BuiltByCodeAndWritten)
{
  TLibraryScope lib;
  auto root = NewXmlNode<TSettGroup>();
  root->WriteAttrib("NAME", "Cfg");
  TSettGroup& g = root->AddGroup("Main");
  TSettItem& i = g.AddItem("Level", SK_FLOAT);
  i.SetDefValueText("0.5");
  i.Tool().SetAsFloat(3.25);
  EXPECT_EQ(i.GetPath(), "CFG\\MAIN\\LEVEL");
  EXPECT_TRUE(root->Modified());  // nothing was loaded, so any value is a change
  g.Descr = "Opis";
  TLhXmlDocument doc;
  doc.SetMainNode(std::move(root));
  const std::string saved = doc.SaveToString();
  EXPECT_NE(saved.find("<GROUP NAME=\"Cfg\">\r\n  <GROUP NAME=\"Main\" DESCR=\"Opis\">\r\n"
                       "    <ITEM NAME=\"Level\" TYPE=\"FLOAT\" VALUE=\"3.25\" DEFVALUE=\"0.5\"/>"),
            std::string::npos)
      << saved;
  // Empty descriptions are removed, not written empty.
  g.Descr.clear();
  EXPECT_EQ(doc.SaveToString().find("DESCR"), std::string::npos);
}

TEST(SettingsItems, DisplayFormatTables)
{
  ASSERT_EQ(SettDisplayFormatIds.size(), SettDisplayFormats.size());
  EXPECT_EQ(SettDisplayFormatIds[0], "AUTO");
  EXPECT_EQ(SettDisplayFormats[0], "AUTO");
  EXPECT_EQ(SettDisplayFormatIds[1], "mX_XXX");
  EXPECT_EQ(SettDisplayFormats[1], "X.XXX m");
  EXPECT_EQ(SettDisplayFormatIds[11], "kXXXX");
  EXPECT_EQ(SettDisplayFormats[11], "XXXX k");
  EXPECT_EQ(SettDisplayFormatIds[14], "MXXX_X");
  EXPECT_EQ(SettDisplayFormats[14], "XXX.X M");
  EXPECT_EQ(SettKindFromWord("AUTO"), SK_UNKNOWN);
  EXPECT_EQ(SettKindFromWord("DATE_TIME"), SK_DATE_TIME);
  EXPECT_EQ(SettKindFromWord("date_time"), SK_UNKNOWN);
  EXPECT_EQ(SettKindFromWord(""), SK_UNKNOWN);
}
