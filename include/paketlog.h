// paketlog — one signalling packet of the switching system in, one log line out.
//
// Two wordings: the operator line (English labels, decode_paket) and the
// test-call line (Russian labels in Windows-1251 bytes, decode_paket_testcall).
// A packet may end in a block of typed additional parameters, shown at the
// end of the line (decode_eap renders such a block alone). The name tables,
// lookups and renderers the lines are made of are exported too.
//
// This header, top down:
//   1. the host formatter your program supplies (tevo_snprintf);
//   2. paketlog::Workspace and the re-entrant forms: what a program that logs
//      from several threads calls;
//   3. the legacy forms, which share one library-wide workspace and are
//      entered from one thread at a time, with the tables and lookups;
//   4. the packet records, read in place from packet bytes: packed,
//      little-endian, at any alignment, never written;
//   5. inline helpers of the library's own (namespace paketlog::detail).
//
// A minimal program:
//
//   #include <cstdio>
//   #include "paketlog.h"
//   int tevo_snprintf(char* dst, int size, const char* format, ...);  // yours, see below
//   int main() {
//       static paketlog::Workspace ws;
//       unsigned char packet[] = {0, 0, 136, 0, 0, 0, 7, 0, 0, 0, 3, 0};  // CHK_SEANCE
//       char line[16384];
//       decode_paket(ws, line, sizeof line, packet, sizeof packet, 1, 0);
//       std::puts(line);  // "<< CHK_SEANCE:   7: SessionCount=3 EAP=0 "
//   }
#ifndef PAKETLOG_H
#define PAKETLOG_H

#include <cstddef>
#include <cstring>
#include <string>

#include "paketlog_version.h"  // PAKETLOG_VERSION, from the build

#if defined(_WIN32)
#define PAKETLOG_API
#else
#define PAKETLOG_API __attribute__((visibility("default")))
#endif

// ---------------------------------------------------------------------------
// 1. The host formatter.
//
// The library formats every additional-parameter text and every dumped byte
// through this function and does not define it: the program that links or
// loads the library supplies it (a program that loads the library with
// dlopen exports it, e.g. links with -rdynamic).
//
// - C++ linkage: declare and define it exactly as below, not inside
//   extern "C".
// - Formats like snprintf. The library passes only literal text and these
//   conversions: %s, %u, %d, %02X, %02x (and %% is never needed).
// - Writes at most `size` bytes, the NUL included; writes nothing when
//   `size` is 0 or less.
// - Returns the number of characters placed before the NUL. A C library's
//   snprintf returns the number it wanted to place instead: that is safe too,
//   since the library never takes the result past size - 1. It must not be
//   negative for these conversions (snprintf's is not).
int tevo_snprintf(char* dst, int size, const char* format, ...);

// The records, defined in part 4.
struct SABONENT_TYPE;
struct _PD_NUMBER;
struct _PD_CAUSE;
struct _PD_ADD_PARAM_HEADER;
namespace RTP_EXCH {
struct sRTPExchParam;
}

// ---------------------------------------------------------------------------
// 2. Workspace and re-entrant forms. A Workspace holds every text the library
// writes; the legacy forms (part 3) use one library-wide instance. A host that
// logs from several threads gives each thread its own workspace (static,
// stack or heap; the library never allocates one, and it is about 19 KB) and
// calls the forms below, which return pointers into that workspace or into
// dst where the legacy forms return pointers into their static texts. Each
// behaves as the legacy form of the same name documented in part 3.

namespace paketlog {
struct Workspace {
    char block_text[12416];       // the rendered additional-parameter block
    char param_text[6208];        // one rendered parameter
    char number_text_a[40];       // calling number, HIDE_PARAM number
    char type_text_a[40];         // its descriptor
    char number_text_b[40];       // called number
    char type_text_b[40];         // its descriptor
    char number_fallback_text[40];
    char connect_type_text[32];   // an unlisted connection type
    char connect_source_text[32]; // an unlisted connection source
    char cause_text[64];
    char cause_text_tc[64];
    char ip_text[32];
    char rtp_text[512];
};
}  // namespace paketlog

