#include "ternik/LangUnit.h"

#include <gtest/gtest.h>

#include <vector>

#include "TernikTestSupport.h"
#include "platform/Codepage.h"
#include "platform/NumText.h"
#include "platform/SysUtil.h"

namespace {

std::vector<std::string> GroupNames(const TXLangCfg& cfg)
{
  std::vector<std::string> names;
  for (size_t i = 0; i < cfg.ChildCount(); ++i)
    names.push_back(cfg.GetChildObject(i).GetName());
  return names;
}

bool InOrder(const std::vector<std::string>& all, const std::vector<std::string>& wanted)
{
  size_t k = 0;
  for (const auto& n : all)
    if (k < wanted.size() && n == wanted[k])
      ++k;
  return k == wanted.size();
}

}  // namespace

TEST(LangUnit, StartUpGroupsAndLookUps)
{
  TLibraryScope lib;
  TXLangCfg& dict = LangDictionary();
  EXPECT_EQ(dict.Parent(), nullptr);
  EXPECT_FALSE(dict.HasName());
  EXPECT_EQ(dict.ElementName(), "LANG_CFG");
  EXPECT_EQ(dict.Charset, 1);
  EXPECT_TRUE(InOrder(GroupNames(dict), {"FileSignatureUnit", "XMeasBoxCpx", "VmBase"}));
  EXPECT_EQ(LanguageList().Value, 0);
  EXPECT_FALSE(LanguageList().ProgramPath.empty());

  ASSERT_NE(FileSignatureGroup(), nullptr);
  EXPECT_EQ(FileSignatureGroup()->ChildCount(), 4u);
  EXPECT_EQ(FileSignatureGroup()->Translate("txt_file1"), "Plik pojawił się na dysku."_cp);
  EXPECT_EQ(dict.FindGroup("filesignatureunit"), FileSignatureGroup());

  TXLangGroup* box = XMeasBoxCpxGroup();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->ChildCount(), 20u);
  EXPECT_EQ(box->FindItem("TXT_BladOtw"), &box->GetChildObject(10));
  EXPECT_EQ(box->Translate("TXT_ZawPliku"), "Zawartość pliku na dysku jest taka sama jak w edytorze."_cp);
  EXPECT_EQ(box->Translate("TXT_008"), "Bład dla nastawy"_cp);

  // Library classes come from the registry by element name.
  EXPECT_EQ(RegNodeList()->FindExact("LANG_ITEM"), &TXLangItem::StaticClass());
  EXPECT_EQ(RegNodeList()->FindExact("LANG_GROUP"), &TXLangGroup::StaticClass());
  EXPECT_EQ(RegNodeList()->FindExact("LANG_CFG"), &TXLangCfg::StaticClass());
  EXPECT_EQ(RegNodeList()->FindExact("XOBJECT"), &TXObject::StaticClass());
}

TEST(LangUnit, GroupsAndItems)
{
  auto cfg = NewXmlNode<TXLangCfg>();
  cfg->Language = "EN";
  TXLangGroup& g = cfg->AddGroup("Units");
  EXPECT_EQ(g.GetLanguage(), "EN");
  EXPECT_EQ(&cfg->FindOrAddGroup("UNITS"), &g);
  TXLangGroup& h = cfg->FindOrAddGroup("Other");
  EXPECT_NE(&h, &g);
  EXPECT_EQ(cfg->ChildCount(), 2u);
  // AddGroup does not look for an existing group.
  cfg->AddGroup("Units");
  EXPECT_EQ(cfg->ChildCount(), 3u);
  EXPECT_EQ(cfg->FindGroup("units"), &g);

  TXLangItem& first = g.AddItem("K1", "one");
  g.AddItem("K1", "again");
  EXPECT_EQ(g.ChildCount(), 2u);
  EXPECT_EQ(g.FindItem("k1"), &first);
  EXPECT_EQ(g.Translate("K1"), "one");
  EXPECT_EQ(first.OrgText, "one");
  EXPECT_EQ(g.Translate("K2"), "!!Not found in dictionary:Units\\K2");

  auto lone = NewXmlNode<TXLangGroup>();
  EXPECT_EQ(lone->GetLanguage(), "");
  EXPECT_EQ(lone->Translate("X"), "!!Not found in dictionary:LANG_GROUP\\X");
}

TEST(LangUnit, CharsetIdentifiers)
{
  struct Row {
    const char* ident;
    uint8_t charset;
    const char* written;
  };
  const Row rows[] = {
      {"EASTEUROPE_CHARSET", 238, "EASTEUROPE_CHARSET"},
      {"ansi_charset", 0, "ANSI_CHARSET"},
      {"RUSSIAN_CHARSET", 204, "RUSSIAN_CHARSET"},
      {"DEFAULT_CHARSET", 1, "DEFAULT_CHARSET"},
      {"FOO_CHARSET", 1, "DEFAULT_CHARSET"},
      {"", 1, "DEFAULT_CHARSET"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.ident);
    auto cfg = NewXmlNode<TXLangCfg>();
    cfg->Charset = 77;
    cfg->WriteAttrib("DEFAULT_CHARSET", r.ident);
    EXPECT_EQ(cfg->Charset, r.charset);
    cfg->ClearAttribs();
    cfg->DoFillAttribs();
    EXPECT_EQ(cfg->ReadAttrib("DEFAULT_CHARSET"), r.written);
  }
  // A number without an identifier is written as the default's identifier.
  auto cfg = NewXmlNode<TXLangCfg>();
  cfg->Charset = 99;
  cfg->DoFillAttribs();
  EXPECT_EQ(cfg->ReadAttrib("DEFAULT_CHARSET"), "DEFAULT_CHARSET");
  // LANGUAGE is taken whatever its letter case; DEFAULT_CHARSET only exactly.
  cfg->WriteAttrib("language", "PL");
  EXPECT_EQ(cfg->Language, "PL");
  cfg->WriteAttrib("default_charset", "GREEK_CHARSET");
  EXPECT_EQ(cfg->Charset, 99);
}

