// The re-entrant forms on several threads at once, each thread with its own
// workspace: every line as a single thread gives it.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "golden.h"
#include "paketlog.h"

using testing_support::ExactPacket;
using testing_support::golden_corpus;
using testing_support::GoldenEntry;

namespace {

constexpr int kLine = 16384;
constexpr int kThreads = 4;
constexpr int kRounds = 200;

struct Lines {
    std::string op, tc_in, tc_out, tc_trusting;
};

// The four lines of one entry: through `ws`, or through the legacy forms'
// library-wide workspace when it is null.
Lines decode(paketlog::Workspace* ws, const GoldenEntry& e, const ExactPacket& p, std::vector<char>& dst) {
    char* d = dst.data();
    Lines lines;
    if (ws) decode_paket(*ws, d, kLine, p.get(), p.length, e.msg_type, e.skip_type);
    else decode_paket(d, kLine, p.get(), p.length, e.msg_type, e.skip_type);
    lines.op = d;
    if (ws) decode_paket_testcall(*ws, d, kLine, p.get(), p.length, true);
    else decode_paket_testcall(d, kLine, p.get(), p.length, true);
    lines.tc_in = d;
    if (ws) decode_paket_testcall(*ws, d, kLine, p.get(), p.length, false);
    else decode_paket_testcall(d, kLine, p.get(), p.length, false);
    lines.tc_out = d;
    if (ws) decode_paket_testcall(*ws, d, kLine, p.get(), false);
    else decode_paket_testcall(d, kLine, p.get(), false);
    lines.tc_trusting = d;
    return lines;
}

}  // namespace

TEST(Threads, CorpusOnFourThreadsWithTheirOwnWorkspaces) {
    const std::vector<GoldenEntry>& corpus = golden_corpus();
    std::vector<ExactPacket> packets;
    for (const GoldenEntry& e : corpus) packets.emplace_back(e.packet);

    // The single-threaded result, through the legacy forms.
    std::vector<Lines> expected;
    std::vector<char> dst(kLine);
    for (std::size_t i = 0; i < corpus.size(); ++i) expected.push_back(decode(nullptr, corpus[i], packets[i], dst));

    // Each thread starts at another entry, so different packets (and the
    // texts they fill) are in flight at the same time.
    std::vector<int> mismatches(kThreads, 0);
    std::vector<std::string> first_mismatch(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            auto ws = std::make_unique<paketlog::Workspace>();
            std::vector<char> line(kLine);
            for (int round = 0; round < kRounds; ++round) {
                for (std::size_t k = 0; k < corpus.size(); ++k) {
                    const std::size_t i = (k + static_cast<std::size_t>(t) * corpus.size() / kThreads) % corpus.size();
                    const Lines got = decode(ws.get(), corpus[i], packets[i], line);
                    const Lines& want = expected[i];
                    if (got.op != want.op || got.tc_in != want.tc_in || got.tc_out != want.tc_out ||
                        got.tc_trusting != want.tc_trusting) {
                        if (mismatches[t]++ == 0) first_mismatch[t] = corpus[i].name;
                    }
                }
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    for (int t = 0; t < kThreads; ++t)
        EXPECT_EQ(mismatches[t], 0) << "thread " << t << ", first at " << first_mismatch[t];
    // And the single-threaded result is the corpus itself.
    for (std::size_t i = 0; i < corpus.size(); ++i) {
        EXPECT_EQ(expected[i].op, corpus[i].op) << corpus[i].name;
        EXPECT_EQ(expected[i].tc_out, corpus[i].tc_out) << corpus[i].name;
    }
}
