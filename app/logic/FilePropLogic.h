#pragma once
// What the file properties dialog shows of a document, and how its edits go back: the fill
// and apply steps without the window, so they can be checked on a document alone.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

class TKiv;

// Texts of the dialog (Windows-1250).
struct TFileInfoView {
  std::vector<std::string> Notes;
  std::string DateCreate;
  std::string KivType;         // "KIVS-2", "KIVS-3" or "?"
  std::string VersionText;     // "Wersja programu: " + major + "." + minor
  std::string KivVersionText;  // "Wersja automatu: " + the identification name
  std::string BackupText;      // "kondensatorowe", "bateryjne" or "?"
  std::string StationInfo;
};

TFileInfoView FileInfoFromDocument(const TKiv& kiv);

// The power-backup kind the identification name tells by its fourth character.
std::string PowerBackupText(std::string_view identName);

// The notes as the memo holds them, one line per '\n'-separated piece: every line is kept,
// an empty last one included, so a notes block ending in empty lines comes back whole. An
// empty memo holds no line.
std::vector<std::string> NotesFromMemoText(std::string_view text);

// What the user edited in the dialog: a field is present only when its text was changed.
// A field left alone is never rewritten, so bytes the dialog cannot show (a code-page byte
// with no letter) stay as they were loaded.
struct TFileInfoEdits {
  std::optional<std::vector<std::string>> Notes;
  std::optional<std::string> StationInfo;
};

// Writes the edits back; true when anything changed, and then the document is marked
// modified. Edited notes always count as a change; an edited station text counts only when,
// cut to its field, it differs from the stored one. Notes and station text are cut by bytes
// to their fields; the notes area is cleared before it is written.
bool ApplyFileInfo(TKiv& kiv, const TFileInfoEdits& edits);
