// ternikprobe's recording commands (comtrade-dump, comtrade-copy, load).
#pragma once

#include <string>

// The command's exit code, or -1 when the command line is not one of these commands.
int ComtradeCommand(const std::string& command, int argc, char** argv);
