#include "ternik/WbComp/ConnectorKinds.h"

#include <array>
#include <string_view>

#include "platform/Codepage.h"

namespace {

struct TKindRow {
  std::string_view InputName, CardDescription, Unit, Symbol, ShortName;
};

constexpr TKindRow kKinds[CONNECTOR_KIND_COUNT] = {
    {"Złącze puste"_cp, "Złącze puste"_cp, "", "", ""},
    {"Wejście cyfrowe"_cp, "Karta cyfrowa  8 wejściowa (każdy wejście na osobnym potencjale)"_cp, "", "C",
     "wej.cyf.C"},
    {"Wejście cyfrowe"_cp, "Karta cyfrowa 12 wejściowa (4 wejścia na osobnym potencjale)"_cp, "", "C",
     "wej.cyf.C"},
    {"Wejście cyfrowe"_cp, "Karta cyfrowa 16 wejściowa (16 wejść na wspólnym potencjale)"_cp, "", "C",
     "wej.cyf.C"},
    {"Wejscie napięciowe"_cp, "Karta analogowa: 4 wejscia napięciowe"_cp, "[V]", "U", "wej.nap.U"},
    {"Wejscie prądowe"_cp, "Karta analogowa: 4 wejscia prądowe"_cp, "[A]", "I", "wej.prąd.I"_cp},
    {"Nieznana wielkosc", "Nieznana wielkosc", "", "", ""},
};

std::array<TConnectorKindTexts, CONNECTOR_KIND_COUNT> gKinds;
std::string gNote;

}  // namespace

const TConnectorKindTexts& ConnectorKindTexts(int kind)
{
  if (kind < 0 || kind >= CONNECTOR_KIND_COUNT)
    kind = CONNECTOR_KIND_COUNT - 1;
  return gKinds[static_cast<size_t>(kind)];
}

std::string& ConnectorKindNote() { return gNote; }

void ConnectorKindsInitialize()
{
  for (size_t i = 0; i < gKinds.size(); ++i) {
    const TKindRow& r = kKinds[i];
    gKinds[i] = TConnectorKindTexts{std::string(r.InputName), std::string(r.CardDescription),
                                    std::string(r.Unit), std::string(r.Symbol), std::string(r.ShortName)};
  }
  gNote.clear();
}

void ConnectorKindsFinalize()
{
  gKinds = {};
  gNote.clear();
}
