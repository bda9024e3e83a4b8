#pragma once
// Buffer, text and file routines of the document: the notes lines and whole-file reads and
// writes.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

// Joins lines into buffer[0, size). The whole buffer is cleared first, so a shorter list
// never leaves old lines behind. A non-empty line is written with a terminating NUL, an
// empty line as CR LF; writing stops before the last byte, which stays NUL, and a line that
// would run past it is cut there.
void StringsToBuffer(const std::vector<std::string>& lines, uint8_t* buffer, size_t size);

// Splits a notes buffer into lines. Its last byte counts as NUL whatever it holds. A NUL
// ends the pending line (or, with nothing pending, the scan); CR or LF ends the pending
// line, possibly empty, and the byte after it is skipped.
std::vector<std::string> BufferToStrings(const uint8_t* buffer, size_t size);

// Writes a whole buffer to a file through a temporary file and a rename, so a failed save
// leaves the previous file as it was. On failure shows "Zapis nie powiódł się." and returns
// false; nothing is raised.
bool SaveBufferToFile(const std::string& fileName, std::span<const uint8_t> data);

// Largest document file read (document files are at most a few hundred kilobytes).
constexpr size_t MAX_KIV_FILE_SIZE = 64u << 20;

// Reads the first maxBytes bytes of a file (all of a shorter one). False when it cannot be
// opened or read, holds no byte, or is no regular file (a FIFO or a device is refused without
// waiting on it).
bool ReadFileStart(const std::string& fileName, size_t maxBytes, std::string& data);

// The message for a file that could not be read: "Nie udało się załadować pliku: " and the
// path as given (a native path, shown in Windows-1250).
std::string LoadFailedText(const std::string& fileName);
