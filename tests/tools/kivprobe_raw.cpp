// kivprobe raw OPTIONS... -o OUT.kiv: builds a document from raw buffer files, as the
// program's command line does, and saves it.
#include "kivprobe.h"

#include "app/document/Kivbase.h"
#include "platform/Codepage.h"

int ProbeRaw(TProbeContext& ctx, const std::vector<std::string>& args)
{
  std::string options;
  std::string out;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "-o" && i + 1 < args.size()) {
      out = args[++i];
      continue;
    }
    if (!options.empty())
      options += ' ';
    options += args[i];
  }
  if (out.empty()) {
    ctx.Err << "usage: kivprobe raw OPTIONS... -o OUT.kiv\n";
    return 2;
  }
  TKiv kiv;
  ProbeSetUp(ctx, kiv);
  bool ok = true;
  std::string message;
  kiv.ParseCommandLine(options, ok, message);
  if (!ok) {
    ctx.Err << Cp1250ToUtf8(message) << '\n';
    return 1;
  }
  if (!message.empty())
    ctx.Out << Cp1250ToUtf8(message) << '\n';
  return kiv.SaveToFile(out) ? 0 : 1;
}
