#include "kivprobe.h"

#include <cstring>
#include <iostream>

#include "app/document/Kivbase.h"
#include "platform/Codepage.h"
#include "platform/Prompts.h"

namespace {

// Message boxes of the library go to stderr, as the program's own error lines.
class TProbePrompts : public TConsolePrompts {
public:
  explicit TProbePrompts(std::ostream& err) : FErr(err) {}
  void Message(const std::string& text) override { FErr << Cp1250ToUtf8(text) << '\n'; }
  void Error(const std::string& text) override { FErr << Cp1250ToUtf8(text) << '\n'; }
  void Warning(const std::string& text) override { FErr << Cp1250ToUtf8(text) << '\n'; }

private:
  std::ostream& FErr;
};

// Every command, once. Add a line here and a kivprobe_<name>.cpp for a new command.
const TProbeCommand Commands[] = {
    {"dump", "FILE.kiv", ProbeDump},
    {"raw", "[-buffile F] [-zns1file F] [-zns2file F] [-kivtype T] -o OUT.kiv", ProbeRaw},
    {"listing", "FILE.kiv [--show-all] [--no-correct]", ProbeListing},
    {"chart", "FILE.kiv [--show-all] [--no-correct]", ProbeChart},
    {"read",
     "(--tcp IP:PORT | --serial DEVICE [--speed INDEX]) [--slave N] [--sets 1,2] [--events] [--show-all] "
     "[--timeout MS] [--silence MS] [--trace] --install-dir DIR -o OUT.kiv",
     ProbeRead},
    {"write",
     "(--tcp IP:PORT | --serial DEVICE [--speed INDEX]) [--slave N] [--timeout MS] [--silence MS] [--trace] "
     "--from FILE.kiv --command ZNS1_1|ZNS2_2|ZNS1_2|ZNS2_1",
     ProbeWrite},
};

int Usage(std::ostream& err)
{
  err << "usage: kivprobe [--defs DIR] COMMAND ARGS...\n";
  for (const TProbeCommand& c : Commands)
    err << "  kivprobe " << c.Name << ' ' << c.Usage << '\n';
  return 2;
}

}  // namespace

void ProbeLine(std::ostream& out, const std::string& name, const std::string& value)
{
  out << name << ':';
  if (!value.empty())
    out << ' ' << value;
  out << '\n';
}

void ProbeSetUp(TProbeContext& ctx, TKiv& kiv) { kiv.SetInstallDir(ctx.DefsDir); }

int main(int argc, char** argv)
{
  std::vector<std::string> args(argv + 1, argv + argc);
  TProbeContext ctx{KIVPROBE_DEFAULT_DEFS, std::cout, std::cerr};
  size_t i = 0;
  if (i + 1 < args.size() && args[i] == "--defs") {
    ctx.DefsDir = args[i + 1];
    i += 2;
  }
  if (i >= args.size())
    return Usage(std::cerr);
  TProbePrompts prompts(std::cerr);
  SetPrompts(&prompts);
  const std::string name = args[i];
  const std::vector<std::string> rest(args.begin() + std::ptrdiff_t(i + 1), args.end());
  for (const TProbeCommand& c : Commands)
    if (name == c.Name) {
      const int rc = c.Run(ctx, rest);
      SetPrompts(nullptr);
      return rc;
    }
  SetPrompts(nullptr);
  std::cerr << "kivprobe: unknown command " << name << '\n';
  return Usage(std::cerr);
}
