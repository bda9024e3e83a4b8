#include "platform/Prompts.h"

#include "platform/Codepage.h"
#include "platform/SysUtil.h"

#include <gtest/gtest.h>

TEST(Prompts, ScriptedAnswersAndRecords)
{
  TScriptedPrompts p;
  IPrompts* previous = SetPrompts(&p);
  p.Answers = {TPromptAnswer::Yes, TPromptAnswer::Cancel};
  p.Inputs = {std::string("COM3"), std::nullopt};

  Prompts().Message("Zapisano"_cp);
  Prompts().Error("Błąd zapisu"_cp);
  EXPECT_EQ(Prompts().Confirm("Zapisać?"_cp, "KIV", TPromptButtons::YesNoCancel), TPromptAnswer::Yes);
  EXPECT_EQ(Prompts().Confirm("Again?", "KIV", TPromptButtons::YesNoCancel), TPromptAnswer::Cancel);
  std::string value = "COM1";
  EXPECT_TRUE(Prompts().InputQuery("Port", "Name:", value));
  EXPECT_EQ(value, "COM3");
  EXPECT_FALSE(Prompts().InputQuery("Port", "Name:", value));
  EXPECT_EQ(value, "COM3") << "cancel keeps the value";
  EXPECT_EQ(p.Unscripted, 0);

  ASSERT_EQ(p.Records.size(), 6u);
  EXPECT_EQ(p.Records[2].Kind, TScriptedPrompts::TKind::Confirm);
  EXPECT_EQ(p.Records[2].Caption, "KIV");
  EXPECT_EQ(p.Records[2].Buttons, TPromptButtons::YesNoCancel);
  EXPECT_EQ(p.Texts(TScriptedPrompts::TKind::Error), (std::vector<std::string>{"Błąd zapisu"_cp}));
  EXPECT_EQ(p.Texts(TScriptedPrompts::TKind::Message), (std::vector<std::string>{"Zapisano"_cp}));
  EXPECT_EQ(p.Texts(TScriptedPrompts::TKind::Input), (std::vector<std::string>{"Name:", "Name:"}));
  EXPECT_EQ(SetPrompts(previous), &p);
}

TEST(Prompts, UnscriptedQuestionsGetTheClosedBoxAnswer)
{
  struct Case {
    TPromptButtons Buttons;
    TPromptAnswer Expected;
  };
  const Case cases[] = {
      {TPromptButtons::Ok, TPromptAnswer::Ok},
      {TPromptButtons::OkCancel, TPromptAnswer::Cancel},
      {TPromptButtons::YesNo, TPromptAnswer::No},
      {TPromptButtons::YesNoCancel, TPromptAnswer::Cancel},
  };
  TScriptedPrompts p;
  for (const auto& c : cases) {
    EXPECT_EQ(p.Confirm("q", "c", c.Buttons, TPromptKind::Warning), c.Expected);
    EXPECT_EQ(DismissAnswer(c.Buttons), c.Expected);
  }
  std::string v = "x";
  EXPECT_FALSE(p.InputQuery("c", "p", v));
  EXPECT_FALSE(p.OpenFileName("Open", "Pliki rejestracji|*.kiv", v));
  EXPECT_EQ(v, "x");
  EXPECT_EQ(p.Unscripted, 6);
  p.Files = {std::string("/tmp/a.kiv")};
  EXPECT_TRUE(p.SaveFileName("Save", "*.kiv", v));
  EXPECT_EQ(v, "/tmp/a.kiv");
  p.Clear();
  EXPECT_TRUE(p.Records.empty());
  EXPECT_EQ(p.Unscripted, 0);
}

TEST(Prompts, ScriptedColourChoices)
{
  TScriptedPrompts p;
  uint32_t c = 0x0000FF;
  EXPECT_FALSE(p.ChooseColor(c));  // unscripted: as if cancelled
  EXPECT_EQ(c, 0x0000FFu);
  p.Colors = {0x00FF00u, std::nullopt};
  EXPECT_TRUE(p.ChooseColor(c));
  EXPECT_EQ(c, 0x00FF00u);
  EXPECT_FALSE(p.ChooseColor(c));
  EXPECT_EQ(c, 0x00FF00u);
  EXPECT_EQ(p.Texts(TScriptedPrompts::TKind::Color),
            (std::vector<std::string>{"0000FF", "0000FF", "00FF00"}));
  EXPECT_EQ(p.Unscripted, 1);
  // Prompts that know no colour dialog decline and keep the colour.
  TConsolePrompts console;
  EXPECT_FALSE(console.ChooseColor(c));
  EXPECT_EQ(c, 0x00FF00u);
}

TEST(Prompts, ConsolePromptsWriteToTheDebugSinkAndDecline)
{
  std::vector<std::string> lines;
  auto previous = SetDebugSink([&](std::string_view t) { lines.emplace_back(t); });
  IPrompts& console = Prompts();  // nothing installed: the console prompts
  console.Message("hello");
  console.Error("broken");
  EXPECT_EQ(console.Confirm("Overwrite?", "KIV", TPromptButtons::YesNo), TPromptAnswer::No);
  std::string v = "keep";
  EXPECT_FALSE(console.InputQuery("Cap", "Prompt", v));
  EXPECT_EQ(v, "keep");
  SetDebugSink(std::move(previous));
  EXPECT_EQ(lines, (std::vector<std::string>{"hello", "Error: broken", "KIV: Overwrite?", "Cap: Prompt"}));
}
