// Local date-times as days since 30 December 1899, the form the disc tree keeps.
#pragma once

#include "disc_entries.h"

#include <ctime>

struct TDateParts {
    int Year = 1899, Month = 12, Day = 30;
    int Hour = 0, Minute = 0, Second = 0, Millisecond = 0;
};

// `when` as a local date-time, rounded down to the two-second resolution of a file date.
TDateTime FileDateTime(std::time_t when);
TDateParts DecodeDateTime(TDateTime value);
TDateTime EncodeDateTime(const TDateParts& parts);

// Quarter hours east of UTC of the standard-time zone (daylight saving not applied).
int StandardTimeQuarterHours();
