// The re-entrant forms on four threads at once, each with its own workspace,
// every line as a single thread gives it (the corpus, checked by Golden.*).
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "golden.h"

using namespace testing_support;

TEST(Threads, CorpusOnFourThreadsWithTheirOwnWorkspaces) {
    constexpr int kThreads = 4, kRounds = 200, kLine = 16384;
    const std::vector<GoldenEntry>& corpus = golden_corpus();
    std::vector<ExactPacket> packets;
    for (const GoldenEntry& e : corpus) packets.emplace_back(e.packet);
    std::vector<std::string> mismatches(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            auto ws = std::make_unique<paketlog::Workspace>();
            std::vector<char> dst(kLine);
            // Each thread starts at another entry: different packets in flight at once.
            for (std::size_t k = 0; k < kRounds * corpus.size(); ++k) {
                const std::size_t i = (k + t * corpus.size() / kThreads) % corpus.size();
                for (int form = 1; form < kForms; form += 2)
                    for (bool incoming : {true, false}) {
                        decode_form(form, *ws, dst.data(), kLine, packets[i].get(), packets[i].length, corpus[i],
                                    incoming);
                        if (form_line(form, corpus[i], incoming) != dst.data() && mismatches[t].empty())
                            mismatches[t] = corpus[i].name;
                    }
            }
        });
    for (std::thread& thread : threads) thread.join();
    for (int t = 0; t < kThreads; ++t) EXPECT_EQ(mismatches[t], "") << "thread " << t << ": first mismatch";
}
