// The COMTRADE set as a file interface: loading a set of named streams into a recording,
// probing a configuration, saving a recording as the streams of a set, and the list of a
// set's files on disk.
#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/Codepage.h"
#include "ternik/ComTrade3UnitInterface.h"
#include "ternik/DataFileParsersUnit.h"

namespace {

size_t FilePartStart(std::string_view name)
{
  const size_t p = name.find_last_of("/\\");
  return p == std::string_view::npos ? 0 : p + 1;
}

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Letter case folded for ASCII letters only: names on disk are UTF-8, whose other bytes must
// not be folded as single characters.
bool SameNameNoCase(std::string_view a, std::string_view b)
{
  if (a.size() != b.size())
    return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (AsciiLower(a[i]) != AsciiLower(b[i]))
      return false;
  return true;
}

TStream* StreamAt(const TStreamArray& streams, int32_t i)
{
  if (i < 0 || static_cast<size_t>(i) >= streams.size())
    return nullptr;
  return streams[static_cast<size_t>(i)].get();
}

}  // namespace

std::string ChangeFileExt(std::string_view fileName, std::string_view ext)
{
  const size_t start = FilePartStart(fileName);
  const size_t dot = fileName.rfind('.');
  const size_t cut = dot != std::string_view::npos && dot >= start ? dot : fileName.size();
  return std::string(fileName.substr(0, cut)) + std::string(ext);
}

std::string FindFileNoCase(std::string_view wanted, bool regularOnly)
{
  namespace fs = std::filesystem;
  const size_t start = FilePartStart(wanted);
  const std::string folder(wanted.substr(0, start));
  const std::string_view file = wanted.substr(start);
  if (file.empty())
    return {};
  std::error_code ec;
  const auto fits = [regularOnly](const fs::file_status& st) {
    return regularOnly ? fs::is_regular_file(st) : fs::exists(st);
  };
  if (fits(fs::status(fs::path(std::string(wanted)), ec)))
    return std::string(wanted);
  std::vector<std::string> matches;
  for (fs::directory_iterator it(folder.empty() ? fs::path(".") : fs::path(folder), ec), end;
       !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    std::error_code fec;
    if (SameNameNoCase(name, file) && fits(it->status(fec)))
      matches.push_back(name);
  }
  if (matches.empty())
    return {};
  // Several spellings of one name: the byte order decides, so the answer never depends on
  // the order in which the folder lists its entries.
  std::sort(matches.begin(), matches.end());
  return folder + matches.front();
}

void TComtradeInterface::GetFileList(const std::string& fileName, TStringArray& names,
                                     bool existingOnly) const
{
  names.clear();
  // The name found on disk, else the name with the upper-case extension.
  auto resolve = [&](std::string_view ext, bool& found) {
    const std::string want = ChangeFileExt(fileName, ext);
    found = false;
    if (fileName.empty())
      return want;
    // The configuration the caller named is the one it means, whatever its letter case.
    if (ext == ".CFG" &&
        SameNameNoCase(fileName.substr(std::min(fileName.size(), fileName.rfind('.'))), ext)) {
      std::error_code ec;
      if (std::filesystem::is_regular_file(fileName, ec)) {
        found = true;
        return fileName;
      }
    }
    std::string disk = FindFileNoCase(want);
    if (disk.empty())
      return want;
    found = true;
    return disk;
  };
  bool found = false;
  names.push_back(resolve(".CFG", found));
  names.push_back(resolve(".DAT", found));
  for (std::string_view ext : {".HDR", ".INF"}) {
    std::string name = resolve(ext, found);
    if (!existingOnly || found)
      names.push_back(std::move(name));
  }
  if (existingOnly && !fileName.empty()) {
    const std::string dflt = FindFileNoCase(fileName.substr(0, FilePartStart(fileName)) + "Default.inf");
    if (!dflt.empty())
      names.push_back(dflt);
  }
}

bool TComtradeInterface::CanLoad(TStream& stream, const TMessageHook& hook) const
{
  try {
    TComtrade probe;
    TComtradeInterface ci;
    ci.ReadCfg(probe, stream, hook);
    return true;
  } catch (const std::exception& e) {
    CallHook(hook, std::string(e.what()) + "\\n");
    return false;
  }
}

