#include "options.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include <string>
#include <vector>

using paketlog::tool::InputFormat;
using paketlog::tool::parse_options;
using paketlog::tool::ParsedOptions;

namespace {

ParsedOptions parse(std::vector<std::string> args) { return parse_options(args); }

TEST(Options, DefaultsDecodeHexFromStandardInputAsIncomingOperatorLines) {
    const ParsedOptions p = parse({});
    ASSERT_EQ(p.error, "");
    EXPECT_EQ(p.options.input, InputFormat::Hex);
    EXPECT_FALSE(p.options.testcall);
    EXPECT_TRUE(p.options.incoming);
    EXPECT_EQ(p.options.msg_type, 1);
    EXPECT_EQ(p.options.skip_type, 0);
    EXPECT_EQ(p.options.port, -1);
    EXPECT_FALSE(p.options.raw);
    EXPECT_FALSE(p.options.json);
    EXPECT_TRUE(p.options.files.empty());
}

TEST(Options, ValuesBySpaceOrEqualsInDecimalOrHex) {
    ParsedOptions p = parse({"--msg-type", "6", "--skip-type=0xA0", "a.hex", "-", "b.hex"});
    ASSERT_EQ(p.error, "");
    EXPECT_EQ(p.options.msg_type, 6);
    EXPECT_EQ(p.options.skip_type, 0xA0);
    EXPECT_EQ(p.options.files, (std::vector<std::string>{"a.hex", "-", "b.hex"}));

    p = parse({"--pcap", "--port=7700", "--json", "x.pcap"});
    ASSERT_EQ(p.error, "");
    EXPECT_EQ(p.options.input, InputFormat::Pcap);
    EXPECT_EQ(p.options.port, 7700);
    EXPECT_TRUE(p.options.json);

    p = parse({"--testcall", "--outgoing", "--raw", "--binary", "--", "--odd-name.bin"});
    ASSERT_EQ(p.error, "");
    EXPECT_TRUE(p.options.testcall);
    EXPECT_FALSE(p.options.incoming);
    EXPECT_TRUE(p.options.raw);
    EXPECT_EQ(p.options.input, InputFormat::Binary);
    EXPECT_EQ(p.options.files, (std::vector<std::string>{"--odd-name.bin"}));

    EXPECT_EQ(parse({"--msg-type", "0"}).options.msg_type, 0);
    EXPECT_EQ(parse({"--msg-type", "255"}).options.msg_type, 255);
    EXPECT_EQ(parse({"--pcap", "--port", "65535"}).options.port, 65535);
    EXPECT_TRUE(parse({"-h"}).options.help);
    EXPECT_TRUE(parse({"--version"}).options.version);
}

TEST(Options, BadCommandLinesAreRefusedWithAReason) {
    struct Case {
        std::vector<std::string> args;
        const char* error;
    };
    const Case cases[] = {
        {{"--frobnicate"}, "unknown option --frobnicate"},
        {{"-x"}, "unknown option -x"},
        {{"--msg-type"}, "option --msg-type needs a value"},
        {{"--msg-type", "256"}, "--msg-type wants a number from 0 to 255, not '256'"},
        {{"--msg-type", "-1"}, "--msg-type wants a number from 0 to 255, not '-1'"},
        {{"--msg-type", "5x"}, "--msg-type wants a number from 0 to 255, not '5x'"},
        {{"--msg-type="}, "--msg-type wants a number from 0 to 255, not ''"},
        {{"--skip-type", "0x"}, "--skip-type wants a number from 0 to 255, not '0x'"},
        {{"--pcap", "--port", "0"}, "--port wants a UDP port from 1 to 65535, not '0'"},
        {{"--pcap", "--port", "65536"}, "--port wants a UDP port from 1 to 65535, not '65536'"},
        {{"--json=yes"}, "option --json takes no value"},
        {{"--pcap", "--binary"}, "give only one of --hex, --binary and --pcap"},
        {{"--port", "7700"}, "--port applies to --pcap input only"},
        {{"--testcall", "--msg-type", "2"},
         "--msg-type and --skip-type apply to the operator line, not to --testcall"},
        {{"--skip-type", "160", "--testcall"},
         "--msg-type and --skip-type apply to the operator line, not to --testcall"},
        {{"--outgoing"}, "--incoming and --outgoing apply to --testcall only"},
        {{"--testcall", "--incoming", "--outgoing"}, "--incoming and --outgoing exclude each other"},
        {{"--raw", "--json"}, "--raw cannot be combined with --json (JSON text is UTF-8)"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(parse(c.args).error, c.error) << c.args[0];
    }
}

}  // namespace

namespace {

TEST(Options, HelpAndManPageDocumentEveryOption) {
    const std::string help = paketlog::tool::usage_text();
    std::ifstream man_file(PAKETLOG_MAN_PAGE);
    ASSERT_TRUE(man_file) << PAKETLOG_MAN_PAGE;
    const std::string man((std::istreambuf_iterator<char>(man_file)), std::istreambuf_iterator<char>());
    for (const char* option : {"hex", "binary", "pcap", "port", "msg-type", "skip-type", "testcall", "incoming",
                               "outgoing", "raw", "json", "help", "version"}) {
        // Every option the parser takes is known to it ...
        std::vector<std::string> args = {std::string("--") + option};
        if (std::string(option) == "port") args = {"--pcap", "--port", "1"};
        if (std::string(option) == "msg-type" || std::string(option) == "skip-type") args.push_back("1");
        if (std::string(option) == "incoming" || std::string(option) == "outgoing") args.push_back("--testcall");
        EXPECT_EQ(parse(args).error, "") << option;
        // ... and documented in --help and in the man page (where '-' is written "\-").
        EXPECT_NE(help.find(std::string("--") + option), std::string::npos) << option;
        std::string roff = std::string("\\-\\-") + option;
        for (std::size_t at = roff.find('-', 4); at != std::string::npos; at = roff.find('-', at + 2))
            roff.replace(at, 1, "\\-");
        EXPECT_NE(man.find(roff), std::string::npos) << roff;
    }
    EXPECT_NE(help.find("Examples:"), std::string::npos);
}

}  // namespace
