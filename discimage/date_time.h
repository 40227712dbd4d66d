// Local date-times as days since 30 December 1899, the form the disc tree keeps.
#pragma once

#include "disc_entries.h"

#include <cstdint>
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
// Quarter hours east of UTC in force at `when`, daylight saving included.
int8_t QuarterHoursEastAt(std::time_t when);
// The same for a local date-time; in the hour that a change back to standard time repeats,
// the system's choice of the two.
int8_t QuarterHoursEastAtLocal(TDateTime value);