// The operator line (msg_type picks its opening word, skip_type a parameter
// type left out) and the test-call line of `packet`; the forms given `length`
// read nothing at or past packet[length].
PAKETLOG_API char* decode_paket(paketlog::Workspace& ws, char* dst, int size, unsigned char* packet,
                                unsigned short length, unsigned char msg_type, unsigned char skip_type);
PAKETLOG_API char* decode_paket_testcall(paketlog::Workspace& ws, char* dst, int size, unsigned char* packet,
                                         bool incoming);
PAKETLOG_API char* decode_paket_testcall(paketlog::Workspace& ws, char* dst, int size, unsigned char* packet,
                                         unsigned short length, bool incoming);
// Block text, one parameter's text, and the renderers of part 3.
PAKETLOG_API char* decode_eap(paketlog::Workspace& ws, unsigned char* packet, unsigned short offset,
                              unsigned char skip_type);
PAKETLOG_API char* decode_eap(paketlog::Workspace& ws, unsigned char* packet, unsigned short length,
                              unsigned short offset, unsigned char skip_type);
PAKETLOG_API int get_eap_value(paketlog::Workspace& ws, char* dst, int size, _PD_ADD_PARAM_HEADER* param);
PAKETLOG_API char* number2str(paketlog::Workspace& ws, _PD_NUMBER* number, char* dst, unsigned short size,
                              bool with_property);
PAKETLOG_API const char* get_connect_type(paketlog::Workspace& ws, unsigned char code, bool tc);
PAKETLOG_API const char* get_connect_source(paketlog::Workspace& ws, unsigned char code, bool tc);
PAKETLOG_API char* cause2str(paketlog::Workspace& ws, _PD_CAUSE* record);
PAKETLOG_API char* cause2strTC(paketlog::Workspace& ws, _PD_CAUSE* record);
PAKETLOG_API char* ip2str(paketlog::Workspace& ws, unsigned int addr, char* dst, unsigned short size);
PAKETLOG_API char* rtp_exch_param2str(paketlog::Workspace& ws, const RTP_EXCH::sRTPExchParam& param);

// ---------------------------------------------------------------------------
// 3. Legacy forms, tables and lookups. The functions that write texts keep
// them in one library-wide workspace: enter them from one thread at a time.
//
// Tables: rows of a code and its constant name.

struct CODE_NAME {
    unsigned char code;
    const char* name;
};

struct DESCRIPTION_TABLE {
    const CODE_NAME* table;
    unsigned char count;
    const char* default_text;
};

// ---------------------------------------------------------------------------
// Packet decoding.

extern PAKETLOG_API const CODE_NAME KesaPakets[14];
extern PAKETLOG_API const CODE_NAME KesaPaketsTC[14];

// Name of a packet type; "???" for an unlisted type.
PAKETLOG_API const char* get_name_paket(unsigned char type, bool tc);

// Word that opens an operator line; "" for a code outside 1-15.
PAKETLOG_API inline const char* get_msg_type_logdb(unsigned char msg_type) {
    switch (msg_type) {
    case 1: return "<<";
    case 2: return ">>";
    case 3: return "Timer";
    case 4: return "Warning";
    case 5: return "Error";
    case 6: return "Status";
    case 7: return "OnHook";
    case 8: return "OffHook";
    case 9: return "DIGIT";
    case 10: return "TONE";
    case 11: return "RING";
    case 12: return "ENABLE";
    case 13: return "DSP2";
    case 14: return "Channel";
    case 15: return "LIB";
    default: return "";
    }
}

// Operator line of `packet` (`length` bytes) into dst. Returns dst plus the
// length of the message-type word plus 1, or null when dst, size, packet or
// length leave nothing to do.
PAKETLOG_API char* decode_paket(char* dst, int size, unsigned char* packet, unsigned short length,
                                unsigned char msg_type, unsigned char skip_type);

// Test-call line of `packet` into dst; returns dst + 10, or null when dst,
// size or packet leave nothing to do. The four-argument form trusts the
// packet to hold every field of its type; the other reads only `length` bytes.
PAKETLOG_API char* decode_paket_testcall(char* dst, int size, unsigned char* packet, bool incoming);
PAKETLOG_API char* decode_paket_testcall(char* dst, int size, unsigned char* packet, unsigned short length,
                                         bool incoming);

