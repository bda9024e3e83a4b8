// ternikprobe: the command-line driver of the library that tests call. Not installed.
//
//   ternikprobe xml-copy IN OUT   load IN with the registered node classes, save it whole as OUT
//   ternikprobe comtrade-dump FILE.cfg, comtrade-copy IN.cfg OUT.cfg [--ascii|--binary],
//   ternikprobe load FILE         recordings (ternikprobe_comtrade.cpp)
//
// Failures print "XLhException <code>: <message>" on stderr and exit with 1; a wrong command
// line prints the usage and exits with 2. The library's texts are Windows-1250: messages are
// printed as UTF-8, as the warnings are.
#include <cstdio>
#include <exception>
#include <string>

#include "platform/Codepage.h"
#include "ternik/TernikInit.h"
#include "ternik/XmlLight/XmlLight2Unit.h"
#include "ternikprobe_comtrade.h"

namespace {

int Usage()
{
  std::fprintf(stderr, "usage: ternikprobe xml-copy IN OUT\n"
                       "       ternikprobe comtrade-dump FILE.cfg\n"
                       "       ternikprobe comtrade-copy IN.cfg OUT.cfg [--ascii|--binary]\n"
                       "       ternikprobe load FILE\n");
  return 2;
}

int XmlCopy(const std::string& in, const std::string& out)
{
  TLhXmlDocument doc;
  doc.LoadFromFile(in);
  doc.SaveToFile(out);
  return 0;
}

}  // namespace

int main(int argc, char** argv)
{
  if (argc < 2)
    return Usage();
  const std::string command = argv[1];
  try {
    InitializeLibrary();
    int rc = 2;
    if (command == "xml-copy" && argc == 4)
      rc = XmlCopy(argv[2], argv[3]);
    else if ((rc = ComtradeCommand(command, argc, argv)) < 0)
      rc = Usage();
    FinalizeLibrary();
    return rc;
  } catch (const XLhException& e) {
    std::fprintf(stderr, "XLhException %d: %s\n", static_cast<int>(e.Code), Cp1250ToUtf8(e.what()).c_str());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "error: %s\n", Cp1250ToUtf8(e.what()).c_str());
  }
  FinalizeLibrary();
  return 1;
}
