#include "app/DocNameLogic.h"

#include <gtest/gtest.h>

#include <utility>

#include "platform/Codepage.h"

namespace {

TEST(DocNameLogic, SaveNames)
{
  const std::pair<const char*, const char*> cases[] = {
      {"test", "test.kiv"},       {"test.dat", "test.dat"},     {"/tmp/a.b/test", "/tmp/a.b/test.kiv"},
      {"/tmp/x/Dokument1.kiv", "/tmp/x/Dokument1.kiv"}, {"/tmp/.hidden", "/tmp/.hidden.kiv"},
  };
  for (const auto& [in, out] : cases)
    EXPECT_EQ(SaveFileName(in), out);
  EXPECT_EQ(FileNamePart("/a/b/c.kiv"), "c.kiv");
  EXPECT_EQ(CaptionOfName("Dokument1.kiv"), "Dokument1");
  EXPECT_EQ(CaptionOfName("a.b.kiv"), "a");
  EXPECT_EQ(CaptionOfName("noext"), "noext");
  EXPECT_EQ(OverwriteQueryText("/x/a.kiv"), "Plik :/x/a.kiv już istnieje\nPokryć istniejący plik ?"_cp);
}

} // namespace
