// The node tree and the document: reading, writing, saving whole and by section, comparing.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "TernikTestSupport.h"
#include "tests/platform/SpecialFiles.h"
#include "ternik/XmlLight/XmlLight2Unit.h"

namespace {

const std::string kBom = "\xEF\xBB\xBF";
const std::string kHeader = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n";

TEST(XmlDocument, WholeFileRoundTripIsByteExact)
{
  TLibraryScope lib;
  const std::string text = kBom + kHeader +
                           "<ROOT a=\"1\" b=\"x y\">\r\n"
                           "  <A NAME=\"one\" v=\"2\"/>\r\n"
                           "  <B>\r\n"
                           "    <C z=\"&#x3C;&#x26;&#x22;\"/>\r\n"
                           "  </B>\r\n"
                           "</ROOT>\r\n";
  TLhXmlDocument doc;
  doc.ReadFromString(text);
  ASSERT_NE(doc.MainNode(), nullptr);
  EXPECT_EQ(doc.MainNode()->ElementName(), "ROOT");
  EXPECT_EQ(doc.MainNode()->GetChild(1).GetChild(0).ReadAttrib("z"), "<&\"");
  EXPECT_EQ(doc.SaveToString(), text);
}

std::string Doc(const std::string& body) { return kBom + kHeader + body; }

// A typed node that takes fields from its attributes, as the library's object classes do.
class TTestItem : public TLhXMLNode {
public:
  using TLhXMLNode::TLhXMLNode;
  static const TNodeClass& StaticClass()
  {
    static const TNodeClass c{"ITEM", "TTestItem", &TLhXMLNode::StaticClass(), &ConstructXmlNode<TTestItem>};
    return c;
  }
  const TNodeClass& GetClass() const override { return StaticClass(); }
  void ExecAttrib(const std::string& name, const std::string& value) override
  {
    if (name == "BAD")
      throw std::runtime_error("bad");
    Log.push_back(name + "=" + value);
    if (name == "KIND")
      Kind = value;
  }
  void FillAttribs() override
  {
    if (!Kind.empty())
      WriteAttrib("KIND", Kind);
  }
  void AfterLoad() override
  {
    // A child sees its parent's fields already taken from the start tag.
    if (Parent() && Parent()->IsA(StaticClass()))
      Log.push_back("parent kind " + static_cast<TTestItem*>(Parent())->Kind);
    ++AfterLoads;
  }
  std::vector<std::string> Log;
  std::string Kind;
  int AfterLoads = 0;
};

class TTestGroup : public TLhXMLNode {
public:
  using TLhXMLNode::TLhXMLNode;
  static const TNodeClass& StaticClass()
  {
    static const TNodeClass c{"GROUP", "TTestGroup", &TLhXMLNode::StaticClass(),
                              &ConstructXmlNode<TTestGroup>};
    return c;
  }
  const TNodeClass& GetClass() const override { return StaticClass(); }
};

// A registry of the test classes, in use for the length of a test.
struct TTestRegistry {
  TTestRegistry()
  {
    List.Register(TLhXMLNode::StaticClass());
    List.Register(TTestItem::StaticClass());
    List.Register(TTestGroup::StaticClass());
    Old = SetRegNodeList(&List);
  }
  ~TTestRegistry() { SetRegNodeList(Old); }
  TRegNodeList List;
  TRegNodeList* Old;
};

struct TMessages {
  std::vector<std::string> Lines;
  TXmlErrorEvent Sink()
  {
    return [this](const std::string& m) { Lines.push_back(m); };
  }
};

TEST(XmlDocument, SingleByteWriterEscapesOutsidePlainSet)
{
  TLibraryScope lib;
  auto root = NewXmlNode<TLhXMLNode>(nullptr, "R");
  root->WriteAttrib("v", "a&b>c\xB3");
  root->AddChild("C").WriteAttrib("w", "x");
  std::string out;
  root->WriteDocument(out, true, false, 0);
  EXPECT_EQ(out, "<?xml version=\"1.0\" encoding=\"windows-1252\" standalone=\"yes\"?>\r\n"
                 "<R v=\"a&#x26;b&#x3E;c\xB3\">\r\n  <C w=\"x\"/>\r\n</R>\r\n");
  std::string utf8;
  root->WriteDocument(utf8, false, true, 0);
  EXPECT_EQ(utf8, kBom + "<R v=\"a&#x26;b>c\xC5\x82\">\r\n  <C w=\"x\"/>\r\n</R>\r\n");
}

TEST(XmlDocument, SaveMaskOmitsSubtree)
{
  TLibraryScope lib;
  auto root = NewXmlNode<TLhXMLNode>(nullptr, "R");
  TLhXMLNode& a = root->AddChild("A");
  a.AddChild("A1");
  a.SaveMask = 2;
  root->AddChild("B").WriteAttrib("x", "1");
  root->FindChild("B")->Attribs().Find("x")->SaveMask = 4;
  std::string out;
  root->WriteToStream(out, true, 2);
  EXPECT_EQ(out, "<R>\r\n  <B x=\"1\"/>\r\n</R>\r\n");
  out.clear();
  root->WriteToStream(out, true, 4);
  EXPECT_EQ(out, "<R>\r\n  <A>\r\n    <A1/>\r\n  </A>\r\n  <B/>\r\n</R>\r\n");
}

TEST(XmlDocument, WholeSaveWritesTheNodeWhateverItsMask)
{
  TLibraryScope lib;
  TTempDir dir;
  auto root = NewXmlNode<TLhXMLNode>(nullptr, "R");
  root->SaveMask = 2;
  root->AddChild("HIDDEN").SaveMask = 3;
  root->AddChild("SHOWN").SaveMask = 4;
  root->SaveToFile(dir.File("m.xml"));
  EXPECT_EQ(ReadBytes(dir.File("m.xml")), Doc("<R>\r\n  <SHOWN/>\r\n</R>\r\n"));
  // Written by itself with a mask that meets its own, a node still writes nothing.
  std::string out;
  root->WriteDocument(out, true, true, 2);
  EXPECT_EQ(out, "");
}

TEST(XmlDocument, WholeSaveKeepsPreviousContentAsBackup)
{
  TLibraryScope lib;
  TTempDir dir;
  const std::string file = dir.File("data.xml");
  TLhXmlDocument doc;
  doc.GetMainNode("ROOT").WriteAttrib("v", "1");
  doc.SaveToFile(file);
  const std::string first = ReadBytes(file);
  EXPECT_EQ(first, Doc("<ROOT v=\"1\"/>\r\n"));
  doc.MainNode()->WriteAttrib("v", "2");
  doc.SaveToFile();
  EXPECT_EQ(ReadBytes(file), Doc("<ROOT v=\"2\"/>\r\n"));
  EXPECT_EQ(ReadBytes(dir.File("data.~xml")), first);
  // Nothing else is left in the folder.
  EXPECT_EQ(dir.Count(), 2);
}

TEST(XmlDocument, SaveThroughALinkReplacesItsTargetAndBacksUpBesideIt)
{
  TLibraryScope lib;
  TTempDir dir;
  std::filesystem::create_directory(dir.File("real"));
  const std::string target = dir.File("real/x.xml");
  WriteBytes(target, "<OLD/>\r\n");
  std::filesystem::permissions(target, std::filesystem::perms::owner_read |
                                           std::filesystem::perms::group_read |
                                           std::filesystem::perms::others_read);
  std::filesystem::create_symlink("real/x.xml", dir.File("link.xml"));
  TLhXmlDocument doc;
  doc.GetMainNode("NEW");
  doc.SaveToFile(dir.File("link.xml"));
  EXPECT_TRUE(std::filesystem::is_symlink(dir.File("link.xml")));
  EXPECT_EQ(ReadBytes(target), Doc("<NEW/>\r\n"));
  EXPECT_EQ(std::filesystem::status(target).permissions() & std::filesystem::perms::all,
            std::filesystem::perms(0444));
  EXPECT_EQ(ReadBytes(dir.File("real/x.~xml")), "<OLD/>\r\n");
  EXPECT_FALSE(std::filesystem::exists(dir.File("link.~xml")));
  size_t n = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir.File("real")))
    (void)e, ++n;
  EXPECT_EQ(n, 2u);
}

