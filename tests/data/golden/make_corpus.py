#!/usr/bin/env python3
"""Packets of the golden corpus, built field by field.

Prints the corpus skeleton: for every entry its name, packet bytes and the
operator decoder's msg_type and skip_type, without expected lines. The
expected lines are filled in by test_packet (see README.md) and then checked
by hand; corpus.txt in this folder is the checked result.

    python3 make_corpus.py > skeleton.txt
"""
import struct
import sys


def u8(v):
    return struct.pack("<B", v)


def u16(v):
    return struct.pack("<H", v)


def u32(v):
    return struct.pack("<I", v)


def u64(v):
    return struct.pack("<Q", v)


def cp(text):
    """A text as the switching system stores it: Windows-1251."""
    return text.encode("cp1251")


def text_value(text, tail=b""):
    """A NUL-terminated text value; `tail` follows the NUL inside the value."""
    return cp(text) + b"\0" + tail


# Subscriber descriptor and number ----------------------------------------

def number(digits, category=0, prop=3, desc=(1, 1, 0, 1), count=None):
    """27-byte subscriber number; `digits` are digit codes, unused slots 0xEE."""
    assert len(digits) <= 20
    slots = bytes(digits) + b"\xee" * (20 - len(digits))
    n = len(digits) if count is None else count
    return bytes(desc) + u8(category) + u8(prop) + u8(n) + slots


def cause(location, source, code, value):
    return bytes((location, source, code, value))


# Media records -------------------------------------------------------------

def rtp(address, port, send, recv):
    """149-byte RTP exchange record; the 17 leading bytes are not shown."""
    head = bytes(range(0x30, 0x30 + 17))
    addr = cp(address) + b"\0"
    addr += b"\x7e" * (128 - len(addr))  # bytes after the NUL are never shown
    return head + addr + u16(port) + u8(send) + u8(recv)


def codec(payload, name, used=True, state=0):
    entry = u8(payload) + u8(state if used else 255) + cp(name) + b"\0"
    return entry + b"\0" * (102 - len(entry))


def video(codecs, address, port):
    assert len(codecs) == 2
    addr = cp(address) + b"\0"
    addr += b"\0" * (120 - len(addr))
    record = codecs[0] + codecs[1] + addr + u16(port)
    assert len(record) == 326
    return record


# Additional parameters -------------------------------------------------------

ENDPOINT_A, ENDPOINT_B, BUTTON, NAME_CALL, EIRINE_NUM, DMR_PRIORITY = 160, 161, 162, 163, 164, 165
ANOTHER_ABONENT_PARAM, MGCP_SEANCE, RTP_PARAM, EDSS_ID_CALL, ENDPOINT_C = 166, 167, 168, 169, 170
SESSION_LIST, CAMERA_PROP, BINARY_DATA, VIDEO_PARAM, HIDE_PARAM = 171, 172, 173, 174, 175
HIDE_NAME, ENDPOINT_TYPE, REDIRECT_NUMBER, ADDCAPABILITY, UNKNOWN = 176, 177, 178, 179, 180


def param(ptype, value, reserved=0):
    return u8(ptype) + u8(reserved) + u16(len(value)) + value


def block(params, count=None):
    return u8(len(params) if count is None else count) + b"".join(params)


# Packets ---------------------------------------------------------------------

# Where each listed type's block (its count byte) begins.
BLOCK_AT = {128: 11, 129: 68, 130: 19, 132: 41, 136: 11, 138: 45, 140: 20, 141: 22, 144: 165, 145: 16,
            208: 10, 209: 10, 210: 10}


def packet(ptype, seance, fields=b"", eap=b"", head=(0x5A, 0x01), mid=(0, 0, 0)):
    """Common header, the type's fields from offset 10 on, then its block."""
    if ptype in BLOCK_AT:
        assert 10 + len(fields) == BLOCK_AT[ptype], (ptype, len(fields))
    return bytes(head) + u8(ptype) + bytes(mid) + u32(seance) + fields + eap


ENTRIES = []


def entry(name, pkt, msg, skip):
    ENTRIES.append((name, pkt, msg, skip))


