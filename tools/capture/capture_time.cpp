#include "capture/capture_time.h"

#include <cstring>
#include <ctime>

#include "text/civil_time.h"
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
};

char* put_fraction(char* out, const CaptureTime& t) { return tool::put_fraction(out, t.nanoseconds, t.digits); }

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
    case TimeFormat::Delta: {
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
    return static_cast<std::size_t>(put_iso_utc(out, time.seconds, time.nanoseconds, time.digits) - out);
}

}  // namespace tool
}  // namespace paketlog
