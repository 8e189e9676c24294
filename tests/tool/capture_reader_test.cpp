#include "capture_reader.h"

#include <gtest/gtest.h>
#include <pcap/dlt.h>

#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

#include "capture_writer.h"

using paketlog::tool::Bytes;
using paketlog::tool::CapturedFrame;
using paketlog::tool::CaptureFrame;
using paketlog::tool::CaptureReader;
using paketlog::tool::LinkLayer;
using paketlog::tool::UdpFlow;

namespace {

std::string write_file(const std::string& name, const Bytes& bytes) {
    const std::string path = testing::TempDir() + "paketlog_" + name;
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path;
}

std::vector<CapturedFrame> two_frames() {
    std::vector<CapturedFrame> frames(2);
    frames[0].seconds = 1709285400;
    frames[0].microseconds = 1;
    frames[0].bytes = paketlog::tool::udp_frame(LinkLayer::Ethernet, UdpFlow{}, {0x01, 0x00, 0xD3});
    frames[1].seconds = 1709285401;
    frames[1].microseconds = 999999;
    frames[1].bytes = {0xAA, 0xBB, 0xCC};  // odd length: pcapng pads it
    return frames;
}

void expect_frames_read_back(const std::string& path) {
    const std::vector<CapturedFrame> written = two_frames();
    CaptureReader reader;
    ASSERT_TRUE(reader.open(path)) << reader.error();
    EXPECT_EQ(reader.link_type(), DLT_EN10MB);
    EXPECT_EQ(reader.link_type_name(), "EN10MB");
    CaptureFrame frame;
    for (std::size_t i = 0; i < written.size(); ++i) {
        ASSERT_EQ(reader.next(frame), CaptureReader::Next::Frame) << reader.error();
        EXPECT_EQ(frame.number, i + 1);
        EXPECT_EQ(frame.seconds, written[i].seconds);
        EXPECT_EQ(frame.microseconds, written[i].microseconds);
        EXPECT_EQ(Bytes(frame.data, frame.data + frame.caplen), written[i].bytes);
    }
    EXPECT_EQ(reader.next(frame), CaptureReader::Next::End);
}

TEST(CaptureReader, ReadsPcapAndPcapng) {
    expect_frames_read_back(write_file("two.pcap", paketlog::tool::pcap_file(DLT_EN10MB, two_frames())));
    expect_frames_read_back(write_file("two.pcapng", paketlog::tool::pcapng_file(DLT_EN10MB, two_frames())));
}

TEST(CaptureReader, UnreadableFilesSayWhy) {
    CaptureReader missing;
    EXPECT_FALSE(missing.open(testing::TempDir() + "paketlog_no_such.pcap"));
    EXPECT_NE(missing.error(), "");

    CaptureReader text;
    EXPECT_FALSE(text.open(write_file("text.pcap", Bytes{'0', '0', ' ', '8', '0', '\n', 0, 0, 0, 0, 0, 0, 0, 0,
                                                          0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0})));
    EXPECT_NE(text.error(), "");

    CaptureReader empty;
    EXPECT_FALSE(empty.open(write_file("empty.pcap", Bytes{})));
    EXPECT_NE(empty.error(), "");
}

TEST(CaptureReader, CaptureCutInsideAFrameEndsWithAnError) {
    Bytes file = paketlog::tool::pcap_file(DLT_EN10MB, two_frames());
    file.resize(file.size() - 2);
    CaptureReader reader;
    ASSERT_TRUE(reader.open(write_file("cut.pcap", file)));
    CaptureFrame frame;
    EXPECT_EQ(reader.next(frame), CaptureReader::Next::Frame);
    EXPECT_EQ(reader.next(frame), CaptureReader::Next::Error);
    EXPECT_NE(reader.error(), "");
}

TEST(CaptureReader, TimesAsTcpdumpPrintsThemAndInUtc) {
    const char* saved = std::getenv("TZ");
    const std::string old = saved != nullptr ? saved : "";
    setenv("TZ", "UTC", 1);
    tzset();
    EXPECT_EQ(paketlog::tool::clock_time(1709285400, 1), "09:30:00.000001");
    EXPECT_EQ(paketlog::tool::clock_time(1709332199, 999999), "22:29:59.999999");
    setenv("TZ", "EET-2", 1);  // two hours east, no daylight saving
    tzset();
    EXPECT_EQ(paketlog::tool::clock_time(1709285400, 250000), "11:30:00.250000");
    EXPECT_EQ(paketlog::tool::utc_time(1709285400, 250000), "2024-03-01T09:30:00.250000Z");
    if (saved != nullptr)
        setenv("TZ", old.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}

}  // namespace