TEST(XmlDocument, ASpecialFileIsNotWaitedOnAndCountsAsNoFile)
{
  TLibraryScope lib;
  TTempDir dir;
  const std::string fifo = MakeFifo(dir.File("fifo.xml"));
  const THangGuard guard;
  for (const std::string& path : {fifo, dir.Path(), std::string("/dev/zero")}) {
    TLhXmlDocument doc;
    try {
      doc.LoadFromFile(path);
      ADD_FAILURE() << path << " loaded";
    } catch (const XLhException& e) {
      EXPECT_EQ(e.Code, XLH_FILE_NOT_EXIST) << path;
    }
  }
  // A section saved into one neither reads it first nor replaces it. (Only files of the test's
  // own folder are written to: a regression must not replace a system device.)
  for (const std::string& path : {fifo, dir.Path()}) {
    auto node = NewXmlNode<TLhXMLNode>(nullptr, "S");
    EXPECT_THROW(node->SaveToFile(path, "ROOT"), XLhException) << path;
  }
  EXPECT_TRUE(std::filesystem::is_fifo(fifo));
}

TEST(XmlDocument, MakeBackupFileMovesTheFile)
{
  TTempDir dir;
  const std::string file = dir.File("a.xml");
  EXPECT_TRUE(MakeBackupFile(file));  // nothing to move
  EXPECT_FALSE(std::filesystem::exists(dir.File("a.~xml")));
  WriteBytes(dir.File("a.~xml"), "older");
  WriteBytes(file, "current");
  std::string error;
  EXPECT_TRUE(MakeBackupFile(file, &error)) << error;
  EXPECT_FALSE(std::filesystem::exists(file));
  EXPECT_EQ(ReadBytes(dir.File("a.~xml")), "current");
}

TEST(XmlDocument, FailedSaveLeavesPreviousFile)
{
  TLibraryScope lib;
  TTempDir dir;
  const std::string file = dir.File("data.xml");
  WriteBytes(file, "old content");
  // A backup name that cannot be replaced makes the save fail after the new text was written.
  std::filesystem::create_directories(dir.File("data.~xml/keep"));
  TLhXmlDocument doc;
  doc.GetMainNode("ROOT");
  try {
    doc.SaveToFile(file);
    FAIL();
  } catch (const XLhException& e) {
    EXPECT_EQ(e.Code, XLH_SYSTEM);
    EXPECT_NE(std::string(e.what()).find("data.~xml"), std::string::npos) << e.what();
  }
  EXPECT_EQ(ReadBytes(file), "old content");
  EXPECT_EQ(dir.Count(), 2);
}

