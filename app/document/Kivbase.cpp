#include "app/document/Kivbase.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <system_error>

#include "app/document/KivFiles.h"
#include "platform/Bytes.h"
#include "platform/Codepage.h"
#include "platform/Prompts.h"
#include "platform/SysUtil.h"

namespace {

constexpr std::string_view HEADER_PREFIX = "KIVS-";

std::span<uint8_t> Bytes(std::vector<uint8_t>& image) { return {image.data(), image.size()}; }
std::span<const uint8_t> Bytes(const std::vector<uint8_t>& image) { return {image.data(), image.size()}; }

// Text of a fixed NUL-terminated field, never past the field.
std::string GetFieldText(const std::vector<uint8_t>& image, size_t offset, size_t maxLen)
{
  const auto begin = image.begin() + std::ptrdiff_t(offset);
  const auto end = std::find(begin, begin + std::ptrdiff_t(maxLen), uint8_t(0));
  return std::string(begin, end);
}

// Stores a text cut to maxLen characters, NUL-terminated; the rest of the field is cleared
// so no older, longer text lingers behind the terminator.
void PutFieldText(std::vector<uint8_t>& image, size_t offset, size_t fieldSize, std::string_view text)
{
  const size_t n = std::min(text.size(), fieldSize - 1);
  std::fill_n(image.begin() + std::ptrdiff_t(offset), fieldSize, uint8_t(0));
  std::copy_n(text.begin(), n, image.begin() + std::ptrdiff_t(offset));
}

void PutHeader(std::vector<uint8_t>& image, int model)
{
  std::copy(HEADER_PREFIX.begin(), HEADER_PREFIX.end(), image.begin() + KivImage::HEADER);
  image[KivImage::MODEL_CHAR] = model == 1 ? '2' : model == 2 ? '3' : '0';
  image[KivImage::MODEL_CHAR + 1] = 0;
}

// A document image: exactly the image's size, starting with the header text.
bool IsDocumentImage(std::string_view data)
{
  if (data.size() != KivImage::SIZE)
    return false;
  const std::string_view text = data.substr(0, data.find('\0'));
  return text.starts_with(HEADER_PREFIX);
}

// Reads an untrusted byte sequence front to back; every read is checked against what is
// actually there.

// Offsets of the older packed document layout.
namespace Packed {
constexpr size_t SIGNATURE = 1;  // "KIVS"
constexpr size_t MODEL = 5;      // 1 or 2
constexpr size_t VER_MAJOR = 6;
constexpr size_t LINE_COUNT = 7;
constexpr size_t CREATE_DATE = 8;
constexpr size_t LINE_LENGTHS = 16;  // one byte per note line
constexpr size_t LINES = 260;        // each line: length byte, then its characters
constexpr size_t MAX_LINES = LINES - LINE_LENGTHS;
constexpr std::string_view SIGNATURE_TEXT = "KIVS";
}  // namespace Packed

bool IsTextBlank(char c) { return uint8_t(c) <= ' '; }

std::string_view Trim(std::string_view s)
{
  while (!s.empty() && IsTextBlank(s.front()))
    s.remove_prefix(1);
  while (!s.empty() && IsTextBlank(s.back()))
    s.remove_suffix(1);
  return s;
}

// An option starts at a '-' that begins a word, so names such as my-file.bin stay whole.
size_t NextOptionStart(std::string_view s)
{
  for (size_t i = 1; i < s.size(); ++i)
    if (s[i] == '-' && IsTextBlank(s[i - 1]))
      return i;
  return s.size();
}

// The identification's own definition file name is used only when it is a plain name: it
// comes from the controller and must not lead out of the definitions folder.
bool IsPlainFileName(std::string_view name)
{
  if (name.empty() || name.find("..") != std::string_view::npos)
    return false;
  for (char c : name)
    if (c == '/' || c == '\\' || uint8_t(c) < 0x20 || uint8_t(c) == 0x7F)
      return false;
  return true;
}

std::string JoinPath(const std::string& dir, const std::string& name)
{
  if (dir.empty())
    return name;
  if (dir.back() == '/')
    return dir + name;
  return dir + "/" + name;
}

// Finds a file of the folder by name regardless of letter case (the maker's files come from
// a system that ignores it). An exact match is preferred.
std::optional<std::string> FindInFolder(const std::string& dir, const std::string& name)
{
  namespace fs = std::filesystem;
  std::error_code ec;
  const std::string exact = JoinPath(dir, name);
  if (fs::is_regular_file(exact, ec))
    return exact;
  const std::string wanted = Utf8ToCp1250(name);
  fs::directory_iterator it(dir.empty() ? fs::path(".") : fs::path(dir), ec);
  if (ec)
    return std::nullopt;
  for (; it != fs::directory_iterator(); it.increment(ec)) {
    if (ec)
      break;
    const std::string entry = it->path().filename().string();
    if (CpSameText(Utf8ToCp1250(entry), wanted) && it->is_regular_file(ec))
      return JoinPath(dir, entry);
  }
  return std::nullopt;
}

}  // namespace

