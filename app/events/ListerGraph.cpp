// The lister's chart seam over the time chart's model.
#include "app/events/Lister.h"
#include "charts/GraphModel.h"

void TEvGraphChart::BeginUpdate() { FModel.BeginUpdate(); }
void TEvGraphChart::EndUpdate() { FModel.EndUpdate(); }
void TEvGraphChart::Clear() { FModel.Clear(); }
