// Both decoders on every listed packet type with an empty and a full block,
// each next to its floors, and the mixes.
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
constexpr unsigned char kSkipType = 0;  // no parameter left out of the operator line
constexpr bool kIncoming = true;
constexpr int kLineSize = 16384;  // more than any line

char g_line[kLineSize];

struct Case {
    std::string name;  // DIALDIGIT/empty
    bool full;
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

// A floor must write the very text the decoder writes, or it measures
// something else.
template <typename Floor>
bool same_text(const std::string& what, const char* decoded, const Floor& floor) {
    static char expected[kLineSize];
    floor(expected, kLineSize);
    if (std::strcmp(decoded, expected) == 0) return true;
    std::fprintf(stderr, "%s: the floor writes another text\n decoder: %s\n floor:   %s\n", what.c_str(), decoded,
                 expected);
    return false;
}

std::deque<Case>& cases() {
    static std::deque<Case> all;
    return all;
}

const BlockCalls& block_calls(bool tc) {
    static const BlockCalls op = full_block_calls(kSkipType != 160);
    static const BlockCalls testcall = full_block_calls(false);
    return tc ? testcall : op;
}

char* decode(Case& c, bool tc) { return tc ? testcall_line(c, g_line) : operator_line(c, g_line); }

int floor_line(const Case& c, bool tc) { return (tc ? c.tc_floor : c.op_floor)(g_line, kLineSize); }

// The line's floor plus the host-formatter calls its block cannot do without.
int floor_with_block(const Case& c, bool tc) {
    static char block[kLineSize];
    if (c.full) benchmark::DoNotOptimize(block_calls(tc)(block, kLineSize));
    return floor_line(c, tc);
}

enum class Kind { Decoder, Floor, FloorWithBlock };

void one_case(benchmark::State& state, Case* c, bool tc, Kind kind) {
    for (auto _ : state) {
        if (kind == Kind::Decoder) benchmark::DoNotOptimize(decode(*c, tc));
        else if (kind == Kind::Floor) benchmark::DoNotOptimize(floor_line(*c, tc));
        else benchmark::DoNotOptimize(floor_with_block(*c, tc));
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
}

// Every case of the chosen blocks in turn, as a trace would bring them.
void mix(benchmark::State& state, int blocks, bool tc, Kind kind) {  // blocks: 0 empty, 1 full, 2 both
    std::vector<Case*> chosen;
    for (Case& c : cases())
        if (blocks == 2 || c.full == (blocks == 1)) chosen.push_back(&c);
    for (auto _ : state) {
        for (Case* c : chosen) {
            if (kind == Kind::Decoder) benchmark::DoNotOptimize(decode(*c, tc));
            else if (kind == Kind::Floor) benchmark::DoNotOptimize(floor_line(*c, tc));
            else benchmark::DoNotOptimize(floor_with_block(*c, tc));
            benchmark::ClobberMemory();
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<long>(chosen.size()));
}

std::vector<std::string> g_case_names;

}  // namespace

const std::vector<std::string>& decoder_case_names() { return g_case_names; }

bool register_decoder_benchmarks() {
    bool ok = true;
    const struct {
        const char* kind;
        bool full;
        Bytes block;
    } blocks[] = {{"empty", false, empty_block()}, {"full", true, full_block()}};
    for (const auto& b : blocks) {
        for (const Sample& s : listed_packets(b.block)) {
            Case c{s.name + "/" + b.kind, b.full, s.bytes, operator_floor(s, kMsgType, kSkipType),
                   testcall_floor(s, kIncoming)};
            ok &= same_text("operator/" + c.name, operator_line(c, g_line) ? g_line : "", c.op_floor);
            ok &= same_text("testcall/" + c.name, testcall_line(c, g_line) ? g_line : "", c.tc_floor);
            if (b.full && s.type != PKT_KLT_NTRDY) {  // 211 has no block
                ok &= same_text("operator block of " + c.name, c.op_floor.args.block.c_str(), block_calls(false));
                ok &= same_text("testcall block of " + c.name, c.tc_floor.args.block.c_str(), block_calls(true));
            }
            cases().push_back(std::move(c));
        }
    }
    for (const char* decoder : {"operator", "testcall"}) {
        const bool tc = decoder[0] == 't';
        for (Case& c : cases()) {
            const std::string name = std::string(decoder) + "/" + c.name;
            g_case_names.push_back(name);
            benchmark::RegisterBenchmark(name.c_str(), one_case, &c, tc, Kind::Decoder);
            benchmark::RegisterBenchmark((name + kFloorSuffix).c_str(), one_case, &c, tc, Kind::Floor);
            if (c.full && c.op_floor.args.block.size() != 0)
                benchmark::RegisterBenchmark((name + kFloorWithBlockSuffix).c_str(), one_case, &c, tc,
                                             Kind::FloorWithBlock);
        }
        const char* mixes[] = {"empty", "full", "all"};
        for (int m = 0; m < 3; ++m) {
            const std::string name = std::string(decoder) + kMixInfix + mixes[m];
            g_case_names.push_back(name);
            benchmark::RegisterBenchmark(name.c_str(), mix, m, tc, Kind::Decoder);
            benchmark::RegisterBenchmark((name + kFloorSuffix).c_str(), mix, m, tc, Kind::Floor);
            if (m != 0)
                benchmark::RegisterBenchmark((name + kFloorWithBlockSuffix).c_str(), mix, m, tc,
                                             Kind::FloorWithBlock);
        }
    }
    return ok;
}

}  // namespace bench
