#pragma once
// The visual layer's one pair of text conversions: Windows-1250 bytes to QString and back.
// Characters outside the code page become '?'.

#include <QString>
#include <string>
#include <string_view>

QString CpToQString(std::string_view Bytes);
std::string QStringToCp(const QString& Text);
