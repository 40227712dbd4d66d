#include "date_time.h"

#include <chrono>
#include <cmath>

namespace {

using namespace std::chrono;

constexpr sys_days kEpoch = sys_days(year(1899) / December / 30);

} // namespace

TDateTime FileDateTime(std::time_t when) {
    std::tm local{};
    localtime_r(&when, &local);
    TDateParts parts;
    parts.Year = local.tm_year + 1900;
    parts.Month = local.tm_mon + 1;
    parts.Day = local.tm_mday;
    parts.Hour = local.tm_hour;
    parts.Minute = local.tm_min;
    parts.Second = local.tm_sec / 2 * 2;
    return EncodeDateTime(parts);
}

TDateTime EncodeDateTime(const TDateParts& parts) {
    const sys_days date = year(parts.Year) / month(static_cast<unsigned>(parts.Month)) /
                          day(static_cast<unsigned>(parts.Day));
    const double days = static_cast<double>((date - kEpoch).count());
    const double milliseconds =
        ((parts.Hour * 60.0 + parts.Minute) * 60.0 + parts.Second) * 1000.0 + parts.Millisecond;
    return days + milliseconds / 86400000.0;
}

TDateParts DecodeDateTime(TDateTime value) {
    // Work in whole milliseconds so that a time such as 12:00:00 never reads as 11:59:59.999.
    const int64_t total = std::llround(value * 86400000.0);
    int64_t dayCount = total / 86400000;
    int64_t inDay = total % 86400000;
    if (inDay < 0) {
        inDay += 86400000;
        --dayCount;
    }
    const year_month_day date(kEpoch + days(dayCount));
    TDateParts parts;
    parts.Year = static_cast<int>(date.year());
    parts.Month = static_cast<int>(static_cast<unsigned>(date.month()));
    parts.Day = static_cast<int>(static_cast<unsigned>(date.day()));
    parts.Hour = static_cast<int>(inDay / 3600000);
    parts.Minute = static_cast<int>(inDay / 60000 % 60);
    parts.Second = static_cast<int>(inDay / 1000 % 60);
    parts.Millisecond = static_cast<int>(inDay % 1000);
    return parts;
}

int8_t QuarterHoursEastAt(std::time_t when) {
    std::tm local{};
    localtime_r(&when, &local);
    return static_cast<int8_t>(local.tm_gmtoff / (15 * 60));
}

int8_t QuarterHoursEastAtLocal(TDateTime value) {
    const TDateParts parts = DecodeDateTime(value);
    std::tm local{};
    local.tm_year = parts.Year - 1900;
    local.tm_mon = parts.Month - 1;
    local.tm_mday = parts.Day;
    local.tm_hour = parts.Hour;
    local.tm_min = parts.Minute;
    local.tm_sec = parts.Second;
    local.tm_isdst = -1;  // whichever is in force on that day
    const std::time_t when = mktime(&local);
    return when == static_cast<std::time_t>(-1) ? static_cast<int8_t>(StandardTimeQuarterHours())
                                                : QuarterHoursEastAt(when);
}

int StandardTimeQuarterHours() {
    tzset();
    // `timezone` is seconds west of UTC; the bias in minutes is west-positive as well.
    const long biasMinutes = timezone / 60;
    return static_cast<int>(-biasMinutes / 15);
}
