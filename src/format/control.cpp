// Control codes of the CONTROL packet, in both wordings.
#include "code_name.h"
#include "cp1251.h"

using paketlog::detail::cp1251;

namespace {
constexpr auto kBye = cp1251("Отбой");
constexpr auto kKpv = cp1251("КПВ");
constexpr auto kEstablished = cp1251("Установление соединения");
constexpr auto kOkCall = cp1251("Подтверждение вызова");
constexpr auto kOkHold = cp1251("Подтверждение захвата");
constexpr auto kNoKpv = cp1251("Без КПВ");
constexpr auto kTangentaOn = cp1251("Тангента нажата");
constexpr auto kTangentaOff = cp1251("Тангента отпущена");
constexpr auto kGetRtp = cp1251("Запрос RTP");
constexpr auto kChangeSess = cp1251("Смена сеанса");
constexpr auto kSetHoldOk = cp1251("Подтверждение установки удержания");
constexpr auto kResetHoldOk = cp1251("Подтверждение снятия удержания");
constexpr auto kConferenceOk = cp1251("Подтверждение создания конференции");
constexpr auto kBBusy = cp1251("Абонент Б занят");
constexpr auto kBFree = cp1251("Абонент Б свободен");
constexpr auto kProgress = cp1251("Вызов обрабатывается");
constexpr auto kProceeding = cp1251("Вызов взят в обработку");
constexpr auto kNotEndDigit = cp1251("Не последняя цифра");
constexpr auto kEndDigit = cp1251("Последняя цифра");
constexpr auto kAddCapStatus = cp1251("Статус доп.услуги");
constexpr auto kAnotherSetHold = cp1251("Абонент установлен в удержание");
constexpr auto kAnotherResetHold = cp1251("Абонент снят с удержания");
constexpr auto kHold = cp1251("Захват канала");
constexpr auto kReject = cp1251("Вызов отклонен");
constexpr auto kReleaseHold = cp1251("Освобождение канала");
constexpr auto kAddCapRequest = cp1251("Запрос доп.услуги");
constexpr auto kSetHold = cp1251("Установить удержание");
constexpr auto kResetHold = cp1251("Снять удержание");
}  // namespace

constexpr CODE_NAME ControlPakets[36] = {
    {1, "toFB_CTRL_DOBYE"},           {2, "toFB_CTRL_KPV"},
    {3, "toFB_CTRL_ESTABLISHED"},     {4, "toFB_CTRL_OKCALL"},
    {5, "toFB_CTRL_OKHOLD"},          {6, "toFB_CTRL_NOKPV"},
    {10, "toFB_CTRL_TANGENTA_ON"},    {11, "toFB_CTRL_TANGENTA_OFF"},
    {16, "toFB_GET_RTP_DATA"},        {20, "toFB_CTRL_CHANGESESS"},
    {23, "toFB_CTRL_SETHOLD"},        {24, "toFB_CTRL_RESETHOLD"},
    {25, "toFB_CTRL_CONFERENCE_OK"},  {31, "toFB_CTRL_B_BUSY"},
    {32, "toFB_CTRL_B_FREE"},         {33, "toFB_CTRL_PROGRESS"},
    {34, "toFB_CALL_PROCEEDING"},     {37, "toFB_NOT_END_DIGIT"},
    {38, "toFB_END_DIGIT"},           {48, "toFB_ADDCAPABILITY_STATUS"},
    {53, "toFB_CTRL_ANOTHER_SETHOLD"}, {54, "toFB_CTRL_ANOTHER_RESETHOLD"},
    {128, "frFB_CTRL_HOLD"},          {129, "frFB_CTRL_ESTABLISH"},
    {130, "frFB_CTRL_REJECT"},        {131, "frFB_CTRL_BYE"},
    {132, "frFB_CTRL_OKCALL"},        {133, "frFB_CTRL_KPV"},
    {134, "frFB_CTRL_NOKPV"},         {135, "frFB_CTRL_PROGRESS"},
    {138, "frFB_CTRL_TANGENTA_ON"},   {139, "frFB_CTRL_TANGENTA_OFF"},
    {140, "frFB_CTRL_RELEASEHLD"},    {144, "frFB_ADDCAPABILITY_REQUEST"},
    {145, "frFB_CTRL_SETHOLD"},       {146, "frFB_CTRL_RESETHOLD"},
};

constexpr CODE_NAME ControlPaketsTC[36] = {
    {1, kBye.s},             {2, kKpv.s},
    {3, kEstablished.s},     {4, kOkCall.s},
    {5, kOkHold.s},          {6, kNoKpv.s},
    {10, kTangentaOn.s},     {11, kTangentaOff.s},
    {16, kGetRtp.s},         {20, kChangeSess.s},
    {23, kSetHoldOk.s},      {24, kResetHoldOk.s},
    {25, kConferenceOk.s},   {31, kBBusy.s},
    {32, kBFree.s},          {33, kProgress.s},
    {34, kProceeding.s},     {37, kNotEndDigit.s},
    {38, kEndDigit.s},       {48, kAddCapStatus.s},
    {53, kAnotherSetHold.s}, {54, kAnotherResetHold.s},
    {128, kHold.s},          {129, kEstablished.s},
    {130, kReject.s},        {131, kBye.s},
    {132, kOkCall.s},        {133, kKpv.s},
    {134, kNoKpv.s},         {135, kProgress.s},
    {138, kTangentaOn.s},    {139, kTangentaOff.s},
    {140, kReleaseHold.s},   {144, kAddCapRequest.s},
    {145, kSetHold.s},       {146, kResetHold.s},
};

static_assert(paketlog::detail::rows_complete(ControlPakets) && paketlog::detail::rows_complete(ControlPaketsTC) &&
                  paketlog::detail::same_codes(ControlPakets, ControlPaketsTC),
              "control names: every row named, the same codes in both wordings");

const char* get_name_control(unsigned char code, bool tc) {
    return paketlog::detail::find_name(tc ? ControlPaketsTC : ControlPakets, code, "Unknown Ctrl");
}