// ---------------------------------------------------------------------------
// Additional parameters.

extern PAKETLOG_API const CODE_NAME AddParamPakets[21];

// Block text of the parameters at `offset`, leaving out `skip_type`. The
// three-argument form trusts the count and every length; the four-argument
// form reads nothing at or past packet[length] and marks a cut block "[|eap]".
PAKETLOG_API char* decode_eap(unsigned char* packet, unsigned short offset, unsigned char skip_type);
PAKETLOG_API char* decode_eap(unsigned char* packet, unsigned short length, unsigned short offset,
                              unsigned char skip_type);

PAKETLOG_API const char* get_name_add_param(unsigned char type);
PAKETLOG_API int get_eap_value(char* dst, int size, _PD_ADD_PARAM_HEADER* param);
PAKETLOG_API int dump2str(char* dst, int size, const void* data, unsigned int length);

// ---------------------------------------------------------------------------
// Numbers and subscriber descriptors.

extern PAKETLOG_API const CODE_NAME NumberTypeType[6];
extern PAKETLOG_API const CODE_NAME NumberAbonentType[2];
extern PAKETLOG_API const CODE_NAME NumberFormatType[3];
extern PAKETLOG_API const CODE_NAME PlanNumberType[4];
extern PAKETLOG_API const CODE_NAME NumberPropertyType[4];
extern PAKETLOG_API const DESCRIPTION_TABLE CommonDescriptionTable[5];

PAKETLOG_API const char* get_description_by_type(unsigned char kind, unsigned char code);
PAKETLOG_API char* abonenttype2str(SABONENT_TYPE* abonent_type, char* dst, unsigned short size);
PAKETLOG_API char* number2str(_PD_NUMBER* number, char* dst, unsigned short size, bool with_property);
PAKETLOG_API char* number2str(char* dst, unsigned short size, unsigned char* digits, unsigned char count);
PAKETLOG_API unsigned int str2number(char* text, unsigned char* digits, unsigned char max);

// ---------------------------------------------------------------------------
// Control, connection and cause names.

extern PAKETLOG_API const CODE_NAME ControlPakets[36];
extern PAKETLOG_API const CODE_NAME ControlPaketsTC[36];
extern PAKETLOG_API const CODE_NAME ConnectType[4];
extern PAKETLOG_API const CODE_NAME ConnectTypeTC[4];
extern PAKETLOG_API const CODE_NAME ConnectSource[6];
extern PAKETLOG_API const CODE_NAME ConnectSourceTC[6];

PAKETLOG_API const char* get_name_control(unsigned char code, bool tc);
PAKETLOG_API const char* get_connect_type(unsigned char code, bool tc);
PAKETLOG_API const char* get_connect_source(unsigned char code, bool tc);
PAKETLOG_API char* cause2str(_PD_CAUSE* record);
PAKETLOG_API char* cause2strTC(_PD_CAUSE* record);

// ---------------------------------------------------------------------------
// Media parameters.

PAKETLOG_API char* ip2str(unsigned int addr, char* dst, unsigned short size);
PAKETLOG_API char* rtp_exch_param2str(const RTP_EXCH::sRTPExchParam& param, char* dst, unsigned short size);
PAKETLOG_API char* rtp_exch_param2str(const RTP_EXCH::sRTPExchParam& param);

// Used by the records' inline members below; defined in part 5.
namespace paketlog {
namespace detail {
inline unsigned short load_le16(const void* p);
inline std::size_t field_strlen(const char* s, std::size_t width);
template <class Text, class Video> void put_video_codecs(Text& text, const Video& video);
template <class Text, class Video> void put_video_text(Text& text, const Video& video);
}  // namespace detail
}  // namespace paketlog

// ---------------------------------------------------------------------------
// 4. Records.

#pragma pack(push, 1)

// Packet record: the common header. Type-specific fields follow at offset 10.

