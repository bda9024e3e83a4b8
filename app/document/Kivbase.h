#pragma once
// The controller object: one per document window. It holds the whole document as one fixed
// 20486-byte image (the same bytes are the .kiv file), the model's copied event-kind table
// and the model definitions, and it talks to the controller (KivbaseProtocol.cpp).
//
// Text in the image and in messages is Windows-1250. File names are native file system
// paths (UTF-8 bytes on this system), passed through unchanged.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/events/EventKinds.h"
#include "app/values/KivDefs.h"
#include "platform/DateTime.h"

// Layout of the document image. Host values are little-endian; the three raw blocks hold
// register data exactly as the controller sent it (big-endian registers).
namespace KivImage {
constexpr size_t SIZE = 20486;
constexpr size_t HEADER = 0;  // "KIVS-" + model character + NUL
constexpr size_t HEADER_SIZE = 7;
constexpr size_t MODEL_CHAR = 5;
constexpr size_t READ_OPTIONS = 10;  // six bytes, see TReadOptions
constexpr size_t VER_MAJOR = 30;     // u16, compared through its low byte
constexpr size_t VER_MINOR = 32;     // u16
constexpr size_t STATION_INFO = 40;  // NUL-terminated, at most 99 characters
constexpr size_t IDENT = 140;        // NUL-terminated, at most 99 characters
constexpr size_t TEXT_FIELD_SIZE = 100;
constexpr size_t TEXT_MAX = TEXT_FIELD_SIZE - 1;
constexpr size_t CREATE_DATE = 300;  // double, date and time
constexpr size_t EVREG_DATE = 316;   // double, date only
constexpr size_t ZNS1_DATE = 332;
constexpr size_t ZNS2_DATE = 348;
constexpr size_t NOTES = 2048;  // StringsToBuffer lines; last byte always NUL
constexpr size_t NOTES_SIZE = 2048;
constexpr size_t EVREG_SIZE = 4096;  // u16 byte count, 0 = none
constexpr size_t EVREG = 4098;
constexpr size_t EVREG_CAPACITY = 15360;
constexpr size_t ZNS1_SIZE = 19458;  // u16 byte count, 0 = set empty
constexpr size_t ZNS1 = 19460;
constexpr size_t ZNS2_SIZE = 19972;
constexpr size_t ZNS2 = 19974;
constexpr size_t ZNS_CAPACITY = 512;
static_assert(ZNS2 + ZNS_CAPACITY == SIZE);
static_assert(EVREG + EVREG_CAPACITY == ZNS1_SIZE);
}  // namespace KivImage

// The six read options: what a read asks of the controller and how events are shown.
namespace ReadOption {
constexpr size_t SlaveAddress = 0;
constexpr size_t ReadZns1 = 1;
constexpr size_t ReadZns2 = 2;
constexpr size_t ReadEvReg = 3;
constexpr size_t CorrectTimes = 4;  // correct input/output times
constexpr size_t ShowAllEvents = 5;
}  // namespace ReadOption
using TReadOptions = std::array<uint8_t, 6>;
constexpr TReadOptions DEFAULT_READ_OPTIONS = {0x1F, 1, 1, 1, 1, 0};

class TKiv;
class TKivLink;
class IKivMemo;
// Notify events; the argument is the object that fires them.
using TKivEvent = std::function<void(TKiv& sender)>;

class TKiv {
public:
  TKiv();
  ~TKiv();
  TKiv(const TKiv&) = delete;
  TKiv& operator=(const TKiv&) = delete;

  // --- Document image -------------------------------------------------------------------
  std::span<const uint8_t, KivImage::SIZE> Image() const
  {
    return std::span<const uint8_t, KivImage::SIZE>(FImage.data(), KivImage::SIZE);
  }

  uint8_t* GetEvRegData() { return FImage.data() + KivImage::EVREG; }
  const uint8_t* GetEvRegData() const { return FImage.data() + KivImage::EVREG; }
  uint16_t GetEvRegSize() const;
  void SetEvRegSize(uint16_t size);
  uint8_t* GetZns1Data() { return FImage.data() + KivImage::ZNS1; }
  const uint8_t* GetZns1Data() const { return FImage.data() + KivImage::ZNS1; }
  uint16_t GetZns1Size() const;
  void SetZns1Size(uint16_t size);
  uint8_t* GetZns2Data() { return FImage.data() + KivImage::ZNS2; }
  const uint8_t* GetZns2Data() const { return FImage.data() + KivImage::ZNS2; }
  uint16_t GetZns2Size() const;
  void SetZns2Size(uint16_t size);
  // Set n (1 or 2): its data and length; nullptr / 0 for any other n.
  uint8_t* GetZnsData(int n);
  const uint8_t* GetZnsData(int n) const;
  uint16_t GetZnsSize(int n) const;
  void SetZnsSize(int n, uint16_t size);

