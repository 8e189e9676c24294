#!/usr/bin/env python3
"""The golden corpus: packets built field by field, each with the lines `paketlog --raw` gives for it; every new
or changed line is checked by hand (README.md). Usage: python3 make_corpus.py build/tools/paketlog > /tmp/corpus.txt
`python3 make_corpus.py --cuts > cuts.txt` writes where each packet may be cut, from the same descriptions."""
import struct, subprocess, sys

u8, u16, u32, u64 = (lambda v, f=f: struct.pack("<" + f, v) for f in "BHIQ")
def cp(text): return text.encode("cp1251")
def text_value(text, tail=b""): return cp(text) + b"\0" + tail  # `tail` follows the NUL inside the value
def param(ptype, value): return u8(ptype) + u8(0) + u16(len(value)) + value
def video(codecs, address, port): return codecs[0] + codecs[1] + (cp(address) + b"\0").ljust(120, b"\0") + u16(port)
def codec(payload, name, used=True, state=0):
    return (u8(payload) + u8(state if used else 255) + cp(name) + b"\0").ljust(102, b"\0")
def number(digits, category=0, prop=3, desc=(1, 1, 0, 1)):  # 27 bytes; `digits` are digit codes, unused slots 0xEE
    return bytes(desc) + u8(category) + u8(prop) + u8(len(digits)) + bytes(digits) + b"\xee" * (20 - len(digits))
def rtp(address, port, send, recv):  # 149 bytes; the first 17 and those after the address's NUL are never shown
    return bytes(range(0x30, 0x41)) + (cp(address) + b"\0").ljust(128, b"\x7e") + u16(port) + u8(send) + u8(recv)


(ENDPOINT_A, ENDPOINT_B, BUTTON, NAME_CALL, EIRINE_NUM, DMR_PRIORITY, ANOTHER_ABONENT_PARAM, MGCP_SEANCE, RTP_PARAM,
 EDSS_ID_CALL, ENDPOINT_C, SESSION_LIST, CAMERA_PROP, BINARY_DATA, VIDEO_PARAM, HIDE_PARAM, HIDE_NAME, ENDPOINT_TYPE,
 REDIRECT_NUMBER, ADDCAPABILITY, UNKNOWN) = range(160, 181)
# Where each listed type's block (its count byte) begins.
BLOCK_AT = {128: 11, 129: 68, 130: 19, 132: 41, 136: 11, 138: 45, 140: 20, 141: 22, 144: 165, 145: 16,
            208: 10, 209: 10, 210: 10}
ENTRIES = []  # name, packet, msg_type and skip_type of the operator line


def packet(ptype, seance, fields=b"", params=None, count=None, mid=(0, 0, 0)):
    """Common header, the type's fields from offset 10 on, then its block: the count byte and `params`."""
    assert ptype not in BLOCK_AT or 10 + len(fields) == BLOCK_AT[ptype], ptype
    eap = b"" if params is None else u8(len(params) if count is None else count) + b"".join(params)
    pkt = Packet(bytes((0x5A, 0x01, ptype)) + bytes(mid) + u32(seance) + fields + eap)
    # The bytes the type's line reads (the block's count byte included), and the parameters a decoder visits:
    # the first twelve the count names.
    pkt.need = BLOCK_AT[ptype] + 1 if ptype in BLOCK_AT else 11 if ptype == 211 else 3
    pkt.visited = (params or [])[:min(12, len(params) if count is None else count)] if ptype in BLOCK_AT else []
    pkt.end = pkt.need + sum(len(p) for p in pkt.visited)
    return pkt
class Packet(bytes): pass
def control(code, seance, cause, param_word, params=(), mid=(0, 0, 0)):
    """CONTROL (130): control at 10, cause (location, source, code, value) at 11, ctrl_param at 15, block at 19."""
    return packet(130, seance, u8(code) + bytes(cause) + u32(param_word), list(params), mid=mid)
def entry(name, pkt, msg, skip):
    assert name not in [e[0] for e in ENTRIES], name
    ENTRIES.append((name, pkt, msg, skip))


# DIALDIGIT (128): digit at 10, block at 11.
entry("dialdigit_status", packet(128, 17, u8(5), []), 6, 0)
entry("dialdigit_star_code", packet(128, 7, u8(11), [param(ENDPOINT_A, text_value("101")), param(BUTTON, u8(7)),
                                                     param(ENDPOINT_B, text_value("", b"zz"))]), 1, 0)
