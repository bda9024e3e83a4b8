#include "ternik/XmlLight/ObjectXUnit.h"

#include <gtest/gtest.h>

#include <vector>

#include "TernikTestSupport.h"
#include "platform/Codepage.h"
#include "platform/NumText.h"
#include "platform/SysUtil.h"
#include "ternik/LangUnit.h"
#include "ternik/XmlLight/ObjectYUnit.h"
#include "ternik/XmlLight/WbStrUtils.h"

namespace {

// Records the languages passed down to it.
class TLangProbe : public TXObject {
public:
  TLangProbe(TLhXMLNode* parent, const std::string& name, const TXmlErrorEvent& onError)
      : TXObject(parent, name, onError)
  {}
  static const TNodeClass& StaticClass()
  {
    static const TNodeClass c{"PROBE", "TLangProbe", &TXObject::StaticClass(), &ConstructXmlNode<TLangProbe>};
    return c;
  }
  const TNodeClass& GetClass() const override { return StaticClass(); }
  void SetLanguage(const std::string& language) override
  {
    Seen.push_back(language);
    TXObject::SetLanguage(language);
  }
  std::vector<std::string> Seen;
};

std::bitset<256> Keep(std::string_view chars)
{
  std::bitset<256> set;
  for (char c : chars)
    set.set(static_cast<unsigned char>(c));
  return set;
}

}  // namespace

TEST(ObjectX, NameHashAndName)
{
  EXPECT_EQ(XObjectNameHash(""), 0);
  EXPECT_EQ(XObjectNameHash("abc"), 'A' + 'B' + 'C');
  EXPECT_EQ(XObjectNameHash("ABC"), XObjectNameHash("abc"));
  // The Polish letters count as their capitals, as unsigned bytes.
  EXPECT_EQ(XObjectNameHash("ą"_cp), 0xA5);
  EXPECT_EQ(XObjectNameHash(std::string(300, '\xFF')), (300 * 255) % 65536);

  auto o = NewXmlNode<TXObject>();
  EXPECT_EQ(o->ElementName(), "XOBJECT");
  EXPECT_EQ(o->GetName(), "XOBJECT");
  o->SetName("Pomiar");
  EXPECT_TRUE(o->HasName());
  EXPECT_EQ(o->NameHash(), XObjectNameHash("POMIAR"));
  o->DoFillAttribs();
  EXPECT_EQ(o->ReadAttrib("NAME"), "Pomiar");
  o->SetName("");
  EXPECT_FALSE(o->HasName());
  EXPECT_EQ(o->GetName(), "XOBJECT");
  o->DoFillAttribs();
  EXPECT_EQ(o->FindAttrib("NAME"), nullptr);

  // Only the exact attribute name sets the name.
  o->WriteAttrib("NAME", "x1");
  EXPECT_EQ(o->GetName(), "x1");
  o->WriteAttrib("name", "x2");
  EXPECT_EQ(o->GetName(), "x1");
}

TEST(ObjectX, FindChildObjectByHashNameAndClass)
{
  auto group = NewXmlNode<TXLangGroup>();
  group->AddItem("TXT_000", "a");
  group->AddItem("TXT_001", "b");
  auto& other = static_cast<TXObject&>(group->AddChildOfClass(TXObject::StaticClass()));
  other.SetName("TXT_002");
  group->AddChild("TXT_003", true);  // a plain node is never found
  // Same hash, other text: "TXT_010" and "TXT_001" sum to the same bytes.
  ASSERT_EQ(XObjectNameHash("TXT_010"), XObjectNameHash("TXT_001"));

  TXObject* found = group->FindChildObject(TXLangItem::StaticClass(), "txt_001");
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(found->GetName(), "TXT_001");
  EXPECT_EQ(group->FindChildObject(TXLangItem::StaticClass(), "TXT_010"), nullptr);
  EXPECT_EQ(group->FindChildObject(TXLangItem::StaticClass(), "TXT_002"), nullptr);
  EXPECT_EQ(group->FindChildObject(TXObject::StaticClass(), "txt_002"), &other);
  EXPECT_EQ(group->FindChildObject(TXObject::StaticClass(), "TXT_003"), nullptr);
}

