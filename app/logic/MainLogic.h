#pragma once
// What the main window decides without a window: the link settings in kiv.ini, the install
// folder, the command line, new document names, the chart's X scale and the tool bar's states.
// The Qt frame (app/ui/Main.*) only carries these decisions out.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/link/KivLink.h"

class TIniFile;

// Everything kiv.ini keeps: the TCP and time settings of the link, and the serial port.
struct TMainConfig {
  TCommSettings Comm;
  std::string Port = "COM1";  // the link's port name; empty: no port
  int Speed = 6;              // the link's baud-rate index

  bool operator==(const TMainConfig&) const = default;
};

// kiv.ini keys.
namespace KivIni {
constexpr std::string_view MBTCPComm = "MBTCPComm";
constexpr std::string_view MBTCPIP = "MBTCPIP";
constexpr std::string_view MBTCPPort = "MBTCPPort";
constexpr std::string_view Port = "Port";
constexpr std::string_view Speed = "Speed";
constexpr std::string_view Time_Out = "Time_Out";
constexpr std::string_view TimeSilence = "TimeSilence";
constexpr size_t IP_MAX = 15;  // an IPv4 address text is at most 15 characters
constexpr size_t PORT_MAX = 255;
constexpr uint16_t DEFAULT_TCP_PORT = 502;
}  // namespace KivIni

// $XDG_CONFIG_HOME/kivssn/kiv.ini when that variable holds an absolute folder, else
// $HOME/.config/kivssn/kiv.ini; "kiv.ini" in the working folder when neither is known.
std::string KivIniPathFor(const char* xdgConfigHome, const char* home);
std::string KivIniPath();

// A TCP port text: an integer 1..65535, anything else gives 502.
uint16_t TcpPortFromText(std::string_view text);
uint16_t TcpPortFromValue(int64_t value);
// The Port key's value as a port name: a positive number n names COMn.
std::string PortFromIniValue(std::string_view value);

// Reads the seven keys of `section`, with their defaults for what is missing.
TMainConfig ReadKivIni(const TIniFile& ini, std::string_view section);
// Writes all seven keys (numbers in decimal, MBTCPComm as 0 or 1).
void WriteKivIni(TIniFile& ini, std::string_view section, const TMainConfig& config);
// Loads the file (a missing or unreadable file gives the defaults).
TMainConfig LoadKivIni(const std::string& path, std::string_view section);
// Writes the keys into the file, keeping its other sections and keys, atomically; makes the
// folder when needed. A file that exists but cannot be read is left alone (writing it would
// lose what it holds): false, with the reason in *error.
[[nodiscard]] bool SaveKivIni(const std::string& path, std::string_view section, const TMainConfig& config,
                              std::string* error = nullptr);

// The install folder: the program's folder when it holds the definition files, else
// ../share/kivssn beside it (the program's folder again when that does not exist either).
bool FolderHoldsDefinitions(const std::string& dir);
std::string FindInstallDir(const std::string& programDir);
// The help file in the install folder, empty when there is none.
std::string FindHelpFile(const std::string& installDir);

// --- Command line -------------------------------------------------------------------------

// What the words after the program name ask for, in the order they are carried out: the
// documents opened, then (when a named document is missing) the notice and nothing more,
// else the option text for one new document.
struct TCommandLinePlan {
  std::vector<std::string> OpenFiles;
  std::optional<std::string> MissingFile;
  bool Service = false;
  // With Service: the files from this index of OpenFiles on came after the service word, so
  // they open in service mode; the ones before it do not.
  size_t ServiceFromFile = 0;
  std::string Options;  // words that build a document, joined by one blank
};
using TFileExists = std::function<bool(const std::string&)>;
// Option words, ".kiv" and "service" compare without regard to letter case; file names keep
// theirs. An empty word ends the list.
TCommandLinePlan PlanCommandLine(const std::vector<std::string>& params, const TFileExists& exists);
// Whether a word is the exact "-service" the frame's caption shows.
bool HasServiceSwitch(const std::vector<std::string>& params);
// The document name an option text gives: the value of its first option whose word holds
// "file" (so "-buffile my-file.bin" names my-file.bin); empty when there is none.
std::string DocumentNameFromOptions(std::string_view options);

// "Dokument" + n + ".kiv" for the next n (counted on from `counter`, restarted when no
// document is open) whose file does not exist.
std::string NextDocumentName(int& counter, int documentCount, const TFileExists& exists);

// --- Chart scale and tool bar -------------------------------------------------------------

constexpr int32_t XSCALE_MIN = 10;
constexpr int32_t XSCALE_MAX = 50000;
extern const char* const XSCALE_ITEMS[10];
struct TXScaleChoice {
  bool Autoscale = true;
  int32_t ScaleX = 0;  // when not autoscale
  bool operator==(const TXScaleChoice&) const = default;
};
// The scale a text asks for, when it counts at all (not empty, and one of the items or
// wholly selected in the box); a text that is no whole number in 10..50000 asks for
// autoscale.
std::optional<TXScaleChoice> ChooseXScale(std::string_view text, bool itemOrSelected);
// The box's text for a chart (the first item in autoscale).
std::string XScaleText(bool autoscale, int32_t scaleX);

struct TToolbarState {
  bool DocumentActions = false;  // save, save as, print, the scale box and the view buttons
  bool ClearScale = true;        // no document: the scale box is emptied
  bool CommSetup = true;         // the communication dialog
  bool operator==(const TToolbarState&) const = default;
};
// The communication settings stay closed while anything holds the link: changing them could
// close the port in the middle of a transaction.
TToolbarState ToolbarState(bool haveDocument, bool documentReading, bool anyBusy);

// The open and save dialogs' filter.
constexpr const char* KIV_FILE_FILTER = "Pliki rejestracji|*.kiv|Wszystkie pliki|*.*";

// --- Texts --------------------------------------------------------------------------------

// The three notices of the program that were written in Russian; they are shown as Unicode
// text (UTF-8 here), since the code page of every other text has no Cyrillic letters.
namespace RussianText {
constexpr const char* FileNotFound = "%s Файл не найден";
constexpr const char* Error = "ошибка";
constexpr const char* Information = "информация";
}  // namespace RussianText
// "%s Файл не найден" with the name in place of %s (UTF-8).
std::string FileNotFoundNotice(std::string_view fileName);
