// The one pair of conversions between the Windows-1250 bytes of the program's text and the
// QString of the widgets. Nothing else in the visual layer converts text.
#pragma once

#include <QString>

#include <string>
#include <string_view>

// The bytes the code page leaves undefined (0x81 0x83 0x88 0x90 0x98) become the control
// characters U+0081 ... U+0098 and go back to the same bytes.
QString ToQ(std::string_view cp1250);
// A character the code page lacks becomes '?' (one per character, surrogate pairs included).
std::string FromQ(const QString& text);

// File paths are the file system's own bytes, not Windows-1250: a folder named with letters
// outside the code page must still open. These convert paths only.
QString PathToQ(const std::string& path);
std::string PathFromQ(const QString& path);
