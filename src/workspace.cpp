#include "workspace.h"

namespace paketlog {
namespace detail {
Workspace g_workspace;
}  // namespace detail
}  // namespace paketlog
