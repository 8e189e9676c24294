// Every listed packet type as it lies on the wire: the common header, the
// type's own fields from offset 10 on, then the count byte of its
// additional-parameter block. These records are the one description of each
// type; the decoders read fields through them and the lengths a packet must
// have follow from them.
#ifndef PAKETLOG_SRC_WIRE_PACKET_TYPES_H
#define PAKETLOG_SRC_WIRE_PACKET_TYPES_H

#include <cstddef>

#include "paketlog.h"

namespace paketlog {
namespace wire {

// Multi-byte fields are bytes: read them with load_le16/32/64.
using le16 = unsigned char[2];
using le32 = unsigned char[4];
using le64 = unsigned char[8];

#pragma pack(push, 1)
struct DialDigit {  // 128
    _PD_PACKET header;
    unsigned char digit;
    unsigned char block;
};
struct DialNumber {  // 129
    _PD_PACKET header;
    _PD_NUMBER called;
    _PD_NUMBER calling;
    le32 dial_param;
    unsigned char block;
};
struct Control {  // 130
    _PD_PACKET header;
    unsigned char control;
    _PD_CAUSE cause;
    le32 ctrl_param;
    unsigned char block;
};
struct CallingNum {  // 132
    _PD_PACKET header;
    _PD_NUMBER calling;
    le32 dial_param;
    unsigned char block;
};
struct ChkSeance {  // 136
    _PD_PACKET header;
    unsigned char session_count;
    unsigned char block;
};
struct CngSeance {  // 138
    _PD_PACKET header;
    le32 new_seance;
    _PD_NUMBER calling;
    le32 change_param;
    unsigned char block;
};
struct MoveCall {  // 140
    _PD_PACKET header;
    le32 second_seance;
    le32 move_param;
    unsigned char unused[2];
    unsigned char block;
};
struct User2User {  // 141
    _PD_PACKET header;
    le32 command;
    le64 param;
    unsigned char block;
};
struct RtpData {  // 144
    _PD_PACKET header;
    le32 id;
    le16 destination;
    RTP_EXCH::sRTPExchParam rtp;
    unsigned char block;
};
struct Connect {  // 145
    _PD_PACKET header;
    unsigned char connect_type;
    unsigned char connect_source;
    le32 param;
    unsigned char block;
};
struct KltState {  // 208, 209, 210: the block alone
    _PD_PACKET header;
    unsigned char block;
};
struct KltNotReady {  // 211: no block; the operator line shows this byte as its count
    _PD_PACKET header;
    unsigned char shown_count;
};
#pragma pack(pop)

// The fields where the packets put them.
static_assert(offsetof(DialNumber, called) == 10 && offsetof(DialNumber, calling) == 37 &&
                  offsetof(DialNumber, dial_param) == 64, "DIALNUMBER layout");
static_assert(offsetof(Control, control) == 10 && offsetof(Control, cause) == 11 && offsetof(Control, ctrl_param) == 15,
              "CONTROL layout");
static_assert(offsetof(CallingNum, calling) == 10 && offsetof(CallingNum, dial_param) == 37, "CALLINGNUM layout");
static_assert(offsetof(CngSeance, new_seance) == 10 && offsetof(CngSeance, calling) == 14 &&
                  offsetof(CngSeance, change_param) == 41, "CNG_SEANCE layout");
static_assert(offsetof(MoveCall, second_seance) == 10 && offsetof(MoveCall, move_param) == 14, "MOVE_CALL layout");
static_assert(offsetof(User2User, command) == 10 && offsetof(User2User, param) == 14, "USER2USER layout");
static_assert(offsetof(RtpData, id) == 10 && offsetof(RtpData, destination) == 14 && offsetof(RtpData, rtp) == 16,
              "RTP_DATA layout");
static_assert(offsetof(Connect, connect_type) == 10 && offsetof(Connect, connect_source) == 11 &&
                  offsetof(Connect, param) == 12, "CONNECT layout");
static_assert(offsetof(KltNotReady, shown_count) == offsetof(KltState, block), "211 shows its byte where 208 counts");

// Where a type's block (its count byte) lies; every fixed field comes before it.
template <typename Type>
constexpr unsigned short block_at() {
    static_assert(offsetof(Type, block) + 1 == sizeof(Type), "the block's count byte follows every fixed field");
    static_assert(offsetof(Type, block) >= sizeof(_PD_PACKET), "the block follows the common header");
    return static_cast<unsigned short>(offsetof(Type, block));
}

// Byte 2, the packet type, is the least any line needs.
constexpr unsigned kTypeNeed = offsetof(_PD_PACKET, type) + 1;

struct TypeLayout {
    unsigned char type;
    unsigned short block;  // 0: no block
    unsigned need;         // bytes a line of the type reads: its fields and the count byte
};

constexpr TypeLayout kLayouts[] = {
    {PKT_DIALDIGIT, block_at<DialDigit>(), sizeof(DialDigit)},
    {PKT_DIALNUMBER, block_at<DialNumber>(), sizeof(DialNumber)},
    {PKT_CONTROL, block_at<Control>(), sizeof(Control)},
    {PKT_CALLINGNUM, block_at<CallingNum>(), sizeof(CallingNum)},
    {PKT_CHK_SEANCE, block_at<ChkSeance>(), sizeof(ChkSeance)},
    {PKT_CNG_SEANCE, block_at<CngSeance>(), sizeof(CngSeance)},
    {PKT_MOVE_CALL, block_at<MoveCall>(), sizeof(MoveCall)},
    {PKT_USER2USER, block_at<User2User>(), sizeof(User2User)},
    {PKT_RTP_DATA, block_at<RtpData>(), sizeof(RtpData)},
    {PKT_CONNECT, block_at<Connect>(), sizeof(Connect)},
    {PKT_KLT_RDY, block_at<KltState>(), sizeof(KltState)},
    {PKT_KLT_REGEP, block_at<KltState>(), sizeof(KltState)},
    {PKT_KLT_UNREG, block_at<KltState>(), sizeof(KltState)},
    {PKT_KLT_NTRDY, 0, sizeof(KltNotReady)},
};

// Every type code's layout, listed or not, for a lookup by index.
struct LayoutsByType {
    TypeLayout of[256];
    constexpr LayoutsByType() : of{} {
        for (unsigned t = 0; t < 256; ++t) of[t] = TypeLayout{static_cast<unsigned char>(t), 0, kTypeNeed};
        for (const TypeLayout& l : kLayouts) of[l.type] = l;
    }
};
inline constexpr LayoutsByType kLayoutsByType{};

// The layout of `type`; an unlisted type has no block and needs its type byte.
constexpr TypeLayout layout_of(unsigned char type) { return kLayoutsByType.of[type]; }

constexpr unsigned needed_length(unsigned char type) { return layout_of(type).need; }
constexpr unsigned short block_offset(unsigned char type) { return layout_of(type).block; }

}  // namespace wire
}  // namespace paketlog

#endif
