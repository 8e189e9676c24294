// Packets made into ladders: each packet's label and sender's name, and the
// ladder of one seance or of linked ones (order, columns, names, times,
// seance prefixes, the limit on packets kept).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "call_packets.h"
#include "ladder/ladder_collector.h"
#include "ladder/packet_label.h"

using namespace paketlog::tool;
using namespace paketlog::tool::test;

namespace {

std::string label(const Bytes& packet) {
    PacketLabels labels;
    return labels.label(packet.data(), packet.size());
}

std::string sender(const Bytes& packet) {
    PacketLabels labels;
    return labels.sender_name(packet.data(), packet.size());
}

// A packet of a capture, from `src` to `dst` at second `second` of the capture.
struct Sent {
    Bytes bytes;
    std::string src, dst;
    long second;
    ArrowDirection direction = ArrowDirection::In;
};

void add(LadderCollector& collector, const Sent& sent) {
    CaptureTime time;
    time.seconds = 1709285400 + sent.second;
    LadderPacket p;
    p.bytes = sent.bytes.data();
    p.size = sent.bytes.size();
    p.time = &time;
    p.src = sent.src;
    p.dst = sent.dst;
    p.direction = sent.direction;
    p.line = "line";
    collector.add(p);
}

const char kConsole[] = "10.0.0.1.40000";
const char kSwitch[] = "10.0.0.2.7700";

}  // namespace

TEST(PacketLabel, DigitAsTheLinesSpellIt) { EXPECT_EQ(label(dialdigit(1, '#')), "DIALDIGIT #"); }

TEST(PacketLabel, DialNumberShowsCalledNumber) { EXPECT_EQ(label(dialnumber(1, "2015", "+74951234567")), "DIALNUMBER 2015"); }

TEST(PacketLabel, CallingNumShowsCallingNumber) { EXPECT_EQ(label(callingnum(1, "2020")), "CALLINGNUM 2020"); }

TEST(PacketLabel, ControlShowsItsOperatorName) { EXPECT_EQ(label(control(1, 3)), "CONTROL toFB_CTRL_ESTABLISHED"); }

TEST(PacketLabel, ChangedSeanceShowsNewSeance) { EXPECT_EQ(label(cng_seance(1008, 1009, "2001")), "CNG_SEANCE to 1009"); }

TEST(PacketLabel, MovedCallShowsSecondSeance) { EXPECT_EQ(label(move_call(1006, 1007)), "MOVE_CALL to 1007"); }

TEST(PacketLabel, RtpDataShowsAddressAndPort) { EXPECT_EQ(label(rtp_data(1, "10.1.1.5", 40000)), "RTP_DATA 10.1.1.5:40000"); }

TEST(PacketLabel, PacketEndingBeforeItsFieldHasTheNameAlone) {
    Bytes packet = move_call(1006, 1007);
    packet.resize(13);  // the second seance's last byte missing
    EXPECT_EQ(label(packet), "MOVE_CALL");
}

TEST(PacketLabel, UnlistedTypeHasNone) { EXPECT_EQ(label(header(131, 1)), ""); }

TEST(PacketLabel, SenderNamedByEndpointAOverNameCall) {
    const Bytes packet = dialnumber(1, "2015", "2001", {{163, text("Ivanov")}, {160, text("Disp 1")}});
    EXPECT_EQ(sender(packet), "Disp 1");
}

TEST(PacketLabel, NameIsShownAsUtf8) {
    EXPECT_EQ(sender(control(1, 3, {0, 0, 0, 0}, {{161, text("\xCF\xEE\xF1\xF2 7")}})), "Пост 7");
}

TEST(PacketLabel, NoNameParameterNoName) { EXPECT_EQ(sender(control(1, 3)), ""); }

TEST(LadderCollector, ColumnsInOrderTheyAreFirstNamed) {
    LadderCollector collector(TimeFormat::Utc);
    add(collector, {dialnumber(1001, "2015", "2001"), kConsole, kSwitch, 0});
    add(collector, {control(1001, 3), kSwitch, kConsole, 1});
    const Ladder ladder = collector.ladder(1001, {1001});
    ASSERT_EQ(ladder.endpoints.size(), 2u);
    EXPECT_EQ(ladder.endpoints[0].address, kConsole);
    EXPECT_EQ(ladder.endpoints[1].address, kSwitch);
}

