// Connection types and sources of the CONNECT packet, in both wordings.
#include <cstdio>

#include "code_name.h"
#include "cp1251.h"
#include "workspace.h"

using paketlog::detail::cp1251;

namespace {
constexpr auto kOff = cp1251("ОТКЛЮЧЕН");
constexpr auto kSend = cp1251("ПЕРЕДАЧА");
constexpr auto kRecv = cp1251("ПРИЁМ");
constexpr auto kSendRecv = cp1251("ПРИЁМ+ПЕРЕДАЧА");

constexpr auto kNone = cp1251("Раскоммутация");
constexpr auto kDialTone = cp1251("Ответ станции");
constexpr auto kKpvTone = cp1251("Сигнал КПВ");
constexpr auto kBusyTone = cp1251("Сигнал ОТБОЙ");
constexpr auto kSilent = cp1251("Тишина");
constexpr auto kRtpChannel = cp1251("RTP канал");

// A code missing from its table, rendered into its own buffer.
template <std::size_t N>
const char* name_or_code(const CODE_NAME (&rows)[N], unsigned char code, char (&unknown)[32]) {
    const char* name = paketlog::detail::find_name(rows, code, nullptr);
    if (name != nullptr) return name;
    std::snprintf(unknown, sizeof unknown, "Unknown(0x%02X)", code);
    return unknown;
}
}  // namespace

constexpr CODE_NAME ConnectType[4] = {{0, "DISCONNECT"}, {1, "SEND_ONLY "}, {2, "RECV_ONLY "}, {3, "SEND_RECV "}};
constexpr CODE_NAME ConnectTypeTC[4] = {{0, kOff.s}, {1, kSend.s}, {2, kRecv.s}, {3, kSendRecv.s}};

constexpr CODE_NAME ConnectSource[6] = {{0, "NONE    "}, {1, "DIALtone"}, {2, "KPV tone"},
                                    {3, "BUSYtone"}, {4, "SILENT  "}, {10, "RTP chnl"}};
constexpr CODE_NAME ConnectSourceTC[6] = {{0, kNone.s},     {1, kDialTone.s}, {2, kKpvTone.s},
                                      {3, kBusyTone.s}, {4, kSilent.s},   {10, kRtpChannel.s}};

static_assert(paketlog::detail::rows_complete(ConnectType) && paketlog::detail::rows_complete(ConnectTypeTC) &&
                  paketlog::detail::same_codes(ConnectType, ConnectTypeTC) &&
                  paketlog::detail::rows_complete(ConnectSource) && paketlog::detail::rows_complete(ConnectSourceTC) &&
                  paketlog::detail::same_codes(ConnectSource, ConnectSourceTC),
              "connection names: every row named, the same codes in both wordings");

const char* get_connect_type(paketlog::Workspace& ws, unsigned char code, bool tc) {
    return tc ? name_or_code(ConnectTypeTC, code, ws.connect_type_text)
              : name_or_code(ConnectType, code, ws.connect_type_text);
}

const char* get_connect_source(paketlog::Workspace& ws, unsigned char code, bool tc) {
    return tc ? name_or_code(ConnectSourceTC, code, ws.connect_source_text)
              : name_or_code(ConnectSource, code, ws.connect_source_text);
}

const char* get_connect_type(unsigned char code, bool tc) {
    return get_connect_type(paketlog::detail::g_workspace, code, tc);
}

const char* get_connect_source(unsigned char code, bool tc) {
    return get_connect_source(paketlog::detail::g_workspace, code, tc);
}