std::string CommandLineHelp()
{
  return "Parametry wywołania programu:"_cp + "\n-buffile buffilename"
                                              "\n-zns1file zns1filename"
                                              "\n-zns2file zns2filename"
                                              "\n-kivtype [kivs2|kivs3|eproms string]"
                                              "\n-h -szhow this message";
}

TKiv::TKiv()
    : FImage(KivImage::SIZE, 0),
      FEventKinds(std::make_unique<TEventKindTable>()),
      FDefs(std::make_unique<TKivDefs>())
{
  FEventKinds->fill(0);
  std::copy(DEFAULT_READ_OPTIONS.begin(), DEFAULT_READ_OPTIONS.end(),
            FImage.begin() + KivImage::READ_OPTIONS);
  SetCreateDate(Now());
  SetVerMajor(4);
  SetVerMinor(0);
  PutHeader(FImage, 0);
}

TKiv::~TKiv() = default;

uint16_t TKiv::GetEvRegSize() const { return GetU16LE(Bytes(FImage), KivImage::EVREG_SIZE); }
void TKiv::SetEvRegSize(uint16_t size) { PutU16LE(Bytes(FImage), KivImage::EVREG_SIZE, size); }
uint16_t TKiv::GetZns1Size() const { return GetU16LE(Bytes(FImage), KivImage::ZNS1_SIZE); }
void TKiv::SetZns1Size(uint16_t size) { PutU16LE(Bytes(FImage), KivImage::ZNS1_SIZE, size); }
uint16_t TKiv::GetZns2Size() const { return GetU16LE(Bytes(FImage), KivImage::ZNS2_SIZE); }
void TKiv::SetZns2Size(uint16_t size) { PutU16LE(Bytes(FImage), KivImage::ZNS2_SIZE, size); }

uint8_t* TKiv::GetZnsData(int n) { return n == 1 ? GetZns1Data() : n == 2 ? GetZns2Data() : nullptr; }

const uint8_t* TKiv::GetZnsData(int n) const
{
  return n == 1 ? GetZns1Data() : n == 2 ? GetZns2Data() : nullptr;
}

uint16_t TKiv::GetZnsSize(int n) const { return n == 1 ? GetZns1Size() : n == 2 ? GetZns2Size() : 0; }

void TKiv::SetZnsSize(int n, uint16_t size)
{
  if (n == 1)
    SetZns1Size(size);
  else if (n == 2)
    SetZns2Size(size);
}

TReadOptions TKiv::GetReadOptions() const
{
  TReadOptions o{};
  std::copy_n(FImage.begin() + KivImage::READ_OPTIONS, o.size(), o.begin());
  return o;
}

void TKiv::SetReadOptions(const TReadOptions& options)
{
  if (options[ReadOption::SlaveAddress] != FImage[KivImage::READ_OPTIONS + ReadOption::SlaveAddress])
    FModified = true;
  std::copy(options.begin(), options.end(), FImage.begin() + KivImage::READ_OPTIONS);
}

uint16_t TKiv::GetVerMajor() const { return GetU16LE(Bytes(FImage), KivImage::VER_MAJOR) & 0xFFu; }
void TKiv::SetVerMajor(uint16_t v) { PutU16LE(Bytes(FImage), KivImage::VER_MAJOR, v); }
uint16_t TKiv::GetVerMinor() const { return GetU16LE(Bytes(FImage), KivImage::VER_MINOR); }
void TKiv::SetVerMinor(uint16_t v) { PutU16LE(Bytes(FImage), KivImage::VER_MINOR, v); }

