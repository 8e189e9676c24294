// The control-code phase table of the code and that of docs/calls.md are one table.
#include "calls/control_phase.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "paketlog.h"

namespace paketlog {
namespace tool {
namespace {

struct DocRow {
    std::string control;
    std::string phase;
};

// The rows of the table under "## Control codes and call phases": code -> row.
std::map<int, DocRow> documented() {
    std::ifstream in(PAKETLOG_CALLS_DOC);
    std::map<int, DocRow> rows;
    std::string line;
    bool in_section = false;
    while (std::getline(in, line)) {
        if (line.rfind("## ", 0) == 0) in_section = line == "## Control codes and call phases";
        if (!in_section || line.rfind("| ", 0) != 0 || line.rfind("| Code", 0) == 0) continue;
        std::stringstream cells(line.substr(2));
        std::string code, control, phase;
        std::getline(cells, code, '|');
        std::getline(cells, control, '|');
        std::getline(cells, phase, '|');
        const auto trim = [](std::string s) {
            while (!s.empty() && s.back() == ' ') s.pop_back();
            while (!s.empty() && s.front() == ' ') s.erase(0, 1);
            return s;
        };
        rows[std::stoi(code)] = {trim(control), trim(phase)};
    }
    return rows;
}

std::string phase_words(unsigned phases) {
    static const std::pair<unsigned, const char*> kWords[] = {{kPhaseAnswer, "answer"}, {kPhaseBusy, "busy"},
                                                             {kPhaseReject, "reject"}, {kPhaseRelease, "release"},
                                                             {kPhaseHold, "hold"},     {kPhasePtt, "ptt"}};
    std::string words;
    for (const auto& w : kWords) {
        if ((phases & w.first) == 0) continue;
        if (!words.empty()) words += ", ";
        words += w.second;
    }
    return words.empty() ? "none" : words;
}

TEST(ControlPhases, DocumentedTableHasEveryRowOfTheCode) {
    EXPECT_EQ(documented().size(), sizeof kControlPhases / sizeof kControlPhases[0]);
}

TEST(ControlPhases, EachRowAsDocumented) {
    const std::map<int, DocRow> doc = documented();
    for (const ControlPhase& row : kControlPhases) {
        const auto found = doc.find(row.code);
        ASSERT_NE(found, doc.end()) << "code " << int(row.code) << " is not in docs/calls.md";
        EXPECT_EQ(found->second.control, get_name_control(row.code, false)) << "code " << int(row.code);
        EXPECT_EQ(found->second.phase.substr(0, phase_words(row.phases).size()), phase_words(row.phases))
            << "code " << int(row.code);
    }
}

TEST(ControlPhases, UnlistedCodeHasNoPhase) { EXPECT_EQ(control_phases(2), 0u); }

TEST(ControlPhases, RejectAlsoReleases) { EXPECT_EQ(control_phases(130), kPhaseReject | kPhaseRelease); }

}  // namespace
}  // namespace tool
}  // namespace paketlog
