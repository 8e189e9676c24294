"""Calls on the signalling link, written by scapy, not by our own writer.

    make_calls.py OUTDIR            writes calls.pcap and calls-limit.pcap
    import make_calls; make_calls.scenario()   the datagrams of calls.pcap

calls.pcap (Ethernet, microseconds) holds one call of each kind between the
console 10.0.0.1.40000, the switch 10.0.0.2.7700 and a second terminal
10.0.0.3.40002, with a module report, a packet of an unlisted type and a
datagram of another port among them:

  seance 1001  answered, held, talked over, released by the console with a
               cause; the switch's release follows it
  seance 1002  busy, released by the switch
  seance 1003  rejected by the console
  seance 1004  dialled digit by digit (2018), abandoned before an answer
  seance 1005  answered, still open when the capture ends
  seance 1006  answered, moved with MOVE_CALL to seance 1007, which is
               answered and released
  seance 1008  answered, its seance changed with CNG_SEANCE to 1009, which
               is released
  seance 1010, 1011  two calls whose packets interleave
  seance 1012  one call whose packets go console -> switch -> second terminal

calls-limit.pcap holds 65,537 calls, each one DIALNUMBER that is never
answered nor released, seances 100000 to 165536, one a millisecond.
"""
import struct
import sys
from decimal import Decimal

from scapy.all import IP, UDP, Ether, Raw
from scapy.utils import PcapWriter, RawPcapWriter

START = 1709285400  # 2024-03-01 09:30:00 UTC
CONSOLE = ("10.0.0.1", 40000)
SWITCH = ("10.0.0.2", 7700)
TERMINAL = ("10.0.0.3", 40002)

DIALDIGIT, DIALNUMBER, CONTROL, CALLINGNUM = 128, 129, 130, 132
CHK_SEANCE, CNG_SEANCE, MOVE_CALL, RTP_DATA = 136, 138, 140, 144
KLT_RDY = 208

# control codes
DOBYE, KPV, ESTABLISHED, PROGRESS, PROCEEDING, B_BUSY = 1, 2, 3, 33, 34, 31
TO_SETHOLD, TO_RESETHOLD = 23, 24
ESTABLISH, REJECT, BYE, TANGENTA_ON, TANGENTA_OFF, FR_SETHOLD = 129, 130, 131, 138, 139, 145
ENDPOINT_A, ENDPOINT_B, NAME_CALL = 160, 161, 163

DIGIT_CODES = {"*": 11, "#": 12, "+": 15}


def header(kind, seance):
    return bytes([0, 0, kind, 0, 0, 0]) + struct.pack("<I", seance)


def block(params=()):
    out = bytes([len(params)])
    for kind, value in params:
        out += bytes([kind, 0]) + struct.pack("<H", len(value)) + value
    return out


def text(value):
    return value.encode("cp1251") + b"\0"


def number(digits, property=3):
    codes = [DIGIT_CODES.get(c, None) if not c.isdigit() else int(c) for c in digits]
    return bytes([1, 0, 0, 1, 10, property, len(codes)]) + bytes(codes) + bytes(20 - len(codes))


def dialdigit(seance, digit):
    return header(DIALDIGIT, seance) + bytes([DIGIT_CODES.get(digit, None) if not digit.isdigit() else int(digit)]) + block()


def dialnumber(seance, called, calling, params=()):
    return header(DIALNUMBER, seance) + number(called) + number(calling) + struct.pack("<I", 0) + block(params)


def control(seance, code, cause=(0, 0, 0, 0), params=()):
    return header(CONTROL, seance) + bytes([code]) + bytes(cause) + struct.pack("<I", 0) + block(params)


def callingnum(seance, calling):
    return header(CALLINGNUM, seance) + number(calling) + struct.pack("<I", 0) + block()


def chk_seance(seance):
    return header(CHK_SEANCE, seance) + bytes([1]) + block()


def cng_seance(seance, new_seance, calling):
    return header(CNG_SEANCE, seance) + struct.pack("<I", new_seance) + number(calling) + struct.pack("<I", 0) + block()


def move_call(seance, second_seance):
    return header(MOVE_CALL, seance) + struct.pack("<II", second_seance, 0) + bytes(2) + block()


def rtp_data(seance, address, port):
    record = bytes(17) + address.encode() + bytes(128 - len(address)) + struct.pack("<HBB", port, 1, 1)
    return header(RTP_DATA, seance) + struct.pack("<IH", 1, 0) + record + block()


def klt_rdy():
    return header(KLT_RDY, 0) + block([(ENDPOINT_A, text("Пульт 1"))])


