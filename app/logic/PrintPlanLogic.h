#pragma once
// What a print job of the document window prints, in which order.

#include <cstdint>
#include <string>
#include <vector>

struct TPrintStep {
  enum class TKind { Listing, Chart, Grid1, Grid2 } Kind;
  int Sequence = 0;   // 1-based, for Listing and Chart
  std::string Title;  // Windows-1250 (the file part of the name passes through as it is)
};
// Per selected sequence (0-based indices in list order) its listing and chart, then the
// grids of set 1 and set 2, as the flags ask.
std::vector<TPrintStep> PrintPlan(uint8_t flags, const std::vector<int>& selectedSequences,
                                  const std::string& documentName);
