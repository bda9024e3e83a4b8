// Recordings and their files: the two families through which a recording is read from and
// written to files, and the process-wide registries that list them. A file interface stands
// for one recording format and turns a set of named streams into a filled TComtrade and back;
// a data-file parser reads or writes only the sample file (.DAT) of a COMTRADE set, named by
// the configuration's file-type keyword.
//
// Interfaces and parsers are stateless objects with static storage; the registries keep them
// in order and never own them. An interface that needs state for one call (the keyword read
// from a configuration) makes a transient object of its own inside the call.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/NumText.h"
#include "ternik/ComTrade3UnitStream.h"

class TComtrade;

// The library's error for recordings: every message of the model and of the COMTRADE files
// is raised as one of these, with exactly the text the user gets to see.
class EComtrade : public std::runtime_error {
public:
  explicit EComtrade(const std::string& msg) : std::runtime_error(msg) {}
};

// An operation a format does not provide. The message is the one the library always gave.
class EAbstractError : public EComtrade {
public:
  EAbstractError() : EComtrade("Abstract Error") {}
};

// Names of the streams of one recording (file names or bare extensions such as ".CFG") and
// the streams themselves, parallel: stream i belongs to name i. An entry may be null.
using TStringArray = std::vector<std::string>;
using TStreamArray = std::vector<std::unique_ptr<TStream>>;

// Receives warnings and error texts while loading and saving. An empty hook does nothing.
using TMessageHook = std::function<void(const std::string&)>;
inline void CallHook(const TMessageHook& hook, const std::string& text)
{
  if (hook)
    hook(text);
}

// The message of a list index outside the list, as the library's lists give it.
std::string ListIndexError(int64_t index);

class TFileInterface {
public:
  virtual ~TFileInterface() = default;
  // The class name that messages put before the operation.
  virtual std::string ClassName() const { return "TFileInterface"; }

  // Each of these raises EAbstractError in the base: a format that does not provide one
  // refuses the operation.
  virtual std::string InterfaceName() const;  // short name, "COMTRADE"
  virtual std::string Description() const;    // display text of the format
  virtual std::string FileMask() const;       // open-dialog patterns separated by ";"
  // Writes the recording's information (.INF) text into the stream.
  virtual void SaveInfToStream(TComtrade& recording, TStream& stream) const;
  // Whether the stream holds this format; the reason of a refusal goes to the hook.
  virtual bool CanLoad(TStream& stream, const TMessageHook& hook) const;
  // Writes the per-channel display settings.
  virtual void SaveViewToStream(TComtrade& recording, TStream& stream) const;
  // Makes the names and streams of the set and writes the recording into them; the two
  // options go to the data-file parser unchanged.
  virtual void SaveToStreams(TComtrade& recording, TStringArray& names, bool selectedOnly, bool viewOnly,
                             const std::string& fileType, TStreamArray& streams, int32_t option1,
                             int32_t option2) const;
  virtual void LoadFromStreams(TComtrade& recording, const TStringArray& names, const std::string& option,
                               const TStreamArray& streams, const TMessageHook& hook) const;
  // The files of the set that fileName belongs to. The base answers fileName alone.
  virtual void GetFileList(const std::string& fileName, TStringArray& names, bool existingOnly) const;
};

// Capability bits of a data-file parser.
inline constexpr int32_t ParserCanRead = 1;
inline constexpr int32_t ParserCanWrite = 2;

class TComtradeDataFileParser {
public:
  virtual ~TComtradeDataFileParser() = default;
  virtual std::string ClassName() const { return "TComtradeDataFileParser"; }

  // All raise EAbstractError in the base.
  virtual std::string ParserName() const;  // the keyword a configuration names: "BINARY", ...
  virtual int32_t Capabilities() const;    // ParserCanRead | ParserCanWrite
  virtual void LoadDataFromStream(TComtrade& recording, const TStringArray& names,
                                  const TStreamArray& streams, const TMessageHook& hook) const;
  virtual void SaveDataToStream(TComtrade& recording, const TStringArray& names, bool selectedOnly,
                                bool viewOnly, const TStreamArray& streams, int32_t option1, int32_t option2,
                                const TMessageHook& hook) const;
};

// index -1 appends; any other index inserts there (0 .. count; beyond raises the list's
// index error). Duplicates are not checked.
void RegisterFileInterface(const TFileInterface& fileInterface, int32_t index = -1);
void RegisterDataFileParser(const TComtradeDataFileParser& parser);
const std::vector<const TFileInterface*>& FileInterfaces();
const std::vector<const TComtradeDataFileParser*>& DataFileParsers();
// The first registered parser whose name equals the keyword exactly (case-sensitive), or null.
const TComtradeDataFileParser* FindDataFileParser(std::string_view keyword);

// The first name that, upper-cased, equals the upper-cased text or whose extension (from the
// last "." of its file part) does; -1 when none. '/' and '\' both separate folders.
int32_t IndexOfFileExt(std::string_view text, const TStringArray& names);
// As IndexOfFileExt, the second comparison on the name without its folder ("DEFAULT.INF"
// finds ".../Default.inf").
int32_t IndexOfFileName(std::string_view text, const TStringArray& names);

// The unit's fixed format settings: '.' decimal, '/' date and ':' time separators,
// "dd/mm/yyyy" and "HH:mm:ss". Every number and date text of the COMTRADE files uses them.
const TFormatSettings& ComtradeFormat();

// Keyword texts indexed by DataFileFormat, and by an analog channel's PS.
inline constexpr std::array<std::string_view, 2> DataFileFormatNames = {"ASCII", "BINARY"};
inline constexpr std::array<std::string_view, 2> PSNames = {"P", "S"};

void ComTrade3UnitInitialize();
void ComTrade3UnitFinalize();
