// The source versions of the library units that are linked in, one line per unit, in the
// order the units start.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Appends the header less its last two characters (the closing blank and "$").
void AddVersionHeader(std::string_view header);
// The list; empty outside the library's initialisation.
const std::vector<std::string>& VersionList();

void VersionListUnitInitialize();
void VersionListUnitFinalize();
