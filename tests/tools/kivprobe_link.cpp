// kivprobe read / kivprobe write: the controller protocol without the windows, over a serial
// device or Modbus TCP, printing the message lines the document window would show.
//
//   kivprobe read (--tcp IP:PORT | --serial DEVICE [--speed INDEX]) [--slave N] [--sets 1,2]
//                 [--events] [--show-all] [--timeout MS] [--silence MS] [--trace]
//                 --install-dir DIR -o OUT.kiv
//   kivprobe write (--tcp IP:PORT | --serial DEVICE [--speed INDEX]) [--slave N]
//                  [--timeout MS] [--silence MS] [--trace] [--install-dir DIR]
//                  --from FILE.kiv --command ZNS1_1|ZNS2_2|ZNS1_2|ZNS2_1
//
// Without --sets and --events a read asks for everything, as a new document does.
#include "kivprobe.h"

#include <optional>

#include "app/link/KivLink.h"
#include "app/document/KivMemo.h"
#include "app/document/Kivbase.h"
#include "platform/Codepage.h"
#include "platform/NumText.h"

namespace {

struct TLinkOptions {
  std::optional<std::string> Tcp;
  std::optional<std::string> Serial;
  int Speed = br9600;
  std::optional<int> Slave;
  std::optional<std::string> Sets;
  bool Events = false;
  bool ShowAll = false;
  bool Trace = false;
  TCommSettings Comm;
  std::string InstallDir;
  std::string Out;
  std::string From;
  std::string Command;
};

bool TakeInt(const std::string& text, int lo, int hi, int& out)
{
  int32_t v = 0;
  if (!TryStrToInt(text, v) || v < lo || v > hi)
    return false;
  out = v;
  return true;
}

// Parses the options; false with a reason in `error`.
bool ParseOptions(const std::vector<std::string>& args, TLinkOptions& o, std::string& error)
{
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool hasValue = i + 1 < args.size();
    const std::string value = hasValue ? args[i + 1] : std::string();
    int n = 0;
    if (a == "--events")
      o.Events = true;
    else if (a == "--show-all")
      o.ShowAll = true;
    else if (a == "--trace")
      o.Trace = true;
    else if (!hasValue) {
      error = "missing value or unknown option: " + a;
      return false;
    } else {
      ++i;
      if (a == "--tcp")
        o.Tcp = value;
      else if (a == "--serial")
        o.Serial = value;
      else if (a == "--speed" && TakeInt(value, 0, BaudRateCount - 1, n))
        o.Speed = n;
      else if (a == "--slave" && TakeInt(value, 0, 247, n))
        o.Slave = n;
      else if (a == "--sets")
        o.Sets = value;
      else if (a == "--timeout" && TakeInt(value, 1, 600000, n))
        o.Comm.Time_Out = n;
      else if (a == "--silence" && TakeInt(value, 0, 600000, n))
        o.Comm.TimeSilence = n;
      else if (a == "--install-dir")
        o.InstallDir = value;
      else if (a == "-o")
        o.Out = value;
      else if (a == "--from")
        o.From = value;
      else if (a == "--command")
        o.Command = value;
      else {
        error = "bad option: " + a + " " + value;
        return false;
      }
    }
  }
  if (o.Tcp.has_value() == o.Serial.has_value()) {
    error = "give exactly one of --tcp IP:PORT and --serial DEVICE";
    return false;
  }
  if (o.Tcp) {
    const size_t colon = o.Tcp->rfind(':');
    int port = 0;
    uint32_t address = 0;
    if (colon == std::string::npos || !ParseIPv4(o.Tcp->substr(0, colon), address) ||
        !TakeInt(o.Tcp->substr(colon + 1), 1, 65535, port)) {
      error = "--tcp wants a numeric IPv4 address and a port: " + *o.Tcp;
      return false;
    }
    o.Comm.MBTCPComm = true;
    o.Comm.MBTCPIP = o.Tcp->substr(0, colon);
    o.Comm.MBTCPPort = uint16_t(port);
  }
  return true;
}

