#include "app/logic/PrintPlanLogic.h"

#include "app/logic/DocNameLogic.h"
#include "app/logic/PagedlgLogic.h"
#include "platform/Codepage.h"
#include "platform/NumText.h"

std::vector<TPrintStep> PrintPlan(uint8_t flags, const std::vector<int>& selectedSequences,
                                  const std::string& documentName)
{
  std::vector<TPrintStep> plan;
  const std::string file = Utf8ToCp1250(FileNamePart(documentName));
  for (const int i : selectedSequences) {
    const std::string base = file + "-" + "Sekwencja " + IntToStr(i + 1);
    if (flags & PrintFlag::Listing)
      plan.push_back({TPrintStep::TKind::Listing, i + 1, base + "-Listing"});
    if (flags & PrintFlag::Chart)
      plan.push_back({TPrintStep::TKind::Chart, i + 1, base + "-Przebiegi"});
  }
  if (flags & PrintFlag::Zns1)
    plan.push_back({TPrintStep::TKind::Grid1, 0, "ZESTAW NASTAW 1"});
  if (flags & PrintFlag::Zns2)
    plan.push_back({TPrintStep::TKind::Grid2, 0, "ZESTAW NASTAW 2"});
  return plan;
}
