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

// Prints the table and the verdict per decoder.
void print_ratios(const RatioReporter& r) {
    const std::vector<std::string> names = r.paired_cases();
    if (names.empty()) return;
    std::printf("\nDecoder time / floor time, CPU time of this run. floor: the line's one snprintf with every\n"
                "argument rendered beforehand; floor+block: that and the host-formatter calls of the block's\n"
                "parameters (one each, one per dumped byte), their argument texts rendered beforehand.\n");
    std::printf("%-34s %11s %11s %7s %13s %7s\n", "case", "decoder ns", "floor ns", "ratio", "floor+block", "ratio");
    // Per decoder and per block kind ("empty", "full", "all"): the mix and
    // the worst single case, against each floor.
    struct Verdict {
        double mix = -1, worst = -1;
        std::string worst_case;
        void add(const std::string& name, bool is_mix, double ratio) {
            if (is_mix) {
                mix = ratio;
            } else if (ratio > worst) {
                worst = ratio;
                worst_case = name;
            }
        }
    };
    std::map<std::string, std::map<std::string, Verdict>> against_floor, against_block;
    for (const std::string& name : names) {
        const double decoder = r.time_of(name);
        const double floor = r.time_of(name + bench::kFloorSuffix);
        const double with_block = r.time_of(name + bench::kFloorWithBlockSuffix);
        const double ratio = floor > 0 ? decoder / floor : 0;
        std::printf("%-34s %11.1f %11.1f %7.2f", name.c_str(), decoder, floor, ratio);
        if (with_block > 0) std::printf(" %13.1f %7.2f", with_block, decoder / with_block);
        std::printf("\n");
        const std::string decoder_name = name.substr(0, name.find('/'));
        const std::string kind = name.substr(name.rfind('/') + 1);  // empty, full or all
        const bool is_mix = name.find(bench::kMixInfix) != std::string::npos;
        against_floor[decoder_name][kind].add(name, is_mix, ratio);
        if (kind != "all") against_floor[decoder_name]["all"].add(name, is_mix, ratio);
        if (with_block > 0) against_block[decoder_name][kind].add(name, is_mix, decoder / with_block);
    }
    auto line = [](const char* what, const Verdict& v) {
        std::printf("  %-34s", what);
        if (v.mix >= 0) std::printf(" mix %5.2f", v.mix);
        else std::printf(" mix   -  ");
        if (v.worst >= 0) std::printf(", worst %5.2f %s", v.worst, v.worst_case.c_str());
    };
    std::printf("\nTargets: mix <= %.0f, every case <= %.0f (against the floor)\n", kMixTarget, kCaseTarget);
    for (auto& [decoder, kinds] : against_floor) {
        std::printf("%s\n", decoder.c_str());
        for (const char* kind : {"empty", "full", "all"}) {
            if (kinds.count(kind) == 0) continue;
            const Verdict& v = kinds[kind];
            const bool met = (v.mix < 0 || v.mix <= kMixTarget) && v.worst <= kCaseTarget;
            line((std::string(kind) + " blocks, against the floor").c_str(), v);
            std::printf(": %s\n", met ? "met" : "MISSED");
        }
        for (const char* kind : {"full", "all"}) {
            auto it = against_block[decoder].find(kind);
            if (it == against_block[decoder].end()) continue;
            line((std::string(kind) + " blocks, against floor+block").c_str(), it->second);
            std::printf("\n");
        }
    }
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
    print_ratios(reporter);
    benchmark::Shutdown();
    return 0;
}
