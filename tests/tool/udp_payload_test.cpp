#include "udp_payload.h"

#include <gtest/gtest.h>
#include <pcap/dlt.h>

#include "capture_writer.h"

using namespace paketlog::tool;
using Kind = UdpDatagram::Kind;

namespace {

const Bytes kPayload = {0x01, 0x00, 0x80, 0x00, 0x00, 0x00, 0x11, 0x00, 0x00, 0x00, 0x05, 0x00};
constexpr int kIp = 14;  // the IP header behind the Ethernet header

// Frames the capture runs never hold: other link layers, other traffic,
// fragments, IPv6 extension headers, frames cut by the snapshot length.
TEST(UdpPayload, MalformedAndUnusualFrames) {
    // extension (IPv6): put behind the fixed header, [0] its type, [1] the next header; patches: offset
    // from the IP header and byte; caplen 0: the whole frame. Then what is found.
    const struct {
        const char* what; int dlt; bool ipv6; Bytes extension; std::vector<std::pair<int, unsigned char>> patches;
        int caplen; Kind kind; std::size_t size; bool first_fragment;
    } cases[] = {
        {"raw IPv4, padding left", DLT_RAW, false, {}, {}, 0, Kind::Udp, 12, false},
        {"raw IPv6", DLT_IPV6, true, {}, {}, 0, Kind::Udp, 12, false},
        {"loopback", DLT_NULL, false, {}, {}, 0, Kind::Udp, 12, false},
        {"TCP", DLT_EN10MB, false, {}, {{9, 6}}, 0, Kind::Other, 0, false},
        {"ARP", DLT_EN10MB, false, {}, {{-2, 0x08}, {-1, 0x06}}, 0, Kind::Other, 0, false},
        {"IPv4 ethertype, IPv6 header", DLT_EN10MB, false, {}, {{0, 0x65}}, 0, Kind::Other, 0, false},
        {"ICMPv6", DLT_EN10MB, true, {}, {{6, 58}}, 0, Kind::Other, 0, false},
        {"no link header", DLT_EN10MB, false, {}, {}, 13, Kind::Other, 0, false},
        {"IPv4 first fragment", DLT_EN10MB, false, {}, {{6, 0x20}}, 0, Kind::Udp, 12, true},
        {"IPv4 later fragment", DLT_EN10MB, false, {}, {{7, 0x10}}, 0, Kind::Fragment, 0, false},
        {"IPv6 hop-by-hop", DLT_EN10MB, true, {0, 17, 0, 1, 4, 0, 0, 0, 0}, {}, 0, Kind::Udp, 12, false},
        {"IPv6 first fragment", DLT_EN10MB, true, {44, 17, 0, 0, 1, 0, 0, 0, 7}, {}, 0, Kind::Udp, 12, true},
        {"IPv6 later fragment", DLT_EN10MB, true, {44, 17, 0, 0, 0x10, 0, 0, 0, 7}, {}, 0, Kind::Fragment, 0, false},
        {"IPv6 cut in an extension", DLT_EN10MB, true, {0, 17, 0, 1, 4, 0, 0, 0, 0}, {}, kIp + 41, Kind::Cut,
         0, false},
        {"cut in the payload", DLT_EN10MB, false, {}, {}, kIp + 20 + 8 + 5, Kind::Udp, 5, false},
        {"cut after the UDP header", DLT_EN10MB, false, {}, {}, kIp + 20 + 8, Kind::Udp, 0, false},
        {"cut in the UDP header", DLT_EN10MB, false, {}, {}, kIp + 20 + 7, Kind::Cut, 0, false},
        {"cut in IPv4 options", DLT_EN10MB, false, {}, {{0, 0x46}}, kIp + 22, Kind::Cut, 0, false},
        {"link not walked", DLT_IEEE802_11, false, {}, {}, 0, Kind::Other, 0, false},
    };
    for (const auto& c : cases) {
        UdpFlow flow;
        flow.ipv6 = c.ipv6;
        Bytes frame = udp_frame(LinkLayer::Ethernet, flow, kPayload);
        if (!c.extension.empty()) {
            frame.insert(frame.begin() + kIp + 40, c.extension.begin() + 1, c.extension.end());
            frame[kIp + 6] = c.extension[0];
            frame[kIp + 5] = static_cast<unsigned char>(frame[kIp + 5] + c.extension.size() - 1);
        }
        for (const auto& patch : c.patches) frame[static_cast<std::size_t>(kIp + patch.first)] = patch.second;
        if (c.caplen != 0) frame.resize(static_cast<std::size_t>(c.caplen));
        if (c.dlt == DLT_RAW || c.dlt == DLT_IPV6) frame.erase(frame.begin(), frame.begin() + kIp);
        if (c.dlt == DLT_NULL) frame.erase(frame.begin() + 4, frame.begin() + kIp);
        const UdpDatagram d = find_udp_payload(c.dlt, frame.data(), frame.size());
        EXPECT_EQ(link_type_supported(c.dlt), c.dlt != DLT_IEEE802_11) << c.what;
        ASSERT_EQ(d.kind, c.kind) << c.what;
        EXPECT_EQ(d.first_fragment, c.first_fragment) << c.what;
        EXPECT_EQ(Bytes(d.payload, d.payload + d.size), Bytes(kPayload.begin(), kPayload.begin() + c.size))
            << c.what;
    }
}

}  // namespace
