#include "app/events/EventKinds.h"

#include <algorithm>

namespace {

// Stores a length-prefixed text of at most maxLen characters (the data is checked to fit
// when it is compiled; the cut only keeps the field's bounds).
void PutShortString(uint8_t* dst, size_t maxLen, std::string_view text)
{
  const size_t n = std::min(text.size(), maxLen);
  dst[0] = uint8_t(n);
  std::copy_n(text.begin(), n, dst + 1);
}

TEventKindTable BuildEventKindTable(int model)
{
  TEventKindTable table{};
  for (const TEventKindRow& row : EventKindRows(model)) {
    uint8_t* e = table.data() + size_t(row.Code) * EVENT_KIND_ENTRY_SIZE;
    e[EK_LENGTH] = row.Length;
    e[EK_KIND] = row.Kind;
    PutShortString(e + EK_DESCRIPTION, EK_DESCRIPTION_MAX, row.Text);
    e[EK_SHOW] = row.Show;
    e[EK_CORR] = row.Corr;
    e[EK_TRACK] = row.Track;
    e[EK_STATE] = row.State;
  }
  return table;
}

TRestartReasonTable BuildRestartReasonTable(int model)
{
  TRestartReasonTable table{};
  const auto texts = RestartReasonTexts(model);
  for (size_t i = 0; i < texts.size() && i < RESTART_REASON_COUNT; ++i)
    PutShortString(table.data() + i * RESTART_REASON_ENTRY_SIZE, RESTART_REASON_TEXT_MAX, texts[i]);
  return table;
}

// The table of model 1 or 2, built on first use; an all-zero table for any other model.
template <class TTable, TTable (*Build)(int)>
const TTable& TableOfModel(int model)
{
  static const TTable kivs2 = Build(1);
  static const TTable kivs3 = Build(2);
  static const TTable none{};
  return model == 1 ? kivs2 : model == 2 ? kivs3 : none;
}

}  // namespace

const TEventKindTable& EventKindTable(int model)
{
  return TableOfModel<TEventKindTable, BuildEventKindTable>(model);
}

const TRestartReasonTable& RestartReasonTable(int model)
{
  return TableOfModel<TRestartReasonTable, BuildRestartReasonTable>(model);
}

std::string RestartReasonText(uint8_t decoderKind, uint32_t reasonCode)
{
  int model = 0;
  if (decoderKind == EventDecoderKind::Restart1)
    model = 1;
  else if (decoderKind == EventDecoderKind::Restart2)
    model = 2;
  else
    return {};
  const size_t index = std::min<uint32_t>(reasonCode, RESTART_REASON_COUNT - 1);
  const uint8_t* e = RestartReasonTable(model).data() + index * RESTART_REASON_ENTRY_SIZE;
  const size_t len = std::min<size_t>(e[0], RESTART_REASON_TEXT_MAX);
  return std::string(e + 1, e + 1 + len);
}

std::string EvDescription(std::span<const uint8_t, EVENT_KIND_TABLE_SIZE> table, uint8_t code)
{
  const uint8_t* e = table.data() + size_t(code) * EVENT_KIND_ENTRY_SIZE + EK_DESCRIPTION;
  const size_t len = std::min<size_t>(e[0], EK_DESCRIPTION_MAX);
  return std::string(e + 1, e + 1 + len);
}

std::optional<uint8_t> TEvRecordWalker::GapCount() const
{
  if (FOffset + 1 >= FData.size())
    return std::nullopt;
  return FData[FOffset + 1];
}

void TEvRecordWalker::Next()
{
  if (AtEnd())
    return;
  const uint8_t length = Length();
  if (length == 0) {
    FOffset = FData.size();
  } else if (IsGap()) {
    const std::optional<uint8_t> n = GapCount();
    FOffset = n ? FOffset + size_t(*n) + 2 : FData.size();
  } else {
    FOffset += length;
  }
}
