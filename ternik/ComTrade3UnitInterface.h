// The COMTRADE set as a file interface: the configuration (.CFG), the header text (.HDR), the
// information file (.INF) and the folder's display settings ("Default.inf"). The registered
// object is stateless; a load or save makes a transient TComtradeInterface that carries the
// data-file keyword between its steps.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/IniFile.h"
#include "ternik/ComTrade3Unit.h"
#include "ternik/ComTrade3UnitModel.h"

// The lines of a text and a cursor through them.
class TSourceList {
public:
  void LoadFromText(std::string_view text);
  void LoadFromStream(TStream& stream);
  bool LoadFromFile(const std::string& path);
  // The line at the cursor, trimmed of every byte up to ' ' at both ends (the 0x1A padding
  // of old files too); the cursor advances. Past the last line raises the list's index error.
  std::string NextLine();
  bool AtEnd() const { return FCursor >= FLines.size(); }
  // Lines taken so far.
  uint32_t Cursor() const { return static_cast<uint32_t>(FCursor); }
  const std::vector<std::string>& Lines() const { return FLines; }

private:
  std::vector<std::string> FLines;
  size_t FCursor = 0;
};

// Lines of a text as the library's string lists read them: CR LF, LF or CR end a line, and a
// final line break adds no empty line.
std::vector<std::string> SplitTextLines(std::string_view text);
// Each line followed by CR LF.
std::string JoinTextLines(const std::vector<std::string>& lines);

// The rate lines of a configuration written for a sample range: each segment's rate and the
// number of samples it declares. ZeroRate: the one-line form of a recording without rates.
struct TCfgRateSpec {
  bool ZeroRate = false;
  int32_t SourceSegments = 0;  // segments of the recording
  std::vector<std::pair<double, int64_t>> Segments;
};

// Probing, loading, saving and the file list of a set (CanLoad, LoadFromStreams,
// SaveToStreams, GetFileList) belong to the file-interface unit, which adds their overrides
// here; until then they refuse as the base does. A load clears the recording before it reads.
class TComtradeInterface : public TFileInterface {
public:
  std::string ClassName() const override { return "TComtradeInterface"; }
  std::string InterfaceName() const override { return "COMTRADE"; }
  std::string Description() const override { return "Plik commtrade"; }
  std::string FileMask() const override { return "*.cfg;*.zip"; }
  // Empties Inf, writes it for every channel and sample with the keyword of DataFileFormat,
  // and puts its lines into the emptied stream.
  void SaveInfToStream(TComtrade& recording, TStream& stream) const override;
  // The display keys of every channel, into the emptied stream.
  void SaveViewToStream(TComtrade& recording, TStream& stream) const override;
  // Whether the stream holds a configuration this library reads; the reason of a refusal
  // goes to the hook, followed by the two characters backslash and n.
  bool CanLoad(TStream& stream, const TMessageHook& hook) const override;
  // The set's .CFG, .DAT, .HDR and .INF as new memory streams under those bare names.
  void SaveToStreams(TComtrade& recording, TStringArray& names, bool selectedOnly, bool viewOnly,
                     const std::string& fileType, TStreamArray& streams, int32_t option1,
                     int32_t option2) const override;
  // The same, with a hook for the warnings of the save.
  void SaveToStreams(TComtrade& recording, TStringArray& names, bool selectedOnly, bool viewOnly,
                     const std::string& fileType, TStreamArray& streams, int32_t option1, int32_t option2,
                     const TMessageHook& hook) const;
  // Clears the recording, then reads header text, information file, configuration, data
  // and display settings. The option text is not used.
  void LoadFromStreams(TComtrade& recording, const TStringArray& names, const std::string& option,
                       const TStreamArray& streams, const TMessageHook& hook) const override;
  // The set's files: .CFG and .DAT always, .HDR and .INF always or (existingOnly) when they
  // exist, and with existingOnly the folder's "Default.inf" when it exists. A companion is
  // found on disk whatever the letter case of its name; without one on disk the name ends
  // in the upper-case extension.
  void GetFileList(const std::string& fileName, TStringArray& names, bool existingOnly) const override;

