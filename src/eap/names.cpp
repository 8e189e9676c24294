// Additional-parameter type names, from the one list of parameter types.
#include <iterator>

#include "code_name.h"
#include "eap/param_types.h"

#define PAKETLOG_PARAM_NAME(code, name, layout) {code, name},
constexpr CODE_NAME AddParamPakets[21] = {PAKETLOG_PARAM_TYPES(PAKETLOG_PARAM_NAME)};
#undef PAKETLOG_PARAM_NAME
static_assert(std::size(AddParamPakets) == std::size(paketlog::detail::kParamCodes),
              "the exported table holds every parameter type and no empty row");

const char* get_name_add_param(unsigned char type) {
    return paketlog::detail::find_name(AddParamPakets, type, nullptr);
}
