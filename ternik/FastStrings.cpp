#include "ternik/FastStrings.h"

#include "platform/Codepage.h"

namespace {
std::array<unsigned char, 256> gUpper{};
}

const std::array<unsigned char, 256>& UpperCaseTable() { return gUpper; }

void FastByteCopy(const void* source, void* dest, std::ptrdiff_t count)
{
  const unsigned char* s = static_cast<const unsigned char*>(source);
  unsigned char* d = static_cast<unsigned char*>(dest);
  for (std::ptrdiff_t i = 0; i < count; ++i)
    d[i] = s[i];
}

std::string CopyClamped(std::string_view s, std::ptrdiff_t index, std::ptrdiff_t count)
{
  const auto len = static_cast<std::ptrdiff_t>(s.size());
  if (s.empty() || index < 1 || count < 1 || index > len)
    return {};
  const std::ptrdiff_t avail = len - index + 1;
  if (count > avail)
    count = avail;
  return std::string(s.substr(static_cast<size_t>(index - 1), static_cast<size_t>(count)));
}

void FastStringsInitialize()
{
  for (int i = 0; i < 256; ++i)
    gUpper[static_cast<size_t>(i)] = CpUpper(static_cast<unsigned char>(i));
}

void FastStringsFinalize() { gUpper.fill(0); }
