#include "app/logic/SetWriteLogic.h"

#include "platform/Codepage.h"

std::string ZnsCommandRoot() { return "Zapis zestawów nastaw"_cp; }
std::string ZnsCommandConfirmCaption() { return "Potwierdź wykonanie polecenia"_cp; }

const std::vector<TZnsCommand>& ZnsCommands()
{
  static const std::vector<TZnsCommand> commands{
      {"Zapis zestawu 1", "ZNS1_1", 1, 1},
      {"Zapis zestawu 2", "ZNS2_2", 2, 2},
      {"Zapis zestawu 1 do 2", "ZNS1_2", 1, 2},
      {"Zapis zestawu 2 do 1", "ZNS2_1", 2, 1},
  };
  return commands;
}

const TZnsCommand* FindZnsCommand(std::string_view code)
{
  for (const auto& c : ZnsCommands())
    if (c.Code == code)
      return &c;
  return nullptr;
}
