// Capture times: time stamps made valid, and every --time format.
#include "capture/capture_time.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include "time_zone.h"

using namespace paketlog::tool;

namespace {

std::string shown(TimeWriter& writer, TimeFormat format, const CaptureTime& t) {
    char text[TimeWriter::kTimeTextSize];
    return std::string(text, writer.write(format, t, text));
}

std::string iso(std::int64_t seconds, std::uint32_t nanoseconds, int digits) {
    char text[TimeWriter::kTimeTextSize];
    CaptureTime t;
    t.seconds = seconds;
    t.nanoseconds = nanoseconds;
    t.digits = digits;
    return std::string(text, TimeWriter::write_iso_utc(t, text));
}

}  // namespace

// seconds and fraction as a file holds them, digits; then the time made of them.
TEST(CaptureTime, ImpossibleStampsAreMadeValid) {
    const struct {
        std::int64_t seconds, fraction;
        int digits;
        std::int64_t want_seconds;
        std::uint32_t want_nanoseconds;
    } cases[] = {
        {1709285400, 999999, 6, 1709285400, 999999000},
        {1709285400, 1000000, 6, 1709285401, 0},           // a whole second in the fraction
        {1709285400, 2500000, 6, 1709285402, 500000000},
        {1709285400, 999999999, 9, 1709285400, 999999999},
        {1709285400, 1000000000, 9, 1709285401, 0},
        {1709285400, -1, 6, 1709285399, 999999000},        // borrowed from the seconds
        {-1, 0, 6, 4294967295, 0},                         // a 32-bit count read as signed
        {-4294967297LL, 0, 6, 0, 0},                       // before 1970 even so: held there
        {253402300800LL, 0, 6, 253402300799LL, 0},          // past 9999
    };
    for (const auto& c : cases) {
        const CaptureTime t = normal_time(c.seconds, c.fraction, c.digits);
        EXPECT_EQ(t.seconds, c.want_seconds) << c.seconds << " " << c.fraction;
        EXPECT_EQ(t.nanoseconds, c.want_nanoseconds) << c.seconds << " " << c.fraction;
    }
}

TEST(CaptureTime, IsoDatesAcrossTheCalendar) {
    const struct {
        std::int64_t seconds;
        std::uint32_t nanoseconds;
        int digits;
        const char* want;
    } cases[] = {
        {0, 0, 6, "1970-01-01T00:00:00.000000Z"},
        {951782400, 1000, 6, "2000-02-29T00:00:00.000001Z"},
        {1709285400, 123, 9, "2024-03-01T09:30:00.000000123Z"},
        {4102444799, 999999999, 6, "2099-12-31T23:59:59.999999Z"},
        {4294967295, 0, 6, "2106-02-07T06:28:15.000000Z"},
        {253402300799LL, 0, 6, "9999-12-31T23:59:59.000000Z"},
    };
    for (const auto& c : cases) EXPECT_EQ(iso(c.seconds, c.nanoseconds, c.digits), c.want) << c.seconds;
}

TEST(CaptureTime, DeltaSinceThePreviousPacketEvenBackwards) {
    TimeWriter writer;
    shown(writer, TimeFormat::Delta, normal_time(100, 900000000, 9));
    EXPECT_EQ(shown(writer, TimeFormat::Delta, normal_time(102, 100000000, 9)), "1.200000000");
    EXPECT_EQ(shown(writer, TimeFormat::Delta, normal_time(101, 100000000, 9)), "-1.000000000");
}

// The local minute is cached; a clock change inside the cached hour must still show.
TEST(CaptureTime, LocalTimeFollowsAClockChange) {
    const TimeZone zone("EET-2EEST,M3.5.0/3,M10.5.0/4");
    TimeWriter writer;
    const std::int64_t change = 1711846800;  // 2024-03-31 01:00:00 UTC: 03:00 EET becomes 04:00 EEST
    EXPECT_EQ(shown(writer, TimeFormat::Date, normal_time(change - 1, 0, 6)), "2024-03-31 02:59:59.000000");
    EXPECT_EQ(shown(writer, TimeFormat::Date, normal_time(change, 0, 6)), "2024-03-31 04:00:00.000000");
    EXPECT_EQ(shown(writer, TimeFormat::Local, normal_time(change - 30, 0, 6)), "02:59:30.000000");
}

TEST(CaptureTime, FormatNames) {
    TimeFormat f = TimeFormat::Local;
    EXPECT_TRUE(parse_time_format("delta", f));
    EXPECT_EQ(f, TimeFormat::Delta);
    EXPECT_FALSE(parse_time_format("Delta", f));
    EXPECT_FALSE(parse_time_format("", f));
}