// Sets up the link as the main window does from kiv.ini; false with a reason.
bool OpenLink(TKivLink& link, const TLinkOptions& o, std::string& error)
{
  if (!link.SetSettings(o.Comm)) {
    error = "link busy";
    return false;
  }
  if (o.Comm.MBTCPComm)
    return true;
  link.Rsd().SetCommPort(*o.Serial);
  link.Rsd().SetBaudRate(o.Speed);
  link.Rsd().SetReadTotalTimeoutConstant(o.Comm.Time_Out);
  try {
    if (link.Rsd().Open() != TRsdHan::StatusOpen) {
      error = "cannot open " + *o.Serial;
      return false;
    }
  } catch (const EComState& e) {
    error = e.what();
    return false;
  }
  return true;
}

void PrintLines(TProbeContext& ctx, const TStringsMemo& memo)
{
  for (const std::string& line : memo.Lines)
    ctx.Out << Cp1250ToUtf8(line) << '\n';
}

void SetUpKiv(TProbeContext& ctx, TKiv& kiv, TKivLink& link, TStringsMemo& memo, const TLinkOptions& o)
{
  ProbeSetUp(ctx, kiv);
  if (!o.InstallDir.empty())
    kiv.SetInstallDir(o.InstallDir);
  kiv.SetLink(&link);
  kiv.SetMessageMemo(&memo);
  kiv.TraceMessages = o.Trace;
}

}  // namespace

int ProbeRead(TProbeContext& ctx, const std::vector<std::string>& args)
{
  TLinkOptions o;
  std::string error;
  if (!ParseOptions(args, o, error) || o.Out.empty()) {
    ctx.Err << "kivprobe read: " << (error.empty() ? "-o OUT.kiv is required" : error) << '\n';
    return 2;
  }
  TKivLink link;
  if (!OpenLink(link, o, error)) {
    ctx.Err << "kivprobe read: " << error << '\n';
    return 1;
  }
  TKiv kiv;
  TStringsMemo memo;
  SetUpKiv(ctx, kiv, link, memo, o);
  TReadOptions options = kiv.GetReadOptions();
  if (o.Slave)
    options[ReadOption::SlaveAddress] = uint8_t(*o.Slave);
  if (o.Sets || o.Events) {
    const std::string sets = o.Sets.value_or("");
    options[ReadOption::ReadZns1] = sets.find('1') != std::string::npos;
    options[ReadOption::ReadZns2] = sets.find('2') != std::string::npos;
    options[ReadOption::ReadEvReg] = o.Events;
  }
  options[ReadOption::ShowAllEvents] = o.ShowAll;
  kiv.SetReadOptions(options);
  const bool ran = kiv.ReadFromKIV();
  PrintLines(ctx, memo);
  if (!ran || kiv.Aborted() || kiv.Cancelled()) {
    ctx.Err << "kivprobe read: the read did not complete\n";
    return 1;
  }
  return kiv.SaveToFile(o.Out) ? 0 : 1;
}

int ProbeWrite(TProbeContext& ctx, const std::vector<std::string>& args)
{
  TLinkOptions o;
  std::string error;
  int source = 0, target = 0;
  if (ParseOptions(args, o, error) && o.Command.size() == 6 && o.Command.compare(0, 3, "ZNS") == 0 &&
      o.Command[4] == '_') {
    source = o.Command[3] - '0';
    target = o.Command[5] - '0';
  }
  if ((source != 1 && source != 2) || (target != 1 && target != 2) || o.From.empty()) {
    ctx.Err << "kivprobe write: "
            << (error.empty() ? "--from FILE.kiv and --command ZNS1_1|ZNS2_2|ZNS1_2|ZNS2_1 are required"
                              : error)
            << '\n';
    return 2;
  }
  TKivLink link;
  if (!OpenLink(link, o, error)) {
    ctx.Err << "kivprobe write: " << error << '\n';
    return 1;
  }
  TKiv kiv;
  TStringsMemo memo;
  SetUpKiv(ctx, kiv, link, memo, o);
  if (!kiv.LoadFromFile(o.From)) {
    ctx.Err << "kivprobe write: cannot load " << o.From << '\n';
    return 1;
  }
  if (o.Slave) {
    TReadOptions options = kiv.GetReadOptions();
    options[ReadOption::SlaveAddress] = uint8_t(*o.Slave);
    kiv.SetReadOptions(options);
  }
  const bool ran = kiv.WriteZestawNastaw(source, target);
  PrintLines(ctx, memo);
  const std::string& last = memo.Lines.empty() ? std::string() : memo.Lines.back();
  return ran && last.size() >= 4 && last.compare(last.size() - 4, 4, ": OK") == 0 ? 0 : 1;
}