  // The data-file keyword of the set being read or written (upper case when read).
  std::string FileType;

  // ---- configuration (.CFG) ----
  // Reads from the start of the stream into a cleared recording; sets FileType and
  // DataFileFormat. The segments keep the samples declared, but no sample buffer and no
  // time axis is sized for them: that is the data file's reader's work. Every error is one
  // EComtrade "Błąd w %u linii pliku .cfg : %s".
  void ReadCfg(TComtrade& recording, TStream& stream, const TMessageHook& hook);
  void ReadCfgLines(TComtrade& recording, TSourceList& source, const TMessageHook& hook);
  // The configuration of the given channels and of the samples first .. last - 1 (first and
  // last both -1: every sample). The list's content is replaced.
  static void WriteCfgLines(const TComtrade& recording, std::vector<std::string>& lines,
                            const TCyfrSelection& statuses, const TAnalogSelection& analogs, int64_t last,
                            int64_t first, uint8_t dataFileFormat);
  // The same lines into the emptied stream, each followed by CR LF.
  static void WriteCfgToStream(const TComtrade& recording, TStream& stream, const TCyfrSelection& statuses,
                               const TAnalogSelection& analogs, int64_t last, int64_t first,
                               uint8_t dataFileFormat);
  static TCfgRateSpec CfgRates(const TComtrade& recording, int64_t last, int64_t first);
  // The first sample's time of a configuration written from sample first on.
  static TUsTime CfgStartTime(const TComtrade& recording, int64_t first);

  // ---- number and field texts ----
  // Trimmed, '.' as decimal separator, a leading '+' accepted. ParseFloat and ParseInt raise.
  static double ParseFloat(std::string_view text);
  static double ParseFloatDef(std::string_view text, double def);
  static int32_t ParseInt(std::string_view text);
  static int64_t ParseInt64(std::string_view text);
  static std::string FormatFloat(int32_t digits, double value);
  static void SplitFields(std::string_view text, std::vector<std::string>& list, char separator = ',');
  static std::string JoinFields(const std::vector<std::string>& list);
  static std::string CommaToDot(std::string_view text);

  // ---- header text, information file and display settings ----
  static void ReadHdr(TComtrade& recording, TStream* stream);
  // The lines of HdrText, each followed by CR LF; nothing at all when HdrText is empty.
  static void WriteHdrToStream(const TComtrade& recording, TStream& stream);
  static void ReadInf(TComtrade& recording, TStream* stream);
  // Writes every key of the given channels into Inf (the caller empties it first); counts,
  // rate keys and File_Start_Time follow the configuration written for first .. last.
  static void WriteInf(TComtrade& recording, const std::string& fileType, const TAnalogSelection& analogs,
                       const TCyfrSelection& statuses, int64_t last, int64_t first);
  // Every channel and every sample.
  static void WriteInf(TComtrade& recording, const std::string& fileType);
  // Empties Inf, writes it as WriteInf does and puts its lines into the emptied stream.
  static void SaveInfToStream(TComtrade& recording, TStream& stream, const std::string& fileType,
                              const TAnalogSelection& analogs, const TCyfrSelection& statuses, int64_t last,
                              int64_t first);
  // Display keys and attributes from the recording's own Inf.
  static void ReadInfView(TComtrade& recording);
  // Display keys from a "Default.inf" stream (nothing when it is empty).
  static void ReadDefaultInf(TComtrade& recording, TStream& stream);
};

// The registered COMTRADE interface.
const TComtradeInterface& ComtradeInterface();

// The file name with its extension (from the last "." of its file part) replaced by ext, or
// with ext appended when it has none: "a.cfg" gives "a.DAT", never "a.cfg.DAT".
std::string ChangeFileExt(std::string_view fileName, std::string_view ext);
// The name of the file in fileName's folder whose name equals wanted's file part without
// regard to ASCII letter case; empty when there is none. An exact match wins. Only regular
// files count, or with regularOnly false any entry (a folder, a FIFO, a device too).
std::string FindFileNoCase(std::string_view wanted, bool regularOnly = true);
