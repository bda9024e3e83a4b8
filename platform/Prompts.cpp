#include "platform/Prompts.h"

#include "platform/NumText.h"
#include "platform/SysUtil.h"

namespace {

IPrompts* GInstalled = nullptr;

TConsolePrompts& ConsolePrompts()
{
  static TConsolePrompts p;
  return p;
}

}  // namespace

TPromptAnswer DismissAnswer(TPromptButtons buttons)
{
  switch (buttons) {
  case TPromptButtons::Ok:
    return TPromptAnswer::Ok;
  case TPromptButtons::YesNo:
    return TPromptAnswer::No;
  case TPromptButtons::OkCancel:
  case TPromptButtons::YesNoCancel:
    return TPromptAnswer::Cancel;
  }
  return TPromptAnswer::Cancel;
}

void TConsolePrompts::Message(const std::string& text) { DebugOutput(text); }

void TConsolePrompts::Error(const std::string& text) { DebugOutput("Error: " + text); }

void TConsolePrompts::Warning(const std::string& text) { DebugOutput("Warning: " + text); }

TPromptAnswer TConsolePrompts::Confirm(const std::string& text, const std::string& caption,
                                       TPromptButtons buttons, TPromptKind)
{
  DebugOutput(caption.empty() ? text : caption + ": " + text);
  return DismissAnswer(buttons);
}

bool TConsolePrompts::InputQuery(const std::string& caption, const std::string& prompt, std::string&)
{
  DebugOutput(caption + ": " + prompt);
  return false;
}

void TScriptedPrompts::Message(const std::string& text)
{
  Records.push_back({TKind::Message, text, {}, TPromptButtons::Ok});
}

void TScriptedPrompts::Error(const std::string& text)
{
  Records.push_back({TKind::Error, text, {}, TPromptButtons::Ok});
}

void TScriptedPrompts::Warning(const std::string& text)
{
  Records.push_back({TKind::Warning, text, {}, TPromptButtons::Ok});
}

TPromptAnswer TScriptedPrompts::Confirm(const std::string& text, const std::string& caption,
                                        TPromptButtons buttons, TPromptKind)
{
  Records.push_back({TKind::Confirm, text, caption, buttons});
  if (Answers.empty()) {
    ++Unscripted;
    return DismissAnswer(buttons);
  }
  const TPromptAnswer a = Answers.front();
  Answers.pop_front();
  return a;
}

bool TScriptedPrompts::InputQuery(const std::string& caption, const std::string& prompt, std::string& value)
{
  Records.push_back({TKind::Input, prompt, caption, TPromptButtons::OkCancel});
  return TakeAnswer(Inputs, value);
}

bool TScriptedPrompts::OpenFileName(const std::string& caption, const std::string& filter, std::string& path)
{
  Records.push_back({TKind::OpenFile, filter, caption, TPromptButtons::OkCancel});
  return TakeAnswer(Files, path);
}

bool TScriptedPrompts::SaveFileName(const std::string& caption, const std::string& filter, std::string& path,
                                    TOverwriteQuery query)
{
  Records.push_back({TKind::SaveFile, filter, caption, TPromptButtons::OkCancel});
  SaveQueries.push_back(query);
  return TakeAnswer(Files, path);
}

bool TScriptedPrompts::ChooseColor(uint32_t& color)
{
  Records.push_back({TKind::Color, IntToHex(color, 6), {}, TPromptButtons::OkCancel});
  return TakeAnswer(Colors, color);
}

std::vector<std::string> TScriptedPrompts::Texts(TKind kind) const
{
  std::vector<std::string> out;
  for (const auto& r : Records)
    if (r.Kind == kind)
      out.push_back(r.Text);
  return out;
}

void TScriptedPrompts::Clear()
{
  Answers.clear();
  Inputs.clear();
  Files.clear();
  Colors.clear();
  Records.clear();
  SaveQueries.clear();
  Unscripted = 0;
}

IPrompts* SetPrompts(IPrompts* prompts)
{
  IPrompts* previous = GInstalled;
  GInstalled = prompts;
  return previous;
}

IPrompts& Prompts() { return GInstalled ? *GInstalled : ConsolePrompts(); }
