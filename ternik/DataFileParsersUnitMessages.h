// The texts of the data-file unit: the message group every reader of recorded data takes its
// messages from, by key, with the Polish defaults shown while no translation is loaded.
#pragma once

#include <array>
#include <string>
#include <string_view>

class TXLangGroup;

struct TDfpMessage {
  std::string_view Key;
  std::string_view DefaultText;  // Windows-1250
};

// The group's name is spelled as the dictionary files have always spelled it.
inline constexpr std::string_view DataFileParserGroupName = "DateFileParserUnit";
extern const std::array<TDfpMessage, 34> DataFileParserMessages;

// Creates (or finds) the group in the global dictionary and adds the 34 keys in order. The
// data-file unit's start-up calls this once.
void AddDataFileParserMessages();
// The text of a key: from the dictionary's group while the library runs, else the default.
std::string DfpTranslate(std::string_view key);
