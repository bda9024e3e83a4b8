// Value texts from arbitrary bytes through every engine: text to value, value to text, value
// to raw bytes and back. Nothing may crash; refusals come as answers or EVmbError.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "ternik/VmbEngines.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  if (size < 2)
    return 0;
  TVmbParamDescr d;
  d.ByteOrder = data[0] & 1;
  d.Precision = static_cast<int32_t>(data[0] >> 1) - 20;
  std::string all(reinterpret_cast<const char*>(data + 1), size - 1);
  // Text before the first newline is the value, the rest the option list.
  const size_t nl = all.find('\n');
  const std::string text = all.substr(0, nl);
  const std::string select = nl == std::string::npos ? std::string() : all.substr(nl + 1);

  static const TVmbEngineClass* kClasses[] = {&TVmbByteType::ClassInfo(),  &TVmbWordType::ClassInfo(),
                                              &TVmbDWordType::ClassInfo(), &TVmbInt16Type::ClassInfo(),
                                              &TVmbInt32Type::ClassInfo(), &TVmbFloatType::ClassInfo(),
                                              &TVmbDFloatType::ClassInfo()};
  for (const TVmbEngineClass* cls : kClasses) {
    auto e = cls->Create();
    e->SelectText = select;
    std::string msg;
    TVmbValue v;
    if (e->StrToValue(d, text, msg, v, "")) {
      for (const char* fmt : {"", "HEX", "BIN", "FRAC"})
        (void)e->ValueToStr(d, v, fmt);
      std::vector<uint8_t> raw(static_cast<size_t>(e->ByteSize));
      try {
        e->ValueToRaw(d, raw, v);
        (void)e->ValueToStr(d, e->RawToValue(d, raw), "");
      } catch (const EVmbError&) {
      }
    } else if (msg.empty()) {
      std::abort();
    }
    (void)e->StrToBoolValue(d, text, msg, v, select);
    if (e->SelectTextToIndex(d, text, msg, v, select))
      (void)e->IndexToSelectText(v, select);
    (void)e->BoolValueToStr(TVmbValue::Text(text), select);
    (void)e->IndexToSelectText(TVmbValue::Text(text), select);
    std::vector<uint8_t> raw(data + 1, data + 1 + std::min<size_t>(size - 1, 4));
    raw.resize(4, 0);
    (void)e->ValueToStr(d, e->RawToValue(d, raw), "FRAC");
  }
  return 0;
}