void TComtradeInterface::LoadFromStreams(TComtrade& rec, const TStringArray& names, const std::string&,
                                         const TStreamArray& streams, const TMessageHook& hook) const
{
  TComtradeInterface ci;
  // A recording loaded twice keeps nothing of the first set: neither its time axis and
  // sample numbers nor its view window, attributes or configuration fields.
  rec.FileParam = TObFileParam{};
  rec.View = TViewParam{};
  rec.RecAttribs = TRecAttribs{};
  rec.Clear();
  rec.SetSampleCount(0);

  ReadHdr(rec, StreamAt(streams, IndexOfFileExt(".HDR", names)));
  TStream* inf = StreamAt(streams, IndexOfFileExt(".INF", names));
  ReadInf(rec, inf);

  TStream* cfg = StreamAt(streams, IndexOfFileExt(".CFG", names));
  // The samples are sized by the data parser for what it reads, never by the count the
  // configuration declares: a few bytes of configuration never ask for gigabytes.
  if (cfg && cfg->Size() > 0)
    ci.ReadCfg(rec, *cfg, hook);
  else if (!inf)
    throw EComtrade(ClassName() + ".prvLoadFromStream: *.CFG stream not found");

  const TComtradeDataFileParser* parser = FindDataFileParser(ci.FileType);
  if (!parser)
    throw EComtrade("Unknown data file format: " + ci.FileType);
  if ((parser->Capabilities() & ParserCanRead) == 0)
    throw EComtrade("Read not supported for format :" + ci.FileType);
  parser->LoadDataFromStream(rec, names, streams, hook);
  rec.Analogs->CheckRanges(hook);

  const int32_t dflt = IndexOfFileName("DEFAULT.INF", names);
  if (dflt > 0)
    if (TStream* s = StreamAt(streams, dflt))
      ReadDefaultInf(rec, *s);
  ReadInfView(rec);
}

void TComtradeInterface::SaveToStreams(TComtrade& rec, TStringArray& names, bool selectedOnly, bool viewOnly,
                                       const std::string& fileType, TStreamArray& streams, int32_t option1,
                                       int32_t option2) const
{
  SaveToStreams(rec, names, selectedOnly, viewOnly, fileType, streams, option1, option2, nullptr);
}

void TComtradeInterface::SaveToStreams(TComtrade& rec, TStringArray& names, bool selectedOnly, bool viewOnly,
                                       const std::string& fileType, TStreamArray& streams, int32_t option1,
                                       int32_t option2, const TMessageHook& hook) const
{
  TComtradeInterface ci;
  ci.FileType = fileType.empty() ? "BINARY" : fileType;
  const uint8_t format = ci.FileType == "ASCII" ? DataFileFormatAscii : DataFileFormatBinary;
  if (rec.DataFileFormat() != format)
    rec.SetDataFileFormat(format);

  GetFileList("", names, false);
  streams.clear();
  for (size_t i = 0; i < names.size(); ++i)
    streams.push_back(std::make_unique<TMemoryStream>());

  int32_t first = 0, last = 0;
  SaveRange(rec, viewOnly, first, last);
  rec.Analogs->ScaleAnalog();
  TAnalogSelection analogs;
  TCyfrSelection statuses;
  rec.SelectChannels(selectedOnly, analogs, statuses);
  // Settled before the configuration is written, so that it and the data agree.
  EnsureTimeMultiplier(rec, hook);
  WriteCfgToStream(rec, *streams[0], statuses, analogs, last, first, format);

  const TComtradeDataFileParser* parser = FindDataFileParser(ci.FileType);
  if (!parser)
    throw EComtrade("Unknown data file format: " + ci.FileType);
  if ((parser->Capabilities() & ParserCanWrite) == 0)
    throw EComtrade("Write not supported for format :" + ci.FileType);
  parser->SaveDataToStream(rec, names, selectedOnly, viewOnly, streams, option1, option2, hook);

  if (TStream* hdr = StreamAt(streams, IndexOfFileExt(".HDR", names)))
    WriteHdrToStream(rec, *hdr);
  // The information file describes the channels and samples just written, so its display
  // keys land on the same channels when the set is read again.
  if (TStream* inf = StreamAt(streams, IndexOfFileExt(".INF", names)))
    SaveInfToStream(rec, *inf, std::string(DataFileFormatNames[format]), analogs, statuses, last, first);
}
