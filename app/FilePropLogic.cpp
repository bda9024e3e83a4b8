#include "app/FilePropLogic.h"

#include "app/Kivbase.h"
#include "platform/Codepage.h"
#include "platform/DateTime.h"
#include "platform/NumText.h"

std::string PowerBackupText(std::string_view identName)
{
    if (identName.size() < 4)
        return "?";
    return CpUpper(identName[3]) == 'C' ? "kondensatorowe" : "bateryjne";
}

TFileInfoView FileInfoFromDocument(const TKiv& kiv)
{
    TFileInfoView v;
    v.Notes = kiv.GetNotes();
    v.DateCreate = DateToStr(kiv.GetCreateDate(), UtilityFormat());
    const int model = kiv.GetKivType();
    v.KivType = model == 1 ? "KIVS-2" : model == 2 ? "KIVS-3" : "?";
    v.VersionText = "Wersja programu: " + IntToStr(kiv.GetVerMajor()) + "." + IntToStr(kiv.GetVerMinor());
    const std::string name = kiv.GetIdentName();
    v.KivVersionText = "Wersja automatu: " + name;
    v.BackupText = PowerBackupText(name);
    v.StationInfo = kiv.GetStationInfo();
    return v;
}

bool ApplyFileInfo(TKiv& kiv, const std::vector<std::string>& notes, std::string_view stationInfo, bool notesChanged)
{
    bool changed = false;
    // Unedited notes are left as they lie, so the image stays byte for byte what was loaded.
    if (notesChanged) {
        kiv.SetNotes(notes);
        changed = true;
    }
    const std::string_view station = stationInfo.substr(0, KivImage::TEXT_MAX);
    if (station != kiv.GetStationInfo()) {
        kiv.SetStationInfo(station);
        changed = true;
    }
    if (changed)
        kiv.SetModified(true);
    return changed;
}
