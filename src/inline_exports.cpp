// The header's inline functions are part of the exported interface: emit
// them here so that the library's symbol table defines them.
#include "paketlog.h"

namespace {
struct InlineExports {
    unsigned short (_PD_PACKET::*offset)() const;
    const char* (*msg_type)(unsigned char);
    std::string (Video_Exchange::ParamVideoRTP::*to_string)() const;
    std::string (Video_Exchange::ParamVideoRTP::*codecs)() const;
};

__attribute__((used)) const InlineExports inline_exports = {
    &_PD_PACKET::get_offset_EAP,
    &get_msg_type_logdb,
    &Video_Exchange::ParamVideoRTP::ToString,
    &Video_Exchange::ParamVideoRTP::CodecsToStr,
};
}  // namespace
