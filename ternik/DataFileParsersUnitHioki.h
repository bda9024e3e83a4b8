// Tab-separated text exports of HIOKI recorders ("*.txt"): a fixed sequence of header rows
// and keys, one channel row per analog channel, then one row per sample with its time in
// seconds and the channel values. TLineStream is the line reader it uses. Loading only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ternik/ComTrade3Unit.h"
#include "ternik/ComTrade3UnitModel.h"

// Lines of a stream, read on demand. A line ends at a line feed (not part of it); carriage
// returns are dropped; the end of the data ends the last line; a line holds at most
// MaxLineLength characters and the rest is read as the next line. Every read counts a line.
class TLineStream {
public:
  static constexpr size_t MaxLineLength = 4999;
  explicit TLineStream(TStream& stream) : FStream(stream) {}

  // Back to the start of the stream; the line count goes on.
  void Rewind();
  std::string ReadLine();
  // Reads one line and splits it at tab characters; a field may be enclosed in double quotes
  // (a doubled quote inside stands for one). An empty line has no field.
  void ReadFields(std::vector<std::string>& fields);
  uint32_t LinesRead() const { return FLines; }
  // The stream position of the next byte a line would take.
  int64_t Position() const { return FStream.Position() - int64_t(FBuffer.size() - FPos); }
  bool AtEnd();

private:
  bool NextByte(char& c);
  bool PeekByte(char& c);
  TStream& FStream;
  std::string FBuffer;
  size_t FPos = 0;
  uint32_t FLines = 0;
};

// Splits a line as ReadFields does.
void SplitHiokiFields(const std::string& line, std::vector<std::string>& fields);

class THiokiInterface : public TFileInterface {
public:
  std::string ClassName() const override { return "THiokiInterface"; }
  std::string InterfaceName() const override { return "HIOKI"; }
  std::string Description() const override;
  std::string FileMask() const override { return "*.txt"; }
  bool CanLoad(TStream& stream, const TMessageHook& hook) const override;
  void LoadFromStreams(TComtrade& recording, const TStringArray& names, const std::string& option,
                       const TStreamArray& streams, const TMessageHook& hook) const override;

  // Reads the header rows into the recording (channels and header); answers the sample
  // count the file declares. Raises on the first row that does not fit.
  static int32_t ParseHeader(TComtrade& recording, TLineStream& lines);
};

const TFileInterface& HiokiInterface();
