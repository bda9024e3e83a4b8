// The lister reading a document through its controller object.
#include <algorithm>

#include "app/document/Kivbase.h"
#include "app/events/Lister.h"

namespace {

class TKivEvDocument : public IEvDocument {
public:
  explicit TKivEvDocument(const TKiv& kiv) : FKiv(kiv) {}

  std::span<const uint8_t> EvRegister() const override
  {
    // A stored length beyond the register field reads as the whole field; the field
    // itself is left as it is.
    const size_t n = std::min<size_t>(FKiv.GetEvRegSize(), KivImage::EVREG_CAPACITY);
    return {FKiv.GetEvRegData(), n};
  }
  std::array<uint8_t, 6> ReadOptions() const override { return FKiv.GetReadOptions(); }
  int KivType() const override { return FKiv.GetKivType(); }
  std::span<const uint8_t> EventKindTable() const override { return FKiv.EventKinds(); }
  int Correction(int kind) const override { return FKiv.Defs().Correction(kind); }
  bool ImplementsSysLogick() const override { return FKiv.Defs().ImplementsSysLogick; }
  bool UseStnBelch() const override { return FKiv.Defs().USE_STN_BELCH; }

private:
  const TKiv& FKiv;
};

}  // namespace

void TEvLister::SetDevice(TKiv* kiv)
{
  FDeviceDoc.reset();
  FDoc = nullptr;
  if (kiv != nullptr) {
    FDeviceDoc = std::make_unique<TKivEvDocument>(*kiv);
    FDoc = FDeviceDoc.get();
  }
}
