// Sets the time zone (TZ) for the life of one object and puts the old one
// back: for tests of local times.
#ifndef PAKETLOG_TESTS_TIME_ZONE_H
#define PAKETLOG_TESTS_TIME_ZONE_H

#include <cstdlib>
#include <ctime>
#include <string>

class TimeZone {
public:
    explicit TimeZone(const char* tz) : had_(std::getenv("TZ") != nullptr), old_(had_ ? std::getenv("TZ") : "") {
        setenv("TZ", tz, 1);
        tzset();
    }
    ~TimeZone() {
        if (had_)
            setenv("TZ", old_.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    TimeZone(const TimeZone&) = delete;
    TimeZone& operator=(const TimeZone&) = delete;

private:
    bool had_;
    std::string old_;
};

#endif
