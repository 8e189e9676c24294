// --stats: the summary of a run, as text and as JSON.
#include "output/summary.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "decode/options.h"
#include "output/packet_writer.h"
#include "time_zone.h"

using namespace paketlog::tool;

namespace {

const std::vector<unsigned char> kTooShort = {0x00, 0x00};                                // no type byte
const std::vector<unsigned char> kUnlisted = {0x00, 0x00, 0x05, 0, 0, 0, 0x11, 0, 0, 0};  // type 0x05

// What a run of the operator line shares, its options outliving it.
const LineFormat& line_format() {
    static const Options options;
    static const LineFormat format(options);
    return format;
}

// The operator line's names, as a run has them.
const Summary::Names& names() { return line_format().names; }

// `packet` added as a run adds it: what its bytes say, from a hex trace.
void add_packet(Summary& summary, const std::vector<unsigned char>& packet) {
    const PacketFacts f = packet_facts(line_format(), packet.data(), packet.size());
    summary.add(f.type, f.listed, f.seance, f.truncated, nullptr);
}

CaptureTime at(std::int64_t seconds, std::uint32_t microseconds) {
    CaptureTime t;
    t.seconds = seconds;
    t.nanoseconds = microseconds * 1000;
    return t;
}

// One packet of each `seance` (DIALDIGIT, listed, whole), from a hex trace.
Summary packets_of_seances(std::uint32_t first, std::uint32_t count) {
    Summary summary;
    for (std::uint32_t s = first; s < first + count; ++s) summary.add(128, true, s, false, nullptr);
    return summary;
}

// The line of the text that opens with `start`, "" when none does.
std::string line_of(const std::string& text, const std::string& start) {
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = text.find('\n', at);
        const std::string line = text.substr(at, end - at);
        if (line.rfind(start, 0) == 0) return line;
        at = end + 1;
    }
    return "";
}

// 2024-03-01 09:30:00 UTC.
constexpr std::int64_t kMorning = 1709285400;

}  // namespace

// A packet too short to hold a type is counted apart, truncated, and not as
// a packet of an unlisted type.
TEST(Summary, TooShortPacketIsNoUnlistedType) {
    Summary summary;
    add_packet(summary, kTooShort);
    EXPECT_EQ(summary.text(names()),
              "Summary: 1 packet\n"
              "  (too short): 1\n"
              "Busiest seances (0 seen):\n"
              "Module reports (seance 0): 0 packets\n"
              "Truncated packets: 1, unknown types: 0, reported inputs: 0\n");
}

TEST(Summary, UnlistedTypeIsCountedByItsCodeAndAsUnknown) {
    Summary summary;
    add_packet(summary, kUnlisted);
    EXPECT_EQ(summary.text(names()),
              "Summary: 1 packet\n"
              "  unknown 0x05: 1\n"
              "Busiest seances (0 seen):\n"
              "Module reports (seance 0): 0 packets\n"
              "Truncated packets: 0, unknown types: 1, reported inputs: 0\n");
}

TEST(Summary, TooShortPacketInJsonHasNeitherTypeNorName) {
    Summary summary;
    add_packet(summary, kTooShort);
    EXPECT_EQ(summary.json(names()),
              "{\"summary\":{\"packets\":1,\"types\":[{\"type\":null,\"name\":null,\"count\":1}],\"seances\":[],"
              "\"seances_seen\":0,\"module_reports\":0,\"truncated\":1,\"unknown\":0,\"reported\":0}}\n");
}

TEST(Summary, UnlistedTypeInJsonHasItsCodeAndNoName) {
    Summary summary;
    add_packet(summary, kUnlisted);
    EXPECT_EQ(summary.json(names()),
              "{\"summary\":{\"packets\":1,\"types\":[{\"type\":5,\"name\":null,\"count\":1}],\"seances\":[],"
              "\"seances_seen\":0,\"module_reports\":0,\"truncated\":0,\"unknown\":1,\"reported\":0}}\n");
}

TEST(Summary, EverySeanceUpToTheCapIsFollowed) {
    const Summary summary = packets_of_seances(0, Summary::kMaxSeances);
    EXPECT_EQ(line_of(summary.text(names()), "Busiest seances"), "Busiest seances (65536 seen):");
}

TEST(Summary, SeanceOnePastTheCapIsCountedTogether) {
    Summary summary = packets_of_seances(0, Summary::kMaxSeances);
    summary.add(128, true, Summary::kMaxSeances, false, nullptr);
    EXPECT_EQ(line_of(summary.text(names()), "Busiest seances"),
              "Busiest seances (65536 seen, 1 packet of further ones not followed):");
}

TEST(Summary, SeanceOnePastTheCapIsNotSeenInJson) {
    Summary summary = packets_of_seances(0, Summary::kMaxSeances);
    summary.add(128, true, Summary::kMaxSeances, false, nullptr);
    const std::string json = summary.json(names());
    EXPECT_NE(json.find(",\"seances_seen\":65536,\"module_reports\":0,"), std::string::npos) << json.substr(json.size() - 120);
}

