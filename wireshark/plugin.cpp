// What Wireshark looks up in a dissector plugin: the versions it was built
// for and the function that registers its protocol.
#include <epan/proto.h>

#include "packet_paketlog.h"

#define PLUGIN_EXPORT __attribute__((visibility("default")))

extern "C" {
PLUGIN_EXPORT extern const char plugin_version[];
PLUGIN_EXPORT extern const int plugin_want_major;
PLUGIN_EXPORT extern const int plugin_want_minor;
PLUGIN_EXPORT void plugin_register(void);

const char plugin_version[] = PAKETLOG_PLUGIN_VERSION;
const int plugin_want_major = PAKETLOG_WIRESHARK_MAJOR;
const int plugin_want_minor = PAKETLOG_WIRESHARK_MINOR;

void plugin_register(void) {
    static const proto_plugin plugin = {proto_register_paketlog, proto_reg_handoff_paketlog};
    proto_register_plugin(&plugin);
}
}