TEST(ObjectX, GetChildObjectRefusesOtherNodes)
{
  auto o = NewXmlNode<TXObject>();
  o->AddChild("PLAIN", true);
  try {
    o->GetChildObject(0);
    FAIL() << "no exception";
  } catch (const EXObject& e) {
    EXPECT_STREQ(e.what(), "To nie jest TXOBject :PLAIN");
  }
  EXPECT_THROW(o->CheckOwners(), EXObject);
  EXPECT_THROW(o->SetLanguage("E_"), EXObject);
}

TEST(ObjectX, CheckOwnersReportsWrongLinks)
{
  std::vector<std::string> reports;
  auto root = NewXmlNode<TXObject>(nullptr, "", [&](const std::string& m) { reports.push_back(m); });
  auto& a = static_cast<TXObject&>(root->AddChildOfClass(TXObject::StaticClass()));
  a.AddChildOfClass(TXObject::StaticClass());
  EXPECT_TRUE(root->CheckOwners());
  EXPECT_TRUE(reports.empty());

  // A child put into the list without linking keeps no parent.
  a.Children().Add(NewXmlNode<TXObject>());
  // A second wrong link further on is not walked once the result is false.
  auto& b = static_cast<TXObject&>(root->AddChildOfClass(TXObject::StaticClass()));
  b.Children().Add(NewXmlNode<TXObject>());
  EXPECT_FALSE(root->CheckOwners());
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0], "Niepoprawna wartość pola OWNER \\n"_cp);
}

TEST(ObjectX, SetLanguageReachesEveryObject)
{
  auto root = NewXmlNode<TXObject>();
  auto& p1 = static_cast<TLangProbe&>(root->AddChildOfClass(TLangProbe::StaticClass()));
  auto& p2 = static_cast<TLangProbe&>(p1.AddChildOfClass(TLangProbe::StaticClass()));
  root->SetLanguage("E_");
  EXPECT_EQ(p1.Seen, std::vector<std::string>{"E_"});
  EXPECT_EQ(p2.Seen, std::vector<std::string>{"E_"});
}

TEST(ObjectX, LanguageAttributeIsRequired)
{
  auto o = NewXmlNode<TXObject>();
  try {
    o->GetLanguage();
    FAIL() << "no exception";
  } catch (const XLhException& e) {
    EXPECT_EQ(e.Code, 1);
  }
  o->WriteAttrib("LANGUAGE", "P_");
  EXPECT_EQ(o->GetLanguage(), "P_");
}

TEST(ObjectX, RefreshElementNamesAndSave)
{
  TLibraryScope lib;
  auto cfg = NewXmlNode<TXLangCfg>();
  TXLangGroup& g = cfg->AddGroup("G");
  g.AddItem("K", "t");
  g.SetElementName("RENAMED");
  g.GetChild(0).SetElementName("ALSO");
  TLhXMLNode& plain = g.AddChild("PLAIN", true);
  plain.AddChild("DEEP", true);
  cfg->RefreshElementNames();
  EXPECT_EQ(g.ElementName(), "LANG_GROUP");
  EXPECT_EQ(g.GetChild(0).ElementName(), "LANG_ITEM");
  EXPECT_EQ(plain.ElementName(), "PLAIN");

  g.SetElementName("RENAMED");
  TTempDir dir;  // the file and its backup
  const std::string path = dir.File("objectx.xml");
  cfg->SaveToFile(path);
  std::string bytes;
  ASSERT_TRUE(ReadWholeFile(path, bytes, 1 << 20));
  EXPECT_NE(bytes.find("<LANG_GROUP NAME=\"G\">"), std::string::npos) << bytes;
  EXPECT_EQ(bytes.find("RENAMED"), std::string::npos);
}

