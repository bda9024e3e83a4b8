#include "ternik/VersionListUnit.h"

namespace {
std::vector<std::string>& List()
{
  static std::vector<std::string> list;
  return list;
}
}  // namespace

void AddVersionHeader(std::string_view header)
{
  List().emplace_back(header.substr(0, header.size() >= 2 ? header.size() - 2 : 0));
}

const std::vector<std::string>& VersionList() { return List(); }

void VersionListUnitInitialize()
{
  List().clear();
  AddVersionHeader("$Header: /ternik/VersionListUnit.pas,v 1.6 2011/03/03 00:00:00 ternik Exp $");
}

void VersionListUnitFinalize()
{
  List().clear();
  List().shrink_to_fit();
}
