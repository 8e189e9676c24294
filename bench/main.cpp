// Runs the benchmarks, then prints for every decoder case and for the mix the
// ratio decoder time / floor time, measured in this same run.
//
//   build/bench/paketlog_bench --benchmark_min_time=0.05
//   build/bench/paketlog_bench --benchmark_filter='operator|testcall' --benchmark_min_time=0.1
//       --benchmark_repetitions=5 --benchmark_enable_random_interleaving=true
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
            times_[name].push_back(run.GetAdjustedCPUTime());
        }
        ConsoleReporter::ReportRuns(runs);
    }

    // Fastest of the repetitions of a name, the one least disturbed by
    // neighbours on a shared machine; negative when it did not run.
    double time_of(const std::string& name) const {
        auto it = times_.find(name);
        if (it == times_.end()) return -1;
        return *std::min_element(it->second.begin(), it->second.end());
    }

    // The decoder cases that ran together with their floors, in registration order.
    std::vector<std::string> paired_cases() const {
        std::vector<std::string> out;
        for (const std::string& name : bench::decoder_case_names())
            if (times_.count(name) != 0 && times_.count(name + bench::kFloorSuffix) != 0) out.push_back(name);
        return out;
    }

private:
    std::map<std::string, std::vector<double>> times_;
};

// The mix and the worst single case of one group of ratios.
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

enum class Judge { No, Mix, MixAndCases };

void print_verdict(const char* what, const Verdict& v, Judge judge) {
    if (v.mix < 0 && v.worst < 0) return;
    std::printf("  %-40s", what);
    if (v.mix >= 0) std::printf(" mix %5.2f", v.mix);
    else std::printf(" mix   -  ");
    if (v.worst >= 0) std::printf(", worst %5.2f %s", v.worst, v.worst_case.c_str());
    const bool mix_met = v.mix < 0 || v.mix <= kMixTarget;
    if (judge == Judge::Mix) std::printf(": mix %s", mix_met ? "met" : "MISSED");
    if (judge == Judge::MixAndCases) std::printf(": %s", mix_met && v.worst <= kCaseTarget ? "met" : "MISSED");
    std::printf("\n");
}

// Prints the table and the verdicts per decoder.
void print_ratios(const RatioReporter& r) {
    const std::vector<std::string> names = r.paired_cases();
    if (names.empty()) return;
    std::printf("\nDecoder time / floor time, fastest CPU time of each in this run. floor: the line's one\n"
                "snprintf with every argument rendered beforehand; floor+block: that and the host-formatter\n"
                "calls of the block's parameters (one each, one per dumped byte), their argument texts\n"
                "rendered beforehand.\n");
    std::printf("%-34s %11s %11s %7s %13s %7s\n", "case", "decoder ns", "floor ns", "ratio", "floor+block", "ratio");
    struct Groups {
        Verdict empty, all, full, block_share, full_by_block;
    };
    std::map<std::string, Groups> by_decoder;
    for (const std::string& name : names) {
        const double decoder = r.time_of(name);
        const double floor = r.time_of(name + bench::kFloorSuffix);
        const double with_block = r.time_of(name + bench::kFloorWithBlockSuffix);
        const double ratio = floor > 0 ? decoder / floor : 0;
        std::printf("%-34s %11.1f %11.1f %7.2f", name.c_str(), decoder, floor, ratio);
        if (with_block > 0) std::printf(" %13.1f %7.2f", with_block, decoder / with_block);
        std::printf("\n");
        Groups& g = by_decoder[name.substr(0, name.find('/'))];
        const std::string kind = name.substr(name.rfind('/') + 1);  // empty, full or all
        const bool is_mix = name.find(bench::kMixInfix) != std::string::npos;
        if (kind == "empty") g.empty.add(name, is_mix, ratio);
        if (!is_mix || name.find(bench::kMixOfAll) != std::string::npos) g.all.add(name, is_mix, ratio);
        if (kind == "full") g.full.add(name, is_mix, ratio);
        if (kind == "full" && with_block > 0 && floor > 0) {
            g.block_share.add(name, is_mix, with_block / floor);
            g.full_by_block.add(name, is_mix, decoder / with_block);
        }
    }
    std::printf("\nTargets: mix <= %.0f, every case <= %.0f. A full block makes 20 host-formatter calls, so\n"
                "its cases are judged against floor+block; the mix of all cases against the floor.\n",
                kMixTarget, kCaseTarget);
    for (const auto& [decoder, g] : by_decoder) {
        std::printf("%s\n", decoder.c_str());
        print_verdict("empty blocks / floor", g.empty, Judge::MixAndCases);
        print_verdict("full blocks / floor+block", g.full_by_block, Judge::MixAndCases);
        print_verdict("empty and full / floor", g.all, Judge::Mix);
        print_verdict("full blocks / floor", g.full, Judge::No);
        print_verdict("full blocks, floor+block / floor", g.block_share, Judge::No);
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