enum : unsigned char {
    PKT_DIALDIGIT = 128,
    PKT_DIALNUMBER = 129,
    PKT_CONTROL = 130,
    PKT_CALLINGNUM = 132,
    PKT_CHK_SEANCE = 136,
    PKT_CNG_SEANCE = 138,
    PKT_MOVE_CALL = 140,
    PKT_USER2USER = 141,
    PKT_RTP_DATA = 144,
    PKT_CONNECT = 145,
    PKT_KLT_RDY = 208,
    PKT_KLT_REGEP = 209,
    PKT_KLT_UNREG = 210,
    PKT_KLT_NTRDY = 211,
};

struct _PD_PACKET {
    unsigned char reserved0[2];
    unsigned char type;
    unsigned char reserved1[3];
    unsigned int seance;

    // Where the packet's additional-parameter block (its count byte) begins;
    // 0 for a type without one.
    PAKETLOG_API unsigned short get_offset_EAP() const {
        switch (type) {
        case PKT_DIALDIGIT: case PKT_CHK_SEANCE: return 11;
        case PKT_DIALNUMBER: return 68;
        case PKT_CONTROL: return 19;
        case PKT_CALLINGNUM: return 41;
        case PKT_CNG_SEANCE: return 45;
        case PKT_MOVE_CALL: return 20;
        case PKT_USER2USER: return 22;
        case PKT_RTP_DATA: return 165;
        case PKT_CONNECT: return 16;
        case PKT_KLT_RDY: case PKT_KLT_REGEP: case PKT_KLT_UNREG: return 10;
        default: return 0;
        }
    }
};

// ---------------------------------------------------------------------------
// Subscriber descriptor and number.

struct SABONENT_TYPE {
    unsigned char number_type;  // NumberTypeType
    unsigned char abonent;      // NumberAbonentType
    unsigned char format;       // NumberFormatType
    unsigned char plan;         // PlanNumberType
};

struct _PD_NUMBER {
    SABONENT_TYPE abonent_type;
    unsigned char category;
    unsigned char property;     // 0 undefined, 1 empty, 2 partial, 3 full
    unsigned char digit_count;  // 0 to 20
    unsigned char digits[20];   // digit codes: 0-9, 11 '*', 12 '#', 15 '+'
};

// ---------------------------------------------------------------------------
// Cause of a CONTROL packet.

struct _PD_CAUSE {
    unsigned char location;
    unsigned char source;
    unsigned char code;
    unsigned char cause;
};

// ---------------------------------------------------------------------------
// Additional-parameter header; `length` value bytes follow it.

struct _PD_ADD_PARAM_HEADER {
    unsigned char type;
    unsigned char reserved;
    unsigned short length;
};

// ---------------------------------------------------------------------------
// Media records.

namespace RTP_EXCH {
struct sRTPExchParam {
    unsigned char reserved[17];
    char address[128];
    unsigned short port;
    unsigned char send_flag;
    unsigned char recv_flag;
};
}  // namespace RTP_EXCH

namespace Video_Exchange {
struct CodecVideo {
    unsigned char payload;
    unsigned char slot_state;  // 255: empty entry
    char name[100];
};

struct ParamVideoRTP {
    CodecVideo codecs[2];
    char address[120];
    unsigned short port;

    // The used codec entries, "<payload> <name>" each, back to back.
    PAKETLOG_API std::string CodecsToStr() const {
        std::string text;
        paketlog::detail::put_video_codecs(text, *this);
        return text;
    }

    // "IP4 <address> <port> codecs: <CodecsToStr>"
    PAKETLOG_API std::string ToString() const {
        std::string text;
        paketlog::detail::put_video_text(text, *this);
        return text;
    }
};
}  // namespace Video_Exchange

#pragma pack(pop)

static_assert(sizeof(_PD_PACKET) == 10, "packet header layout");
static_assert(offsetof(_PD_PACKET, type) == 2 && offsetof(_PD_PACKET, seance) == 6, "packet header layout");
static_assert(sizeof(SABONENT_TYPE) == 4, "descriptor layout");
static_assert(sizeof(_PD_NUMBER) == 27, "number layout");
static_assert(offsetof(_PD_NUMBER, category) == 4 && offsetof(_PD_NUMBER, property) == 5 &&
                  offsetof(_PD_NUMBER, digit_count) == 6 && offsetof(_PD_NUMBER, digits) == 7,
              "number layout");