// A seance followed before the cap was reached goes on being counted.
TEST(Summary, FollowedSeanceCountsPastTheCap) {
    Summary summary = packets_of_seances(0, Summary::kMaxSeances);
    summary.add(128, true, Summary::kMaxSeances, false, nullptr);
    summary.add(128, true, 7, false, nullptr);
    EXPECT_EQ(line_of(summary.text(names()), "  7:"), "  7: 2 packets, packets 8 to 65538");
}

// Of a hex trace: the seances by their packet numbers.
TEST(Summary, TextOfAHexTrace) {
    Summary summary;
    summary.add(128, true, 17, false, nullptr);
    summary.add(130, true, 9, true, nullptr);
    summary.add(128, true, 17, false, nullptr);
    summary.reported();
    EXPECT_EQ(summary.text(names()),
              "Summary: 3 packets\n"
              "  DIALDIGIT: 2\n"
              "  CONTROL: 1\n"
              "Busiest seances (2 seen):\n"
              "  17: 2 packets, packets 1 to 3\n"
              "  9: 1 packet, packets 2 to 2\n"
              "Module reports (seance 0): 0 packets\n"
              "Truncated packets: 1, unknown types: 0, reported inputs: 1\n");
}

// Of a capture: the seances by their capture times, local.
TEST(Summary, TextOfACapture) {
    const TimeZone zone("EET-2");
    Summary summary;
    const CaptureTime first = at(kMorning, 250005), second = at(kMorning + 1, 500010);
    summary.add(128, true, 17, false, &first);
    summary.add(128, true, 17, false, &second);
    EXPECT_EQ(summary.text(names()),
              "Summary: 2 packets\n"
              "  DIALDIGIT: 2\n"
              "Busiest seances (1 seen):\n"
              "  17: 2 packets, 2024-03-01 11:30:00.250005 to 2024-03-01 11:30:01.500010\n"
              "Module reports (seance 0): 0 packets\n"
              "Truncated packets: 0, unknown types: 0, reported inputs: 0\n");
}

TEST(Summary, JsonOfAHexTrace) {
    Summary summary;
    summary.add(128, true, 17, false, nullptr);
    summary.add(130, true, 9, true, nullptr);
    summary.add(128, true, 17, false, nullptr);
    summary.reported();
    EXPECT_EQ(summary.json(names()),
              "{\"summary\":{\"packets\":3,\"types\":[{\"type\":128,\"name\":\"DIALDIGIT\",\"count\":2},"
              "{\"type\":130,\"name\":\"CONTROL\",\"count\":1}],"
              "\"seances\":[{\"seance\":17,\"count\":2,\"first_packet\":1,\"last_packet\":3},"
              "{\"seance\":9,\"count\":1,\"first_packet\":2,\"last_packet\":2}],"
              "\"seances_seen\":2,\"module_reports\":0,\"truncated\":1,\"unknown\":0,\"reported\":1}}\n");
}

// Of a capture: the capture times in UTC, whatever the local zone.
TEST(Summary, JsonOfACapture) {
    const TimeZone zone("EET-2");
    Summary summary;
    const CaptureTime first = at(kMorning, 250005), second = at(kMorning + 1, 500010);
    summary.add(128, true, 17, false, &first);
    summary.add(128, true, 17, false, &second);
    EXPECT_EQ(summary.json(names()),
              "{\"summary\":{\"packets\":2,\"types\":[{\"type\":128,\"name\":\"DIALDIGIT\",\"count\":2}],"
              "\"seances\":[{\"seance\":17,\"count\":2,\"first_packet\":1,\"last_packet\":2,"
              "\"first\":\"2024-03-01T09:30:00.250005Z\",\"last\":\"2024-03-01T09:30:01.500010Z\"}],"
              "\"seances_seen\":1,\"module_reports\":0,\"truncated\":0,\"unknown\":0,\"reported\":0}}\n");
}

// The ten busiest, the most packets first, a tie to the seance seen first.
TEST(Summary, TenBusiestSeancesByCountThenFirstPacket) {
    Summary summary;
    for (std::uint32_t s = 100; s < 111; ++s) summary.add(128, true, s, false, nullptr);
    summary.add(128, true, 110, false, nullptr);
    const std::string text = summary.text(names());
    const std::string listed = text.substr(text.find("seen):\n") + 7, text.find("Module reports") - text.find("seen):\n") - 7);
    EXPECT_EQ(listed,
              "  110: 2 packets, packets 11 to 12\n"
              "  100: 1 packet, packets 1 to 1\n"
              "  101: 1 packet, packets 2 to 2\n"
              "  102: 1 packet, packets 3 to 3\n"
              "  103: 1 packet, packets 4 to 4\n"
              "  104: 1 packet, packets 5 to 5\n"
              "  105: 1 packet, packets 6 to 6\n"
              "  106: 1 packet, packets 7 to 7\n"
              "  107: 1 packet, packets 8 to 8\n"
              "  108: 1 packet, packets 9 to 9\n");
}
