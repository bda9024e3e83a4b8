// File system steps below every open and save: opening a file without waiting on it, the
// replacing save with an optional backup, and the descriptor calls of the library's file base
// class. Every function answers false (or -1) on failure and puts the reason into *error
// (when given) and the errno into *code (when given).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <sys/types.h>

// Opens path with the open flags given (O_RDONLY, O_RDWR, O_CREAT ...; O_TRUNC is applied only
// once the file is known to be regular) and answers the descriptor, close-on-exec and in
// blocking mode. The open itself never waits: a FIFO without a writer or a device that waits
// for its line is opened non-blocking, looked at, and refused like a folder, a socket or any
// other file that is not a regular one. On failure answers -1 and puts the reason, without
// the path, into *reason.
[[nodiscard]] int FileOpsOpenRegular(const std::string& path, int flags, std::string* reason = nullptr,
                                     mode_t mode = 0666);

// Renames from to to, replacing an existing to.
[[nodiscard]] bool FileOpsMoveReplacing(const std::string& from, const std::string& to,
                                        std::string* error = nullptr);

// Names the backup of a file from the path of the file itself.
using TBackupName = std::function<std::string(const std::string& target)>;

// What a test may ask of the replacing save: to be called after each write of the new bytes
// (to stop or kill the saving process there), to take the named temporary file even where
// the folder's file system offers one without a name, and to have /proc refuse to name it.
struct TReplaceSeam {
  std::function<void()> AfterWrite;
  bool NamedTemporary = false;
  int LinkError = 0;  // non-zero: naming the unnamed file through /proc fails with this errno
};

// Replaces the file at path with bytes so that a failure at any step leaves the previous file
// as it was. A symbolic link is followed: the file it names is replaced and the link stays.
// An existing file keeps its permission bits; a new one gets 0666 less the umask; anything
// that is not a regular file is not replaced. The bytes go to a file without a name in the
// target's folder (O_TMPFILE) and are synced; then, when backupName is given and the target
// exists, the backup named from the target (so beside it, not beside a link) becomes a second
// name of the current file (a copy where the file system has no hard links), so the file is
// never absent; then the new file gets a hidden temporary name, is renamed onto the target and
// the folder synced. A save killed on the way so leaves the old file or the new one and
// nothing else. Where the file system makes no file without a name (vfat, NFS, CIFS, some
// overlays) or /proc is missing, the bytes go to the hidden `.NAME.tmpXXXXXX` beside the
// target from the start, which a killed save leaves behind; where /proc is there but refuses
// to name the file, they are written again to such a file after the backup.
[[nodiscard]] bool FileOpsReplaceWithBackup(const std::string& path, std::string_view bytes,
                                            const TBackupName& backupName, std::string* error = nullptr,
                                            const TReplaceSeam* seam = nullptr);

[[nodiscard]] bool FileOpsClose(int fd, int* code = nullptr);
[[nodiscard]] bool FileOpsSeek(int fd, int64_t position, int* code = nullptr);
[[nodiscard]] bool FileOpsTruncate(int fd, int64_t size, int* code = nullptr);
