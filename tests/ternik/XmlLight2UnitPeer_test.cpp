// An independent reader of the files the writer makes: for random trees in the subset both
// dialects accept, libxml2 must find the file well-formed and read back the same elements
// and attribute values.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "platform/Codepage.h"
#include "TernikTestSupport.h"
#include "ternik/XmlLight/XmlLight2Unit.h"

#ifdef KIV_HAVE_LIBXML2
#include <libxml/parser.h>
#include <libxml/tree.h>
#endif

namespace {

#ifdef KIV_HAVE_LIBXML2

class TTreeMaker {
public:
  explicit TTreeMaker(uint32_t seed) : FRng(seed)
  {
    // Printable characters of the code page: ASCII from the blank up, and every high byte
    // that maps to a character (not the five undefined ones, not the no-break blank's kin).
    for (int c = 32; c < 127; ++c)
      FValueChars.push_back(static_cast<char>(c));
    for (int c = 128; c < 256; ++c) {
      char32_t u = Cp1250CodePoint(static_cast<unsigned char>(c));
      if (u != 0xFFFD && u >= 0xA0)
        FValueChars.push_back(static_cast<char>(c));
    }
  }

  std::string Name()
  {
    static const std::string first = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz_";
    static const std::string rest = first + "0123456789";
    std::string n(1, first[Pick(first.size())]);
    for (size_t k = Pick(8); k > 0; --k)
      n += rest[Pick(rest.size())];
    return n;
  }

  std::string Value()
  {
    std::string v;
    for (size_t k = Pick(12); k > 0; --k)
      v += FValueChars[Pick(FValueChars.size())];
    return v;
  }

  void Fill(TLhXMLNode& n, int depth)
  {
    for (size_t k = Pick(5); k > 0; --k)
      n.WriteAttrib(Name(), Value());
    if (depth >= 4)
      return;
    for (size_t k = Pick(4); k > 0; --k)
      Fill(n.AddChild(Name(), true), depth + 1);
  }

private:
  size_t Pick(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(FRng); }
  std::mt19937 FRng;
  std::vector<char> FValueChars;
};

// Compares a libxml2 element with our node, in order; answers the first difference.
std::string Diff(const TLhXMLNode& ours, xmlNode* theirs, const std::string& path)
{
  const std::string here = path + "/" + ours.ElementName();
  if (theirs->type != XML_ELEMENT_NODE)
    return here + ": not an element";
  if (ours.ElementName() != reinterpret_cast<const char*>(theirs->name))
    return here + ": element name";
  size_t i = 0;
  for (xmlAttr* a = theirs->properties; a; a = a->next, ++i) {
    if (i >= ours.Attribs().Count())
      return here + ": extra attribute";
    const TAttribItem& item = ours.Attribs().Item(i);
    if (item.Name() != reinterpret_cast<const char*>(a->name))
      return here + ": attribute name " + item.Name();
    xmlChar* v = xmlNodeListGetString(theirs->doc, a->children, 1);
    std::string value = Utf8ToCp1250(v ? reinterpret_cast<const char*>(v) : "");
    xmlFree(v);
    if (value != item.Value())
      return here + ": value of " + item.Name() + " [" + value + "] vs [" + item.Value() + "]";
  }
  if (i != ours.Attribs().Count())
    return here + ": missing attribute";
  size_t c = 0;
  for (xmlNode* k = theirs->children; k; k = k->next) {
    if (k->type == XML_TEXT_NODE)
      continue;  // the line ends between elements
    if (c >= ours.ChildCount())
      return here + ": extra child";
    std::string d = Diff(ours.GetChild(c), k, here);
    if (!d.empty())
      return d;
    ++c;
  }
  if (c != ours.ChildCount())
    return here + ": missing child";
  return {};
}

TEST(XmlPeer, Libxml2ReadsWhatWeWrite)
{
  TLibraryScope lib;
  for (uint32_t seed = 1; seed <= 200; ++seed) {
    TTreeMaker maker(seed);
    TLhXmlDocument doc;
    TLhXMLNode& root = doc.GetMainNode(maker.Name(), true);
    maker.Fill(root, 0);
    const std::string file = doc.SaveToString();
    xmlDoc* x = xmlReadMemory(file.data(), static_cast<int>(file.size()), "peer.xml", nullptr,
                              XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    ASSERT_NE(x, nullptr) << "seed " << seed << ": not well-formed\n" << file;
    EXPECT_EQ(Diff(root, xmlDocGetRootElement(x), ""), "") << "seed " << seed;
    xmlFreeDoc(x);
    // And we read our own file back to the same text.
    TLhXmlDocument back;
    back.ReadFromString(file, true);
    EXPECT_EQ(back.SaveToString(), file) << "seed " << seed;
  }
}

#else

TEST(XmlPeer, Libxml2ReadsWhatWeWrite) { GTEST_SKIP() << "libxml2 is not installed"; }

#endif

}  // namespace