TEST(LadderCollector, ArrowGoesFromSenderToReceiver) {
    LadderCollector collector(TimeFormat::Utc);
    add(collector, {dialnumber(1001, "2015", "2001"), kConsole, kSwitch, 0});
    add(collector, {control(1001, 3), kSwitch, kConsole, 1});
    const Ladder ladder = collector.ladder(1001, {1001});
    ASSERT_EQ(ladder.arrows.size(), 2u);
    EXPECT_EQ(ladder.arrows[1].from, 1u);
    EXPECT_EQ(ladder.arrows[1].to, 0u);
}

TEST(LadderCollector, TimeInTheFormatAsked) {
    LadderCollector collector(TimeFormat::Utc);
    add(collector, {dialnumber(1001, "2015", "2001"), kConsole, kSwitch, 2});
    EXPECT_EQ(collector.ladder(1001, {1001}).arrows.at(0).time, "09:30:02.000000Z");
}

TEST(LadderCollector, DeltaSinceTheArrowAbove) {
    LadderCollector collector(TimeFormat::Delta);
    add(collector, {dialnumber(1001, "2015", "2001"), kConsole, kSwitch, 2});
    add(collector, {dialnumber(1002, "2016", "2001"), kConsole, kSwitch, 3});
    add(collector, {control(1001, 3), kSwitch, kConsole, 5});
    EXPECT_EQ(collector.ladder(1001, {1001}).arrows.at(1).time, "3.000000");
}

TEST(LadderCollector, LinkedSeancesInInputOrderWithTheirSeance) {
    LadderCollector collector(TimeFormat::Utc);
    add(collector, {dialnumber(1008, "2030", "2001"), kConsole, kSwitch, 0});
    add(collector, {cng_seance(1008, 1009, "2001"), kSwitch, kConsole, 1});
    add(collector, {control(1009, 1), kSwitch, kConsole, 2});
    const Ladder ladder = collector.ladder(1009, {1008, 1009});
    ASSERT_EQ(ladder.arrows.size(), 3u);
    EXPECT_EQ(ladder.arrows[0].label, "1008: DIALNUMBER 2030");
    EXPECT_EQ(ladder.arrows[2].label, "1009: CONTROL toFB_CTRL_DOBYE");
}

TEST(LadderCollector, OtherSeancesLeftOut) {
    LadderCollector collector(TimeFormat::Utc);
    add(collector, {dialnumber(1001, "2015", "2001"), kConsole, kSwitch, 0});
    add(collector, {dialnumber(1002, "2016", "2001"), kConsole, kSwitch, 1});
    EXPECT_EQ(collector.ladder(1001, {1001}).arrows.size(), 1u);
}

TEST(LadderCollector, EndpointNamedByWhatItSent) {
    LadderCollector collector(TimeFormat::Utc);
    add(collector, {dialnumber(1001, "2015", "2001", {{160, text("Disp 1")}}), kConsole, kSwitch, 0});
    const Ladder ladder = collector.ladder(1001, {1001});
    EXPECT_EQ(ladder.endpoints.at(0).name, "Disp 1");
    EXPECT_EQ(ladder.endpoints.at(1).name, "");
}

TEST(LadderCollector, ModuleReportNotKept) {
    LadderCollector collector(TimeFormat::Utc);
    add(collector, {klt_rdy(), kConsole, kSwitch, 0});
    EXPECT_EQ(collector.kept(), 0u);
}

TEST(LadderCollector, UnlistedTypeNotKept) {
    LadderCollector collector(TimeFormat::Utc);
    add(collector, {header(131, 1001), kConsole, kSwitch, 0});
    EXPECT_EQ(collector.kept(), 0u);
}

TEST(LadderCollector, PacketPastTheLimitDroppedAndCounted) {
    LadderCollector collector(TimeFormat::Utc, 2);
    for (long s = 0; s < 3; ++s) add(collector, {control(1001, 3), kSwitch, kConsole, s});
    EXPECT_EQ(collector.kept(), 2u);
    EXPECT_EQ(collector.dropped(), 1u);
}

TEST(LadderCollector, TraceWithoutAddressesGoesFromSwitchToPeer) {
    LadderCollector collector(TimeFormat::Local);
    const Bytes packet = control(1042, 3);
    LadderPacket p;
    p.bytes = packet.data();
    p.size = packet.size();
    p.number = 12;
    p.direction = ArrowDirection::Out;
    collector.add(p);
    const Ladder ladder = collector.ladder(1042, {1042});
    ASSERT_EQ(ladder.endpoints.size(), 2u);
    EXPECT_EQ(ladder.endpoints[0].address, kPeerEndpoint);
    EXPECT_EQ(ladder.arrows.at(0).time, "#12");
}
