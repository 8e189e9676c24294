"""Captures of the signalling link written by scapy, not by our own writer.

    make_captures.py SAMPLE_HEX OUTDIR

mixed.pcap (Ethernet, microseconds) holds the sample packets in both
directions between 10.0.0.1.40000 and the switch 10.0.0.2.7700, among other
UDP and TCP traffic; some behind a VLAN tag, some over IPv6, some in IP pieces
sent out of order; a port-53 datagram whose last piece never comes.
mixed-ns.pcap is the same in a nanosecond capture, mixed.pcapng as pcapng.
"""
import struct
import sys
from decimal import Decimal

from scapy.all import IP, IPv6, TCP, UDP, Dot1Q, Ether, IPv6ExtHdrFragment, Raw, fragment, fragment6
from scapy.utils import PcapNgWriter, PcapWriter

SWITCH, PEER = "10.0.0.2", "10.0.0.1"
SWITCH6, PEER6 = "2001:db8::2", "2001:db8::1"
START = 1709285400  # 2024-03-01 09:30:00 UTC


def packets(trace):
    with open(trace) as f:
        return [bytes.fromhex(line.split("#")[0]) for line in f if line.split("#")[0].strip()]


def ether(payload, vlan=None):
    frame = Ether(src="02:00:00:00:00:01", dst="02:00:00:00:00:02")
    return frame / Dot1Q(vlan=vlan) / payload if vlan else frame / payload


def frames(sample):
    out = []
    for i, p in enumerate(sample):
        incoming = i % 2 == 1  # every other packet comes from the switch
        sport, dport = (7700, 40000) if incoming else (40000, 7700)
        if i % 4 == 3:  # IPv6
            src, dst = (SWITCH6, PEER6) if incoming else (PEER6, SWITCH6)
            ip = IPv6(src=src, dst=dst) / UDP(sport=sport, dport=dport) / Raw(p)
        else:
            src, dst = (SWITCH, PEER) if incoming else (PEER, SWITCH)
            ip = IP(src=src, dst=dst, id=0x100 + i) / UDP(sport=sport, dport=dport) / Raw(p)
        vlan = 42 if i % 3 == 2 else None
        if len(p) > 60:  # in pieces, the last one first
            if isinstance(ip, IPv6):
                pieces = fragment6(IPv6(src=ip.src, dst=ip.dst) / IPv6ExtHdrFragment(id=0x200 + i) / ip.payload, 80)
            else:
                pieces = fragment(ip, 32)
            out += [ether(x, vlan) for x in reversed(pieces)]
        else:
            out.append(ether(ip, vlan))
        # traffic around it: DNS, a TCP segment on the switch's port, another UDP port
        if i % 5 == 0:
            out.append(ether(IP(src="10.0.0.9", dst="10.0.0.53") / UDP(sport=5353, dport=53) / Raw(b"\x12\x34" + bytes(10))))
        if i % 5 == 1:
            out.append(ether(IP(src=PEER, dst=SWITCH) / TCP(sport=40001, dport=7700, flags="PA") / Raw(p[:12])))
        if i % 5 == 2:
            out.append(ether(IP(src=PEER, dst="10.0.0.3") / UDP(sport=40000, dport=7701) / Raw(p)))
    # a fragmented datagram on port 7701 (kept by no port filter) and a DNS
    # datagram whose last piece is lost
    big = bytes(sample[1]) + bytes(40)
    out += [ether(x) for x in fragment(IP(src=PEER, dst="10.0.0.3", id=0x300) / UDP(sport=40000, dport=7701) / Raw(big), 32)]
    lost = fragment(IP(src="10.0.0.9", dst="10.0.0.53", id=0x301) / UDP(sport=5353, dport=53) / Raw(bytes(100)), 32)
    out += [ether(x) for x in lost[:-1]]
    for n, f in enumerate(out):
        f.time = START + Decimal(n) / 4 + Decimal(n) / 1000000
    return out


def main():
    trace, outdir = sys.argv[1], sys.argv[2]
    out = frames(packets(trace))
    PcapWriter(outdir + "/mixed.pcap", linktype=1, sync=True).write(out)
    PcapNgWriter(outdir + "/mixed.pcapng").write(out)
    ns = PcapWriter(outdir + "/mixed-ns.pcap", linktype=1, nano=True, sync=True)
    for n, f in enumerate(out):
        f.time = START + Decimal(n) / 4 + Decimal(n + 123) / 1000000000
    ns.write(out)
    frame = bytes(out[0])
    with open(outdir + "/times.pcap", "wb") as f:
        f.write(struct.pack("<IHHiIII", 0xA1B2C3D4, 2, 4, 0, 0, 65535, 1))
        for seconds, micro in ((START, 1000000), (0xFFFFFFFF, 0), (START, 0xFFFFFFFF)):
            f.write(struct.pack("<IIII", seconds, micro, len(frame), len(frame)) + frame)


main()
