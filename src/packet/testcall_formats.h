// The texts of the test-call line, Windows-1251 (written here as UTF-8 and
// converted at compile time): the direction prefixes, the lines that stop
// at the type, and the format of each packet type's fields, whose first
// "%s" is the header ("<< пакет  <ИМЯ>:") and last the block text.
#ifndef PAKETLOG_SRC_PACKET_TESTCALL_FORMATS_H
#define PAKETLOG_SRC_PACKET_TESTCALL_FORMATS_H

#include "cp1251.h"

namespace paketlog {
namespace detail {
namespace testcall {

inline constexpr auto kIncoming = cp1251("<< пакет ");
inline constexpr auto kOutgoing = cp1251(">> пакет ");

inline constexpr auto kUnknown = cp1251("%s Неизвестный пакет Тип=0x%02X");
inline constexpr auto kTruncatedType = cp1251("%s Пакет обрезан: %u из %u байт");
inline constexpr auto kTruncated = cp1251("%s %s Пакет обрезан: %u из %u байт");

inline constexpr auto kDigit = cp1251("%s [%u] %s");
inline constexpr auto kDialNumber =
    cp1251("%s Вызваемый номер=[%s, Кат=%d, %s] Вызывающий номер=[%s,Кат=%d %s] Параметр=0x%08X %s");
// Control: with the seance and the cause (release, reject, channel release),
// with the seance alone (hold acknowledgement), or neither.
inline constexpr auto kControlCause = cp1251("%s %s Сеанс=%u Причина:%s Параметр=0x%08X %s");
inline constexpr auto kControlSeance = cp1251("%s %s Сеанс=%u Параметр=0x%08X %s");
inline constexpr auto kControl = cp1251("%s %s Параметр=0x%08X %s");
inline constexpr auto kCallingNum = cp1251("%s Номер=[%s,Кат=%d %s] Параметр=0x%08X %s");
inline constexpr auto kChkSeance = cp1251("%s Сеанс=%u Количество=%d %s");
inline constexpr auto kCngSeance = cp1251("%s Сеанс=%u Новый сеанс=%u Номер=[%s,Кат=%d %s] Параметр=0x%08X %s");
inline constexpr auto kMoveCall = cp1251("%s Сеанс=%u Другой сеанс=%u Параметр=0x%08X %s");
inline constexpr auto kUser2User = cp1251("%s Команда=0x%X Параметр=0x%llX %s");
inline constexpr auto kRtpData = cp1251("%s RTP id=%u Назн=%u %s EAP=%d %s");
inline constexpr auto kConnect = cp1251("%s Тип=%s Источник=%s Параметр=0x%08X %s");
// The terminal packets (208 to 211): the block alone.
inline constexpr const char* kBlockOnly = "%s %s";

}  // namespace testcall
}  // namespace detail
}  // namespace paketlog

#endif
