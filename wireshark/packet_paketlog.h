// The paketlog dissector's registration routines.
#ifndef PAKETLOG_WIRESHARK_PACKET_PAKETLOG_H
#define PAKETLOG_WIRESHARK_PACKET_PAKETLOG_H

void proto_register_paketlog(void);
void proto_reg_handoff_paketlog(void);

#endif