# DIALDIGIT (128): digit at 10, block at 11.
entry("dialdigit_status", packet(128, 17, u8(5), block([])), 6, 0)
entry("dialdigit_star_code", packet(128, 7, u8(11), block([
    param(ENDPOINT_A, text_value("101")),
    param(BUTTON, u8(7)),
    param(ENDPOINT_B, text_value("", b"zz")),
])), 1, 0)
entry("dialdigit_empty_word", packet(128, 123456, u8(0), block([
    param(ENDPOINT_A, text_value("ep-a")),
    param(NAME_CALL, text_value("Иванов И.И.")),
])), 0, 160)

# DIALNUMBER (129): called at 10, calling at 37, dial_param at 64, block at 68.
called = number([1, 2, 11, 15], category=10, prop=3, desc=(1, 1, 0, 1))
calling = number([5, 5, 5, 0, 1], category=255, prop=3, desc=(9, 0, 7, 2))
hidden = number([9, 9, 9], category=42, prop=3, desc=(4, 0, 2, 3))
entry("dialnumber_hide_and_rtp_params", packet(129, 2024, called + calling + u32(0xDEADBEEF), block([
    param(HIDE_PARAM, hidden),
    param(RTP_PARAM, u32(77) + u16(3) + rtp("192.168.1.50", 4000, 1, 0)),
    param(EIRINE_NUM, b"\x01\x02"),
])), 2, 180)
entry("dialnumber_empty_and_partial", packet(129, 5, number([], category=0, prop=1, desc=(0, 1, 1, 0))
                                            + number([12, 0, 13, 14, 10], category=1, prop=2, desc=(5, 1, 2, 3))
                                            + u32(0), block([])), 9, 0)
entry("dialnumber_partial_called", packet(129, 99, number([0, 4, 9, 5, 27], category=3, prop=2, desc=(2, 0, 1, 1))
                                         + number([8, 0, 0], category=0, prop=0, desc=(3, 1, 0, 0))
                                         + u32(1), block([param(DMR_PRIORITY, u8(2))])), 14, 165)
entry("dialnumber_undefined_called", packet(129, 1, number([3], category=7, prop=0, desc=(0, 0, 0, 0))
                                           + number([], category=0, prop=1) + u32(0x80000000),
                                           block([])), 11, 0)
entry("dialnumber_property_out_of_range", packet(129, 100000, number([4, 2], category=200, prop=7)
                                                + number([1, 20], category=16, prop=3, desc=(6, 2, 3, 4))
                                                + u32(0x00ABCDEF), block([])), 8, 0)

# CONTROL (130): control at 10, cause at 11, ctrl_param at 15, block at 19.
def control(code, seance, cause_bytes, param_word, eap=block([]), mid=(0, 0, 0)):
    return packet(130, seance, u8(code) + cause_bytes + u32(param_word), eap, mid=mid)


entry("control_1_bye", control(1, 301, cause(1, 2, 3, 4), 0x10), 3, 0)
entry("control_130_reject", control(130, 302, cause(0, 0, 0, 16), 0xCAFE, block([
    param(0x55, b"\x01\x02\x03"),
    param(BUTTON, u8(255)),
])), 4, 0)
entry("control_131_bye", control(131, 303, cause(255, 255, 255, 255), 0xFFFFFFFF, mid=(9, 9, 9)), 5, 0)
entry("control_140_release", control(140, 304, cause(2, 0, 31, 127), 1, block([
    param(SESSION_LIST, u32(4000000000)),
])), 1, 171)
entry("control_5_okhold", control(5, 305, cause(9, 8, 7, 6), 0x00000500, block([
    param(EDSS_ID_CALL, u32(123456789)),
])), 2, 0)
entry("control_0_unknown", control(0, 306, cause(1, 1, 1, 1), 2), 12, 0)
entry("control_2_kpv", control(2, 307, cause(3, 3, 3, 3), 3, block([param(CAMERA_PROP, u32(640) + u32(480))])), 13, 0)
entry("control_129_establish", control(129, 308, cause(0, 0, 0, 0), 4), 15, 0)
entry("control_132_okcall", control(132, 309, cause(0, 0, 0, 0), 5), 7, 0)
entry("control_139_tangenta_off", control(139, 310, cause(4, 4, 4, 4), 6), 10, 0)
entry("control_141_unknown", control(141, 311, cause(5, 5, 5, 5), 7), 1, 0)
entry("control_255_unknown", control(255, 312, cause(6, 6, 6, 6), 8), 16, 0)
entry("control_146_resethold", control(146, 313, cause(7, 7, 7, 7), 9, block([
    param(MGCP_SEANCE, text_value("mgcp/42@gw")),
])), 2, 0)

