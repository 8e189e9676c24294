#include "output/summary.h"

#include <algorithm>
#include <cstdio>

#include "text/json_text.h"

namespace paketlog {
namespace tool {
namespace {

// The label of a type's count: its name, or its code; `type` past the names: too short for one.
std::string type_label(const Summary::Names& names, std::size_t type) {
    if (type >= names.size()) return "(too short)";
    if (!names[type].empty()) return names[type];
    char code[24];
    std::snprintf(code, sizeof code, "unknown 0x%02zX", type);
    return code;
}

std::string shown_time(const CaptureTime& t, bool iso) {
    char text[TimeWriter::kTimeTextSize];
    TimeWriter writer;
    const std::size_t n = iso ? TimeWriter::write_iso_utc(t, text) : writer.write(TimeFormat::Date, t, text);
    return std::string(text, n);
}

// "1 packet", "2 packets".
std::string packets(unsigned long n) { return std::to_string(n) + (n == 1 ? " packet" : " packets"); }

}  // namespace

void Summary::add(int type, bool listed, std::int64_t seance, bool truncated, const CaptureTime* time) {
    ++packets_;
    ++per_type_[type < 0 ? kTooShort : static_cast<std::size_t>(type)];
    if (truncated) ++truncated_;
    if (type >= 0 && !listed) ++unknown_;
    if (seance < 0) return;
    if (seance == 0 && type >= kFirstModuleReport && type <= kLastModuleReport) {
        ++module_reports_;
        return;
    }
    const auto key = static_cast<std::uint32_t>(seance);
    auto it = seances_.find(key);
    if (it == seances_.end()) {
        if (seances_.size() >= kMaxSeances) {
            ++other_seances_;
            return;
        }
        it = seances_.emplace(key, Seance{}).first;
        it->second.first_packet = packets_;
        if (time != nullptr) it->second.first = *time;
    }
    Seance& s = it->second;
    ++s.count;
    s.last_packet = packets_;
    s.timed = time != nullptr;
    if (time != nullptr) s.last = *time;
}

std::vector<std::pair<std::uint32_t, const Summary::Seance*>> Summary::busiest() const {
    std::vector<std::pair<std::uint32_t, const Seance*>> all;
    all.reserve(seances_.size());
    for (const auto& entry : seances_) all.emplace_back(entry.first, &entry.second);
    const std::size_t n = std::min(kBusiest, all.size());
    std::partial_sort(all.begin(), all.begin() + static_cast<long>(n), all.end(), [](const auto& a, const auto& b) {
        return a.second->count != b.second->count ? a.second->count > b.second->count
                                                  : a.second->first_packet < b.second->first_packet;
    });
    all.resize(n);
    return all;
}

std::string Summary::text(const Names& names) const {
    std::string out = "Summary: " + packets(packets_) + "\n";
    for (std::size_t type = 0; type < per_type_.size(); ++type)
        if (per_type_[type] != 0) out += "  " + type_label(names, type) + ": " + std::to_string(per_type_[type]) + "\n";
    out += "Busiest seances (" + std::to_string(seances_.size()) + " seen";
    if (other_seances_ != 0) out += ", " + packets(other_seances_) + " of further ones not followed";
    out += "):\n";
    for (const auto& [number, s] : busiest()) {
        out += "  " + std::to_string(number) + ": " + packets(s->count) + ", ";
        out += s->timed ? shown_time(s->first, false) + " to " + shown_time(s->last, false)
                        : "packets " + std::to_string(s->first_packet) + " to " + std::to_string(s->last_packet);
        out += "\n";
    }
    out += "Module reports (seance 0): " + packets(module_reports_) + "\n";
    out += "Truncated packets: " + std::to_string(truncated_) + ", unknown types: " + std::to_string(unknown_) +
           ", reported inputs: " + std::to_string(reported_) + "\n";
    return out;
}

std::string Summary::json(const Names& names) const {
    std::string out = "{\"summary\":{\"packets\":" + std::to_string(packets_) + ",\"types\":[";
    const char* comma = "";
    for (std::size_t type = 0; type < per_type_.size(); ++type) {
        if (per_type_[type] == 0) continue;
        out += comma;
        out += "{\"type\":" + (type == kTooShort ? std::string("null") : std::to_string(type));
        out += ",\"name\":" + (type != kTooShort && !names[type].empty() ? json_string(names[type]) : std::string("null"));
        out += ",\"count\":" + std::to_string(per_type_[type]) + "}";
        comma = ",";
    }
    out += "],\"seances\":[";
    comma = "";
    for (const auto& [number, s] : busiest()) {
        out += comma;
        out += "{\"seance\":" + std::to_string(number) + ",\"count\":" + std::to_string(s->count);
        out += ",\"first_packet\":" + std::to_string(s->first_packet) + ",\"last_packet\":" + std::to_string(s->last_packet);
        if (s->timed) out += ",\"first\":\"" + shown_time(s->first, true) + "\",\"last\":\"" + shown_time(s->last, true) + "\"";
        out += "}";
        comma = ",";
    }
    out += "],\"seances_seen\":" + std::to_string(seances_.size());
    out += ",\"module_reports\":" + std::to_string(module_reports_);
    out += ",\"truncated\":" + std::to_string(truncated_) + ",\"unknown\":" + std::to_string(unknown_) +
           ",\"reported\":" + std::to_string(reported_) + "}}\n";
    return out;
}

}  // namespace tool
}  // namespace paketlog
