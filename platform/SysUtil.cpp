#include "platform/SysUtil.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// strerror_r comes in two flavours (XSI returns int, GNU returns char*); both are handled.
[[maybe_unused]] std::string FromStrerror(int rc, const char* buf, int err)
{
    if (rc == 0 && buf[0] != '\0')
        return buf;
    return "Unknown error " + std::to_string(err);
}
[[maybe_unused]] std::string FromStrerror(const char* r, const char*, int err)
{
    if (r && r[0] != '\0')
        return r;
    return "Unknown error " + std::to_string(err);
}

std::string Describe(const std::string& what, const std::string& path, int err)
{
    return what + " \"" + path + "\": " + SysErrorMessage(err);
}

// Folder of a path ("." when none).
std::string FolderOf(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

// Follows symbolic links so that the save replaces the file the link names, not the link.
std::string ResolveTarget(const std::string& path)
{
    std::string p = path;
    for (int hops = 0; hops < 16; ++hops) {
        struct stat st{};
        if (lstat(p.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return p;
        std::string buf(PATH_MAX, '\0');
        const ssize_t n = readlink(p.c_str(), buf.data(), buf.size());
        if (n <= 0)
            return p;
        buf.resize(size_t(n));
        if (buf[0] == '/')
            p = buf;
        else
            p = FolderOf(p) + "/" + buf;
    }
    return p;
}

bool WriteAll(int fd, std::string_view bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += size_t(n);
    }
    return true;
}

std::function<void(std::string_view)>& Sink()
{
    static std::function<void(std::string_view)> sink;
    return sink;
}

} // namespace

std::string SysErrorMessage(int err)
{
    char buf[256] = {};
    return FromStrerror(strerror_r(err, buf, sizeof buf), buf, err);
}

bool AtomicWriteFile(const std::string& path, std::string_view bytes, std::string* error)
{
    auto fail = [&](const std::string& what, const std::string& where, int err) {
        if (error)
            *error = Describe(what, where, err);
        return false;
    };
    if (path.empty())
        return fail("Cannot write", path, ENOENT);
    const std::string target = ResolveTarget(path);
    const std::string folder = FolderOf(target);

    mode_t mode = 0;
    struct stat st{};
    if (stat(target.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode))
            return fail("Cannot replace", target, EISDIR);
        mode = st.st_mode & 07777;
    } else {
        const mode_t mask = umask(0);
        umask(mask);
        mode = 0666 & ~mask;
    }

    std::string temp = target + ".tmpXXXXXX";
    const int fd = mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        return fail("Cannot create a temporary file beside", target, errno);
    auto abandon = [&](const std::string& what, int err) {
        close(fd);
        unlink(temp.c_str());
        return fail(what, target, err);
    };
    if (!WriteAll(fd, bytes))
        return abandon("Cannot write", errno);
    if (fchmod(fd, mode) != 0)
        return abandon("Cannot set the permissions of", errno);
    if (fsync(fd) != 0)
        return abandon("Cannot flush", errno);
    if (close(fd) != 0) {
        const int err = errno;
        unlink(temp.c_str());
        return fail("Cannot close", target, err);
    }
    if (rename(temp.c_str(), target.c_str()) != 0) {
        const int err = errno;
        unlink(temp.c_str());
        return fail("Cannot replace", target, err);
    }
    // The rename is durable only once the folder's entry is on disk.
    const int dfd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        fsync(dfd);
        close(dfd);
    }
    return true;
}

bool ReadWholeFile(const std::string& path, std::string& out, size_t maxBytes, std::string* error)
{
    out.clear();
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (error)
            *error = Describe("Cannot open", path, errno);
        return false;
    }
    // Every failure once the file is open: closed again, nothing kept, the reason told.
    const auto fail = [&](const char* what, int err) {
        close(fd);
        out.clear();
        if (error)
            *error = Describe(what, path, err);
        return false;
    };
    struct stat st{};
    if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode))
        return fail("Cannot read", S_ISDIR(st.st_mode) ? EISDIR : errno);
    if (S_ISREG(st.st_mode) && uint64_t(st.st_size) > maxBytes)
        return fail("Too large to read", EFBIG);
    if (S_ISREG(st.st_mode))
        out.reserve(size_t(st.st_size));
    char buf[65536];
    for (;;) {
        const ssize_t n = read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return fail("Cannot read", errno);
        }
        if (n == 0)
            break;
        if (out.size() + size_t(n) > maxBytes)
            return fail("Too large to read", EFBIG);
        out.append(buf, size_t(n));
    }
    close(fd);
    return true;
}

bool FileExists(const std::string& path)
{
    struct stat st{};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DirectoryExists(const std::string& path)
{
    struct stat st{};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

void DebugOutput(std::string_view text)
{
    auto& sink = Sink();
    if (sink) {
        sink(text);
        return;
    }
    std::string line(text);
    if (line.empty() || line.back() != '\n')
        line += '\n';
    std::fwrite(line.data(), 1, line.size(), stderr);
}

std::function<void(std::string_view)> SetDebugSink(std::function<void(std::string_view)> sink)
{
    auto previous = std::move(Sink());
    Sink() = std::move(sink);
    return previous;
}
