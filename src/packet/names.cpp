// Packet-type names in both wordings.
#include <iterator>

#include "code_name.h"
#include "cp1251.h"
#include "wire/packet_types.h"

using paketlog::detail::cp1251;

namespace {
constexpr auto kDigitTc = cp1251("ЦИФРА          :");
constexpr auto kCallTc = cp1251("ВЫЗОВ          :");
constexpr auto kControlTc = cp1251("УПРАВЛЕНИЕ     :");
constexpr auto kCallingTc = cp1251("НОМЕР ВЫЗЫВАЮЩЕГО АБОНЕНТА:");
constexpr auto kChkSeanceTc = cp1251("ПРОВЕРКА СЕАНСА:");
constexpr auto kCngSeanceTc = cp1251("СМЕНА СЕАНСА   :");
constexpr auto kMoveCallTc = cp1251("ПЕРЕВОД ВЫЗОВА :");
constexpr auto kRtpDataTc = cp1251("ПАРАМЕТРЫ RTP  :");
constexpr auto kConnectTc = cp1251("СОЕДИНЕНИЕ     :");
constexpr auto kUser2UserTc = cp1251("ИНФ.ПОЛЬЗОВАТЕЛЯ:");
}  // namespace

// 141 stands after 145, as it always has.
constexpr CODE_NAME KesaPakets[14] = {
    {PKT_DIALDIGIT, "DIALDIGIT "}, {PKT_DIALNUMBER, "DIALNUMBER"}, {PKT_CONTROL, "CONTROL   "},
    {PKT_CALLINGNUM, "CALLINGNUM"}, {PKT_CHK_SEANCE, "CHK_SEANCE"}, {PKT_CNG_SEANCE, "CNG_SEANCE"},
    {PKT_MOVE_CALL, "MOVE_CALL "}, {PKT_RTP_DATA, "RTP_DATA  "},   {PKT_CONNECT, "CONNECT   "},
    {PKT_USER2USER, "USER2USER "}, {PKT_KLT_RDY, "KLT_RDY   "},    {PKT_KLT_REGEP, "KLT_REGEP "},
    {PKT_KLT_UNREG, "KLT_UNREG "}, {PKT_KLT_NTRDY, "KLT_NTRDY "},
};

constexpr CODE_NAME KesaPaketsTC[14] = {
    {PKT_DIALDIGIT, kDigitTc.s},       {PKT_DIALNUMBER, kCallTc.s},        {PKT_CONTROL, kControlTc.s},
    {PKT_CALLINGNUM, kCallingTc.s},    {PKT_CHK_SEANCE, kChkSeanceTc.s},   {PKT_CNG_SEANCE, kCngSeanceTc.s},
    {PKT_MOVE_CALL, kMoveCallTc.s},    {PKT_RTP_DATA, kRtpDataTc.s},       {PKT_CONNECT, kConnectTc.s},
    {PKT_USER2USER, kUser2UserTc.s},   {PKT_KLT_RDY, "BVKLT_READY  "},     {PKT_KLT_REGEP, "BVKLT_REG_EP "},
    {PKT_KLT_UNREG, "BVKLT_UNREGEP"},  {PKT_KLT_NTRDY, "BVKLT_NTREADY"},
};

namespace {
// Every named type has its record, and every record its name.
constexpr bool names_match_layouts() {
    if (std::size(KesaPakets) != std::size(paketlog::wire::kLayouts)) return false;
    for (const CODE_NAME& row : KesaPakets)
        if (paketlog::wire::layout_of(row.code).need == paketlog::wire::kTypeNeed) return false;
    return true;
}
}  // namespace
static_assert(paketlog::detail::rows_complete(KesaPakets) && paketlog::detail::rows_complete(KesaPaketsTC) &&
                  paketlog::detail::same_codes(KesaPakets, KesaPaketsTC) && names_match_layouts(),
              "packet names: every row named, the same codes in both wordings, one per packet record");

const char* get_name_paket(unsigned char type, bool tc) {
    return paketlog::detail::find_name(tc ? KesaPaketsTC : KesaPakets, type, "???");
}
