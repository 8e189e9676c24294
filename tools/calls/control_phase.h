// What a CONTROL packet's code means for its call: the one table from control
// code to call phase. docs/calls.md shows the same table; a correction is
// made in both and nowhere else.
#ifndef PAKETLOG_TOOLS_CALLS_CONTROL_PHASE_H
#define PAKETLOG_TOOLS_CALLS_CONTROL_PHASE_H

#include <array>

namespace paketlog {
namespace tool {

// A code may mean more than one: a rejection also releases the call.
enum CallPhase : unsigned {
    kPhaseAnswer = 1u << 0,   // the call is answered
    kPhaseBusy = 1u << 1,     // the called party is busy
    kPhaseReject = 1u << 2,   // the call is rejected
    kPhaseRelease = 1u << 3,  // the call is released; the packet's cause is the call's
    kPhaseHold = 1u << 4,     // a party is put on hold (counted)
    kPhasePtt = 1u << 5,      // the push-to-talk key is pressed (counted)
};

struct ControlPhase {
    unsigned char code;
    unsigned phases;
    const char* why;  // for the reader of this table
};

// A code not listed here, or listed with no phase, leaves the call's phase as it is.
constexpr ControlPhase kControlPhases[] = {
    {1, kPhaseRelease, "toFB_CTRL_DOBYE: the switch releases the call"},
    {3, kPhaseAnswer, "toFB_CTRL_ESTABLISHED: the switch reports the answer"},
    {10, kPhasePtt, "toFB_CTRL_TANGENTA_ON"},
    {23, kPhaseHold, "toFB_CTRL_SETHOLD: the switch confirms a hold"},
    {31, kPhaseBusy, "toFB_CTRL_B_BUSY"},
    {53, kPhaseHold, "toFB_CTRL_ANOTHER_SETHOLD: another party is put on hold"},
    {129, kPhaseAnswer, "frFB_CTRL_ESTABLISH: the terminal answers"},
    {130, kPhaseReject | kPhaseRelease, "frFB_CTRL_REJECT"},
    {131, kPhaseRelease, "frFB_CTRL_BYE: the terminal releases the call"},
    {138, kPhasePtt, "frFB_CTRL_TANGENTA_ON"},
    {145, 0, "frFB_CTRL_SETHOLD: the terminal asks for a hold; counted by its confirmation, 23"},
};

// The phases of every code, for a lookup by index.
struct PhasesByCode {
    std::array<unsigned, 256> of{};
    constexpr PhasesByCode() {
        for (const ControlPhase& row : kControlPhases) of[row.code] = row.phases;
    }
};
inline constexpr PhasesByCode kPhasesByCode{};

constexpr unsigned control_phases(unsigned char code) { return kPhasesByCode.of[code]; }

}  // namespace tool
}  // namespace paketlog

#endif
