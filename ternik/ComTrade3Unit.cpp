#include "ternik/ComTrade3Unit.h"

#include <memory>

#include "platform/Codepage.h"
#include "ternik/ComTrade3UnitInterface.h"
#include "ternik/ComTrade3UnitModel.h"
#include "ternik/VersionListUnit.h"

namespace {

struct TRegistries {
  std::vector<const TFileInterface*> Interfaces;
  std::vector<const TComtradeDataFileParser*> Parsers;
};

// Created on first registration (a unit that starts before this one may register first),
// freed at finalisation. The interfaces and parsers themselves are never freed here.
std::unique_ptr<TRegistries>& Registries()
{
  static std::unique_ptr<TRegistries> r;
  return r;
}

TRegistries& EnsureRegistries()
{
  auto& r = Registries();
  if (!r)
    r = std::make_unique<TRegistries>();
  return *r;
}

TFormatSettings MakeComtradeFormat()
{
  TFormatSettings fs = LibraryFormat();
  fs.DecimalSeparator = '.';
  fs.DateSeparator = '/';
  fs.TimeSeparator = ':';
  fs.ShortDateFormat = "dd/mm/yyyy";
  fs.LongTimeFormat = "HH:mm:ss";
  return fs;
}

int gInitCount = 0;

// Where the folder part of a name ends ('/' and '\' both separate folders).
std::string_view FilePart(std::string_view name)
{
  const size_t p = name.find_last_of("/\\");
  return p == std::string_view::npos ? name : name.substr(p + 1);
}

std::string_view ExtPart(std::string_view name)
{
  const std::string_view file = FilePart(name);
  const size_t p = file.rfind('.');
  return p == std::string_view::npos ? std::string_view() : file.substr(p);
}

}  // namespace

std::string ListIndexError(int64_t index) { return "List index out of bounds (" + IntToStr(index) + ")"; }

// ---- the abstract slots ----

std::string TFileInterface::InterfaceName() const { throw EAbstractError(); }
std::string TFileInterface::Description() const { throw EAbstractError(); }
std::string TFileInterface::FileMask() const { throw EAbstractError(); }
void TFileInterface::SaveInfToStream(TComtrade&, TStream&) const { throw EAbstractError(); }
bool TFileInterface::CanLoad(TStream&, const TMessageHook&) const { throw EAbstractError(); }
void TFileInterface::SaveViewToStream(TComtrade&, TStream&) const { throw EAbstractError(); }
void TFileInterface::SaveToStreams(TComtrade&, TStringArray&, bool, bool, const std::string&, TStreamArray&,
                                   int32_t, int32_t) const
{
  throw EAbstractError();
}
void TFileInterface::LoadFromStreams(TComtrade&, const TStringArray&, const std::string&, const TStreamArray&,
                                     const TMessageHook&) const
{
  throw EAbstractError();
}
void TFileInterface::GetFileList(const std::string& fileName, TStringArray& names, bool) const
{
  names.assign(1, fileName);
}

std::string TComtradeDataFileParser::ParserName() const { throw EAbstractError(); }
int32_t TComtradeDataFileParser::Capabilities() const { throw EAbstractError(); }
void TComtradeDataFileParser::LoadDataFromStream(TComtrade&, const TStringArray&, const TStreamArray&,
                                                 const TMessageHook&) const
{
  throw EAbstractError();
}
void TComtradeDataFileParser::SaveDataToStream(TComtrade&, const TStringArray&, bool, bool,
                                               const TStreamArray&, int32_t, int32_t,
                                               const TMessageHook&) const
{
  throw EAbstractError();
}

// ---- registries ----

void RegisterFileInterface(const TFileInterface& fileInterface, int32_t index)
{
  auto& list = EnsureRegistries().Interfaces;
  if (index == -1) {
    list.push_back(&fileInterface);
    return;
  }
  if (index < 0 || static_cast<size_t>(index) > list.size())
    throw EComtrade(ListIndexError(index));
  list.insert(list.begin() + index, &fileInterface);
}

void RegisterDataFileParser(const TComtradeDataFileParser& parser)
{
  EnsureRegistries().Parsers.push_back(&parser);
}

const std::vector<const TFileInterface*>& FileInterfaces()
{
  static const std::vector<const TFileInterface*> none;
  return Registries() ? Registries()->Interfaces : none;
}

const std::vector<const TComtradeDataFileParser*>& DataFileParsers()
{
  static const std::vector<const TComtradeDataFileParser*> none;
  return Registries() ? Registries()->Parsers : none;
}

const TComtradeDataFileParser* FindDataFileParser(std::string_view keyword)
{
  for (const TComtradeDataFileParser* p : DataFileParsers())
    if (p->ParserName() == keyword)
      return p;
  return nullptr;
}

int32_t IndexOfFileExt(std::string_view text, const TStringArray& names)
{
  const std::string up = CpUpperCase(text);
  for (size_t i = 0; i < names.size(); ++i) {
    const std::string name = CpUpperCase(names[i]);
    if (name == up || CpUpperCase(ExtPart(names[i])) == up)
      return static_cast<int32_t>(i);
  }
  return -1;
}

int32_t IndexOfFileName(std::string_view text, const TStringArray& names)
{
  const std::string up = CpUpperCase(text);
  for (size_t i = 0; i < names.size(); ++i) {
    const std::string name = CpUpperCase(names[i]);
    if (name == up || CpUpperCase(FilePart(names[i])) == up)
      return static_cast<int32_t>(i);
  }
  return -1;
}

const TFormatSettings& ComtradeFormat()
{
  static const TFormatSettings fs = MakeComtradeFormat();
  return fs;
}

// ---- start-up ----

void ComTrade3UnitInitialize()
{
  if (gInitCount++ > 0)
    return;
  AddVersionHeader("$Header: /ternik/ComTrade3Unit.pas,v 1.62 2019/03/30 00:00:00 ternik Exp $");
  (void)ComtradeFormat();
  ComtradeClasses() = DefaultComtradeClasses();
  EnsureRegistries();
  // The COMTRADE set comes first, ahead of the recorder formats registered before it.
  RegisterFileInterface(ComtradeInterface(), 0);
}

void ComTrade3UnitFinalize()
{
  if (gInitCount == 0 || --gInitCount > 0)
    return;
  Registries().reset();
}