TEST(XmlDocument, FileNamesAndMissingFiles)
{
  TLibraryScope lib;
  TTempDir dir;
  TLhXmlDocument doc;
  struct TCase {
    std::function<void()> Call;
    int32_t Code;
    std::string Message;
  } cases[] = {
      {[&] { doc.LoadFromFile(); }, XLH_NO_FILE_NAME, "NO File Name"},
      {[&] { doc.SaveToFile(); }, XLH_NO_FILE_NAME, "NO File Name"},
      {[&] { doc.LoadFromFile(dir.File("none.xml")); }, XLH_FILE_NOT_EXIST,
       "File \"" + dir.File("none.xml") + "\" not exist"},
      // The path, native text, is given in the library's code page like the rest of the message.
      {[&] { doc.LoadFromFile(dir.File("żółw.xml")); }, XLH_FILE_NOT_EXIST,
       "File \"" + dir.File("") + "\xBF\xF3\xB3w.xml\" not exist"},
  };
  for (auto& c : cases) {
    try {
      c.Call();
      ADD_FAILURE() << c.Message;
    } catch (const XLhException& e) {
      EXPECT_EQ(e.Code, c.Code);
      EXPECT_EQ(std::string(e.what()), c.Message);
    }
  }
  // A failed load, of any kind, leaves the document empty.
  doc.GetMainNode("M");
  EXPECT_THROW(doc.LoadFromFile(dir.File("none.xml")), XLhException);
  EXPECT_EQ(doc.MainNode(), nullptr);
  // Without a main node nothing is written.
  doc.SaveToFile(dir.File("empty.xml"));
  EXPECT_FALSE(std::filesystem::exists(dir.File("empty.xml")));
}

TEST(XmlDocument, SectionSaveKeepsSiblings)
{
  TLibraryScope lib;
  TTempDir dir;
  const std::string file = dir.File("cfg.xml");
  TLhXmlDocument doc;
  doc.ReadFromString(Doc("<ROOT r=\"1\">\r\n  <X k=\"x\"/>\r\n  <A>\r\n    <B old=\"1\"/>\r\n    <C/>\r\n  "
                         "</A>\r\n</ROOT>\r\n"));
  doc.SaveToFile(file);

  auto b = NewXmlNode<TLhXMLNode>(nullptr, "B");
  b->WriteAttrib("new", "2");
  b->AddChild("D").WriteAttrib("d", "4");
  b->SaveToFile(file, "ROOT\\A");
  EXPECT_EQ(ReadBytes(file),
            Doc("<ROOT r=\"1\">\r\n  <X k=\"x\"/>\r\n  <A>\r\n    <B new=\"2\">\r\n      <D d=\"4\"/>\r\n"
                "    </B>\r\n    <C/>\r\n  </A>\r\n</ROOT>\r\n"));

  // A path that is not there yet is made.
  auto e = NewXmlNode<TLhXMLNode>(nullptr, "E");
  e->SaveToFile(file, "ROOT\\N\\M");
  TLhXmlDocument back;
  back.LoadFromFile(file, true);
  EXPECT_NE(back.OpenNode("ROOT\\N\\M\\E").ElementName(), "");
  EXPECT_EQ(back.MainNode()->ChildCount(), 3u);

  // Into a file that does not exist: a document of the section path alone.
  auto f = NewXmlNode<TLhXMLNode>(nullptr, "F");
  f->SaveToFile(dir.File("new.xml"), "TOP");
  EXPECT_EQ(ReadBytes(dir.File("new.xml")), Doc("<TOP>\r\n  <F/>\r\n</TOP>\r\n"));
}

TEST(XmlDocument, SectionSaveOverBrokenFileFailsAndKeepsIt)
{
  TLibraryScope lib;
  TTempDir dir;
  const std::string file = dir.File("cfg.xml");
  WriteBytes(file, "<ROOT><A>");
  auto b = NewXmlNode<TLhXMLNode>(nullptr, "B");
  try {
    b->SaveToFile(file, "ROOT");
    FAIL();
  } catch (const XLhException& e) {
    EXPECT_EQ(e.Code, XLH_CLOSING_WRONG_NODE);
  }
  EXPECT_EQ(ReadBytes(file), "<ROOT><A>");
  EXPECT_FALSE(std::filesystem::exists(dir.File("cfg.~xml")));
}

TEST(XmlDocument, OpenNodeAndMainNode)
{
  TLibraryScope lib;
  TLhXmlDocument doc;
  TLhXMLNode& c = doc.OpenNode("R\\A\\B", true);
  EXPECT_EQ(c.ElementPath(), "R\\A\\B");
  EXPECT_EQ(&doc.OpenNode("R\\a\\B"), &c);  // parts after the first are found case-folded
  try {
    doc.OpenNode("X\\A");
    FAIL();
  } catch (const XLhException& e) {
    EXPECT_EQ(e.Code, XLH_BAD_NAME);
    EXPECT_EQ(std::string(e.what()), "XML. Wrong main node name.");
  }
  try {
    doc.OpenNode("r\\A");  // the main node's name compares exactly
    FAIL();
  } catch (const XLhException& e) {
    EXPECT_EQ(e.Code, XLH_BAD_NAME);
  }
  EXPECT_EQ(&doc.GetMainNode("R"), doc.MainNode());
  try {
    doc.GetMainNode("Q");
    FAIL();
  } catch (const XLhException& e) {
    EXPECT_EQ(e.Code, XLH_DUPLICATED_MAIN_NODE);
    EXPECT_EQ(std::string(e.what()), "Xml Error. Main node already exists.");
  }
  doc.Clear();
  EXPECT_EQ(doc.MainNode(), nullptr);
  EXPECT_EQ(doc.HeaderAttribs().Count(), 0u);
}

