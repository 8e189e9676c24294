#include "udp_payload.h"

#include <gtest/gtest.h>
#include <pcap/dlt.h>

#include <vector>

#include "capture_writer.h"

using paketlog::tool::Bytes;
using paketlog::tool::find_udp_payload;
using paketlog::tool::LinkLayer;
using paketlog::tool::UdpDatagram;
using paketlog::tool::UdpFlow;
using paketlog::tool::udp_frame;

namespace {

const Bytes kPayload = {0x01, 0x00, 0x80, 0x00, 0x00, 0x00, 0x11, 0x00, 0x00, 0x00, 0x05, 0x00};

Bytes payload_of(const UdpDatagram& d) { return Bytes(d.payload, d.payload + d.size); }

UdpDatagram find(int dlt, const Bytes& frame) { return find_udp_payload(dlt, frame.data(), frame.size()); }

constexpr std::size_t kEthernet = 14;

// An IPv6 extension header of 8 bytes inserted in front of the UDP header.
Bytes with_ipv6_extension(Bytes frame, unsigned char type, const Bytes& body6) {
    const std::size_t ip = kEthernet;
    Bytes extension = {frame[ip + 6], 0};
    extension.insert(extension.end(), body6.begin(), body6.end());
    frame[ip + 6] = type;
    const unsigned length = static_cast<unsigned>(frame[ip + 4] << 8 | frame[ip + 5]) + 8;
    frame[ip + 4] = static_cast<unsigned char>(length >> 8);
    frame[ip + 5] = static_cast<unsigned char>(length);
    frame.insert(frame.begin() + static_cast<long>(ip + 40), extension.begin(), extension.end());
    return frame;
}

TEST(UdpPayload, FoundBehindEveryLinkLayerAndIpVersion) {
    const std::pair<LinkLayer, int> links[] = {
        {LinkLayer::Ethernet, DLT_EN10MB}, {LinkLayer::LinuxCooked, DLT_LINUX_SLL}, {LinkLayer::LinuxCooked2, DLT_LINUX_SLL2}};
    for (const auto& link : links) {
        for (bool ipv6 : {false, true}) {
            UdpFlow flow;
            flow.ipv6 = ipv6;
            flow.src_port = 40001;
            flow.dst_port = 7700;
            const Bytes frame = udp_frame(link.first, flow, kPayload);
            const UdpDatagram d = find(link.second, frame);
            ASSERT_EQ(d.kind, UdpDatagram::Kind::Udp) << link.second << (ipv6 ? " IPv6" : " IPv4");
            EXPECT_EQ(payload_of(d), kPayload);
            EXPECT_EQ(d.src_port, 40001);
            EXPECT_EQ(d.dst_port, 7700);
            EXPECT_FALSE(d.first_fragment);
        }
    }
}

TEST(UdpPayload, RawIpAndLoopbackLinks) {
    const Bytes ethernet = udp_frame(LinkLayer::Ethernet, UdpFlow{}, kPayload);
    const Bytes ip(ethernet.begin() + kEthernet, ethernet.end());
    for (int dlt : {DLT_RAW, DLT_IPV4}) EXPECT_EQ(payload_of(find(dlt, ip)), kPayload) << dlt;
    Bytes loop = {2, 0, 0, 0};  // AF_INET, host order
    loop.insert(loop.end(), ip.begin(), ip.end());
    EXPECT_EQ(payload_of(find(DLT_NULL, loop)), kPayload);
}

TEST(UdpPayload, EthernetPaddingAndVlanTagsAreNotPayload) {
    const Bytes tiny = {0x01, 0x02, 0x03};
    const Bytes frame = udp_frame(LinkLayer::Ethernet, UdpFlow{}, tiny);
    ASSERT_EQ(frame.size(), 60u);  // padded on the wire
    EXPECT_EQ(payload_of(find(DLT_EN10MB, frame)), tiny);

    UdpFlow tagged;
    tagged.vlan = 42;
    EXPECT_EQ(payload_of(find(DLT_EN10MB, udp_frame(LinkLayer::Ethernet, tagged, tiny))), tiny);
    tagged.ipv6 = true;
    EXPECT_EQ(payload_of(find(DLT_EN10MB, udp_frame(LinkLayer::Ethernet, tagged, kPayload))), kPayload);
}

TEST(UdpPayload, OtherTrafficIsPassedOver) {
    Bytes tcp = udp_frame(LinkLayer::Ethernet, UdpFlow{}, kPayload);
    tcp[kEthernet + 9] = 6;
    EXPECT_EQ(find(DLT_EN10MB, tcp).kind, UdpDatagram::Kind::Other);

    Bytes arp = udp_frame(LinkLayer::Ethernet, UdpFlow{}, kPayload);
    arp[12] = 0x08;
    arp[13] = 0x06;
    EXPECT_EQ(find(DLT_EN10MB, arp).kind, UdpDatagram::Kind::Other);

    UdpFlow v6;
    v6.ipv6 = true;
    Bytes icmp6 = udp_frame(LinkLayer::Ethernet, v6, kPayload);
    icmp6[kEthernet + 6] = 58;
    EXPECT_EQ(find(DLT_EN10MB, icmp6).kind, UdpDatagram::Kind::Other);

    EXPECT_EQ(find(DLT_EN10MB, Bytes{0x01, 0x02}).kind, UdpDatagram::Kind::Other);
    EXPECT_EQ(find(DLT_IEEE802_11, udp_frame(LinkLayer::Ethernet, UdpFlow{}, kPayload)).kind,
              UdpDatagram::Kind::Other);
    EXPECT_FALSE(paketlog::tool::link_type_supported(DLT_IEEE802_11));
    EXPECT_TRUE(paketlog::tool::link_type_supported(DLT_LINUX_SLL2));
}

TEST(UdpPayload, Ipv4Fragments) {
    Bytes first = udp_frame(LinkLayer::Ethernet, UdpFlow{}, kPayload);
    first[kEthernet + 6] = 0x20;  // more fragments, offset 0
    first[kEthernet + 7] = 0x00;
    const UdpDatagram d = find(DLT_EN10MB, first);
    ASSERT_EQ(d.kind, UdpDatagram::Kind::Udp);
    EXPECT_TRUE(d.first_fragment);
    EXPECT_EQ(payload_of(d), kPayload);

    Bytes later = first;
    later[kEthernet + 6] = 0x00;  // last fragment at offset 8 * 0x10
    later[kEthernet + 7] = 0x10;
    EXPECT_EQ(find(DLT_EN10MB, later).kind, UdpDatagram::Kind::Fragment);
}

TEST(UdpPayload, Ipv6ExtensionHeadersAreWalked) {
    UdpFlow v6;
    v6.ipv6 = true;
    const Bytes plain = udp_frame(LinkLayer::Ethernet, v6, kPayload);

    const Bytes hop = with_ipv6_extension(plain, 0, {1, 4, 0, 0, 0, 0});  // hop-by-hop, PadN
    UdpDatagram d = find(DLT_EN10MB, hop);
    ASSERT_EQ(d.kind, UdpDatagram::Kind::Udp);
    EXPECT_EQ(payload_of(d), kPayload);

    const Bytes first = with_ipv6_extension(plain, 44, {0x00, 0x01, 0, 0, 0, 7});  // offset 0, more
    d = find(DLT_EN10MB, first);
    ASSERT_EQ(d.kind, UdpDatagram::Kind::Udp);
    EXPECT_TRUE(d.first_fragment);
    EXPECT_EQ(payload_of(d), kPayload);

    const Bytes later = with_ipv6_extension(plain, 44, {0x00, 0x10, 0, 0, 0, 7});  // offset 2
    EXPECT_EQ(find(DLT_EN10MB, later).kind, UdpDatagram::Kind::Fragment);
}

TEST(UdpPayload, FramesCutByTheSnapshotLength) {
    const Bytes frame = udp_frame(LinkLayer::Ethernet, UdpFlow{}, kPayload);
    const std::size_t udp = kEthernet + 20;

    UdpDatagram d = find_udp_payload(DLT_EN10MB, frame.data(), udp + 8 + 5);
    ASSERT_EQ(d.kind, UdpDatagram::Kind::Udp);
    EXPECT_EQ(payload_of(d), Bytes(kPayload.begin(), kPayload.begin() + 5));

    EXPECT_EQ(find_udp_payload(DLT_EN10MB, frame.data(), udp + 8).size, 0u);
    EXPECT_EQ(find_udp_payload(DLT_EN10MB, frame.data(), udp + 7).kind, UdpDatagram::Kind::Cut);

    Bytes options = frame;
    options[kEthernet] = 0x46;  // a 24-byte IPv4 header, cut inside
    EXPECT_EQ(find_udp_payload(DLT_EN10MB, options.data(), kEthernet + 22).kind, UdpDatagram::Kind::Cut);
}

}  // namespace
