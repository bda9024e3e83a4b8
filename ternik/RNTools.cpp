#include "ternik/RNTools.h"

#include <stdexcept>
#include <sys/types.h>
#include <unistd.h>

#include "ternik/VersionListUnit.h"

namespace {
std::array<unsigned char, 256> gFold{};
}

const std::array<unsigned char, 256>& LetterFoldTable() { return gFold; }

void BuildLetterFoldTable()
{
  for (int i = 0; i < 256; ++i)
    gFold[static_cast<size_t>(i)] = static_cast<unsigned char>(i);
  struct TFold {
    unsigned char From;
    char To;
  };
  static constexpr TFold kFolds[] = {
      {0x8C, 'S'}, {0x8F, 'Z'}, {0x9C, 's'}, {0x9F, 'z'}, {0xA3, 'L'}, {0xA5, 'A'},
      {0xAF, 'Z'}, {0xB3, 'l'}, {0xB9, 'a'}, {0xBF, 'z'}, {0xC6, 'C'}, {0xCA, 'E'},
      {0xD1, 'N'}, {0xD3, 'O'}, {0xE6, 'c'}, {0xEA, 'e'}, {0xF1, 'n'}, {0xF3, 'o'},
  };
  for (const TFold& f : kFolds)
    gFold[f.From] = static_cast<unsigned char>(f.To);
}

bool IsMainThread() { return ::gettid() == ::getpid(); }

void RNToolsInitialize()
{
  if (!IsMainThread())
    throw std::logic_error("MainThreadID <> GetCurrentThreadID()");
  AddVersionHeader("$Header: /ternik/RNTools.pas,v 1.82 2013/04/24 00:00:00 ternik Exp $");
  BuildLetterFoldTable();
}

void RNToolsFinalize() { gFold.fill(0); }
