#include "capture/capture_time.h"

#include <cstring>
#include <ctime>

#include "text/decimal_text.h"

namespace paketlog {
namespace tool {
namespace {

constexpr std::int64_t kNano = 1000000000;
constexpr std::int64_t kLastSecond = 253402300799;  // 9999-12-31 23:59:59 UTC: dates keep four digits

const struct {
    const char* name;
    TimeFormat format;
} kTimeFormats[] = {
    {"none", TimeFormat::None},   {"local", TimeFormat::Local}, {"utc", TimeFormat::Utc},
    {"date", TimeFormat::Date},   {"epoch", TimeFormat::Epoch}, {"delta", TimeFormat::Delta},
    {"first", TimeFormat::First},
};

char* put_fraction(char* out, const CaptureTime& t) {
    *out++ = '.';
    return t.digits == 9 ? put_digits(out, t.nanoseconds, 9) : put_digits(out, t.nanoseconds / 1000, 6);
}

char* put_clock(char* out, int hour, int minute, int second) {
    out = put_digits(out, static_cast<unsigned>(hour), 2);
    *out++ = ':';
    out = put_digits(out, static_cast<unsigned>(minute), 2);
    *out++ = ':';
    return put_digits(out, static_cast<unsigned>(second), 2);
}

char* put_date(char* out, int year, int month, int day) {
    out = put_digits(out, static_cast<unsigned>(year), 4);
    *out++ = '-';
    out = put_digits(out, static_cast<unsigned>(month), 2);
    *out++ = '-';
    return put_digits(out, static_cast<unsigned>(day), 2);
}

// Civil date of a day count since 1970-01-01 (proleptic Gregorian calendar).
void civil_from_days(std::int64_t days, int& year, int& month, int& day) {
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

std::int64_t floor_div(std::int64_t a, std::int64_t b) { return a / b - (a % b != 0 && (a < 0) != (b < 0)); }

}  // namespace

CaptureTime normal_time(std::int64_t seconds, std::int64_t fraction, int digits) {
    const std::int64_t unit = digits == 9 ? 1 : 1000;
    if (seconds < 0) seconds += std::int64_t{1} << 32;
    seconds = seconds < 0 ? 0 : seconds > kLastSecond ? kLastSecond : seconds;
    std::int64_t nanoseconds = fraction * unit;
    if (fraction < 0 || fraction >= kNano / unit) {
        seconds += floor_div(nanoseconds, kNano);
        nanoseconds -= floor_div(nanoseconds, kNano) * kNano;
    }
    CaptureTime t;
    t.seconds = seconds > kLastSecond ? kLastSecond : seconds;
    t.nanoseconds = static_cast<std::uint32_t>(nanoseconds);
    t.digits = digits;
    return t;
}

bool parse_time_format(const char* name, TimeFormat& format) {
    for (const auto& row : kTimeFormats) {
        if (std::strcmp(row.name, name) == 0) {
            format = row.format;
            return true;
        }
    }
    return false;
}

const TimeWriter::Minute& TimeWriter::local_minute(std::int64_t seconds) {
    if (seconds >= local_.start && seconds < local_.end) return local_;
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm parts{};
    if (static_cast<std::int64_t>(t) == seconds && localtime_r(&t, &parts) != nullptr) {
        local_.start = seconds - parts.tm_sec;
        local_.year = parts.tm_year + 1900;
        local_.month = parts.tm_mon + 1;
        local_.day = parts.tm_mday;
        local_.hour = parts.tm_hour;
        local_.minute = parts.tm_min;
    } else {  // past a 32-bit time_t (after 2038 there): shown in UTC
        const std::int64_t days = floor_div(seconds, 86400);
        const std::int64_t minute_of_day = (seconds - days * 86400) / 60;
        civil_from_days(days, local_.year, local_.month, local_.day);
        local_.start = days * 86400 + minute_of_day * 60;
        local_.hour = static_cast<int>(minute_of_day / 60);
        local_.minute = static_cast<int>(minute_of_day % 60);
    }
    local_.end = local_.start + 60;
    return local_;
}

std::size_t TimeWriter::write(TimeFormat format, const CaptureTime& time, char* out) {
    char* p = out;
    switch (format) {
    case TimeFormat::None:
        break;
    case TimeFormat::Local:
    case TimeFormat::Date: {
        const Minute& m = local_minute(time.seconds);
        if (format == TimeFormat::Date) {
            p = put_date(p, m.year, m.month, m.day);
            *p++ = ' ';
        }
        p = put_fraction(put_clock(p, m.hour, m.minute, static_cast<int>(time.seconds - m.start)), time);
        break;
    }
    case TimeFormat::Utc: {
        const std::int64_t second_of_day = time.seconds - floor_div(time.seconds, 86400) * 86400;
        p = put_clock(p, static_cast<int>(second_of_day / 3600), static_cast<int>(second_of_day / 60 % 60),
                      static_cast<int>(second_of_day % 60));
        p = put_fraction(p, time);
        *p++ = 'Z';
        break;
    }
    case TimeFormat::Epoch:
        if (time.seconds < 0) *p++ = '-';
        p = put_fraction(put_decimal(p, static_cast<std::uint64_t>(time.seconds < 0 ? -time.seconds : time.seconds)),
                         time);
        break;
    case TimeFormat::Delta:
    case TimeFormat::First: {  // the first packet shown follows itself
        std::int64_t delta = 0;
        if (have_previous_) {
            delta = (time.seconds - previous_.seconds) * kNano +
                    (static_cast<std::int64_t>(time.nanoseconds) - previous_.nanoseconds);
        }
        have_previous_ = true;
        previous_ = time;
        if (delta < 0) *p++ = '-';
        const std::uint64_t magnitude = static_cast<std::uint64_t>(delta < 0 ? -delta : delta);
        CaptureTime d;
        d.nanoseconds = static_cast<std::uint32_t>(magnitude % kNano);
        d.digits = time.digits;
        p = put_fraction(put_decimal(p, magnitude / kNano), d);
        break;
    }
    }
    return static_cast<std::size_t>(p - out);
}

std::size_t TimeWriter::write_iso_utc(const CaptureTime& time, char* out) {
    int year = 0, month = 0, day = 0;
    const std::int64_t days = floor_div(time.seconds, 86400);
    civil_from_days(days, year, month, day);
    const std::int64_t second_of_day = time.seconds - days * 86400;
    char* p = put_date(out, year, month, day);
    *p++ = 'T';
    p = put_clock(p, static_cast<int>(second_of_day / 3600), static_cast<int>(second_of_day / 60 % 60),
                  static_cast<int>(second_of_day % 60));
    p = put_fraction(p, time);
    *p++ = 'Z';
    return static_cast<std::size_t>(p - out);
}

}  // namespace tool
}  // namespace paketlog
