#include "options.h"

#include <gtest/gtest.h>

using paketlog::tool::parse_options;

namespace {

TEST(Options, ValuesAndFiles) {
    const auto p = parse_options({"--msg-type", "0", "--skip-type=0xFF", "a.hex", "-", "--", "--b.hex"});
    ASSERT_EQ(p.error, "");
    EXPECT_EQ(p.options.msg_type, 0);
    EXPECT_EQ(p.options.skip_type, 255);
    EXPECT_EQ(p.options.files, (std::vector<std::string>{"a.hex", "-", "--b.hex"}));
}

TEST(Options, LimitsAndConflicts) {
    const std::pair<std::vector<std::string>, const char*> cases[] = {
        {{"--msg-type=255", "--skip-type", "0"}, ""},
        {{"--testcall", "--outgoing", "--outgoing"}, ""},
        {{"--pcap", "--port", "65535"}, ""},
        {{"--msg-type"}, "option --msg-type needs a value"},
        {{"--json=yes"}, "option --json takes no value"},
        {{"--msg-type", "256"}, "--msg-type wants a number from 0 to 255, not '256'"},
        {{"--msg-type", "-1"}, "--msg-type wants a number from 0 to 255, not '-1'"},
        {{"--msg-type", "5x"}, "--msg-type wants a number from 0 to 255, not '5x'"},
        {{"--msg-type="}, "--msg-type wants a number from 0 to 255, not ''"},
        {{"--skip-type", "0x"}, "--skip-type wants a number from 0 to 255, not '0x'"},
        {{"--pcap", "--port", "0"}, "--port wants a UDP port from 1 to 65535, not '0'"},
        {{"--pcap", "--port", "65536"}, "--port wants a UDP port from 1 to 65535, not '65536'"},
        {{"--pcap", "--binary"}, "give only one of --hex, --binary and --pcap"},
        {{"--skip-type", "1", "--testcall"}, "--msg-type and --skip-type apply to the operator line, not to --testcall"},
        {{"--outgoing"}, "--incoming and --outgoing apply to --testcall only"},
        {{"--testcall", "--incoming", "--outgoing"}, "--incoming and --outgoing exclude each other"},
        {{"--raw", "--json"}, "--raw cannot be combined with --json (JSON text is UTF-8)"},
    };
    for (const auto& c : cases) EXPECT_EQ(parse_options(c.first).error, c.second) << c.first[0];
}

}  // namespace