  TReadOptions GetReadOptions() const;
  // A slave address other than the stored one marks the document modified.
  void SetReadOptions(const TReadOptions& options);

  uint16_t GetVerMajor() const;  // the low byte of the stored value
  void SetVerMajor(uint16_t v);
  uint16_t GetVerMinor() const;
  void SetVerMinor(uint16_t v);

  TDateTime GetCreateDate() const;
  void SetCreateDate(TDateTime d);
  TDateTime GetEvRegDate() const;
  void SetEvRegDate(TDateTime d);
  TDateTime GetZns1Date() const;
  void SetZns1Date(TDateTime d);
  TDateTime GetZns2Date() const;
  void SetZns2Date(TDateTime d);

  uint8_t* GetNotesBuf() { return FImage.data() + KivImage::NOTES; }
  const uint8_t* GetNotesBuf() const { return FImage.data() + KivImage::NOTES; }
  std::vector<std::string> GetNotes() const;
  void SetNotes(const std::vector<std::string>& lines);

  std::string GetStationInfo() const;
  void SetStationInfo(std::string_view text);  // cut to 99 characters
  std::string GetIdent() const;
  void SetIdent(std::string_view text);  // cut to 99 characters
  // The identification cut into two halves joined by "_" (ABCDE gives AB_CD).
  std::string GetIdentName() const;
  // 1 (Kivs2), 2 (Kivs3) or 0 (unknown): from the identification name's second character
  // when the name has at least 3 characters, else from the header's model character.
  int GetKivType() const;
  // Writes the header, copies the model's event-kind table and loads its definitions.
  void SetKivType(int model);
  // Loads the identification's own definition file when there is one, else the model's.
  void LoadDefinitions();

  // The object's copy of its model's event-kind table (all zero for an unknown model).
  const TEventKindTable& EventKinds() const { return *FEventKinds; }
  TKivDefs& Defs() { return *FDefs; }
  const TKivDefs& Defs() const { return *FDefs; }

  // Folder of the definition files (native path).
  const std::string& InstallDir() const { return FInstallDir; }
  void SetInstallDir(std::string dir) { FInstallDir = std::move(dir); }

  bool Modified() const { return FModified; }
  void SetModified(bool modified) { FModified = modified; }

  // --- Document file --------------------------------------------------------------------
  // Writes the whole image through a temporary file and a rename. On failure shows
  // "Zapis nie powiódł się.", leaves the previous file and the modified flag as they were and
  // returns false.
  bool SaveToFile(const std::string& fileName);
  // Loads an image or an older packed-layout file. Returns whether the file was loaded.
  // A file that cannot be read (missing, unreadable, a folder, a FIFO or a device, which is
  // never waited on) shows "Nie udało się załadować pliku: " and the path; an empty file or
  // one of unknown format shows "Nieznany format pliku". Either way the document is left as
  // it was and no event fires.
  bool LoadFromFile(const std::string& fileName);
  // The same for a file's bytes already read (empty data is of unknown format).
  bool LoadFromBytes(std::string_view data);
  // Builds the document from command-line options (-buffile, -zns1file, -zns2file,
  // -kivtype, -h). ok false: message holds the error; ok true with a message: the help text.
  // The options are the program's command-line text (native encoding); the message is
  // Windows-1250.
  void ParseCommandLine(std::string_view options, bool& ok, std::string& message);

  // --- Events ---------------------------------------------------------------------------
  TKivEvent OnBeginRead;
  TKivEvent OnCompleteZestawNastaw1;
  TKivEvent OnCompleteZestawNastaw2;
  TKivEvent OnEvRegCompleted;
  TKivEvent OnCompleteAll;

  bool TraceMessages = true;

  // --- Protocol (KivbaseProtocol.cpp) ---------------------------------------------------
  static constexpr size_t FRAME_SIZE = 300;
  // The program's one link (shared by every document, with its busy guard). Without a link
  // nothing is read or written.
  void SetLink(TKivLink* link) { FLink = link; }
  TKivLink* Link() const { return FLink; }
  void SetMessageMemo(IKivMemo* memo) { FMemo = memo; }
  IKivMemo* MessageMemo() const { return FMemo; }

