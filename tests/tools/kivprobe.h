#pragma once
// kivprobe: a command-line driver of kivcore for tests and people.
//
//   kivprobe [--defs DIR] COMMAND ARGS...
//
// Each command lives in its own file (kivprobe_<command>.cpp) and is listed once in the
// command table of kivprobe.cpp. Output is UTF-8 text, one "name: value" line per field;
// keep it stable, tests compare it. Errors go to stderr with a non-zero exit.

#include <ostream>
#include <string>
#include <vector>

class TKiv;

struct TProbeContext {
  std::string DefsDir;  // definition files folder given to every TKiv
  std::ostream& Out;
  std::ostream& Err;
};

struct TProbeCommand {
  const char* Name;
  const char* Usage;  // arguments, for the usage text
  int (*Run)(TProbeContext& ctx, const std::vector<std::string>& args);
};

// Helpers shared by the commands.
// Prints "name: value", or "name:" for an empty value (no trailing blank).
void ProbeLine(std::ostream& out, const std::string& name, const std::string& value);
// A TKiv with the context's definitions folder.
void ProbeSetUp(TProbeContext& ctx, TKiv& kiv);
// The opening of the register commands: parses "FILE.kiv [--show-all] [--no-correct]", loads
// the document into `kiv` with those read options and sets the main window's number and date
// formats. 0 when done, else the exit code (the message is written).
int ProbeOpenRegister(TProbeContext& ctx, const std::vector<std::string>& args, const char* command,
                      TKiv& kiv);

// Commands.
int ProbeDump(TProbeContext& ctx, const std::vector<std::string>& args);
int ProbeRaw(TProbeContext& ctx, const std::vector<std::string>& args);
int ProbeListing(TProbeContext& ctx, const std::vector<std::string>& args);
int ProbeChart(TProbeContext& ctx, const std::vector<std::string>& args);
int ProbeRead(TProbeContext& ctx, const std::vector<std::string>& args);
int ProbeWrite(TProbeContext& ctx, const std::vector<std::string>& args);
