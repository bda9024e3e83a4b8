#pragma once
// A document's file names: the file part, the name a save writes to, the window caption and
// the choice of the file a save writes, with the question before a file is written over.

#include <optional>
#include <string>

#include "platform/Prompts.h"

// The part after the last '/'.
std::string FileNamePart(const std::string& path);
// ".kiv" appended when the file part has no extension of its own.
std::string SaveFileName(const std::string& name);
// A caption: the file part up to (not including) its first '.'.
std::string CaptionOfName(const std::string& name);

// "Plik :<name> już istnieje\nPokryć istniejący plik ?"
std::string OverwriteQueryText(const std::string& fileName);

// --- Choosing the file a save writes --------------------------------------------------

// What choosing a save name asks of the window around it.
class ISaveNameSource {
public:
  virtual ~ISaveNameSource() = default;
  // The save dialog for a document, proposing `name`; on OK `name` holds the choice and the
  // result is true, on Cancel false.
  virtual bool ChooseName(std::string& name) = 0;
  virtual bool FileExists(const std::string& path) const = 0;
};

// "Zapisz jako": the save dialog until the user picks a file that does not exist yet or
// agrees to write over one (the name checked is the one written: "test" is test.kiv). "Nie"
// opens the dialog again; Cancel, in the dialog or at the question, gives up (nullopt).
// `current` is what the dialog proposes first.
std::optional<std::string> ChooseSaveAsName(const std::string& current, ISaveNameSource& source,
                                            IPrompts& prompts);

// "Zapisz": a document without a file of its own goes through "Zapisz jako". Otherwise its
// name, with ".kiv" added when it has no extension; that added name is another file and is
// not written over without asking: "Tak" takes it, "Nie" goes on as "Zapisz jako", Cancel
// gives up.
std::optional<std::string> ChooseSaveName(const std::string& current, bool hasName, ISaveNameSource& source,
                                          IPrompts& prompts);
