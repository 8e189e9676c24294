// Dates and clock times in UTC, written in place: the one calendar of the
// command's times (capture times, and the times of calls).
#ifndef PAKETLOG_TOOLS_TEXT_CIVIL_TIME_H
#define PAKETLOG_TOOLS_TEXT_CIVIL_TIME_H

#include <cstddef>
#include <cstdint>

#include "text/decimal_text.h"

namespace paketlog {
namespace tool {

// a / b rounded down, for negative a too.
inline std::int64_t floor_div(std::int64_t a, std::int64_t b) { return a / b - (a % b != 0 && (a < 0) != (b < 0)); }

// Civil date of a day count since 1970-01-01 (proleptic Gregorian calendar).
inline void civil_from_days(std::int64_t days, int& year, int& month, int& day) {
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const std::int64_t doe = days - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

// "2024-03-01"
inline char* put_date(char* out, int year, int month, int day) {
    out = put_digits(out, static_cast<unsigned>(year), 4);
    *out++ = '-';
    out = put_digits(out, static_cast<unsigned>(month), 2);
    *out++ = '-';
    return put_digits(out, static_cast<unsigned>(day), 2);
}

// "09:30:00"
inline char* put_clock(char* out, int hour, int minute, int second) {
    out = put_digits(out, static_cast<unsigned>(hour), 2);
    *out++ = ':';
    out = put_digits(out, static_cast<unsigned>(minute), 2);
    *out++ = ':';
    return put_digits(out, static_cast<unsigned>(second), 2);
}

// ".000100": the fraction in 9 digits (nanoseconds) or 6 (microseconds).
inline char* put_fraction(char* out, std::uint32_t nanoseconds, int digits) {
    *out++ = '.';
    return digits == 9 ? put_digits(out, nanoseconds, 9) : put_digits(out, nanoseconds / 1000, 6);
}

// The most characters put_iso_utc writes.
constexpr std::size_t kIsoTimeSize = 32;

// ISO 8601 in UTC, "2024-03-01T09:30:00.000100Z", the fraction in `digits`
// (6 or 9) digits; where it ends.
inline char* put_iso_utc(char* out, std::int64_t seconds, std::uint32_t nanoseconds, int digits) {
    int year = 0, month = 0, day = 0;
    const std::int64_t days = floor_div(seconds, 86400);
    civil_from_days(days, year, month, day);
    const std::int64_t second_of_day = seconds - days * 86400;
    char* p = put_date(out, year, month, day);
    *p++ = 'T';
    p = put_clock(p, static_cast<int>(second_of_day / 3600), static_cast<int>(second_of_day / 60 % 60),
                  static_cast<int>(second_of_day % 60));
    p = put_fraction(p, nanoseconds, digits);
    *p++ = 'Z';
    return p;
}

}  // namespace tool
}  // namespace paketlog

#endif
