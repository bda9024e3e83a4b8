#include "ternik/WbComp/MeasListUnit.h"

#include "ternik/VersionListUnit.h"

namespace {

struct TKnvRow {
  double Range;
  int32_t Used;
  int8_t Exponent;
  int32_t IntDigits;
  int32_t Decimals;
  const char* Prefix;
  bool Rounded;
};

constexpr TKnvRow kRows[KNV_INFO_COUNT] = {
    {0, 0, 0, 0, 0, "", true},          {0.01, 1, 3, 1, 3, "m", true},
    {0.1, 1, 3, 2, 2, "m", true},       {1, 1, 3, 3, 1, "m", true},
    {10, 1, 0, 1, 3, "", true},         {100, 1, 0, 2, 2, "", true},
    {1000, 1, 0, 3, 1, "", true},       {1000, 1, 0, 4, 0, "", false},
    {10000, 1, -3, 1, 3, "k", true},    {100000, 1, -3, 2, 2, "k", true},
    {1000000, 1, -3, 3, 1, "k", true},  {1000000, 1, -3, 4, 0, "k", false},
    {10000000, 1, -6, 1, 3, "M", true}, {100000000, 1, -6, 2, 2, "M", true},
    {1E48, 1, -6, 3, 1, "M", true},  // the last range is open-ended
};

std::array<TKnvInfo, KNV_INFO_COUNT> gKnv{};

double PowerOfTen(int e)
{
  double p = 1;
  for (int i = 0; i < (e < 0 ? -e : e); ++i)
    p *= 10;
  return e < 0 ? 1 / p : p;
}

}  // namespace

const std::array<TKnvInfo, KNV_INFO_COUNT>& KnvInfo() { return gKnv; }

void MeasListUnitInitialize()
{
  AddVersionHeader("$Header: /ternik/WbComp/MeasListUnit.pas,v 1.41 2018/11/22 00:00:00 ternik Exp $");
  for (int i = 0; i < KNV_INFO_COUNT; ++i) {
    const TKnvRow& r = kRows[i];
    gKnv[static_cast<size_t>(i)] =
        TKnvInfo{r.Range, r.Used, r.Exponent, r.IntDigits, r.Decimals, r.Prefix, true, r.Rounded, 0};
  }
  for (TKnvInfo& k : gKnv)
    k.Factor = PowerOfTen(k.Exponent);
}

void MeasListUnitFinalize() { gKnv = {}; }
