// Reading printed PDF files back with poppler's command-line tools.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

namespace pdftools {

// The standard output of a shell command.
inline std::string RunCommand(const std::string& command)
{
  std::string out;
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  if (!pipe)
    return out;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, pipe.get())) > 0)
    out.append(buf, n);
  return out;
}

// The value of a "Name:   value" line of pdfinfo's output.
inline std::string InfoField(const std::string& info, const std::string& name)
{
  const size_t at = info.find(name + ":");
  if (at == std::string::npos)
    return {};
  size_t from = info.find_first_not_of(' ', at + name.size() + 1);
  const size_t end = info.find('\n', at);
  return from == std::string::npos || from > end ? std::string() : info.substr(from, end - from);
}

inline std::string PdfInfo(const std::string& path) { return RunCommand("pdfinfo '" + path + "'"); }

// The text of one page (1-based), or of all pages for page 0.
inline std::string PdfText(const std::string& path, int page = 0)
{
  const std::string range = page > 0 ? " -f " + std::to_string(page) + " -l " + std::to_string(page) : "";
  return RunCommand("pdftotext -layout" + range + " '" + path + "' -");
}

}  // namespace pdftools