static_assert(sizeof(_PD_CAUSE) == 4, "cause layout");
static_assert(sizeof(_PD_ADD_PARAM_HEADER) == 4 && offsetof(_PD_ADD_PARAM_HEADER, length) == 2,
              "parameter header layout");
static_assert(sizeof(RTP_EXCH::sRTPExchParam) == 149, "RTP record layout");
static_assert(offsetof(RTP_EXCH::sRTPExchParam, address) == 17 && offsetof(RTP_EXCH::sRTPExchParam, port) == 145 &&
                  offsetof(RTP_EXCH::sRTPExchParam, send_flag) == 147 &&
                  offsetof(RTP_EXCH::sRTPExchParam, recv_flag) == 148,
              "RTP record layout");
static_assert(sizeof(Video_Exchange::CodecVideo) == 102, "codec entry layout");
static_assert(sizeof(Video_Exchange::ParamVideoRTP) == 326, "video record layout");
static_assert(offsetof(Video_Exchange::ParamVideoRTP, codecs) == 0 &&
                  offsetof(Video_Exchange::ParamVideoRTP, address) == 204 &&
                  offsetof(Video_Exchange::ParamVideoRTP, port) == 324,
              "video record layout");

// ---------------------------------------------------------------------------
// 5. The library's own inline helpers; not for callers.

namespace paketlog {
namespace detail {
// Little-endian loads at any alignment; the one way the library reads a
// multi-byte field.
inline unsigned short load_le16(const void* p) {
    unsigned char b[2];
    std::memcpy(b, p, 2);
    return static_cast<unsigned short>(b[0] | (b[1] << 8));
}
inline unsigned int load_le32(const void* p) {
    unsigned char b[4];
    std::memcpy(b, p, 4);
    return static_cast<unsigned int>(b[0]) | (static_cast<unsigned int>(b[1]) << 8) |
           (static_cast<unsigned int>(b[2]) << 16) | (static_cast<unsigned int>(b[3]) << 24);
}
inline unsigned long long load_le64(const void* p) {
    const unsigned char* b = static_cast<const unsigned char*>(p);
    return static_cast<unsigned long long>(load_le32(b)) |
           (static_cast<unsigned long long>(load_le32(b + 4)) << 32);
}
// Length of a text field, never looking past its width.
inline std::size_t field_strlen(const char* s, std::size_t width) {
    const void* nul = std::memchr(s, 0, width);
    return nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - s) : width;
}
// Decimal digits of `value`, most significant first, in `out`; returns how many.
inline std::size_t decimal_digits(char (&out)[10], unsigned int value) {
    char reversed[10];
    std::size_t n = 0;
    do {
        reversed[n++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    for (std::size_t i = 0; i < n; ++i) out[i] = reversed[n - 1 - i];
    return n;
}
// The texts of ParamVideoRTP::CodecsToStr() and ToString(), appended to
// `text`: a std::string there, a buffer of fixed room where the library
// renders a video parameter without allocating. Text needs only
// append(const char*, std::size_t).
template <class Text> void append_decimal(Text& text, unsigned int value) {
    char digits[10];
    text.append(digits, decimal_digits(digits, value));
}
template <class Text, class Video> void put_video_codecs(Text& text, const Video& video) {
    for (const auto& c : video.codecs) {
        if (c.slot_state == 255) continue;
        append_decimal(text, c.payload);
        text.append(" ", 1);
        text.append(c.name, field_strlen(c.name, sizeof c.name));
    }
}
template <class Text, class Video> void put_video_text(Text& text, const Video& video) {
    text.append("IP4 ", 4);
    text.append(video.address, field_strlen(video.address, sizeof video.address));
    text.append(" ", 1);
    append_decimal(text, load_le16(&video.port));
    text.append(" codecs: ", 9);
    put_video_codecs(text, video);
}
}  // namespace detail
}  // namespace paketlog

#endif  // PAKETLOG_H
