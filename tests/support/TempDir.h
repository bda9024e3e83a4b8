#pragma once
// A folder of its own for one test: made fresh under the system's temporary folder, removed
// with everything in it when the test is over (also when an assertion ends the test early).
//
// Failures to make the folder or to write a file throw, so the test fails at the cause
// rather than later at a confusing read.

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <stdexcept>
#include <string_view>
#include <system_error>

class TTempDir {
public:
  TTempDir()
  {
    std::string pattern = (std::filesystem::temp_directory_path() / "kivtest-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
      throw std::system_error(errno, std::generic_category(), "cannot make a temporary folder " + pattern);
    FPath = pattern;
  }
  ~TTempDir()
  {
    std::error_code ec;
    std::filesystem::remove_all(FPath, ec);
  }
  TTempDir(const TTempDir&) = delete;
  TTempDir& operator=(const TTempDir&) = delete;

  const std::string& Path() const { return FPath; }
  // The path of an entry of the folder (nothing is made).
  std::string File(std::string_view name) const { return FPath + "/" + std::string(name); }
  std::string operator/(std::string_view name) const { return File(name); }

  // Writes the bytes as the whole file `name`; gives its path.
  std::string Write(std::string_view name, std::string_view bytes) const
  {
    const std::string path = File(name);
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(bytes.data(), std::streamsize(bytes.size()));
    f.close();
    if (!f)
      throw std::runtime_error("cannot write " + path);
    return path;
  }
  // Makes the folder `name` with any missing parents; gives its path.
  std::string Folder(std::string_view name) const
  {
    const std::string path = File(name);
    std::filesystem::create_directories(path);
    return path;
  }
  // How many entries the folder holds directly.
  int Count() const
  {
    int n = 0;
    for (const auto& e : std::filesystem::directory_iterator(FPath)) {
      (void)e;
      ++n;
    }
    return n;
  }

private:
  std::string FPath;
};