  bool IsReading() const { return FActivity == TActivity::Reading; }
  bool IsWriting() const { return FActivity == TActivity::Writing; }
  bool IsBusy() const { return FActivity != TActivity::Idle; }
  bool Aborted() const { return FAbort; }
  bool Cancelled() const { return FCancel; }

  // The whole read: identification, the sets and the event register the read options ask
  // for. False (and nothing done) when the link is missing or held by another read or write,
  // or this document is reading or writing already (the same holds for ReadEvReg and
  // WriteZestawNastaw).
  bool ReadFromKIV();
  void Identify();
  void ReadZestawNastaw(int n);
  bool ReadEvReg();
  // Writes set `source` into the device's set `target` (each 1 or 2). False when refused.
  bool WriteZestawNastaw(int source, int target);
  // Register blocks in chunks of at most 125 (read) or `step` (write, at most 123) registers.
  // A read copies only within `destination`; true when every chunk came back. With
  // `mayBeShort` a reply may bring fewer registers than asked (an event page); otherwise a
  // short reply is a failed attempt (a setting set must come back whole).
  bool ReadRegisters(uint16_t start, std::span<uint8_t> destination, int count, bool mayBeShort = false);
  void WriteRegisters(uint16_t start, std::span<const uint8_t> source, int step, int count);
  // One request (the request frame set up before) and its reply, with up to five attempts.
  void Transaction();
  // Ends a read after the transaction under way. A set write is never cut short: stopping
  // between chunks would leave a partly written set in the controller.
  void Cancel()
  {
    if (!IsWriting())
      FCancel = true;
  }
  // The last request and reply, as sent and received.
  std::span<const uint8_t> Request() const
  {
    return std::span<const uint8_t>(FRequest.data(), FRequestLength);
  }
  std::span<const uint8_t> Reply() const
  {
    return std::span<const uint8_t>(FReply.data(), size_t(FReplyLength));
  }

  void AddMessage(std::string_view line);
  void DeleteLastMessage();
  // Whether the gathered event register already holds its end (an undefined code or the skip
  // record's end marker), by the model's record lengths.
  bool EvRegHasEnd(std::span<const uint8_t> data) const;

private:
  void Fire(const TKivEvent& event);
  void FireLoadEvents();
  // Parses an older packed-layout file into a copy of the image; false when it is not one
  // or does not parse whole. slaveChanged: its slave address differs from the current one.
  bool ParsePacked(std::span<const uint8_t> data, std::vector<uint8_t>& image, bool& slaveChanged) const;
  // Reads a raw buffer file into a block of the image, cut to the block's capacity.
  bool LoadRawBlock(const std::string& fileName, size_t sizeOffset, size_t dataOffset, size_t capacity);

  std::vector<uint8_t> FImage;  // always KivImage::SIZE bytes
  std::unique_ptr<TEventKindTable> FEventKinds;
  std::unique_ptr<TKivDefs> FDefs;
  std::string FInstallDir;
  bool FModified = false;

  // --- Protocol state (KivbaseProtocol.cpp) ---------------------------------------------
  enum class TActivity : uint8_t { Idle, Reading, Writing };
  class TActivityScope;
  void ReplaceProvisional(std::string_view line);
  void AddHexDump(std::span<const uint8_t> bytes);
  bool ReplyFitsRequest() const;
  bool DoReadEvReg();  // ReadEvReg, also as a step of ReadFromKIV
  bool SetSizeUsable() const;

  TKivLink* FLink = nullptr;
  IKivMemo* FMemo = nullptr;
  TActivity FActivity = TActivity::Idle;
  bool FAbort = false;
  bool FCancel = false;
  std::array<uint8_t, FRAME_SIZE> FRequest{};
  uint16_t FRequestLength = 0;
  std::array<uint8_t, FRAME_SIZE> FReply{};
  int32_t FReplyLength = 0;
  // Set by ReadRegisters for its own transactions: a reply may bring fewer registers than
  // asked.
  bool FShortReadAllowed = false;
};

// The help text of the command-line options (Windows-1250).
std::string CommandLineHelp();

// One option of a command-line text: the word after its '-' and the value behind it, both
// trimmed. An option starts only at a '-' that begins a word, so names such as my-file.bin
// stay whole.
struct TCommandOption {
  std::string_view Word;
  std::string_view Value;
};
// Splits the text into options. False when a part does not start with '-': `stray` then
// holds the text from there on, and `out` the options before it.
bool SplitCommandOptions(std::string_view options, std::vector<TCommandOption>& out, std::string_view& stray);