TDateTime TKiv::GetCreateDate() const { return GetF64LE(Bytes(FImage), KivImage::CREATE_DATE); }
void TKiv::SetCreateDate(TDateTime d) { PutF64LE(Bytes(FImage), KivImage::CREATE_DATE, d); }
TDateTime TKiv::GetEvRegDate() const { return GetF64LE(Bytes(FImage), KivImage::EVREG_DATE); }
void TKiv::SetEvRegDate(TDateTime d) { PutF64LE(Bytes(FImage), KivImage::EVREG_DATE, d); }
TDateTime TKiv::GetZns1Date() const { return GetF64LE(Bytes(FImage), KivImage::ZNS1_DATE); }
void TKiv::SetZns1Date(TDateTime d) { PutF64LE(Bytes(FImage), KivImage::ZNS1_DATE, d); }
TDateTime TKiv::GetZns2Date() const { return GetF64LE(Bytes(FImage), KivImage::ZNS2_DATE); }
void TKiv::SetZns2Date(TDateTime d) { PutF64LE(Bytes(FImage), KivImage::ZNS2_DATE, d); }

std::vector<std::string> TKiv::GetNotes() const
{
  return BufferToStrings(GetNotesBuf(), KivImage::NOTES_SIZE);
}

void TKiv::SetNotes(const std::vector<std::string>& lines)
{
  StringsToBuffer(lines, GetNotesBuf(), KivImage::NOTES_SIZE);
}

std::string TKiv::GetStationInfo() const
{
  return GetFieldText(FImage, KivImage::STATION_INFO, KivImage::TEXT_MAX);
}
void TKiv::SetStationInfo(std::string_view text)
{
  PutFieldText(FImage, KivImage::STATION_INFO, KivImage::TEXT_FIELD_SIZE, text);
}
std::string TKiv::GetIdent() const { return GetFieldText(FImage, KivImage::IDENT, KivImage::TEXT_MAX); }
void TKiv::SetIdent(std::string_view text)
{
  PutFieldText(FImage, KivImage::IDENT, KivImage::TEXT_FIELD_SIZE, text);
}

std::string TKiv::GetIdentName() const
{
  const std::string ident = GetIdent();
  if (ident.empty())
    return {};
  const size_t half = ident.size() / 2;
  return ident.substr(0, half) + "_" + ident.substr(half, half);
}

int TKiv::GetKivType() const
{
  const std::string name = GetIdentName();
  const char c = name.size() >= 3 ? name[1] : char(FImage[KivImage::MODEL_CHAR]);
  return c == '2' ? 1 : c == '3' ? 2 : 0;
}

void TKiv::SetKivType(int model)
{
  PutHeader(FImage, model);
  *FEventKinds = EventKindTable(model);
  LoadDefinitions();
}

void TKiv::LoadDefinitions()
{
  const std::string name = GetIdentName();
  if (IsPlainFileName(name)) {
    if (auto own = FindInFolder(FInstallDir, Cp1250ToUtf8(name) + ".set")) {
      FDefs->LoadFromFile(*own);
      return;
    }
  }
  const int model = GetKivType();
  if (model != 1 && model != 2)
    return;
  const std::string file = model == 1 ? "Kivs2.set" : "Kivs3.set";
  const auto found = FindInFolder(FInstallDir, file);
  FDefs->LoadFromFile(found ? *found : JoinPath(FInstallDir, file));
}

void TKiv::Fire(const TKivEvent& event)
{
  if (event)
    event(*this);
}

void TKiv::FireLoadEvents()
{
  Fire(OnCompleteZestawNastaw1);
  Fire(OnEvRegCompleted);
  Fire(OnCompleteAll);
}

bool TKiv::SaveToFile(const std::string& fileName)
{
  if (!SaveBufferToFile(fileName, Image()))
    return false;
  FModified = false;
  return true;
}

