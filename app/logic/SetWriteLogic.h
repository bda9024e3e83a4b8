#pragma once
// The set-write commands the document window offers in its command tree.

#include <string>
#include <string_view>
#include <vector>

struct TZnsCommand {
  std::string Caption;  // Windows-1250
  std::string Code;
  int Source = 0;
  int Target = 0;
};
// The tree's root item and the caption of the confirmation box (Windows-1250).
std::string ZnsCommandRoot();
std::string ZnsCommandConfirmCaption();
// The four commands in tree order.
const std::vector<TZnsCommand>& ZnsCommands();
// The command of a code; nullptr for an unknown code.
const TZnsCommand* FindZnsCommand(std::string_view code);
