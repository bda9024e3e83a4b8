// The companion files of a COMTRADE set besides configuration and data: the header text
// (.HDR), the information file (.INF: the configuration again in named keys, with the display
// settings and the recording attributes) and the folder's display settings ("Default.inf").
#include <algorithm>

#include "platform/NumText.h"
#include "ternik/ComTrade3UnitInterface.h"

namespace {

const char kFileSection[] = "Public File_Description";
const char kAttribSection[] = "Velmarsk RecAttribs";

std::string AnalogSection(size_t n) { return "Public Analog_Channel_#" + IntToStr(int64_t(n)); }
std::string StatusSection(size_t n) { return "Public Status_Channel_#" + IntToStr(int64_t(n)); }

void WriteReal(TIniFile& ini, const std::string& sec, const char* key, double v)
{
  ini.WriteString(sec, key, FloatToStr(v, ComtradeFormat()));
}

void WriteFlag(TIniFile& ini, const std::string& sec, const char* key, bool v)
{
  ini.WriteString(sec, key, v ? "1" : "0");
}

int32_t Clamp32(int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

// The eight keys every channel section starts with.
void WriteCommon(TIniFile& ini, const std::string& sec, const TSygDescr& d)
{
  ini.WriteString(sec, "Channel_ID", d.ChannelId);
  ini.WriteString(sec, "Phase_ID", d.Phase);
  ini.WriteString(sec, "Monitored_Component", d.Component);
  ini.WriteInteger(sec, "Pen_Color", d.PenColor);
  ini.WriteInteger(sec, "Background_Color", d.BackgroundColor);
  WriteFlag(ini, sec, "Channel_Visible", d.Visible);
  WriteFlag(ini, sec, "IsTrigSource", d.IsTrigSource);
  ini.WriteString(sec, "UserWaveComment", d.Comment);
}

void WriteDisplay(TIniFile& ini, const std::string& sec, const TSygDescr& d)
{
  ini.WriteInteger(sec, "Pen_Color", d.PenColor);
  ini.WriteInteger(sec, "Background_Color", d.BackgroundColor);
  WriteFlag(ini, sec, "Channel_Visible", d.Visible);
  ini.WriteString(sec, "UserWaveComment", d.Comment);
}

void ReadDisplay(const TIniFile& ini, const std::string& sec, TSygDescr& d)
{
  d.PenColor = ini.ReadInteger(sec, "Pen_Color", d.PenColor);
  d.BackgroundColor = ini.ReadInteger(sec, "Background_Color", d.BackgroundColor);
  d.Visible = ini.ReadInteger(sec, "Channel_Visible", d.Visible ? 1 : 0) != 0;
  d.Comment = ini.ReadString(sec, "UserWaveComment", "");
}

void ReadDisplayAll(const TIniFile& ini, TComtrade& rec)
{
  for (int32_t n = 0; n < rec.Analogs->Count(); ++n)
    ReadDisplay(ini, AnalogSection(size_t(n) + 1), rec.Analogs->Items(n));
  for (int32_t n = 0; n < rec.Statuses->Count(); ++n)
    ReadDisplay(ini, StatusSection(size_t(n) + 1), rec.Statuses->Items(n));
}

void PutIni(const TIniFile& ini, TStream& stream)
{
  stream.Clear();
  stream.Write(ini.ToString());
}

}  // namespace

void TComtradeInterface::ReadHdr(TComtrade& rec, TStream* stream)
{
  rec.HdrText.clear();
  if (stream)
    rec.HdrText = SplitTextLines(stream->ReadAll());
}

void TComtradeInterface::WriteHdrToStream(const TComtrade& rec, TStream& stream)
{
  if (rec.HdrText.empty())
    return;
  stream.Write(JoinTextLines(rec.HdrText));
}

void TComtradeInterface::ReadInf(TComtrade& rec, TStream* stream)
{
  rec.Inf.Clear();
  if (stream)
    rec.Inf.LoadFromString(stream->ReadAll());
  rec.Inf.SetLineBreak("\r\n");
}

void TComtradeInterface::WriteInf(TComtrade& rec, const std::string& fileType,
                                  const TAnalogSelection& analogs, const TCyfrSelection& statuses,
                                  int64_t last, int64_t first)
{
  TIniFile& ini = rec.Inf;
  const TObFileParam& fp = rec.FileParam;
  const std::string sec = kFileSection;
  ini.WriteString(sec, "Station_Name", fp.StationName);
  ini.WriteString(sec, "Recording_Device_ID", fp.RecordingDeviceId);
  ini.WriteInteger(sec, "Revision_Year", fp.RevisionYear);
  ini.WriteInteger(sec, "Total_Channel_Count", Clamp32(int64_t(analogs.size() + statuses.size())));
  ini.WriteInteger(sec, "Analog_Channel_Count", Clamp32(int64_t(analogs.size())));
  ini.WriteInteger(sec, "Status_Channel_Count", Clamp32(int64_t(statuses.size())));
  WriteReal(ini, sec, "Line_Frequency", fp.LineFrequency);
  // The rate keys tell what the configuration written with them tells.
  const TCfgRateSpec spec = CfgRates(rec, last, first);
  const size_t segments = spec.ZeroRate && spec.SourceSegments == 0 ? 0 : spec.Segments.size();
  ini.WriteInteger(sec, "Sample_Rate_Count", Clamp32(int64_t(segments)));
  for (size_t k = 0; k < segments; ++k) {
    WriteReal(ini, sec, ("Sample_Rate_#" + IntToStr(int64_t(k + 1))).c_str(), spec.Segments[k].first);
    ini.WriteInteger(sec, "End_Sample_Rate_#" + IntToStr(int64_t(k + 1)), Clamp32(spec.Segments[k].second));
  }
  ini.WriteString(sec, "File_Start_Time", CfgStartTime(rec, first).FormatText());
  ini.WriteString(sec, "Trigger_Time", fp.TriggerTime.FormatText());
  ini.WriteString(sec, "File_Type", fileType);
  WriteReal(ini, sec, "Time_Multiplier", fp.TimeMultiplier);

  for (size_t n = 0; n < analogs.size(); ++n) {
    const TAnalogDescr& d = *analogs[n];
    const std::string s = AnalogSection(n + 1);
    WriteCommon(ini, s, d);
    ini.WriteString(s, "Channel_Units", d.Units);
    WriteReal(ini, s, "Channel_Multiplier", d.A);
    WriteReal(ini, s, "Channel_Offset", d.B);
    WriteReal(ini, s, "Channel_Skew", d.Skew);
    ini.WriteInteger(s, "Range_Minimum_Limit_Value", d.RangeMin);
    ini.WriteInteger(s, "Range_Maximum_Limit_Value", d.RangeMax);
    WriteReal(ini, s, "Channel_Ratio_Primary", d.Primary);
    WriteReal(ini, s, "Channel_Ratio_Secondary", d.Secondary);
    ini.WriteString(s, "Data_Primary_Secondary", std::string(PSNames[d.PS == 1 ? 1 : 0]));
  }
  for (size_t n = 0; n < statuses.size(); ++n) {
    const TCyfrDescr& d = *statuses[n];
    const std::string s = StatusSection(n + 1);
    WriteCommon(ini, s, d);
    ini.WriteString(s, "Normal_State", d.NormalState == 1 ? "1" : "0");
  }
  const std::string a = kAttribSection;
  ini.WriteString(a, "TrigSrcDescr", rec.RecAttribs.TrigSrcDescr);
  ini.WriteString(a, "Komment", rec.RecAttribs.Komment);
  ini.WriteInteger(a, "ID", rec.RecAttribs.ID);
  WriteFlag(ini, a, "Interrupted", rec.RecAttribs.Interrupted);
}

void TComtradeInterface::WriteInf(TComtrade& rec, const std::string& fileType)
{
  TAnalogSelection analogs;
  TCyfrSelection statuses;
  rec.SelectChannels(false, analogs, statuses);
  WriteInf(rec, fileType, analogs, statuses, -1, -1);
}

void TComtradeInterface::SaveInfToStream(TComtrade& rec, TStream& stream, const std::string& fileType,
                                         const TAnalogSelection& analogs, const TCyfrSelection& statuses,
                                         int64_t last, int64_t first)
{
  rec.Inf.Clear();
  rec.Inf.SetLineBreak("\r\n");
  WriteInf(rec, fileType, analogs, statuses, last, first);
  PutIni(rec.Inf, stream);
}

void TComtradeInterface::SaveInfToStream(TComtrade& rec, TStream& stream) const
{
  TAnalogSelection analogs;
  TCyfrSelection statuses;
  rec.SelectChannels(false, analogs, statuses);
  SaveInfToStream(rec, stream, std::string(DataFileFormatNames[rec.DataFileFormat() == 0 ? 0 : 1]), analogs,
                  statuses, -1, -1);
}

void TComtradeInterface::ReadInfView(TComtrade& rec)
{
  ReadDisplayAll(rec.Inf, rec);
  const std::string a = kAttribSection;
  rec.RecAttribs.TrigSrcDescr = rec.Inf.ReadString(a, "TrigSrcDescr", "");
  rec.RecAttribs.Komment = rec.Inf.ReadString(a, "Komment", "");
  rec.RecAttribs.ID = rec.Inf.ReadInteger(a, "ID", 0);
  rec.RecAttribs.Interrupted = rec.Inf.ReadInteger(a, "Interrupted", 0) != 0;
}

void TComtradeInterface::ReadDefaultInf(TComtrade& rec, TStream& stream)
{
  if (stream.Size() <= 0)
    return;
  TIniFile ini;
  ini.LoadFromString(stream.ReadAll());
  ReadDisplayAll(ini, rec);
}

void TComtradeInterface::SaveViewToStream(TComtrade& rec, TStream& stream) const
{
  TIniFile ini;
  ini.SetLineBreak("\r\n");
  for (int32_t n = 0; n < rec.Analogs->Count(); ++n)
    WriteDisplay(ini, AnalogSection(size_t(n) + 1), rec.Analogs->Items(n));
  for (int32_t n = 0; n < rec.Statuses->Count(); ++n)
    WriteDisplay(ini, StatusSection(size_t(n) + 1), rec.Statuses->Items(n));
  PutIni(ini, stream);
}

const TComtradeInterface& ComtradeInterface()
{
  static const TComtradeInterface instance;
  return instance;
}
