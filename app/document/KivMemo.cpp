#include "app/document/KivMemo.h"

#include <algorithm>

void TStringsMemo::DeleteFirstLines(size_t count)
{
  Lines.erase(Lines.begin(), Lines.begin() + static_cast<std::ptrdiff_t>(std::min(count, Lines.size())));
}

void TStringsMemo::DeleteLastLine()
{
  if (!Lines.empty())
    Lines.pop_back();
}

void TStringsMemo::TypeAtEnd(std::string_view text)
{
  if (Lines.empty())
    Lines.emplace_back();
  Lines.back().append(text);
}
