// Small system pieces: error texts, whole-file reads, atomic writes, the debug sink.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

// The system's text for an errno value (never empty).
std::string SysErrorMessage(int err);

// Writes `bytes` to `path` through a temporary file in the same folder: write, fsync,
// rename over the target, fsync the folder. When anything fails the previous file is left
// as it was, the temporary file is removed, and `error` (when given) says what and where.
// An existing file keeps its permission bits; a symbolic link is followed to its target.
// (FileOpsReplaceWithBackup without a backup.)
[[nodiscard]] bool AtomicWriteFile(const std::string& path, std::string_view bytes,
                                   std::string* error = nullptr);

// Reads a whole regular file; false when it cannot be opened or read, is not a regular file
// (a FIFO, a device or a folder is refused without waiting on it), or is larger than
// maxBytes (out is then emptied).
[[nodiscard]] bool ReadWholeFile(const std::string& path, std::string& out, size_t maxBytes,
                                 std::string* error = nullptr);
// The same for the first maxBytes bytes of a file: a longer file is read only that far.
[[nodiscard]] bool ReadFileHead(const std::string& path, std::string& out, size_t maxBytes,
                                std::string* error = nullptr);

bool FileExists(const std::string& path);  // a regular file (links followed)
bool DirectoryExists(const std::string& path);

// Debug text: goes to the sink, stderr (one line per call) unless replaced.
void DebugOutput(std::string_view text);
// Installs a sink; an empty function restores stderr. Returns the previous sink.
std::function<void(std::string_view)> SetDebugSink(std::function<void(std::string_view)> sink);