entry("dialdigit_empty_word", packet(128, 123456, u8(0), [param(ENDPOINT_A, text_value("ep-a")),
                                                          param(NAME_CALL, text_value("Иванов И.И."))]), 0, 160)
# DIALNUMBER (129): called at 10, calling at 37, dial_param at 64, block at 68.
entry("dialnumber_hide_and_rtp_params", packet(
    129, 2024, number([1, 2, 11, 15], 10) + number([5, 5, 5, 0, 1], 255, desc=(9, 0, 7, 2)) + u32(0xDEADBEEF),
    [param(HIDE_PARAM, number([9, 9, 9], 42, desc=(4, 0, 2, 3))),
     param(RTP_PARAM, u32(77) + u16(3) + rtp("192.168.1.50", 4000, 1, 0)), param(EIRINE_NUM, b"\x01\x02")]), 2, 180)
entry("dialnumber_empty_and_partial", packet(129, 5, number([], 0, 1, (0, 1, 1, 0))
                                            + number([12, 0, 13, 14, 10], 1, 2, (5, 1, 2, 3)) + u32(0), []), 9, 0)
entry("dialnumber_partial_called", packet(129, 99, number([0, 4, 9, 5, 27], 3, 2, (2, 0, 1, 1))
                                         + number([8, 0, 0], 0, 0, (3, 1, 0, 0)) + u32(1),
                                         [param(DMR_PRIORITY, u8(2))]), 14, 165)
entry("dialnumber_undefined_called", packet(129, 1, number([3], 7, 0, (0, 0, 0, 0)) + number([], 0, 1)
                                           + u32(0x80000000), []), 11, 0)
entry("dialnumber_property_out_of_range", packet(129, 100000, number([4, 2], 200, 7)
                                                + number([1, 20], 16, 3, (6, 2, 3, 4)) + u32(0x00ABCDEF), []), 8, 0)
entry("control_1_bye", control(1, 301, (1, 2, 3, 4), 0x10), 3, 0)
entry("control_130_reject", control(130, 302, (0, 0, 0, 16), 0xCAFE,
                                    [param(0x55, b"\x01\x02\x03"), param(BUTTON, u8(255))]), 4, 0)
entry("control_131_bye", control(131, 303, (255, 255, 255, 255), 0xFFFFFFFF, mid=(9, 9, 9)), 5, 0)
entry("control_140_release", control(140, 304, (2, 0, 31, 127), 1, [param(SESSION_LIST, u32(4000000000))]), 1, 171)
entry("control_5_okhold", control(5, 305, (9, 8, 7, 6), 0x500, [param(EDSS_ID_CALL, u32(123456789))]), 2, 0)
entry("control_0_unknown", control(0, 306, (1, 1, 1, 1), 2), 12, 0)
entry("control_2_kpv", control(2, 307, (3, 3, 3, 3), 3, [param(CAMERA_PROP, u32(640) + u32(480))]), 13, 0)
entry("control_129_establish", control(129, 308, (0, 0, 0, 0), 4), 15, 0)
entry("control_132_okcall", control(132, 309, (0, 0, 0, 0), 5), 7, 0)
entry("control_139_tangenta_off", control(139, 310, (4, 4, 4, 4), 6), 10, 0)
entry("control_141_unknown", control(141, 311, (5, 5, 5, 5), 7), 1, 0)
entry("control_255_unknown", control(255, 312, (6, 6, 6, 6), 8), 16, 0)
entry("control_146_resethold", control(146, 313, (7, 7, 7, 7), 9, [param(MGCP_SEANCE, text_value("mgcp/42@gw"))]),
      2, 0)
for code in (3, 4, 6, 10, 11, 16, 20, 23, 24, 25, 31, 32, 33, 34, 37, 38, 48, 53, 54, 128, 133, 134, 135, 138, 144,
             145):  # every other listed control code, for its names in both wordings
    entry("control_%d" % code, control(code, 400 + code, (0, 0, 0, 0), code), 1, 0)
# CALLINGNUM (132): calling at 10, dial_param at 37, block at 41.
entry("callingnum_hide_param", packet(
    132, 4242, number([7, 4, 9, 5, 1, 2, 3, 4, 5, 6, 7], 1, 3, (3, 1, 1, 2)) + u32(0x12),
    [param(HIDE_PARAM, number([0, 0, 7], 2, 3, (1, 0, 0, 1))),
     param(RTP_PARAM, u32(1) + u16(2) + rtp("10.1.1.1", 1, 0, 0))]), 1, 0)
