// Runs the benchmarks, then prints for every decoder case and for the mix the
// ratio decoder time / floor time, measured in this same run.
//
//   build/bench/paketlog_bench --benchmark_min_time=0.05
//   build/bench/paketlog_bench --benchmark_filter='operator|testcall' --benchmark_repetitions=3
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "registry.h"

namespace {

constexpr double kMixTarget = 3.0;
constexpr double kCaseTarget = 5.0;

// The console output as usual, keeping the CPU time of every run by name.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
            const std::string name = run.run_name.str();
            if (times_.count(name) == 0) order_.push_back(name);
            times_[name].push_back(run.GetAdjustedCPUTime());
        }
        ConsoleReporter::ReportRuns(runs);
    }

    // Median over the repetitions of a name; negative when it did not run.
    double time_of(const std::string& name) const {
        auto it = times_.find(name);
        if (it == times_.end()) return -1;
        std::vector<double> t = it->second;
        std::sort(t.begin(), t.end());
        return t[t.size() / 2];
    }

    // The decoder cases that ran together with their floors, in run order.
    std::vector<std::string> paired_cases() const {
        std::vector<std::string> out;
        for (const std::string& name : order_)
            if (times_.count(name + bench::kFloorSuffix) != 0) out.push_back(name);
        return out;
    }

private:
    std::map<std::string, std::vector<double>> times_;
    std::vector<std::string> order_;
};

// Prints the table and the verdict per decoder; false when a target is missed.
bool print_ratios(const RatioReporter& r) {
    const std::vector<std::string> names = r.paired_cases();
    if (names.empty()) return true;
    std::printf("\nDecoder time / floor time, CPU time of this run. floor: the line's one snprintf with every\n"
                "argument rendered beforehand; floor+block: that and the host-formatter calls of the block's\n"
                "parameters (one each, one per dumped byte), their argument texts rendered beforehand.\n");
    std::printf("%-34s %11s %11s %7s %13s %7s\n", "case", "decoder ns", "floor ns", "ratio", "floor+block", "ratio");
    struct Verdict {
        double mix = -1, worst = 0;
        std::string worst_case;
    };
    std::map<std::string, Verdict> verdicts;
    for (const std::string& name : names) {
        const double decoder = r.time_of(name);
        const double floor = r.time_of(name + bench::kFloorSuffix);
        const double with_block = r.time_of(name + bench::kFloorWithBlockSuffix);
        const double ratio = floor > 0 ? decoder / floor : 0;
        std::printf("%-34s %11.1f %11.1f %7.2f", name.c_str(), decoder, floor, ratio);
        if (with_block > 0) std::printf(" %13.1f %7.2f", with_block, decoder / with_block);
        std::printf("\n");
        Verdict& v = verdicts[name.substr(0, name.find('/'))];
        if (name.find(bench::kMixInfix) != std::string::npos) {
            if (name.size() >= std::strlen(bench::kMixOfAll) &&
                name.compare(name.size() - std::strlen(bench::kMixOfAll), std::string::npos, bench::kMixOfAll) == 0)
                v.mix = ratio;
        } else if (ratio > v.worst) {
            v.worst = ratio;
            v.worst_case = name;
        }
    }
    bool ok = true;
    std::printf("\n");
    for (const auto& [decoder, v] : verdicts) {
        const bool mix_ok = v.mix < 0 || v.mix <= kMixTarget;
        const bool worst_ok = v.worst <= kCaseTarget;
        ok &= mix_ok && worst_ok;
        if (v.mix >= 0)
            std::printf("%-9s mix of all %.2f (target <= %.0f), ", decoder.c_str(), v.mix, kMixTarget);
        else
            std::printf("%-9s mix not run, ", decoder.c_str());
        std::printf("worst case %.2f %s (target <= %.0f): %s\n", v.worst, v.worst_case.c_str(), kCaseTarget,
                    mix_ok && worst_ok ? "met" : "MISSED");
    }
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    if (!bench::register_decoder_benchmarks()) return 2;
    bench::register_param_benchmarks();
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::fflush(stdout);
    const bool met = print_ratios(reporter);
    benchmark::Shutdown();
    return met ? 0 : 3;
}
