// Every additional-parameter type in one row: code, name, value layout. The
// exported name table (names.cpp) and the value renderer (value.cpp) are both
// made from this list.
#ifndef PAKETLOG_SRC_EAP_PARAM_TYPES_H
#define PAKETLOG_SRC_EAP_PARAM_TYPES_H

#include <cstddef>

#include "paketlog.h"

namespace paketlog {
namespace detail {

// How a parameter's value is shown:
//   Text          NUL-terminated text           U8, U32, U32Pair  little-endian numbers
//   Rtp           u32 ID, u16 Dstn, RTP record  Binary            hex dump
//   Video         video record                  Number            number record
//   EndpointType  one code, named               Silent            nothing at all
enum class Layout { Text, U8, U32, U32Pair, Rtp, Binary, Video, Number, EndpointType, Silent };

#define PAKETLOG_PARAM_TYPES(ROW)                      \
    ROW(160, "ENDPOINT_A", Text)                       \
    ROW(161, "ENDPOINT_B", Text)                       \
    ROW(162, "BUTTON", U8)                             \
    ROW(163, "NAME_CALL", Text)                        \
    ROW(164, "EIRINE_NUM", Silent)                     \
    ROW(165, "DMR_PRIORITY", U8)                       \
    ROW(166, "ANOTHER_ABONENT_PARAM", Silent)          \
    ROW(167, "MGCP_SEANCE", Text)                      \
    ROW(168, "RTP_PARAM", Rtp)                         \
    ROW(169, "EDSS_ID_CALL", U32)                      \
    ROW(170, "ENDPOINT_C", Text)                       \
    ROW(171, "SESSION_LIST", U32)                      \
    ROW(172, "CAMERA_PROP", U32Pair)                   \
    ROW(173, "BINARY_DATA", Binary)                    \
    ROW(174, "VIDEO_PARAM", Video)                     \
    ROW(175, "HIDE_PARAM", Number)                     \
    ROW(176, "HIDE_NAME", Text)                        \
    ROW(177, "ENDPOINT_TYPE", EndpointType)            \
    ROW(178, "REDIRECT_NUMBER", Text)                  \
    ROW(179, "ADDCAPABILITY", Text)                    \
    ROW(180, "UNKNOWN", Silent)

constexpr unsigned char kFirstParamType = 160;

#define PAKETLOG_PARAM_CODE(code, name, layout) code,
constexpr unsigned char kParamCodes[] = {PAKETLOG_PARAM_TYPES(PAKETLOG_PARAM_CODE)};
#undef PAKETLOG_PARAM_CODE

// The codes run without a gap from kFirstParamType: a type's row is at type - kFirstParamType.
constexpr bool codes_in_a_run() {
    for (std::size_t i = 0; i < sizeof kParamCodes; ++i)
        if (kParamCodes[i] != kFirstParamType + i) return false;
    return true;
}
static_assert(codes_in_a_run(), "parameter types run from 160 without a gap");

#define PAKETLOG_PARAM_LAYOUT(code, name, layout) Layout::layout,
constexpr Layout kParamLayouts[] = {PAKETLOG_PARAM_TYPES(PAKETLOG_PARAM_LAYOUT)};
#undef PAKETLOG_PARAM_LAYOUT

// The layout of a listed parameter type (160 to 180).
constexpr Layout layout_of_param(unsigned char type) { return kParamLayouts[type - kFirstParamType]; }

constexpr std::size_t kRtpOffset = 6;  // u32 ID, u16 Dstn, then the RTP record

// Bytes a layout reads at fixed offsets; a shorter value is not guessed at.
constexpr unsigned fixed_size(Layout layout) {
    switch (layout) {
    case Layout::U8: case Layout::EndpointType: return 1;
    case Layout::U32: return 4;
    case Layout::U32Pair: return 8;
    case Layout::Rtp: return kRtpOffset + sizeof(RTP_EXCH::sRTPExchParam);
    case Layout::Video: return sizeof(Video_Exchange::ParamVideoRTP);
    case Layout::Number: return sizeof(_PD_NUMBER);
    default: return 0;
    }
}

// The names of ENDPOINT_TYPE's codes.
inline constexpr CODE_NAME kEndpointTypes[] = {
    {1, "ANALOG PORT"}, {2, "SIP TERM"},  {3, "ISDN TERM"},     {4, "IP_ISDN TERM"},
    {129, "ANALOG SL"}, {130, "SIP SL"},  {131, "E1 SL"},       {132, "IP ISDN SL"},
    {133, "SAT-R SL"},  {134, "SAT-L SL"}, {194, "DISP_CIRCLE"}, {195, "CALL_CENTRE"},
    {196, "CIRCULAR_CALL"},
};

}  // namespace detail
}  // namespace paketlog

#endif