TEST(XmlNode, ReadAttribAndDefaults)
{
  TLibraryScope lib;
  TLhXmlDocument doc;
  doc.ReadFromString("<ROOT><G NAME=\"Grp\"><V n=\"12\" bad=\"x1\"/></G></ROOT>");
  TLhXMLNode& v = doc.MainNode()->GetChild(0).GetChild(0);
  EXPECT_EQ(v.GetPath(), "ROOT\\GRP\\V");
  EXPECT_EQ(v.ElementPath(), "ROOT\\G\\V");
  try {
    (void)v.ReadAttrib("missing");
    FAIL();
  } catch (const XLhException& e) {
    EXPECT_EQ(e.Code, XLH_UNKNOWN_ATTRIBUTE);
    EXPECT_EQ(std::string(e.what()), "Xml.Unknown attribute: ROOT\\GRP\\V\\missing");
  }
  EXPECT_EQ(v.ReadAttrib("N"), "12");
  EXPECT_EQ(v.ReadAttribDef("missing", "d"), "d");
  EXPECT_EQ(v.ReadAttribIntDef("n", 5), 12);
  EXPECT_EQ(v.ReadAttribIntDef("bad", 5), 5);
  EXPECT_EQ(v.ReadAttribIntDef("missing", 7), 7);
}

TEST(XmlNode, RemovedNameNoLongerNamesTheNode)
{
  TLibraryScope lib;
  auto root = NewXmlNode<TLhXMLNode>(nullptr, "R");
  TLhXMLNode& c = root->AddChild("ITEM", true);
  c.WriteAttrib("NAME", "abc");
  EXPECT_EQ(c.DisplayName(), "ABC");
  EXPECT_EQ(root->FindChildByKey("item", "Abc"), &c);
  EXPECT_TRUE(c.DeleteAttrib("name"));
  EXPECT_EQ(c.DisplayName(), "ITEM");
  EXPECT_EQ(root->FindChildByKey("ITEM", "abc"), nullptr);
  // Only the attribute named exactly NAME sets the key.
  c.WriteAttrib("Name", "zz");
  EXPECT_EQ(c.DisplayName(), "ITEM");
}

TEST(XmlNode, AttribModeOneAppends)
{
  TLibraryScope lib;
  auto root = NewXmlNode<TLhXMLNode>(nullptr, "R");
  root->WriteAttrib("a", "1");
  root->WriteAttrib("A", "2");
  EXPECT_EQ(root->Attribs().Count(), 1u);
  EXPECT_EQ(root->ReadAttrib("a"), "2");
  root->AttribMode = 1;
  TLhXMLNode& c = root->AddChild("C");
  EXPECT_EQ(c.AttribMode, 1);
  EXPECT_EQ(c.Indent(), "  ");
  root->WriteAttrib("a", "3");
  EXPECT_EQ(root->Attribs().Count(), 2u);
  root->Attribs().BuildNameIndex();
  EXPECT_EQ(root->FindAttrib("A"), &root->Attribs().Item(0));
  root->WriteOrDeleteAttrib("a", true, "");
  EXPECT_EQ(root->Attribs().Count(), 1u);
  EXPECT_EQ(root->ReadAttrib("a"), "3");
}

TEST(XmlNode, LongAttributeListsStayConsistent)
{
  TLhXmlDocument doc;
  std::string data = "<A";
  for (int i = 0; i < 20000; ++i)
    data += " a" + std::to_string(i) + "=\"" + std::to_string(i) + "\"";
  data += " A7=\"again\"/>";
  doc.ReadFromString(data);  // linear: a quadratic look-up would take minutes here
  TLhXMLNode& n = *doc.MainNode();
  EXPECT_EQ(n.Attribs().Count(), 20000u);
  EXPECT_EQ(n.ReadAttrib("a7"), "again");
  EXPECT_EQ(n.ReadAttrib("A19999"), "19999");
  EXPECT_TRUE(n.DeleteAttrib("a0"));
  EXPECT_EQ(n.Attribs().IndexOf("a1"), 0);
  EXPECT_EQ(n.FindAttrib("a0"), nullptr);
  n.Attribs().Item(0).SetName("b1");
  EXPECT_EQ(n.FindAttrib("a1"), nullptr);
  EXPECT_EQ(n.Attribs().IndexOf("B1"), 0);
  n.AttribMode = 1;
  n.WriteAttrib("a2", "second");
  EXPECT_EQ(n.ReadAttrib("a2"), "2");  // the first of two equal names is found
  n.ClearAttribs();
  EXPECT_EQ(n.FindAttrib("a3"), nullptr);
}

TEST(XmlNode, DetachGivesOwnership)
{
  TLibraryScope lib;
  auto root = NewXmlNode<TLhXMLNode>(nullptr, "R");
  TLhXMLNode& c = root->AddChild("C");
  root->AddChild("D");
  std::unique_ptr<TLhXMLNode> owned = c.Detach();
  ASSERT_EQ(owned.get(), &c);
  EXPECT_EQ(owned->Parent(), nullptr);
  EXPECT_EQ(root->ChildCount(), 1u);
  EXPECT_EQ(root->GetChild(0).ElementName(), "D");
  root->LinkChild(std::move(owned));
  EXPECT_EQ(root->GetChild(1).ElementName(), "C");
}

