#include "ternik/ComTrade3UnitStream.h"

#include <cerrno>
#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/Codepage.h"
#include "platform/FileOps.h"
#include "platform/NumText.h"
#include "platform/SysUtil.h"

std::string TStream::ReadAll(size_t maxBytes)
{
  const int64_t size = Size();
  if (size < 0 || static_cast<uint64_t>(size) > maxBytes)
    throw EStreamError("Stream too large: " + IntToStr(size) + " bytes");
  std::string out(static_cast<size_t>(size), '\0');
  Seek(0);
  size_t got = 0;
  while (got < out.size()) {
    const size_t n = Read(out.data() + got, out.size() - got);
    if (n == 0)
      break;
    got += n;
  }
  out.resize(got);
  return out;
}

void TMemoryStream::Seek(int64_t position)
{
  if (position < 0)
    throw EStreamError("Stream seek before its start");
  FPosition = position;
}

size_t TMemoryStream::Read(void* buffer, size_t count)
{
  const int64_t size = Size();
  if (FPosition >= size || count == 0)
    return 0;
  const size_t n = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(count), size - FPosition));
  std::memcpy(buffer, FData.data() + FPosition, n);
  FPosition += static_cast<int64_t>(n);
  return n;
}

void TMemoryStream::Write(const void* buffer, size_t count)
{
  if (count == 0)
    return;
  const size_t pos = static_cast<size_t>(FPosition);
  if (pos > FData.max_size() - count)
    throw EStreamError("Stream too large");
  if (FData.size() < pos + count)
    FData.resize(pos + count, '\0');
  std::memcpy(FData.data() + pos, buffer, count);
  FPosition += static_cast<int64_t>(count);
}

void TMemoryStream::Truncate()
{
  if (static_cast<uint64_t>(FPosition) < FData.size())
    FData.resize(static_cast<size_t>(FPosition));
}

TFileStream::TFileStream(const std::string& path, TMode mode) : FPath(path)
{
  int flags = 0;
  switch (mode) {
  case TMode::Read:
    flags = O_RDONLY;
    break;
  case TMode::ReadWrite:
    flags = O_RDWR;
    break;
  case TMode::Create:
    flags = O_RDWR | O_CREAT | O_TRUNC;
    break;
  }
  // A stream seeks, so only a regular file can back it; a FIFO or a device is refused
  // without waiting for its other end.
  std::string reason;
  FFd = FileOpsOpenRegular(path, flags, &reason);
  if (FFd < 0)
    Fail("Cannot open file", reason);
}

TFileStream::~TFileStream()
{
  if (FFd >= 0)
    ::close(FFd);
}

void TFileStream::Fail(const char* what, int err) const { Fail(what, SysErrorMessage(err)); }

void TFileStream::Fail(const char* what, const std::string& reason) const
{
  // The library's texts are Windows-1250; the path and the system's text are native.
  throw EStreamError(std::string(what) + " \"" + Utf8ToCp1250(FPath) + "\". " + Utf8ToCp1250(reason));
}

int64_t TFileStream::Size() const
{
  struct stat st {};
  if (::fstat(FFd, &st) != 0)
    Fail("Cannot read the size of", errno);
  return static_cast<int64_t>(st.st_size);
}

void TFileStream::Seek(int64_t position)
{
  if (position < 0)
    throw EStreamError("Stream seek before its start");
  FPosition = position;
}

size_t TFileStream::Read(void* buffer, size_t count)
{
  size_t got = 0;
  auto* p = static_cast<char*>(buffer);
  while (got < count) {
    const ssize_t n = ::pread(FFd, p + got, count - got, static_cast<off_t>(FPosition));
    if (n < 0) {
      if (errno == EINTR)
        continue;
      Fail("Cannot read", errno);
    }
    if (n == 0)
      break;
    got += static_cast<size_t>(n);
    FPosition += n;
  }
  return got;
}

void TFileStream::Write(const void* buffer, size_t count)
{
  size_t done = 0;
  const auto* p = static_cast<const char*>(buffer);
  while (done < count) {
    const ssize_t n = ::pwrite(FFd, p + done, count - done, static_cast<off_t>(FPosition));
    if (n < 0) {
      if (errno == EINTR)
        continue;
      Fail("Cannot write", errno);
    }
    done += static_cast<size_t>(n);
    FPosition += n;
  }
}

void TFileStream::Truncate()
{
  if (::ftruncate(FFd, static_cast<off_t>(FPosition)) != 0)
    Fail("Cannot truncate", errno);
}
