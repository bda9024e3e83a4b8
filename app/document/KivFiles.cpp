#include "app/document/KivFiles.h"

#include <algorithm>

#include "platform/Bytes.h"
#include "platform/Codepage.h"
#include "platform/Prompts.h"
#include "platform/SysUtil.h"

void StringsToBuffer(const std::vector<std::string>& lines, uint8_t* buffer, size_t size)
{
  if (size == 0)
    return;
  std::fill_n(buffer, size, uint8_t(0));
  const size_t limit = size - 1;  // the last byte stays NUL
  size_t pos = 0;
  for (const std::string& line : lines) {
    if (pos >= limit)
      break;
    if (line.empty()) {
      buffer[pos++] = 13;
      if (pos < limit)
        buffer[pos++] = 10;
      continue;
    }
    const size_t n = std::min(line.size(), limit - pos);
    std::copy_n(line.begin(), n, buffer + pos);
    pos += n;
    if (pos < limit)
      buffer[pos++] = 0;
  }
}

std::vector<std::string> BufferToStrings(const uint8_t* buffer, size_t size)
{
  std::vector<std::string> lines;
  if (size == 0)
    return lines;
  const size_t end = size - 1;  // treated as NUL
  std::string pending;
  size_t i = 0;
  while (i < end) {
    const uint8_t b = buffer[i];
    if (b == 0) {
      if (pending.empty())
        break;
      lines.push_back(pending);
      pending.clear();
      ++i;
    } else if (b == 13 || b == 10) {
      lines.push_back(pending);
      pending.clear();
      i += 2;
    } else {
      pending.push_back(char(b));
      ++i;
    }
  }
  if (!pending.empty())
    lines.push_back(pending);  // ended by the forced NUL at the last byte
  return lines;
}

bool SaveBufferToFile(const std::string& fileName, std::span<const uint8_t> data)
{
  std::string error;
  if (AtomicWriteFile(fileName, AsChars(data), &error))
    return true;
  DebugOutput(error);
  Prompts().Error("Zapis nie powiódł się."_cp);
  return false;
}

bool ReadFileStart(const std::string& fileName, size_t maxBytes, std::string& data)
{
  return ReadFileHead(fileName, data, maxBytes) && !data.empty();
}

std::string LoadFailedText(const std::string& fileName)
{
  return "Nie udało się załadować pliku: "_cp + Utf8ToCp1250(fileName);
}