TEST(XmlNode, TypedNodesTakeFieldsWhenRead)
{
  TLibraryScope lib;
  TTestRegistry reg;
  TMessages msgs;
  TLhXmlDocument doc(msgs.Sink());
  doc.ReadFromString(Doc("<ROOT>\r\n  <ITEM NAME=\"a\" KIND=\"k1\" BAD=\"1\" X=\"2\">\r\n    <ITEM "
                         "KIND=\"k2\"/>\r\n  </ITEM>\r\n</ROOT>\r\n"));
  ASSERT_TRUE(doc.MainNode()->GetChild(0).IsA(TTestItem::StaticClass()));
  auto& item = static_cast<TTestItem&>(doc.MainNode()->GetChild(0));
  auto& inner = static_cast<TTestItem&>(item.GetChild(0));
  EXPECT_EQ(item.Kind, "k1");
  EXPECT_EQ(item.Log, (std::vector<std::string>{"NAME=a", "KIND=k1", "X=2"}));
  EXPECT_EQ(inner.Log,
            (std::vector<std::string>{"parent kind k1", "parent kind k1", "KIND=k2", "parent kind k1"}));
  EXPECT_EQ(msgs.Lines, (std::vector<std::string>{"ExecAttrib error : ROOT\\A[ITEM]\\n"}));
  // Fields are written back through FillAttribs.
  item.Kind = "k9";
  EXPECT_NE(doc.SaveToString().find("KIND=\"k9\""), std::string::npos);
}

TEST(XmlNode, PlainReadBuildsPlainNodes)
{
  TLibraryScope lib;
  TTestRegistry reg;
  TLhXmlDocument doc;
  doc.ReadFromString("<ITEM><ITEM/><GROUP/></ITEM>", true);
  EXPECT_EQ(&doc.MainNode()->GetClass(), &TLhXMLNode::StaticClass());
  EXPECT_EQ(&doc.MainNode()->GetChild(0).GetClass(), &TLhXMLNode::StaticClass());
  EXPECT_EQ(&doc.MainNode()->GetChild(1).GetClass(), &TLhXMLNode::StaticClass());
  doc.ReadFromString("<ITEM><ITEM/><GROUP_1/><VALUE/></ITEM>");
  EXPECT_EQ(&doc.MainNode()->GetClass(), &TTestItem::StaticClass());
  EXPECT_EQ(&doc.MainNode()->GetChild(1).GetClass(), &TTestGroup::StaticClass());
  EXPECT_EQ(doc.MainNode()->GetChild(1).ElementName(), "GROUP_1");
  EXPECT_EQ(&doc.MainNode()->GetChild(2).GetClass(), &TLhXMLNode::StaticClass());
}

TEST(XmlNode, CopyAttribsFromFillsSourceWithoutItsExecAttrib)
{
  TLibraryScope lib;
  TTestRegistry reg;
  auto src = NewXmlNode<TTestItem>(nullptr, "ITEM");
  src->Kind = "k";
  src->Log.clear();
  auto dst = NewXmlNode<TTestItem>(nullptr, "ITEM");
  dst->WriteAttrib("OLD", "1");
  dst->Log.clear();
  dst->CopyAttribsFrom(*src);
  EXPECT_TRUE(src->Log.empty());
  EXPECT_EQ(dst->Log, (std::vector<std::string>{"KIND=k"}));
  EXPECT_EQ(dst->Kind, "k");
  EXPECT_EQ(dst->FindAttrib("OLD"), nullptr);
}

TEST(XmlNode, AssignCopiesTree)
{
  TLibraryScope lib;
  TTestRegistry reg;
  TLhXmlDocument doc;
  doc.ReadFromString("<R a=\"1\"><ITEM KIND=\"x\"><C/></ITEM></R>");
  auto typed = NewXmlNode<TLhXMLNode>(nullptr, "Z");
  typed->AddChild("OLD");
  typed->Assign(*doc.MainNode(), false);
  EXPECT_EQ(typed->ElementName(), "R");
  EXPECT_EQ(typed->ReadAttrib("a"), "1");
  ASSERT_EQ(typed->ChildCount(), 1u);
  EXPECT_EQ(&typed->GetChild(0).GetClass(), &TTestItem::StaticClass());
  EXPECT_EQ(static_cast<TTestItem&>(typed->GetChild(0)).Kind, "x");
  EXPECT_EQ(typed->GetChild(0).GetChild(0).ElementName(), "C");
  auto plain = NewXmlNode<TLhXMLNode>(nullptr, "Z");
  plain->Assign(*doc.MainNode(), true);
  EXPECT_EQ(&plain->GetChild(0).GetClass(), &TLhXMLNode::StaticClass());
  EXPECT_EQ(plain->GetChild(0).ElementName(), "ITEM");
}

TEST(XmlNode, AssignFromOwnDescendant)
{
  TLibraryScope lib;
  TLhXmlDocument doc;
  doc.ReadFromString("<R a=\"1\"><S b=\"2\"><T c=\"3\"/></S></R>");
  TLhXMLNode& r = *doc.MainNode();
  r.Assign(r.GetChild(0), true);
  EXPECT_EQ(doc.SaveToString(), Doc("<S b=\"2\">\r\n  <T c=\"3\"/>\r\n</S>\r\n"));
}

