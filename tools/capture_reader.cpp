#include "capture_reader.h"

#include <pcap/pcap.h>

#include <cstdio>
#include <ctime>

namespace paketlog {
namespace tool {

CaptureReader::~CaptureReader() {
    if (pcap_ != nullptr) pcap_close(pcap_);
}

bool CaptureReader::open(const std::string& path) {
    char errbuf[PCAP_ERRBUF_SIZE] = "";
    pcap_ = path == "-" ? pcap_fopen_offline(stdin, errbuf) : pcap_open_offline(path.c_str(), errbuf);
    if (pcap_ == nullptr) {
        error_ = errbuf;
        return false;
    }
    link_type_ = pcap_datalink(pcap_);
    return true;
}

std::string CaptureReader::link_type_name() const {
    const char* name = pcap_datalink_val_to_name(link_type_);
    return name != nullptr ? name : std::to_string(link_type_);
}

CaptureReader::Next CaptureReader::next(CaptureFrame& frame) {
    pcap_pkthdr* header = nullptr;
    const u_char* data = nullptr;
    switch (pcap_next_ex(pcap_, &header, &data)) {
    case 1:
        frame.number = ++count_;
        frame.seconds = static_cast<long long>(header->ts.tv_sec);
        frame.microseconds = static_cast<long>(header->ts.tv_usec);
        frame.data = data;
        frame.caplen = header->caplen;
        return Next::Frame;
    case PCAP_ERROR_BREAK:
        return Next::End;
    default:
        error_ = pcap_geterr(pcap_);
        return Next::Error;
    }
}

std::string clock_time(long long seconds, long microseconds) {
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm parts{};
    localtime_r(&t, &parts);
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d.%06ld", parts.tm_hour, parts.tm_min, parts.tm_sec,
                  microseconds);
    return text;
}

std::string utc_time(long long seconds, long microseconds) {
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm parts{};
    gmtime_r(&t, &parts);
    char text[48];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%06ldZ", parts.tm_year + 1900,
                  parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec, microseconds);
    return text;
}

}  // namespace tool
}  // namespace paketlog
