// kivprobe dump FILE.kiv: the document's fields, one "name: value" line each.
#include "kivprobe.h"

#include <filesystem>

#include "app/document/Kivbase.h"
#include "platform/Codepage.h"
#include "platform/DateTime.h"
#include "platform/NumText.h"

namespace {

std::string DateText(TDateTime d)
{
  TFormatSettings fs = LibraryFormat();
  fs.DateSeparator = '-';
  fs.TimeSeparator = ':';
  return FormatDateTime("yyyy/mm/dd hh:nn:ss", d, fs);
}

}  // namespace

int ProbeDump(TProbeContext& ctx, const std::vector<std::string>& args)
{
  if (args.size() != 1) {
    ctx.Err << "usage: kivprobe dump FILE.kiv\n";
    return 2;
  }
  TKiv kiv;
  ProbeSetUp(ctx, kiv);
  if (!kiv.LoadFromFile(args[0])) {
    ctx.Err << "kivprobe: cannot load " << args[0] << '\n';
    return 1;
  }
  std::ostream& out = ctx.Out;
  const TReadOptions o = kiv.GetReadOptions();
  ProbeLine(out, "model", IntToStr(kiv.GetKivType()));
  ProbeLine(out, "identification", Cp1250ToUtf8(kiv.GetIdent()));
  ProbeLine(out, "identification name", Cp1250ToUtf8(kiv.GetIdentName()));
  ProbeLine(out, "version", IntToStr(kiv.GetVerMajor()) + "." + IntToStr(kiv.GetVerMinor()));
  ProbeLine(out, "station", Cp1250ToUtf8(kiv.GetStationInfo()));
  ProbeLine(out, "created", DateText(kiv.GetCreateDate()));
  ProbeLine(out, "event register read", DateText(kiv.GetEvRegDate()));
  ProbeLine(out, "set 1 read", DateText(kiv.GetZns1Date()));
  ProbeLine(out, "set 2 read", DateText(kiv.GetZns2Date()));
  ProbeLine(out, "slave address", IntToStr(o[ReadOption::SlaveAddress]));
  ProbeLine(out, "read set 1", IntToStr(o[ReadOption::ReadZns1]));
  ProbeLine(out, "read set 2", IntToStr(o[ReadOption::ReadZns2]));
  ProbeLine(out, "read event register", IntToStr(o[ReadOption::ReadEvReg]));
  ProbeLine(out, "correct times", IntToStr(o[ReadOption::CorrectTimes]));
  ProbeLine(out, "show all events", IntToStr(o[ReadOption::ShowAllEvents]));
  ProbeLine(out, "set 1 length", IntToStr(kiv.GetZns1Size()));
  ProbeLine(out, "set 2 length", IntToStr(kiv.GetZns2Size()));
  ProbeLine(out, "event register length", IntToStr(kiv.GetEvRegSize()));
  ProbeLine(out, "definitions", std::filesystem::path(kiv.Defs().DefFileName()).filename().string());
  const std::vector<std::string> notes = kiv.GetNotes();
  ProbeLine(out, "notes", IntToStr(int64_t(notes.size())));
  for (size_t k = 0; k < notes.size(); ++k)
    ProbeLine(out, "note " + IntToStr(int64_t(k + 1)), Cp1250ToUtf8(notes[k]));
  return 0;
}
