// ternikprobe's recording commands:
//
//   comtrade-dump FILE.cfg                      load a COMTRADE set and print it
//   comtrade-copy IN.cfg OUT.cfg [--ascii|--binary]   load a set and save it whole
//   load FILE                                   load any file a registered interface reads
//
// The dump is one "name: value" line each for station, device, revision, line frequency,
// data format, time multiplier, start, trigger, analog channels, status channels, rate
// segments ("rate,end" pairs separated by blanks), analog ids and status ids (separated by
// "|"), then the samples as CSV under a header line: the time in seconds, each analog
// channel's raw value x A + B, each status value. Texts are printed as UTF-8; warnings go to
// stderr as "warning: <text>".
//
// A data file beside a configuration that exists but cannot be read (a FIFO, a folder, a
// device, no permission) fails the command with "error: <reason>" instead of loading as an
// empty recording.
//
// comtrade-copy never leaves a configuration beside a data file it does not describe: it
// removes the target's configuration first, puts the data, header and information files,
// and the new configuration last, each through the replacing save. A copy stopped at any
// point leaves the old set, the new set, or files without a configuration, which do not
// load. For the tests that stop it, TERNIKPROBE_COPY_KILL_AFTER=N makes the copy kill
// itself (SIGKILL) after its N-th step.
#include "ternikprobe_comtrade.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/Codepage.h"
#include "platform/NumText.h"
#include "platform/SysUtil.h"
#include "ternik/ComTrade3UnitInterface.h"
#include "ternik/DataFileParsersUnit.h"

#include <unistd.h>