TEST(ObjectY, WritesOnlyWhatWasSet)
{
  auto y = NewXmlNode<TYObject>();
  EXPECT_EQ(y->ClassIdent(), "XOBJECT");
  y->SetName("N1");
  y->SetDevId("42");
  y->DoFillAttribs();
  ASSERT_EQ(y->Attribs().Count(), 2u);
  EXPECT_EQ(y->Attribs().Item(0).Name(), "NAME");
  EXPECT_EQ(y->Attribs().Item(1).Name(), "DEV_ID");
  EXPECT_EQ(y->Attribs().Item(1).Value(), "42");

  TDateTime t = 0;
  ASSERT_TRUE(TryEncodeDateTime(2018, 11, 22, 18, 30, 28, 125, t));
  y->SetRdTime(t);
  y->SetDevType("MV70");
  y->SetLanguageAttr("P_");
  y->ClearAttribs();
  y->DoFillAttribs();
  const char* order[] = {"NAME", "DEV_TYPE", "DEV_ID", "RD_TIME", "LANGUAGE"};
  ASSERT_EQ(y->Attribs().Count(), std::size(order));
  for (size_t i = 0; i < std::size(order); ++i)
    EXPECT_EQ(y->Attribs().Item(i).Name(), order[i]);
  EXPECT_EQ(y->ReadAttrib("RD_TIME"), DateTimeToXmlTimeStr(t));

  // Attributes as a reader or a copy hands them over.
  auto z = NewXmlNode<TYObject>();
  z->WriteAttrib("RD_TIME", "2018.11.22 18:30:28.125");
  z->WriteAttrib("DEV_TYPE", "LX3");
  z->WriteAttrib("LANGUAGE", "E_");
  EXPECT_TRUE(z->RdTimePresent());
  EXPECT_NEAR(z->RdTime(), t, 1e-9);
  EXPECT_EQ(z->DevType(), "LX3");
  EXPECT_EQ(z->Language(), "E_");
  EXPECT_FALSE(z->DevIdPresent());
  z->WriteAttrib("RD_TIME", "never");
  EXPECT_TRUE(z->RdTimePresent());
  EXPECT_EQ(z->RdTime(), 0);
}

TEST(FilterLangText, Table)
{
  struct Row {
    const char* language;
    const char* keep;
    const char* text;
    const char* result;
  };
  const Row rows[] = {
      {"E_", "", "&P_Tak&E_Yes", "Yes"},
      {"P_", "", "&P_Tak&E_Yes", "Tak"},
      {"__ALL__", "", "&P_Tak&E_Yes", "\x01Tak\x02Yes\x07"},
      {"E_", "", "A&&B", "A&B"},
      {"__ALL__", "", "A&&B", "A&B"},
      {"E_", "", "&!common", "common"},
      {"P_", "", "&!common", "common"},
      {"__ALL__", "", "&!common",
       "\x07"
       "common"},
      {"E_", "", "plain", "plain"},
      {"", "", "plain", "plain"},
      {"E_", "", "&P_Tak&!wsp", "wsp"},
      // A KeepSet character is always copied and ends the section.
      {"E_", "|", "&P_Tak|jeden|&E_Yes", "|jeden|Yes"},
      {"P_", "|", "&E_No|&P_Nie", "|Nie"},
      // Codes compare exactly, letter case included.
      {"E_", "", "&e_x", ""},
      // A short code has no second character, and nothing matches the missing one.
      {"E", "", "&E_Yes&P_Tak", ""},
      {"", "", "&E_Yes", ""},
      {"E", "|", "&E_Yes|after", "|after"},
      // "&" after "&" and one code character drops everything up to a KeepSet character.
      {"E_", "|", "&E&xyz|after", "|after"},
      {"E_", "", "&E&xyz", ""},
      {"__ALL__", "|", "&P_a&E&zz|b",
       "\x01"
       "a|b\x07"},
      {"__ALL__", "", "&X_abc",
       "\x07"
       "abc"},
      {"__ALL__", "", "&Pxabc", "abc"},
      {"__ALL__", "", "", ""},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(std::string(r.language) + " / " + r.text);
    EXPECT_EQ(FilterLangText(r.language, Keep(r.keep), r.text), r.result);
  }
}
