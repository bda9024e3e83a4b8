#include "app/logic/FilePropLogic.h"

#include "app/document/Kivbase.h"
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

std::vector<std::string> NotesFromMemoText(std::string_view text)
{
  std::vector<std::string> lines;
  if (text.empty())
    return lines;
  size_t start = 0;
  for (;;) {
    const size_t end = text.find('\n', start);
    lines.emplace_back(
        text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
    if (end == std::string_view::npos)
      return lines;
    start = end + 1;
  }
}

bool ApplyFileInfo(TKiv& kiv, const TFileInfoEdits& edits)
{
  bool changed = false;
  if (edits.Notes) {
    kiv.SetNotes(*edits.Notes);
    changed = true;
  }
  if (edits.StationInfo) {
    const std::string_view station = std::string_view(*edits.StationInfo).substr(0, KivImage::TEXT_MAX);
    if (station != kiv.GetStationInfo()) {
      kiv.SetStationInfo(station);
      changed = true;
    }
  }
  if (changed)
    kiv.SetModified(true);
  return changed;
}
