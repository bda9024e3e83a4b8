#include "app/DocNameLogic.h"

#include "platform/Codepage.h"

std::string FileNamePart(const std::string& path)
{
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string SaveFileName(const std::string& name)
{
  const std::string file = FileNamePart(name);
  // A leading dot names a hidden file, not an extension.
  const size_t dot = file.rfind('.');
  if (dot == std::string::npos || dot == 0)
    return name + ".kiv";
  return name;
}

std::string CaptionOfName(const std::string& name)
{
  return name.substr(0, name.find('.'));
}

std::string OverwriteQueryText(const std::string& fileName)
{
  return "Plik :" + Utf8ToCp1250(fileName) + " już istnieje"_cp + "\n" + "Pokryć istniejący plik ?"_cp;
}