entry("callingnum_twenty_digits", packet(132, 2, number(list(range(10)) * 2, 9, 1, (5, 0, 2, 3)) + u32(0xFFFFFFFF),
                                        [param(HIDE_NAME, text_value("Operator 5"))]), 6, 0)
# CHK_SEANCE (136): session_count at 10, block at 11.
entry("chk_seance_plain", packet(136, 7, u8(3), []), 1, 0)
entry("chk_seance_255", packet(136, 0x7FFFFFFF, u8(255), [param(ENDPOINT_TYPE, u8(t)) for t in (3, 0x83, 0, 0xC4)]),
      4, 0)
# CNG_SEANCE (138): new_seance at 10, calling at 14, change_param at 41, block at 45.
entry("cng_seance_negative", packet(
    138, 0x80000000, u32(0xFFFFFFFF) + number([1, 0, 0], 5, 3, (2, 1, 0, 2)) + u32(0x0000ABCD),
    [param(HIDE_PARAM, number([5, 5, 5, 5], 6)),
     param(RTP_PARAM, u32(9) + u16(65535) + rtp("172.16.0.9", 9000, 1, 1)),
     param(REDIRECT_NUMBER, text_value("+74951234567"))]), 5, 175)
# MOVE_CALL (140): second_seance at 10, move_param at 14, 18-19 free, block at 20.
twelve = [param(ENDPOINT_C, text_value("c-side")), param(BUTTON, u8(1)), param(ANOTHER_ABONENT_PARAM, b"\xff" * 5),
          param(BINARY_DATA, b"\x01\xab\xff"), param(BINARY_DATA, b""), param(ADDCAPABILITY, text_value("HOLD,CONF")),
          param(UNKNOWN, b""), param(0x0C, b"\0" * 9), param(DMR_PRIORITY, u8(0)),
          param(CAMERA_PROP, u32(0) + u32(4294967295)), param(181, b""), param(EDSS_ID_CALL, u32(0))]
entry("move_call_count_200", packet(140, 0xFFFFFFFF, u32(4000000000) + u32(0xA) + b"\x77\x77", twelve, 200), 3, 0x0C)
# USER2USER (141): command at 10, user_param at 14, block at 22.
entry("user2user_wide_param", packet(141, 600, u32(0xABC) + u32(2) + u32(1), [param(BUTTON, u8(3))]), 2, 0)
entry("user2user_zero", packet(141, 0, u32(0) + u64(0), []), 1, 0)
entry("user2user_all_ones", packet(141, 601, u32(0xFFFFFFFF) + u64(0xFFFFFFFFFFFFFFFF), []), 3, 0)
# RTP_DATA (144): rtp_id at 10, dstn at 14, RTP record at 16, block at 165.
thirteen = [param(ENDPOINT_A, text_value("alpha")), param(RTP_PARAM, u32(8) + u16(2) + rtp("10.9.9.9", 6000, 0, 1)),
            param(HIDE_PARAM, number([3, 3], 0, 0, (0, 0, 0, 0))), param(ENDPOINT_B, text_value("beta")),
            param(BUTTON, u8(12)), param(NAME_CALL, text_value("Дежурный")), param(EIRINE_NUM, b""),
            param(DMR_PRIORITY, u8(9)), param(MGCP_SEANCE, text_value("s1")), param(EDSS_ID_CALL, u32(7)),
            param(ENDPOINT_C, text_value("gamma")), param(SESSION_LIST, u32(12)),
            param(BUTTON, u8(13))]  # the thirteenth: never visited
entry("rtp_data_count_13", packet(144, 700, u32(31) + u16(2) + rtp("10.0.0.5", 5004, 1, 1), thirteen), 2, 160)
entry("rtp_data_recv_only", packet(144, 701, u32(4294967295) + u16(65535) + rtp("fe80::1", 0, 0, 1),
                                   [param(RTP_PARAM, u32(0) + u16(0) + rtp("", 7, 0, 0))]), 1, 0)
entry("rtp_data_send_only", packet(144, 702, u32(0) + u16(0) + rtp("1.2.3.4", 65535, 1, 0), []), 14, 0)
# CONNECT (145): connect_type at 10, connect_source at 11, connect_param at 12, block at 16.
entry("connect_send_recv_rtp", packet(145, 800, u8(3) + u8(10) + u32(0x0102),
                                      [param(HIDE_NAME, text_value("Диспетчер"))]), 2, 0)
