#include "app/logic/MainLogic.h"

#include <filesystem>
#include <system_error>

#include "app/document/Kivbase.h"
#include "platform/Codepage.h"
#include "platform/IniFile.h"
#include "platform/NumText.h"

namespace fs = std::filesystem;

std::string KivIniPathFor(const char* xdgConfigHome, const char* home)
{
  if (xdgConfigHome && xdgConfigHome[0] == '/')
    return std::string(xdgConfigHome) + "/kivssn/kiv.ini";
  if (home && home[0])
    return std::string(home) + "/.config/kivssn/kiv.ini";
  return "kiv.ini";
}

std::string KivIniPath() { return KivIniPathFor(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME")); }

uint16_t TcpPortFromValue(int64_t value)
{
  return value >= 1 && value <= 65535 ? uint16_t(value) : KivIni::DEFAULT_TCP_PORT;
}

uint16_t TcpPortFromText(std::string_view text)
{
  int64_t value = 0;
  return TryStrToInt64(text, value) ? TcpPortFromValue(value) : KivIni::DEFAULT_TCP_PORT;
}

std::string PortFromIniValue(std::string_view value)
{
  int32_t n = 0;
  if (TryStrToInt(value, n) && n > 0)
    return "COM" + IntToStr(n);
  return std::string(value);
}

TMainConfig ReadKivIni(const TIniFile& ini, std::string_view section)
{
  TMainConfig c;
  c.Comm.MBTCPComm = ReadProfileInt(ini, section, KivIni::MBTCPComm, 0) == 1;
  c.Comm.MBTCPIP = ini.ReadString(section, KivIni::MBTCPIP, c.Comm.MBTCPIP).substr(0, KivIni::IP_MAX);
  c.Comm.MBTCPPort =
      TcpPortFromValue(ReadProfileInt(ini, section, KivIni::MBTCPPort, KivIni::DEFAULT_TCP_PORT));
  c.Port = PortFromIniValue(ini.ReadString(section, KivIni::Port, c.Port).substr(0, KivIni::PORT_MAX));
  c.Speed = ReadProfileInt(ini, section, KivIni::Speed, c.Speed);
  c.Comm.Time_Out = ReadProfileInt(ini, section, KivIni::Time_Out, c.Comm.Time_Out);
  c.Comm.TimeSilence = ReadProfileInt(ini, section, KivIni::TimeSilence, c.Comm.TimeSilence);
  return c;
}

void WriteKivIni(TIniFile& ini, std::string_view section, const TMainConfig& c)
{
  ini.WriteInteger(section, KivIni::MBTCPComm, c.Comm.MBTCPComm ? 1 : 0);
  ini.WriteString(section, KivIni::MBTCPIP, c.Comm.MBTCPIP);
  ini.WriteInteger(section, KivIni::MBTCPPort, c.Comm.MBTCPPort);
  ini.WriteString(section, KivIni::Port, c.Port);
  ini.WriteInteger(section, KivIni::Speed, c.Speed);
  ini.WriteInteger(section, KivIni::Time_Out, c.Comm.Time_Out);
  ini.WriteInteger(section, KivIni::TimeSilence, c.Comm.TimeSilence);
}

TMainConfig LoadKivIni(const std::string& path, std::string_view section)
{
  TIniFile ini;
  ini.LoadFromFile(path);
  return ReadKivIni(ini, section);
}

bool SaveKivIni(const std::string& path, std::string_view section, const TMainConfig& config,
                std::string* error)
{
  TIniFile ini;
  std::error_code ec;
  if (fs::exists(path, ec) && !ini.LoadFromFile(path, error))
    return false;
  const fs::path folder = fs::path(path).parent_path();
  if (!folder.empty() && !fs::is_directory(folder, ec) && !fs::create_directories(folder, ec)) {
    if (error)
      *error = ec.message();
    return false;
  }
  WriteKivIni(ini, section, config);
  return ini.SaveToFile(path, error);
}

bool FolderHoldsDefinitions(const std::string& dir)
{
  std::error_code ec;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if ((CpSameText(name, "Kivs2.set") || CpSameText(name, "Kivs3.set")) && it->is_regular_file(ec))
      return true;
  }
  return false;
}

std::string FindInstallDir(const std::string& programDir)
{
  std::string dir = programDir;
  while (dir.size() > 1 && dir.back() == '/')
    dir.pop_back();
  if (FolderHoldsDefinitions(dir))
    return dir;
  std::error_code ec;
  const fs::path share = (fs::path(dir) / ".." / "share" / "kivssn").lexically_normal();
  if (fs::is_directory(share, ec)) {
    std::string s = share.string();
    while (s.size() > 1 && s.back() == '/')
      s.pop_back();
    return s;
  }
  return dir;
}

std::string FindHelpFile(const std::string& installDir)
{
  std::error_code ec;
  const fs::path help = fs::path(installDir) / "KIVS32.HLP";
  return fs::is_regular_file(help, ec) ? help.string() : std::string();
}

namespace {

// By the name's last four characters: a file called just ".kiv" (or "dir/.kiv") is a
// document too, though a path library sees a hidden file without an extension there.
bool HasKivExtension(const std::string& name)
{
  constexpr std::string_view ext = ".kiv";
  return name.size() >= ext.size() &&
         CpSameText(std::string_view(name).substr(name.size() - ext.size()), ext);
}

}  // namespace

TCommandLinePlan PlanCommandLine(const std::vector<std::string>& params, const TFileExists& exists)
{
  TCommandLinePlan plan;
  for (const std::string& p : params) {
    if (p.empty())
      break;
    if (HasKivExtension(p)) {
      if (!exists(p)) {
        plan.MissingFile = p;
        plan.Options.clear();
        return plan;
      }
      plan.OpenFiles.push_back(p);
    } else if (CpSameText(p, "service") || CpSameText(p, "-service")) {
      if (!plan.Service)
        plan.ServiceFromFile = plan.OpenFiles.size();
      plan.Service = true;
    } else {
      if (!plan.Options.empty())
        plan.Options += ' ';
      plan.Options += p;
    }
  }
  return plan;
}

bool HasServiceSwitch(const std::vector<std::string>& params)
{
  for (const std::string& p : params)
    if (p == "-service")
      return true;
  return false;
}

std::string DocumentNameFromOptions(std::string_view options)
{
  std::vector<TCommandOption> split;
  std::string_view stray;
  (void)SplitCommandOptions(options, split, stray);
  for (const TCommandOption& option : split)
    if (CpLowerCase(option.Word).find("file") != std::string::npos)
      return std::string(option.Value);
  return {};
}

std::string NextDocumentName(int& counter, int documentCount, const TFileExists& exists)
{
  if (documentCount == 0)
    counter = 0;
  std::string name;
  do {
    ++counter;
    name = "Dokument" + IntToStr(counter) + ".kiv";
  } while (exists(name));
  return name;
}

const char* const XSCALE_ITEMS[10] = {"Dopasuj", "50",  "75",   "100",  "150",
                                      "200",     "500", "1000", "2000", "5000"};

std::optional<TXScaleChoice> ChooseXScale(std::string_view text, bool itemOrSelected)
{
  if (text.empty() || !itemOrSelected)
    return std::nullopt;
  int32_t n = 0;
  if (!TryStrToInt(text, n) || n < XSCALE_MIN || n > XSCALE_MAX)
    return TXScaleChoice{true, 0};
  return TXScaleChoice{false, n};
}

std::string XScaleText(bool autoscale, int32_t scaleX)
{
  return autoscale ? XSCALE_ITEMS[0] : IntToStr(scaleX);
}

TToolbarState ToolbarState(bool haveDocument, bool documentReading, bool anyBusy)
{
  TToolbarState s;
  s.DocumentActions = haveDocument && !documentReading;
  s.ClearScale = !haveDocument;
  s.CommSetup = !anyBusy;
  return s;
}

std::string FileNotFoundNotice(std::string_view fileName)
{
  std::string text = RussianText::FileNotFound;
  const size_t at = text.find("%s");
  text.replace(at, 2, fileName);
  return text;
}
