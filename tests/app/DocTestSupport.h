#pragma once
// Helpers of the document tests: a scratch folder and whole-file reads and writes.

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include <gtest/gtest.h>

// A fresh folder under the system's temporary folder, removed with everything in it.
class TScratchDir {
public:
  TScratchDir()
  {
    std::string pattern = (std::filesystem::temp_directory_path() / "kivdoc-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
      ADD_FAILURE() << "mkdtemp failed";
    FPath = pattern;
  }
  ~TScratchDir()
  {
    std::error_code ec;
    std::filesystem::remove_all(FPath, ec);
  }
  TScratchDir(const TScratchDir&) = delete;
  TScratchDir& operator=(const TScratchDir&) = delete;

  const std::string& Path() const { return FPath; }
  std::string File(const std::string& name) const { return FPath + "/" + name; }

  std::string Write(const std::string& name, const std::string& bytes) const
  {
    const std::string path = File(name);
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(bytes.data(), std::streamsize(bytes.size()));
    return path;
  }

private:
  std::string FPath;
};

inline std::string ReadBytes(const std::string& path)
{
  std::ifstream f(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

inline std::string FixturePath(const std::string& name)
{
  return std::string(KIV_SOURCE_DIR) + "/tests/fixtures/" + name;
}
