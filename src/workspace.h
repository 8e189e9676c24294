// The library-wide workspace behind the legacy (non-re-entrant) forms.
#ifndef PAKETLOG_SRC_WORKSPACE_H
#define PAKETLOG_SRC_WORKSPACE_H

#include "paketlog.h"

namespace paketlog {
namespace detail {
// Zero-filled at load time, like the static texts it replaces.
extern Workspace g_workspace;
}  // namespace detail
}  // namespace paketlog

#endif