TEST(XmlNode, AssignFromOwnAncestorCopiesItAsItWas)
{
  TLibraryScope lib;
  const std::string tree = "<r x=\"1\"><a y=\"2\"><b z=\"3\"/><c/></a><d/></r>";
  struct TCase {
    std::string Text;
    std::vector<size_t> Path;  // child indexes from the main node down to the node filled
    bool Plain;
    std::string Whole;  // the main node's text after the call
  };
  const TCase cases[] = {
      {"<r><a><b/></a></r>",
       {0, 0},
       true,
       "<r>\r\n  <a>\r\n    <r>\r\n      <a>\r\n        <b/>\r\n      </a>\r\n    </r>\r\n  "
       "</a>\r\n</r>\r\n"},
      {"<r><a><b/></a></r>",
       {0},
       true,
       "<r>\r\n  <r>\r\n    <a>\r\n      <b/>\r\n    </a>\r\n  </r>\r\n</r>\r\n"},
      {tree,
       {0, 0},
       false,
       "<r x=\"1\">\r\n  <a y=\"2\">\r\n    <r x=\"1\">\r\n      <a y=\"2\">\r\n        <b z=\"3\"/>\r\n"
       "        <c/>\r\n      </a>\r\n      <d/>\r\n    </r>\r\n    <c/>\r\n  </a>\r\n  <d/>\r\n</r>\r\n"},
      {tree,
       {1},
       false,
       "<r x=\"1\">\r\n  <a y=\"2\">\r\n    <b z=\"3\"/>\r\n    <c/>\r\n  </a>\r\n  <r x=\"1\">\r\n"
       "    <a y=\"2\">\r\n      <b z=\"3\"/>\r\n      <c/>\r\n    </a>\r\n    <d/>\r\n  </r>\r\n</r>\r\n"},
  };
  for (const TCase& c : cases) {
    TLhXmlDocument doc;
    doc.ReadFromString(c.Text);
    TLhXMLNode& main = *doc.MainNode();
    TLhXMLNode* node = &main;
    for (size_t i : c.Path)
      node = &node->GetChild(i);
    std::string before, after, whole;
    main.WriteToStream(before, false, 0);
    node->Assign(main, c.Plain);
    node->WriteToStream(after, false, 0);
    EXPECT_EQ(after, before) << c.Text;
    main.WriteToStream(whole, false, 0);
    EXPECT_EQ(whole, c.Whole) << c.Text;
  }
}

TEST(XmlNode, CompareReportsEveryDifference)
{
  TLibraryScope lib;
  TMessages msgs;
  TLhXmlDocument a(msgs.Sink()), b;
  a.ReadFromString("<R v=\"1\" only=\"a\"><ITEM NAME=\"x\" p=\"1\"/><ITEM NAME=\"y\" p=\"2\"/><S/><OLD/></R>",
                   true);
  b.ReadFromString(
      "<R v=\"2\" extra=\"b\"><ITEM NAME=\"y\" p=\"3\"/><ITEM NAME=\"X\" p=\"4\"/><S/><NEW NAME=\"n\"/></R>",
      true);
  EXPECT_FALSE(a.MainNode()->Compare(*b.MainNode(), {}));
  EXPECT_EQ(msgs.Lines, (std::vector<std::string>{
                            "Xml.Differences in attribute value:R\\v: [old=2] [new=1]\\n",
                            "Old, there is no attribute:R\\only\\n",
                            "New, there is no attribute:R\\extra\\n",
                            "Xml.Differences in attribute value:R\\X\\NAME: [old=X] [new=x]\\n",
                            "Xml.Differences in attribute value:R\\X\\p: [old=4] [new=1]\\n",
                            "Xml.Differences in attribute value:R\\Y\\p: [old=3] [new=2]\\n",
                            "Old, there is no key:R\\OLD\\n",
                            "New, there is no key:R\\N\\n",
                        }));
}

TEST(XmlNode, CompareIgnoresChildOrder)
{
  TLibraryScope lib;
  TMessages msgs;
  TLhXmlDocument a(msgs.Sink()), b;
  a.ReadFromString("<R><ITEM NAME=\"x\" v=\"1\"/><ITEM NAME=\"y\"/><G><H/></G></R>", true);
  b.ReadFromString("<R><G><H/></G><ITEM NAME=\"y\"/><ITEM NAME=\"x\" v=\"1\"/></R>", true);
  EXPECT_TRUE(a.MainNode()->Compare(*b.MainNode(), {}));
  EXPECT_TRUE(msgs.Lines.empty());
  b.MainNode()->GetChild(0).ClearChildren();
  EXPECT_FALSE(a.MainNode()->Compare(*b.MainNode(), {}));
  EXPECT_EQ(msgs.Lines, (std::vector<std::string>{"Old, there is no key:R\\G\\H\\n"}));
}

TEST(XmlNode, ReportErrorTakesRootHandler)
{
  TLibraryScope lib;
  TMessages msgs;
  auto root = NewXmlNode<TLhXMLNode>(nullptr, "R", msgs.Sink());
  auto lone = NewXmlNode<TLhXMLNode>(nullptr, "L");
  TLhXMLNode& c = root->LinkChild(std::move(lone));
  c.ReportError("m");
  EXPECT_EQ(msgs.Lines, (std::vector<std::string>{"m"}));
  NewXmlNode<TLhXMLNode>(nullptr, "Q")->ReportError("nowhere");
}