# CALLINGNUM (132): calling at 10, dial_param at 37, block at 41.
entry("callingnum_hide_param", packet(132, 4242, number([7, 4, 9, 5, 1, 2, 3, 4, 5, 6, 7], category=1, prop=3,
                                                    desc=(3, 1, 1, 2))
                                     + u32(0x12), block([
    param(HIDE_PARAM, number([0, 0, 7], category=2, prop=3, desc=(1, 0, 0, 1))),
    param(RTP_PARAM, u32(1) + u16(2) + rtp("10.1.1.1", 1, 0, 0)),
])), 1, 0)
entry("callingnum_twenty_digits", packet(132, 2, number(list(range(10)) + list(range(10)), category=9, prop=1,
                                                       desc=(5, 0, 2, 3))
                                        + u32(0xFFFFFFFF), block([param(HIDE_NAME, text_value("Operator 5"))])),
      6, 0)

# CHK_SEANCE (136): session_count at 10, block at 11.
entry("chk_seance_plain", packet(136, 7, u8(3), block([])), 1, 0)
entry("chk_seance_255", packet(136, 0x7FFFFFFF, u8(255), block([
    param(ENDPOINT_TYPE, u8(3)),
    param(ENDPOINT_TYPE, u8(0x83)),
    param(ENDPOINT_TYPE, u8(0)),
    param(ENDPOINT_TYPE, u8(0xC4)),
])), 4, 0)

# CNG_SEANCE (138): new_seance at 10, calling at 14, change_param at 41, block at 45.
entry("cng_seance_negative", packet(138, 0x80000000, u32(0xFFFFFFFF)
                                    + number([1, 0, 0], category=5, prop=3, desc=(2, 1, 0, 2))
                                    + u32(0x0000ABCD), block([
    param(HIDE_PARAM, number([5, 5, 5, 5], category=6, prop=3)),
    param(RTP_PARAM, u32(9) + u16(65535) + rtp("172.16.0.9", 9000, 1, 1)),
    param(REDIRECT_NUMBER, text_value("+74951234567")),
])), 5, 175)

# MOVE_CALL (140): second_seance at 10, move_param at 14, 18-19 free, block at 20.
twelve = [
    param(ENDPOINT_C, text_value("c-side")),
    param(BUTTON, u8(1)),
    param(ANOTHER_ABONENT_PARAM, b"\xff" * 5),
    param(BINARY_DATA, b"\x01\xab\xff"),
    param(BINARY_DATA, b""),
    param(ADDCAPABILITY, text_value("HOLD,CONF")),
    param(UNKNOWN, b""),
    param(0x0C, b"\0" * 9),
    param(DMR_PRIORITY, u8(0)),
    param(CAMERA_PROP, u32(0) + u32(4294967295)),
    param(181, b""),
    param(EDSS_ID_CALL, u32(0)),
]
entry("move_call_count_200", packet(140, 0xFFFFFFFF, u32(4000000000) + u32(0xA) + b"\x77\x77",
                                    block(twelve, count=200)), 3, 0x0C)

# USER2USER (141): command at 10, user_param at 14, block at 22.
entry("user2user_wide_param", packet(141, 600, u32(0xABC) + u32(2) + u32(1), block([
    param(BUTTON, u8(3)),
])), 2, 0)
entry("user2user_zero", packet(141, 0, u32(0) + u64(0), block([])), 1, 0)
entry("user2user_all_ones", packet(141, 601, u32(0xFFFFFFFF) + u64(0xFFFFFFFFFFFFFFFF), block([])), 3, 0)

# RTP_DATA (144): rtp_id at 10, dstn at 14, RTP record at 16, block at 165.
thirteen = [
    param(ENDPOINT_A, text_value("alpha")),
    param(RTP_PARAM, u32(8) + u16(2) + rtp("10.9.9.9", 6000, 0, 1)),
    param(HIDE_PARAM, number([3, 3], category=0, prop=0, desc=(0, 0, 0, 0))),
    param(ENDPOINT_B, text_value("beta")),
    param(BUTTON, u8(12)),
    param(NAME_CALL, text_value("Дежурный")),
    param(EIRINE_NUM, b""),
    param(DMR_PRIORITY, u8(9)),
    param(MGCP_SEANCE, text_value("s1")),
    param(EDSS_ID_CALL, u32(7)),
    param(ENDPOINT_C, text_value("gamma")),
    param(SESSION_LIST, u32(12)),
    param(BUTTON, u8(13)),  # the thirteenth: never visited
]
entry("rtp_data_count_13", packet(144, 700, u32(31) + u16(2) + rtp("10.0.0.5", 5004, 1, 1),
                                  block(thirteen, count=13)), 2, 160)
