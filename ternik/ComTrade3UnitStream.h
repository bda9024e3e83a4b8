// The byte streams every recording reader and writer works on: one interface, held in memory
// or backed by a file, with seek, size, read, write and truncate. A recording's files travel
// as parallel arrays of names and streams, so a set can come from a folder, an archive or a
// test's memory alike.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

// Raised when a file stream cannot be opened (a file that is not a regular one included), read
// or written.
class EStreamError : public std::runtime_error {
public:
  explicit EStreamError(const std::string& msg) : std::runtime_error(msg) {}
};

class TStream {
public:
  virtual ~TStream() = default;
  TStream() = default;
  TStream(const TStream&) = delete;
  TStream& operator=(const TStream&) = delete;

  virtual int64_t Size() const = 0;
  virtual int64_t Position() const = 0;
  // Absolute position; a position beyond the end is allowed (a later write fills with zeros),
  // a negative one raises.
  virtual void Seek(int64_t position) = 0;
  // Reads up to count bytes at the position and advances it; answers the bytes read.
  virtual size_t Read(void* buffer, size_t count) = 0;
  // Writes all bytes at the position and advances it, or raises.
  virtual void Write(const void* buffer, size_t count) = 0;
  // Cuts the stream at the current position.
  virtual void Truncate() = 0;

  void Write(std::string_view bytes) { Write(bytes.data(), bytes.size()); }
  // Everything from position 0 (the position ends at the end). A stream larger than maxBytes
  // raises instead of allocating.
  std::string ReadAll(size_t maxBytes = kMaxReadAll);
  // Empties the stream: position 0, size 0.
  void Clear()
  {
    Seek(0);
    Truncate();
  }

  static constexpr size_t kMaxReadAll = size_t(1) << 31;
};

class TMemoryStream final : public TStream {
public:
  TMemoryStream() = default;
  explicit TMemoryStream(std::string bytes) : FData(std::move(bytes)) {}

  int64_t Size() const override { return static_cast<int64_t>(FData.size()); }
  int64_t Position() const override { return FPosition; }
  void Seek(int64_t position) override;
  size_t Read(void* buffer, size_t count) override;
  void Write(const void* buffer, size_t count) override;
  void Truncate() override;
  using TStream::Write;

  const std::string& Data() const { return FData; }

private:
  std::string FData;
  int64_t FPosition = 0;
};

class TFileStream final : public TStream {
public:
  enum class TMode { Read, ReadWrite, Create };  // Create truncates or makes the file
  TFileStream(const std::string& path, TMode mode);
  ~TFileStream() override;

  int64_t Size() const override;
  int64_t Position() const override { return FPosition; }
  void Seek(int64_t position) override;
  size_t Read(void* buffer, size_t count) override;
  void Write(const void* buffer, size_t count) override;
  void Truncate() override;
  using TStream::Write;

  const std::string& Path() const { return FPath; }

private:
  [[noreturn]] void Fail(const char* what, int err) const;
  [[noreturn]] void Fail(const char* what, const std::string& reason) const;
  std::string FPath;
  int FFd = -1;
  int64_t FPosition = 0;
};