TEST(XmlNode, NodesKeepTheHandlerTheyWereMadeWithElseTakeTheRoots)
{
  TLibraryScope lib;
  TMessages made, later, own;
  auto root = NewXmlNode<TLhXMLNode>(nullptr, "R", made.Sink());
  TLhXMLNode& a = root->AddChild("A", true);
  TLhXMLNode& b = a.AddChild("B", true);
  b.ReportError("b1");
  // Children made before the root got another handler keep the one they were made with,
  // and so do the children they make.
  root->SetOnError(later.Sink());
  b.ReportError("b2");
  TLhXMLNode& c = b.AddChild("C", true);
  c.ReportError("c1");
  // A node without a handler, and one made under it, report through the root's current one
  // and keep it.
  TLhXMLNode& l = c.LinkChild(NewXmlNode<TLhXMLNode>(nullptr, "L"));
  TLhXMLNode& m = l.AddChild("M", true);
  EXPECT_FALSE(m.OnError());
  m.ReportError("m1");
  EXPECT_TRUE(m.OnError());
  // The take-over happens at the report: after the root lost its handler, m still has the
  // one it took, l finds none.
  root->SetOnError({});
  m.ReportError("m2");
  l.ReportError("l1");
  root->ReportError("r1");
  // A node's own handler serves it alone, also one made under a parent with another one.
  a.SetOnError(own.Sink());
  a.ReportError("a1");
  b.ReportError("b3");
  TMessages given;
  NewXmlNode<TLhXMLNode>(&b, "G", given.Sink())->ReportError("g1");
  // Made under b without a handler: it takes the root's when it reports.
  root->SetOnError(later.Sink());
  NewXmlNode<TLhXMLNode>(&b, "E")->ReportError("e1");
  EXPECT_EQ(made.Lines, (std::vector<std::string>{"b1", "b2", "c1", "b3"}));
  EXPECT_EQ(later.Lines, (std::vector<std::string>{"m1", "m2", "e1"}));
  EXPECT_EQ(own.Lines, (std::vector<std::string>{"a1"}));
  EXPECT_EQ(given.Lines, (std::vector<std::string>{"g1"}));
}

TEST(XmlNode, AHandlerLivesAsLongAsANodeHoldsIt)
{
  TLibraryScope lib;
  TMessages msgs, next;
  std::unique_ptr<TLhXMLNode> kept;
  {
    TLhXmlDocument doc(msgs.Sink());
    doc.ReadFromString("<R><A><B/></A></R>", true);
    kept = doc.MainNode()->GetChild(0).Detach();
  }
  TLhXMLNode& b = kept->GetChild(0);
  b.ReportError("after");
  // A handler may give its own node another one while it runs.
  b.SetOnError([&](const std::string& m) {
    msgs.Lines.push_back("own " + m);
    b.SetOnError(next.Sink());
  });
  b.ReportError("x");
  b.ReportError("y");
  kept->ReportError("a");
  EXPECT_EQ(msgs.Lines, (std::vector<std::string>{"after", "own x", "a"}));
  EXPECT_EQ(next.Lines, (std::vector<std::string>{"y"}));
}

TEST(XmlNode, IndentGrowsTwoBlanksPerLevelWhenLinked)
{
  TLibraryScope lib;
  auto root = NewXmlNode<TLhXMLNode>(nullptr, "R");
  TLhXMLNode& a = root->AddChild("A", true);
  TLhXMLNode& b = a.AddChild("B", true);
  EXPECT_EQ(root->Indent(), "");
  EXPECT_EQ(b.Indent(), "    ");
  // A node made with a parent but not linked is no child of it.
  auto loose = NewXmlNode<TLhXMLNode>(&b, "X");
  EXPECT_EQ(loose->Indent(), "");
  EXPECT_EQ(loose->Detach(), nullptr);
  EXPECT_EQ(b.ChildCount(), 0u);
  // Linking sets the indentation from the new parent; moving away keeps it.
  TLhXMLNode& moved = b.LinkChild(a.Detach());
  EXPECT_EQ(moved.Indent(), "      ");
  std::unique_ptr<TLhXMLNode> out = moved.Detach();
  EXPECT_EQ(out->Indent(), "      ");
}

// The attribute list beside a plain model of it: after every step the items are the model's
// and every look-up finds the first item of that folded name, whichever way the list looks
// names up at its length.
struct TAttribModel {
  std::vector<std::pair<std::string, std::string>> Items;
  int IndexOf(std::string_view name) const
  {
    for (size_t i = 0; i < Items.size(); ++i)
      if (SameFoldedName(Items[i].first, name))
        return static_cast<int>(i);
    return -1;
  }
};

void ExpectListIsModel(const TAttribList& list, const TAttribModel& model, const std::string& step)
{
  ASSERT_EQ(list.Count(), model.Items.size()) << step;
  std::vector<std::string> probes = {"nope", "A99", ""};
  for (size_t i = 0; i < model.Items.size(); ++i) {
    EXPECT_EQ(list.Item(i).Name(), model.Items[i].first) << step << " item " << i;
    EXPECT_EQ(list.Item(i).Value(), model.Items[i].second) << step << " item " << i;
    probes.push_back(model.Items[i].first);
    probes.push_back(CaseFoldName(model.Items[i].first));
  }
  for (const std::string& p : probes) {
    const int want = model.IndexOf(p);
    EXPECT_EQ(list.IndexOf(p), want) << step << " looking up " << p;
    const TAttribItem* found = list.Find(p);
    EXPECT_EQ(found, want < 0 ? nullptr : &list.Item(static_cast<size_t>(want))) << step << " " << p;
  }
}

