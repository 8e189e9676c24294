// Both decoders on every listed packet type, each next to its floor, and the
// mix of all of them.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "floor_lines.h"
#include "paketlog.h"
#include "registry.h"
#include "samples.h"

namespace bench {
namespace {

constexpr unsigned char kMsgType = 1;  // "<<"
constexpr unsigned char kSkipType = 0; // no parameter left out of the operator line
constexpr bool kIncoming = true;
constexpr int kLineSize = 16384;       // more than any line

char g_line[kLineSize];

struct Case {
    std::string name;  // DIALDIGIT/empty
    Bytes packet;
    FloorLine op_floor;
    FloorLine tc_floor;
};

char* operator_line(Case& c, char* dst) {
    return decode_paket(dst, kLineSize, c.packet.data(), static_cast<unsigned short>(c.packet.size()), kMsgType,
                        kSkipType);
}

char* testcall_line(Case& c, char* dst) {
    return decode_paket_testcall(dst, kLineSize, c.packet.data(), static_cast<unsigned short>(c.packet.size()),
                                 kIncoming);
}

// The floor must write the very line the decoder writes, or it measures
// something else.
bool same_line(const std::string& what, const char* decoded, const FloorLine& floor) {
    static char expected[kLineSize];
    floor(expected, kLineSize);
    if (std::strcmp(decoded, expected) == 0) return true;
    std::fprintf(stderr, "%s: the floor writes another line\n decoder: %s\n floor:   %s\n", what.c_str(), decoded,
                 expected);
    return false;
}

std::deque<Case>& cases() {
    static std::deque<Case> all;
    return all;
}

void decoder_case(benchmark::State& state, Case* c, bool tc) {
    for (auto _ : state) {
        char* r = tc ? testcall_line(*c, g_line) : operator_line(*c, g_line);
        benchmark::DoNotOptimize(r);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
}

void floor_case(benchmark::State& state, const FloorLine* floor) {
    for (auto _ : state) {
        benchmark::DoNotOptimize((*floor)(g_line, kLineSize));
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
}

void decoder_mix(benchmark::State& state, bool tc) {
    std::deque<Case>& all = cases();
    for (auto _ : state) {
        for (Case& c : all) {
            char* r = tc ? testcall_line(c, g_line) : operator_line(c, g_line);
            benchmark::DoNotOptimize(r);
            benchmark::ClobberMemory();
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<long>(all.size()));
}

void floor_mix(benchmark::State& state, bool tc) {
    std::deque<Case>& all = cases();
    for (auto _ : state) {
        for (const Case& c : all) {
            benchmark::DoNotOptimize((tc ? c.tc_floor : c.op_floor)(g_line, kLineSize));
            benchmark::ClobberMemory();
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<long>(all.size()));
}

}  // namespace

bool register_decoder_benchmarks() {
    bool ok = true;
    const struct {
        const char* kind;
        Bytes block;
    } blocks[] = {{"empty", empty_block()}, {"full", full_block()}};
    for (const auto& b : blocks) {
        for (const Sample& s : listed_packets(b.block)) {
            Case c{s.name + "/" + b.kind, s.bytes, operator_floor(s, kMsgType, kSkipType), testcall_floor(s, kIncoming)};
            ok &= same_line("operator/" + c.name, operator_line(c, g_line) ? g_line : "", c.op_floor);
            ok &= same_line("testcall/" + c.name, testcall_line(c, g_line) ? g_line : "", c.tc_floor);
            cases().push_back(std::move(c));
        }
    }
    for (const char* decoder : {"operator", "testcall"}) {
        const bool tc = decoder[0] == 't';
        for (Case& c : cases()) {
            const std::string name = std::string(decoder) + "/" + c.name;
            benchmark::RegisterBenchmark(name.c_str(), decoder_case, &c, tc);
            benchmark::RegisterBenchmark((name + kFloorSuffix).c_str(), floor_case, tc ? &c.tc_floor : &c.op_floor);
        }
        const std::string mix = std::string(decoder) + kMixName;
        benchmark::RegisterBenchmark(mix.c_str(), decoder_mix, tc);
        benchmark::RegisterBenchmark((mix + kFloorSuffix).c_str(), floor_mix, tc);
    }
    return ok;
}

}  // namespace bench
