#pragma once
// Time helpers of the link and the event lister (waiting itself is the platform's WaitMs).

#include "platform/DateTime.h"

// Seconds since midnight of a date-time's time part, milliseconds as the fraction; 0 for a
// value of 0 or less.
double TimeOfDaySeconds(TDateTime value);
