#include "stats_types.h"

#include <epan/packet.h>
#include <epan/stat_tap_ui.h>
#include <epan/stats_tree.h>
#include <epan/tap.h>
#include <wsutil/report_message.h>

#include <cstdio>
#include <cstring>

#include "fields.h"
#include "packet_tap.h"

namespace paketlog {
namespace ws {
namespace {

// The row of a packet: its type code, or kNoType when it is too short for one.
constexpr unsigned kNoType = 256;
constexpr unsigned kRows = 257;

struct TypeCounts {
    unsigned long in[kRows];
    unsigned long out[kRows];
};

unsigned row_of(const PacketTap& p) { return p.has_type ? p.type : kNoType; }

void reset_counts(void* data) { std::memset(data, 0, sizeof(TypeCounts)); }

tap_packet_status count_packet(void* data, packet_info*, epan_dissect_t*, const void* tap, tap_flags_t) {
    auto* counts = static_cast<TypeCounts*>(data);
    const auto* p = static_cast<const PacketTap*>(tap);
    const unsigned row = row_of(*p);
    if (p->incoming)
        ++counts->in[row];
    else
        ++counts->out[row];
    return TAP_PACKET_REDRAW;
}

void print_counts(void* data) {
    const auto* counts = static_cast<const TypeCounts*>(data);
    const char* rule = "==================================================================";
    std::printf("\n%s\nPAKETLOG packet types (in: from the signalling port, out: to it)\n", rule);
    std::printf("%-16s %5s %10s %10s %10s\n", "Type", "Code", "In", "Out", "Total");
    unsigned long in = 0, out = 0;
    for (unsigned row = 0; row < kRows; ++row) {
        if (counts->in[row] == 0 && counts->out[row] == 0) continue;
        in += counts->in[row];
        out += counts->out[row];
        if (row == kNoType)
            std::printf("%-16s %5s", "(no type byte)", "-");
        else
            std::printf("%-16s %5u", val_to_str_const(row, type_names.vals, "Unknown"), row);
        std::printf(" %10lu %10lu %10lu\n", counts->in[row], counts->out[row], counts->in[row] + counts->out[row]);
    }
    std::printf("%-16s %5s %10lu %10lu %10lu\n%s\n", "All", "", in, out, in + out, rule);
}

void free_counts(void* data) { delete static_cast<TypeCounts*>(data); }

// "paketlog,types" or "paketlog,types,FILTER".
void start_counting(const char* argument, void*) {
    const char* filter = nullptr;
    const std::size_t prefix = std::strlen("paketlog,types");
    if (std::strncmp(argument, "paketlog,types,", prefix + 1) == 0) filter = argument + prefix + 1;
    auto* counts = new TypeCounts();
    GString* error = register_tap_listener(kTapName, counts, filter, TL_REQUIRES_NOTHING, reset_counts, count_packet,
                                           print_counts, free_counts);
    if (error != nullptr) {
        report_failure("Couldn't register paketlog,types tap: %s", error->str);
        g_string_free(error, TRUE);
        delete counts;
    }
}

stat_tap_ui types_ui = {REGISTER_PACKET_STAT_GROUP_UNSORTED, "PAKETLOG packet types", "paketlog,types",
                        start_counting, 0, nullptr};

// The same counts as a statistics tree in Wireshark's menu.
const char* const kTypesNode = "Packet types";
const char* const kDirectionsNode = "Directions";
int types_node = 0;
int directions_node = 0;

void tree_init(stats_tree* st) {
    types_node = stats_tree_create_node(st, kTypesNode, 0, STAT_DT_INT, TRUE);
    directions_node = stats_tree_create_node(st, kDirectionsNode, 0, STAT_DT_INT, TRUE);
}

tap_packet_status tree_packet(stats_tree* st, packet_info*, epan_dissect_t*, const void* tap, tap_flags_t) {
    const auto* p = static_cast<const PacketTap*>(tap);
    const unsigned row = row_of(*p);
    const char* name = row == kNoType ? "(no type byte)" : val_to_str_const(row, type_names.vals, "Unknown");
    tick_stat_node(st, kTypesNode, 0, FALSE);
    tick_stat_node(st, name, types_node, FALSE);
    tick_stat_node(st, kDirectionsNode, 0, FALSE);
    tick_stat_node(st, p->incoming ? "in" : "out", directions_node, FALSE);
    return TAP_PACKET_REDRAW;
}

}  // namespace

void register_type_statistics() {
    register_stat_tap_ui(&types_ui, nullptr);
    stats_tree_register_plugin(kTapName, "paketlog_types", "PAKETLOG/Packet types", 0, tree_packet, tree_init,
                               nullptr);
}

}  // namespace ws
}  // namespace paketlog
