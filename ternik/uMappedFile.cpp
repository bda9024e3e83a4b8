#include "ternik/uMappedFile.h"

#include "ternik/VersionListUnit.h"

void uMappedFileInitialize()
{
  AddVersionHeader("$Header: /ternik/uMappedFile.pas,v 1.6 2017/10/18 00:00:00 ternik Exp $");
}