// The start-up dictionary written as a file: one LANG_GROUP per group in registration order,
// every item with TEXT equal to ORGTXT; read back, it holds the same groups and texts.
TEST(LangUnit, WriteThenReadRoundTrip)
{
  TLibraryScope lib;
  TXLangCfg& dict = LangDictionary();
  dict.Language = "PL";
  TTempDir dir;  // the file and its backup
  const std::string path = dir.File("langdict.xml");
  dict.SaveToFile(path);

  std::string bytes;
  ASSERT_TRUE(ReadWholeFile(path, bytes, 1 << 22));
  EXPECT_EQ(bytes.compare(0, 3, "\xEF\xBB\xBF"), 0);
  EXPECT_NE(bytes.find("<LANG_CFG LANGUAGE=\"PL\" DEFAULT_CHARSET=\"DEFAULT_CHARSET\">\r\n"),
            std::string::npos);
  EXPECT_NE(bytes.find("  <LANG_GROUP NAME=\"FileSignatureUnit\">\r\n"
                       "    <LANG_ITEM NAME=\"TXT_FILE1\" TEXT=\"Plik pojawi\xC5\x82 si\xC4\x99"
                       " na dysku.\" ORGTXT=\"Plik pojawi\xC5\x82 si\xC4\x99 na dysku.\"/>\r\n"),
            std::string::npos);

  std::unique_ptr<TXLangCfg> back = LoadLangFile(path);
  EXPECT_EQ(back->Language, "PL");
  EXPECT_EQ(back->Charset, 1);
  ASSERT_EQ(GroupNames(*back), GroupNames(dict));
  for (size_t i = 0; i < dict.ChildCount(); ++i) {
    TXObject& g = dict.GetChildObject(i);
    TXObject& b = back->GetChildObject(i);
    ASSERT_TRUE(b.IsA(TXLangGroup::StaticClass()));
    ASSERT_EQ(b.ChildCount(), g.ChildCount()) << g.GetName();
    for (size_t k = 0; k < g.ChildCount(); ++k) {
      auto& gi = static_cast<TXLangItem&>(g.GetChildObject(k));
      auto& bi = static_cast<TXLangItem&>(b.GetChildObject(k));
      EXPECT_EQ(bi.GetName(), gi.GetName());
      EXPECT_EQ(bi.Text, gi.Text);
      EXPECT_EQ(bi.OrgText, gi.OrgText);
      EXPECT_EQ(bi.Text, bi.OrgText);
    }
  }
}

TEST(LangUnit, TranslationReplacesTextsAndKeepsDefaults)
{
  TLibraryScope lib;
  TTempDir dir;  // the file and its backup
  const std::string path = dir.File("langtrans.xml");
  {
    auto tr = NewXmlNode<TXLangCfg>();
    tr->Language = "EN";
    tr->Charset = 238;
    TXLangGroup& g = tr->AddGroup("filesignatureunit");
    g.AddItem("TXT_FILE2", "The file vanished").OrgText = "ignored";
    g.AddItem("TXT_NOPE", "unknown key");
    tr->AddGroup("NoSuchGroup").AddItem("A", "b");
    tr->SaveToFile(path);
  }
  std::unique_ptr<TXLangCfg> tr = LoadLangFile(path);
  EXPECT_EQ(LangDictionary().ApplyTranslation(*tr), 1u);
  EXPECT_EQ(LangDictionary().Language, "EN");
  EXPECT_EQ(LangDictionary().Charset, 238);
  TXLangItem* item = FileSignatureGroup()->FindItem("TXT_FILE2");
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->Text, "The file vanished");
  EXPECT_EQ(item->OrgText, "Plik zniknął z dysku"_cp);
  EXPECT_EQ(FileSignatureGroup()->ChildCount(), 4u);
  EXPECT_EQ(LangDictionary().FindGroup("NoSuchGroup"), nullptr);
}

TEST(LangUnit, LoadRefusesOtherFiles)
{
  TLibraryScope lib;
  TTempDir dir;  // the file and its backup
  const std::string path = dir.File("langother.xml");
  {
    TLhXmlDocument doc;
    doc.GetMainNode("ROOT", true).AddChild("LANG_GROUP", true);
    doc.SaveToFile(path);
  }
  EXPECT_THROW(LoadLangFile(path), XLhException);
  EXPECT_THROW(LoadLangFile(path + ".missing"), XLhException);
}

TEST(LangUnit, AbsentOutsideTheLibrary)
{
  ASSERT_FALSE(LibraryInitialized());
  EXPECT_FALSE(LangDictionaryExists());
  EXPECT_THROW(LangDictionary(), EXObject);
}