bool TKiv::ParsePacked(std::span<const uint8_t> data, std::vector<uint8_t>& image, bool& slaveChanged) const
{
  slaveChanged = false;
  TByteCursor in(data);
  std::span<const uint8_t> signature;
  if (!in.Skip(Packed::SIGNATURE) || !in.Take(Packed::SIGNATURE_TEXT.size(), signature) ||
      !std::equal(signature.begin(), signature.end(), Packed::SIGNATURE_TEXT.begin()))
    return false;

  uint8_t model = 0, verMajor = 0, lineCount = 0;
  double created = 0;
  if (!TryGetU8(data, Packed::MODEL, model) || !TryGetU8(data, Packed::VER_MAJOR, verMajor) ||
      !TryGetU8(data, Packed::LINE_COUNT, lineCount) || !TryGetF64LE(data, Packed::CREATE_DATE, created) ||
      !in.Skip(Packed::LINE_LENGTHS - in.Pos()))
    return false;
  // The line-length table must end before the lines begin, and agree with the lines' own
  // length bytes: a file where the two disagree was not written by the program.
  if (lineCount > Packed::MAX_LINES)
    return false;
  std::span<const uint8_t> lengths;
  if (!in.Take(lineCount, lengths) || !in.Skip(Packed::LINES - in.Pos()))
    return false;
  std::vector<std::string> lines;
  lines.reserve(lineCount);
  for (size_t i = 0; i < lineCount; ++i) {
    uint8_t len = 0;
    std::span<const uint8_t> text;
    if (!in.U8(len) || len != lengths[i] || !in.Take(len, text))
      return false;
    lines.emplace_back(text.begin(), text.end());
  }

  double evRegDate = 0, zns1Date = 0, zns2Date = 0;
  std::span<const uint8_t> options;
  if (!in.F64LE(evRegDate) || !in.F64LE(zns1Date) || !in.F64LE(zns2Date) || !in.Take(6, options))
    return false;

  struct TBlock {
    size_t sizeOffset, dataOffset, capacity;
    std::span<const uint8_t> data;
  };
  TBlock blocks[] = {{KivImage::EVREG_SIZE, KivImage::EVREG, KivImage::EVREG_CAPACITY, {}},
                     {KivImage::ZNS1_SIZE, KivImage::ZNS1, KivImage::ZNS_CAPACITY, {}},
                     {KivImage::ZNS2_SIZE, KivImage::ZNS2, KivImage::ZNS_CAPACITY, {}}};
  for (TBlock& b : blocks) {
    uint16_t len = 0;
    if (!in.U16LE(len) || !in.Take(len, b.data))
      return false;
  }
  std::optional<std::span<const uint8_t>> ident;
  if (verMajor > 2)
    ident = in.TextToNul();

  // Everything is there: build the new image from the current one.
  image = FImage;
  PutHeader(image, model);
  PutU16LE(Bytes(image), KivImage::VER_MAJOR, verMajor);
  PutU16LE(Bytes(image), KivImage::VER_MINOR, 0);
  PutF64LE(Bytes(image), KivImage::CREATE_DATE, created);
  StringsToBuffer(lines, image.data() + KivImage::NOTES, KivImage::NOTES_SIZE);
  PutF64LE(Bytes(image), KivImage::EVREG_DATE, evRegDate);
  PutF64LE(Bytes(image), KivImage::ZNS1_DATE, zns1Date);
  PutF64LE(Bytes(image), KivImage::ZNS2_DATE, zns2Date);
  slaveChanged =
      options[ReadOption::SlaveAddress] != image[KivImage::READ_OPTIONS + ReadOption::SlaveAddress];
  std::copy(options.begin(), options.end(), image.begin() + KivImage::READ_OPTIONS);
  for (const TBlock& b : blocks) {
    // A block longer than its field is cut to the field; the length says what was copied.
    const size_t n = std::min(b.data.size(), b.capacity);
    std::copy_n(b.data.begin(), n, image.begin() + std::ptrdiff_t(b.dataOffset));
    PutU16LE(Bytes(image), b.sizeOffset, uint16_t(n));
  }
  if (ident) {
    const std::string text(ident->begin(), ident->end());
    PutFieldText(image, KivImage::IDENT, KivImage::TEXT_FIELD_SIZE, text);
  }
  return true;
}

bool TKiv::LoadFromFile(const std::string& fileName)
{
  // A file that cannot be read is told apart from an empty one, which is of no format; either
  // way the document stays as it was and no event fires.
  std::string data;
  if (!ReadFileHead(fileName, data, MAX_KIV_FILE_SIZE + 1)) {
    Prompts().Error(LoadFailedText(fileName));
    return false;
  }
  if (data.size() > MAX_KIV_FILE_SIZE)
    data.clear();  // far beyond either layout: of unknown format, and not parsed
  return LoadFromBytes(data);
}

