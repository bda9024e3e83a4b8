#include "app/logic/DocNameLogic.h"

#include <gtest/gtest.h>

#include <deque>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/Codepage.h"
#include "platform/Prompts.h"

namespace {

TEST(DocNameLogic, SaveNames)
{
  const std::pair<const char*, const char*> cases[] = {
      {"test", "test.kiv"},
      {"test.dat", "test.dat"},
      {"/tmp/a.b/test", "/tmp/a.b/test.kiv"},
      {"/tmp/x/Dokument1.kiv", "/tmp/x/Dokument1.kiv"},
      {"/tmp/.hidden", "/tmp/.hidden.kiv"},
  };
  for (const auto& [in, out] : cases)
    EXPECT_EQ(SaveFileName(in), out);
  EXPECT_EQ(FileNamePart("/a/b/c.kiv"), "c.kiv");
  EXPECT_EQ(CaptionOfName("Dokument1.kiv"), "Dokument1");
  EXPECT_EQ(CaptionOfName("a.b.kiv"), "a");
  EXPECT_EQ(CaptionOfName("noext"), "noext");
  EXPECT_EQ(OverwriteQueryText("/x/a.kiv"), "Plik :/x/a.kiv już istnieje\nPokryć istniejący plik ?"_cp);
}

// The save dialog answers from a script and records what it proposed; the file system is a
// set of names.
class TFakeSaveNames : public ISaveNameSource {
public:
  bool ChooseName(std::string& name) override
  {
    Proposed.push_back(name);
    if (Answers.empty())
      return false;
    const std::optional<std::string> a = Answers.front();
    Answers.pop_front();
    if (!a)
      return false;
    name = *a;
    return true;
  }
  bool FileExists(const std::string& path) const override { return Files.count(path) > 0; }

  std::deque<std::optional<std::string>> Answers;  // nullopt: Cancel
  std::set<std::string> Files;
  std::vector<std::string> Proposed;
};

using A = TPromptAnswer;
const std::optional<std::string> CANCEL;

struct TSaveCase {
  const char* Name;
  bool SaveAs;  // "Zapisz jako" rather than "Zapisz"
  std::string Current;
  bool HasName;
  std::set<std::string> Files;
  std::deque<std::optional<std::string>> Dialog;
  std::deque<TPromptAnswer> Questions;
  std::optional<std::string> Result;
  std::vector<std::string> Asked;     // the files the overwrite question named
  std::vector<std::string> Proposed;  // what each save dialog proposed
};

TEST(DocNameLogic, SaveNameChoiceAndOverwriteQuestion)
{
  const TSaveCase cases[] = {
      {"save as: a new name gets .kiv",
       true,
       "/d/Dokument1",
       false,
       {},
       {"/d/test"},
       {},
       "/d/test.kiv",
       {},
       {"/d/Dokument1"}},
      {"save as: cancelled dialog", true, "/d/a.kiv", true, {}, {CANCEL}, {}, std::nullopt, {}, {"/d/a.kiv"}},
      {"save as: the written name is checked",
       true,
       "",
       false,
       {"/d/test.kiv"},
       {"/d/test"},
       {A::Yes},
       "/d/test.kiv",
       {"/d/test.kiv"},
       {""}},
      {"save as: No opens the dialog again, from the name refused",
       true,
       "",
       false,
       {"/d/test.kiv"},
       {"/d/test", "/d/inny"},
       {A::No},
       "/d/inny.kiv",
       {"/d/test.kiv"},
       {"", "/d/test.kiv"}},
      {"save as: Cancel at the question gives up",
       true,
       "",
       false,
       {"/d/test.kiv"},
       {"/d/test", "/d/inny"},
       {A::Cancel},
       std::nullopt,
       {"/d/test.kiv"},
       {""}},
      {"save as: a closed question gives up",
       true,
       "",
       false,
       {"/d/x.dat"},
       {"/d/x.dat"},
       {},
       std::nullopt,
       {"/d/x.dat"},
       {""}},
      {"save: without a file of its own it is save as",
       false,
       "Dokument1",
       false,
       {},
       {"/d/n"},
       {},
       "/d/n.kiv",
       {},
       {"Dokument1"}},
      {"save: its own file is written over without asking",
       false,
       "/d/a.kiv",
       true,
       {"/d/a.kiv"},
       {},
       {},
       "/d/a.kiv",
       {},
       {}},
      {"save: the .kiv name is free", false, "/d/zapis", true, {"/d/zapis"}, {}, {}, "/d/zapis.kiv", {}, {}},
      {"save: the .kiv name exists, Yes",
       false,
       "/d/zapis",
       true,
       {"/d/zapis.kiv"},
       {},
       {A::Yes},
       "/d/zapis.kiv",
       {"/d/zapis.kiv"},
       {}},
      {"save: the .kiv name exists, No goes on as save as",
       false,
       "/d/zapis",
       true,
       {"/d/zapis.kiv"},
       {"/d/inny.kiv"},
       {A::No},
       "/d/inny.kiv",
       {"/d/zapis.kiv"},
       {"/d/zapis"}},
      {"save: the .kiv name exists, Cancel",
       false,
       "/d/zapis",
       true,
       {"/d/zapis.kiv"},
       {},
       {A::Cancel},
       std::nullopt,
       {"/d/zapis.kiv"},
       {}},
  };
  for (const TSaveCase& c : cases) {
    TFakeSaveNames names;
    names.Files = c.Files;
    names.Answers = c.Dialog;
    TScriptedPrompts prompts;
    prompts.Answers = c.Questions;
    const std::optional<std::string> got = c.SaveAs ? ChooseSaveAsName(c.Current, names, prompts)
                                                    : ChooseSaveName(c.Current, c.HasName, names, prompts);
    EXPECT_EQ(got, c.Result) << c.Name;
    EXPECT_EQ(names.Proposed, c.Proposed) << c.Name;
    std::vector<std::string> expectedTexts;
    for (const std::string& f : c.Asked)
      expectedTexts.push_back(OverwriteQueryText(f));
    EXPECT_EQ(prompts.Texts(TScriptedPrompts::TKind::Confirm), expectedTexts) << c.Name;
    for (const auto& r : prompts.Records)
      EXPECT_EQ(r.Buttons, TPromptButtons::YesNoCancel) << c.Name;
    EXPECT_TRUE(prompts.Answers.empty()) << c.Name;
  }
}

}  // namespace
