// The header text, the information file and the display settings of a COMTRADE set.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Codepage.h"
#include "ComTrade3TestSupport.h"
#include "ternik/ComTrade3UnitInterface.h"

namespace {

// Two analog channels numbered 7 and 9, one status channel numbered 4, two rates.
void Build(TComtrade& rec)
{
  rec.FileParam.StationName = "Stacja";
  rec.FileParam.RecordingDeviceId = "Rej";
  rec.FileParam.RevisionYear = 1999;
  rec.FileParam.LineFrequency = 50;
  rec.FileParam.TimeMultiplier = 0.1;
  rec.FileParam.StartTime.ParseDate(1999, "05/01/2001");
  rec.FileParam.StartTime.ParseTime(1999, "01:02:03.000007");
  rec.FileParam.TriggerTime = rec.FileParam.StartTime;
  rec.FileParam.TriggerTime.AddMicroseconds(250000);
  for (int n : {7, 9}) {
    TAnalogDescr& a = rec.Analogs->AddChannel(MemoryFormatScaled);
    a.Number = n;
    a.SetChannelIdS("U" + IntToStr(n));
    a.SetUnitS("kV");
    a.A = 0.25;
    a.B = -1;
    a.RangeMin = -100;
    a.RangeMax = 100;
    a.PenColor = 0x0000FF * n;
    a.Comment = "opis " + IntToStr(n);
  }
  TCyfrDescr& c = rec.Statuses->AddChannel();
  c.Number = 4;
  c.SetChannelIdS("Q1");
  c.NormalState = 1;
  c.Visible = false;
  c.IsTrigSource = true;
  AddRates(rec, {{1000, 200}, {500, 400}});
  rec.RecAttribs = {"Zabezpieczenie"_cp, "Zwarcie"_cp, 12, true};
}

TEST(ComTrade3Inf, WritesTheTableInOrder)
{
  TComtrade rec;
  Build(rec);
  TMemoryStream s;
  ComtradeInterface().SaveInfToStream(rec, s);
  const std::vector<std::string> sections = rec.Inf.ReadSections();
  EXPECT_EQ(sections, (std::vector<std::string>{"Public File_Description", "Public Analog_Channel_#1",
                                                "Public Analog_Channel_#2", "Public Status_Channel_#1",
                                                "Velmarsk RecAttribs"}));
  EXPECT_EQ(rec.Inf.ReadSection("Public File_Description"),
            (std::vector<std::string>{"Station_Name", "Recording_Device_ID", "Revision_Year",
                                      "Total_Channel_Count", "Analog_Channel_Count", "Status_Channel_Count",
                                      "Line_Frequency", "Sample_Rate_Count", "Sample_Rate_#1",
                                      "End_Sample_Rate_#1", "Sample_Rate_#2", "End_Sample_Rate_#2",
                                      "File_Start_Time", "Trigger_Time", "File_Type", "Time_Multiplier"}));
  EXPECT_EQ(rec.Inf.ReadSection("Public Analog_Channel_#2"),
            (std::vector<std::string>{
                "Channel_ID", "Phase_ID", "Monitored_Component", "Pen_Color", "Background_Color",
                "Channel_Visible", "IsTrigSource", "UserWaveComment", "Channel_Units", "Channel_Multiplier",
                "Channel_Offset", "Channel_Skew", "Range_Minimum_Limit_Value", "Range_Maximum_Limit_Value",
                "Channel_Ratio_Primary", "Channel_Ratio_Secondary", "Data_Primary_Secondary"}));
  EXPECT_EQ(rec.Inf.ReadSection("Public Status_Channel_#1").back(), "Normal_State");
  EXPECT_EQ(rec.Inf.ReadSection("Velmarsk RecAttribs"),
            (std::vector<std::string>{"TrigSrcDescr", "Komment", "ID", "Interrupted"}));
  const auto v = [&](const char* sec, const char* key) { return rec.Inf.ReadString(sec, key, "?"); };
  const struct {
    const char* Section;
    const char* Key;
    std::string Value;
  } values[] = {
      {"Public File_Description", "Total_Channel_Count", "3"},
      {"Public File_Description", "Line_Frequency", "50"},
      {"Public File_Description", "Sample_Rate_#2", "500"},
      {"Public File_Description", "End_Sample_Rate_#2", "400"},
      {"Public File_Description", "File_Start_Time", "05/01/2001,01:02:03.000007"},
      {"Public File_Description", "Trigger_Time", "05/01/2001,01:02:03.250007"},
      {"Public File_Description", "File_Type", "ASCII"},
      {"Public File_Description", "Time_Multiplier", "0.1"},
      {"Public Analog_Channel_#2", "Channel_ID", "U9"},
      {"Public Analog_Channel_#2", "Pen_Color", IntToStr(0xFF * 9)},
      {"Public Analog_Channel_#2", "Channel_Multiplier", "0.25"},
      {"Public Analog_Channel_#2", "Channel_Offset", "-1"},
      {"Public Analog_Channel_#2", "Data_Primary_Secondary", "P"},
      {"Public Status_Channel_#1", "Channel_Visible", "0"},
      {"Public Status_Channel_#1", "IsTrigSource", "1"},
      {"Public Status_Channel_#1", "Normal_State", "1"},
      {"Velmarsk RecAttribs", "Komment", "Zwarcie"_cp},
      {"Velmarsk RecAttribs", "Interrupted", "1"},
  };
  for (const auto& e : values)
    EXPECT_EQ(v(e.Section, e.Key), e.Value) << e.Section << " " << e.Key;
  // The stream holds the ini's lines, ended by CR LF.
  EXPECT_EQ(s.Data().substr(0, 27), "[Public File_Description]\r\n");
  EXPECT_EQ(s.Data(), rec.Inf.ToString());

  rec.SetDataFileFormat(1);
  rec.Analogs->ScaleAnalog();  // A is set, so only a rescale request changes the channel
  rec.Analogs->Items(0).Rescale = true;
  rec.Analogs->ScaleAnalog();
  ComtradeInterface().SaveInfToStream(rec, s);
  EXPECT_EQ(v("Public File_Description", "File_Type"), "BINARY");
  EXPECT_EQ(v("Public Analog_Channel_#1", "Data_Primary_Secondary"), "S");
}

TEST(ComTrade3Inf, SelectedSaveFollowsTheConfiguration)
{
  TComtrade rec;
  Build(rec);
  rec.Analogs->Items(0).Visible = false;
  rec.View = {0.1, 0.5};
  TAnalogSelection a;
  TCyfrSelection s;
  rec.SelectChannels(true, a, s);
  const int32_t first = rec.Rates->SampleAtTime(rec.View.ViewStart);
  const int32_t last = rec.Rates->SampleAtTime(rec.View.ViewEnd);
  ASSERT_EQ(first, 100);
  ASSERT_EQ(last, 350);
  TMemoryStream inf;
  TComtradeInterface::SaveInfToStream(rec, inf, "BINARY", a, s, last, first);
  std::vector<std::string> cfg;
  TComtradeInterface::WriteCfgLines(rec, cfg, s, a, last, first, 1);
  const auto v = [&](const char* sec, const char* key) { return rec.Inf.ReadString(sec, key, "?"); };
  // The one analog channel written is the second one; its colours and comment go with it.
  EXPECT_EQ(v("Public File_Description", "Analog_Channel_Count"), "1");
  EXPECT_EQ(v("Public File_Description", "Status_Channel_Count"), "0");
  EXPECT_EQ(v("Public Analog_Channel_#1", "Channel_ID"), "U9");
  EXPECT_EQ(v("Public Analog_Channel_#1", "UserWaveComment"), "opis 9");
  EXPECT_FALSE(rec.Inf.SectionExists("Public Analog_Channel_#2"));
  EXPECT_EQ(cfg[1], "1,01A,00D");
  EXPECT_EQ(v("Public File_Description", "Sample_Rate_Count"), cfg[4]);
  EXPECT_EQ(cfg[5], "1000.000,100");
  EXPECT_EQ(cfg[6], "500.000,250");
  EXPECT_EQ(v("Public File_Description", "End_Sample_Rate_#1"), "100");
  EXPECT_EQ(v("Public File_Description", "End_Sample_Rate_#2"), "250");
  EXPECT_EQ(v("Public File_Description", "File_Start_Time"), cfg[7]);
  EXPECT_EQ(cfg[7], "05/01/2001,01:02:03.100007");

  // No window (-1): the recording's own start, not one second before it.
  TComtrade plain;
  Build(plain);
  TComtradeInterface::WriteInf(plain, "BINARY");
  EXPECT_EQ(plain.Inf.ReadString("Public File_Description", "File_Start_Time", ""),
            "05/01/2001,01:02:03.000007");
}

TEST(ComTrade3Inf, ReadViewAndDefaultInfWinOrder)
{
  TComtrade rec;
  Build(rec);
  TMemoryStream inf;
  ComtradeInterface().SaveInfToStream(rec, inf);
  TMemoryStream view;
  rec.Analogs->Items(0).PenColor = 111;
  rec.Analogs->Items(1).Comment = "z folderu";
  ComtradeInterface().SaveViewToStream(rec, view);

  TComtrade back;
  Build(back);
  for (const auto& d : *back.Analogs) {
    d->PenColor = 5;
    d->Comment = "x";
  }
  back.RecAttribs = {};
  TComtradeInterface::ReadInf(back, &inf);
  TComtradeInterface::ReadDefaultInf(back, view);
  EXPECT_EQ(back.Analogs->Items(0).PenColor, 111);
  EXPECT_EQ(back.Analogs->Items(1).Comment, "z folderu");
  TComtradeInterface::ReadInfView(back);  // the recording's own file wins
  EXPECT_EQ(back.Analogs->Items(0).PenColor, 0xFF * 7);
  EXPECT_EQ(back.Analogs->Items(1).Comment, "opis 9");
  EXPECT_FALSE(back.Statuses->Items(0).Visible);
  EXPECT_EQ(back.RecAttribs.TrigSrcDescr, "Zabezpieczenie"_cp);
  EXPECT_EQ(back.RecAttribs.Komment, "Zwarcie"_cp);
  EXPECT_EQ(back.RecAttribs.ID, 12);
  EXPECT_TRUE(back.RecAttribs.Interrupted);

  // Without an .INF: comments and attributes reset, colours and visibility kept.
  TComtrade none;
  Build(none);
  none.Statuses->Items(0).PenColor = 77;
  TComtradeInterface::ReadInf(none, nullptr);
  TComtradeInterface::ReadInfView(none);
  EXPECT_EQ(none.Analogs->Items(0).Comment, "");
  EXPECT_EQ(none.Statuses->Items(0).PenColor, 77);
  EXPECT_FALSE(none.Statuses->Items(0).Visible);
  EXPECT_EQ(none.RecAttribs.TrigSrcDescr, "");
  EXPECT_EQ(none.RecAttribs.ID, 0);
  EXPECT_FALSE(none.RecAttribs.Interrupted);

  // An empty "Default.inf" changes nothing.
  TMemoryStream empty;
  none.Analogs->Items(0).Comment = "stays";
  TComtradeInterface::ReadDefaultInf(none, empty);
  EXPECT_EQ(none.Analogs->Items(0).Comment, "stays");
}

TEST(ComTrade3Inf, ViewFileHoldsOnlyTheDisplayKeys)
{
  TComtrade rec;
  Build(rec);
  TMemoryStream s(std::string(5000, 'x'));
  ComtradeInterface().SaveViewToStream(rec, s);
  TIniFile ini;
  ini.LoadFromString(s.Data());
  EXPECT_EQ(ini.ReadSections(),
            (std::vector<std::string>{"Public Analog_Channel_#1", "Public Analog_Channel_#2",
                                      "Public Status_Channel_#1"}));
  EXPECT_EQ(
      ini.ReadSection("Public Status_Channel_#1"),
      (std::vector<std::string>{"Pen_Color", "Background_Color", "Channel_Visible", "UserWaveComment"}));
  EXPECT_EQ(s.Data().find("xxxx"), std::string::npos);
}

TEST(ComTrade3Inf, HeaderText)
{
  TComtrade rec;
  TMemoryStream out;
  TComtradeInterface::WriteHdrToStream(rec, out);
  EXPECT_EQ(out.Size(), 0);
  TMemoryStream in("Linia 1\r\nOpis zdarzenia\nostatnia"_cp);
  TComtradeInterface::ReadHdr(rec, &in);
  EXPECT_EQ(rec.HdrText, (std::vector<std::string>{"Linia 1", "Opis zdarzenia", "ostatnia"}));
  TComtradeInterface::WriteHdrToStream(rec, out);
  EXPECT_EQ(out.Data(), "Linia 1\r\nOpis zdarzenia\r\nostatnia\r\n");
  TComtradeInterface::ReadHdr(rec, nullptr);
  EXPECT_TRUE(rec.HdrText.empty());
  rec.Inf.WriteString("a", "b", "c");
  TComtradeInterface::ReadInf(rec, nullptr);
  EXPECT_TRUE(rec.Inf.ReadSections().empty());
}

}  // namespace