entry("connect_both_unlisted", packet(145, 801, u8(4) + u8(5) + u32(0), []), 1, 0)
entry("connect_none_silent", packet(145, 802, u8(0) + u8(4) + u32(0xFFFF0000), []), 10, 0)
entry("connect_unlisted_c8", packet(145, 803, u8(200) + u8(2) + u32(1), []), 3, 0)
for ctype, source in ((1, 0), (2, 1), (0, 3)):  # the other listed types and sources
    entry("connect_%d_%d" % (ctype, source), packet(145, 810 + ctype, u8(ctype) + u8(source) + u32(0), []), 1, 0)
# KLT_RDY, KLT_REGEP, KLT_UNREG (208-210): block at 10. KLT_NTRDY (211): no block.
entry("klt_rdy_endpoint_a_first_13", packet(208, 900, b"", [param(ENDPOINT_A, text_value("first"))] + [
    param(ENDPOINT_TYPE, u8(t)) for t in (1, 2, 4, 0x81, 0x82, 0x84, 0x85, 0x86, 0xC2, 0xC3, 0x80, 0xC5)]), 6, 0)
entry("klt_regep_video", packet(209, 901, b"", [
    param(VIDEO_PARAM, video([codec(96, "H264"), codec(97, "VP8")], "10.0.0.7", 6000)),
    param(VIDEO_PARAM, video([codec(0, "none", used=False), codec(0, "MJPEG", state=254)], "10.0.0.8", 65535)),
    param(VIDEO_PARAM, video([codec(1, "x", used=False), codec(2, "y", used=False)], "", 0)), param(BUTTON, u8(4))]),
      2, 0)
entry("klt_unreg_empty", packet(210, 902, b"", []), 1, 0)
entry("klt_unreg_only_skipped", packet(210, 903, b"", [param(ENDPOINT_A, text_value("only")),
                                                       param(ENDPOINT_A, text_value("twice"))]), 1, 160)
entry("klt_ntrdy_byte_10", packet(211, 904, u8(5) + param(BUTTON, u8(1))), 2, 0)
# Types the library does not know: the unknown-type line, nothing else read.
for code, msg in ((0, 5), (127, 0), (131, 5), (133, 16), (146, 1), (207, 255), (212, 4), (255, 15)):
    entry("unlisted_%d" % code, packet(code, 1000 + code, u8(0x80) + u8(0) + b"\0" * 9), msg, 0)


def show(c): return chr(c) if 0x20 <= c < 0x7F else "\\x%02X" % c
def write_line(head, line):  # quoted, \ " escaped, other bytes \xNN; a line past ASCII also in UTF-8 below
    print('%s "%s"' % (head, "".join("\\" + chr(c) if c in b'"\\' else show(c) for c in line)))
    if any(c >= 0x80 for c in line):
        text = "".join(bytes([c]).decode("cp1251") if c >= 0xC0 or c in (0xA8, 0xB8) else show(c) for c in line)
        print("#%s%s" % (" " * (len(head) + 1), text.rstrip(" ")))


if sys.argv[1:] == ["--cuts"]:
    print("# Where each golden packet may be cut (README.md), written by make_corpus.py --cuts.\n"
          "# cut <name> <bytes its type needs> <end of the parameters visited> <their types>")
    for name, pkt, msg, skip in ENTRIES:
        print(" ".join(["cut", name, str(pkt.need), str(pkt.end)] + [str(p[0]) for p in pkt.visited]))
    sys.exit(0)
print("# Golden corpus: packets and the exact lines of both decoders (README.md).\n"
      "# Packets come from make_corpus.py; every line was checked by hand.")
for name, pkt, msg, skip in ENTRIES:
    print("\nname %s" % name)
    print("".join("packet %s\n" % pkt[i:i + 32].hex() for i in range(0, len(pkt), 32)), end="")
    for head, options in (("op %d %d" % (msg, skip), ["--msg-type", str(msg), "--skip-type", str(skip)]),
                          ("tc in", ["--testcall", "--incoming"]), ("tc out", ["--testcall", "--outgoing"])):
        line = subprocess.run([sys.argv[1], "--raw"] + options, input=pkt.hex().encode() + b"\n",
                              stdout=subprocess.PIPE, check=True).stdout
        assert line.count(b"\n") == 1 and line.endswith(b"\n"), line
        write_line(head, line[:-1])
