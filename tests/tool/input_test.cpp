// What the command reads: its command line and the lines of a hex trace.
#include <gtest/gtest.h>

#include <cctype>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <string>
#include <string_view>

#include "hex/hex_batches.h"
#include "hex/hex_trace.h"
#include "hex/input_files.h"
#include "run/command_line.h"
#include "text/cpu_features.h"

using namespace paketlog::tool;

namespace {

// A file holding `text`, in the tests' temporary directory.
// Named after the test too: CTest runs the tests side by side, each in a process of its own.
std::string file_of(const std::string& name, const std::string& text) {
    const std::string path =
        testing::TempDir() + testing::UnitTest::GetInstance()->current_test_info()->name() + "-" + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

// What a LineReader hands out, one entry a call up to End: the line's
// number and text, "too long" or "error".
std::vector<std::string> lines_of(const std::string& text) {
    InputFile in(file_of("lines.txt", text));
    LineReader reader(in);
    std::vector<std::string> out;
    std::string_view line;
    for (LineReader::Next next; (next = reader.next(line)) != LineReader::Next::End;) {
        const std::string shown = next == LineReader::Next::Line      ? std::string(line.substr(0, 8))
                                  : next == LineReader::Next::TooLong ? "too long"
                                                                      : "error";
        out.push_back(std::to_string(reader.number()) + ":" + shown);
    }
    return out;
}

// What LineReader::lines() hands out, one entry a call up to End: the
// number of the run's last line, and the run.
std::vector<std::string> runs_of(const std::string& text, std::size_t max) {
    InputFile in(file_of("runs.txt", text));
    LineReader reader(in);
    std::vector<std::string> out;
    std::string_view run;
    std::size_t count = 0;
    while (reader.lines(run, count, max) == LineReader::Next::Line)
        out.push_back(std::to_string(reader.number()) + ":" + std::string(run));
    return out;
}

// Every line of `text` as decode_hex takes it from the batches: its number,
// then its bytes in hex, "error" or "too long"; lines read for nothing
// (comments, blank lines) are left out.
std::vector<std::string> batch_lines_of(const std::string& text) {
    InputFile in(file_of("batches.hex", text));
    std::atomic<bool> stop{false};
    HexBatchReader reader(in, stop);
    Batch batch;
    reserve_batch(batch);
    PacketBytes bytes;
    std::vector<std::string> out;
    while (reader.read(batch)) {
        HexBatchLines lines(batch);
        for (;;) {
            std::size_t size = 0;
            std::string shown;
            if (lines.next_plain(bytes.data(), size)) {
                shown = "";
            } else {
                std::string_view line;
                bool too_long = false;
                if (!lines.next(line, too_long)) break;
                const HexScan scan = too_long ? HexScan{} : scan_hex_line(line, bytes);
                if (too_long) shown = "too long";
                if (scan.kind == HexScan::Kind::Error) shown = "error";
                if (scan.kind == HexScan::Kind::Skip && !too_long) continue;
                size = scan.size;
            }
            char digits[3];
            for (std::size_t k = 0; k < size; ++k) shown += (std::snprintf(digits, sizeof digits, "%02x", bytes[k]), digits);
            out.push_back(std::to_string(lines.number()) + ":" + shown);
        }
        batch.clear();
    }
    return out;
}

PacketFile packet_file_of(std::size_t size) {
    InputFile in(file_of("packet.bin", std::string(size, 'p')));
    std::vector<unsigned char> packet;
    return read_packet_file(in, kMaxPacketLength, packet);
}

}  // namespace

TEST(Options, ValuesAndFiles) {
    const auto p = parse_options({"--msg-type", "0", "--skip-type=0xFF", "a.hex", "-", "--", "--b.hex"});
    ASSERT_EQ(p.error, "");
    EXPECT_EQ(std::make_pair(int{p.options.msg_type}, int{p.options.skip_type}), std::make_pair(0, 255));
    EXPECT_EQ(p.options.files, (std::vector<std::string>{"a.hex", "-", "--b.hex"}));
}

// -r names a capture, -c5 and -ilo hold their values, -t alone hides the time.
TEST(Options, TcpdumpSpellings) {
    const auto p = parse_options({"-r", "a.pcap", "-c5", "-ilo0", "-t", "--type", "129", "--type=CONTROL"});
    ASSERT_EQ(p.error, "-i captures live; it takes no FILE, -r or input format");
    const auto q = parse_options({"-r", "a.pcap", "-c5", "-t", "--type", "129", "--type=CONTROL", "b.pcap"});
    ASSERT_EQ(q.error, "");
    EXPECT_EQ(q.options.input, InputFormat::Pcap);
    EXPECT_EQ(q.options.files, (std::vector<std::string>{"a.pcap", "b.pcap"}));
    EXPECT_EQ(q.options.count, 5u);
    EXPECT_EQ(q.options.time, TimeFormat::None);
    EXPECT_EQ(q.options.types, (std::vector<std::string>{"129", "CONTROL"}));
    EXPECT_EQ(parse_options({"-ilo0"}).options.interface, "lo0");
}

// --msg-type, --incoming and --outgoing are given: --port no longer picks the wording.
TEST(Options, ExplicitDirection) {
    EXPECT_FALSE(parse_options({"--port", "7700"}).options.direction_given);
    EXPECT_TRUE(parse_options({"--msg-type", "1"}).options.direction_given);
    EXPECT_TRUE(parse_options({"--testcall", "--incoming"}).options.direction_given);
}

TEST(Options, LimitsAndConflicts) {
    const std::pair<std::vector<std::string>, const char*> cases[] = {
        {{"--msg-type=255", "--skip-type", "0"}, ""}, {{"--testcall", "--outgoing", "--outgoing"}, ""},
        {{"--pcap", "--port", "65535"}, ""},
        {{"--msg-type"}, "option --msg-type needs a value"},
        {{"--json=yes"}, "option --json takes no value"},
        {{"--msg-type="}, "--msg-type wants a number from 0 to 255, not ''"},
        {{"--skip-type", "0x"}, "--skip-type wants a number from 0 to 255, not '0x'"},
        {{"--pcap", "--port", "0"}, "--port wants a UDP port from 1 to 65535, not '0'"},
        {{"--seance", "4294967295", "-c", "2147483647"}, ""},
        {{"--seance", "4294967296"}, "--seance wants a number from 0 to 4294967295, not '4294967296'"},
        {{"-c", "0"}, "-c wants a count from 1 to 2147483647, not '0'"},
        {{"--count=2147483648"}, "--count wants a count from 1 to 2147483647, not '2147483648'"},
        {{"--time=week"}, "--time wants none, local, utc, date, epoch or delta, not 'week'"},
        {{"-i", ""}, "option -i needs an interface name"},
        {{"-i", "lo", "a.pcap"}, "-i captures live; it takes no FILE, -r or input format"},
        {{"-r", "a.pcap", "--binary"}, "-r reads a capture; it cannot be combined with --hex or --binary"},
        {{"--hex", "--filter", "udp"}, "--filter applies to captures only"},
        {{"--binary", "--port", "7700"}, "--port applies to captures only"},
        {{"-x"}, ""}, {{"-l", "-t", "-q", "--stats"}, ""},
        {{"--pcap", "--port", "65536"}, "--port wants a UDP port from 1 to 65535, not '65536'"},
        {{"--pcap", "--binary"}, "give only one of --hex, --binary and --pcap"},
        {{"--skip-type", "1", "--testcall"}, "--msg-type and --skip-type apply to the operator line, not to --testcall"},
        {{"--outgoing"}, "--incoming and --outgoing apply to --testcall only"},
        {{"--testcall", "--incoming", "--outgoing"}, "--incoming and --outgoing exclude each other"},
        {{"--raw", "--json"}, "--raw cannot be combined with --json (JSON text is UTF-8)"},
    };
    for (const auto& c : cases) EXPECT_EQ(parse_options(c.first).error, c.second) << c.first[0];
    for (std::string bad : {"256", "+5", "5x"})
        EXPECT_EQ(parse_options({"--msg-type", bad}).error, "--msg-type wants a number from 0 to 255, not '" + bad + "'");
}

TEST(Options, CallsCsvAndFollow) {
    const auto p = parse_options({"--calls", "--csv", "--follow", "1006", "-r", "a.pcap"});
    ASSERT_EQ(p.error, "");
    EXPECT_TRUE(p.options.calls);
    EXPECT_TRUE(p.options.csv);
    EXPECT_EQ(p.options.follow, 1006);
}

TEST(Options, FollowUnsetIsNone) { EXPECT_EQ(parse_options({"a.hex"}).options.follow, -1); }

TEST(Options, CallsLimitsAndConflicts) {
    const std::pair<std::vector<std::string>, const char*> cases[] = {
        {{"--follow", "0"}, ""},
        {{"--follow=4294967295"}, ""},
        {{"--follow", "4294967296"}, "--follow wants a seance from 0 to 4294967295, not '4294967296'"},
        {{"--follow", "-1"}, "--follow wants a seance from 0 to 4294967295, not '-1'"},
        {{"--follow"}, "option --follow needs a value"},
        {{"--calls=yes"}, "option --calls takes no value"},
        {{"--csv"}, "--csv applies to --calls only"},
        {{"--calls", "--csv", "--json"}, "--csv and --json exclude each other"},
        {{"--calls", "--raw"}, "--calls writes calls, not packet lines: it cannot be combined with --raw, -x or -q"},
        {{"--calls", "-x"}, "--calls writes calls, not packet lines: it cannot be combined with --raw, -x or -q"},
        {{"--calls", "-q"}, "--calls writes calls, not packet lines: it cannot be combined with --raw, -x or -q"},
        {{"--calls", "--stats", "--json"}, ""},
    };
    for (const auto& c : cases) EXPECT_EQ(parse_options(c.first).error, c.second) << c.first[0];
}

// Each line parsed as "" (skipped), its bytes in hex, or "error: ...".
TEST(HexTrace, SpellingsSkipsErrorColumnsAndTheLengthTheDecodersTake) {
    const std::pair<std::string, std::string> cases[] = {
        {"0X00 0X0180 0xABFF", "000180abff"},
        {"00:01-80\tab ff\r", "000180abff"},
        {"0001 80ab ff # DIALDIGIT", "000180abff"},
        {" \t\r", ""}, {"   # comment", ""},
        {"0001\r\r# CRLF before a comment", "0001"}, {"00#01", "00"}, {"0102030405060708#", "0102030405060708"},
        {"00\r01", "error: non-hex character 0x0D at column 3"},
        {"00 01 # 0g odd digits after the comment: 012", "0001"},
        {"00 012 80", "error: odd number of hex digits at column 4"},
        {"0x123", "error: odd number of hex digits at column 3"},
        {"00 0g 80", "error: non-hex character 'g' at column 5"},
        {"00 01 \x01", "error: non-hex character 0x01 at column 7"},
        {"-- : --", "error: empty packet"}, {"0x # nothing", "error: empty packet"},
        {std::string(2 * 65535, 'a'), std::string(2 * 65535, 'a')},
        {std::string(2 * 65536, 'a'), "error: packet longer than 65535 bytes at column 131071"},
    };
    for (const auto& c : cases) {
        const HexLine line = parse_hex_line(c.first);
        std::string shown = line.kind == HexLine::Kind::Error ? "error: " + line.error : "";
        char digits[3];
        for (unsigned char b : line.bytes) shown += (std::snprintf(digits, sizeof digits, "%02x", b), digits);
        EXPECT_EQ(shown, c.second) << '"' << c.first.substr(0, 40) << '"';
    }
}

// One caller's array for every line: each scan reports its own bytes only.
TEST(HexTrace, ScanReusesTheCallersArray) {
    PacketBytes bytes;
    ASSERT_EQ(scan_hex_line("01 02 03 04", bytes).size, 4u);
    const HexScan scan = scan_hex_line("a0b0", bytes);
    ASSERT_EQ(scan.kind, HexScan::Kind::Packet);
    EXPECT_EQ(std::vector<unsigned char>(bytes.begin(), bytes.begin() + 2), (std::vector<unsigned char>{0xA0, 0xB0}));
    EXPECT_EQ(scan.size, 2u);
}

// The limit crossed in a later group: the column of its first byte too many.
TEST(HexTrace, LimitCrossedInALaterGroup) {
    std::string line(2 * 65534, 'a');
    line += " 0102";
    PacketBytes bytes;
    const HexScan scan = scan_hex_line(line, bytes);
    EXPECT_EQ(hex_fault_text(scan), "packet longer than 65535 bytes at column " + std::to_string(2 * 65534 + 4));
}

TEST(HexTrace, LimitFilledExactlyAcrossGroups) {
    std::string line(2 * 65534, 'a');
    line += " 01";
    PacketBytes bytes;
    const HexScan scan = scan_hex_line(line, bytes);
    ASSERT_EQ(scan.kind, HexScan::Kind::Packet);
    EXPECT_EQ(scan.size, 65535u);
    EXPECT_EQ(bytes[65534], 0x01);
}

// A group both too long and spoiled by a letter: the letter is named.
TEST(HexTrace, NonHexCharacterBeforeTheLengthInOneGroup) {
    PacketBytes bytes;
    const HexScan scan = scan_hex_line(std::string(2 * 65536, 'a') + "z", bytes);
    EXPECT_EQ(hex_fault_text(scan), "non-hex character 'z' at column 131073");
}

// A group both too long and odd: the odd digit is named, at the group's start.
TEST(HexTrace, OddDigitsBeforeTheLengthInOneGroup) {
    PacketBytes bytes;
    const HexScan scan = scan_hex_line("00 " + std::string(2 * 65536 + 1, 'a'), bytes);
    EXPECT_EQ(hex_fault_text(scan), "odd number of hex digits at column 4");
}

// Digits are read thirty-two and sixteen at a time, and a group's last
// ones that end the line sixteen at once from further back: every byte at
// every place of groups of such lengths is read as a digit or refused, as
// alone.
TEST(HexTrace, EveryByteAtEveryPlaceOfLongGroups) {
    const std::string digits = "0123456789abcdefABCDEF";
    PacketBytes bytes;
    for (const std::size_t length : {48u, 46u, 40u, 34u, 18u, 16u, 14u}) {
        std::string group;
        for (std::size_t k = 0; k < length; ++k) group += digits[(k * 7 + 1) % digits.size()];  // not "0x"
        for (std::size_t place = 0; place < group.size(); ++place) {
            for (int b = 0; b < 256; ++b) {
                const char c = static_cast<char>(b);
                if (std::string_view(" \t:-#\r\n").find(c) != std::string_view::npos) continue;  // separators, ends
                std::string line = group;
                line[place] = c;
                const HexScan scan = scan_hex_line(line, bytes);
                if (std::isxdigit(b) == 0) {
                    ASSERT_EQ(scan.kind, HexScan::Kind::Error) << length << ' ' << place << ' ' << b;
                    ASSERT_EQ(scan.column, place + 1) << length << ' ' << place << ' ' << b;
                    continue;
                }
                ASSERT_EQ(scan.kind, HexScan::Kind::Packet) << length << ' ' << place << ' ' << b;
                ASSERT_EQ(scan.size, length / 2);
                for (std::size_t at = 0; at < length / 2; ++at)
                    ASSERT_EQ(bytes[at], std::stoul(line.substr(2 * at, 2), nullptr, 16)) << length << ' ' << place;
            }
        }
    }
}

// Groups of every length up to 70 digits that end the line: odd ones
// refused at their start, even ones read whole.
TEST(HexTrace, GroupsOfEveryLengthEndingTheLine) {
    PacketBytes bytes;
    for (std::size_t length = 1; length <= 70; ++length) {
        std::string group;
        for (std::size_t k = 0; k < length; ++k) group += "0123456789abcdef"[(k * 5 + 3) % 16];
        const HexScan scan = scan_hex_line("01 " + group, bytes);
        if (length % 2 != 0) {
            EXPECT_EQ(hex_fault_text(scan), "odd number of hex digits at column 4") << length;
            continue;
        }
        ASSERT_EQ(scan.size, 1 + length / 2) << length;
        for (std::size_t at = 0; at < length / 2; ++at)
            ASSERT_EQ(bytes[1 + at], std::stoul(group.substr(2 * at, 2), nullptr, 16)) << length << ' ' << at;
    }
}

// The usual line's fast reading, by AVX2 (where the processor has it) and
// by the build's baseline: lines of digits of many lengths, whole ones
// and the tails that overlap the digits before, give the bytes they spell.
TEST(HexTrace, PlainDigitsReadAtEveryLengthByBothWidths) {
    PacketBytes bytes;
    for (const bool wide : {true, false}) {
        for (std::size_t length = 16; length <= 130; length += 2) {
            std::string line;
            for (std::size_t k = 0; k < length; ++k) line += "0123456789abcdefABCDEF"[(k * 7 + 3) % 22];
            ASSERT_TRUE(plain_hex_digits(line, bytes.data(), wide)) << wide << ' ' << length;
            for (std::size_t at = 0; at < length / 2; ++at)
                ASSERT_EQ(bytes[at], std::stoul(line.substr(2 * at, 2), nullptr, 16)) << wide << ' ' << length << ' ' << at;
        }
    }
}

// Any byte that is no digit, at any place of such lines, sends the line to
// the full reading.
TEST(HexTrace, PlainDigitsRefuseAnyOtherByteByBothWidths) {
    PacketBytes bytes;
    for (const bool wide : {true, false}) {
        for (const std::size_t length : {16u, 32u, 34u, 46u, 64u, 66u, 96u}) {
            const std::string digits(length, 'a');
            for (std::size_t place = 0; place < length; ++place) {
                for (int b = 0; b < 256; ++b) {
                    if (std::isxdigit(b) != 0) continue;
                    std::string line = digits;
                    line[place] = static_cast<char>(b);
                    ASSERT_FALSE(plain_hex_digits(line, bytes.data(), wide)) << wide << ' ' << length << ' ' << place << ' ' << b;
                }
            }
        }
    }
}

TEST(HexTrace, PlainDigitsRefuseAnOddCount) {
    PacketBytes bytes;
    for (const bool wide : {true, false}) EXPECT_FALSE(plain_hex_digits(std::string(33, 'a'), bytes.data(), wide)) << wide;
}

TEST(HexTrace, PlainDigitsTakeTheLongestPacket) {
    PacketBytes bytes;
    for (const bool wide : {true, false})
        EXPECT_TRUE(plain_hex_digits(std::string(2 * kMaxPacketLength, 'a'), bytes.data(), wide)) << wide;
}

TEST(HexTrace, PlainDigitsRefuseOneBytePastTheLongestPacket) {
    PacketBytes bytes;
    for (const bool wide : {true, false})
        EXPECT_FALSE(plain_hex_digits(std::string(2 * kMaxPacketLength + 2, 'a'), bytes.data(), wide)) << wide;
}

// The usual line found and read in one pass (AVX2 only): `line` with its
// line end and zeroed room behind, as a batch holds it.
bool plain_line_of(const std::string& line, std::size_t& length, PacketBytes& bytes) {
    std::string text = line + "\n" + std::string(kLineEndSlack, '\0');
    return plain_hex_line(text.data(), length, bytes.data());
}

TEST(HexTrace, PlainLineReadToItsEndAtEveryLength) {
    if (!cpu_has_avx2()) GTEST_SKIP() << "no AVX2";
    PacketBytes bytes;
    for (std::size_t length = 2; length <= 130; length += 2) {
        std::string line;
        for (std::size_t k = 0; k < length; ++k) line += "0123456789abcdefABCDEF"[(k * 7 + 3) % 22];
        std::size_t found = 0;
        ASSERT_TRUE(plain_line_of(line, found, bytes)) << length;
        ASSERT_EQ(found, length);
        for (std::size_t at = 0; at < length / 2; ++at)
            ASSERT_EQ(bytes[at], std::stoul(line.substr(2 * at, 2), nullptr, 16)) << length << ' ' << at;
    }
}

// Anything but digits up to the line end leaves the line to the full
// reading: any other byte at any place, an odd count, nothing at all.
TEST(HexTrace, PlainLineLeavesAnyOtherByteToTheFullReading) {
    if (!cpu_has_avx2()) GTEST_SKIP() << "no AVX2";
    PacketBytes bytes;
    std::size_t found = 0;
    for (const std::size_t length : {2u, 30u, 32u, 34u, 64u, 66u}) {
        for (std::size_t place = 0; place < length; ++place) {
            for (int b = 0; b < 256; ++b) {
                if (std::isxdigit(b) != 0 || b == '\n') continue;
                std::string line(length, 'a');
                line[place] = static_cast<char>(b);
                ASSERT_FALSE(plain_line_of(line, found, bytes)) << length << ' ' << place << ' ' << b;
            }
        }
    }
}

TEST(HexTrace, PlainLineLeavesAnOddCount) {
    if (!cpu_has_avx2()) GTEST_SKIP() << "no AVX2";
    PacketBytes bytes;
    std::size_t found = 0;
    EXPECT_FALSE(plain_line_of(std::string(33, 'a'), found, bytes));
}

TEST(HexTrace, PlainLineLeavesAnEmptyLine) {
    if (!cpu_has_avx2()) GTEST_SKIP() << "no AVX2";
    PacketBytes bytes;
    std::size_t found = 0;
    EXPECT_FALSE(plain_line_of("", found, bytes));
}

// Near the longest packet the full reading judges the length.
TEST(HexTrace, PlainLineLeavesTheLongestPacket) {
    if (!cpu_has_avx2()) GTEST_SKIP() << "no AVX2";
    PacketBytes bytes;
    std::size_t found = 0;
    EXPECT_FALSE(plain_line_of(std::string(2 * kMaxPacketLength, 'a'), found, bytes));
}

TEST(HexTrace, LastDigitAloneAtTheEndOfTheLine) {
    PacketBytes bytes;
    EXPECT_EQ(hex_fault_text(scan_hex_line("0102 a", bytes)), "odd number of hex digits at column 6");
}
TEST(LineReader, LastLineWithoutLineEnd) {
    EXPECT_EQ(lines_of("ab\ncd"), (std::vector<std::string>{"1:ab", "2:cd"}));
}

TEST(LineReader, LineAtTheCapIsHandedOut) {
    EXPECT_EQ(lines_of(std::string(LineReader::kMaxLine, 'a') + "\nb\n"),
              (std::vector<std::string>{"1:aaaaaaaa", "2:b"}));
}

TEST(LineReader, LinePastTheCapIsTooLongAndReadingGoesOn) {
    EXPECT_EQ(lines_of(std::string(LineReader::kMaxLine + 1, 'a') + "\nb\n"),
              (std::vector<std::string>{"1:too long", "2:b"}));
}

TEST(LineReader, LastLinePastTheCapIsTooLong) {
    EXPECT_EQ(lines_of("a\n" + std::string(3 * LineReader::kMaxLine, 'a')),
              (std::vector<std::string>{"1:a", "2:too long"}));
}

// The first line of what is read comes alone, the rest of the lines read as one run.
TEST(LineReader, RunsAreNumberedAsLinesOneByOne) {
    EXPECT_EQ(runs_of("a\nb\n\nc", 1 << 20), (std::vector<std::string>{"1:a", "3:b\n", "4:c"}));
}

TEST(LineReader, RunEndsAtTheLastLineEndWithinItsRoom) {
    EXPECT_EQ(runs_of("a\nbb\ncc\ndd\n", 6), (std::vector<std::string>{"1:a", "3:bb\ncc", "4:dd"}));
}

TEST(LineReader, LineLongerThanTheRoomComesAlone) {
    EXPECT_EQ(runs_of("a\nbbbb\nc\n", 3), (std::vector<std::string>{"1:a", "2:bbbb", "3:c"}));
}

// Lines of every kind across several batches (each ends near 256 KiB, its
// line ends counted in bulk, past the 255 blocks a counter holds): each
// comes out once, with its own number and bytes, read the usual way or not.
TEST(HexBatches, LinesAcrossBatchesKeepTheirNumbersAndBytes) {
    const std::string kinds[] = {"0123456789abcdef0123456789ABCDEF0123456789", "00 01 02", "0a0b\r", "# note", "",
                                 "00g0", "0123456789abcdef0123456789abcdef"};
    std::string text;
    std::vector<std::string> expected;
    for (std::size_t n = 1; n <= 30000; ++n) {
        const std::string& line = kinds[n % 7];
        text += line + "\n";
        const HexLine scan = parse_hex_line(line);
        if (scan.kind == HexLine::Kind::Skip) continue;
        std::string shown = scan.kind == HexLine::Kind::Error ? "error" : "";
        char digits[3];
        for (unsigned char b : scan.bytes) shown += (std::snprintf(digits, sizeof digits, "%02x", b), digits);
        expected.push_back(std::to_string(n) + ":" + shown);
    }
    text += std::string(LineReader::kMaxLine + 1, '0') + "\n00ff";  // too long, then a last line with no end
    expected.push_back("30001:too long");
    expected.push_back("30002:00ff");
    EXPECT_EQ(batch_lines_of(text), expected);
}

TEST(LineReader, DirectoryIsAReadError) {
    InputFile in(testing::TempDir());
    LineReader reader(in);
    std::string_view line;
    EXPECT_EQ(reader.next(line), LineReader::Next::Error);
    EXPECT_EQ(in.error(), EISDIR);
}

TEST(PacketFile, AtTheLengthTheDecodersTake) { EXPECT_EQ(packet_file_of(kMaxPacketLength), PacketFile::Packet); }

TEST(PacketFile, OneBytePastIsTooLong) { EXPECT_EQ(packet_file_of(kMaxPacketLength + 1), PacketFile::TooLong); }
