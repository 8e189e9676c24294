// Capture times as the command prints them, written into the caller's buffer.
#ifndef PAKETLOG_TOOLS_CAPTURE_CAPTURE_TIME_H
#define PAKETLOG_TOOLS_CAPTURE_CAPTURE_TIME_H

#include <cstddef>
#include <cstdint>

#include "decode/options.h"

namespace paketlog {
namespace tool {

// A capture time: seconds since the epoch and the fraction in nanoseconds,
// shown with 6 or 9 digits after the point (the capture's own precision).
struct CaptureTime {
    std::int64_t seconds = 0;
    std::uint32_t nanoseconds = 0;  // below 1,000,000,000
    int digits = 6;
};

// A time stamp as a capture file holds it, made valid: a fraction of a second
// or more carries into the seconds, and a negative second count (a 32-bit
// count read as signed) is taken as the unsigned count it was written as;
// what is still outside 1970 to 9999 is held at the nearer end.
CaptureTime normal_time(std::int64_t seconds, std::int64_t fraction, int digits);

// Parses a --time name; false for an unknown one.
bool parse_time_format(const char* name, TimeFormat& format);

// Writes times into a buffer of at least kTimeTextSize bytes, without a NUL,
// and returns the count. Local times call localtime_r once per minute of
// capture time, not once per packet.
class TimeWriter {
public:
    static constexpr std::size_t kTimeTextSize = 48;

    std::size_t write(TimeFormat format, const CaptureTime& time, char* out);
    // ISO 8601 in UTC, the JSON "time": 2024-03-01T09:30:00.000000Z.
    static std::size_t write_iso_utc(const CaptureTime& time, char* out);
    // The packet shown before the next one written (null: none), for
    // TimeFormat::Delta where packets are written by several writers; for
    // TimeFormat::First, the first packet shown.
    void follow(const CaptureTime* previous) {
        have_previous_ = previous != nullptr;
        if (previous != nullptr) previous_ = *previous;
    }

private:
    struct Minute {
        std::int64_t start = 1;  // first second of the cached local minute; 1 > end: nothing cached
        std::int64_t end = 0;
        int year = 0, month = 0, day = 0, hour = 0, minute = 0;
    };
    const Minute& local_minute(std::int64_t seconds);

    Minute local_;
    bool have_previous_ = false;
    CaptureTime previous_;
};

}  // namespace tool
}  // namespace paketlog

#endif
