#pragma once
// Helpers of the document tests: a scratch folder (tests/support/TempDir.h) and whole-file reads.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "tests/support/TempDir.h"

inline std::string ReadBytes(const std::string& path)
{
  std::ifstream f(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

inline std::string FixturePath(const std::string& name)
{
  return std::string(KIV_SOURCE_DIR) + "/tests/fixtures/" + name;
}
