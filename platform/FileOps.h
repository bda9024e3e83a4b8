// File system steps that a save with a backup needs beyond SysUtil's atomic write, and the
// descriptor calls of the library's file base class. Every function answers false on failure
// and puts the system's text into *error (when given) and the errno into *code (when given).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Renames from to to, replacing an existing to.
[[nodiscard]] bool FileOpsMoveReplacing(const std::string& from, const std::string& to,
                                        std::string* error = nullptr);
// Writes bytes to a temporary file beside path and syncs it; then, when backupPath is not
// empty and path exists, makes backupPath a second name of the current file (a copy where
// the file system has no hard links), so the file is never absent; then renames the
// temporary file onto path and syncs the folder. On failure path is left as it was.
[[nodiscard]] bool FileOpsReplaceWithBackup(const std::string& path, std::string_view bytes,
                                            const std::string& backupPath,
                                            std::string* error = nullptr);

[[nodiscard]] bool FileOpsClose(int fd, int* code = nullptr);
[[nodiscard]] bool FileOpsSeek(int fd, int64_t position, int* code = nullptr);
[[nodiscard]] bool FileOpsTruncate(int fd, int64_t size, int* code = nullptr);