bool TKiv::LoadFromBytes(std::string_view data)
{
  // A load that fails leaves the document, its modified flag included, as it was.
  if (IsDocumentImage(data)) {
    FImage.assign(data.begin(), data.end());
    FModified = false;
  } else {
    std::vector<uint8_t> image;
    bool slaveChanged = false;
    if (!ParsePacked(AsBytes(data), image, slaveChanged)) {
      Prompts().Error("Nieznany format pliku"_cp);
      return false;
    }
    FImage.swap(image);
    // The packed read options are stored as through SetReadOptions.
    FModified = slaveChanged;
  }
  SetKivType(GetKivType());
  LoadDefinitions();
  FireLoadEvents();
  return true;
}

bool TKiv::LoadRawBlock(const std::string& fileName, size_t sizeOffset, size_t dataOffset, size_t capacity)
{
  // Only the part that fits the block is used, so only that part is read.
  std::string data;
  if (!ReadFileStart(fileName, capacity, data))
    return false;
  const size_t n = data.size();
  std::copy_n(data.begin(), n, FImage.begin() + std::ptrdiff_t(dataOffset));
  PutU16LE(Bytes(FImage), sizeOffset, uint16_t(n));
  return true;
}

bool SplitCommandOptions(std::string_view options, std::vector<TCommandOption>& out, std::string_view& stray)
{
  out.clear();
  stray = {};
  std::string_view rest = options;
  for (;;) {
    rest = Trim(rest);
    if (rest.empty())
      return true;
    if (rest.front() != '-') {
      stray = rest;
      return false;
    }
    rest.remove_prefix(1);
    const size_t end = NextOptionStart(rest);
    const std::string_view option = Trim(rest.substr(0, end));
    rest = rest.substr(end);
    const size_t blank = size_t(std::find_if(option.begin(), option.end(), IsTextBlank) - option.begin());
    out.push_back({option.substr(0, blank), Trim(option.substr(blank))});
  }
}

void TKiv::ParseCommandLine(std::string_view options, bool& ok, std::string& message)
{
  ok = true;
  message.clear();
  std::optional<std::string> bufFile, zns1File, zns2File, ident;
  std::optional<int> model;

  std::vector<TCommandOption> split;
  std::string_view stray;
  const bool whole = SplitCommandOptions(options, split, stray);
  for (const TCommandOption& option : split) {
    if (!ok)
      break;
    const std::string_view word = option.Word;
    const std::string value(option.Value);

    if (CpSameText(word, "buffile")) {
      bufFile = value;
    } else if (CpSameText(word, "zns1file")) {
      zns1File = value;
    } else if (CpSameText(word, "zns2file")) {
      zns2File = value;
    } else if (CpSameText(word, "kivtype")) {
      if (CpSameText(value, "kivs2"))
        model = 1;
      else if (CpSameText(value, "kivs3"))
        model = 2;
      else
        ident = CpUpperCase(Utf8ToCp1250(value));
    } else if (CpSameText(word, "h")) {
      message = CommandLineHelp();
    } else {
      ok = false;
      message = "Nieznane polecenie: "_cp + Utf8ToCp1250(word);
    }
  }
  // Options before a part without its '-' still count, as they were read first.
  if (ok && !whole) {
    ok = false;
    message = "oczekiwano znaku \"-\" :"_cp + Utf8ToCp1250(stray);
  }
  if (!ok || !(bufFile || zns1File || zns2File || ident || model))
    return;

  if (ident) {
    SetIdent(*ident);
    SetKivType(GetKivType());
  } else if (model) {
    SetKivType(*model);
  }
  struct TRaw {
    const std::optional<std::string>& file;
    size_t sizeOffset, dataOffset, capacity;
  };
  const TRaw raws[] = {{bufFile, KivImage::EVREG_SIZE, KivImage::EVREG, KivImage::EVREG_CAPACITY},
                       {zns1File, KivImage::ZNS1_SIZE, KivImage::ZNS1, KivImage::ZNS_CAPACITY},
                       {zns2File, KivImage::ZNS2_SIZE, KivImage::ZNS2, KivImage::ZNS_CAPACITY}};
  for (const TRaw& raw : raws) {
    if (!raw.file)
      continue;
    if (!LoadRawBlock(*raw.file, raw.sizeOffset, raw.dataOffset, raw.capacity)) {
      ok = false;
      message = LoadFailedText(*raw.file);
      return;
    }
  }
  SetKivType(GetKivType());
  LoadDefinitions();
  FireLoadEvents();
}
