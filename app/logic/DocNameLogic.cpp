#include "app/logic/DocNameLogic.h"

#include "platform/Codepage.h"

std::string FileNamePart(const std::string& path)
{
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string SaveFileName(const std::string& name)
{
  const std::string file = FileNamePart(name);
  // A leading dot names a hidden file, not an extension.
  const size_t dot = file.rfind('.');
  if (dot == std::string::npos || dot == 0)
    return name + ".kiv";
  return name;
}

std::string CaptionOfName(const std::string& name) { return name.substr(0, name.find('.')); }

std::string OverwriteQueryText(const std::string& fileName)
{
  return "Plik :" + Utf8ToCp1250(fileName) + " już istnieje"_cp + "\n" + "Pokryć istniejący plik ?"_cp;
}

// --- Choosing the file a save writes --------------------------------------------------

namespace {
TPromptAnswer AskOverwrite(IPrompts& prompts, const std::string& name)
{
  return prompts.Confirm(OverwriteQueryText(name), std::string(), TPromptButtons::YesNoCancel,
                         TPromptKind::Warning);
}
}  // namespace

std::optional<std::string> ChooseSaveAsName(const std::string& current, ISaveNameSource& source,
                                            IPrompts& prompts)
{
  std::string name = current;
  for (;;) {
    if (!source.ChooseName(name))
      return std::nullopt;
    name = SaveFileName(name);
    if (!source.FileExists(name))
      return name;
    switch (AskOverwrite(prompts, name)) {
    case TPromptAnswer::Yes:
      return name;
    case TPromptAnswer::No:
      continue;
    default:
      return std::nullopt;
    }
  }
}

std::optional<std::string> ChooseSaveName(const std::string& current, bool hasName, ISaveNameSource& source,
                                          IPrompts& prompts)
{
  if (!hasName)
    return ChooseSaveAsName(current, source, prompts);
  const std::string target = SaveFileName(current);
  if (target == current || !source.FileExists(target))
    return target;
  switch (AskOverwrite(prompts, target)) {
  case TPromptAnswer::Yes:
    return target;
  case TPromptAnswer::No:
    return ChooseSaveAsName(current, source, prompts);
  default:
    return std::nullopt;
  }
}
