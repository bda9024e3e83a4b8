// The node tree and the document: reading, writing, saving whole and by section, comparing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TernikTestSupport.h"
#include "ternik/XmlLight/XmlLight2Unit.h"

namespace {

const std::string kBom = "\xEF\xBB\xBF";
const std::string kHeader = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n";

TEST(XmlDocument, WholeFileRoundTripIsByteExact) {
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

}  // namespace
