// The XML dialect as text: tokens, grammar errors, escaping, Booleans, floats, names.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "platform/Codepage.h"
#include "TernikTestSupport.h"
#include "ternik/XmlLight/XmlLight2Unit.h"

namespace {

struct TTok {
  std::string Text;
  int Flags;
};

std::vector<TTok> Tokens(const std::string& data)
{
  TTextStream s(data);
  std::vector<TTok> out;
  for (int guard = 0; guard < 100; ++guard) {
    uint8_t fl = 0;
    std::string t;
    s.ReadToken(t, fl);
    out.push_back({t, fl});
    if (fl & TF_END)
      break;
  }
  return out;
}

struct TTokCase {
  const char* Name;
  std::string Data;
  std::vector<TTok> Expected;
};

class TokenizerTest : public ::testing::TestWithParam<TTokCase> {};

TEST_P(TokenizerTest, GivesTokensAndFlags)
{
  const TTokCase& c = GetParam();
  std::vector<TTok> got = Tokens(c.Data);
  ASSERT_EQ(got.size(), c.Expected.size()) << c.Name;
  for (size_t i = 0; i < got.size(); ++i) {
    EXPECT_EQ(got[i].Text, c.Expected[i].Text) << c.Name << " token " << i;
    EXPECT_EQ(got[i].Flags, c.Expected[i].Flags) << c.Name << " token " << i;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Forms, TokenizerTest,
    ::testing::Values(TTokCase{"start tag",
                               "<A x=\"1\">",
                               {{"A", TF_OPEN}, {"x", TF_EQUALS}, {"1", 0}, {"", TF_CLOSE | TF_END}}},
                      TTokCase{
                          "empty element", "<A/>", {{"A", TF_OPEN | TF_SLASH_AFTER | TF_CLOSE | TF_END}}},
                      TTokCase{"closing tag", "</A>", {{"A", TF_OPEN | TF_SLASH_BEFORE | TF_CLOSE | TF_END}}},
                      TTokCase{"slash after attributes",
                               "x=\"1\"/>",
                               {{"x", TF_EQUALS}, {"1", 0}, {"", TF_SLASH_BEFORE | TF_CLOSE | TF_END}}},
                      TTokCase{"header",
                               "<?xml v=\"1\"?>",
                               {{"xml", TF_OPEN | TF_QUESTION},
                                {"v", TF_EQUALS},
                                {"1", 0},
                                {"", TF_QUESTION | TF_CLOSE | TF_END}}},
                      TTokCase{"quoted keeps markup", "\"a <b>=/c\"", {{"a <b>=/c", TF_END}}},
                      TTokCase{"empty quoted", "\"\"x", {{"", 0}, {"x", TF_END}}},
                      TTokCase{"quote inside span stays", "ab\"cd\" e", {{"ab\"cd", 0}, {"e", TF_END}}},
                      TTokCase{"'<' after bytes is left", "ab<c", {{"ab", 0}, {"c", TF_OPEN | TF_END}}},
                      TTokCase{"white space and BOM bytes",
                               " \t\r\n\xEF\xBB\xBF"
                               "a b",
                               {{"a", 0}, {"b", TF_END}}},
                      TTokCase{"bare value then '='", "x = 1", {{"x", 0}, {"", TF_EQUALS}, {"1", TF_END}}},
                      TTokCase{"empty data", "", {{"", TF_END}}}));

TEST(Tokenizer, CountsLinesAndColumnsAndSeekResets)
{
  TTextStream s("<A>\r\n  <B");
  std::string t;
  uint8_t fl = 0;
  s.ReadToken(t, fl);
  EXPECT_EQ(s.Line(), 0u);
  EXPECT_EQ(s.Column(), 3u);
  s.ReadToken(t, fl);
  EXPECT_EQ(t, "B");
  EXPECT_EQ(s.Line(), 1u);
  EXPECT_EQ(s.Column(), 4u);
  EXPECT_TRUE(s.Eof());
  s.Seek(0);
  EXPECT_EQ(s.Line(), 0u);
  EXPECT_EQ(s.Column(), 0u);
  EXPECT_FALSE(s.Eof());
}

// --- grammar errors ---

struct TErrCase {
  const char* Name;
  std::string Data;
  int32_t Code;
  std::string Message;
};

class GrammarErrorTest : public ::testing::TestWithParam<TErrCase> {};

TEST_P(GrammarErrorTest, RaisesCodeAndMessage)
{
  TLibraryScope lib;
  const TErrCase& c = GetParam();
  TLhXmlDocument doc;
  try {
    doc.ReadFromString(c.Data);
    FAIL() << c.Name << ": no exception";
  } catch (const XLhException& e) {
    EXPECT_EQ(e.Code, c.Code) << c.Name;
    EXPECT_EQ(std::string(e.what()), c.Message) << c.Name;
  }
  // A failed load leaves nothing behind.
  EXPECT_EQ(doc.MainNode(), nullptr) << c.Name;
  EXPECT_EQ(doc.HeaderAttribs().Count(), 0u) << c.Name;
}

INSTANTIATE_TEST_SUITE_P(
    Codes, GrammarErrorTest,
    ::testing::Values(TErrCase{"wrong closing tag", "<A>\r\n<C/></B>", XLH_CLOSING_WRONG_NODE,
                               "XML. Clossing wrong node: A\\B. Line=2 Char=9"},
                      TErrCase{"nested wrong closing", "<A><B></A></A>", XLH_CLOSING_WRONG_NODE,
                               "XML. Clossing wrong node: A\\B\\A. Line=1 Char=11"},
                      TErrCase{"closing is exact", "<A></a>", XLH_CLOSING_WRONG_NODE,
                               "XML. Clossing wrong node: A\\a. Line=1 Char=8"},
                      TErrCase{"truncated inside element", "<A>\r\n  <B x=\"1\">", XLH_CLOSING_WRONG_NODE,
                               "XML. Clossing wrong node: A\\B\\. Line=2 Char=12"},
                      TErrCase{"truncated in value", "<A x=\"abc", XLH_CLOSING_WRONG_NODE,
                               "XML. Clossing wrong node: A\\. Line=1 Char=10"},
                      TErrCase{"text before main", "hello <A/>", XLH_SECTION_NOT_OPEN,
                               "Xml. Section is not open. Line=1 Char=7"},
                      TErrCase{"second main element", "<A/>\r\n<B/>", XLH_DUPLICATED_MAIN_NODE,
                               "Xml Error. Duplicated main node. Line=2 Char=5"},
                      TErrCase{"header without ?", "<?xml version=\"1.0\">", XLH_HEADER_NOT_CLOSED,
                               "Xml Error. Clossing Xml attributes without \"?\"."},
                      TErrCase{"comment inside element", "<A>\r\n<!-- note -->\r\n</A>", XLH_BAD_NAME,
                               "XML. Wrong node name:!--"},
                      TErrCase{"bad attribute name", "<A b-c=\"1\"/>", XLH_BAD_NAME,
                               "XML.Bad attribute name:b-c"},
                      TErrCase{"bad main node name", "<A.B/>", XLH_BAD_NAME, "XML. Wrong node name:A.B"},
                      // "<>" would be written back as "</>", which reads as a closing tag.
                      TErrCase{"element without name", "<A><></A>", XLH_BAD_NAME, "XML. Wrong node name:"},
                      TErrCase{"main without name", "<>", XLH_BAD_NAME, "XML. Wrong node name:"}));

TEST(Grammar, DeepNestingIsRefused)
{
  TLibraryScope lib;
  std::string data;
  for (int i = 0; i < 5000; ++i)
    data += "<A>";
  TLhXmlDocument doc;
  try {
    doc.ReadFromString(data);
    FAIL();
  } catch (const XLhException& e) {
    EXPECT_EQ(e.Code, XLH_TOO_DEEP);
  }
}

struct TFormCase {
  const char* Name;
  std::string Data;
  std::string Attrs;  // name=value;... of the main node
  size_t Children;
};

class GrammarFormTest : public ::testing::TestWithParam<TFormCase> {};

TEST_P(GrammarFormTest, ReadsElement)
{
  TLibraryScope lib;
  const TFormCase& c = GetParam();
  TLhXmlDocument doc;
  doc.ReadFromString(c.Data);
  ASSERT_NE(doc.MainNode(), nullptr) << c.Name;
  const TLhXMLNode& n = *doc.MainNode();
  std::string attrs;
  for (size_t i = 0; i < n.Attribs().Count(); ++i)
    attrs += n.Attribs().Item(i).Name() + "=" + n.Attribs().Item(i).Value() + ";";
  EXPECT_EQ(n.ElementName(), "A") << c.Name;
  EXPECT_EQ(attrs, c.Attrs) << c.Name;
  EXPECT_EQ(n.ChildCount(), c.Children) << c.Name;
}

INSTANTIATE_TEST_SUITE_P(
    Forms, GrammarFormTest,
    ::testing::Values(TFormCase{"empty with attribute", "<A x=\"1\"/>", "x=1;", 0},
                      TFormCase{"open and close", "<A x=\"1\"></A>", "x=1;", 0},
                      TFormCase{"bare empty", "<A/>", "", 0},
                      TFormCase{"blanks round '='", "<A x = \"1\"></A>", "x=1;", 0},
                      TFormCase{"bare value", "<A x=1 y=2></A>", "x=1;y=2;", 0},
                      // A name without '=' takes the next token as value, and that token is read again.
                      TFormCase{"name without '='", "<A x \"v\" y=\"2\"/>", "x=v;v=y;y=2;", 0},
                      TFormCase{"repeated attribute replaces", "<A x=\"1\" x=\"2\"/>", "x=2;", 0},
                      TFormCase{"children", "<A><B/><C></C><D x=\"1\"/></A>", "", 3},
                      TFormCase{"header optional and stored", "<?xml version=\"1.0\"?><A/>", "", 0},
                      TFormCase{"closing without '>' at end", "<A><B/></A", "", 1},
                      TFormCase{"trailing blanks", "<A/>\r\n\r\n  ", "", 0}));

TEST(Grammar, BomWinsOverHeaderEncoding)
{
  TLibraryScope lib;
  TLhXmlDocument doc;
  // "Łódź" in UTF-8 under a header that claims windows-1252.
  doc.ReadFromString("\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"windows-1252\"?><A v=\"\xC5\x81\xC3\xB3"
                     "d\xC5\xBA\"/>");
  EXPECT_EQ(doc.MainNode()->ReadAttrib("v"), std::string("Łódź"_cp));
  EXPECT_EQ(doc.HeaderAttribs().Find("encoding")->Value(), "windows-1252");
  EXPECT_EQ(doc.HeaderAttribs().Count(), 2u);
}

TEST(Grammar, Utf8FileKeepsReferencedAndStrayBytes)
{
  TLhXmlDocument doc;
  // A reference up to 255 is a byte; a byte that starts no UTF-8 sequence stays as it is.
  doc.ReadFromString("\xEF\xBB\xBF<A r=\"&#xE9;&#xB3;\" s=\"\xB3\xC5\x82\" u=\"\xE4\xB8\xAD\"/>");
  EXPECT_EQ(doc.MainNode()->ReadAttrib("r"), "\xE9\xB3");
  EXPECT_EQ(doc.MainNode()->ReadAttrib("s"), "\xB3\xB3");
  EXPECT_EQ(doc.MainNode()->ReadAttrib("u"), "?");  // a character the code page lacks
}

TEST(Grammar, WithoutBomValuesAreSingleByte)
{
  TLibraryScope lib;
  TLhXmlDocument doc;
  doc.ReadFromString("<?xml version=\"1.0\" encoding=\"UTF-8\"?><A v=\"\xA3\xF3\"/>");
  EXPECT_EQ(doc.MainNode()->ReadAttrib("v"), "\xA3\xF3");
}

// --- values ---

struct TUnescapeCase {
  std::string In;
  bool Utf8;
  std::string Out;
};

class UnescapeTest : public ::testing::TestWithParam<TUnescapeCase> {};

TEST_P(UnescapeTest, Decodes)
{
  const TUnescapeCase& c = GetParam();
  EXPECT_EQ(UnescapeXmlValue(c.In, c.Utf8), c.Out) << c.In;
}

INSTANTIATE_TEST_SUITE_P(
    Values, UnescapeTest,
    ::testing::Values(
        TUnescapeCase{"a&amp;lt;b", false, "a&lt;b"}, TUnescapeCase{"&#65;&#x42;", false, "AB"},
        TUnescapeCase{"&a;", false, "&a;"}, TUnescapeCase{"x&quot;y&apos;z&gt;", false, "x\"y'z>"},
        TUnescapeCase{"&AMP;", false, "&AMP;"}, TUnescapeCase{"&#x;", false, "&#x;"},
        TUnescapeCase{"&#1a;", false, "&#1a;"}, TUnescapeCase{"&amp", false, "&amp"},
        TUnescapeCase{"&toolong;", false, "&toolong;"}, TUnescapeCase{"\tabc\r\n", false, "abc"},
        TUnescapeCase{" abc ", false, " abc "}, TUnescapeCase{"&#9;x", false, "x"},
        TUnescapeCase{"<![CDATA[ &amp;\t]]>", false, " &amp;\t"}, TUnescapeCase{"<![cdata[x]]>", false, "x"},
        TUnescapeCase{"<![CDATA[x", false, ""},
        // A decoded ';' closes an entity further left: the scan runs right to left.
        TUnescapeCase{"&lt&#59;", false, "<"},
        // References above 255: the character when the code page has it, never a cut byte.
        TUnescapeCase{"&#321;", false, "\xA3"}, TUnescapeCase{"&#x141;", true, "\xC5\x81"},
        TUnescapeCase{"&#x4E2D;", false, "&#x4E2D;"},
        TUnescapeCase{"&#99999999999;", false, "&#99999999999;"}, TUnescapeCase{"&#233;", false, "\xE9"}));

struct TEscapeCase {
  std::string In;
  bool Utf8;
  std::string Out;
};

class EscapeTest : public ::testing::TestWithParam<TEscapeCase> {};

TEST_P(EscapeTest, EncodesAndReadsBack)
{
  const TEscapeCase& c = GetParam();
  EXPECT_EQ(EscapeXmlValue(c.In, c.Utf8), c.Out) << c.In;
  // Read back the way a file of that kind is read.
  TLhXmlDocument doc;
  doc.ReadFromString((c.Utf8 ? "\xEF\xBB\xBF" : "") + std::string("<A v=\"") + c.Out + "\"/>");
  EXPECT_EQ(doc.MainNode()->ReadAttrib("v"), c.In);
}

INSTANTIATE_TEST_SUITE_P(
    Values, EscapeTest,
    ::testing::Values(TEscapeCase{"a&b>c", false, "a&#x26;b&#x3E;c"},
                      TEscapeCase{"a&b>c", true, "a&#x26;b>c"}, TEscapeCase{"&lt;", true, "&#x26;lt;"},
                      TEscapeCase{"Zażółć x=1,2;[a]\\b/_-.!"_cp, false,
                                  "Za\xBF\xF3\xB3\xE6 x=1,2;[a]\\b/_-.!"},
                      TEscapeCase{"Zażółć"_cp, true, "Za\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87"},
                      TEscapeCase{"q\"<'#", false, "q&#x22;&#x3C;&#x27;&#x23;"},
                      TEscapeCase{"q\"<'#", true, "q&#x22;&#x3C;'#"}, TEscapeCase{"\xE9", false, "&#xE9;"},
                      TEscapeCase{"", false, ""},
                      // Bytes the code page leaves undefined have no UTF-8 form of their own.
                      TEscapeCase{"\x81x\x98", true, "&#x81;x&#x98;"}));

TEST(Escape, ZeroByteIsEscapedInUtf8) { EXPECT_EQ(EscapeXmlValue(std::string("a\0b", 3), true), "a&#x00;b"); }

// --- Booleans, floats, names ---

struct TBoolCase {
  std::string Text;
  bool AllowPrefix;
  bool Recognised;
  bool Value;
  int Pair;
};

class BoolWordsTest : public ::testing::TestWithParam<TBoolCase> {};

TEST_P(BoolWordsTest, Recognises)
{
  const TBoolCase& c = GetParam();
  bool v = !c.Value;
  int pair = -5;
  EXPECT_EQ(XmlStrToBool(c.Text, v, pair, c.AllowPrefix), c.Recognised) << c.Text;
  if (c.Recognised) {
    EXPECT_EQ(v, c.Value) << c.Text;
    EXPECT_EQ(pair, c.Pair) << c.Text;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Words, BoolWordsTest,
    ::testing::Values(TBoolCase{"TAK", false, true, true, 5}, TBoolCase{"false", false, true, false, 0},
                      TBoolCase{"PRAWDA", false, true, true, 1}, TBoolCase{"FAŁSZ"_cp, false, true, false, 1},
                      TBoolCase{"-1", false, true, true, 3}, TBoolCase{"n", false, true, false, 6},
                      TBoolCase{"t", false, true, true, 7}, TBoolCase{"On", false, true, true, 8},
                      TBoolCase{"f", true, true, false, 3}, TBoolCase{"f", false, false, false, 0},
                      TBoolCase{"o", true, false, false, 0}, TBoolCase{"ta", true, true, true, 5},
                      TBoolCase{"pr", true, true, true, 1}, TBoolCase{"", true, false, false, 0},
                      TBoolCase{"maybe", true, false, false, 0}));

TEST(BoolWords, WritesOneAndZero)
{
  EXPECT_EQ(BoolToXmlStr(true), "1");
  EXPECT_EQ(BoolToXmlStr(false), "0");
}

TEST(FloatText, GeneralWithPointAndFifteenDigits)
{
  const std::pair<double, const char*> cases[] = {{0.1, "0.1"},
                                                  {-2.5, "-2.5"},
                                                  {1E-5, "1E-5"},
                                                  {1E48, "1E48"},
                                                  {123456789012345678.0, "1.23456789012346E17"},
                                                  {1.0 / 3, "0.333333333333333"},
                                                  {-0.0, "0"},
                                                  {100, "100"}};
  for (const auto& [v, text] : cases)
    EXPECT_EQ(XmlFloatToStr(v), text) << text;
}

TEST(Names, CaseFoldOnlyLettersAndPolish)
{
  EXPECT_EQ(CaseFoldName("abz_09:\xFF"), "ABZ_09:\xFF");
  EXPECT_EQ(CaseFoldName("ąćęłńóśźż"_cp), std::string("ĄĆĘŁŃÓŚŹŻ"_cp));
  EXPECT_EQ(CaseFoldName("äö"_cp), std::string("äö"_cp));  // the upper-case table would change these
  EXPECT_TRUE(SameFoldedName("item", "ITEM"));
  EXPECT_FALSE(SameFoldedName("item", "ITEMS"));
}

TEST(Names, NameSet)
{
  EXPECT_TRUE(IsXmlName(""));
  EXPECT_TRUE(IsXmlName("A_b:9"));
  for (std::string bad : {"a-b", "a.b", "a b", "!--", "\xA3"})
    EXPECT_FALSE(IsXmlName(bad)) << bad;
}

TEST(SplitToStrings, PartsBetweenSeparators)
{
  std::vector<std::string> l{"old"};
  SplitToStrings("A\\B\\\\C", l, '\\');
  EXPECT_EQ(l, (std::vector<std::string>{"A", "B", "", "C"}));
  SplitToStrings("", l, '\\');
  EXPECT_TRUE(l.empty());
  SplitToStrings("A\\", l, '\\');
  EXPECT_EQ(l, (std::vector<std::string>{"A", ""}));
}

TEST(BackupName, TildeAfterTheDot)
{
  const std::pair<const char*, const char*> cases[] = {{"data.xml", "data.~xml"},
                                                       {"/d/a.b/data", "/d/a.b/data~"},
                                                       {"noext", "noext~"},
                                                       {"x.tar.gz", "x.tar.~gz"},
                                                       {"dir/.hidden", "dir/.~hidden"}};
  for (const auto& [in, out] : cases)
    EXPECT_EQ(BackupFileName(in), out) << in;
}

}  // namespace
