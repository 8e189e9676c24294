// What an arrow of the ladder says of its packet: the packet's name and the
// one field that tells this packet from the others of its call (the digit,
// the number dialled, the control, the seance the call goes on under, the
// RTP address), and the name its parameters give the endpoint that sent it.
#ifndef PAKETLOG_TOOLS_LADDER_PACKET_LABEL_H
#define PAKETLOG_TOOLS_LADDER_PACKET_LABEL_H

#include <cstddef>
#include <memory>
#include <string>

#include "text/text_utf8.h"

namespace paketlog {
struct Workspace;

namespace tool {

class PacketLabels {
public:
    PacketLabels();
    ~PacketLabels();
    PacketLabels(const PacketLabels&) = delete;
    PacketLabels& operator=(const PacketLabels&) = delete;

    // "DIALDIGIT 5", "DIALNUMBER 2015", "CONTROL toFB_CTRL_ESTABLISHED",
    // "CNG_SEANCE to 1043", "RTP_DATA 10.1.1.5:40000"; the name alone where
    // the type has no key field or the packet ends before it; "" for an
    // unlisted type. UTF-8, on one line.
    std::string label(const unsigned char* packet, std::size_t size);

    // The text of the packet's first ENDPOINT_A, ENDPOINT_B, ENDPOINT_C or
    // NAME_CALL parameter (in that order of preference), UTF-8; "" when it has none.
    std::string sender_name(const unsigned char* packet, std::size_t size) const;

private:
    std::string number(const unsigned char* packet, std::size_t size, std::size_t at);

    std::unique_ptr<Workspace> ws_;
    Cp1251ToUtf8 utf8_;
};

}  // namespace tool
}  // namespace paketlog

#endif
