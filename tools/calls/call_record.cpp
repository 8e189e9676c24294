#include "calls/call_record.h"

namespace paketlog {
namespace tool {

void Call::clear() {
    seance = 0;
    first = last = answer = release = CallTime();
    packets = in = out = 0;
    endpoints.clear();
    called.clear();
    calling.clear();
    digits.clear();
    names.clear();
    events.clear();
    events_omitted = 0;
    answered = busy = rejected = released = evicted = false;
    cause = CallCause();
    continues.clear();
    continued_from.clear();
    rtp.clear();
    holds = ptt = 0;
}

const char* Call::outcome() const {
    if (rejected) return "rejected";
    if (busy) return "busy";
    if (answered) return "answered";
    return "unanswered";
}

bool Call::setup(std::int64_t& ns) const {
    if (!first.timed || !answered) return false;
    ns = nanoseconds_between(first, answer);
    return true;
}

bool Call::talk(std::int64_t& ns) const {
    if (!first.timed || !answered || !released) return false;
    ns = nanoseconds_between(answer, release);
    return ns >= 0;  // a release before the answer ended no talk
}

bool Call::duration(std::int64_t& ns) const {
    if (!first.timed) return false;
    ns = nanoseconds_between(first, last);
    return true;
}

}  // namespace tool
}  // namespace paketlog
