// The call model: which packets make a call, what a call records of them,
// and when a call is handed on.
#include "calls/call_model.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "call_packets.h"

namespace paketlog {
namespace tool {
namespace {

using namespace test;

struct Collected : CallSink {
    void finished(const Call& call) override { calls.push_back(call); }
    std::vector<Call> calls;
};

CallTime at(double seconds) {
    CallTime t;
    t.seconds = 1709285400 + static_cast<std::int64_t>(seconds);
    t.nanoseconds = static_cast<std::uint32_t>((seconds - static_cast<std::int64_t>(seconds)) * 1e9 + 0.5);
    t.timed = true;
    return t;
}

CallTime numbered(std::int64_t n) {
    CallTime t;
    t.seconds = n;
    return t;
}

class Model : public ::testing::Test {
protected:
    explicit Model(CallModel::Settings settings = {}) : model(settings, sink) {}

    void add(const Bytes& packet, CallTime time, std::string_view src = "", std::string_view dst = "",
             CallPacket::Direction direction = CallPacket::Direction::Unknown) {
        CallPacket p;
        p.bytes = packet.data();
        p.size = packet.size();
        p.time = time;
        p.src = src;
        p.dst = dst;
        p.direction = direction;
        model.add(p);
    }
    void add(const Bytes& packet, double seconds = 0) { add(packet, at(seconds)); }
    // The one call the packets made.
    const Call& only() {
        model.finish();
        EXPECT_EQ(sink.calls.size(), 1u);
        static Call none;
        return sink.calls.empty() ? none : sink.calls.front();
    }