entry("rtp_data_recv_only", packet(144, 701, u32(4294967295) + u16(65535) + rtp("fe80::1", 0, 0, 1), block([
    param(RTP_PARAM, u32(0) + u16(0) + rtp("", 7, 0, 0)),
])), 1, 0)
entry("rtp_data_send_only", packet(144, 702, u32(0) + u16(0) + rtp("1.2.3.4", 65535, 1, 0), block([])), 14, 0)

# CONNECT (145): connect_type at 10, connect_source at 11, connect_param at 12, block at 16.
entry("connect_send_recv_rtp", packet(145, 800, u8(3) + u8(10) + u32(0x0102), block([
    param(HIDE_NAME, text_value("Диспетчер")),
])), 2, 0)
entry("connect_both_unlisted", packet(145, 801, u8(4) + u8(5) + u32(0), block([])), 1, 0)
entry("connect_none_silent", packet(145, 802, u8(0) + u8(4) + u32(0xFFFF0000), block([])), 10, 0)
entry("connect_unlisted_c8", packet(145, 803, u8(200) + u8(2) + u32(1), block([])), 3, 0)

# KLT_RDY, KLT_REGEP, KLT_UNREG (208-210): block at 10. KLT_NTRDY (211): no block.
entry("klt_rdy_endpoint_a_first_13", packet(208, 900, b"", block([
    param(ENDPOINT_A, text_value("first")),
    param(ENDPOINT_TYPE, u8(1)),
    param(ENDPOINT_TYPE, u8(2)),
    param(ENDPOINT_TYPE, u8(4)),
    param(ENDPOINT_TYPE, u8(0x81)),
    param(ENDPOINT_TYPE, u8(0x82)),
    param(ENDPOINT_TYPE, u8(0x84)),
    param(ENDPOINT_TYPE, u8(0x85)),
    param(ENDPOINT_TYPE, u8(0x86)),
    param(ENDPOINT_TYPE, u8(0xC2)),
    param(ENDPOINT_TYPE, u8(0xC3)),
    param(ENDPOINT_TYPE, u8(0x80)),
    param(ENDPOINT_TYPE, u8(0xC5)),
], count=13)), 6, 0)
entry("klt_regep_video", packet(209, 901, b"", block([
    param(VIDEO_PARAM, video([codec(96, "H264"), codec(97, "VP8")], "10.0.0.7", 6000)),
    param(VIDEO_PARAM, video([codec(0, "none", used=False), codec(0, "MJPEG", state=254)], "10.0.0.8", 65535)),
    param(VIDEO_PARAM, video([codec(1, "x", used=False), codec(2, "y", used=False)], "", 0)),
    param(BUTTON, u8(4)),
])), 2, 0)
entry("klt_unreg_empty", packet(210, 902, b"", block([])), 1, 0)
entry("klt_unreg_only_skipped", packet(210, 903, b"", block([
    param(ENDPOINT_A, text_value("only")),
    param(ENDPOINT_A, text_value("twice")),
])), 1, 160)
entry("klt_ntrdy_byte_10", packet(211, 904, u8(5) + param(BUTTON, u8(1))), 2, 0)

# Types the library does not know: the unknown-type line, nothing else read.
for code, msg in ((0, 5), (127, 0), (131, 5), (133, 16), (146, 1), (207, 255), (212, 4), (255, 15)):
    entry("unlisted_%d" % code, packet(code, 1000 + code, u8(0x80) + u8(0) + b"\0" * 9), msg, 0)


def main():
    out = sys.stdout
    out.write("# Golden corpus skeleton, written by make_corpus.py.\n")
    seen = set()
    for name, pkt, msg, skip in ENTRIES:
        assert name not in seen, name
        seen.add(name)
        out.write("\nname %s\n" % name)
        for i in range(0, len(pkt), 32):
            out.write("packet %s\n" % pkt[i:i + 32].hex())
        out.write("op %d %d\n" % (msg, skip))


if __name__ == "__main__":
    main()