namespace {

constexpr size_t kMaxFile = size_t(1) << 31;

void Warn(const std::string& text) { std::fprintf(stderr, "warning: %s\n", Cp1250ToUtf8(text).c_str()); }

std::string Num(double v) { return FloatToStr(v, LibraryFormat()); }

void Line(const char* name, const std::string& value)
{
  std::printf("%s: %s\n", name, Cp1250ToUtf8(value).c_str());
}

void Dump(const TComtrade& rec)
{
  const TObFileParam& fp = rec.FileParam;
  Line("station", fp.StationName);
  Line("device", fp.RecordingDeviceId);
  Line("revision", IntToStr(fp.RevisionYear));
  Line("line frequency", Num(fp.LineFrequency));
  Line("data format", std::string(DataFileFormatNames[rec.DataFileFormat() == 0 ? 0 : 1]));
  Line("time multiplier", Num(fp.TimeMultiplier));
  Line("start", fp.StartTime.FormatText());
  Line("trigger", fp.TriggerTime.FormatText());
  Line("analog channels", IntToStr(rec.Analogs->Count()));
  Line("status channels", IntToStr(rec.Statuses->Count()));
  std::string segments;
  for (int32_t k = 0; k < rec.Rates->SegmentCount(); ++k) {
    if (k)
      segments += ' ';
    segments += Num(rec.Rates->GetItem(k).Rate) + "," + IntToStr(rec.Rates->GetItem(k).EndSample());
  }
  Line("rate segments", segments);
  std::string ids, header = "t";
  for (const auto& d : *rec.Analogs) {
    ids += (ids.empty() ? "" : "|") + d->ChannelId;
    header += "," + d->ChannelId;
  }
  Line("analog ids", ids);
  ids.clear();
  for (const auto& d : *rec.Statuses) {
    ids += (ids.empty() ? "" : "|") + d->ChannelId;
    header += "," + d->ChannelId;
  }
  Line("status ids", ids);
  std::printf("%s\n", Cp1250ToUtf8(header).c_str());
  std::string row;
  for (int32_t r = 0; r < rec.GetSampleCount(); ++r) {
    row = Num(rec.Rates->GetTime(r));
    for (const auto& d : *rec.Analogs)
      row += "," + Num(d->GetRawSample(r) * d->A + d->B);
    for (const auto& d : *rec.Statuses)
      row += d->GetSample(r) ? ",1" : ",0";
    std::printf("%s\n", row.c_str());
  }
}

// The streams of the named files; a file that cannot be read gives an empty stream.
void ReadFiles(const TStringArray& names, TStreamArray& streams)
{
  streams.clear();
  for (const std::string& n : names) {
    std::string bytes;
    if (!ReadWholeFile(n, bytes, kMaxFile))
      bytes.clear();
    streams.push_back(std::make_unique<TMemoryStream>(std::move(bytes)));
  }
}

// False, with the reason on stderr, when the set has a configuration and a data file is
// named beside it that exists but cannot be read. A missing data file is the load's to judge.
bool DataFileReadable(const TStringArray& names, const TStreamArray& streams)
{
  const int32_t cfg = IndexOfFileExt(".CFG", names), dat = IndexOfFileExt(".DAT", names);
  if (cfg < 0 || dat < 0 || streams[size_t(cfg)]->Size() == 0 || streams[size_t(dat)]->Size() > 0)
    return true;
  // The list names only regular files as found; any other kind of entry of that name counts.
  const std::string entry = FindFileNoCase(names[size_t(dat)], false);
  std::string bytes, error;
  if (entry.empty() || ReadWholeFile(entry, bytes, kMaxFile, &error))
    return true;
  std::fprintf(stderr, "error: %s\n", error.c_str());
  return false;
}

bool LoadSet(const TFileInterface& fi, const std::string& file, TComtrade& rec)
{
  TStringArray names;
  fi.GetFileList(file, names, true);
  TStreamArray streams;
  ReadFiles(names, streams);
  if (!DataFileReadable(names, streams))
    return false;
  fi.LoadFromStreams(rec, names, "", streams, Warn);
  return true;
}

// The seam of the tests that stop a copy between two of its steps.
void CopyStepDone()
{
  static int done = 0;
  static const char* limit = std::getenv("TERNIKPROBE_COPY_KILL_AFTER");
  if (limit && ++done == std::atoi(limit))
    std::raise(SIGKILL);
}

bool MaskMatches(const std::string& mask, const std::string& file)
{
  for (size_t b = 0; b <= mask.size();) {
    size_t e = mask.find(';', b);
    if (e == std::string::npos)
      e = mask.size();
    std::string pattern = mask.substr(b, e - b);
    if (pattern.size() > 1 && pattern[0] == '*') {
      const std::string tail = pattern.substr(1);
      if (file.size() >= tail.size() && CpSameText(file.substr(file.size() - tail.size()), tail))
        return true;
    }
    b = e + 1;
  }
  return false;
}

int Copy(const std::string& in, const std::string& out, const std::string& option)
{
  TComtrade rec;
  if (!LoadSet(ComtradeInterface(), in, rec))
    return 1;
  std::string keyword(DataFileFormatNames[rec.DataFileFormat() == 0 ? 0 : 1]);
  if (option == "--ascii")
    keyword = "ASCII";
  else if (option == "--binary")
    keyword = "BINARY";
  else if (!option.empty())
    return -1;
  TStringArray names;
  TStreamArray streams;
  ComtradeInterface().SaveToStreams(rec, names, false, false, keyword, streams, 0, 0, Warn);
  // The companions take the letter case of the output's own extension.
  const size_t dot = out.rfind('.');
  const bool lower = dot != std::string::npos && out.substr(dot) != CpUpperCase(out.substr(dot));
  const auto pathOf = [&](const std::string& ext) {
    return ChangeFileExt(out, lower ? CpLowerCase(ext) : ext);
  };
  // The old configuration goes first, so that it never describes the new data file.
  const std::string cfgPath = pathOf(".CFG");
  if (::unlink(cfgPath.c_str()) != 0 && errno != ENOENT) {
    std::fprintf(stderr, "error: %s: %s\n", cfgPath.c_str(), SysErrorMessage(errno).c_str());
    return 1;
  }
  CopyStepDone();
  // Every other file, then the configuration, which makes the new set loadable.
  std::vector<size_t> order;
  for (size_t i = 0; i < names.size(); ++i)
    if (names[i] != ".CFG")
      order.push_back(i);
  for (size_t i = 0; i < names.size(); ++i)
    if (names[i] == ".CFG")
      order.push_back(i);
  for (const size_t i : order) {
    const std::string& bytes = static_cast<const TMemoryStream&>(*streams[i]).Data();
    if (names[i] == ".HDR" && bytes.empty())
      continue;  // no header text, no header file
    const std::string path = pathOf(names[i]);
    std::string error;
    if (!AtomicWriteFile(path, bytes, &error)) {
      std::fprintf(stderr, "error: %s: %s\n", path.c_str(), error.c_str());
      return 1;
    }
    CopyStepDone();
  }
  return 0;
}

int LoadAny(const std::string& file)
{
  for (const TFileInterface* fi : FileInterfaces()) {
    if (!MaskMatches(fi->FileMask(), file))
      continue;
    TStringArray names;
    fi->GetFileList(file, names, true);
    TStreamArray streams;
    ReadFiles(names, streams);
    size_t self = 0;
    for (size_t i = 0; i < names.size(); ++i)
      if (names[i] == file)
        self = i;
    if (streams.empty() || !fi->CanLoad(*streams[self], Warn))
      continue;
    if (!DataFileReadable(names, streams))
      return 1;
    streams[self]->Seek(0);
    TComtrade rec;
    fi->LoadFromStreams(rec, names, "", streams, Warn);
    Dump(rec);
    return 0;
  }
  std::fprintf(stderr, "error: no file interface reads %s\n", file.c_str());
  return 1;
}

}  // namespace

int ComtradeCommand(const std::string& command, int argc, char** argv)
{
  if (command == "comtrade-dump" && argc == 3) {
    TComtrade rec;
    if (!LoadSet(ComtradeInterface(), argv[2], rec))
      return 1;
    Dump(rec);
    return 0;
  }
  if (command == "comtrade-copy" && (argc == 4 || argc == 5))
    return Copy(argv[2], argv[3], argc == 5 ? argv[4] : "");
  if (command == "load" && argc == 3)
    return LoadAny(argv[2]);
  return -1;
}
