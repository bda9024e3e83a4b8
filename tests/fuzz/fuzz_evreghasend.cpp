// The end-of-register scan over arbitrary register bytes, with both models' record tables.
#include <cstddef>
#include <cstdint>
#include <array>
#include <memory>

#include "app/document/Kivbase.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  static const auto models = [] {
    std::array<std::unique_ptr<TKiv>, 3> k;
    for (int m = 0; m < 3; ++m) {
      k[size_t(m)] = std::make_unique<TKiv>();
      k[size_t(m)]->SetKivType(m);
    }
    return k;
  }();
  for (const auto& kiv : models)
    (void)kiv->EvRegHasEnd(std::span<const uint8_t>(data, size));
  return 0;
}
