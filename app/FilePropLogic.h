#pragma once
// What the file properties dialog shows of a document, and how its edits go back: the fill
// and apply steps without the window, so they can be checked on a document alone.

#include <string>
#include <string_view>
#include <vector>

class TKiv;

// Texts of the dialog (Windows-1250).
struct TFileInfoView {
    std::vector<std::string> Notes;
    std::string DateCreate;
    std::string KivType;        // "KIVS-2", "KIVS-3" or "?"
    std::string VersionText;    // "Wersja programu: " + major + "." + minor
    std::string KivVersionText; // "Wersja automatu: " + the identification name
    std::string BackupText;     // "kondensatorowe", "bateryjne" or "?"
    std::string StationInfo;
};

TFileInfoView FileInfoFromDocument(const TKiv& kiv);

// The power-backup kind the identification name tells by its fourth character.
std::string PowerBackupText(std::string_view identName);

// Writes the edited notes (when the user changed them) and station text back; true when
// anything changed, and then the document is marked modified. Notes and station text are
// cut by bytes to their fields; the notes area is cleared before it is written.
bool ApplyFileInfo(TKiv& kiv, const std::vector<std::string>& notes, std::string_view stationInfo, bool notesChanged);