    Collected sink;
    CallModel model;
};

TEST_F(Model, ModuleReportIsNoCall) {
    add(klt_rdy());
    model.finish();
    EXPECT_TRUE(sink.calls.empty());
}

TEST_F(Model, UnlistedTypeIsNoCall) {
    Bytes p = header(131, 1001);
    p.resize(14);
    add(p);
    model.finish();
    EXPECT_TRUE(sink.calls.empty());
}

TEST_F(Model, PacketEndingBeforeItsSeanceIsNoCall) {
    Bytes p = control(1001, 3);
    p.resize(9);
    add(p);
    model.finish();
    EXPECT_TRUE(sink.calls.empty());
}

TEST_F(Model, PacketHoldingItsSeanceIsACall) {
    Bytes p = control(1001, 3);
    p.resize(10);
    add(p);
    EXPECT_EQ(only().seance, 1001u);
}

TEST_F(Model, PacketsOfOneSeanceMakeOneCall) {
    add(dialnumber(1001, "2015", "2001"), 0);
    add(control(1001, 34), 1);
    add(control(1001, 3), 2);
    EXPECT_EQ(only().packets, 3u);
}

TEST_F(Model, TwoSeancesMakeTwoCalls) {
    add(dialnumber(1001, "2015", "2001"));
    add(dialnumber(1002, "2016", "2001"));
    model.finish();
    ASSERT_EQ(sink.calls.size(), 2u);
    EXPECT_EQ(sink.calls[0].seance, 1001u);
    EXPECT_EQ(sink.calls[1].seance, 1002u);
}

TEST_F(Model, FirstAndLastAreTheTimesOfTheFirstAndLastPackets) {
    add(dialnumber(1001, "2015", "2001"), 0.5);
    add(control(1001, 34), 1.25);
    const Call& call = only();
    EXPECT_EQ(call.first.nanoseconds, 500000000u);
    EXPECT_EQ(call.last.seconds, 1709285401);
    EXPECT_EQ(call.last.nanoseconds, 250000000u);
}

TEST_F(Model, DirectionsCountInAndOut) {
    add(dialnumber(1001, "2015", "2001"), at(0), "", "", CallPacket::Direction::Out);
    add(control(1001, 34), at(1), "", "", CallPacket::Direction::In);
    add(control(1001, 3), at(2), "", "", CallPacket::Direction::In);
    const Call& call = only();
    EXPECT_EQ(call.in, 2u);
    EXPECT_EQ(call.out, 1u);
}

TEST_F(Model, EndpointsInTheOrderFirstSeenEachOnce) {
    add(dialnumber(1001, "2015", "2001"), at(0), "10.0.0.1.40000", "10.0.0.2.7700");
    add(control(1001, 34), at(1), "10.0.0.2.7700", "10.0.0.1.40000");
    add(control(1001, 3), at(2), "10.0.0.2.7700", "10.0.0.3.40002");
    EXPECT_EQ(only().endpoints, (std::vector<std::string>{"10.0.0.1.40000", "10.0.0.2.7700", "10.0.0.3.40002"}));
}

TEST_F(Model, EndpointsStopAtTheirLimit) {
    for (int i = 0; i < 10; ++i) {
        const std::string src = "10.0.0." + std::to_string(i) + ".1";
        add(control(1001, 34), at(i * 0.1), src, "10.0.0.99.7700");
    }
    EXPECT_EQ(only().endpoints.size(), CallLimits::kEndpoints);
}

TEST_F(Model, DialNumberGivesCalledAndCalling) {
    add(dialnumber(1001, "2015", "+74951234567"));
    const Call& call = only();
    EXPECT_EQ(call.called, "2015");
    EXPECT_EQ(call.calling, "+74951234567");
}

TEST_F(Model, NumbersSpellStarAndHash) {
    add(dialnumber(1001, "*21#", "2001"));
    EXPECT_EQ(only().called, "*21#");
}

TEST_F(Model, CallingNumGivesCalling) {
    add(callingnum(1007, "2020"));
    EXPECT_EQ(only().calling, "2020");
}

TEST_F(Model, CngSeanceGivesCalling) {
    add(cng_seance(1008, 1009, "+74957654321"));
    model.finish();
    ASSERT_FALSE(sink.calls.empty());
    EXPECT_EQ(sink.calls.front().calling, "+74957654321");
}

TEST_F(Model, LastNumberSeenWins) {
    add(dialnumber(1001, "2015", "2001"), 0);
    add(callingnum(1001, "2002"), 1);
    EXPECT_EQ(only().calling, "2002");
}

TEST_F(Model, EmptyNumberKeepsTheOneBefore) {
    add(dialnumber(1001, "2015", "2001"), 0);
    add(callingnum(1001, ""), 1);
    EXPECT_EQ(only().calling, "2001");
}

TEST_F(Model, NumberCutByThePacketEndIsNotRead) {
    Bytes p = dialnumber(1001, "2015", "2001");
    p.resize(63);  // the calling number ends at 64
    add(p);
    const Call& call = only();
    EXPECT_EQ(call.called, "2015");
    EXPECT_EQ(call.calling, "");
}

TEST_F(Model, DialDigitsMakeOneTextInOrder) {
    for (char d : std::string("2*1#+")) add(dialdigit(1004, d));
    EXPECT_EQ(only().digits, "2*1#+");
}

TEST_F(Model, NamesFromTheParametersInUtf8) {
    add(dialnumber(1001, "2015", "2001", {{160, text("\xc4\xe8\xf1\xef\xe5\xf2\xf7\xe5\xf0 1")}, {163, text("Ivanov")}}));
    const Call& call = only();
    ASSERT_EQ(call.names.size(), 2u);
    EXPECT_EQ(call.names[0], (std::pair<std::string, std::string>{"ENDPOINT_A", "Диспетчер 1"}));
    EXPECT_EQ(call.names[1], (std::pair<std::string, std::string>{"NAME_CALL", "Ivanov"}));
}

TEST_F(Model, NamesOfEndpointsBAndC) {
    add(control(1001, 3, {0, 0, 0, 0}, {{161, text("B")}, {170, text("C")}}));
    const Call& call = only();
    ASSERT_EQ(call.names.size(), 2u);
    EXPECT_EQ(call.names[0].first, "ENDPOINT_B");
    EXPECT_EQ(call.names[1].first, "ENDPOINT_C");
}

TEST_F(Model, OtherParametersAreNoNames) {
    add(dialnumber(1001, "2015", "2001", {{162, {7}}, {178, text("2016")}}));
    EXPECT_TRUE(only().names.empty());
}

TEST_F(Model, LastNameGivenWins) {
    add(dialnumber(1001, "2015", "2001", {{160, text("first")}}), 0);
    add(control(1001, 3, {0, 0, 0, 0}, {{160, text("second")}}), 1);
    const Call& call = only();
    ASSERT_EQ(call.names.size(), 1u);
    EXPECT_EQ(call.names[0].second, "second");
}

TEST_F(Model, NameWithoutItsNulEndsWithItsValue) {
    add(dialnumber(1001, "2015", "2001", {{160, {'a', 'b'}}, {163, text("c")}}));
    const Call& call = only();
    ASSERT_EQ(call.names.size(), 2u);
    EXPECT_EQ(call.names[0].second, "ab");
}

TEST_F(Model, EventsEveryControlInOrder) {
    add(control(1001, 34), 0);
    add(control(1001, 3), 1);
    const Call& call = only();
    ASSERT_EQ(call.events.size(), 2u);
    EXPECT_EQ(call.events[0].control, 34);
    EXPECT_EQ(call.events[1].control, 3);
    EXPECT_EQ(call.events[1].time.seconds, 1709285401);
}

TEST_F(Model, EventsPastTheirLimitAreCounted) {
    for (std::size_t i = 0; i < CallLimits::kEvents + 3; ++i) add(control(1001, 34), 0);
    const Call& call = only();
    EXPECT_EQ(call.events.size(), CallLimits::kEvents);
    EXPECT_EQ(call.events_omitted, 3u);
}

TEST_F(Model, NoControlMeansUnanswered) {
    add(dialnumber(1001, "2015", "2001"));
    EXPECT_STREQ(only().outcome(), "unanswered");
}

TEST_F(Model, EstablishedMeansAnswered) {
    add(control(1001, 3));
    EXPECT_STREQ(only().outcome(), "answered");
}

TEST_F(Model, EstablishFromTheTerminalMeansAnswered) {
    add(control(1001, 129));
    EXPECT_STREQ(only().outcome(), "answered");
}

TEST_F(Model, BusyOutranksAnswered) {
    add(control(1001, 3), 0);
    add(control(1001, 31), 1);
    EXPECT_STREQ(only().outcome(), "busy");
}

TEST_F(Model, RejectedOutranksBusy) {
    add(control(1001, 31), 0);
    add(control(1001, 130), 1);
    EXPECT_STREQ(only().outcome(), "rejected");
}

TEST_F(Model, DoByeReleasesWithItsCause) {
    add(control(1001, 1, {1, 2, 3, 16}));
    const Call& call = only();
    EXPECT_TRUE(call.released);
    EXPECT_EQ(call.cause.loc, 1);
    EXPECT_EQ(call.cause.src, 2);
    EXPECT_EQ(call.cause.code, 3);
    EXPECT_EQ(call.cause.cause, 16);
}

TEST_F(Model, ByeReleases) {
    add(control(1001, 131));
    EXPECT_TRUE(only().released);
}

TEST_F(Model, RejectReleases) {
    add(control(1001, 130, {0, 0, 0, 21}));
    EXPECT_EQ(only().cause.cause, 21);
}

TEST_F(Model, OtherControlsDoNotRelease) {
    add(control(1001, 2));
    EXPECT_FALSE(only().released);
}

TEST_F(Model, FirstReleaseKeepsItsCause) {
    add(control(1001, 131, {0, 0, 0, 16}), 0);
    add(control(1001, 1, {0, 0, 0, 31}), 0.5);
    EXPECT_EQ(only().cause.cause, 16);
}

TEST_F(Model, ControlCutBeforeItsCauseReleasesWithoutOne) {
    Bytes p = control(1001, 1, {1, 2, 3, 16});
    p.resize(14);
    add(p);
    const Call& call = only();
    EXPECT_TRUE(call.released);
    EXPECT_EQ(call.cause.cause, 0);
}

TEST_F(Model, SetupTalkAndDuration) {
    add(dialnumber(1001, "2015", "2001"), 0);
    add(control(1001, 3), 2.25);
    add(control(1001, 131), 12.5);
    add(control(1001, 1), 12.75);
    const Call& call = only();
    std::int64_t setup = 0, talk = 0, duration = 0;
    ASSERT_TRUE(call.setup(setup));
    ASSERT_TRUE(call.talk(talk));
    ASSERT_TRUE(call.duration(duration));
    EXPECT_EQ(setup, 2250000000);
    EXPECT_EQ(talk, 10250000000);
    EXPECT_EQ(duration, 12750000000);
}

TEST_F(Model, NoAnswerNoSetupNorTalk) {
    add(dialnumber(1001, "2015", "2001"), 0);
    add(control(1001, 131), 1);
    const Call& call = only();
    std::int64_t ns = 0;
    EXPECT_FALSE(call.setup(ns));
    EXPECT_FALSE(call.talk(ns));
}

TEST_F(Model, PacketsWithoutTimesHaveNoDurations) {
    add(dialnumber(1001, "2015", "2001"), numbered(1));
    add(control(1001, 3), numbered(2));
    std::int64_t ns = 0;
    EXPECT_FALSE(only().duration(ns));
}

TEST_F(Model, CngSeanceContinuesAndTheNewCallContinuesFrom) {
    add(cng_seance(1008, 1009, "2001"), 0);
    add(control(1009, 3), 1);
    model.finish();
    ASSERT_EQ(sink.calls.size(), 2u);
    EXPECT_EQ(sink.calls[0].continues, std::vector<std::uint32_t>{1009});
    EXPECT_EQ(sink.calls[1].continued_from, std::vector<std::uint32_t>{1008});
}

TEST_F(Model, MoveCallToACallAlreadyOpen) {
    add(dialnumber(1007, "2015", "2001"), 0);
    add(move_call(1006, 1007), 1);
    model.finish();
    ASSERT_EQ(sink.calls.size(), 2u);
    EXPECT_EQ(sink.calls[0].continued_from, std::vector<std::uint32_t>{1006});
    EXPECT_EQ(sink.calls[1].continues, std::vector<std::uint32_t>{1007});
}

TEST_F(Model, RtpAddressesEachOnce) {
    add(rtp_data(1001, "10.1.1.5", 40000), 0);
    add(rtp_data(1001, "10.1.1.5", 40000), 1);
    add(rtp_data(1001, "10.1.1.6", 40002), 2);
    EXPECT_EQ(only().rtp, (std::vector<std::string>{"10.1.1.5:40000", "10.1.1.6:40002"}));
}

TEST_F(Model, RtpDataCutBeforeItsRecordEndGivesNone) {
    Bytes p = rtp_data(1001, "10.1.1.5", 40000);
    p.resize(164);
    add(p);
    EXPECT_TRUE(only().rtp.empty());
}

TEST_F(Model, HoldsCountTheHoldsSet) {
    add(control(1001, 145), 0);  // asked: counted by its confirmation
    add(control(1001, 23), 0.1);
    add(control(1001, 53), 0.2);
    EXPECT_EQ(only().holds, 2u);
}

TEST_F(Model, PttCountsTheKeyPressedEitherWay) {
    add(control(1001, 138), 0);
    add(control(1001, 139), 0.1);
    add(control(1001, 10), 0.2);
    EXPECT_EQ(only().ptt, 2u);
}

TEST_F(Model, CallsComeInOrderOfFirstPacket) {
    add(dialnumber(1010, "2040", "2001"), 0);
    add(dialnumber(1011, "2041", "2001"), 0.1);
    add(control(1011, 1), 0.2);
    add(control(1010, 131), 0.3);
    add(klt_rdy(), 10);
    ASSERT_EQ(sink.calls.size(), 2u);
    EXPECT_EQ(sink.calls[0].seance, 1010u);
    EXPECT_EQ(sink.calls[1].seance, 1011u);
}

TEST_F(Model, ReleasedCallWaitsForAnEarlierOpenOne) {
    add(dialnumber(1010, "2040", "2001"), 0);
    add(dialnumber(1011, "2041", "2001"), 0.1);
    add(control(1011, 1), 0.2);
    add(klt_rdy(), 10);
    EXPECT_TRUE(sink.calls.empty());
}

TEST_F(Model, ReleasedCallTakesPacketsForItsLinger) {
    add(control(1001, 131), 0);
    add(control(1001, 1), 1.999);
    EXPECT_EQ(only().packets, 2u);
}

TEST_F(Model, ReleasedCallIsHandedOnAfterItsLinger) {
    add(control(1001, 131), 0);
    add(klt_rdy(), 2);
    EXPECT_EQ(sink.calls.size(), 1u);
}

TEST_F(Model, UntimedReleasedCallLingersForPackets) {
    add(control(1001, 131), numbered(1));
    add(klt_rdy(), numbered(1 + CallModel::kLingerPackets - 1));
    EXPECT_TRUE(sink.calls.empty());
    add(klt_rdy(), numbered(1 + CallModel::kLingerPackets));
    EXPECT_EQ(sink.calls.size(), 1u);
}

TEST_F(Model, LatePacketOfACallHandedOnIsNoNewCall) {
    add(control(1001, 131), 0);
    add(control(1001, 1), 5);
    model.finish();
    EXPECT_EQ(sink.calls.size(), 1u);
    EXPECT_EQ(model.late(), 1u);
}

TEST_F(Model, NextCallStartsEmptyAfterOneHandedOn) {
    add(dialnumber(1001, "2015", "2001", {{160, text("A")}}), at(0), "10.0.0.1.40000", "10.0.0.2.7700");
    add(rtp_data(1001, "10.1.1.5", 40000), 0.1);
    add(control(1001, 131, {0, 0, 0, 16}), 0.2);
    add(control(1002, 34), 5);  // hands 1001 on; its record's room may serve 1002
    model.finish();
    ASSERT_EQ(sink.calls.size(), 2u);
    const Call& next = sink.calls[1];
    EXPECT_EQ(next.packets, 1u);
    EXPECT_TRUE(next.names.empty());
    EXPECT_TRUE(next.rtp.empty());
    EXPECT_TRUE(next.endpoints.empty());
    EXPECT_EQ(next.called, "");
    EXPECT_FALSE(next.released);
    EXPECT_EQ(next.events.size(), 1u);
}

TEST_F(Model, FinishHandsOnOpenCalls) {
    add(dialnumber(1005, "2015", "2001"));
    model.finish();
    ASSERT_EQ(sink.calls.size(), 1u);
    EXPECT_FALSE(sink.calls[0].released);
}

class StreamingModel : public Model {
protected:
    StreamingModel() : Model(CallModel::Settings{true, CallModel::kMaxOpen}) {}
};

TEST_F(StreamingModel, CallIsHandedOnAtItsRelease) {
    add(dialnumber(1010, "2040", "2001"), 0);
    add(dialnumber(1011, "2041", "2001"), 0.1);
    add(control(1011, 1), 0.2);
    ASSERT_EQ(sink.calls.size(), 1u);
    EXPECT_EQ(sink.calls[0].seance, 1011u);
}

class SmallModel : public Model {
protected:
    SmallModel() : Model(CallModel::Settings{false, 3}) {}
};

TEST_F(SmallModel, LimitOfOpenCallsKeepsThemAll) {
    for (std::uint32_t s = 1; s <= 3; ++s) add(dialnumber(s, "2015", "2001"), s * 0.1);
    EXPECT_TRUE(sink.calls.empty());
    EXPECT_EQ(model.evicted(), 0u);
}

TEST_F(SmallModel, OneMoreOpenCallEvictsTheOldest) {
    for (std::uint32_t s = 1; s <= 4; ++s) add(dialnumber(s, "2015", "2001"), s * 0.1);
    ASSERT_EQ(sink.calls.size(), 1u);
    EXPECT_EQ(sink.calls[0].seance, 1u);
    EXPECT_TRUE(sink.calls[0].evicted);
    EXPECT_EQ(model.open(), 3u);
}

TEST_F(SmallModel, EvictedSeanceTakesNoMorePackets) {
    for (std::uint32_t s = 1; s <= 4; ++s) add(dialnumber(s, "2015", "2001"), s * 0.1);
    add(control(1, 1), 1);
    EXPECT_EQ(model.late(), 1u);
    EXPECT_EQ(model.open(), 3u);
}

TEST_F(SmallModel, ReleasedCallsWaitingGoAheadOfTheirTurnBeforeAnOpenOneIsEvicted) {
    add(dialnumber(1, "2015", "2001"), 0);  // stays open
    add(control(2, 1), 0.1);
    add(control(3, 1), 0.2);
    add(control(4, 1), 0.3);  // four held, one open
    ASSERT_EQ(sink.calls.size(), 1u);
    EXPECT_EQ(sink.calls[0].seance, 2u);
    EXPECT_FALSE(sink.calls[0].evicted);
}

TEST_F(SmallModel, HeldCallsStayWithinTheLimit) {
    for (std::uint32_t s = 1; s <= 100; ++s) add(dialnumber(s, "2015", "2001"), s * 0.1);
    EXPECT_EQ(model.held(), 3u);
    EXPECT_EQ(model.evicted(), 97u);
}

TEST_F(SmallModel, RandomPacketsOfListedTypesStayWithinTheLimits) {
    std::mt19937 random(7);
    const unsigned char types[] = {128, 129, 130, 132, 136, 138, 140, 141, 144, 145};
    for (int n = 0; n < 20000; ++n) {
        Bytes p(random() % 200, 0);
        for (unsigned char& b : p) b = static_cast<unsigned char>(random());
        if (p.size() > 2) p[2] = types[random() % sizeof types];
        if (p.size() > 9) p[7] = p[8] = p[9] = 0;  // seances 0 to 255: calls meet again
        add(p, n * 0.01);
        ASSERT_LE(model.held(), 3u);
    }
    model.finish();
    for (const Call& call : sink.calls) {
        EXPECT_LE(call.events.size(), CallLimits::kEvents);
        EXPECT_LE(call.rtp.size(), CallLimits::kRtp);
        EXPECT_LE(call.continues.size(), CallLimits::kLinks);
        EXPECT_LE(call.continued_from.size(), CallLimits::kLinks);
    }
}

}  // namespace
}  // namespace tool
}  // namespace paketlog
