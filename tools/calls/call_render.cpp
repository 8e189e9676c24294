#include "calls/call_render.h"

#include <string>

#include "paketlog.h"
#include "text/civil_time.h"
#include "text/decimal_text.h"
#include "text/json_text.h"

namespace paketlog {
namespace tool {
namespace {

void put(TextBuffer& out, std::string_view text) { out.append(text); }

void put_number(TextBuffer& out, std::uint64_t value) {
    char* const start = out.room(20);
    out.commit(static_cast<std::size_t>(put_decimal(start, value) - start));
}

void put_time_text(TextBuffer& out, const CallTime& t) {
    char* const start = out.room(kIsoTimeSize);
    out.commit(static_cast<std::size_t>(put_iso_utc(start, t.seconds, t.nanoseconds, t.digits) - start));
}

// A time in JSON: the ISO text of a capture time, the number of an untimed packet.
void put_json_time(TextBuffer& out, const CallTime& t) {
    if (!t.timed) return put_number(out, static_cast<std::uint64_t>(t.seconds));
    out.push_back('"');
    put_time_text(out, t);
    out.push_back('"');
}

// The same in CSV and in the table: no quotes.
void put_plain_time(TextBuffer& out, const CallTime& t) {
    if (t.timed)
        put_time_text(out, t);
    else
        put_number(out, static_cast<std::uint64_t>(t.seconds));
}

void put_span(TextBuffer& out, std::int64_t ns, int digits) {
    char* const start = out.room(32);
    out.commit(static_cast<std::size_t>(put_seconds(start, ns, digits) - start));
}

const char* control_name(unsigned char code) { return get_name_control(code, false); }

// The durations that were seen, each with its key.
struct Span {
    const char* key;
    bool (Call::*get)(std::int64_t&) const;
};
constexpr Span kSpans[] = {{"setup", &Call::setup}, {"talk", &Call::talk}, {"duration", &Call::duration}};

template <typename List, typename PutOne>
void put_json_list(TextBuffer& out, const List& list, PutOne put_one) {
    out.push_back('[');
    bool first = true;
    for (const auto& item : list) {
        if (!first) out.push_back(',');
        first = false;
        put_one(item);
    }
    out.push_back(']');
}

// RFC 4180: a field with a comma, a quote or a line break is quoted, its quotes doubled.
void put_csv_field(TextBuffer& out, std::string_view field) {
    if (field.find_first_of(",\"\r\n") == std::string_view::npos) return out.append(field);
    out.push_back('"');
    for (char c : field) {
        if (c == '"') out.push_back('"');
        out.push_back(c);
    }
    out.push_back('"');
}

template <typename List, typename Text>
std::string joined(const List& list, const char* separator, Text text) {
    std::string all;
    for (const auto& item : list) {
        if (!all.empty()) all += separator;
        all += text(item);
    }
    return all;
}

void pad(TextBuffer& out, std::size_t written, std::size_t width) {
    while (written++ < width) out.push_back(' ');
}

// `text` left-aligned in `width` columns and a space; `text` counts in characters of UTF-8.
void cell(TextBuffer& out, std::string_view text, std::size_t width) {
    out.append(text);
    std::size_t chars = 0;
    for (char c : text) chars += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    pad(out, chars, width);
    out.push_back(' ');
}

// Right-aligned.
void right_cell(TextBuffer& out, std::string_view text, std::size_t width) {
    pad(out, text.size(), width);
    out.append(text);
    out.push_back(' ');
}

std::string number_text(std::uint64_t value) {
    char digits[20];
    return std::string(digits, static_cast<std::size_t>(put_decimal(digits, value) - digits));
}

}  // namespace

char* put_seconds(char* out, std::int64_t ns, int digits) {
    if (ns < 0) {
        *out++ = '-';
        ns = -ns;
    }
    const std::uint64_t magnitude = static_cast<std::uint64_t>(ns);
    return put_fraction(put_decimal(out, magnitude / 1000000000), static_cast<std::uint32_t>(magnitude % 1000000000),
                        digits);
}

void append_call_json(const Call& c, bool directed, TextBuffer& out) {
    put(out, "{\"seance\":");
    put_number(out, c.seance);
    put(out, ",\"first\":");
    put_json_time(out, c.first);
    put(out, ",\"last\":");
    put_json_time(out, c.last);
    put(out, ",\"packets\":");
    put_number(out, c.packets);
    if (directed) {
        put(out, ",\"in\":");
        put_number(out, c.in);
        put(out, ",\"out\":");
        put_number(out, c.out);
    }
    put(out, ",\"endpoints\":");
    put_json_list(out, c.endpoints, [&](const std::string& e) { json_append(e, out); });
    put(out, ",\"called\":");
    json_append(c.called, out);
    put(out, ",\"calling\":");
    json_append(c.calling, out);
    put(out, ",\"digits\":");
    json_append(c.digits, out);
    put(out, ",\"names\":{");
    for (std::size_t i = 0; i < c.names.size(); ++i) {
        if (i != 0) out.push_back(',');
        json_append(c.names[i].first, out);
        out.push_back(':');
        json_append(c.names[i].second, out);
    }
    put(out, "},\"events\":");
    put_json_list(out, c.events, [&](const CallEvent& e) {
        put(out, "{\"time\":");
        put_json_time(out, e.time);
        put(out, ",\"control\":");
        json_append(control_name(e.control), out);
        put(out, ",\"code\":");
        put_number(out, e.control);
        out.push_back('}');
    });
    if (c.events_omitted != 0) {
        put(out, ",\"events_omitted\":");
        put_number(out, c.events_omitted);
    }
    put(out, ",\"outcome\":\"");
    put(out, c.outcome());
    put(out, c.released ? "\",\"released\":true" : "\",\"released\":false");
    if (c.released) {
        put(out, ",\"cause\":{\"loc\":");
        put_number(out, c.cause.loc);
        put(out, ",\"src\":");
        put_number(out, c.cause.src);
        put(out, ",\"code\":");
        put_number(out, c.cause.code);
        put(out, ",\"cause\":");
        put_number(out, c.cause.cause);
        out.push_back('}');
    }
    for (const Span& span : kSpans) {
        std::int64_t ns = 0;
        if (!(c.*span.get)(ns)) continue;
        put(out, ",\"");
        put(out, span.key);
        put(out, "\":");
        put_span(out, ns, c.first.digits);
    }
    put(out, ",\"continues\":");
    put_json_list(out, c.continues, [&](std::uint32_t s) { put_number(out, s); });
    put(out, ",\"continued_from\":");
    put_json_list(out, c.continued_from, [&](std::uint32_t s) { put_number(out, s); });
    put(out, ",\"rtp\":");
    put_json_list(out, c.rtp, [&](const std::string& r) { json_append(r, out); });
    put(out, ",\"holds\":");
    put_number(out, c.holds);
    put(out, ",\"ptt\":");
    put_number(out, c.ptt);
    if (c.evicted) put(out, ",\"evicted\":true");
    put(out, "}\n");
}

void append_call_csv_header(bool directed, TextBuffer& out) {
    put(out, "seance,first,last,packets,");
    if (directed) put(out, "in,out,");
    put(out,
        "endpoints,called,calling,digits,names,events,outcome,released,loc,src,code,cause,setup,talk,duration,"
        "continues,continued_from,rtp,holds,ptt,evicted\r\n");
}

void append_call_csv(const Call& c, bool directed, TextBuffer& out) {
    put_number(out, c.seance);
    out.push_back(',');
    put_plain_time(out, c.first);
    out.push_back(',');
    put_plain_time(out, c.last);
    out.push_back(',');
    put_number(out, c.packets);
    out.push_back(',');
    if (directed) {
        put_number(out, c.in);
        out.push_back(',');
        put_number(out, c.out);
        out.push_back(',');
    }
    const auto same = [](const std::string& s) { return s; };
    put_csv_field(out, joined(c.endpoints, " ", same));
    out.push_back(',');
    put_csv_field(out, c.called);
    out.push_back(',');
    put_csv_field(out, c.calling);
    out.push_back(',');
    put_csv_field(out, c.digits);
    out.push_back(',');
    put_csv_field(out, joined(c.names, "; ", [](const auto& n) { return n.first + "=" + n.second; }));
    out.push_back(',');
    put_csv_field(out, joined(c.events, " ", [](const CallEvent& e) { return std::string(control_name(e.control)); }));
    out.push_back(',');
    put(out, c.outcome());
    put(out, c.released ? ",true," : ",false,");
    if (c.released) {
        for (unsigned char v : {c.cause.loc, c.cause.src, c.cause.code}) {
            put_number(out, v);
            out.push_back(',');
        }
        put_number(out, c.cause.cause);
    } else {
        put(out, ",,,");
    }
    for (const Span& span : kSpans) {
        out.push_back(',');
        std::int64_t ns = 0;
        if ((c.*span.get)(ns)) put_span(out, ns, c.first.digits);
    }
    out.push_back(',');
    put_csv_field(out, joined(c.continues, " ", [](std::uint32_t s) { return number_text(s); }));
    out.push_back(',');
    put_csv_field(out, joined(c.continued_from, " ", [](std::uint32_t s) { return number_text(s); }));
    out.push_back(',');
    put_csv_field(out, joined(c.rtp, " ", same));
    out.push_back(',');
    put_number(out, c.holds);
    out.push_back(',');
    put_number(out, c.ptt);
    put(out, c.evicted ? ",true\r\n" : ",false\r\n");
}

namespace {
// Column widths of the table.
constexpr std::size_t kSeanceWidth = 10, kDurationWidth = 12, kNumberWidth = 16, kOutcomeWidth = 10,
                      kCauseWidth = 7;
}  // namespace

void CallTable::header(TextBuffer& out) const {
    right_cell(out, "SEANCE", kSeanceWidth);
    cell(out, "START", start_width_);
    right_cell(out, "DURATION", kDurationWidth);
    cell(out, "CALLING", kNumberWidth);
    cell(out, "CALLED", kNumberWidth);
    cell(out, "OUTCOME", kOutcomeWidth);
    cell(out, "CAUSE", kCauseWidth);
    out.append("PACKETS\n");
}

void CallTable::row(const Call& c, std::string_view start, TextBuffer& out) const {
    right_cell(out, number_text(c.seance), kSeanceWidth);
    cell(out, start.empty() ? "-" : start, start_width_);
    std::int64_t ns = 0;
    if (c.duration(ns)) {
        char text[32];
        right_cell(out, std::string_view(text, static_cast<std::size_t>(put_seconds(text, ns, c.first.digits) - text)),
                   kDurationWidth);
    } else {
        right_cell(out, "-", kDurationWidth);
    }
    const std::string& called = c.called.empty() ? c.digits : c.called;
    cell(out, c.calling.empty() ? "-" : c.calling, kNumberWidth);
    cell(out, called.empty() ? "-" : called, kNumberWidth);
    cell(out, c.outcome(), kOutcomeWidth);
    cell(out, c.evicted ? "evicted" : c.released ? number_text(c.cause.cause) : "open", kCauseWidth);
    put_number(out, c.packets);
    out.push_back('\n');
}

}  // namespace tool
}  // namespace paketlog
