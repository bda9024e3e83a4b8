#pragma once
// Printing a string grid: a title above, every cell as a framed box with its text, the grid
// cut into pages across and down (app/GridPagination), and a page label below.

#include <string>

#include "app/ui/ChildOps.h"

class TPageSink;

// Prints on the sink under `title` (Windows-1250); false when nothing was printed (no page,
// no cells, or the job did not start). Stops after the current page when the job is aborted.
bool PrintStringGrid(const TStringGridImage& grid, const std::string& title, TPageSink& sink);

// Whether the sink can print: a file or image sink always, the system's printer only with a
// default printer. Without one "Brak domyślnej drukarki" is shown and false returned.
bool SinkCanPrint(TPageSink& sink);