TEST(XmlNode, AttributeLookUpsStayRightAcrossTheLongListThreshold)
{
  TLibraryScope lib;
  auto node = NewXmlNode<TLhXMLNode>(nullptr, "N");
  TAttribList& list = node->Attribs();
  TAttribModel model;
  auto add = [&](const std::string& name, const std::string& value) {
    list.Add(name, value);
    model.Items.emplace_back(name, value);
  };
  auto eraseAt = [&](size_t i) {
    list.DeleteAt(i);
    model.Items.erase(model.Items.begin() + static_cast<std::ptrdiff_t>(i));
  };
  auto rename = [&](size_t i, const std::string& name) {
    list.Item(i).SetName(name);
    model.Items[i].first = name;
  };
  const std::vector<std::pair<std::string, std::function<void()>>> steps = {
      {"grow one by one past the threshold",
       [&] {
         for (int i = 0; i < 40; ++i) {
           add("a" + std::to_string(i), std::to_string(i));
           ExpectListIsModel(list, model, "add a" + std::to_string(i));
         }
       }},
      {"a second item of a name is found after the first", [&] { add("A5", "again"); }},
      {"a replacing write changes the first item",
       [&] {
         list.FindOrAdd("A7", "seven");
         model.Items[7].second = "seven";
       }},
      {"deleting the first item shifts every position", [&] { eraseAt(0); }},
      {"deleting the first of two equal names uncovers the second",
       [&] {
         EXPECT_TRUE(list.Delete("a5"));
         model.Items.erase(model.Items.begin() + model.IndexOf("a5"));
       }},
      {"renaming", [&] { rename(3, "z4"); }},
      {"renaming to a name that comes later", [&] { rename(0, "a30"); }},
      {"shrinking below the threshold",
       [&] {
         while (model.Items.size() > 20)
           eraseAt(model.Items.size() / 2);
       }},
      {"growing back past it",
       [&] {
         for (int i = 0; i < 30; ++i)
           add("b" + std::to_string(i), "b");
       }},
      {"the name index on top of the map",
       [&] {
         list.BuildNameIndex();
         EXPECT_TRUE(list.HasNameIndex());
         add("c1", "c");
         eraseAt(2);
         rename(5, "c2");
       }},
      {"a NAME item in a long list names the node",
       [&] {
         add("NAME", "Kot");
         EXPECT_EQ(node->NameKey(), "KOT");
         rename(model.Items.size() - 1, "NAMES");
         EXPECT_FALSE(list.HasNameKey());
       }},
      {"clearing",
       [&] {
         list.Clear();
         model.Items.clear();
         EXPECT_FALSE(list.HasNameIndex());
         EXPECT_EQ(node->NameKey(), "");
       }},
      {"filling again",
       [&] {
         for (int i = 0; i < 35; ++i)
           add("d" + std::to_string(i % 17), std::to_string(i));
       }},
  };
  for (const auto& [what, step] : steps) {
    step();
    ExpectListIsModel(list, model, what);
  }
}

// --- registry ---

struct TIdentClass : TLhXMLNode {
  using TLhXMLNode::TLhXMLNode;
  static const TNodeClass& StaticClass()
  {
    static const TNodeClass c{"ITEM", "TIdentClass", &TLhXMLNode::StaticClass(),
                              &ConstructXmlNode<TIdentClass>};
    return c;
  }
  const TNodeClass& GetClass() const override { return StaticClass(); }
};

TEST(NodeRegistry, ExactThenPrefixLookups)
{
  TTestRegistry reg;
  const std::pair<const char*, const TNodeClass*> cases[] = {
      {"ITEM", &TTestItem::StaticClass()},
      {"item", &TTestItem::StaticClass()},
      {"ITEMS", &TTestItem::StaticClass()},
      {"GROUP_1", &TTestGroup::StaticClass()},
      {"XNODEX", &TLhXMLNode::StaticClass()},
      {"ITE", nullptr},
      {"VALUE", nullptr},
  };
  for (const auto& [name, cls] : cases) {
    const TNodeClass* found = reg.List.FindExact(name);
    if (!found)
      found = reg.List.FindByPrefix(name);
    EXPECT_EQ(found, cls) << name;
    std::unique_ptr<TLhXMLNode> n = reg.List.CreateNode(nullptr, name, {});
    EXPECT_EQ(&n->GetClass(), cls ? cls : &TLhXMLNode::StaticClass()) << name;
    EXPECT_EQ(n->ElementName(), name);
    EXPECT_EQ(n->Parent(), nullptr);
  }
  EXPECT_EQ(reg.List.FindExact("item"), nullptr);
}

TEST(NodeRegistry, Modes)
{
  TTestRegistry reg;
  reg.List.Register(TIdentClass::StaticClass(), 2);
  EXPECT_EQ(reg.List.FindExact("ITEM"), &TTestItem::StaticClass());
  EXPECT_EQ(reg.List.Count(), 3u);
  reg.List.Register(TIdentClass::StaticClass(), 1);
  EXPECT_EQ(reg.List.FindExact("ITEM"), &TIdentClass::StaticClass());
  EXPECT_EQ(reg.List.Count(), 3u);
  EXPECT_EQ(&reg.List.Item(2), &TIdentClass::StaticClass());
  reg.List.Register(TTestItem::StaticClass(), 3);
  EXPECT_EQ(reg.List.Count(), 4u);
  EXPECT_EQ(reg.List.FindExact("ITEM"), &TIdentClass::StaticClass());
}

TEST(NodeRegistryDeathTest, ModeZeroDuplicateStops)
{
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  TRegNodeList list;
  list.Register(TTestItem::StaticClass());
  EXPECT_DEATH(list.Register(TIdentClass::StaticClass(), 0),
               "TIdentClass: Ident ITEM already exist for type:TTestItem");
}

TEST(NodeRegistry, LibraryRegistersXnode)
{
  {
    TLibraryScope lib;
    ASSERT_NE(RegNodeList(), nullptr);
    EXPECT_EQ(RegNodeList()->FindExact("XNODE"), &TLhXMLNode::StaticClass());
  }
  EXPECT_EQ(RegNodeList(), nullptr);
  // Without the registry nodes are still made, plain.
  EXPECT_EQ(&CreateRegisteredNode(nullptr, "ITEM", {})->GetClass(), &TLhXMLNode::StaticClass());
}

}  // namespace
