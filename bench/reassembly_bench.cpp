// The cost of putting a fragmented datagram back together as the number of
// its pieces grows: time per piece (items_per_second) should stay about flat,
// whatever order or repeats the pieces come in.
//
//   build/bench/paketlog_reassembly_bench --benchmark_min_time=0.05
#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <vector>

#include "capture/ip_reassembly.h"

namespace {

using paketlog::tool::Reassembler;
using paketlog::tool::UdpDatagram;

// `count` pieces of 8 bytes making one datagram, in order.
std::vector<UdpDatagram> pieces_of(const std::vector<unsigned char>& bytes, std::size_t count) {
    std::vector<UdpDatagram> pieces(count);
    for (std::size_t i = 0; i < count; ++i) {
        UdpDatagram& p = pieces[i];
        p.kind = UdpDatagram::Kind::Fragment;
        p.payload = bytes.data() + 8 * i;
        p.size = p.piece.length = 8;
        p.piece.offset = 8 * i;
        p.piece.more = i + 1 < count;
    }
    return pieces;
}

void run(benchmark::State& state, const std::vector<UdpDatagram>& pieces) {
    std::vector<unsigned char> whole;
    for (auto _ : state) {
        Reassembler r;
        unsigned long frame = 0;
        for (const UdpDatagram& p : pieces) benchmark::DoNotOptimize(r.add(p, ++frame, whole));
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * pieces.size()));
}

void in_order(benchmark::State& state) {
    const std::vector<unsigned char> bytes(8 * static_cast<std::size_t>(state.range(0)), 0xAB);
    run(state, pieces_of(bytes, static_cast<std::size_t>(state.range(0))));
}

void shuffled(benchmark::State& state) {
    const std::vector<unsigned char> bytes(8 * static_cast<std::size_t>(state.range(0)), 0xAB);
    std::vector<UdpDatagram> pieces = pieces_of(bytes, static_cast<std::size_t>(state.range(0)));
    std::shuffle(pieces.begin(), pieces.end(), std::mt19937(1));
    run(state, pieces);
}

// Every other piece first, then the gaps: the most pieces held apart.
void alternate(benchmark::State& state) {
    const std::vector<unsigned char> bytes(8 * static_cast<std::size_t>(state.range(0)), 0xAB);
    std::vector<UdpDatagram> pieces = pieces_of(bytes, static_cast<std::size_t>(state.range(0)));
    std::stable_partition(pieces.begin(), pieces.end(), [](const UdpDatagram& p) { return p.piece.offset % 16 == 0; });
    run(state, pieces);
}

// The first piece again and again, then the last: repeats do not count
// towards the limit on pieces, so there is no bound on their number.
void repeats(benchmark::State& state) {
    const std::vector<unsigned char> bytes(16, 0xAB);
    const std::vector<UdpDatagram> two = pieces_of(bytes, 2);
    std::vector<UdpDatagram> pieces(static_cast<std::size_t>(state.range(0)), two[0]);
    pieces.push_back(two[1]);
    run(state, pieces);
}

// Pieces of no bytes, then the datagram's two real pieces.
void empty_pieces(benchmark::State& state) {
    const std::vector<unsigned char> bytes(16, 0xAB);
    std::vector<UdpDatagram> pieces = pieces_of(bytes, 2);
    UdpDatagram empty = pieces[0];
    empty.size = empty.piece.length = 0;
    pieces.insert(pieces.begin(), static_cast<std::size_t>(state.range(0)), empty);
    run(state, pieces);
}

constexpr std::int64_t kMostPieces = static_cast<std::int64_t>(Reassembler::kMaxPieces);

BENCHMARK(in_order)->Name("reassembly/in_order")->RangeMultiplier(4)->Range(4, kMostPieces);
BENCHMARK(shuffled)->Name("reassembly/shuffled")->RangeMultiplier(4)->Range(4, kMostPieces);
BENCHMARK(alternate)->Name("reassembly/alternate")->RangeMultiplier(4)->Range(4, kMostPieces);
BENCHMARK(repeats)->Name("reassembly/repeats")->RangeMultiplier(8)->Range(8, 32768);
BENCHMARK(empty_pieces)->Name("reassembly/empty_pieces")->RangeMultiplier(8)->Range(8, 32768);

}  // namespace

BENCHMARK_MAIN();
