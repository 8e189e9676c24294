// The cause record of a CONTROL packet: four bytes, labelled.
#include <cstdio>
#include <cstring>

#include "cp1251.h"
#include "workspace.h"

namespace {
constexpr auto kCauseFormatTc = paketlog::detail::cp1251("Место=%u Источник=%u Код=%u Причина=%u,");

char* render_cause(char (&out)[64], const char* format, const _PD_CAUSE* record) {
    std::memset(out, 0, sizeof out);
    if (record != nullptr)
        std::snprintf(out, sizeof out, format, unsigned{record->location}, unsigned{record->source},
                      unsigned{record->code}, unsigned{record->cause});
    return out;
}
}  // namespace

char* cause2str(paketlog::Workspace& ws, _PD_CAUSE* record) {
    return render_cause(ws.cause_text, "Loc=%u Src=%u Code=%u Cause=%u,", record);
}

char* cause2strTC(paketlog::Workspace& ws, _PD_CAUSE* record) {
    return render_cause(ws.cause_text_tc, kCauseFormatTc.s, record);
}

char* cause2str(_PD_CAUSE* record) { return cause2str(paketlog::detail::g_workspace, record); }

char* cause2strTC(_PD_CAUSE* record) { return cause2strTC(paketlog::detail::g_workspace, record); }