def scenario():
    """The datagrams of calls.pcap: (seconds after START, source, destination, payload), in time order."""
    out = []

    def up(t, payload, src=CONSOLE):  # to the switch
        out.append((Decimal(t), src, SWITCH, payload))

    def down(t, payload, dst=CONSOLE):  # from the switch
        out.append((Decimal(t), SWITCH, dst, payload))

    # 1001: answered, held, released by the console with a cause
    up("0.000100", dialnumber(1001, "2015", "+74951234567",
                              [(ENDPOINT_A, text("Диспетчер 1")), (NAME_CALL, text("Иванов"))]))
    down("0.010000", control(1001, PROCEEDING))
    down("0.500000", control(1001, KPV))
    down("2.250000", control(1001, ESTABLISHED, params=[(ENDPOINT_B, text("Пост 7"))]))
    down("2.260000", rtp_data(1001, "10.1.1.5", 40000))
    up("5.000000", control(1001, FR_SETHOLD))
    down("5.010000", control(1001, TO_SETHOLD))
    up("6.000000", control(1001, TANGENTA_ON))
    up("6.500000", control(1001, TANGENTA_OFF))
    up("12.250000", control(1001, BYE, cause=(1, 2, 3, 16)))
    down("12.260000", control(1001, DOBYE, cause=(0, 0, 0, 16)))

    # 1002: busy
    up("1.000000", dialnumber(1002, "2016", "2001"))
    down("1.300000", control(1002, B_BUSY))
    down("1.310000", control(1002, DOBYE, cause=(0, 1, 0, 17)))

    # 1003: rejected by the console
    down("3.000000", dialnumber(1003, "2001", "2017"))
    up("3.400000", control(1003, REJECT, cause=(0, 0, 0, 21)))

    # 1004: dialled digit by digit, abandoned
    up("4.000000", dialdigit(1004, "2"))
    up("4.200000", dialdigit(1004, "0"))
    up("4.400000", dialdigit(1004, "1"))
    up("4.600000", dialdigit(1004, "8"))
    down("4.700000", control(1004, PROGRESS))
    up("9.700000", control(1004, BYE, cause=(0, 0, 0, 16)))

    # 1005: answered, open at the end
    up("7.000000", dialnumber(1005, "*21#", "2001"))
    down("7.100000", control(1005, ESTABLISHED))
    down("7.110000", chk_seance(1005))

    # 1006 moved to 1007
    down("8.000000", dialnumber(1006, "2001", "2020"))
    up("8.500000", control(1006, ESTABLISH))
    up("10.000000", move_call(1006, 1007))
    down("10.010000", control(1006, DOBYE, cause=(0, 0, 0, 16)))
    down("10.020000", callingnum(1007, "2020"))
    up("10.500000", control(1007, ESTABLISH))
    up("14.000000", control(1007, BYE, cause=(0, 0, 0, 16)))

    # 1008 changed to 1009
    up("11.000000", dialnumber(1008, "2030", "2001"))
    down("11.200000", control(1008, ESTABLISHED))
    down("13.000000", cng_seance(1008, 1009, "+74957654321"))
    down("13.010000", control(1009, ESTABLISHED))
    down("15.000000", control(1009, DOBYE, cause=(0, 0, 0, 16)))

    # 1010 and 1011 interleaved
    up("16.000000", dialnumber(1010, "2040", "2001"))
    up("16.000500", dialnumber(1011, "2041", "2001"))
    down("16.100000", control(1011, B_BUSY))
    down("16.200000", control(1010, ESTABLISHED))
    down("16.300000", control(1011, DOBYE, cause=(0, 1, 0, 17)))
    up("17.000000", control(1010, BYE, cause=(0, 0, 0, 16)))

    # 1012 crosses two hosts: console -> switch -> terminal and back
    up("18.000000", dialnumber(1012, "2050", "2001"))
    down("18.010000", dialnumber(1012, "2050", "2001"), dst=TERMINAL)
    up("18.500000", control(1012, ESTABLISH), src=TERMINAL)
    down("18.510000", control(1012, ESTABLISHED))
    up("19.000000", control(1012, BYE, cause=(0, 0, 0, 16)))
    down("19.010000", control(1012, DOBYE, cause=(0, 0, 0, 16)), dst=TERMINAL)

    # not calls: a module's report, an unlisted type
    down("0.200000", klt_rdy())
    down("0.300000", header(131, 1001) + bytes(4))
    out.sort(key=lambda d: d[0])
    return out


def frame(src, dst, payload, ident=0):
    return (Ether(src="02:00:00:00:00:01", dst="02:00:00:00:00:02") /
            IP(src=src[0], dst=dst[0], id=ident) / UDP(sport=src[1], dport=dst[1]) / Raw(payload))


def write_calls(path):
    frames = []
    for n, (t, src, dst, payload) in enumerate(scenario()):
        f = frame(src, dst, payload, n)
        f.time = START + t
        frames.append(f)
        if n == 3:  # another port's datagram among them
            other = frame(("10.0.0.1", 40000), ("10.0.0.4", 7701), dialnumber(1001, "9999", "9999"))
            other.time = START + t + Decimal("0.000001")
            frames.append(other)
    PcapWriter(path, linktype=1, sync=True).write(frames)


def write_limit(path, calls=65537, first=100000):
    """One DIALNUMBER per call: scapy makes the frame once, and the seance
    (and the IP checksum it does not cover) is set in its bytes."""
    template = bytes(frame(CONSOLE, SWITCH, dialnumber(first, "2015", "2001")))
    at = len(template) - len(dialnumber(first, "2015", "2001")) + 6
    writer = RawPcapWriter(path, linktype=1, sync=False)
    writer.write_header(None)
    head = bytearray(template)
    struct.pack_into("<H", head, 34 + 6, 0)  # UDP checksum 0: none
    for i in range(calls):
        struct.pack_into("<I", head, at, first + i)
        writer.write_packet(bytes(head), sec=START + i // 1000, usec=(i % 1000) * 1000)
    writer.close()


def main():
    outdir = sys.argv[1]
    write_calls(outdir + "/calls.pcap")
    write_limit(outdir + "/calls-limit.pcap")


if __name__ == "__main__":
    main()
